/* The 25 operations of the clock link library as the trace library exports
   them: the same shapes and calling convention as the vendor's library, so
   it can take that library's place. Plain C; no Qt. */
#ifndef VELMORA_KESTCOM_TRACE_H
#define VELMORA_KESTCOM_TRACE_H

#include <stdint.h>

/* 32-bit Windows builds of the library use __stdcall; everywhere else the
   platform's default convention applies. */
#ifndef KESTCOM_CALL
#if defined(_WIN32) && !defined(_WIN64)
#define KESTCOM_CALL __stdcall
#else
#define KESTCOM_CALL
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

int32_t KESTCOM_CALL SetPCName(char *pcName);
int32_t KESTCOM_CALL SetConfirmationsTimeout(int32_t a, int32_t b);
int32_t KESTCOM_CALL InitializeCommWithoutError(int32_t port, int32_t baud);
int32_t KESTCOM_CALL InitializeCommWithoutOpen(int32_t port);
int32_t KESTCOM_CALL Reset_Message(char *name);
int32_t KESTCOM_CALL TerminateComm(int32_t port);
int32_t KESTCOM_CALL IO_Open(int32_t port, int32_t baud);
int32_t KESTCOM_CALL IO_Write(int32_t port, int32_t length, char *text);
int32_t KESTCOM_CALL W_SendSeconds(char *name, int32_t seconds);
int32_t KESTCOM_CALL W_ReadSeconds(char *name);
int32_t KESTCOM_CALL W_AdjustSeconds(char *name, int32_t seconds);
int32_t KESTCOM_CALL W_SendConfigurations(char *name, int32_t entrySeparation,
                                          int32_t messageDelay, int32_t dayCloseTime,
                                          int32_t twelveHours, int32_t cardSeries,
                                          int32_t maximumWorkTime, int32_t clockTick,
                                          int32_t gate1, int32_t gate2);
int32_t KESTCOM_CALL W_InsertEvent(char *name, int32_t index, int32_t seconds, int32_t period,
                                   int32_t repeats, int32_t function, int32_t ringMask,
                                   int32_t weekdayMask);
int32_t KESTCOM_CALL W_SendMessage(char *name, int32_t employee, char *text, int32_t kind);
int32_t KESTCOM_CALL W_ShowMessage(char *name, int32_t number, char *text);
int32_t KESTCOM_CALL W_SendJustifications(char *name, char *text);
int32_t KESTCOM_CALL W_InsertEntry(char *name, int32_t index, int32_t seconds, int32_t cardCode,
                                   int32_t aux1, int32_t justification, int32_t presence);
int32_t KESTCOM_CALL W_DeleteEntry(char *name, int32_t index);
int32_t KESTCOM_CALL W_ReadPointers(char *name, int32_t *first, int32_t *second,
                                    int32_t *third);
int32_t KESTCOM_CALL W_SendReaderPointer(char *name, int32_t value);
int32_t KESTCOM_CALL W_SendAllPointers(char *name, int32_t first, int32_t second,
                                       int32_t third);
int32_t KESTCOM_CALL W_SendEmployerName(char *name, int32_t employee, char *text,
                                        int32_t cardCode, int32_t last);
int32_t KESTCOM_CALL W_ClearEmployerName(char *name, int32_t employee);
int32_t KESTCOM_CALL W_Kill(char *name);
/* clockName: 9 bytes plus a terminating zero. */
int32_t KESTCOM_CALL W_ReceiveEntry(char *clockName, int32_t *index, int32_t *seconds,
                                    int32_t *cardCode, uint8_t *aux1, uint8_t *justification,
                                    uint8_t *presence, int32_t *orValue, int32_t *code);

#ifdef __cplusplus
}
#endif

#endif
