#pragma once
// Commands that write the terminal's entry memory, names and pointers.

struct FormContext;

namespace entries {

void InsertEntry(FormContext &ctx);   // "Insert Entry"
void DeleteEntry(FormContext &ctx);   // "Delete Entry"
void ReadPointers(FormContext &ctx);  // "Read Pointers"
void WritePointers(FormContext &ctx); // "Write Pointers"
void WritePointer3(FormContext &ctx); // "Write Pointer3"
void Ptr1Zero(FormContext &ctx);      // "Ptr1=0"
void SendEmployees(FormContext &ctx); // "Send employees"
void DeleteCard(FormContext &ctx);    // "Delete Card"

} // namespace entries
