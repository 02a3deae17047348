// The 25 operations and the test interface as requests on the line.
// Arguments a terminal could not be sent (null pointers, texts too long for
// a frame) fail here with 0 and nothing is sent.

#include "terminal/line/LineClient.h"
#include "terminal/line/OperationCodec.h"
#include "terminal/line/LineTest.h"
#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimTerminalTest.h"
#include "link/TerminalLimits.h"

using namespace terminal::line;

namespace {

// The result, with the answer's results in the caller's places.
template <typename... P>
int32_t Answered(Op op, const std::optional<Answer> &answer, P... params)
{
    if (!answer || answer->result == 0 || !DecodeResults(op, answer->body, nullptr, params...))
        return 0;
    return answer->result;
}

// One operation on the open line.
template <Op op, typename... P>
int32_t OnLine(P... params)
{
    auto request = EncodeRequest(op, params...);
    return request ? Answered(op, LibraryLineClient().call(*request, op), params...) : 0;
}

// One operation only on the port the library holds.
template <Op op, typename... P>
int32_t OnPort(int32_t port, P... params)
{
    auto request = EncodeRequest(op, port, params...);
    return request ? Answered(op, LibraryLineClient().onPort(port, *request, op), port, params...) : 0;
}

// A call of the test interface; `unanswered` when no terminal answered.
template <Op op, typename... P>
int32_t OnTest(int32_t unanswered, P... params)
{
    auto request = EncodeRequest(op, params...);
    if (!request)
        return 0;
    const auto answer = LibraryLineClient().testCall(*request, op);
    return answer ? Answered(op, answer, params...) : unanswered;
}

// A call of the test interface that returns nothing.
template <Op op, typename... P>
void TellTest(P... params)
{
    if (auto request = EncodeRequest(op, params...))
        LibraryLineClient().testCall(*request, op);
}

} // namespace

