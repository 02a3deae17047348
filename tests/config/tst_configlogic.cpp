// The decisions of the configuration panel, the justification text, the
// message box's line limit and the event masks, without a window.

#include "config/ConfigurationRecord.h"
#include "config/DisplayMessages.h"
#include "config/EventSchedule.h"
#include "config/JustificationList.h"

#include <QFontInfo>
#include <QRandomGenerator>
#include <QTest>

using namespace config;

Q_DECLARE_METATYPE(config::ConfigurationRecord)

namespace {

ConfigurationTexts StartTexts()
{
    ConfigurationTexts t;
    t.entrySeparation = QStringLiteral("60 segundos");
    t.messageDelay = QStringLiteral("4 segundos");
    t.dayCloseTime = QStringLiteral("86100 (23:55)");
    t.cardSeries = QStringLiteral("8000");
    t.maximumWorkTime = QStringLiteral("0");
    t.gate1 = QStringLiteral("0");
    t.gate2 = QStringLiteral("0");
    return t;
}

MessageLayout::Style BoxStyle(qreal width)
{
    MessageLayout::Style s;
    s.font = MessageFont();
    s.option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    s.cursorWidth = 1;
    s.pageWidth = width;
    return s;
}

// The rule as stated: cut the last character off until the text fits.
qsizetype CutOneAtATime(const QString &text, MessageLayout &layout)
{
    qsizetype n = text.size();
    while (n > 0 && layout.lineCount(text.left(n)) > kMaxMessageLines)
        --n;
    return n;
}

} // namespace

class TestConfigLogic : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
    void recordRefusesOutOfRange_data();
    void recordRefusesOutOfRange();
    void offRule_data();
    void offRule();

    void justificationText();

    void masks_data();
    void masks();
    void functionAndKind();

    void fittingLengthWithDips_data();
    void fittingLengthWithDips();
    void fittingLengthMatchesCuttingOneAtATime();
    void layoutCountsBreaksAndWraps();
    void messageFontIsTimesCompatible();
};

void TestConfigLogic::record_data()
{
    QTest::addColumn<QString>("entrySeparation");
    QTest::addColumn<int>("twelveHours");
    QTest::addColumn<int>("clockTick");
    QTest::addColumn<QString>("gate1");
    QTest::addColumn<ConfigurationRecord>("expected");

    const ConfigurationRecord start{60, 4, 86100, 0, 8000, 0, 0, 0, 0};
    QTest::newRow("start texts") << "60 segundos" << int(Qt::Unchecked) << int(Qt::Unchecked)
                                 << "0" << start;
    ConfigurationRecord r = start;
    r.entrySeparation = 46;
    QTest::newRow("45.5 rounds to even 46") << "45.5" << 0 << 0 << "0" << r;
    r.entrySeparation = 44;
    QTest::newRow("44.5 rounds to even 44") << "44.5" << 0 << 0 << "0" << r;
    r.entrySeparation = 0;
    QTest::newRow("not a number sends 0") << "abc" << 0 << 0 << "0" << r;
    r = start;
    r.twelveHours = 1;
    r.clockTick = 1;
    QTest::newRow("both boxes ticked") << "60" << int(Qt::Checked) << int(Qt::Checked) << "0" << r;
    r = start;
    r.twelveHours = 2;
    QTest::newRow("greyed box goes as 2") << "60" << int(Qt::PartiallyChecked) << 0 << "0" << r;
    r = start;
    r.gate1 = 5;
    QTest::newRow("gate 1 typed 5") << "60" << 0 << 0 << "5" << r;
    r.gate1 = -2147483648;
    QTest::newRow("gate 1 at the bottom of the range") << "60" << 0 << 0 << "-2147483648" << r;
}

void TestConfigLogic::record()
{
    QFETCH(QString, entrySeparation);
    QFETCH(int, twelveHours);
    QFETCH(int, clockTick);
    QFETCH(QString, gate1);
    QFETCH(ConfigurationRecord, expected);
    ConfigurationTexts t = StartTexts();
    t.entrySeparation = entrySeparation;
    t.twelveHours = Qt::CheckState(twelveHours);
    t.clockTick = Qt::CheckState(clockTick);
    t.gate1 = gate1;
    const auto made = MakeConfigurationRecord(t);
    QVERIFY(std::holds_alternative<ConfigurationRecord>(made));
    QCOMPARE(std::get<ConfigurationRecord>(made), expected);
}

