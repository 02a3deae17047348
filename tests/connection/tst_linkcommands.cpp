// Opening and closing the link, modem dial and kill, against the recording
// fake and the simulated terminal.
#include "TestForm.h"

#include "field/FieldValue.h"
#include "app/LinkCommands.h"
#include "app/Messages.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kTerm = QStringLiteral("PONTO_00");
const QStringList kAlways = {"Command19", "Command21", "Command22"};
const QStringList kBaud = {"Command13_0", "Command13_1", "Command13_2", "Command13_3"};
const int kSpeeds[4] = {38400, 19200, 9600, 4800};

template <typename Form>
QStringList enabledButtons(Form &f)
{
    QStringList names;
    for (QPushButton *b : f.form().template findChildren<QPushButton *>()) {
        if (b->isEnabled())
            names << b->objectName();
    }
    names.sort();
    return names;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

template <typename Form>
QStringList noLinkButtons(Form &)
{
    return sorted(kBaud + kAlways);
}

template <typename Form>
QStringList linkOpenButtons(Form &f)
{
    QStringList names = kAlways;
    for (QPushButton *b : f.form().buttons().linkCommands())
        names << b->objectName();
    return sorted(names);
}

QStringList duringOpenButtons()
{
    return kAlways;
}

// A link open at 19200 on COM 1, calls of the open cleared.
void openLink(FakeForm &f)
{
    f.c().Command13[1]->click();
    QCOMPARE(enabledButtons(f), linkOpenButtons(f));
    f.fake.clearCalls();
}

// Runs `during` once while Close COM waits between its two lines.
void closeWith(FakeForm &f, std::function<void()> during)
{
    QTimer::singleShot(200, &f.form(), std::move(during));
    f.c().Command15->click();
}

QString ioWriteText(int32_t i)
{
    char buf[256] = {};
    Sim_IoWriteText(i, buf, sizeof buf);
    return QString::fromLatin1(buf);
}

} // namespace

class TestLinkCommands : public QObject
{
    Q_OBJECT
private slots:
    void pureDecisions();
    void dialLine_data();
    void dialLine();

    void openDirect_data();
    void openDirect();
    void openStepKeepsEveryButtonOffAndRunsEventsOnce();
    void failedInitialiseLeavesTheLinkAlone();
    void silentTerminalIsTerminatedAfterTheMessage();
    void terminalNameIsTakenBack();
    void comField_data();
    void comField();
    void afterDialEveryOpenTakesOverThePort_data();
    void afterDialEveryOpenTakesOverThePort();

    void closeSendsBothLinesAroundAOneSecondWait();
    void closeClosesARunningCapture();
    void closeLeavesOtherFilesAlone();
    void baudButtonDuringTheWaitOpensAfterTheClose();
    void dialDuringTheWaitDialsAfterTheClose();
    void windowClosedDuringTheWaitCallsNothingMore();

    void dialSendsTheLine_data();
    void dialSendsTheLine();
    void dialWhileTheLinkIsOpen();
    void dialComField_data();
    void dialComField();

    void killAfterOk();
    void killCancelledCallsNothing();

    void simOpenAt19200();
    void simUnknownTerminal();
    void simWrongPort();
    void simDialThenOpenThroughTheModem();
    void simKillEmptiesTheTerminal();
};

void TestLinkCommands::pureDecisions()
{
    QCOMPARE(connection::SpeedOfCaption(QStringLiteral("38400")), std::optional<int32_t>(38400));
    QCOMPARE(connection::SpeedOfCaption(QStringLiteral("4800")), std::optional<int32_t>(4800));
    QCOMPARE(connection::SpeedOfCaption(QStringLiteral("Close COM")), std::nullopt);
    QCOMPARE(connection::LineLength(connection::kEscapeLine), 4);
    QCOMPARE(connection::LineLength(connection::kHangUpLine), 6);
    QCOMPARE(connection::kEscapeLine, QStringLiteral("+++\r"));
    QCOMPARE(connection::kHangUpLine, QStringLiteral("AT H0\r"));
}

