#pragma once
// The configuration record, the justification list, display messages and
// the event schedule.

struct FormContext;

namespace config {

// Configuration record
void SendConfigurations(FormContext &ctx);         // "Send Configurations"
void ConfigFieldChanged(FormContext &ctx, int index); // change of Text1(index)
void Check5Click(FormContext &ctx);                // day close on/off
void Check6Click(FormContext &ctx);                // maximum work time on/off
void MarkConfigurationChanged(FormContext &ctx);   // Check1 and Check2 clicks

// Justification list
void SendJustifications(FormContext &ctx); // "Send justifications"

// Display messages
void LimitMessageLines(FormContext &ctx); // change of RichTextBox1
void Message(FormContext &ctx);           // "Message"
void ShowMessage(FormContext &ctx);       // "Show Message"

// Event schedule
void Event(FormContext &ctx);          // "Event"
void ClearAllEvents(FormContext &ctx); // "Clear All Events"

} // namespace config
