#pragma once
// Opening and closing the link, modem dial and the kill command.

struct FormContext;

namespace connection {

// Baud button k (0 to 3: 38400, 19200, 9600, 4800).
void OpenLink(FormContext &ctx, int k);
// "Close COM"
void CloseCom(FormContext &ctx);
// "Dial"
void Dial(FormContext &ctx);
// "Kill"
void Kill(FormContext &ctx);

} // namespace connection
