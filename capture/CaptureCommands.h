#pragma once
// Capture of a terminal's entry memory into a file, and its restore.

#include "link/ReceivedEntry.h"

struct FormContext;

namespace capture {

void Capture(FormContext &ctx); // "Capture"
void Restore(FormContext &ctx); // "Restore"
// The capture record of one entry as the next record of file number 1.
void AppendCaptureRecord(FormContext &ctx, const ReceivedEntry &entry);
// Close COM and the unload step: closes a running capture's file.
void CloseCaptureFile(FormContext &ctx);

} // namespace capture
