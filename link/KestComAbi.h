#pragma once
// The clock link library's exported operations, as C declarations.
// The program never calls these directly: it resolves them by name
// (see KestComLibrary). The simulated terminal in terminal/engine/ implements them.

#include <cstdint>

// The vendor's 32-bit Windows build uses __stdcall; everywhere else the
// platform's default calling convention applies.
#if defined(_WIN32) && !defined(_WIN64)
#define KESTCOM_CALL __stdcall
#else
#define KESTCOM_CALL
#endif

#if defined(_WIN32)
#define KESTCOM_EXPORT __declspec(dllexport)
#else
#define KESTCOM_EXPORT __attribute__((visibility("default")))
#endif

// Text arguments are zero-terminated single-byte buffers (Windows-1252).
// A "name" buffer holds the terminal name; the library may rewrite it and
// the caller takes its text back after the call.
namespace kestcom_abi {
using SetPCName = int32_t(KESTCOM_CALL *)(char *pcName);
using SetConfirmationsTimeout = int32_t(KESTCOM_CALL *)(int32_t a, int32_t b);
using InitializeCommWithoutError = int32_t(KESTCOM_CALL *)(int32_t port, int32_t baud);
using InitializeCommWithoutOpen = int32_t(KESTCOM_CALL *)(int32_t port);
using Reset_Message = int32_t(KESTCOM_CALL *)(char *name);
using TerminateComm = int32_t(KESTCOM_CALL *)(int32_t port);
using IO_Open = int32_t(KESTCOM_CALL *)(int32_t port, int32_t baud);
using IO_Write = int32_t(KESTCOM_CALL *)(int32_t port, int32_t length, char *text);
using W_SendSeconds = int32_t(KESTCOM_CALL *)(char *name, int32_t seconds);
using W_ReadSeconds = int32_t(KESTCOM_CALL *)(char *name);
using W_AdjustSeconds = int32_t(KESTCOM_CALL *)(char *name, int32_t seconds);
using W_SendConfigurations = int32_t(KESTCOM_CALL *)(char *name, int32_t entrySeparation,
                                                     int32_t messageDelay, int32_t dayCloseTime,
                                                     int32_t twelveHours, int32_t cardSeries,
                                                     int32_t maximumWorkTime, int32_t clockTick,
                                                     int32_t gate1, int32_t gate2);
using W_InsertEvent = int32_t(KESTCOM_CALL *)(char *name, int32_t index, int32_t seconds,
                                              int32_t period, int32_t repeats, int32_t function,
                                              int32_t ringMask, int32_t weekdayMask);
using W_SendMessage = int32_t(KESTCOM_CALL *)(char *name, int32_t employee, char *text,
                                              int32_t kind);
using W_ShowMessage = int32_t(KESTCOM_CALL *)(char *name, int32_t number, char *text);
using W_SendJustifications = int32_t(KESTCOM_CALL *)(char *name, char *text);
using W_InsertEntry = int32_t(KESTCOM_CALL *)(char *name, int32_t index, int32_t seconds,
                                              int32_t cardCode, int32_t aux1,
                                              int32_t justification, int32_t presence);
using W_DeleteEntry = int32_t(KESTCOM_CALL *)(char *name, int32_t index);
using W_ReadPointers = int32_t(KESTCOM_CALL *)(char *name, int32_t *first, int32_t *second,
                                               int32_t *third);
using W_SendReaderPointer = int32_t(KESTCOM_CALL *)(char *name, int32_t value);
using W_SendAllPointers = int32_t(KESTCOM_CALL *)(char *name, int32_t first, int32_t second,
                                                  int32_t third);
using W_SendEmployerName = int32_t(KESTCOM_CALL *)(char *name, int32_t employee, char *text,
                                                   int32_t cardCode, int32_t last);
using W_ClearEmployerName = int32_t(KESTCOM_CALL *)(char *name, int32_t employee);
using W_Kill = int32_t(KESTCOM_CALL *)(char *name);
// clockName: 9 bytes plus a terminating zero.
using W_ReceiveEntry = int32_t(KESTCOM_CALL *)(char *clockName, int32_t *index, int32_t *seconds,
                                               int32_t *cardCode, uint8_t *aux1,
                                               uint8_t *justification, uint8_t *presence,
                                               int32_t *orValue, int32_t *code);
} // namespace kestcom_abi
