#include "clock/ClockCommands.h"

#include "app/FormContext.h"

namespace clocktime {

void PcSeconds(FormContext &) {}
void SetClock(FormContext &) {}
void CalibrateQuartzCrystal(FormContext &) {}
void ReadClock(FormContext &) {}
void PlusSec(FormContext &) {}
void PlusTenSec(FormContext &) {}
void MinusMin(FormContext &) {}
void SecondsChanged(FormContext &) {}

} // namespace clocktime
