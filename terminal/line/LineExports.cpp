// The 25 operations and the test interface as requests on the line.
// Arguments a terminal could not be sent (null pointers, texts too long for
// a frame) fail here with 0 and nothing is sent.

#include "terminal/line/LineClient.h"
#include "terminal/line/OperationCodec.h"
#include "terminal/line/LineTest.h"
#include "terminal/engine/KestComExports.h"
#include "terminal/engine/CopyText.h"
#include "terminal/engine/SignificantName.h"
#include "terminal/engine/SimTerminalTest.h"

#include <algorithm>
#include <cstring>

using namespace velmora::line;

namespace {

Writer request(Op op)
{
    return Writer(0, static_cast<uint8_t>(op));
}

Writer named(Op op, const char *name)
{
    Writer w = request(op);
    w.text(velmora::sim::SignificantName(name));
    return w;
}

int32_t result(const std::optional<Answer> &answer)
{
    return answer ? answer->result : 0;
}

// The longest text a frame can carry after its other arguments; longer fails.
bool fitsFrame(const char *text)
{
    return strnlen(text, kMaxBody) < kMaxBody - 64;
}

int32_t readSize(int32_t size)
{
    return std::clamp(size, 0, kTextReadLimit);
}

// An answer's whole numbers into out, only when every one of them arrived:
// a failed or short answer leaves the caller's places as they were.
int32_t intsBack(const std::optional<Answer> &answer, int32_t *out, std::size_t count)
{
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    int32_t values[16];
    for (std::size_t i = 0; i < count; ++i)
        values[i] = r.i32();
    if (!r.complete())
        return 0;
    std::copy(values, values + count, out);
    return answer->result;
}

// The result, with the answer's results in the caller's places.
template <typename... P>
int32_t Answered(Op op, const std::optional<Answer> &answer, P... params)
{
    if (!answer || answer->result == 0 || !DecodeResults(op, answer->body, params...))
        return 0;
    return answer->result;
}

// One operation on the open line.
template <Op op, typename... P>
int32_t OnLine(P... params)
{
    auto request = EncodeRequest(op, params...);
    return request ? Answered(op, lineClient().call(*request, op), params...) : 0;
}

// One operation only on the port the library holds.
template <Op op, typename... P>
int32_t OnPort(int32_t port, P... params)
{
    auto request = EncodeRequest(op, port, params...);
    return request ? Answered(op, lineClient().onPort(port, *request, op), port, params...) : 0;
}

} // namespace