void TestLinkCommands::dialLine_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("length");
    QTest::newRow("empty") << "" << "AT DT \r" << 7;
    QTest::newRow("digits") << "5551234" << "AT DT 5551234\r" << 14;
    QTest::newRow("blanks and modifiers kept") << " 0,,555 W12; " << "AT DT  0,,555 W12; \r" << 20;
    QTest::newRow("accented, one byte each") << QString::fromUtf8("Ligação") << QString::fromUtf8("AT DT Ligação\r") << 14;
    // Outside the code page a character is one '?' on the line, also when
    // it takes two UTF-16 units.
    QTest::newRow("outside the code page") << QString::fromUtf8("1\U0001F600") << QString::fromUtf8("AT DT 1\U0001F600\r") << 9;
}

void TestLinkCommands::dialLine()
{
    QFETCH(QString, number);
    QFETCH(QString, line);
    QFETCH(int, length);
    QCOMPARE(connection::DialLine(number), line);
    QCOMPARE(connection::LineLength(line), length);
}

void TestLinkCommands::openDirect_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("speed");
    for (int k = 0; k < 4; ++k)
        QTest::addRow("button %d", k) << k << kSpeeds[k];
}

void TestLinkCommands::openDirect()
{
    QFETCH(int, k);
    QFETCH(int, speed);
    FakeForm f;
    f.c().Text21->setText(QStringLiteral("3"));
    f.fake.clearCalls();
    f.c().Command13[size_t(k)]->click();
    QCOMPARE(f.fake.ops(), (QStringList{"InitializeCommWithoutError", "Reset_Message"}));
    QCOMPARE(f.fake.calls[0].args, (QVariantList{3, speed}));
    QCOMPARE(f.fake.calls[1].args, QVariantList{kTerm});
    QCOMPARE(f.state().ComPort, 3);
    QVERIFY(f.messages().texts.isEmpty());
    QVERIFY(f.c().Timer1->isActive());
    QCOMPARE(enabledButtons(f), linkOpenButtons(f));
}

void TestLinkCommands::openStepKeepsEveryButtonOffAndRunsEventsOnce()
{
    FakeForm f;
    QStringList duringInitialise, duringReset;
    bool eventRan = false, ranBeforeReset = false;
    f.fake.onCall = [&](const FakeKestCom::Call &call) {
        if (call.op == "InitializeCommWithoutError") {
            duringInitialise = enabledButtons(f);
            QMetaObject::invokeMethod(&f.form(), [&] { eventRan = true; }, Qt::QueuedConnection);
        } else if (call.op == "Reset_Message") {
            duringReset = enabledButtons(f);
            ranBeforeReset = eventRan;
        }
    };
    f.c().Command13[0]->click();
    QCOMPARE(duringInitialise, duringOpenButtons());
    QCOMPARE(duringReset, duringOpenButtons());
    QVERIFY(ranBeforeReset);
}

void TestLinkCommands::failedInitialiseLeavesTheLinkAlone()
{
    FakeForm f;
    f.fake.results["InitializeCommWithoutError"] = 0;
    f.fake.clearCalls();
    f.c().Command13[2]->click();
    QCOMPARE(f.fake.ops(), QStringList{"InitializeCommWithoutError"});
    QCOMPARE(f.messages().texts, QStringList{message::ClockNotFound});
    QCOMPARE(enabledButtons(f), noLinkButtons(f));
    QVERIFY(!f.c().Timer1->isActive());
    QCOMPARE(f.state().ComPort, 1);
}

void TestLinkCommands::silentTerminalIsTerminatedAfterTheMessage()
{
    FakeForm f;
    f.fake.results["Reset_Message"] = 0;
    qsizetype messagesAtTerminate = -1;
    f.fake.onCall = [&](const FakeKestCom::Call &call) {
        if (call.op == "TerminateComm")
            messagesAtTerminate = f.messages().texts.size();
    };
    f.c().Text21->setText(QStringLiteral("4"));
    f.fake.clearCalls();
    f.c().Command13[3]->click();
    QCOMPARE(f.fake.ops(),
             (QStringList{"InitializeCommWithoutError", "Reset_Message", "TerminateComm"}));
    QCOMPARE(f.fake.calls[2].args, QVariantList{4});
    QCOMPARE(f.messages().texts, QStringList{message::ClockNotFound});
    QCOMPARE(messagesAtTerminate, 1);
    QCOMPARE(enabledButtons(f), noLinkButtons(f));
    QVERIFY(!f.c().Timer1->isActive());
}

