// The clock row of the window, against the recording fake and the
// simulated terminal.
#include "TestForm.h"

#include "app/Messages.h"
#include "clock/ClockCommands.h"
#include "clock/ClockSeconds.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <limits>

namespace {

const QString kTerm = QStringLiteral("PONTO_00");

void openLink(SimForm &s)
{
    s.c().Command13[1]->click();
    QVERIFY(s.messages().texts.isEmpty());
    QVERIFY(s.c().Command6->isEnabled());
}

} // namespace

class TestClockCommands : public QObject
{
    Q_OBJECT
private slots:
    void pcSeconds_data();
    void pcSeconds();
    void pcClockOutOfRangeSendsNothing_data();
    void pcClockOutOfRangeSendsNothing();
    void sendsThePcTimeNotTheNudgedValue_data();
    void sendsThePcTimeNotTheNudgedValue();
    void failedSendShowsOneMessage_data();
    void failedSendShowsOneMessage();
    void readClockShowsTheAnswerAsItCame_data();
    void readClockShowsTheAnswerAsItCame();
    void nudgeButtons_data();
    void nudgeButtons();
    void dateLineFollowsTheField_data();
    void dateLineFollowsTheField();

    void simSetThenReadBack();
    void simReadBackWithARunningClock();
    void simCalibrate();
    void simFailureShowsOneMessage_data();
    void simFailureShowsOneMessage();
};

void TestClockCommands::pcSeconds_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("text");
    QTest::newRow("epoch") << QDateTime(QDate(1996, 1, 1), QTime(0, 0)) << "0";
    QTest::newRow("second day") << QDateTime(QDate(1996, 1, 2), QTime(0, 0)) << "86400";
    QTest::newRow("2003-10-01 08:30:15") << QDateTime(QDate(2003, 10, 1), QTime(8, 30, 15))
                                         << "244542615";
    QTest::newRow("2026-12-07 noon") << QDateTime(QDate(2026, 12, 7), QTime(12, 0)) << "976190400";
    QTest::newRow("before the epoch") << QDateTime(QDate(1995, 12, 31), QTime(23, 59, 59)) << "-1";
    QTest::newRow("first count") << QDateTime(QDate(1927, 12, 13), QTime(20, 45, 52))
                                 << "-2147483648";
    QTest::newRow("last count") << QDateTime(QDate(2064, 1, 19), QTime(3, 14, 7)) << "2147483647";
}

void TestClockCommands::pcSeconds()
{
    QFETCH(QDateTime, at);
    QFETCH(QString, text);
    FakeForm f;
    f.fake.clearCalls();
    f.t.pcClock.set(at);
    clocktime::PcSeconds(f.ctx());
    QCOMPARE(f.c().Text12->text(), text);
    QCOMPARE(f.c().Text13->text(), clocktime::SecondsToDateText(text.toInt()));
    QVERIFY(f.fake.calls.isEmpty());
    QVERIFY(f.messages().texts.isEmpty());
}

void TestClockCommands::pcClockOutOfRangeSendsNothing_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("command");
    const QDateTime early(QDate(1927, 12, 13), QTime(20, 45, 51));
    const QDateTime late(QDate(2064, 1, 19), QTime(3, 14, 8));
    for (const char *command : {"PC seconds", "Set Clock", "Calibrate"}) {
        QTest::addRow("%s, too early", command) << early << QString::fromLatin1(command);
        QTest::addRow("%s, too late", command) << late << QString::fromLatin1(command);
    }
}

void TestClockCommands::pcClockOutOfRangeSendsNothing()
{
    QFETCH(QDateTime, at);
    QFETCH(QString, command);
    FakeForm f;
    f.c().Text12->setText(QStringLiteral("123"));
    const QString dateLine = f.c().Text13->text();
    f.fake.clearCalls();
    f.t.pcClock.set(at);
    if (command == "PC seconds")
        clocktime::PcSeconds(f.ctx());
    else if (command == "Set Clock")
        clocktime::SetClock(f.ctx());
    else
        clocktime::CalibrateQuartzCrystal(f.ctx());
    QVERIFY(f.fake.calls.isEmpty());
    QCOMPARE(f.messages().texts, QStringList{clocktime::PcClockOutOfRangeMessage(at)});
    QCOMPARE(f.c().Text12->text(), QStringLiteral("123"));
    QCOMPARE(f.c().Text13->text(), dateLine);
}

