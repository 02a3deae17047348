// Capture and restore through the simulated terminal: what a capture writes
// comes back as the same entries, and hand-made capture files restore as
// their bytes say.
#include "CaptureTestData.h"
#include "TestForm.h"

#include "capture/CaptureCommands.h"
#include "capture/CaptureFile.h"
#include "reception/EntryPolling.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QDir>
#include <QTest>

namespace {

constexpr int kStamp = 976190400;

using Entries = QList<QList<int>>; // seconds, cardCode, aux1, justification, presence

Entries TerminalEntries(const char *name)
{
    Entries entries;
    const int n = Sim_EntryCount(name);
    for (int i = 0; i < n; ++i) {
        SimEntry e{};
        if (!Sim_GetEntry(name, i, &e))
            break;
        entries << QList<int>{e.seconds, e.cardCode, e.aux1, e.justification, e.presence};
    }
    return entries;
}

void OpenLink(SimForm &s)
{
    QCOMPARE(s.ctx().lib.InitializeCommWithoutError(1, 19200), 1);
    s.ctx().buttons.setLinkCommandsEnabled(true);
}

// The full path, as the restore opens it and its messages name it.
QString Fixture(const char *name)
{
    return QFileInfo(QStringLiteral(VELMORA_TEST_DATA "/") + QLatin1String(name)).absoluteFilePath();
}

} // namespace

class TestCaptureSim : public QObject
{
    Q_OBJECT
private slots:
    void captureThenRestoreGivesTheSameEntries();
    void negativeCardCodeCapturedThroughReception();
    void terminalNotEmpty();
    void fixture_data();
    void fixture();
};

void TestCaptureSim::captureThenRestoreGivesTheSameEntries()
{
    SimForm s;
    QTemporaryDir dir;
    OpenLink(s);
    Sim_SetPcClock(kStamp);
    QString name = s.state().TerminalName;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(Sim_PassCard("PONTO_00", 1001 + i), i);
        Sim_AdvancePcClock(60);
    }
    s.ctx().lib.W_InsertEntry(name, 3, kStamp + 500, -7, 65, 2, 1);
    s.ctx().lib.W_InsertEntry(name, 4, -1, 2147483647, 255, 255, 255);
    const Entries before = TerminalEntries("PONTO_00");
    QCOMPARE(before.size(), 5);

    const QString file = dir.filePath(QStringLiteral("capture.raw"));
    s.c().Text23->setText(file);
    capture::Capture(s.ctx());
    QCOMPARE(s.state().CaptureFileOpen, 1);
    reception::Timer1Tick(s.ctx());
    QCOMPARE(QFileInfo(file).size(), 5 * 82);
    capture::CloseCaptureFile(s.ctx());
    QVERIFY(s.messages().texts.isEmpty());

    Sim_Reset();
    OpenLink(s);
    s.c().Text24->setText(file);
    capture::Restore(s.ctx());
    QVERIFY(s.messages().texts.isEmpty());
    QCOMPARE(TerminalEntries("PONTO_00"), before);
    QCOMPARE(s.c().Command25->text(), QStringLiteral("Send Data"));
    QVERIFY(!s.c().Command26->isEnabled());
    QVERIFY(!s.ctx().file1.isOpen());
}

void TestCaptureSim::negativeCardCodeCapturedThroughReception()
{
    SimForm s;
    QTemporaryDir dir;
    OpenLink(s);
    QString name = s.state().TerminalName;
    s.ctx().lib.W_InsertEntry(name, 0, kStamp, -7, 0, 0, 1);
    const QString file = dir.filePath(QStringLiteral("capture.raw"));
    s.c().Text23->setText(file);
    capture::Capture(s.ctx());
    reception::Timer1Tick(s.ctx());
    const QByteArray bytes = ReadFile(file);
    QCOMPARE(bytes.size(), 82);
    const capture::ParsedRecord r = capture::ParseCaptureRecord(bytes);
    QCOMPARE(int(r.kind), int(capture::RecordKind::Entry));
    QCOMPARE(r.fields.cardCode, -7);
    QVERIFY(bytes.mid(4).startsWith("PONTO_00 , 0, 976190400,-7, 0, 0, 1, 1,"));
}