void TestLinkCommands::terminalNameIsTakenBack()
{
    FakeForm f;
    f.fake.rewriteNameTo = QStringLiteral("PONTO_77");
    f.c().Command13[1]->click();
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_77"));
    f.fake.rewriteNameTo = QStringLiteral("PONTO_78");
    f.c().Command27->click();
    QCOMPARE(f.fake.calls.last().args, QVariantList{QStringLiteral("PONTO_77")});
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_78"));
}

void TestLinkCommands::comField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("port");
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing letter") << "1x" << false << 0;
    QTest::newRow("COM prefix") << "COM1" << false << 0;
    QTest::newRow("past 32 bits") << "99999999999" << false << 0;
    QTest::newRow("below 32 bits") << "-2147483649" << false << 0;
    QTest::newRow("blanks around") << " 3 " << true << 3;
    QTest::newRow("2.5 rounds to even") << "2.5" << true << 2;
    QTest::newRow("3.5 rounds to even") << "3.5" << true << 4;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("negative") << "-1" << true << -1;
}

void TestLinkCommands::comField()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, port);
    FakeForm f;
    f.state().ComPort = 0;
    f.c().Text21->setText(text);
    f.fake.clearCalls();
    f.c().Command13[2]->click();
    if (valid) {
        QCOMPARE(f.fake.ops(), (QStringList{"InitializeCommWithoutError", "Reset_Message"}));
        QCOMPARE(f.fake.calls[0].args, (QVariantList{port, 9600}));
        QCOMPARE(f.state().ComPort, port);
        QVERIFY(f.messages().texts.isEmpty());
        return;
    }
    QVERIFY(f.fake.calls.isEmpty());
    QCOMPARE(f.messages().texts.size(), 1);
    QVERIFY2(f.messages().texts[0].contains(QStringLiteral("\"COM\"")), qPrintable(f.messages().texts[0]));
    QCOMPARE(f.state().ComPort, 0);
    QCOMPARE(enabledButtons(f), noLinkButtons(f));
    // Corrected, the same button opens.
    f.c().Text21->setText(QStringLiteral("1"));
    f.c().Command13[2]->click();
    QCOMPARE(f.fake.ops(), (QStringList{"InitializeCommWithoutError", "Reset_Message"}));
}

void TestLinkCommands::afterDialEveryOpenTakesOverThePort_data()
{
    openDirect_data();
}

void TestLinkCommands::afterDialEveryOpenTakesOverThePort()
{
    QFETCH(int, k);
    FakeForm f;
    f.c().Text21->setText(QStringLiteral("2"));
    f.c().Command19->click();
    for (int round = 0; round < 2; ++round) {
        f.fake.clearCalls();
        f.c().Command13[size_t(k)]->click();
        QCOMPARE(f.fake.ops(), (QStringList{"InitializeCommWithoutOpen", "Reset_Message"}));
        QCOMPARE(f.fake.calls[0].args, QVariantList{2});
        QCOMPARE(enabledButtons(f), linkOpenButtons(f));
        f.c().Command15->click();
        QVERIFY(f.state().ModemDialled);
    }
}