void TestConfigLogic::recordRefusesOutOfRange_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::newRow("entry separation") << 0 << "99999999999" << "Entry Separation";
    QTest::newRow("message delay") << 1 << "2147483648" << "Message Delay";
    QTest::newRow("day close") << 2 << "1e12 (never)" << "Day Close time";
    QTest::newRow("card series") << 5 << "-2147483649" << "Card Series";
    QTest::newRow("maximum work time") << 6 << "99999999999" << "Maximum work time";
    QTest::newRow("gate 1") << 7 << "99999999999" << "Gate #1";
    QTest::newRow("gate 2") << 8 << "2147483647.5" << "Gate #2";
}

void TestConfigLogic::recordRefusesOutOfRange()
{
    QFETCH(int, which);
    QFETCH(QString, text);
    QFETCH(QString, label);
    ConfigurationTexts t = StartTexts();
    QString *fields[] = {&t.entrySeparation, &t.messageDelay, &t.dayCloseTime, nullptr, nullptr,
                         &t.cardSeries, &t.maximumWorkTime, &t.gate1, &t.gate2};
    *fields[which] = text;
    const auto made = MakeConfigurationRecord(t);
    QVERIFY(std::holds_alternative<FieldFault>(made));
    QCOMPARE(std::get<FieldFault>(made), (FieldFault{label, text}));
}

void TestConfigLogic::offRule_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("check5");
    QTest::addColumn<int>("check6");
    QTest::addColumn<QString>("forced"); // null: nothing forced

    QTest::newRow("day close off") << 2 << 0 << 2 << "99999999";
    QTest::newRow("day close on") << 2 << 2 << 0 << QString();
    QTest::newRow("day close greyed is not clear") << 2 << 1 << 0 << QString();
    QTest::newRow("work time off") << 6 << 2 << 0 << "0";
    QTest::newRow("work time on") << 6 << 0 << 2 << QString();
    QTest::newRow("entry message untouched") << 3 << 0 << 0 << QString();
    QTest::newRow("card series untouched") << 5 << 0 << 0 << QString();
}

void TestConfigLogic::offRule()
{
    QFETCH(int, index);
    QFETCH(int, check5);
    QFETCH(int, check6);
    QFETCH(QString, forced);
    const auto got = OffRuleText(index, Qt::CheckState(check5), Qt::CheckState(check6));
    QCOMPARE(got.has_value(), !forced.isNull());
    if (got)
        QCOMPARE(*got, forced);
}

void TestConfigLogic::justificationText()
{
    const QStringList names = {"Aleitamento", "Almoco", "Lanche", "Jantar",
                               "Medico",      "Casamento", "Funeral"};
    const QString text = JustificationText(names);
    QCOMPARE(text, QStringLiteral("Aleitamento~Almoco~Lanche~Jantar~Medico~Casamento~Funeral~"));
    QCOMPARE(text.size(), 58);
    QCOMPARE(text.count(u'~'), 7);
    QCOMPARE(JustificationText({"", "x"}), QStringLiteral("~x~"));
}

void TestConfigLogic::masks_data()
{
    QTest::addColumn<QList<int>>("ringStates");    // 32 states
    QTest::addColumn<QList<int>>("weekdayStates"); // 7 states
    QTest::addColumn<int>("ring");
    QTest::addColumn<int>("weekday");

    auto states = [](int n, std::initializer_list<int> ticked, int other = Qt::Unchecked) {
        QList<int> s(n, other);
        for (int i : ticked)
            s[i] = Qt::Checked;
        return s;
    };
    QTest::newRow("start boxes") << states(32, {0, 1, 2, 3, 4}) << states(7, {0, 1, 2, 3, 4, 5, 6})
                                 << 31 << 127;
    QTest::newRow("Sunday only") << states(32, {}) << states(7, {6}) << 0 << 64;
    QTest::newRow("Monday only") << states(32, {}) << states(7, {0}) << 0 << 1;
    QTest::newRow("box 31 alone") << states(32, {31}) << states(7, {}) << int(0x80000000u) << 0;
    QList<int> allTicked(32, Qt::Checked);
    QTest::newRow("all 32 boxes") << allTicked << QList<int>(7, Qt::Checked) << -1 << 127;
    QTest::newRow("greyed boxes count as clear")
        << states(32, {1}, Qt::PartiallyChecked) << states(7, {3}, Qt::PartiallyChecked) << 2 << 8;
}

