#pragma once
// The clock row: read, set, nudge and calibrate the terminal's clock, and
// the date line under the seconds field.

struct FormContext;

namespace clocktime {

void PcSeconds(FormContext &ctx);              // "PC seconds"
void SetClock(FormContext &ctx);               // "Set Clock"
void CalibrateQuartzCrystal(FormContext &ctx); // "Calibrate Quartz Crystal"
void ReadClock(FormContext &ctx);              // "Read Clock"
void PlusSec(FormContext &ctx);                // "+sec"
void PlusTenSec(FormContext &ctx);             // "+10s"
void MinusMin(FormContext &ctx);               // "-min"
// Every change of the seconds field rewrites the date line.
void SecondsChanged(FormContext &ctx);

} // namespace clocktime