void TestLinkCommands::closeSendsBothLinesAroundAOneSecondWait()
{
    FakeForm f;
    openLink(f);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> stamps;
    f.fake.onCall = [&](const FakeKestCom::Call &call) {
        if (call.op == "IO_Write")
            stamps << clock.elapsed();
    };
    QStringList buttonsDuring;
    bool closingDuring = false, timerDuring = true;
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(100);
    closeWith(f, [&] {
        buttonsDuring = enabledButtons(f);
        closingDuring = f.state().Closing;
        timerDuring = f.c().Timer1->isActive();
    });
    QCOMPARE(f.fake.ops(), (QStringList{"IO_Write", "IO_Write", "TerminateComm"}));
    QCOMPARE(f.fake.calls[0].args, (QVariantList{1, 4, QStringLiteral("+++\r")}));
    QCOMPARE(f.fake.calls[1].args, (QVariantList{1, 6, QStringLiteral("AT H0\r")}));
    QCOMPARE(f.fake.calls[2].args, QVariantList{1});
    QCOMPARE(stamps.size(), 2);
    QVERIFY2(stamps[1] - stamps[0] >= 1000, qPrintable(QString::number(stamps[1] - stamps[0])));
    QVERIFY(ticks >= 5);
    QCOMPARE(buttonsDuring, noLinkButtons(f));
    QVERIFY(closingDuring);
    QVERIFY(!timerDuring);
    QVERIFY(!f.state().Closing);
    QCOMPARE(enabledButtons(f), noLinkButtons(f));
    QVERIFY(!f.c().Timer1->isActive());
    QVERIFY(f.messages().texts.isEmpty());
}

void TestLinkCommands::closeClosesARunningCapture()
{
    QTemporaryDir dir;
    FakeForm f;
    openLink(f);
    QVERIFY(f.ctx().file1.openForCapture(dir.filePath(QStringLiteral("capture.raw"))));
    f.state().CaptureFileOpen = 1;
    f.c().Command15->click();
    QVERIFY(!f.ctx().file1.isOpen());
    QCOMPARE(f.state().CaptureFileOpen, 0);
}

void TestLinkCommands::closeLeavesOtherFilesAlone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("restore.raw"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    FakeForm f;
    openLink(f);
    QVERIFY(f.ctx().file1.openForRestore(path));
    f.c().Command15->click();
    QVERIFY(f.ctx().file1.isOpen());
    QCOMPARE(f.state().CaptureFileOpen, 0);
}

void TestLinkCommands::baudButtonDuringTheWaitOpensAfterTheClose()
{
    FakeForm f;
    openLink(f);
    QStringList callsAtClick, buttonsAfterClick;
    closeWith(f, [&] {
        f.c().Command13[2]->click();
        callsAtClick = f.fake.ops();
        buttonsAfterClick = enabledButtons(f);
    });
    QCOMPARE(callsAtClick, QStringList{"IO_Write"});
    QCOMPARE(buttonsAfterClick, duringOpenButtons());
    QCOMPARE(f.fake.ops(), (QStringList{"IO_Write", "IO_Write", "TerminateComm",
                                        "InitializeCommWithoutError", "Reset_Message"}));
    QCOMPARE(f.fake.calls[3].args, (QVariantList{1, 9600}));
    QCOMPARE(enabledButtons(f), linkOpenButtons(f));
    QVERIFY(f.c().Timer1->isActive());
    QVERIFY(f.state().DeferredClicks.isEmpty());
}

void TestLinkCommands::dialDuringTheWaitDialsAfterTheClose()
{
    FakeForm f;
    openLink(f);
    f.c().Text19->setText(QStringLiteral("123"));
    QStringList callsAtClick;
    closeWith(f, [&] {
        f.c().Command19->click();
        callsAtClick = f.fake.ops();
    });
    QCOMPARE(callsAtClick, QStringList{"IO_Write"});
    QCOMPARE(f.fake.ops(),
             (QStringList{"IO_Write", "IO_Write", "TerminateComm", "IO_Open", "IO_Write"}));
    QCOMPARE(f.fake.calls[4].args, (QVariantList{1, 10, QStringLiteral("AT DT 123\r")}));
    QVERIFY(f.state().ModemDialled);
    QCOMPARE(enabledButtons(f), noLinkButtons(f));
}

void TestLinkCommands::windowClosedDuringTheWaitCallsNothingMore()
{
    FakeForm f;
    openLink(f);
    closeWith(f, [&] {
        f.c().Command13[0]->click();
        f.form().close();
    });
    QVERIFY(f.t.ended);
    QCOMPARE(f.fake.ops(), QStringList{"IO_Write"});
    QVERIFY(f.state().DeferredClicks.isEmpty());
}