extern "C" {

KESTCOM_EXPORT int32_t KESTCOM_CALL SetPCName(char *pcName)
{
    return lineClient().setPcName(pcName);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL SetConfirmationsTimeout(int32_t a, int32_t b)
{
    return lineClient().setConfirmations(a, b);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutError(int32_t port, int32_t baud)
{
    return lineClient().open(Op::InitializeCommWithoutError, port, baud);
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
    return lineClient().close(port);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL IO_Open(int32_t port, int32_t baud)
{
    return lineClient().open(Op::IO_Open, port, baud);
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
    if (!portName(port).empty())
        lineClient().setTestPort(port);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_TerminalProcess(void)
{
    Writer w = request(Op::Sim_TerminalProcess);
    return result(lineClient().testCall(w, Op::Sim_TerminalProcess));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetPace(int32_t instant)
{
    Writer w = request(Op::Sim_SetPace);
    w.i32(instant);
    return result(lineClient().testCall(w, Op::Sim_SetPace));
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_Reset(void)
{
    Writer w = request(Op::Sim_Reset);
    lineClient().testCall(w, Op::Sim_Reset);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_SetZeroTerminatedNames(int32_t on)
{
    Writer w = request(Op::Sim_SetZeroTerminatedNames);
    w.i32(on);
    lineClient().testCall(w, Op::Sim_SetZeroTerminatedNames);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_LoadMorning(const char *name)
{
    Writer w = named(Op::Sim_LoadMorning, name);
    lineClient().testCall(w, Op::Sim_LoadMorning);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_SetPcClock(int64_t clockSeconds)
{
    Writer w = request(Op::Sim_SetPcClock);
    w.i64(clockSeconds);
    lineClient().testCall(w, Op::Sim_SetPcClock);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_AdvancePcClock(int64_t seconds)
{
    Writer w = request(Op::Sim_AdvancePcClock);
    w.i64(seconds);
    lineClient().testCall(w, Op::Sim_AdvancePcClock);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_UseRealPcClock(void)
{
    Writer w = request(Op::Sim_UseRealPcClock);
    lineClient().testCall(w, Op::Sim_UseRealPcClock);
}

KESTCOM_EXPORT int64_t KESTCOM_CALL Sim_PcClock(void)
{
    Writer w = request(Op::Sim_PcClock);
    const auto answer = lineClient().testCall(w, Op::Sim_PcClock);
    if (!answer)
        return 0;
    Reader r = answer->results();
    const int64_t value = r.i64();
    return r.complete() ? value : 0;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_AddTerminal(const char *name)
{
    Writer w = named(Op::Sim_AddTerminal, name);
    return result(lineClient().testCall(w, Op::Sim_AddTerminal));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_RemoveTerminal(const char *name)
{
    Writer w = named(Op::Sim_RemoveTerminal, name);
    return result(lineClient().testCall(w, Op::Sim_RemoveTerminal));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetTerminalAnswering(const char *name, int32_t on)
{
    Writer w = named(Op::Sim_SetTerminalAnswering, name);
    w.i32(on);
    return result(lineClient().testCall(w, Op::Sim_SetTerminalAnswering));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_SetEntryCapacity(int32_t capacity)
{
    Writer w = request(Op::Sim_SetEntryCapacity);
    w.i32(capacity);
    return result(lineClient().testCall(w, Op::Sim_SetEntryCapacity));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PassCard(const char *name, int32_t cardCode)
{
    Writer w = named(Op::Sim_PassCard, name);
    w.i32(cardCode);
    const auto answer = lineClient().testCall(w, Op::Sim_PassCard);
    return answer ? answer->result : -1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_EntryCount(const char *name)
{
    Writer w = named(Op::Sim_EntryCount, name);
    const auto answer = lineClient().testCall(w, Op::Sim_EntryCount);
    return answer ? answer->result : -1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEntry(const char *name, int32_t index, SimEntry *out)
{
    if (!out)
        return 0;
    Writer w = named(Op::Sim_GetEntry, name);
    w.i32(index);
    const auto answer = lineClient().testCall(w, Op::Sim_GetEntry);
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    SimEntry e{};
    e.seconds = r.i32();
    e.cardCode = r.i32();
    e.aux1 = r.u8();
    e.justification = r.u8();
    e.presence = r.u8();
    e.orValue = r.i32();
    e.code = r.i32();
    if (!r.complete())
        return 0;
    *out = e;
    return answer->result;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPointers(const char *name, int32_t *first,
                                                    int32_t *second, int32_t *reader)
{
    if (!first || !second || !reader)
        return 0;
    Writer w = named(Op::Sim_GetPointers, name);
    int32_t v[3];
    const int32_t result = intsBack(lineClient().testCall(w, Op::Sim_GetPointers), v, 3);
    if (result != 0) {
        *first = v[0];
        *second = v[1];
        *reader = v[2];
    }
    return result;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_ReadClock(const char *name)
{
    Writer w = named(Op::Sim_ReadClock, name);
    return result(lineClient().testCall(w, Op::Sim_ReadClock));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetAdjustment(const char *name, int32_t *reference,
                                                      int64_t *drift)
{
    if (!reference || !drift)
        return 0;
    Writer w = named(Op::Sim_GetAdjustment, name);
    const auto answer = lineClient().testCall(w, Op::Sim_GetAdjustment);
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    const int32_t ref = r.i32();
    const int64_t d = r.i64();
    if (!r.complete())
        return 0;
    *reference = ref;
    *drift = d;
    return answer->result;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_PortState(int32_t *open, int32_t *baud,
                                                  int32_t *callConnected, int32_t *linkOpen)
{
    if (!open || !baud || !callConnected || !linkOpen)
        return 0;
    Writer w = request(Op::Sim_PortState);
    int32_t v[4];
    const int32_t result = intsBack(lineClient().testCall(w, Op::Sim_PortState), v, 4);
    if (result != 0) {
        *open = v[0];
        *baud = v[1];
        *callConnected = v[2];
        *linkOpen = v[3];
    }
    return result;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteCount(void)
{
    Writer w = request(Op::Sim_IoWriteCount);
    return result(lineClient().testCall(w, Op::Sim_IoWriteCount));
}

namespace {

// A read-back of one text: the terminal answers the text, this side bounds it.
int32_t textBack(Writer &w, Op op, char *buf, int32_t size)
{
    w.i32(readSize(size));
    const auto answer = lineClient().testCall(w, op);
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    const std::string_view text = r.text();
    if (!r.complete())
        return 0;
    return velmora::sim::CopyText(text, buf, size);
}

} // namespace

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_IoWriteText(int32_t i, char *buf, int32_t size)
{
    if (!buf || size <= 0)
        return 0;
    Writer w = request(Op::Sim_IoWriteText);
    w.i32(i);
    return textBack(w, Op::Sim_IoWriteText, buf, size);
}

KESTCOM_EXPORT void KESTCOM_CALL Sim_FailOperation(const char *operation, int32_t times)
{
    if (!operation || !fitsFrame(operation))
        return;
    Writer w = request(Op::Sim_FailOperation);
    w.text(operation).i32(times);
    lineClient().testCall(w, Op::Sim_FailOperation);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_CallCount(const char *operation)
{
    if (!operation || !fitsFrame(operation))
        return 0;
    Writer w = request(Op::Sim_CallCount);
    w.text(operation);
    return result(lineClient().testCall(w, Op::Sim_CallCount));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfiguration(const char *name, int32_t out[9])
{
    if (!out)
        return 0;
    Writer w = named(Op::Sim_GetConfiguration, name);
    return intsBack(lineClient().testCall(w, Op::Sim_GetConfiguration), out, 9);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_JustificationCount(const char *name)
{
    Writer w = named(Op::Sim_JustificationCount, name);
    const auto answer = lineClient().testCall(w, Op::Sim_JustificationCount);
    return answer ? answer->result : -1;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetJustification(const char *name, int32_t i, char *buf,
                                                         int32_t size)
{
    if (!buf || size <= 0)
        return 0;
    Writer w = named(Op::Sim_GetJustification, name);
    w.i32(i);
    return textBack(w, Op::Sim_GetJustification, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetMessage(const char *name, int32_t employee,
                                                   int32_t kind, char *buf, int32_t size)
{
    if (!buf || size <= 0)
        return 0;
    Writer w = named(Op::Sim_GetMessage, name);
    w.i32(employee).i32(kind);
    return textBack(w, Op::Sim_GetMessage, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetShownMessage(const char *name, int32_t *number,
                                                        char *buf, int32_t size)
{
    if (!number || !buf || size <= 0)
        return 0;
    Writer w = named(Op::Sim_GetShownMessage, name);
    w.i32(readSize(size));
    const auto answer = lineClient().testCall(w, Op::Sim_GetShownMessage);
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    const int32_t n = r.i32();
    const std::string_view text = r.text();
    if (!r.complete())
        return 0;
    *number = n;
    return velmora::sim::CopyText(text, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEvent(const char *name, int32_t slot, int32_t out[6])
{
    if (!out)
        return 0;
    Writer w = named(Op::Sim_GetEvent, name);
    w.i32(slot);
    return intsBack(lineClient().testCall(w, Op::Sim_GetEvent), out, 6);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetEmployeeName(const char *name, int32_t employee,
                                                        char *buf, int32_t size,
                                                        int32_t *cardCode, int32_t *last)
{
    if (!buf || size <= 0 || !cardCode || !last)
        return 0;
    Writer w = named(Op::Sim_GetEmployeeName, name);
    w.i32(employee).i32(readSize(size));
    const auto answer = lineClient().testCall(w, Op::Sim_GetEmployeeName);
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    const std::string_view text = r.text();
    const int32_t card = r.i32(), l = r.i32();
    if (!r.complete())
        return 0;
    *cardCode = card;
    *last = l;
    return velmora::sim::CopyText(text, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetPcName(char *buf, int32_t size)
{
    if (!buf || size <= 0)
        return 0;
    Writer w = request(Op::Sim_GetPcName);
    return textBack(w, Op::Sim_GetPcName, buf, size);
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Sim_GetConfirmationsTimeout(int32_t *a, int32_t *b)
{
    if (!a || !b)
        return 0;
    Writer w = request(Op::Sim_GetConfirmationsTimeout);
    const auto answer = lineClient().testCall(w, Op::Sim_GetConfirmationsTimeout);
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    const int32_t x = r.i32(), y = r.i32();
    if (!r.complete())
        return 0;
    *a = x;
    *b = y;
    return answer->result;
}

} // extern "C"
