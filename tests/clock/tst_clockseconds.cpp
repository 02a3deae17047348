// The clock second count: PC dates to counts, counts to the date line, and
// the nudged text of the seconds field.
#include "field/FieldValue.h"
#include "clock/ClockSeconds.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace clocktime;

namespace {

const QLocale kUk(QLocale::English, QLocale::UnitedKingdom);

// What QDate and QTime make of a count, for comparing with the formatter.
QString referenceText(int64_t seconds, const QLocale &locale)
{
    const int64_t day = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const QDate date = QDate(1996, 1, 1).addDays(day);
    const QTime time = QTime(0, 0).addSecs(int(seconds - day * 86400));
    return time.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" - ")
           + date.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" - ")
           + locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
}

} // namespace

class TestClockSeconds : public QObject
{
    Q_OBJECT
private slots:
    void clockSecondsOf_data();
    void clockSecondsOf();
    void pcClockOutOfRange_data();
    void pcClockOutOfRange();

    void secondsToDateText_data();
    void secondsToDateText();
    void everyDayBoundaryMatchesTheCalendar();
    void sampledSecondsMatchTheCalendar();
    void regionalSettings_data();
    void regionalSettings();
    void separatorOfFormat_data();
    void separatorOfFormat();

    void dateLineText_data();
    void dateLineText();

    void shortestDecimalText_data();
    void shortestDecimalText();
    void nudgedText_data();
    void nudgedText();
    void extremeDoublesReadBackFinite_data();
    void extremeDoublesReadBackFinite();
};

void TestClockSeconds::clockSecondsOf_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<int32_t>("seconds");
    auto row = [](const char *name, QDate d, QTime t, int32_t s) {
        QTest::newRow(name) << QDateTime(d, t) << s;
    };
    row("epoch", QDate(1996, 1, 1), QTime(0, 0), 0);
    row("second day", QDate(1996, 1, 2), QTime(0, 0), 86400);
    row("2003-10-01 08:30:15", QDate(2003, 10, 1), QTime(8, 30, 15), 244542615);
    row("2026-12-07 noon", QDate(2026, 12, 7), QTime(12, 0), 976190400);
    row("second before epoch", QDate(1995, 12, 31), QTime(23, 59, 59), -1);
    row("milliseconds dropped", QDate(2026, 12, 7), QTime(12, 0, 0, 999), 976190400);
    row("leap day 1996", QDate(1996, 2, 29), QTime(12, 0), 5140800);
    row("first count", QDate(1927, 12, 13), QTime(20, 45, 52), std::numeric_limits<int32_t>::min());
    row("last count", QDate(2064, 1, 19), QTime(3, 14, 7), std::numeric_limits<int32_t>::max());
}

void TestClockSeconds::clockSecondsOf()
{
    QFETCH(QDateTime, at);
    QFETCH(int32_t, seconds);
    QCOMPARE(ClockSecondsOf(at.date(), at.time()), int64_t(seconds));
    QCOMPARE(PcClockSeconds(at), std::optional<int32_t>(seconds));
}

void TestClockSeconds::pcClockOutOfRange_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<int64_t>("seconds");
    QTest::newRow("second before the first") << QDateTime(QDate(1927, 12, 13), QTime(20, 45, 51))
                                             << int64_t(-2147483649LL);
    QTest::newRow("second after the last") << QDateTime(QDate(2064, 1, 19), QTime(3, 14, 8))
                                           << int64_t(2147483648LL);
    QTest::newRow("year 1900") << QDateTime(QDate(1900, 1, 1), QTime(0, 0))
                               << int64_t(-35063) * 86400;
    QTest::newRow("year 2100") << QDateTime(QDate(2100, 1, 1), QTime(0, 0))
                               << int64_t(37986) * 86400;
}

void TestClockSeconds::pcClockOutOfRange()
{
    QFETCH(QDateTime, at);
    QFETCH(int64_t, seconds);
    QCOMPARE(ClockSecondsOf(at.date(), at.time()), seconds);
    QCOMPARE(PcClockSeconds(at), std::nullopt);
    const QString text = PcClockOutOfRangeMessage(at);
    QVERIFY2(text.contains(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("1927-12-13 20:45:52 to 2064-01-19 03:14:07")));
    QCOMPARE(PcClockSeconds(QDateTime()), std::nullopt);
}