void TestLinkCommands::dialSendsTheLine_data()
{
    dialLine_data();
}

void TestLinkCommands::dialSendsTheLine()
{
    QFETCH(QString, number);
    QFETCH(QString, line);
    QFETCH(int, length);
    FakeForm f;
    f.c().Text21->setText(QStringLiteral(" 5 "));
    f.c().Text19->setText(number);
    f.fake.clearCalls();
    f.c().Command19->click();
    QCOMPARE(f.fake.ops(), (QStringList{"IO_Open", "IO_Write"}));
    QCOMPARE(f.fake.calls[0].args, (QVariantList{5, 19200}));
    QCOMPARE(f.fake.calls[1].args, (QVariantList{5, length, line}));
    QCOMPARE(f.state().ComPort, 5);
    QVERIFY(f.state().ModemDialled);
    QVERIFY(f.messages().texts.isEmpty());
    QCOMPARE(enabledButtons(f), noLinkButtons(f));
}

void TestLinkCommands::dialWhileTheLinkIsOpen()
{
    FakeForm f;
    openLink(f);
    f.fake.results["IO_Open"] = 0;
    f.fake.results["IO_Write"] = 0;
    f.c().Command19->click();
    QCOMPARE(f.fake.ops(), (QStringList{"IO_Open", "IO_Write"}));
    QCOMPARE(f.fake.calls[1].args, (QVariantList{1, 7, QStringLiteral("AT DT \r")}));
    QVERIFY(f.state().ModemDialled);
    QVERIFY(f.messages().texts.isEmpty());
    QCOMPARE(enabledButtons(f), linkOpenButtons(f));
    QVERIFY(f.c().Timer1->isActive());
}

void TestLinkCommands::dialComField_data()
{
    comField_data();
}

void TestLinkCommands::dialComField()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, port);
    FakeForm f;
    f.c().Text21->setText(text);
    f.fake.clearCalls();
    f.c().Command19->click();
    if (valid) {
        QCOMPARE(f.fake.ops(), (QStringList{"IO_Open", "IO_Write"}));
        QCOMPARE(f.fake.calls[0].args, (QVariantList{port, 19200}));
        QVERIFY(f.state().ModemDialled);
        return;
    }
    QVERIFY(f.fake.calls.isEmpty());
    QCOMPARE(f.messages().texts.size(), 1);
    QVERIFY(f.messages().texts[0].contains(QStringLiteral("\"COM\"")));
    QVERIFY(!f.state().ModemDialled);
    QCOMPARE(f.state().ComPort, 0);
}

void TestLinkCommands::killAfterOk()
{
    FakeForm f;
    openLink(f);
    f.fake.results["W_Kill"] = 0;
    f.c().Command27->click();
    QCOMPARE(f.messages().texts, QStringList{message::AreYouSure});
    QCOMPARE(f.fake.ops(), QStringList{"W_Kill"});
    QCOMPARE(f.fake.calls[0].args, QVariantList{kTerm});
    QCOMPARE(enabledButtons(f), linkOpenButtons(f));
}

void TestLinkCommands::killCancelledCallsNothing()
{
    FakeForm f;
    openLink(f);
    f.messages().confirmAnswer = false;
    f.c().Command27->click();
    QCOMPARE(f.messages().texts, QStringList{message::AreYouSure});
    QVERIFY(f.fake.calls.isEmpty());
    QCOMPARE(enabledButtons(f), linkOpenButtons(f));
}

void TestLinkCommands::simOpenAt19200()
{
    SimForm s;
    s.c().Command13[1]->click();
    QVERIFY(s.messages().texts.isEmpty());
    int32_t open = 0, baud = 0, call = 0, link = 0;
    QVERIFY(Sim_PortState(&open, &baud, &call, &link));
    QCOMPARE(open, 1);
    QCOMPARE(baud, 19200);
    QCOMPARE(link, 1);
    QCOMPARE(Sim_CallCount("Reset_Message"), 1);
    QCOMPARE(enabledButtons(s), linkOpenButtons(s));

    s.c().Command15->click();
    QVERIFY(Sim_PortState(&open, &baud, &call, &link));
    QCOMPARE(open, 0);
    QCOMPARE(Sim_IoWriteCount(), 2);
    QCOMPARE(ioWriteText(0), QStringLiteral("+++\r"));
    QCOMPARE(ioWriteText(1), QStringLiteral("AT H0\r"));
    QCOMPARE(Sim_CallCount("TerminateComm"), 1);
    QCOMPARE(enabledButtons(s), noLinkButtons(s));
}

