// The line: one serial port, either a direct cable or a modem that is dialled
// through raw writes.

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"

#include <cstring>

using namespace terminal::engine;

namespace {

void ClosePort()
{
    EngineState().port = Port{};
}

void ModemHears(Port &port, std::string_view line)
{
    if (port.escaped) {
        port.escaped = false;
        if (IsHangUpLine(line)) {
            port.callConnected = false;
            port.linkOpen = false;
        }
        return;
    }
    if (port.callConnected) {
        if (IsEscapeLine(line))
            port.escaped = true;
        return;
    }
    if (IsDialLine(line))
        port.callConnected = true;
}

} // namespace

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL SetPCName(char *pcName)
{
    if (!BeginOperation("SetPCName") || !pcName)
        return 0;
    EngineState().pcName = BoundedText(pcName, kMaxNameText);
    PersistLine();
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL SetConfirmationsTimeout(int32_t a, int32_t b)
{
    if (!BeginOperation("SetConfirmationsTimeout"))
        return 0;
    EngineState().confirmationsA = a;
    EngineState().confirmationsB = b;
    PersistLine();
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutError(int32_t port,
                                                                          int32_t baud)
{
    if (!BeginOperation("InitializeCommWithoutError") || !IsValidPort(port) || !IsValidBaud(baud))
        return 0;
    Port &p = EngineState().port;
    p = Port{};
    p.open = true;
    p.baud = baud;
    p.linkOpen = true;
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutOpen(int32_t port)
{
    if (!BeginOperation("InitializeCommWithoutOpen") || !IsValidPort(port))
        return 0;
    Port &p = EngineState().port;
    if (!p.open || !p.modem || !p.callConnected)
        return 0;
    p.linkOpen = true;
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL Reset_Message(char *name)
{
    return BeginTerminalCommand("Reset_Message", name) ? 1 : 0;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL TerminateComm(int32_t port)
{
    if (!BeginOperation("TerminateComm") || !IsValidPort(port))
        return 0;
    ClosePort();
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL IO_Open(int32_t port, int32_t baud)
{
    if (!BeginOperation("IO_Open") || !IsValidPort(port) || !IsValidBaud(baud))
        return 0;
    // Reopening drops whatever call the modem held.
    Port &p = EngineState().port;
    p = Port{};
    p.open = true;
    p.baud = baud;
    p.modem = true;
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL IO_Write(int32_t port, int32_t length, char *text)
{
    if (!BeginOperation("IO_Write") || !IsValidPort(port) || length < 0 || !text)
        return 0;
    State &s = EngineState();
    if (!s.port.open)
        return 0;
    const std::string_view line(text, strnlen(text, static_cast<std::size_t>(length)));

    s.ioLog.emplace_back(line);
    if (s.ioLog.size() > kIoLogLimit)
        s.ioLog.pop_front();

    if (s.port.modem)
        ModemHears(s.port, line);
    return 1;
}
