#pragma once
// Test-interface extras of the line library (libKestCom): which terminal
// program the Sim_ calls reach when no port is open, and who serves it.

#include "link/KestComAbi.h"

#include <cstdint>

extern "C" {
// The port whose terminal answers Sim_ calls while the program has no port
// open (1 = COM1 until set).
KESTCOM_EXPORT void KESTCOM_CALL Sim_SetTestPort(int32_t port);
// The process id of the terminal program the Sim_ calls reach (starting it
// if none runs); 0 when none could be reached.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_TerminalProcess(void);
// The terminal's pace switch: 1 = instant, 0 = wire pace (as on its window).
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetPace(int32_t instant);
}
