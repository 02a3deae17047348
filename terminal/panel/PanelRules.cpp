#include "terminal/panel/PanelRules.h"

#include "clock/ClockCalendar.h"
#include "config/EventFunctions.h"
#include "link/TerminalLimits.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace terminal::panel {

using clocktime::DayOf;
using clocktime::kSecondsPerDay;
using clocktime::SecondOfDay;

namespace {

QString TwoDigits(int64_t v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QString FitLine(QString line)
{
    for (QChar &c : line)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return line.left(kDisplayColumns).leftJustified(kDisplayColumns, QLatin1Char(' '));
}

} // namespace

QString TimeText(int64_t clock)
{
    const int64_t s = SecondOfDay(clock);
    return TwoDigits(s / 3600) + QLatin1Char(':') + TwoDigits(s / 60 % 60) + QLatin1Char(':')
           + TwoDigits(s % 60);
}

QString ClockText(int64_t clock)
{
    const clocktime::CivilDate c = clocktime::CivilDateOfDay(DayOf(clock));
    return TwoDigits(c.day) + QLatin1Char('/') + TwoDigits(c.month) + QLatin1Char('/')
           + QStringLiteral("%1").arg(c.year, 4, 10, QLatin1Char('0')) + QStringLiteral("  ")
           + TimeText(clock);
}

QString FunctionName(int32_t f)
{
    const bool named = f >= 0 && f < int32_t(config::kFunctionNames.size())
                       && !config::kFunctionNames[std::size_t(f)].empty();
    if (!named)
        return QStringLiteral("(%1)").arg(f);
    const std::string_view name = config::kFunctionNames[std::size_t(f)];
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

QString WeekdayText(uint32_t weekdayMask)
{
    static const QString kInitials = QStringLiteral("STQQSSD");
    QString text;
    for (int i = 0; i < 7; ++i)
        text += ((weekdayMask >> i) & 1u) ? kInitials[i] : QLatin1Char('-');
    return text;
}

QStringList LayoutText(const QString &text, int rows)
{
    QStringList lines;
    const QStringList paragraphs =
        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"))
            .split(QRegularExpression(QStringLiteral("[\r\n]")));
    for (QString rest : paragraphs) {
        do {
            if (lines.size() >= rows)
                return lines;
            if (rest.size() <= kDisplayColumns) {
                lines << rest;
                break;
            }
            const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), kDisplayColumns);
            if (blank > 0) {
                lines << rest.left(blank);
                rest = rest.mid(blank + 1);
            } else {
                lines << rest.left(kDisplayColumns);
                rest = rest.mid(kDisplayColumns);
            }
        } while (!rest.isEmpty());
    }
    return lines;
}

std::optional<uint8_t> JustificationCode(int position)
{
    if (position < 0 || position > 255 - 'A')
        return std::nullopt;
    return static_cast<uint8_t>('A' + position);
}

std::optional<EmployeeName> EmployeeForCard(const QList<EmployeeName> &employees,
                                            int32_t cardCode)
{
    for (const EmployeeName &e : employees)
        if (e.cardCode == cardCode)
            return e;
    return std::nullopt;
}

bool ShownMessageLive(const ShownMessage &shown, int64_t clock)
{
    if (shown.number <= 0)
        return true;
    const int64_t elapsed = clock - shown.shownAt;
    return elapsed >= 0 && elapsed < shown.number;
}

bool CardPassLive(const StampedEntry &entry, int32_t messageDelay, int64_t clock)
{
    const int64_t elapsed = clock - entry.seconds;
    return entry.origin == 0 && elapsed >= 0 && elapsed < std::max<int64_t>(messageDelay, 1);
}

DisplayLines DisplayLinesOf(const DisplayInput &in)
{
    const bool pass = in.lastEntry && CardPassLive(*in.lastEntry, in.messageDelay, in.clock);
    const bool shown = in.shown && ShownMessageLive(*in.shown, in.clock);

    QStringList lines;
    if (pass && !(shown && in.shown->shownAt > in.lastEntry->seconds)) {
        const StampedEntry &e = *in.lastEntry;
        lines << (e.presence == kPresenceExit ? in.exitMessage : in.entryMessage);
        lines << (in.employeeName.trimmed().isEmpty() ? QString::number(e.cardCode)
                                                      : in.employeeName.trimmed());
        const QStringList message = LayoutText(in.employeeMessage, kDisplayRows - 2);
        if (in.employeeMessage.isEmpty())
            lines << QString() << ClockText(e.seconds);
        else
            lines << message;
    } else if (shown) {
        lines = LayoutText(in.shown->text, kDisplayRows);
    } else {
        lines << ClockText(in.clock);
    }

    DisplayLines out;
    for (int i = 0; i < kDisplayRows; ++i)
        out[static_cast<std::size_t>(i)] = FitLine(i < lines.size() ? lines[i] : QString());
    return out;
}

Parsed ParseCardCode(const QString &text)
{
    const QString t = text.trimmed();
    static const QRegularExpression kWhole(QStringLiteral("^[+-]?[0-9]+$"));
    if (!kWhole.match(t).hasMatch())
        return {std::nullopt, QStringLiteral("The card code must be a whole number.")};
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok || v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return {std::nullopt,
                QStringLiteral("The card code must lie between -2147483648 and 2147483647.")};
    return {static_cast<int32_t>(v), {}};
}

Parsed ParseClockInput(const QString &text)
{
    const QString t = text.trimmed();
    static const QRegularExpression kDate(QStringLiteral(
        "^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})\\s+([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?$"));
    const QString rangeError =
        QStringLiteral("The clock must lie between 1927-12-13 and 2064-01-19 (a 32-bit count).");
    if (const auto m = kDate.match(t); m.hasMatch()) {
        const int day = m.captured(1).toInt(), month = m.captured(2).toInt();
        const int year = m.captured(3).toInt();
        const int h = m.captured(4).toInt(), min = m.captured(5).toInt();
        const int s = m.captured(6).isEmpty() ? 0 : m.captured(6).toInt();
        const int64_t dayNumber = clocktime::DayOfDate(year, month, day);
        const clocktime::CivilDate back = clocktime::CivilDateOfDay(dayNumber);
        if (month < 1 || month > 12 || day < 1 || back.day != day || back.month != month
            || h > 23 || min > 59 || s > 59)
            return {std::nullopt, QStringLiteral("That date or time does not exist.")};
        const int64_t clock = dayNumber * kSecondsPerDay + h * 3600 + min * 60 + s;
        if (clock < std::numeric_limits<int32_t>::min()
            || clock > std::numeric_limits<int32_t>::max())
            return {std::nullopt, rangeError};
        return {static_cast<int32_t>(clock), {}};
    }
    const Parsed count = ParseCardCode(t);
    if (count.value)
        return count;
    static const QRegularExpression kDigits(QStringLiteral("^[+-]?[0-9]+$"));
    if (kDigits.match(t).hasMatch())
        return {std::nullopt, rangeError};
    return {std::nullopt,
            QStringLiteral("Type the clock as dd/mm/yyyy hh:mm:ss or as a clock second count.")};
}

QString TerminalNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("Type the name of the terminal.");
    if (name.size() > qsizetype(kestcom_abi::kTerminalNameLength))
        return QStringLiteral("A terminal name has at most %1 characters.")
            .arg(kestcom_abi::kTerminalNameLength);
    for (const QChar c : name)
        if (c.unicode() <= 32 || c.unicode() >= 127)
            return QStringLiteral("A terminal name is letters, digits and signs, without blanks.");
    return {};
}

} // namespace terminal::panel