extern "C" {

KESTCOM_EXPORT int32_t KESTCOM_CALL SetPCName(char *pcName)
{
    return LibraryLineClient().setPcName(pcName);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL SetConfirmationsTimeout(int32_t a, int32_t b)
{
    return LibraryLineClient().setConfirmations(a, b);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutError(int32_t port, int32_t baud)
{
    return LibraryLineClient().open(Op::InitializeCommWithoutError, port, baud);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutOpen(int32_t port)
{
    return OnPort<Op::InitializeCommWithoutOpen>(port);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Reset_Message(char *name)
{
    return OnLine<Op::Reset_Message>(name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL TerminateComm(int32_t port)
{
    return LibraryLineClient().close(port);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL IO_Open(int32_t port, int32_t baud)
{
    return LibraryLineClient().open(Op::IO_Open, port, baud);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL IO_Write(int32_t port, int32_t length, char *text)
{
    return OnPort<Op::IO_Write>(port, length, text);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendSeconds(char *name, int32_t seconds)
{
    return OnLine<Op::W_SendSeconds>(name, seconds);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReadSeconds(char *name)
{
    return OnLine<Op::W_ReadSeconds>(name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_AdjustSeconds(char *name, int32_t seconds)
{
    return OnLine<Op::W_AdjustSeconds>(name, seconds);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendConfigurations(char *name, int32_t entrySeparation,
                                                         int32_t messageDelay,
                                                         int32_t dayCloseTime, int32_t twelveHours,
                                                         int32_t cardSeries,
                                                         int32_t maximumWorkTime,
                                                         int32_t clockTick, int32_t gate1,
                                                         int32_t gate2)
{
    return OnLine<Op::W_SendConfigurations>(name, entrySeparation, messageDelay, dayCloseTime,
                                            twelveHours, cardSeries, maximumWorkTime, clockTick,
                                            gate1, gate2);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_InsertEvent(char *name, int32_t index, int32_t seconds,
                                                  int32_t period, int32_t repeats,
                                                  int32_t function, int32_t ringMask,
                                                  int32_t weekdayMask)
{
    return OnLine<Op::W_InsertEvent>(name, index, seconds, period, repeats, function, ringMask,
                                     weekdayMask);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendMessage(char *name, int32_t employee, char *text,
                                                  int32_t kind)
{
    return OnLine<Op::W_SendMessage>(name, employee, text, kind);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ShowMessage(char *name, int32_t number, char *text)
{
    return OnLine<Op::W_ShowMessage>(name, number, text);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendJustifications(char *name, char *text)
{
    return OnLine<Op::W_SendJustifications>(name, text);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_InsertEntry(char *name, int32_t index, int32_t seconds,
                                                  int32_t cardCode, int32_t aux1,
                                                  int32_t justification, int32_t presence)
{
    return OnLine<Op::W_InsertEntry>(name, index, seconds, cardCode, aux1, justification,
                                     presence);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_DeleteEntry(char *name, int32_t index)
{
    return OnLine<Op::W_DeleteEntry>(name, index);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReadPointers(char *name, int32_t *first, int32_t *second,
                                                   int32_t *third)
{
    return OnLine<Op::W_ReadPointers>(name, first, second, third);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendReaderPointer(char *name, int32_t value)
{
    return OnLine<Op::W_SendReaderPointer>(name, value);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendAllPointers(char *name, int32_t first, int32_t second,
                                                      int32_t third)
{
    return OnLine<Op::W_SendAllPointers>(name, first, second, third);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendEmployerName(char *name, int32_t employee, char *text,
                                                       int32_t cardCode, int32_t last)
{
    return OnLine<Op::W_SendEmployerName>(name, employee, text, cardCode, last);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ClearEmployerName(char *name, int32_t employee)
{
    return OnLine<Op::W_ClearEmployerName>(name, employee);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_Kill(char *name)
{
    return OnLine<Op::W_Kill>(name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReceiveEntry(char *clockName, int32_t *index,
                                                   int32_t *seconds, int32_t *cardCode,
                                                   uint8_t *aux1, uint8_t *justification,
                                                   uint8_t *presence, int32_t *orValue,
                                                   int32_t *code)
{
    return OnLine<Op::W_ReceiveEntry>(clockName, index, seconds, cardCode, aux1, justification,
                                      presence, orValue, code);
}

// --- test interface ---

KESTCOM_EXPORT void KESTCOM_CALL Sim_SetTestPort(int32_t port)
{
    if (!PortName(port).empty())
        LibraryLineClient().setTestPort(port);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_TerminalProcess(void)
{
    return OnTest<Op::Sim_TerminalProcess>(0);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetPace(int32_t instant)
{
    return OnTest<Op::Sim_SetPace>(0, instant);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_Reset(void)
{
    TellTest<Op::Sim_Reset>();
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_SetZeroTerminatedNames(int32_t on)
{
    TellTest<Op::Sim_SetZeroTerminatedNames>(on);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_LoadMorning(const char *name)
{
    TellTest<Op::Sim_LoadMorning>(name);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_SetPcClock(int64_t clockSeconds)
{
    TellTest<Op::Sim_SetPcClock>(clockSeconds);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_AdvancePcClock(int64_t seconds)
{
    TellTest<Op::Sim_AdvancePcClock>(seconds);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_UseRealPcClock(void)
{
    TellTest<Op::Sim_UseRealPcClock>();
}

KESTCOM_EXPORT int64_t KESTCOM_CALL Sim_PcClock(void)
{
    auto request = EncodeRequest(Op::Sim_PcClock);
    const auto answer = LibraryLineClient().testCall(*request, Op::Sim_PcClock);
    int64_t value = 0;
    return answer && DecodeResults(Op::Sim_PcClock, answer->body, &value) ? value : 0;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_AddTerminal(const char *name)
{
    return OnTest<Op::Sim_AddTerminal>(0, name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_RemoveTerminal(const char *name)
{
    return OnTest<Op::Sim_RemoveTerminal>(0, name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetTerminalAnswering(const char *name, int32_t on)
{
    return OnTest<Op::Sim_SetTerminalAnswering>(0, name, on);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetEntryCapacity(int32_t capacity)
{
    return OnTest<Op::Sim_SetEntryCapacity>(0, capacity);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PassCard(const char *name, int32_t cardCode)
{
    return OnTest<Op::Sim_PassCard>(-1, name, cardCode);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_EntryCount(const char *name)
{
    return OnTest<Op::Sim_EntryCount>(-1, name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEntry(const char *name, int32_t index, SimEntry *out)
{
    return OnTest<Op::Sim_GetEntry>(0, name, index, out);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPointers(const char *name, int32_t *first,
                                                    int32_t *second, int32_t *reader)
{
    return OnTest<Op::Sim_GetPointers>(0, name, first, second, reader);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_ReadClock(const char *name)
{
    return OnTest<Op::Sim_ReadClock>(0, name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetAdjustment(const char *name, int32_t *reference,
                                                      int64_t *drift)
{
    return OnTest<Op::Sim_GetAdjustment>(0, name, reference, drift);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PortState(int32_t *open, int32_t *baud,
                                                  int32_t *callConnected, int32_t *linkOpen)
{
    return OnTest<Op::Sim_PortState>(0, open, baud, callConnected, linkOpen);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteCount(void)
{
    return OnTest<Op::Sim_IoWriteCount>(0);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteText(int32_t i, char *buf, int32_t size)
{
    return OnTest<Op::Sim_IoWriteText>(0, i, buf, size);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_FailOperation(const char *operation, int32_t times)
{
    TellTest<Op::Sim_FailOperation>(operation, times);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_CallCount(const char *operation)
{
    return OnTest<Op::Sim_CallCount>(0, operation);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfiguration(const char *name, int32_t out[9])
{
    return OnTest<Op::Sim_GetConfiguration>(0, name, out);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_JustificationCount(const char *name)
{
    return OnTest<Op::Sim_JustificationCount>(-1, name);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetJustification(const char *name, int32_t i, char *buf,
                                                         int32_t size)
{
    return OnTest<Op::Sim_GetJustification>(0, name, i, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetMessage(const char *name, int32_t employee,
                                                   int32_t kind, char *buf, int32_t size)
{
    return OnTest<Op::Sim_GetMessage>(0, name, employee, kind, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetShownMessage(const char *name, int32_t *number,
                                                        char *buf, int32_t size)
{
    return OnTest<Op::Sim_GetShownMessage>(0, name, number, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEvent(const char *name, int32_t slot, int32_t out[6])
{
    return OnTest<Op::Sim_GetEvent>(0, name, slot, out);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEmployeeName(const char *name, int32_t employee,
                                                        char *buf, int32_t size,
                                                        int32_t *cardCode, int32_t *last)
{
    return OnTest<Op::Sim_GetEmployeeName>(0, name, employee, buf, size, cardCode, last);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPcName(char *buf, int32_t size)
{
    return OnTest<Op::Sim_GetPcName>(0, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfirmationsTimeout(int32_t *a, int32_t *b)
{
    return OnTest<Op::Sim_GetConfirmationsTimeout>(0, a, b);
}

} // extern "C"
