// The panel's rules over clock second counts: weekdays, the display's text,
// and how typed input is taken.
#include "terminal/panel/ByteRate.h"
#include "terminal/panel/PanelRules.h"

#include "clock/ClockCalendar.h"

#include <QTest>

using namespace terminal::panel;

namespace {

constexpr int64_t kMondayNoon = 976190400; // 07/12/2026 12:00:00, a Monday
constexpr int64_t kDay = 86400;

StampedEntry pass(int64_t at, int32_t card, uint8_t presence = kPresenceEntry, int32_t origin = 0)
{
    StampedEntry e;
    e.seconds = static_cast<int32_t>(at);
    e.cardCode = card;
    e.presence = presence;
    e.origin = origin;
    return e;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<int32_t>)
Q_DECLARE_METATYPE(DisplayInput)

class TestPanelRules : public QObject
{
    Q_OBJECT
private slots:
    void clockCount_data();
    void clockCount();
    void layoutText_data();
    void layoutText();
    void display_data();
    void display();
    void justificationCodes();
    void cardCode_data();
    void cardCode();
    void clockInput_data();
    void clockInput();
    void terminalNames();
    void bytesInTheLastSecond();
};

void TestPanelRules::clockCount_data()
{
    QTest::addColumn<qint64>("clock");
    QTest::addColumn<int>("weekday");
    QTest::addColumn<QString>("text");
    QTest::newRow("start of the count") << qint64(0) << 0 << "01/01/1996  00:00:00";
    QTest::newRow("last second of day 0") << qint64(kDay - 1) << 0 << "01/01/1996  23:59:59";
    QTest::newRow("Sunday of the first week") << qint64(6 * kDay) << 6 << "07/01/1996  00:00:00";
    QTest::newRow("before the start") << qint64(-1) << 6 << "31/12/1995  23:59:59";
    QTest::newRow("a leap day") << qint64(1520 * kDay) << 1 << "29/02/2000  00:00:00";
    QTest::newRow("noon of a Monday") << qint64(kMondayNoon) << 0 << "07/12/2026  12:00:00";
    QTest::newRow("top of 32 bits") << qint64(INT32_MAX) << 5 << "19/01/2064  03:14:07";
}

void TestPanelRules::clockCount()
{
    QFETCH(qint64, clock);
    QFETCH(int, weekday);
    QFETCH(QString, text);
    QCOMPARE(clocktime::WeekdayOf(clock), weekday);
    QCOMPARE(ClockText(clock), text);
    QCOMPARE(ClockText(clock).size(), kDisplayColumns);
}

void TestPanelRules::layoutText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QString() << 4 << QStringList{QString()};
    QTest::newRow("exactly a line") << QString(20, 'x') << 4 << QStringList{QString(20, 'x')};
    QTest::newRow("a word longer than a line")
        << QString(21, 'x') << 4 << QStringList{QString(20, 'x'), QStringLiteral("x")};
    QTest::newRow("broken at the last blank that fits")
        << QStringLiteral("Please see the office before noon") << 4
        << QStringList{QStringLiteral("Please see the"), QStringLiteral("office before noon")};
    QTest::newRow("blank right after 20 characters")
        << (QString(20, 'a') + QStringLiteral(" b")) << 4
        << QStringList{QString(20, 'a'), QStringLiteral("b")};
    QTest::newRow("line breaks of any kind")
        << QStringLiteral("one\r\ntwo\rthree\nfour") << 4
        << QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                       QStringLiteral("four")};
    QTest::newRow("what does not fit is dropped")
        << QStringLiteral("1\n2\n3\n4\n5") << 2 << QStringList{QStringLiteral("1"), QStringLiteral("2")};
    QTest::newRow("a long text fills four lines and stops")
        << QString(100, 'z') << 4 << QStringList(4, QString(20, 'z'));
}

void TestPanelRules::layoutText()
{
    QFETCH(QString, text);
    QFETCH(int, rows);
    QFETCH(QStringList, lines);
    QCOMPARE(terminal::panel::LayoutText(text, rows), lines);
}

