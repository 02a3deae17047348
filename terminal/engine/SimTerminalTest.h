#pragma once
// The simulated terminal's test interface: extra exports of libKestCom that
// the program never calls. Tests drive the line, the PC clock and the
// terminals with them and read back what the operations left behind.
//
// Every pointer argument must be non-null (else 0); every buf write is
// bounded by size and zero-terminated. Nothing here needs the link open.
//
// Seven calls, marked "In process only", exist only in the in-process
// library (libKestComSim); the line library (libKestCom) does not carry
// them to a terminal program.

#include "link/KestComAbi.h"

#include <cstdint>

extern "C" {

struct SimEntry
{
    int32_t seconds;
    int32_t cardCode;
    uint8_t aux1;
    uint8_t justification;
    uint8_t presence;
    int32_t orValue; // 0 stamped by a card at the reader, 1 inserted by W_InsertEntry
    int32_t code;    // the terminal's serial number of the entry, from 1
};

// Empty, deterministic state: port closed, one factory "PONTO_00" without
// entries, real PC clock, no injected failures, counters and log cleared.
KESTCOM_EXPORT void KESTCOM_CALL Sim_Reset(void);
// 1: W_ReceiveEntry writes a name shorter than nine characters as the name
// and a zero byte, leaving the rest of the buffer untouched (as some
// libraries do); 0 (after Sim_Reset): blank-padded to nine.
KESTCOM_EXPORT void KESTCOM_CALL Sim_SetZeroTerminatedNames(int32_t on);
// Replaces the terminal's entries with the demo morning; reader pointer 0.
KESTCOM_EXPORT void KESTCOM_CALL Sim_LoadMorning(const char *name);

// The PC clock, as a clock second count; frozen values are clamped to +-2^53.
KESTCOM_EXPORT void KESTCOM_CALL Sim_SetPcClock(int64_t clockSeconds);
KESTCOM_EXPORT void KESTCOM_CALL Sim_AdvancePcClock(int64_t seconds);
KESTCOM_EXPORT void KESTCOM_CALL Sim_UseRealPcClock(void);
KESTCOM_EXPORT int64_t KESTCOM_CALL Sim_PcClock(void);

// 1 = done; 0 = empty, too long for a terminal name or duplicate name / not found.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_AddTerminal(const char *name);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_RemoveTerminal(const char *name);
// A silent terminal ignores the line but still stamps cards.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetTerminalAnswering(const char *name, int32_t on);
// Entry memory size of every terminal, 0..2147483646; Sim_Reset restores 2,000,000.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetEntryCapacity(int32_t capacity);

// The new entry's index, or -1 (unknown terminal, memory full, clock out of range).
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PassCard(const char *name, int32_t cardCode);
// A card at the reader with aux1, justification and presence as the reader
// set them (0..255 each, else -1 with nothing stamped).
// In process only.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PassCardWith(const char *name, int32_t cardCode,
                                                     int32_t aux1, int32_t justification,
                                                     int32_t presence);
// The terminals on the line in the order added; names read back like texts.
// In process only.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_TerminalCount(void);
// In process only.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetTerminalName(int32_t i, char *buf, int32_t size);
// Sets the terminal clock by hand, as its keypad would: 0 for an unknown
// terminal; the clock then runs with the PC clock.
// In process only.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetTerminalClock(const char *name, int32_t clockSeconds);
// -1 for an unknown terminal.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_EntryCount(const char *name);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEntry(const char *name, int32_t index, SimEntry *out);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPointers(const char *name, int32_t *first,
                                                    int32_t *second, int32_t *reader);

// The terminal clock now; 0 when unknown or outside 32 bits.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_ReadClock(const char *name);
// Number of W_AdjustSeconds calls since factory state (0 = never adjusted),
// with the last reference given and the drift found (terminal minus reference).
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetAdjustment(const char *name, int32_t *reference,
                                                      int64_t *drift);

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PortState(int32_t *open, int32_t *baud,
                                                  int32_t *callConnected, int32_t *linkOpen);
// The last 1000 IO_Write texts, oldest first, as used (length and zero applied).
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteCount(void);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteText(int32_t i, char *buf, int32_t size);

// The next `times` calls of the operation fail without effect; -1 = always,
// 0 = clear; unknown operations and other negatives are ignored.
KESTCOM_EXPORT void KESTCOM_CALL Sim_FailOperation(const char *operation, int32_t times);
// Calls since Sim_Reset, failed ones included.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_CallCount(const char *operation);

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfiguration(const char *name, int32_t out[9]);
// -1 for an unknown terminal.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_JustificationCount(const char *name);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetJustification(const char *name, int32_t i, char *buf,
                                                         int32_t size);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetMessage(const char *name, int32_t employee,
                                                   int32_t kind, char *buf, int32_t size);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetShownMessage(const char *name, int32_t *number,
                                                        char *buf, int32_t size);
// The terminal clock at the moment the shown message arrived; 0 when none is shown.
// In process only.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetShownMessageTime(const char *name, int64_t *at);
// out = seconds, period, repeats, function, ringMask, weekdayMask; 0 for an empty slot.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEvent(const char *name, int32_t slot, int32_t out[6]);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEmployeeName(const char *name, int32_t employee,
                                                        char *buf, int32_t size,
                                                        int32_t *cardCode, int32_t *last);
// The i-th employee name held, in employee-number order; -1 count for an
// unknown terminal.
// In process only.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_EmployeeCount(const char *name);
// In process only.
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEmployeeAt(const char *name, int32_t i,
                                                      int32_t *employee, char *buf, int32_t size,
                                                      int32_t *cardCode);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPcName(char *buf, int32_t size);
KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfirmationsTimeout(int32_t *a, int32_t *b);

} // extern "C"
