// What the terminal is told to hold besides entries: configuration, events,
// messages, justifications and employee names.

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"

#include <algorithm>

using namespace terminal::engine;

namespace {

constexpr std::size_t kMaxJustificationInput = 4096;

std::vector<std::string> SplitJustifications(const std::string &text)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('~', start), text.size());
        names.push_back(text.substr(start, std::min(end - start, kMaxJustificationText)));
        start = end + 1;
    }
    if (!names.empty() && names.back().empty())
        names.pop_back();
    return names;
}

} // namespace

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendConfigurations(
    char *name, int32_t entrySeparation, int32_t messageDelay, int32_t dayCloseTime,
    int32_t twelveHours, int32_t cardSeries, int32_t maximumWorkTime, int32_t clockTick,
    int32_t gate1, int32_t gate2)
{
    Terminal *terminal = BeginTerminalCommand("W_SendConfigurations", name);
    if (!terminal)
        return 0;
    terminal->configuration = {entrySeparation, messageDelay, dayCloseTime,
                               twelveHours,     cardSeries,   maximumWorkTime,
                               clockTick,       gate1,        gate2};
    PersistTerminal(*terminal);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_InsertEvent(char *name, int32_t index,
                                                             int32_t seconds, int32_t period,
                                                             int32_t repeats, int32_t function,
                                                             int32_t ringMask,
                                                             int32_t weekdayMask)
{
    Terminal *terminal = BeginTerminalCommand("W_InsertEvent", name);
    if (!terminal || index < 0 || index >= kEventSlots)
        return 0;
    terminal->events[static_cast<std::size_t>(index)] =
        Event{seconds, period, repeats, function, ringMask, weekdayMask};
    if (Store *store = EngineState().store)
        store->eventChanged(*terminal, index);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendMessage(char *name, int32_t employee,
                                                             char *text, int32_t kind)
{
    Terminal *terminal = BeginTerminalCommand("W_SendMessage", name);
    if (!terminal || !text)
        return 0;
    terminal->messages[{employee, kind}] = BoundedText(text, kMaxMessageText);
    if (Store *store = EngineState().store)
        store->messageChanged(*terminal, employee, kind);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_ShowMessage(char *name, int32_t number,
                                                             char *text)
{
    Terminal *terminal = BeginTerminalCommand("W_ShowMessage", name);
    if (!terminal || !text)
        return 0;
    terminal->messageShown = true;
    terminal->shownNumber = number;
    terminal->shownText = BoundedText(text, kMaxMessageText);
    terminal->shownAt = TerminalClock(*terminal);
    PersistTerminal(*terminal);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendJustifications(char *name, char *text)
{
    Terminal *terminal = BeginTerminalCommand("W_SendJustifications", name);
    if (!terminal || !text)
        return 0;
    terminal->justifications = SplitJustifications(BoundedText(text, kMaxJustificationInput));
    PersistTerminal(*terminal);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendEmployerName(char *name, int32_t employee,
                                                                  char *text, int32_t cardCode,
                                                                  int32_t last)
{
    Terminal *terminal = BeginTerminalCommand("W_SendEmployerName", name);
    if (!terminal || employee < 0 || !text)
        return 0;
    terminal->employees[employee] = EmployeeName{BoundedText(text, kMaxNameText), cardCode, last};
    if (Store *store = EngineState().store)
        store->employeeChanged(*terminal, employee);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_ClearEmployerName(char *name, int32_t employee)
{
    Terminal *terminal = BeginTerminalCommand("W_ClearEmployerName", name);
    if (!terminal || employee < 0)
        return 0;
    terminal->employees.erase(employee);
    if (Store *store = EngineState().store)
        store->employeeChanged(*terminal, employee);
    return 1;
}

int32_t terminal::engine::KillCommand(const char *name)
{
    Terminal *terminal = BeginTerminalCommand("W_Kill", name);
    if (!terminal)
        return 0;
    KillTerminal(*terminal);
    return 1;
}