void TestClockSeconds::secondsToDateText_data()
{
    QTest::addColumn<int32_t>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "00:00:00 - 01/01/1996 - Monday";
    QTest::newRow("86399") << 86399 << "23:59:59 - 01/01/1996 - Monday";
    QTest::newRow("86400") << 86400 << "00:00:00 - 02/01/1996 - Tuesday";
    QTest::newRow("-1") << -1 << "23:59:59 - 31/12/1995 - Sunday";
    QTest::newRow("-86400") << -86400 << "00:00:00 - 31/12/1995 - Sunday";
    QTest::newRow("-86401") << -86401 << "23:59:59 - 30/12/1995 - Saturday";
    QTest::newRow("976190400") << 976190400 << "12:00:00 - 07/12/2026 - Monday";
    QTest::newRow("int32 max") << std::numeric_limits<int32_t>::max()
                               << "03:14:07 - 19/01/2064 - Saturday";
    QTest::newRow("int32 min") << std::numeric_limits<int32_t>::min()
                               << "20:45:52 - 13/12/1927 - Tuesday";
    QTest::newRow("leap day 1996") << 5140800 << "12:00:00 - 29/02/1996 - Thursday";
    QTest::newRow("leap day 2000") << 131414399 << "23:59:59 - 29/02/2000 - Tuesday";
    QTest::newRow("leap day 2024") << 888710400 << "00:00:00 - 29/02/2024 - Thursday";
    QTest::newRow("leap day 1928") << -2140797172 << "06:07:08 - 29/02/1928 - Wednesday";
    QTest::newRow("end of 1999") << 126230399 << "23:59:59 - 31/12/1999 - Friday";
    QTest::newRow("start of 2000") << 126230400 << "00:00:00 - 01/01/2000 - Saturday";
    QTest::newRow("end of 2063") << 2145916799 << "23:59:59 - 31/12/2063 - Monday";
    QTest::newRow("2003-10-01") << 244542615 << "08:30:15 - 01/10/2003 - Wednesday";
}

void TestClockSeconds::secondsToDateText()
{
    QFETCH(int32_t, seconds);
    QFETCH(QString, text);
    QCOMPARE(SecondsToDateText(seconds, kUk), text);
    QCOMPARE(DateTextFormatter(kUk).format(seconds), text);
}

void TestClockSeconds::everyDayBoundaryMatchesTheCalendar()
{
    const DateTextFormatter formatter(kUk);
    const int64_t first = std::numeric_limits<int32_t>::min();
    const int64_t last = std::numeric_limits<int32_t>::max();
    const int64_t firstDay = -((-first + 86399) / 86400);
    for (int64_t day = firstDay; day * 86400 <= last; ++day) {
        for (int64_t s : {day * 86400, day * 86400 + 86399}) {
            if (s < first || s > last)
                continue;
            const QString got = formatter.format(int32_t(s));
            if (got != referenceText(s, kUk))
                QFAIL(qPrintable(QStringLiteral("%1: %2, expected %3")
                                     .arg(s)
                                     .arg(got, referenceText(s, kUk))));
        }
    }
}

void TestClockSeconds::sampledSecondsMatchTheCalendar()
{
    const DateTextFormatter formatter(kUk);
    for (int64_t s = std::numeric_limits<int32_t>::min(); s <= std::numeric_limits<int32_t>::max();
         s += 9973) {
        const QString got = formatter.format(int32_t(s));
        if (got != referenceText(s, kUk))
            QFAIL(qPrintable(QStringLiteral("%1: %2, expected %3").arg(s).arg(got, referenceText(s, kUk))));
    }
}

void TestClockSeconds::regionalSettings_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("monday");
    QTest::addColumn<QString>("dateSeparator");
    QTest::addColumn<QString>("timeSeparator");
    QTest::newRow("Portuguese, Brazil")
        << QLocale(QLocale::Portuguese, QLocale::Brazil) << "segunda-feira" << "/" << ":";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "Montag" << "." << ":";
    QTest::newRow("Swedish") << QLocale(QLocale::Swedish, QLocale::Sweden) << "måndag" << "-" << ":";
    QTest::newRow("C") << QLocale::c() << "Monday" << "/" << ":";
}

void TestClockSeconds::regionalSettings()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, monday);
    QFETCH(QString, dateSeparator);
    QFETCH(QString, timeSeparator);
    const DateTextFormatter formatter(locale);
    QCOMPARE(formatter.weekdayName(1), monday);
    QCOMPARE(formatter.dateSeparator(), dateSeparator);
    QCOMPARE(formatter.timeSeparator(), timeSeparator);
    const QString t = timeSeparator;
    const QString d = dateSeparator;
    QCOMPARE(formatter.format(976190400),
             "12" + t + "00" + t + "00 - 07" + d + "12" + d + "2026 - " + monday);
}

void TestClockSeconds::separatorOfFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("separator");
    QTest::newRow("slash") << "dd/MM/yyyy" << "/";
    QTest::newRow("dot") << "d.M.yy" << ".";
    QTest::newRow("dot and blank") << "dd. MM. yyyy" << ".";
    QTest::newRow("hyphen, year first") << "yyyy-MM-dd" << "-";
    QTest::newRow("colon") << "HH:mm" << ":";
    QTest::newRow("time dot") << "H.mm" << ".";
    QTest::newRow("only blanks") << "d MMM y" << "#";
    QTest::newRow("quoted word") << "HH 'h' mm" << "#";
    QTest::newRow("empty") << "" << "#";
    QTest::newRow("one field") << "yyyy" << "#";
    QTest::newRow("trailing literal") << "yyyy." << "#";
    QTest::newRow("direction marks") << QString::fromUtf8("\u200Fd\u200F/M\u200F/yyyy") << "/";
}

