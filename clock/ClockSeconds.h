#pragma once
// The clock second count: seconds since 1996-01-01 00:00:00 of the PC's local
// wall-clock time, every day 86400 seconds long. Turning PC dates into counts,
// counts into the date line, and the nudged text of the seconds field.

#include "clock/ClockCalendar.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

namespace clocktime {

// Seconds from 1996-01-01 00:00:00 to the given local date and time; whole
// seconds only, any milliseconds dropped as the PC's clock reading does.
int64_t ClockSecondsOf(QDate date, QTime time);

// The count for a PC clock reading; nothing when it is invalid or lies
// outside what the terminal's clock can hold.
std::optional<int32_t> PcClockSeconds(const QDateTime &localNow);

// What the user is told when the PC's clock cannot be given to the terminal.
QString PcClockOutOfRangeMessage(const QDateTime &localNow);

// "hh:mm:ss - dd/mm/yyyy - <weekday>" with the separators and weekday names
// of one locale, looked up once; formatting touches no locale afterwards.
class DateTextFormatter
{
public:
    explicit DateTextFormatter(const QLocale &locale);

    QString format(int32_t seconds) const;

    QString dateSeparator() const { return m_dateSeparator; }
    QString timeSeparator() const { return m_timeSeparator; }
    // 1 = Monday .. 7 = Sunday
    QString weekdayName(int dayOfWeek) const { return m_weekdays[size_t(dayOfWeek - 1)]; }

private:
    QString m_dateSeparator;
    QString m_timeSeparator;
    std::array<QString, 7> m_weekdays;
};

// The first separator between the fields of a date or time format such as
// "dd/MM/yyyy" or "HH:mm"; the fallback when the format has none.
QString SeparatorOfFormat(const QString &format, const QString &fallback);

// The count as its time, date and weekday in the PC's regional settings.
QString SecondsToDateText(int32_t seconds);
QString SecondsToDateText(int32_t seconds, const QLocale &locale);

// The date line under the seconds field, for the field's text.
inline const QString kDateLineOutOfRange = QStringLiteral("out of range");
QString DateLineText(QStringView secondsText, const DateTextFormatter &formatter);
QString DateLineText(QStringView secondsText);

// A number as its shortest decimal text with up to 15 significant digits:
// whole numbers without a point, large and tiny ones with an exponent
// ("1E+20"). The text always reads back as a finite number.
QString ShortestDecimalText(double value);

// The seconds field's text after a nudge by delta; text that is not a number
// counts as 0. A number too large to hold (an overflowing run of digits) is
// left as it stands.
QString NudgedText(QStringView text, double delta);

} // namespace clocktime