void TestConfigLogic::masks()
{
    QFETCH(QList<int>, ringStates);
    QFETCH(QList<int>, weekdayStates);
    QFETCH(int, ring);
    QFETCH(int, weekday);
    std::array<Qt::CheckState, kRingBoxes> r{};
    for (int i = 0; i < kRingBoxes; ++i)
        r[size_t(i)] = Qt::CheckState(ringStates[i]);
    std::array<Qt::CheckState, kWeekdayBoxes> w{};
    for (int i = 0; i < kWeekdayBoxes; ++i)
        w[size_t(i)] = Qt::CheckState(weekdayStates[i]);
    QCOMPARE(RingMask(r), ring);
    QCOMPARE(WeekdayMask(w), weekday);
}

void TestConfigLogic::functionAndKind()
{
    QCOMPARE(FunctionCode(-1), 0);
    QCOMPARE(FunctionCode(7), 7);
    QCOMPARE(FunctionCode(18), 18);
    QCOMPARE(MessageKind(-1), 1);
    QCOMPARE(MessageKind(0), 0);
    QCOMPARE(MessageKind(4), 4);
}

void TestConfigLogic::fittingLengthWithDips_data()
{
    QTest::addColumn<QList<int>>("lines"); // line count of each prefix length 0..n
    QTest::addColumn<int>("expected");
    QTest::newRow("fits already") << QList<int>{1, 1, 2, 3} << 3;
    QTest::newRow("one too many") << QList<int>{1, 1, 2, 3, 4} << 3;
    QTest::newRow("long tail") << QList<int>{1, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6, 7, 7, 8} << 3;
    QTest::newRow("dip back to three") << QList<int>{1, 2, 3, 4, 4, 3, 4, 5, 6} << 5;
    QTest::newRow("dip at the very end") << QList<int>{1, 2, 3, 4, 3, 4} << 4;
    QTest::newRow("dip only from five is not one") << QList<int>{1, 2, 3, 4, 5, 4, 5} << 2;
    QTest::newRow("nothing fits") << QList<int>{4, 4, 5} << 0;
    QTest::newRow("empty") << QList<int>{1} << 0;
}

void TestConfigLogic::fittingLengthWithDips()
{
    QFETCH(QList<int>, lines);
    QFETCH(int, expected);
    const qsizetype got =
        FittingLength(lines.size() - 1, [&lines](qsizetype n) { return lines[n]; });
    QCOMPARE(got, qsizetype(expected));
}

void TestConfigLogic::fittingLengthMatchesCuttingOneAtATime()
{
    // Words longer than a line are broken inside, and blanks after them are
    // where a longer prefix can take fewer lines: the search must still end
    // where cutting one character at a time ends.
    MessageLayout layout(BoxStyle(147));
    QRandomGenerator random(20261207);
    const QString alphabet = QStringLiteral("abcdefghij klmnopWMi.  ,\n");
    int cuts = 0;
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int length = random.bounded(40, 200);
        for (int i = 0; i < length; ++i)
            text += alphabet[random.bounded(int(alphabet.size()))];
        const qsizetype expected = CutOneAtATime(text, layout);
        const qsizetype got =
            FittingLength(text.size(), [&](qsizetype n) { return layout.lineCount(text.left(n)); });
        if (got != expected)
            QFAIL(qPrintable(QStringLiteral("%1 instead of %2 for \"%3\"").arg(got).arg(expected).arg(text)));
        cuts += expected < text.size();
    }
    QVERIFY(cuts > 100); // most rounds had something to cut
}

void TestConfigLogic::layoutCountsBreaksAndWraps()
{
    MessageLayout layout(BoxStyle(147));
    QCOMPARE(layout.lineCount(QString()), 1);
    QCOMPARE(layout.lineCount(QStringLiteral("a")), 1);
    QCOMPARE(layout.lineCount(QStringLiteral("a\nb")), 2);
    QCOMPARE(layout.lineCount(QStringLiteral("a\nb\nc\n")), 4); // an empty fourth line counts
    QCOMPARE(layout.lineCount(QStringLiteral("a") + QChar::LineSeparator + QStringLiteral("b")), 2);
    QVERIFY(layout.lineCount(QString(200, u'W')) > 3);
    QVERIFY(layout.lineCount(QStringLiteral("word ").repeated(40)) > 3);
}

void TestConfigLogic::messageFontIsTimesCompatible()
{
    const QFont font = MessageFont();
    QCOMPARE(font.pointSizeF(), 8.25);
    const QString family = QFontInfo(font).family();
    QVERIFY2(family == QStringLiteral("Times New Roman") || family == QStringLiteral("Liberation Serif"),
             qPrintable(family));
}

QTEST_MAIN(TestConfigLogic)
#include "tst_configlogic.moc"
