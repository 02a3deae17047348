// The terminal clock runs with the PC clock from the value last set, so only
// its offset to the PC clock is kept.

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"

#include "clock/ClockCalendar.h"

using namespace terminal::engine;

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_SendSeconds(char *name, int32_t seconds)
{
    Terminal *terminal = BeginTerminalCommand("W_SendSeconds", name);
    if (!terminal)
        return 0;
    SetTerminalClock(*terminal, seconds);
    return 1;
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_ReadSeconds(char *name)
{
    Terminal *terminal = BeginTerminalCommand("W_ReadSeconds", name);
    if (!terminal)
        return 0;
    return clocktime::ToClockSeconds(TerminalClock(*terminal)).value_or(0);
}

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_AdjustSeconds(char *name, int32_t seconds)
{
    Terminal *terminal = BeginTerminalCommand("W_AdjustSeconds", name);
    if (!terminal)
        return 0;
    // The PC's count is the reference: remember how far the terminal had
    // strayed from it, then run from it.
    Adjustment &adjustment = terminal->adjustment;
    adjustment.drift = TerminalClock(*terminal) - seconds;
    adjustment.reference = seconds;
    if (adjustment.count < INT32_MAX)
        ++adjustment.count;
    terminal->clockOffset = seconds - PcClockSeconds();
    PersistTerminal(*terminal);
    return 1;
}
