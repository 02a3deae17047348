#include "app/LinkCommands.h"

#include "app/FormContext.h"

namespace connection {

void OpenLink(FormContext &, int) {}
void CloseCom(FormContext &) {}
void Dial(FormContext &) {}
void Kill(FormContext &) {}

} // namespace connection