void TestPanelRules::display_data()
{
    QTest::addColumn<DisplayInput>("input");
    QTest::addColumn<QStringList>("lines");
    const int64_t t = kMondayNoon;
    DisplayInput idle;
    idle.clock = t;
    idle.entryMessage = QStringLiteral("ENTRA");
    idle.exitMessage = QStringLiteral("SALE");
    idle.messageDelay = 4;
    QTest::newRow("idle shows the clock")
        << idle << QStringList{QStringLiteral("07/12/2026  12:00:00"), {}, {}, {}};

    DisplayInput shown = idle;
    shown.shown = ShownMessage{80, QStringLiteral("Fire drill at 3 pm today, all out"), t - 79};
    QTest::newRow("a shown message for its 80 seconds")
        << shown << QStringList{QStringLiteral("Fire drill at 3 pm"), QStringLiteral("today, all out"), {}, {}};
    shown.shown->shownAt = t - 80;
    QTest::newRow("and no longer") << shown << QStringList{QStringLiteral("07/12/2026  12:00:00"), {}, {}, {}};
    shown.shown->number = 0;
    QTest::newRow("number 0 keeps it") << shown << QStringList{QStringLiteral("Fire drill at 3 pm"), QStringLiteral("today, all out"), {}, {}};

    DisplayInput entry = idle;
    entry.lastEntry = pass(t - 3, 1053);
    entry.employeeName = QStringLiteral("JOAO SILVA          ");
    QTest::newRow("entry of a known card")
        << entry << QStringList{QStringLiteral("ENTRA"), QStringLiteral("JOAO SILVA"), {}, QStringLiteral("07/12/2026  11:59:57")};
    DisplayInput late = entry;
    late.lastEntry = pass(t - 4, 1053);
    QTest::newRow("after the message delay") << late << QStringList{QStringLiteral("07/12/2026  12:00:00"), {}, {}, {}};
    DisplayInput noDelay = entry;
    noDelay.messageDelay = 0;
    noDelay.lastEntry = pass(t, 1053);
    QTest::newRow("delay 0 still shows the pass") << noDelay << QStringList{QStringLiteral("ENTRA"), QStringLiteral("JOAO SILVA"), {}, QStringLiteral("07/12/2026  12:00:00")};

    DisplayInput exit = entry;
    exit.lastEntry = pass(t, 9999, kPresenceExit);
    exit.employeeName.clear();
    QTest::newRow("exit of an unknown card") << exit << QStringList{QStringLiteral("SALE"), QStringLiteral("9999"), {}, QStringLiteral("07/12/2026  12:00:00")};

    DisplayInput message = entry;
    message.employeeMessage = QStringLiteral("Please see the office before noon, bring your badge");
    QTest::newRow("the employee's message, two lines of it")
        << message << QStringList{QStringLiteral("ENTRA"), QStringLiteral("JOAO SILVA"), QStringLiteral("Please see the"), QStringLiteral("office before noon,")};

    DisplayInput inserted = entry;
    inserted.lastEntry = pass(t, 1053, kPresenceEntry, 1);
    QTest::newRow("an inserted entry is no pass") << inserted << QStringList{QStringLiteral("07/12/2026  12:00:00"), {}, {}, {}};

    DisplayInput both = entry;
    both.shown = ShownMessage{80, QStringLiteral("NEWER"), t - 1};
    QTest::newRow("a message after the pass wins") << both << QStringList{QStringLiteral("NEWER"), {}, {}, {}};
    both.shown->shownAt = t - 10;
    QTest::newRow("a pass after the message wins") << both << QStringList{QStringLiteral("ENTRA"), QStringLiteral("JOAO SILVA"), {}, QStringLiteral("07/12/2026  11:59:57")};

    DisplayInput control = idle;
    control.shown = ShownMessage{80, QStringLiteral("a\tb"), t};
    QTest::newRow("control characters show as blanks") << control << QStringList{QStringLiteral("a b"), {}, {}, {}};
}

void TestPanelRules::display()
{
    QFETCH(DisplayInput, input);
    QFETCH(QStringList, lines);
    const DisplayLines got = DisplayLinesOf(input);
    for (int i = 0; i < kDisplayRows; ++i) {
        QCOMPARE(got[i].size(), kDisplayColumns);
        QCOMPARE(got[i].trimmed(), lines[i].trimmed());
    }
}

