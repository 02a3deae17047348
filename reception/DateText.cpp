#include "reception/DateText.h"

#ifdef VELMORA_RECEPTION_OWN_DATE_TEXT

#include <QDate>
#include <QLocale>
#include <QTime>

namespace reception {

QString DateText(int32_t seconds)
{
    // Every day of the clock has 86400 seconds, from 1996-01-01 00:00:00.
    const int64_t day = (int64_t(seconds) - (seconds < 0 ? 86399 : 0)) / 86400;
    const int secondOfDay = int(int64_t(seconds) - day * 86400);
    const QDate date = QDate(1996, 1, 1).addDays(day);
    const QTime time = QTime(0, 0).addSecs(secondOfDay);
    return time.toString(QStringLiteral("hh:mm:ss")) + QStringLiteral(" - ")
           + date.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" - ")
           + QLocale::system().dayName(date.dayOfWeek(), QLocale::LongFormat);
}

} // namespace reception

#endif
