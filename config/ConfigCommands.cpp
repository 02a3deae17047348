#include "config/ConfigCommands.h"

#include "app/FormContext.h"

namespace config {

void SendConfigurations(FormContext &) {}
void ConfigFieldChanged(FormContext &, int) {}
void Check5Click(FormContext &) {}
void Check6Click(FormContext &) {}
void MarkConfigurationChanged(FormContext &) {}
void SendJustifications(FormContext &) {}
void LimitMessageLines(FormContext &) {}
void Message(FormContext &) {}
void ShowMessage(FormContext &) {}
void Event(FormContext &) {}
void ClearAllEvents(FormContext &) {}

} // namespace config
