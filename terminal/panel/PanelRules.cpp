#include "terminal/panel/PanelRules.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace velmora::panel {

namespace {

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Proleptic Gregorian, 1970-01-01 = 0.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = floorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct Civil
{
    int64_t year;
    int month;
    int day;
};

Civil civilFromDays(int64_t days)
{
    days += 719468;
    const int64_t era = floorDiv(days, 146097);
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

const int64_t kEpochDays = daysFromCivil(1996, 1, 1);

QString twoDigits(int64_t v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

bool patternBit(uint32_t mask, int64_t second)
{
    return second >= 0 && second < kRingPatternSeconds && ((mask >> second) & 1u) != 0;
}

bool onWeekday(const ScheduledEvent &event, int64_t day)
{
    return ((event.weekdayMask >> weekdayOf(day * kSecondsPerDay)) & 1u) != 0;
}

bool isDaily(int32_t f)
{
    return lampOf(f).has_value() || f == function::kRelay1On || f == function::kRelay1Off;
}

bool repeats(const ScheduledEvent &event)
{
    return event.period > 0 && event.repeats > 0;
}

// Latest daily occurrence start at or before `clock`, within the past week.
std::optional<int64_t> lastOccurrence(const ScheduledEvent &event, int64_t clock)
{
    const int64_t today = dayOf(clock);
    const int64_t time = secondOfDay(event.seconds);
    for (int64_t day = today; day >= today - 7; --day) {
        const int64_t start = day * kSecondsPerDay + time;
        if (start <= clock && onWeekday(event, day))
            return start;
    }
    return std::nullopt;
}

QString fitLine(QString line)
{
    for (QChar &c : line)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return line.left(kDisplayColumns).leftJustified(kDisplayColumns, QLatin1Char(' '));
}

} // namespace

int64_t dayOf(int64_t clock)
{
    return floorDiv(clock, kSecondsPerDay);
}

int64_t secondOfDay(int64_t clock)
{
    return clock - dayOf(clock) * kSecondsPerDay;
}

int weekdayOf(int64_t clock)
{
    const int64_t w = dayOf(clock) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

QString timeText(int64_t clock)
{
    const int64_t s = secondOfDay(clock);
    return twoDigits(s / 3600) + QLatin1Char(':') + twoDigits(s / 60 % 60) + QLatin1Char(':')
           + twoDigits(s % 60);
}

QString clockText(int64_t clock)
{
    const Civil c = civilFromDays(kEpochDays + dayOf(clock));
    return twoDigits(c.day) + QLatin1Char('/') + twoDigits(c.month) + QLatin1Char('/')
           + QStringLiteral("%1").arg(c.year, 4, 10, QLatin1Char('0')) + QStringLiteral("  ")
           + timeText(clock);
}

std::optional<Lamp> lampOf(int32_t f)
{
    switch (f) {
    case function::kBeep1: return Lamp::Beep1;
    case function::kBeep2: return Lamp::Beep2;
    case function::kRingRelay1: return Lamp::Relay1;
    case function::kRingRelay2: return Lamp::Relay2;
    default: return std::nullopt;
    }
}

QString functionName(int32_t f)
{
    switch (f) {
    case 0: return QStringLiteral("Nulo");
    case function::kBeep1: return QStringLiteral("beep1");
    case function::kBeep2: return QStringLiteral("beep2");
    case function::kSummerTime: return QStringLiteral("Hora de Verão");
    case function::kWinterTime: return QStringLiteral("Hora de Inverno");
    case function::kRelay1On: return QStringLiteral("Relé 1 ON");
    case function::kRelay1Off: return QStringLiteral("Relé 1 OFF");
    case function::kRingRelay1: return QStringLiteral("Toque Relé 1");
    case function::kRingRelay2: return QStringLiteral("Toque Relé 2");
    default: return QStringLiteral("(%1)").arg(f);
    }
}

QString weekdayText(uint32_t weekdayMask)
{
    static const QString kInitials = QStringLiteral("STQQSSD");
    QString text;
    for (int i = 0; i < 7; ++i)
        text += ((weekdayMask >> i) & 1u) ? kInitials[i] : QLatin1Char('-');
    return text;
}

bool ringsAt(const ScheduledEvent &event, int64_t clock)
{
    if (!lampOf(event.function))
        return false;
    const int64_t time = secondOfDay(event.seconds);
    for (int64_t day = dayOf(clock) - 1; day <= dayOf(clock); ++day) {
        if (!onWeekday(event, day))
            continue;
        const int64_t offset = clock - (day * kSecondsPerDay + time);
        if (offset < 0 || offset >= kSecondsPerDay)
            continue;
        if (!repeats(event)) {
            if (patternBit(event.ringMask, offset))
                return true;
            continue;
        }
        // Only the repeats whose 32-second pattern covers this second.
        const int64_t period = event.period;
        const int64_t last = std::min<int64_t>(event.repeats, offset / period);
        const int64_t first = std::max<int64_t>(0, floorDiv(offset - kRingPatternSeconds, period) + 1);
        for (int64_t k = first; k <= last; ++k)
            if (patternBit(event.ringMask, offset - k * period))
                return true;
    }
    return false;
}

bool relay1HeldOn(const QList<ScheduledEvent> &events, int64_t clock)
{
    std::optional<int64_t> latest;
    bool on = false;
    for (const ScheduledEvent &event : events) {
        if (event.function != function::kRelay1On && event.function != function::kRelay1Off)
            continue;
        const auto at = lastOccurrence(event, clock);
        if (!at)
            continue;
        const bool isOn = event.function == function::kRelay1On;
        if (!latest || *at > *latest || (*at == *latest && !isOn)) {
            latest = at;
            on = isOn;
        }
    }
    return on;
}

Lamps lampsAt(const QList<ScheduledEvent> &events, int64_t clock)
{
    Lamps lamps{};
    for (const ScheduledEvent &event : events)
        if (const auto lamp = lampOf(event.function); lamp && ringsAt(event, clock))
            lamps[static_cast<std::size_t>(*lamp)] = true;
    if (relay1HeldOn(events, clock))
        lamps[static_cast<std::size_t>(Lamp::Relay1)] = true;
    return lamps;
}

int64_t clockShiftDue(const ScheduledEvent &event, int64_t before, int64_t now)
{
    if (!(before < event.seconds && event.seconds <= now))
        return 0;
    if (event.function == function::kSummerTime)
        return kSummerShift;
    if (event.function == function::kWinterTime)
        return -kSummerShift;
    return 0;
}

std::optional<int64_t> nextFiring(const ScheduledEvent &event, int64_t clock)
{
    if (event.function == function::kSummerTime || event.function == function::kWinterTime)
        return event.seconds >= clock ? std::optional<int64_t>(event.seconds) : std::nullopt;
    if (!isDaily(event.function))
        return std::nullopt;
    const int64_t time = secondOfDay(event.seconds);
    const bool ring = lampOf(event.function).has_value() && repeats(event);
    std::optional<int64_t> best;
    for (int64_t day = dayOf(clock) - 1; day <= dayOf(clock) + 7; ++day) {
        if (!onWeekday(event, day))
            continue;
        const int64_t start = day * kSecondsPerDay + time;
        std::optional<int64_t> candidate;
        if (start >= clock) {
            candidate = start;
        } else if (ring) {
            const int64_t k = floorDiv(clock - start + event.period - 1, event.period);
            if (k <= event.repeats && k * event.period < kSecondsPerDay)
                candidate = start + k * event.period;
        }
        if (candidate && (!best || *candidate < *best))
            best = candidate;
    }
    return best;
}

std::optional<NextEvent> nextEvent(const QList<ScheduledEvent> &events, int64_t clock,
                                   const QSet<int> &spent)
{
    std::optional<NextEvent> best;
    for (const ScheduledEvent &event : events) {
        if (spent.contains(event.slot))
            continue;
        const auto at = nextFiring(event, clock);
        if (at && (!best || *at < best->at))
            best = NextEvent{event.slot, *at};
    }
    return best;
}

QStringList layoutText(const QString &text, int rows)
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

std::optional<uint8_t> justificationCode(int position)
{
    if (position < 0 || position > 255 - 'A')
        return std::nullopt;
    return static_cast<uint8_t>('A' + position);
}

std::optional<EmployeeName> employeeForCard(const QList<EmployeeName> &employees,
                                            int32_t cardCode)
{
    for (const EmployeeName &e : employees)
        if (e.cardCode == cardCode)
            return e;
    return std::nullopt;
}

bool shownMessageLive(const ShownMessage &shown, int64_t clock)
{
    if (shown.number <= 0)
        return true;
    const int64_t elapsed = clock - shown.shownAt;
    return elapsed >= 0 && elapsed < shown.number;
}

bool cardPassLive(const StampedEntry &entry, int32_t messageDelay, int64_t clock)
{
    const int64_t elapsed = clock - entry.seconds;
    return entry.origin == 0 && elapsed >= 0 && elapsed < std::max<int64_t>(messageDelay, 1);
}

DisplayLines displayLines(const DisplayInput &in)
{
    const bool pass = in.lastEntry && cardPassLive(*in.lastEntry, in.messageDelay, in.clock);
    const bool shown = in.shown && shownMessageLive(*in.shown, in.clock);

    QStringList lines;
    if (pass && !(shown && in.shown->shownAt > in.lastEntry->seconds)) {
        const StampedEntry &e = *in.lastEntry;
        lines << (e.presence == kPresenceExit ? in.exitMessage : in.entryMessage);
        lines << (in.employeeName.trimmed().isEmpty() ? QString::number(e.cardCode)
                                                      : in.employeeName.trimmed());
        const QStringList message = layoutText(in.employeeMessage, kDisplayRows - 2);
        if (in.employeeMessage.isEmpty())
            lines << QString() << clockText(e.seconds);
        else
            lines << message;
    } else if (shown) {
        lines = layoutText(in.shown->text, kDisplayRows);
    } else {
        lines << clockText(in.clock);
    }

    DisplayLines out;
    for (int i = 0; i < kDisplayRows; ++i)
        out[static_cast<std::size_t>(i)] = fitLine(i < lines.size() ? lines[i] : QString());
    return out;
}

Parsed parseCardCode(const QString &text)
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

Parsed parseClockInput(const QString &text)
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
        const Civil back = civilFromDays(daysFromCivil(year, month, day));
        if (month < 1 || month > 12 || day < 1 || back.day != day || back.month != month
            || h > 23 || min > 59 || s > 59)
            return {std::nullopt, QStringLiteral("That date or time does not exist.")};
        const int64_t clock = (daysFromCivil(year, month, day) - kEpochDays) * kSecondsPerDay
                              + h * 3600 + min * 60 + s;
        if (clock < std::numeric_limits<int32_t>::min()
            || clock > std::numeric_limits<int32_t>::max())
            return {std::nullopt, rangeError};
        return {static_cast<int32_t>(clock), {}};
    }
    const Parsed count = parseCardCode(t);
    if (count.value)
        return count;
    static const QRegularExpression kDigits(QStringLiteral("^[+-]?[0-9]+$"));
    if (kDigits.match(t).hasMatch())
        return {std::nullopt, rangeError};
    return {std::nullopt,
            QStringLiteral("Type the clock as dd/mm/yyyy hh:mm:ss or as a clock second count.")};
}

QString terminalNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("Type the name of the terminal.");
    if (name.size() > 32)
        return QStringLiteral("A terminal name has at most 32 characters.");
    for (const QChar c : name)
        if (c.unicode() <= 32 || c.unicode() >= 127)
            return QStringLiteral("A terminal name is letters, digits and signs, without blanks.");
    return {};
}

} // namespace velmora::panel
