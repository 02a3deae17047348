// The in-process library without W_Kill: the engine alone.
