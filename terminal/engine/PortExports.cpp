// The line: one serial port, either a direct cable or a modem that is dialled
// through raw writes.

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"

#include <cstring>

using namespace terminal::engine;

namespace {

void closePort()
{
    state().port = Port{};
}

void modemHears(Port &port, std::string_view line)
{
    if (port.escaped) {
        port.escaped = false;
        if (isHangUpLine(line)) {
            port.callConnected = false;
            port.linkOpen = false;
        }
        return;
    }
    if (port.callConnected) {
        if (isEscapeLine(line))
            port.escaped = true;
        return;
    }
    if (isDialLine(line))
        port.callConnected = true;
}

} // namespace

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL SetPCName(char *pcName)
{
    if (!beginOperation("SetPCName") || !pcName)
        return 0;
    state().pcName = boundedText(pcName, kMaxNameText);
    persistLine();
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL SetConfirmationsTimeout(int32_t a, int32_t b)
{
    if (!beginOperation("SetConfirmationsTimeout"))
        return 0;
    state().confirmationsA = a;
    state().confirmationsB = b;
    persistLine();
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutError(int32_t port,
                                                                          int32_t baud)
{
    if (!beginOperation("InitializeCommWithoutError") || !isValidPort(port) || !isValidBaud(baud))
        return 0;
    Port &p = state().port;
    p = Port{};
    p.open = true;
    p.baud = baud;
    p.linkOpen = true;
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutOpen(int32_t port)
{
    if (!beginOperation("InitializeCommWithoutOpen") || !isValidPort(port))
        return 0;
    Port &p = state().port;
    if (!p.open || !p.modem || !p.callConnected)
        return 0;
    p.linkOpen = true;
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL Reset_Message(char *name)
{
    return beginTerminalCommand("Reset_Message", name) ? 1 : 0;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL TerminateComm(int32_t port)
{
    if (!beginOperation("TerminateComm") || !isValidPort(port))
        return 0;
    closePort();
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL IO_Open(int32_t port, int32_t baud)
{
    if (!beginOperation("IO_Open") || !isValidPort(port) || !isValidBaud(baud))
        return 0;
    // Reopening drops whatever call the modem held.
    Port &p = state().port;
    p = Port{};
    p.open = true;
    p.baud = baud;
    p.modem = true;
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL IO_Write(int32_t port, int32_t length, char *text)
{
    if (!beginOperation("IO_Write") || !isValidPort(port) || length < 0 || !text)
        return 0;
    State &s = state();
    if (!s.port.open)
        return 0;
    const std::string_view line(text, strnlen(text, static_cast<std::size_t>(length)));

    s.ioLog.emplace_back(line);
    if (s.ioLog.size() > kIoLogLimit)
        s.ioLog.pop_front();

    if (s.port.modem)
        modemHears(s.port, line);
    return 1;
}
