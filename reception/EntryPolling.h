#pragma once
// The once-a-second poll for stamped entries, and the placing of each
// delivered entry in the entry grid.

#include "link/ReceivedEntry.h"

struct FormContext;

namespace reception {

constexpr int kPollIntervalMs = 1000;

// Tick of Timer1: drains every pending entry.
void Timer1Tick(FormContext &ctx);

// One delivered entry into the capture file and the entry grid. The entry's
// cardCode is the poll's working value and comes back changed.
void ProcessReceivedEntry(FormContext &ctx, ReceivedEntry &entry);

} // namespace reception
