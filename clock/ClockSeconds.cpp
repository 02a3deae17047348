#include "clock/ClockSeconds.h"

#include "field/FieldValue.h"

#include <cmath>
#include <limits>

namespace clocktime {

namespace {

bool isFieldLetter(QChar c)
{
    return c.isLetter();
}

bool belongsToSeparator(QChar c)
{
    // Direction marks and the like sit in some locales' formats; they are
    // not part of what the user reads as the separator.
    return c.category() != QChar::Other_Format;
}

inline void put2(char16_t *&out, int value)
{
    *out++ = char16_t(u'0' + value / 10);
    *out++ = char16_t(u'0' + value % 10);
}

inline void putText(char16_t *&out, const QString &text)
{
    for (QChar c : text)
        *out++ = c.unicode();
}

QString formatted(double value, int precision)
{
    QString text = QString::number(value, 'g', precision);
    text.replace(u'e', u'E');
    return text;
}

bool readsBackFinite(const QString &text)
{
    bool ok = false;
    const double back = text.toDouble(&ok);
    return ok && std::isfinite(back);
}

} // namespace

int64_t ClockSecondsOf(QDate date, QTime time)
{
    // QDate has no year 0: its year -1 is the calendar's year 0.
    const int year = date.year() < 0 ? date.year() + 1 : date.year();
    return DayOfDate(year, date.month(), date.day()) * kSecondsPerDay
           + time.msecsSinceStartOfDay() / 1000;
}

std::optional<int32_t> PcClockSeconds(const QDateTime &localNow)
{
    if (!localNow.isValid())
        return std::nullopt;
    return ToClockSeconds(ClockSecondsOf(localNow.date(), localNow.time()));
}

QString PcClockOutOfRangeMessage(const QDateTime &localNow)
{
    const QString reading = localNow.isValid()
                                ? localNow.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                : QStringLiteral("no valid date");
    return QStringLiteral("The PC's clock (%1) is outside the range the terminal's clock can "
                          "hold (1927-12-13 20:45:52 to 2064-01-19 03:14:07). Nothing was sent.")
        .arg(reading);
}

QString SeparatorOfFormat(const QString &format, const QString &fallback)
{
    qsizetype i = 0;
    const qsizetype n = format.size();
    while (i < n && !isFieldLetter(format[i])) {
        if (format[i] == u'\'')
            return fallback;
        ++i;
    }
    while (i < n && isFieldLetter(format[i]))
        ++i;
    QString separator;
    for (; i < n && !isFieldLetter(format[i]); ++i) {
        // A quoted literal between the fields is a word, not a separator.
        if (format[i] == u'\'')
            return fallback;
        if (belongsToSeparator(format[i]))
            separator += format[i];
    }
    separator = separator.trimmed();
    return separator.isEmpty() || i == n ? fallback : separator;
}

DateTextFormatter::DateTextFormatter(const QLocale &locale)
    : m_dateSeparator(SeparatorOfFormat(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/")))
    , m_timeSeparator(SeparatorOfFormat(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":")))
{
    for (int d = 1; d <= 7; ++d)
        m_weekdays[size_t(d - 1)] = locale.dayName(d, QLocale::LongFormat);
}

QString DateTextFormatter::format(int32_t seconds) const
{
    const int secondOfDay = int(SecondOfDay(seconds));
    const CivilDate date = CivilDateOfDay(DayOf(seconds));
    const QString &weekday = m_weekdays[size_t(WeekdayOf(seconds))];

    static const QString kJoin = QStringLiteral(" - ");
    QString text;
    constexpr qsizetype kDigits = 6 + 8;
    text.resize(kDigits + 2 * (kJoin.size() + m_timeSeparator.size() + m_dateSeparator.size())
                + weekday.size());
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    put2(out, secondOfDay / 3600);
    putText(out, m_timeSeparator);
    put2(out, secondOfDay / 60 % 60);
    putText(out, m_timeSeparator);
    put2(out, secondOfDay % 60);
    putText(out, kJoin);
    put2(out, date.day);
    putText(out, m_dateSeparator);
    put2(out, date.month);
    putText(out, m_dateSeparator);
    // Every 32-bit count falls in the years 1927 to 2064.
    const int year = int(date.year);
    put2(out, year / 100);
    put2(out, year % 100);
    putText(out, kJoin);
    putText(out, weekday);
    return text;
}

QString SecondsToDateText(int32_t seconds)
{
    // Built on first use: the entry decoder calls this for every entry.
    static const DateTextFormatter formatter{QLocale::system()};
    return formatter.format(seconds);
}

QString SecondsToDateText(int32_t seconds, const QLocale &locale)
{
    return DateTextFormatter(locale).format(seconds);
}

QString DateLineText(QStringView secondsText, const DateTextFormatter &formatter)
{
    const auto seconds = field::NumericValue(secondsText);
    return seconds ? formatter.format(*seconds) : kDateLineOutOfRange;
}

QString DateLineText(QStringView secondsText)
{
    const auto seconds = field::NumericValue(secondsText);
    return seconds ? SecondsToDateText(*seconds) : kDateLineOutOfRange;
}

QString ShortestDecimalText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    if (std::isinf(value))
        value = std::copysign(std::numeric_limits<double>::max(), value);
    if (value == 0.0)
        return QStringLiteral("0"); // no "-0"
    QString text = formatted(value, 15);
    // Near the largest double, 15 digits can round up past it.
    if (!readsBackFinite(text))
        text = formatted(value, 17);
    return text;
}

QString NudgedText(QStringView text, double delta)
{
    const double value = field::LeadingNumber(text);
    if (!std::isfinite(value))
        return text.toString();
    return ShortestDecimalText(value + delta);
}

} // namespace clocktime
