#include "entries/EntryCommands.h"

#include "app/Controls.h"
#include "app/FieldReader.h"
#include "field/FieldValue.h"
#include "app/FormContext.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "entries/EntryGrid.h"
#include "entries/FlexGrid.h"
#include "link/KestCom.h"

#include <QLineEdit>

#include <cmath>

namespace entries {

namespace {

constexpr int32_t kReaderPointerHold = -1;

} // namespace

int64_t DeletionCount(double times)
{
    if (!(times >= 1.0)) // NaN included
        return 0;
    if (times >= double(INT64_MAX))
        return INT64_MAX;
    return int64_t(std::floor(times));
}

QString TooManyDeletionsMessage(double times)
{
    return QStringLiteral("The field \"Times\" asks for %1 deletions; at most %2 can be made. "
                          "Nothing was sent.")
        .arg(QString::number(times, 'g', 12))
        .arg(kMaxDeletions);
}

QString ConfirmDeletionsMessage(int64_t count)
{
    return QStringLiteral("Delete the entry %1 times? The window will not respond until "
                          "the terminal has answered every deletion.")
        .arg(count);
}

QString EmployeeRangeProblem(int32_t first, int32_t last, int employeeGridRows)
{
    if (first > last)
        return {};
    if (first >= 0 && last < employeeGridRows)
        return {};
    return QStringLiteral("Employees %1 to %2 cannot be sent: employee numbers go from 0 to %3. "
                          "Nothing was sent.")
        .arg(first)
        .arg(last)
        .arg(employeeGridRows - 1);
}

void InsertEntry(FormContext &ctx)
{
    Controls &c = ctx.controls;
    // Every field is read before the first call, so a bad one changes nothing.
    const auto index = field::ReadNumeric(ctx.messages, c.Text2, QStringLiteral("Index"));
    if (!index)
        return;
    const auto seconds = field::ReadNumeric(ctx.messages, c.Text5, QStringLiteral("Seconds"));
    if (!seconds)
        return;
    const auto employee = field::ReadNumeric(ctx.messages, c.Text4, QStringLiteral("Employee"));
    if (!employee)
        return;
    const auto presence = field::ReadNumeric(ctx.messages, c.Text6, QStringLiteral("Pres"));
    if (!presence)
        return;

    QString &name = ctx.state.TerminalName;
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(name, kReaderPointerHold));
    message::ReportFailure(ctx.messages, ctx.lib.W_InsertEntry(name, *index, *seconds, *employee, 1, 0, *presence));
    ResetEntryGrid(c);
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(name, 0));
}

void DeleteEntry(FormContext &ctx)
{
    Controls &c = ctx.controls;
    const double times = field::LeadingNumber(c.Text22->text());
    const int64_t count = DeletionCount(times);
    if (count > kMaxDeletions) {
        ctx.messages.inform(TooManyDeletionsMessage(times));
        return;
    }
    int32_t index = 0;
    if (count > 0) {
        const auto value = field::ReadNumeric(ctx.messages, c.Text2, QStringLiteral("Index"));
        if (!value)
            return;
        index = *value;
        if (count > kConfirmDeletionsAbove && !ctx.messages.confirm(ConfirmDeletionsMessage(count)))
            return;
    }

    QString &name = ctx.state.TerminalName;
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(name, kReaderPointerHold));
    // Every call names the same index: the entries behind it move up.
    for (int64_t k = 1; k <= count; ++k)
        message::ReportFailure(ctx.messages, ctx.lib.W_DeleteEntry(name, index));
    ResetEntryGrid(c);
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(name, 0));
}

void ReadPointers(FormContext &ctx)
{
    int32_t first = 0;
    int32_t second = 0;
    int32_t third = 0;
    message::ReportFailure(ctx.messages, ctx.lib.W_ReadPointers(ctx.state.TerminalName, first, second, third));
    ctx.controls.Text14->setText(field::PlainDecimalText(first));
    ctx.controls.Text15->setText(field::PlainDecimalText(second));
    ctx.controls.Text16->setText(field::PlainDecimalText(third));
}

void WritePointers(FormContext &ctx)
{
    Controls &c = ctx.controls;
    const auto first = field::ReadNumeric(ctx.messages, c.Text14, QStringLiteral("Pointer 1"));
    if (!first)
        return;
    const auto second = field::ReadNumeric(ctx.messages, c.Text15, QStringLiteral("Pointer 2"));
    if (!second)
        return;
    const auto third = field::ReadNumeric(ctx.messages, c.Text16, QStringLiteral("Pointer 3"));
    if (!third)
        return;
    message::ReportFailure(ctx.messages, ctx.lib.W_SendAllPointers(ctx.state.TerminalName, *first, *second, *third));
    ResetEntryGrid(c);
}

void WritePointer3(FormContext &ctx)
{
    const auto third = field::ReadNumeric(ctx.messages, ctx.controls.Text16,
                                          QStringLiteral("Pointer 3"));
    if (!third)
        return;
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(ctx.state.TerminalName, *third));
    ResetEntryGrid(ctx.controls);
}

void Ptr1Zero(FormContext &ctx)
{
    ResetEntryGrid(ctx.controls);
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(ctx.state.TerminalName, 0));
}

void SendEmployees(FormContext &ctx)
{
    Controls &c = ctx.controls;
    const auto last = field::ReadWhole(ctx.messages, c.Text18, QStringLiteral("last employee"));
    if (!last)
        return;
    const auto first = field::ReadWhole(ctx.messages, c.Text17, QStringLiteral("first employee"));
    if (!first)
        return;
    const FlexGrid &employees = *c.MSFlexGrid2;
    const QString problem = EmployeeRangeProblem(*first, *last, employees.rows());
    if (!problem.isEmpty()) {
        ctx.messages.inform(problem);
        return;
    }

    QString &name = ctx.state.TerminalName;
    message::ReportFailure(ctx.messages, ctx.lib.W_SendReaderPointer(name, kReaderPointerHold));
    // The range lies within the grid's rows here, so i + 1000 cannot overflow.
    for (int64_t i = *first; i <= *last; ++i) {
        const int32_t employee = int32_t(i);
        message::ReportFailure(ctx.messages, ctx.lib.W_SendEmployerName(name, employee, employees.textMatrix(employee, 1),
                                             employee + 1000, 255));
    }
}

void DeleteCard(FormContext &ctx)
{
    const auto employee = field::ReadNumeric(ctx.messages, ctx.controls.Text4,
                                             QStringLiteral("Employee"));
    if (!employee)
        return;
    ctx.lib.W_ClearEmployerName(ctx.state.TerminalName, *employee);
}

} // namespace entries
