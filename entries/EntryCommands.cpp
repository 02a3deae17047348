#include "entries/EntryCommands.h"

#include "app/FormContext.h"

namespace entries {

void InsertEntry(FormContext &) {}
void DeleteEntry(FormContext &) {}
void ReadPointers(FormContext &) {}
void WritePointers(FormContext &) {}
void WritePointer3(FormContext &) {}
void Ptr1Zero(FormContext &) {}
void SendEmployees(FormContext &) {}
void DeleteCard(FormContext &) {}

} // namespace entries