void TestPanelRules::justificationCodes()
{
    QCOMPARE(JustificationCode(0), std::optional<uint8_t>('A'));
    QCOMPARE(JustificationCode(6), std::optional<uint8_t>('G'));
    QCOMPARE(JustificationCode(190), std::optional<uint8_t>(255));
    QVERIFY(!JustificationCode(191));
    QVERIFY(!JustificationCode(-1));
}

void TestPanelRules::cardCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int32_t>>("code");
    QTest::newRow("a roster card") << "1053" << std::optional<int32_t>(1053);
    QTest::newRow("blanks and a sign") << " -7 " << std::optional<int32_t>(-7);
    QTest::newRow("lowest") << "-2147483648" << std::optional<int32_t>(INT32_MIN);
    QTest::newRow("one past the top") << "2147483648" << std::optional<int32_t>();
    QTest::newRow("far past the top") << "99999999999999999999" << std::optional<int32_t>();
    QTest::newRow("trailing text") << "12a" << std::optional<int32_t>();
    QTest::newRow("a fraction") << "1.5" << std::optional<int32_t>();
    QTest::newRow("empty") << "" << std::optional<int32_t>();
}

void TestPanelRules::cardCode()
{
    QFETCH(QString, text);
    QFETCH(std::optional<int32_t>, code);
    const Parsed parsed = ParseCardCode(text);
    QCOMPARE(parsed.value, code);
    QCOMPARE(parsed.error.isEmpty(), code.has_value());
}

void TestPanelRules::clockInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int32_t>>("clock");
    QTest::newRow("date and time") << "07/12/2026 12:00:00" << std::optional<int32_t>(kMondayNoon);
    QTest::newRow("no seconds") << " 7/12/2026  12:00 " << std::optional<int32_t>(kMondayNoon);
    QTest::newRow("a count") << "976190400" << std::optional<int32_t>(kMondayNoon);
    QTest::newRow("the last second of 32 bits") << "19/01/2064 03:14:07" << std::optional<int32_t>(INT32_MAX);
    QTest::newRow("one past it") << "19/01/2064 03:14:08" << std::optional<int32_t>();
    QTest::newRow("a count past 32 bits") << "2147483648" << std::optional<int32_t>();
    QTest::newRow("no such day") << "31/02/2026 10:00:00" << std::optional<int32_t>();
    QTest::newRow("no such hour") << "07/12/2026 24:00:00" << std::optional<int32_t>();
    QTest::newRow("words") << "noon" << std::optional<int32_t>();
}

void TestPanelRules::clockInput()
{
    QFETCH(QString, text);
    QFETCH(std::optional<int32_t>, clock);
    const Parsed parsed = ParseClockInput(text);
    QCOMPARE(parsed.value, clock);
    QCOMPARE(parsed.error.isEmpty(), clock.has_value());
}

void TestPanelRules::terminalNames()
{
    QVERIFY(TerminalNameProblem(QStringLiteral("PONTO_01")).isEmpty());
    QVERIFY(TerminalNameProblem(QString(32, 'A')).isEmpty());
    QVERIFY(!TerminalNameProblem(QString(33, 'A')).isEmpty());
    QVERIFY(!TerminalNameProblem(QString()).isEmpty());
    QVERIFY(!TerminalNameProblem(QStringLiteral("PONTO 01")).isEmpty());
}

void TestPanelRules::bytesInTheLastSecond()
{
    ByteRate rate;
    QCOMPARE(rate.perSecond(0), 0);
    rate.add(11, 100);
    rate.add(5, 100);
    rate.add(20, 900);
    QCOMPARE(rate.perSecond(1099), 36);
    QCOMPARE(rate.perSecond(1100), 20); // the first two left the window
    rate.add(-3, 1200);                 // nothing to count
    QCOMPARE(rate.perSecond(1899), 20);
    QCOMPARE(rate.perSecond(5000), 0);
}

QTEST_GUILESS_MAIN(TestPanelRules)
#include "tst_panelrules.moc"
