/* The clock link library's 25 operations, in the order of its contract: one
   list for every place that names them (the program's binding, the call
   trace, the engine, the line). Plain C, for C and C++ alike.

   KESTCOM_OPERATIONS(X) calls X(name, shape) for each; the shape spells the
   parameters in order, a letter each:
     n  a terminal name buffer (char *), given
     t  a text (char *), given
     i  a whole number (int32_t), given
     z  the length of the text that follows it (int32_t), given
     o  a terminal name written back: nine bytes and a zero (char *)
     p  a whole number written back (int32_t *)
     b  a byte written back (uint8_t *) */
#ifndef KESTCOM_OPERATIONS_H
#define KESTCOM_OPERATIONS_H

#define KESTCOM_OPERATIONS(X)                                                                      \
    X(SetPCName, "t")                                                                              \
    X(SetConfirmationsTimeout, "ii")                                                               \
    X(InitializeCommWithoutError, "ii")                                                            \
    X(InitializeCommWithoutOpen, "i")                                                              \
    X(Reset_Message, "n")                                                                          \
    X(TerminateComm, "i")                                                                          \
    X(IO_Open, "ii")                                                                               \
    X(IO_Write, "izt")                                                                             \
    X(W_SendSeconds, "ni")                                                                         \
    X(W_ReadSeconds, "n")                                                                          \
    X(W_AdjustSeconds, "ni")                                                                       \
    X(W_SendConfigurations, "niiiiiiiii")                                                          \
    X(W_InsertEvent, "niiiiiii")                                                                   \
    X(W_SendMessage, "niti")                                                                       \
    X(W_ShowMessage, "nit")                                                                        \
    X(W_SendJustifications, "nt")                                                                  \
    X(W_InsertEntry, "niiiiii")                                                                    \
    X(W_DeleteEntry, "ni")                                                                         \
    X(W_ReadPointers, "nppp")                                                                      \
    X(W_SendReaderPointer, "ni")                                                                   \
    X(W_SendAllPointers, "niii")                                                                   \
    X(W_SendEmployerName, "nitii")                                                                 \
    X(W_ClearEmployerName, "ni")                                                                   \
    X(W_Kill, "n")                                                                                 \
    X(W_ReceiveEntry, "opppbbbpp")

/* What every user of the list checks its own count against. */
#define KESTCOM_OPERATION_COUNT 25

#endif