void TestClockCommands::sendsThePcTimeNotTheNudgedValue_data()
{
    QTest::addColumn<QString>("op");
    QTest::newRow("Set Clock") << "W_SendSeconds";
    QTest::newRow("Calibrate Quartz Crystal") << "W_AdjustSeconds";
}

void TestClockCommands::sendsThePcTimeNotTheNudgedValue()
{
    QFETCH(QString, op);
    FakeForm f;
    f.ctx().buttons.setLinkCommandsEnabled(true);
    f.fake.rewriteNameTo = QStringLiteral("PONTO_42");
    f.c().Text12->setText(QStringLiteral("5"));
    f.c().Command11->click();
    QCOMPARE(f.c().Text12->text(), QStringLiteral("15"));
    f.fake.clearCalls();
    (op == "W_SendSeconds" ? f.c().Command6 : f.c().Command20)->click();
    QCOMPARE(f.fake.ops(), QStringList{op});
    QCOMPARE(f.fake.calls[0].args, (QVariantList{kTerm, 976190400}));
    QCOMPARE(f.c().Text12->text(), QStringLiteral("976190400"));
    QVERIFY(f.messages().texts.isEmpty());
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_42"));
}

void TestClockCommands::failedSendShowsOneMessage_data()
{
    sendsThePcTimeNotTheNudgedValue_data();
}

void TestClockCommands::failedSendShowsOneMessage()
{
    QFETCH(QString, op);
    FakeForm f;
    f.fake.results[op] = 0;
    f.fake.clearCalls();
    if (op == "W_SendSeconds")
        clocktime::SetClock(f.ctx());
    else
        clocktime::CalibrateQuartzCrystal(f.ctx());
    QCOMPARE(f.fake.ops(), QStringList{op});
    QCOMPARE(f.messages().texts, QStringList{message::CommunicationError});
    QCOMPARE(f.c().Text12->text(), QStringLiteral("976190400"));
}

void TestClockCommands::readClockShowsTheAnswerAsItCame_data()
{
    QTest::addColumn<int32_t>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("-1") << -1 << "-1";
    QTest::newRow("zero, the failure value") << 0 << "0";
    QTest::newRow("123") << 123 << "123";
    QTest::newRow("first count") << std::numeric_limits<int32_t>::min() << "-2147483648";
    QTest::newRow("last count") << std::numeric_limits<int32_t>::max() << "2147483647";
}

void TestClockCommands::readClockShowsTheAnswerAsItCame()
{
    QFETCH(int32_t, answer);
    QFETCH(QString, text);
    FakeForm f;
    f.c().Text12->setText(QStringLiteral("7"));
    f.fake.readSeconds = answer;
    f.fake.rewriteNameTo = QStringLiteral("PONTO_99");
    f.fake.clearCalls();
    clocktime::ReadClock(f.ctx());
    QCOMPARE(f.fake.ops(), QStringList{"W_ReadSeconds"});
    QCOMPARE(f.fake.calls[0].args, QVariantList{kTerm});
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_99"));
    QCOMPARE(f.c().Text12->text(), text);
    QCOMPARE(f.c().Text13->text(), clocktime::SecondsToDateText(answer));
    QVERIFY(f.messages().texts.isEmpty());
}

void TestClockCommands::nudgeButtons_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("dateLine");
    QTest::newRow("empty +sec") << "" << "Command8" << "1" << clocktime::SecondsToDateText(1);
    QTest::newRow("empty -min") << "" << "Command12" << "-60" << clocktime::SecondsToDateText(-60);
    QTest::newRow("1.5 +sec") << "1.5" << "Command8" << "2.5" << clocktime::SecondsToDateText(2);
    QTest::newRow("976190400 +10s") << "976190400" << "Command11" << "976190410"
                                    << clocktime::SecondsToDateText(976190410);
    QTest::newRow("abc +sec") << "abc" << "Command8" << "1" << clocktime::SecondsToDateText(1);
    QTest::newRow("past 32 bits") << "2147483647" << "Command8" << "2147483648"
                                  << clocktime::kDateLineOutOfRange;
    QTest::newRow("1e20") << "1e20" << "Command11" << "1E+20" << clocktime::kDateLineOutOfRange;
}

