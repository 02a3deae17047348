// The 25 operations and the test interface as requests on the line.
// Arguments a terminal could not be sent (null pointers, texts too long for
// a frame) fail here with 0 and nothing is sent.

#include "terminal/line/LineClient.h"
#include "terminal/line/LineTest.h"
#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimTerminalTest.h"
#include "link/TerminalLimits.h"

#include <algorithm>
#include <cstring>

using namespace velmora::line;

namespace {

constexpr int32_t kTextReadLimit = 4096;

Writer request(Op op)
{
    return Writer(0, static_cast<uint8_t>(op));
}

Writer named(Op op, const char *name)
{
    Writer w = request(op);
    w.text(significantName(name));
    return w;
}

int32_t result(const std::optional<Answer> &answer)
{
    return answer ? answer->result : 0;
}

std::string_view boundedText(const char *text, std::size_t limit)
{
    return std::string_view(text, strnlen(text, limit));
}

// The longest text a frame can carry after its other arguments; longer fails.
bool fitsFrame(const char *text)
{
    return strnlen(text, kMaxBody) < kMaxBody - 64;
}

int32_t copyText(std::string_view text, char *buf, int32_t size)
{
    if (!buf || size <= 0)
        return 0;
    const std::size_t n = std::min(text.size(), std::size_t(size) - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return 1;
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

} // namespace

extern "C" {

KESTCOM_EXPORT int32_t KESTCOM_CALL SetPCName(char *pcName)
{
    if (!pcName || !fitsFrame(pcName))
        return 0;
    return lineClient().setPcName(boundedText(pcName, kMaxBody));
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
    Writer w = request(Op::InitializeCommWithoutOpen);
    w.i32(port);
    return result(lineClient().onPort(port, w, Op::InitializeCommWithoutOpen));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL Reset_Message(char *name)
{
    Writer w = named(Op::Reset_Message, name);
    return result(lineClient().call(w, Op::Reset_Message));
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
    if (length < 0 || !text)
        return 0;
    const std::string_view line(text, strnlen(text, std::size_t(length)));
    if (line.size() >= kMaxBody - 64)
        return 0;
    Writer w = request(Op::IO_Write);
    w.i32(port).text(line);
    return result(lineClient().onPort(port, w, Op::IO_Write));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendSeconds(char *name, int32_t seconds)
{
    Writer w = named(Op::W_SendSeconds, name);
    w.i32(seconds);
    return result(lineClient().call(w, Op::W_SendSeconds));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReadSeconds(char *name)
{
    Writer w = named(Op::W_ReadSeconds, name);
    return result(lineClient().call(w, Op::W_ReadSeconds));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_AdjustSeconds(char *name, int32_t seconds)
{
    Writer w = named(Op::W_AdjustSeconds, name);
    w.i32(seconds);
    return result(lineClient().call(w, Op::W_AdjustSeconds));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendConfigurations(char *name, int32_t entrySeparation,
                                                         int32_t messageDelay,
                                                         int32_t dayCloseTime, int32_t twelveHours,
                                                         int32_t cardSeries,
                                                         int32_t maximumWorkTime,
                                                         int32_t clockTick, int32_t gate1,
                                                         int32_t gate2)
{
    Writer w = named(Op::W_SendConfigurations, name);
    w.i32(entrySeparation).i32(messageDelay).i32(dayCloseTime).i32(twelveHours).i32(cardSeries);
    w.i32(maximumWorkTime).i32(clockTick).i32(gate1).i32(gate2);
    return result(lineClient().call(w, Op::W_SendConfigurations));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_InsertEvent(char *name, int32_t index, int32_t seconds,
                                                  int32_t period, int32_t repeats,
                                                  int32_t function, int32_t ringMask,
                                                  int32_t weekdayMask)
{
    Writer w = named(Op::W_InsertEvent, name);
    w.i32(index).i32(seconds).i32(period).i32(repeats).i32(function).i32(ringMask).i32(weekdayMask);
    return result(lineClient().call(w, Op::W_InsertEvent));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendMessage(char *name, int32_t employee, char *text,
                                                  int32_t kind)
{
    if (!text || !fitsFrame(text))
        return 0;
    Writer w = named(Op::W_SendMessage, name);
    w.i32(employee).text(boundedText(text, kMaxBody)).i32(kind);
    return result(lineClient().call(w, Op::W_SendMessage));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ShowMessage(char *name, int32_t number, char *text)
{
    if (!text || !fitsFrame(text))
        return 0;
    Writer w = named(Op::W_ShowMessage, name);
    w.i32(number).text(boundedText(text, kMaxBody));
    return result(lineClient().call(w, Op::W_ShowMessage));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendJustifications(char *name, char *text)
{
    if (!text || !fitsFrame(text))
        return 0;
    Writer w = named(Op::W_SendJustifications, name);
    w.text(boundedText(text, kMaxBody));
    return result(lineClient().call(w, Op::W_SendJustifications));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_InsertEntry(char *name, int32_t index, int32_t seconds,
                                                  int32_t cardCode, int32_t aux1,
                                                  int32_t justification, int32_t presence)
{
    Writer w = named(Op::W_InsertEntry, name);
    w.i32(index).i32(seconds).i32(cardCode).i32(aux1).i32(justification).i32(presence);
    return result(lineClient().call(w, Op::W_InsertEntry));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_DeleteEntry(char *name, int32_t index)
{
    Writer w = named(Op::W_DeleteEntry, name);
    w.i32(index);
    return result(lineClient().call(w, Op::W_DeleteEntry));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReadPointers(char *name, int32_t *first, int32_t *second,
                                                   int32_t *third)
{
    if (!first || !second || !third)
        return 0;
    Writer w = named(Op::W_ReadPointers, name);
    int32_t v[3];
    const int32_t result = intsBack(lineClient().call(w, Op::W_ReadPointers), v, 3);
    if (result != 0) {
        *first = v[0];
        *second = v[1];
        *third = v[2];
    }
    return result;
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendReaderPointer(char *name, int32_t value)
{
    Writer w = named(Op::W_SendReaderPointer, name);
    w.i32(value);
    return result(lineClient().call(w, Op::W_SendReaderPointer));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendAllPointers(char *name, int32_t first, int32_t second,
                                                      int32_t third)
{
    Writer w = named(Op::W_SendAllPointers, name);
    w.i32(first).i32(second).i32(third);
    return result(lineClient().call(w, Op::W_SendAllPointers));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendEmployerName(char *name, int32_t employee, char *text,
                                                       int32_t cardCode, int32_t last)
{
    if (!text || !fitsFrame(text))
        return 0;
    Writer w = named(Op::W_SendEmployerName, name);
    w.i32(employee).text(boundedText(text, kMaxBody)).i32(cardCode).i32(last);
    return result(lineClient().call(w, Op::W_SendEmployerName));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ClearEmployerName(char *name, int32_t employee)
{
    Writer w = named(Op::W_ClearEmployerName, name);
    w.i32(employee);
    return result(lineClient().call(w, Op::W_ClearEmployerName));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_Kill(char *name)
{
    Writer w = named(Op::W_Kill, name);
    return result(lineClient().call(w, Op::W_Kill));
}

KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReceiveEntry(char *clockName, int32_t *index,
                                                   int32_t *seconds, int32_t *cardCode,
                                                   uint8_t *aux1, uint8_t *justification,
                                                   uint8_t *presence, int32_t *orValue,
                                                   int32_t *code)
{
    if (!clockName || !index || !seconds || !cardCode || !aux1 || !justification || !presence
        || !orValue || !code)
        return 0;
    Writer w = request(Op::W_ReceiveEntry);
    const auto answer = lineClient().call(w, Op::W_ReceiveEntry);
    if (!answer || answer->result == 0)
        return 0;
    Reader r = answer->results();
    const std::string_view nameBytes = r.text();
    const int32_t i = r.i32(), s = r.i32(), card = r.i32();
    const uint8_t a = r.u8(), j = r.u8(), p = r.u8();
    const int32_t o = r.i32(), c = r.i32();
    // Nine characters and a zero at most, as the caller's buffer holds.
    if (!r.complete() || nameBytes.size() > kestcom_abi::kClockNameLength)
        return 0;
    std::memcpy(clockName, nameBytes.data(), nameBytes.size());
    clockName[nameBytes.size()] = '\0';
    *index = i;
    *seconds = s;
    *cardCode = card;
    *aux1 = a;
    *justification = j;
    *presence = p;
    *orValue = o;
    *code = c;
    return answer->result;
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
    return copyText(text, buf, size);
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
    return copyText(text, buf, size);
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
    return copyText(text, buf, size);
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
