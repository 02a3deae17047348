// Entry memory, its pointers and delivery. Pointers are plain positions:
// inserting or deleting does not move the reader pointer.

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"

#include <algorithm>

using namespace terminal::engine;

namespace {

bool FitsByte(int32_t value)
{
    return value >= 0 && value <= 255;
}

// The first pointer can only shrink the memory; there is nothing to raise it to.
bool ValidFirstPointer(const Terminal &terminal, int32_t first)
{
    return first >= 0 && first <= terminal.entryCount();
}

bool HasPending(const Terminal &terminal)
{
    return terminal.answering && terminal.readerPointer >= 0
           && terminal.readerPointer < terminal.entryCount();
}

void WriteClockName(const std::string &name, char *clockName)
{
    const std::string bytes = ClockNameBytes(name, EngineState().zeroTerminatedNames);
    std::copy(bytes.begin(), bytes.end(), clockName);
}

} // namespace

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_InsertEntry(char *name, int32_t index,
                                                             int32_t seconds, int32_t cardCode,
                                                             int32_t aux1, int32_t justification,
                                                             int32_t presence)
{
    Terminal *terminal = BeginTerminalCommand("W_InsertEntry", name);
    if (!terminal || index < 0 || index > terminal->entryCount()
        || terminal->entries.size() >= EngineState().entryCapacity || !FitsByte(aux1)
        || !FitsByte(justification) || !FitsByte(presence))
        return 0;
    Entry entry;
    entry.seconds = seconds;
    entry.cardCode = cardCode;
    entry.aux1 = static_cast<uint8_t>(aux1);
    entry.justification = static_cast<uint8_t>(justification);
    entry.presence = static_cast<uint8_t>(presence);
    entry.origin = Origin::Inserted;
    entry.serial = terminal->takeSerial();
    terminal->entries.insert(static_cast<std::size_t>(index), entry);
    if (Store *store = EngineState().store)
        store->entryInserted(*terminal, static_cast<std::size_t>(index));
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_DeleteEntry(char *name, int32_t index)
{
    Terminal *terminal = BeginTerminalCommand("W_DeleteEntry", name);
    if (!terminal || index < 0 || index >= terminal->entryCount())
        return 0;
    terminal->entries.erase(static_cast<std::size_t>(index));
    if (Store *store = EngineState().store)
        store->entryErased(*terminal, static_cast<std::size_t>(index));
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReadPointers(char *name, int32_t *first,
                                                              int32_t *second, int32_t *third)
{
    Terminal *terminal = BeginTerminalCommand("W_ReadPointers", name);
    if (!terminal || !first || !second || !third)
        return 0;
    *first = terminal->entryCount();
    *second = terminal->secondPointer;
    *third = terminal->readerPointer;
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendReaderPointer(char *name, int32_t value)
{
    Terminal *terminal = BeginTerminalCommand("W_SendReaderPointer", name);
    if (!terminal || !ValidReaderPointer(value))
        return 0;
    terminal->readerPointer = value;
    if (Store *store = EngineState().store)
        store->pointersChanged(*terminal);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendAllPointers(char *name, int32_t first,
                                                                 int32_t second, int32_t third)
{
    Terminal *terminal = BeginTerminalCommand("W_SendAllPointers", name);
    if (!terminal || !ValidFirstPointer(*terminal, first) || second < 0
        || !ValidReaderPointer(third))
        return 0;
    terminal->entries.truncate(static_cast<std::size_t>(first));
    terminal->secondPointer = second;
    terminal->readerPointer = third;
    if (Store *store = EngineState().store)
        store->entriesCut(*terminal);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReceiveEntry(char *clockName, int32_t *index,
                                                              int32_t *seconds, int32_t *cardCode,
                                                              uint8_t *aux1, uint8_t *justification,
                                                              uint8_t *presence, int32_t *orValue,
                                                              int32_t *code)
{
    if (!BeginOperation("W_ReceiveEntry") || !EngineState().port.linkOpen)
        return 0;
    if (!clockName || !index || !seconds || !cardCode || !aux1 || !justification || !presence
        || !orValue || !code)
        return 0;

    auto &terminals = EngineState().terminals;
    const auto from = std::find_if(terminals.begin(), terminals.end(), HasPending);
    if (from == terminals.end())
        return 0;

    Terminal &terminal = *from;
    const int32_t position = terminal.readerPointer;
    const Entry entry = terminal.entries[static_cast<std::size_t>(position)];
    WriteClockName(terminal.name, clockName);
    *index = position;
    *seconds = entry.seconds;
    *cardCode = entry.cardCode;
    *aux1 = entry.aux1;
    *justification = entry.justification;
    *presence = entry.presence;
    *orValue = static_cast<int32_t>(entry.origin);
    *code = entry.serial;
    ++terminal.readerPointer;
    if (Store *store = EngineState().store)
        store->entryDelivered(terminal);
    return 1;
}
