#pragma once
// Commands that write the terminal's entry memory, names and pointers.

#include <QString>

#include <cstdint>
#include <optional>

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

// Delete Entry runs once for every whole k from 1 up to the leading number of
// "Times", unrounded: 2.5 gives 2, anything below 1 gives none.
int64_t DeletionCount(double times);
// More deletions than the entry memory has positions cannot be meant; a
// count above the confirmation threshold asks first, since the window does
// not respond until the last call is done.
constexpr int64_t kMaxDeletions = 12000001;
constexpr int64_t kConfirmDeletionsAbove = 1000;
QString TooManyDeletionsMessage(double times);
QString ConfirmDeletionsMessage(int64_t count);

// The employees Send employees may name: the rows of the employee grid.
// Empty when first..last is sendable (or empty, first above last).
QString EmployeeRangeProblem(int32_t first, int32_t last, int employeeGridRows);

} // namespace entries