void TestCaptureSim::terminalNotEmpty()
{
    SimForm s;
    OpenLink(s);
    Sim_PassCard("PONTO_00", 1001);
    s.c().Text24->setText(Fixture("three-records.raw"));
    capture::Restore(s.ctx());
    QCOMPARE(s.messages().texts, QStringList{"Terminal Not Empty"});
    QCOMPARE(Sim_EntryCount("PONTO_00"), 1);
    QCOMPARE(Sim_CallCount("W_SendReaderPointer"), 0);
    QVERIFY(s.c().Command25->isEnabled());
    QVERIFY(s.c().Command26->isEnabled());
}

void TestCaptureSim::fixture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("keepBlanks");
    QTest::addColumn<Entries>("first");  // PONTO_00
    QTest::addColumn<Entries>("second"); // PONTO_01
    QTest::addColumn<QString>("message");

    const QString none;
    QTest::newRow("three records")
        << Fixture("three-records.raw") << false
        << Entries{{976190400, 1053, 0, 0, 1}, {976190460, 1007, 65, 2, 0}, {976190520, -7, 0, 0, 1}}
        << Entries{} << none;
    QTest::newRow("zero-filled slot ends it")
        << Fixture("zero-slot.raw") << true << Entries{{976190400, 1053, 0, 0, 1}} << Entries{}
        << none;
    // One sent count for both terminals: PONTO_01's record goes to index 1 of an
    // empty memory and PONTO_00's second to index 2 of a memory holding one
    // entry; the simulated terminal refuses both, and refusals are ignored.
    QTest::newRow("two terminals")
        << Fixture("two-terminals.raw") << false << Entries{{976190400, 1001, 0, 0, 1}}
        << Entries{} << none;
    QTest::newRow("gaps, blanks not kept")
        << Fixture("gaps.raw") << false
        << Entries{{976190400, 1001, 0, 0, 1}, {976190460, 1002, 0, 0, 1}, {976190520, 1003, 0, 0, 1}}
        << Entries{} << none;
    QTest::newRow("gaps, blanks kept")
        << Fixture("gaps.raw") << true
        << Entries{{976190400, 1001, 0, 0, 1},
                   {976190460, 1002, 0, 0, 1},
                   {976190519, 99999, 0, 0, 0},
                   {976190519, 99999, 0, 0, 0},
                   {976190520, 1003, 0, 0, 1}}
        << Entries{} << none;
    QTest::newRow("bad length")
        << Fixture("bad-length.raw") << false << Entries{{976190400, 1001, 0, 0, 1}} << Entries{}
        << "Record 2 of the restore file " + QDir::toNativeSeparators(Fixture("bad-length.raw"))
               + " cannot be restored: its text length is 77, not 78. The restore stopped there; "
                 "the records before it were sent.";
    QTest::newRow("short last record")
        << Fixture("short-last.raw") << false
        << Entries{{976190400, 1001, 0, 0, 1}, {976190460, 1002, 0, 0, 1}} << Entries{}
        << "Record 3 of the restore file " + QDir::toNativeSeparators(Fixture("short-last.raw"))
               + " cannot be restored: it is cut short (40 of 82 bytes). The restore stopped "
                 "there; the records before it were sent.";
}

void TestCaptureSim::fixture()
{
    QFETCH(QString, file);
    QFETCH(bool, keepBlanks);
    QFETCH(Entries, first);
    QFETCH(Entries, second);
    QFETCH(QString, message);
    const QByteArray bytes = ReadFile(file);
    QVERIFY(!bytes.isEmpty());

    SimForm s;
    QCOMPARE(Sim_AddTerminal("PONTO_01"), 1);
    OpenLink(s);
    s.c().Text24->setText(file);
    s.c().Check8->setChecked(keepBlanks);
    capture::Restore(s.ctx());
    QCOMPARE(TerminalEntries("PONTO_00"), first);
    QCOMPARE(TerminalEntries("PONTO_01"), second);
    QCOMPARE(s.messages().texts, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(s.c().Command25->text(), QStringLiteral("Send Data"));
    QVERIFY(s.c().Command25->isEnabled());
    QVERIFY(!s.c().Command26->isEnabled());
    QCOMPARE(ReadFile(file), bytes); // a restore never writes its file
}

QTEST_MAIN(TestCaptureSim)
#include "tst_capturesim.moc"