void TestLinkCommands::simUnknownTerminal()
{
    SimForm s;
    s.c().Text11->setText(QStringLiteral("07"));
    s.c().Command13[1]->click();
    QCOMPARE(s.messages().texts, QStringList{message::ClockNotFound});
    QCOMPARE(Sim_CallCount("Reset_Message"), 1);
    QCOMPARE(Sim_CallCount("TerminateComm"), 1);
    int32_t open = 1, baud = 0, call = 0, link = 1;
    QVERIFY(Sim_PortState(&open, &baud, &call, &link));
    QCOMPARE(open, 0);
    QCOMPARE(enabledButtons(s), noLinkButtons(s));
}

void TestLinkCommands::simWrongPort()
{
    SimForm s;
    s.c().Text21->setText(QStringLiteral("2"));
    s.c().Command13[0]->click();
    QCOMPARE(s.messages().texts, QStringList{message::ClockNotFound});
    QCOMPARE(Sim_CallCount("InitializeCommWithoutError"), 1);
    QCOMPARE(Sim_CallCount("Reset_Message"), 0);
    QCOMPARE(Sim_CallCount("TerminateComm"), 0);
    QCOMPARE(enabledButtons(s), noLinkButtons(s));
}

void TestLinkCommands::simDialThenOpenThroughTheModem()
{
    SimForm s;
    s.c().Text19->setText(QStringLiteral("5551234"));
    s.c().Command19->click();
    int32_t open = 0, baud = 0, call = 0, link = 0;
    QVERIFY(Sim_PortState(&open, &baud, &call, &link));
    QCOMPARE(baud, 19200);
    QCOMPARE(call, 1);
    QCOMPARE(ioWriteText(0), QStringLiteral("AT DT 5551234\r"));

    s.c().Command13[0]->click();
    QVERIFY(s.messages().texts.isEmpty());
    QCOMPARE(Sim_CallCount("InitializeCommWithoutOpen"), 1);
    QCOMPARE(Sim_CallCount("InitializeCommWithoutError"), 0);
    QVERIFY(Sim_PortState(&open, &baud, &call, &link));
    QCOMPARE(baud, 19200);
    QCOMPARE(link, 1);
    QCOMPARE(enabledButtons(s), linkOpenButtons(s));

    s.c().Command15->click();
    QVERIFY(Sim_PortState(&open, &baud, &call, &link));
    QCOMPARE(open, 0);
    QCOMPARE(call, 0);
    QCOMPARE(ioWriteText(1), QStringLiteral("+++\r"));
    QCOMPARE(ioWriteText(2), QStringLiteral("AT H0\r"));
}

void TestLinkCommands::simKillEmptiesTheTerminal()
{
    SimForm s;
    s.c().Command13[1]->click();
    for (int card = 1001; card <= 1003; ++card)
        QVERIFY(Sim_PassCard("PONTO_00", card) >= 0);
    QCOMPARE(Sim_EntryCount("PONTO_00"), 3);
    s.messages().confirmAnswer = false;
    s.c().Command27->click();
    QCOMPARE(Sim_CallCount("W_Kill"), 0);
    QCOMPARE(Sim_EntryCount("PONTO_00"), 3);
    s.messages().confirmAnswer = true;
    s.c().Command27->click();
    QCOMPARE(Sim_CallCount("W_Kill"), 1);
    QCOMPARE(Sim_EntryCount("PONTO_00"), 0);
    QCOMPARE(s.messages().texts, (QStringList{message::AreYouSure, message::AreYouSure}));
}

QTEST_MAIN(TestLinkCommands)
#include "tst_linkcommands.moc"
