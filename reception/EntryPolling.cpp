#include "reception/EntryPolling.h"

#include "app/FormContext.h"

namespace reception {

void Timer1Tick(FormContext &) {}
void ProcessReceivedEntry(FormContext &, ReceivedEntry &) {}

} // namespace reception