void TestClockSeconds::separatorOfFormat()
{
    QFETCH(QString, format);
    QFETCH(QString, separator);
    QCOMPARE(SeparatorOfFormat(format, QStringLiteral("#")), separator);
}

void TestClockSeconds::dateLineText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("line");
    const QString zero = QStringLiteral("00:00:00 - 01/01/1996 - Monday");
    QTest::newRow("empty") << "" << zero;
    QTest::newRow("not a number") << "abc" << zero;
    QTest::newRow("1.5 rounds to 2") << "1.5" << "00:00:02 - 01/01/1996 - Monday";
    QTest::newRow("2.5 rounds to 2") << "2.5" << "00:00:02 - 01/01/1996 - Monday";
    QTest::newRow("3.5 rounds to 4") << "3.5" << "00:00:04 - 01/01/1996 - Monday";
    QTest::newRow("leading number") << "60 segundos" << "00:01:00 - 01/01/1996 - Monday";
    QTest::newRow("-1") << "-1" << "23:59:59 - 31/12/1995 - Sunday";
    QTest::newRow("last count") << "2147483647" << "03:14:07 - 19/01/2064 - Saturday";
    QTest::newRow("past the last") << "2147483648" << kDateLineOutOfRange;
    QTest::newRow("before the first") << "-2147483649" << kDateLineOutOfRange;
    QTest::newRow("long run of digits") << "99999999999999999999" << kDateLineOutOfRange;
    QTest::newRow("overflowing exponent") << "1e999" << kDateLineOutOfRange;
    QTest::newRow("nudged past the last") << "2147483647.5" << kDateLineOutOfRange;
}

void TestClockSeconds::dateLineText()
{
    QFETCH(QString, field);
    QFETCH(QString, line);
    QCOMPARE(DateLineText(field, DateTextFormatter(kUk)), line);
}

void TestClockSeconds::shortestDecimalText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("one") << 1.0 << "1";
    QTest::newRow("fraction") << 2.5 << "2.5";
    QTest::newRow("minus a minute") << -60.0 << "-60";
    QTest::newRow("clock count") << 976190410.0 << "976190410";
    QTest::newRow("past 32 bits") << 2147483648.0 << "2147483648";
    QTest::newRow("15 digits") << 999999999999999.0 << "999999999999999";
    QTest::newRow("16 digits") << 1e15 << "1E+15";
    QTest::newRow("1e20") << 1e20 << "1E+20";
    QTest::newRow("rounded to 15 digits") << 123456789012345678.0 << "1.23456789012346E+17";
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("tiny") << 1.5e-7 << "1.5E-07";
}

void TestClockSeconds::shortestDecimalText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(ShortestDecimalText(value), text);
    QCOMPARE(field::LeadingNumber(text), QString(text).toDouble());
}

void TestClockSeconds::nudgedText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("delta");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty +sec") << "" << 1.0 << "1";
    QTest::newRow("empty -min") << "" << -60.0 << "-60";
    QTest::newRow("empty +10s") << "" << 10.0 << "10";
    QTest::newRow("1.5 +sec") << "1.5" << 1.0 << "2.5";
    QTest::newRow("976190400 +10s") << "976190400" << 10.0 << "976190410";
    QTest::newRow("not a number counts as 0") << "abc" << 1.0 << "1";
    QTest::newRow("leading number") << "  42 apples" << 1.0 << "43";
    QTest::newRow("60 -min") << "60" << -60.0 << "0";
    QTest::newRow("past 32 bits") << "2147483647" << 1.0 << "2147483648";
    QTest::newRow("below 32 bits") << "-2147483648" << -60.0 << "-2147483708";
    QTest::newRow("1e20 absorbs a second") << "1e20" << 1.0 << "1E+20";
    QTest::newRow("long run of digits") << "99999999999999999999" << 10.0 << "1E+20";
    QTest::newRow("overflowing number left alone") << "1e999" << 1.0 << "1e999";
    QTest::newRow("overflowing digits left alone") << QString(400, u'9') << 1.0 << QString(400, u'9');
}

void TestClockSeconds::nudgedText()
{
    QFETCH(QString, field);
    QFETCH(double, delta);
    QFETCH(QString, text);
    QCOMPARE(NudgedText(field, delta), text);
}


void TestClockSeconds::extremeDoublesReadBackFinite_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("largest") << std::numeric_limits<double>::max();
    QTest::newRow("most negative") << -std::numeric_limits<double>::max();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("smallest") << std::numeric_limits<double>::denorm_min();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
}

void TestClockSeconds::extremeDoublesReadBackFinite()
{
    QFETCH(double, value);
    const QString text = ShortestDecimalText(value);
    const double back = field::LeadingNumber(text);
    QVERIFY2(std::isfinite(back), qPrintable(text));
    if (std::isfinite(value))
        QCOMPARE(ShortestDecimalText(back), text);
    // A nudge of such a text writes a text that reads back as a number too.
    QVERIFY(std::isfinite(field::LeadingNumber(NudgedText(text, 1))));
}

QTEST_GUILESS_MAIN(TestClockSeconds)
#include "tst_clockseconds.moc"