void TestClockCommands::nudgeButtons()
{
    QFETCH(QString, field);
    QFETCH(QString, button);
    QFETCH(QString, text);
    QFETCH(QString, dateLine);
    FakeForm f;
    f.ctx().buttons.setLinkCommandsEnabled(true);
    f.c().Text12->setText(field);
    f.fake.clearCalls();
    f.form().findChild<QPushButton *>(button)->click();
    QCOMPARE(f.c().Text12->text(), text);
    QCOMPARE(f.c().Text13->text(), dateLine);
    QVERIFY(f.fake.calls.isEmpty());
    QVERIFY(f.messages().texts.isEmpty());
}

void TestClockCommands::dateLineFollowsTheField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("dateLine");
    QTest::newRow("empty") << "" << clocktime::SecondsToDateText(0);
    QTest::newRow("not a number") << "abc" << clocktime::SecondsToDateText(0);
    QTest::newRow("1.5") << "1.5" << clocktime::SecondsToDateText(2);
    QTest::newRow("2.5") << "2.5" << clocktime::SecondsToDateText(2);
    QTest::newRow("typed count") << "976190400" << clocktime::SecondsToDateText(976190400);
    QTest::newRow("long run of digits") << "123456789012345678901234567890"
                                        << clocktime::kDateLineOutOfRange;
    QTest::newRow("below the first") << "-2147483649" << clocktime::kDateLineOutOfRange;
}

void TestClockCommands::dateLineFollowsTheField()
{
    QFETCH(QString, field);
    QFETCH(QString, dateLine);
    FakeForm f;
    f.c().Text12->setText(QStringLiteral("1"));
    f.c().Text12->setText(field);
    QCOMPARE(f.c().Text13->text(), dateLine);
    // Typed by hand, character by character.
    f.c().Text12->clear();
    QTest::keyClicks(f.c().Text12, field);
    QCOMPARE(f.c().Text13->text(), dateLine);
}

void TestClockCommands::simSetThenReadBack()
{
    SimForm s;
    Sim_SetPcClock(976190400 - 3600);
    openLink(s);
    s.c().Command6->click();
    QCOMPARE(Sim_ReadClock("PONTO_00"), 976190400);
    s.c().Text12->clear();
    s.c().Command7->click();
    QCOMPARE(s.c().Text12->text(), QStringLiteral("976190400"));
    QCOMPARE(s.c().Text13->text(), clocktime::SecondsToDateText(976190400));
    QVERIFY(s.messages().texts.isEmpty());
}

void TestClockCommands::simReadBackWithARunningClock()
{
    SimForm s;
    openLink(s);
    s.c().Command6->click();
    s.c().Text12->clear();
    s.c().Command7->click();
    const qint64 read = s.c().Text12->text().toLongLong();
    QVERIFY2(read >= 976190400 && read <= 976190401, qPrintable(s.c().Text12->text()));
}

void TestClockCommands::simCalibrate()
{
    SimForm s;
    Sim_SetPcClock(976190400);
    openLink(s);
    s.c().Command6->click();
    // Thirty seconds later by the PC, the terminal has not moved.
    s.t->pcClock.set(TestNow().addSecs(30));
    s.c().Command20->click();
    QVERIFY(s.messages().texts.isEmpty());
    int32_t reference = 0;
    int64_t drift = 0;
    QCOMPARE(Sim_GetAdjustment("PONTO_00", &reference, &drift), 1);
    QCOMPARE(reference, 976190430);
    QCOMPARE(drift, int64_t(-30));
    QCOMPARE(s.c().Text12->text(), QStringLiteral("976190430"));
}

void TestClockCommands::simFailureShowsOneMessage_data()
{
    sendsThePcTimeNotTheNudgedValue_data();
}

void TestClockCommands::simFailureShowsOneMessage()
{
    QFETCH(QString, op);
    SimForm s;
    openLink(s);
    Sim_FailOperation(op.toLatin1().constData(), 1);
    QPushButton *button = op == "W_SendSeconds" ? s.c().Command6 : s.c().Command20;
    button->click();
    QCOMPARE(s.messages().texts, QStringList{message::CommunicationError});
    button->click();
    QCOMPARE(s.messages().texts, QStringList{message::CommunicationError});
    QCOMPARE(Sim_CallCount(op.toLatin1().constData()), 2);
}

QTEST_MAIN(TestClockCommands)
#include "tst_clockcommands.moc"
