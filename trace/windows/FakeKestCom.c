/* A fake vendor library for the Windows test host: records what each
   operation received, answers a value of its own per operation and writes
   known values into the buffers an operation may write. */
#include "FakeRecord.h"
#include "KestComTrace.h"

#include <string.h>

static FakeRecord record;

const FakeRecord *KESTCOM_CALL Fake_Record(void)
{
    return &record;
}

static void begin(const char *operation)
{
    memset(&record, 0, sizeof record);
    strncpy(record.operation, operation, sizeof record.operation - 1);
}

static void number(int32_t value)
{
    if (record.numberCount < 10)
        record.numbers[record.numberCount++] = value;
}

static void text(const char *value)
{
    if (record.textCount < 2 && value)
        strncpy(record.texts[record.textCount++], value, sizeof record.texts[0] - 1);
}

int32_t KESTCOM_CALL SetPCName(char *pcName)
{
    begin("SetPCName");
    text(pcName);
    return 1;
}

int32_t KESTCOM_CALL SetConfirmationsTimeout(int32_t a, int32_t b)
{
    begin("SetConfirmationsTimeout");
    number(a);
    number(b);
    return 2;
}

int32_t KESTCOM_CALL InitializeCommWithoutError(int32_t port, int32_t baud)
{
    begin("InitializeCommWithoutError");
    number(port);
    number(baud);
    return 3;
}

int32_t KESTCOM_CALL InitializeCommWithoutOpen(int32_t port)
{
    begin("InitializeCommWithoutOpen");
    number(port);
    return 4;
}

int32_t KESTCOM_CALL Reset_Message(char *name)
{
    begin("Reset_Message");
    text(name);
    memcpy(name, "PONTO_07", 8); /* a library that answers with another name */
    return 5;
}

int32_t KESTCOM_CALL TerminateComm(int32_t port)
{
    begin("TerminateComm");
    number(port);
    return 6;
}

int32_t KESTCOM_CALL IO_Open(int32_t port, int32_t baud)
{
    begin("IO_Open");
    number(port);
    number(baud);
    return 7;
}

int32_t KESTCOM_CALL IO_Write(int32_t port, int32_t length, char *value)
{
    begin("IO_Write");
    number(port);
    number(length);
    text(value);
    return 8;
}

int32_t KESTCOM_CALL W_SendSeconds(char *name, int32_t seconds)
{
    begin("W_SendSeconds");
    text(name);
    number(seconds);
    return 9;
}

int32_t KESTCOM_CALL W_ReadSeconds(char *name)
{
    begin("W_ReadSeconds");
    text(name);
    return 976190400;
}

int32_t KESTCOM_CALL W_AdjustSeconds(char *name, int32_t seconds)
{
    begin("W_AdjustSeconds");
    text(name);
    number(seconds);
    return 11;
}

int32_t KESTCOM_CALL W_SendConfigurations(char *name, int32_t entrySeparation,
                                          int32_t messageDelay, int32_t dayCloseTime,
                                          int32_t twelveHours, int32_t cardSeries,
                                          int32_t maximumWorkTime, int32_t clockTick,
                                          int32_t gate1, int32_t gate2)
{
    begin("W_SendConfigurations");
    text(name);
    number(entrySeparation);
    number(messageDelay);
    number(dayCloseTime);
    number(twelveHours);
    number(cardSeries);
    number(maximumWorkTime);
    number(clockTick);
    number(gate1);
    number(gate2);
    return 12;
}

int32_t KESTCOM_CALL W_InsertEvent(char *name, int32_t index, int32_t seconds, int32_t period,
                                   int32_t repeats, int32_t function, int32_t ringMask,
                                   int32_t weekdayMask)
{
    begin("W_InsertEvent");
    text(name);
    number(index);
    number(seconds);
    number(period);
    number(repeats);
    number(function);
    number(ringMask);
    number(weekdayMask);
    return 13;
}

int32_t KESTCOM_CALL W_SendMessage(char *name, int32_t employee, char *value, int32_t kind)
{
    begin("W_SendMessage");
    text(name);
    number(employee);
    text(value);
    number(kind);
    return 14;
}

int32_t KESTCOM_CALL W_ShowMessage(char *name, int32_t number_, char *value)
{
    begin("W_ShowMessage");
    text(name);
    number(number_);
    text(value);
    return 15;
}

int32_t KESTCOM_CALL W_SendJustifications(char *name, char *value)
{
    begin("W_SendJustifications");
    text(name);
    text(value);
    return 16;
}

int32_t KESTCOM_CALL W_InsertEntry(char *name, int32_t index, int32_t seconds, int32_t cardCode,
                                   int32_t aux1, int32_t justification, int32_t presence)
{
    begin("W_InsertEntry");
    text(name);
    number(index);
    number(seconds);
    number(cardCode);
    number(aux1);
    number(justification);
    number(presence);
    return 17;
}

int32_t KESTCOM_CALL W_DeleteEntry(char *name, int32_t index)
{
    begin("W_DeleteEntry");
    text(name);
    number(index);
    return 18;
}

int32_t KESTCOM_CALL W_ReadPointers(char *name, int32_t *first, int32_t *second, int32_t *third)
{
    begin("W_ReadPointers");
    text(name);
    record.pointers[0] = first;
    record.pointers[1] = second;
    record.pointers[2] = third;
    *first = 12;
    *second = -1;
    *third = 2147483647;
    return 19;
}

int32_t KESTCOM_CALL W_SendReaderPointer(char *name, int32_t value)
{
    begin("W_SendReaderPointer");
    text(name);
    number(value);
    return 20;
}

int32_t KESTCOM_CALL W_SendAllPointers(char *name, int32_t first, int32_t second, int32_t third)
{
    begin("W_SendAllPointers");
    text(name);
    number(first);
    number(second);
    number(third);
    return 21;
}

int32_t KESTCOM_CALL W_SendEmployerName(char *name, int32_t employee, char *value,
                                        int32_t cardCode, int32_t last)
{
    begin("W_SendEmployerName");
    text(name);
    number(employee);
    text(value);
    number(cardCode);
    number(last);
    return 22;
}

int32_t KESTCOM_CALL W_ClearEmployerName(char *name, int32_t employee)
{
    begin("W_ClearEmployerName");
    text(name);
    number(employee);
    return 23;
}

int32_t KESTCOM_CALL W_Kill(char *name)
{
    begin("W_Kill");
    text(name);
    name[4] = '\0'; /* shortens the name */
    return -24;
}

int32_t KESTCOM_CALL W_ReceiveEntry(char *clockName, int32_t *index, int32_t *seconds,
                                    int32_t *cardCode, uint8_t *aux1, uint8_t *justification,
                                    uint8_t *presence, int32_t *orValue, int32_t *code)
{
    begin("W_ReceiveEntry");
    const void *given[9] = {clockName, index, seconds, cardCode, aux1,
                            justification, presence, orValue, code};
    memcpy(record.pointers, given, sizeof given);
    /* A short name with a zero, the rest of the buffer left as it was. */
    memcpy(clockName, "N\xe3o", 4);
    *index = 12;
    *seconds = 976190400;
    *cardCode = 1053;
    *aux1 = 255;
    *justification = 7;
    *presence = 1;
    *orValue = -5;
    *code = 99;
    return 1;
}
