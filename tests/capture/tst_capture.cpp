// The Capture and Restore buttons against the recording library: the calls
// they make, in order, the captions, the buttons and the files.
#include "CaptureTestData.h"
#include "TestForm.h"

#include "app/LinkCommands.h"
#include "capture/CaptureCommands.h"
#include "capture/CaptureFile.h"
#include "capture/StartFileNames.h"
#include "entries/FlexGrid.h"
#include "field/QuotedText.h"
#include "reception/EntryPolling.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using capture::AppendCaptureRecord;

namespace {

constexpr int kStamp = 976190400;

// A window whose link is open, with files in a fresh folder.
struct Bench
{
    FakeForm f;
    QTemporaryDir dir;
    QStringList captions; // Restore's caption at each insert

    Bench()
    {
        f.ctx().buttons.setLinkCommandsEnabled(true);
        f.fake.onCall = [this](const FakeKestCom::Call &call) {
            if (call.op == QLatin1String("W_InsertEntry"))
                captions << f.c().Command25->text();
        };
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    void capture(const QString &file)
    {
        f.c().Text23->setText(file);
        capture::Capture(f.ctx());
    }
    void restore(const QString &file, bool keepBlanks = false)
    {
        f.c().Text24->setText(file);
        f.c().Check8->setChecked(keepBlanks);
        f.fake.clearCalls();
        capture::Restore(f.ctx());
    }
    bool afterRestore()
    {
        return f.c().Command25->text() == QLatin1String("Send Data")
               && f.c().Command25->isEnabled() && !f.c().Command26->isEnabled()
               && !f.ctx().file1.isOpen();
    }
};

QVariantList Insert(const QString &name, int index, int seconds, int card, int aux1 = 0,
                    int justification = 0, int presence = 1)
{
    return {name, index, seconds, card, aux1, justification, presence};
}

QList<QVariantList> InsertArgs(const FakeKestCom &fake)
{
    QList<QVariantList> args;
    for (const auto &call : fake.callsOf(QStringLiteral("W_InsertEntry")))
        args << call.args;
    return args;
}

const QString A = QStringLiteral("PONTO_00 ");

} // namespace

class TestCapture : public QObject
{
    Q_OBJECT
private slots:
    void captureSteps();
    void captureGoesOnWhenReaderPointerFails();
    void secondCaptureClickIgnored();
    void captureFileCannotBeOpened_data();
    void captureFileCannotBeOpened();
    void threeEntriesMake246Bytes();
#ifdef Q_OS_WIN
    void theStartNameCapturesAtTheDriveRoot();
#endif
    void earlierLongerFileLeavesNothingBehind_data();
    void earlierLongerFileLeavesNothingBehind();
    void negativeCardCodeCaptured();
    void fullDiskStopsTheCapture();
    void closingTheCaptureFile();
    void closeComAndWindowCloseEndTheCapture_data();
    void closeComAndWindowCloseEndTheCapture();

    void restoreSteps();
    void keepBlanksFillsTheGap();
    void indicesGoingBackGetNoFillers();
    void eachRecordGoesToItsTerminal();
    void readPointersFails();
    void terminalNotEmptyTouchesNothing();
    void runningCaptureStopsRestoreSilently();
    void readerPointerFailureGoesOn();
    void emptyFile();
    void missingFile();
    void badRecordStops_data();
    void badRecordStops();
    void zeroSlotEndsTheRestore();
    void noSecondBeforeTheSmallestStamp();
    void farIndexWithKeepBlanksRefused();
    void closingTheWindowStopsTheRestore();
    void captureClickDuringRestoreIgnored();
    void startFileNames_data();
    void startFileNames();
    void messagesNameTheFullPath_data();
    void messagesNameTheFullPath();
};

void TestCapture::captureSteps()
{
    Bench b;
    FlexGrid &grid = *b.f.c().MSFlexGrid1;
    grid.setRows(7);
    b.f.fake.clearCalls();
    QStringList restoreState;
    b.f.fake.onCall = [&](const FakeKestCom::Call &) {
        restoreState << QString::number(b.f.c().Command25->isEnabled())
                     << QString::number(grid.rows()) << QString::number(b.f.state().CaptureFileOpen);
    };
    const QString file = b.path("c.raw");
    b.capture(file);
    QCOMPARE(b.f.fake.ops(), QStringList{"W_SendReaderPointer"});
    QCOMPARE(b.f.fake.calls[0].args, (QVariantList{QStringLiteral("PONTO_00"), 0}));
    // Restore disabled, grid reset and the capture on before the pointer goes to 0.
    QCOMPARE(restoreState, (QStringList{"0", "2", "1"}));
    QVERIFY(b.f.messages().texts.isEmpty());
    QVERIFY(b.f.c().Command26->isEnabled());
    QVERIFY(!b.f.c().Command25->isEnabled());
    QVERIFY(b.f.ctx().file1.isOpen());
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(QFileInfo(file).size(), 0);
}

void TestCapture::captureGoesOnWhenReaderPointerFails()
{
    Bench b;
    b.f.fake.results["W_SendReaderPointer"] = 0;
    const QString file = b.path("c.raw");
    b.capture(file);
    QCOMPARE(b.f.messages().texts, QStringList{"Comunication error"});
    QCOMPARE(b.f.state().CaptureFileOpen, 1);
    AppendCaptureRecord(b.f.ctx(), TestEntry(0, kStamp, 1001));
    QCOMPARE(QFileInfo(file).size(), 82);
}

void TestCapture::secondCaptureClickIgnored()
{
    Bench b;
    const QString file = b.path("c.raw");
    b.capture(file);
    AppendCaptureRecord(b.f.ctx(), TestEntry(0, kStamp, 1001));
    b.f.c().MSFlexGrid1->setRows(5);
    b.f.fake.clearCalls();
    b.capture(b.path("other.raw"));
    QVERIFY(b.f.fake.calls.isEmpty());
    QVERIFY(b.f.messages().texts.isEmpty());
    QCOMPARE(b.f.c().MSFlexGrid1->rows(), 5);
    QVERIFY(!QFileInfo::exists(b.path("other.raw")));
    AppendCaptureRecord(b.f.ctx(), TestEntry(1, kStamp, 1002));
    QCOMPARE(ReadFile(file), Records({TestEntry(0, kStamp, 1001), TestEntry(1, kStamp, 1002)}));
}

void TestCapture::captureFileCannotBeOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("folder missing") << QStringLiteral("no-such-folder/c.raw");
    QTest::newRow("a folder") << QString();
}

void TestCapture::captureFileCannotBeOpened()
{
    QFETCH(QString, name);
    Bench b;
    b.f.c().MSFlexGrid1->setRows(4);
    b.f.fake.clearCalls();
    const QString file = name.isEmpty() ? b.dir.path() : b.path(name);
    b.capture(file);
    QCOMPARE(b.f.messages().texts.size(), 1);
    QVERIFY2(b.f.messages().texts[0].startsWith("The capture file " + QDir::toNativeSeparators(file)
                                                 + " cannot be opened: "),
             qPrintable(b.f.messages().texts[0]));
    QVERIFY(b.f.fake.calls.isEmpty());
    QCOMPARE(b.f.state().CaptureFileOpen, 0);
    QVERIFY(!b.f.ctx().file1.isOpen());
    QVERIFY(b.f.c().Command25->isEnabled());
    QVERIFY(b.f.c().Command26->isEnabled());
    QCOMPARE(b.f.c().MSFlexGrid1->rows(), 4);
}

void TestCapture::threeEntriesMake246Bytes()
{
    Bench b;
    const QString file = b.path("c.raw");
    b.capture(file);
    const ReceivedEntry e0 = TestEntry(0, kStamp, 1053), e1 = TestEntry(1, kStamp + 60, 1007),
                        e2 = TestEntry(2, kStamp + 120, 1010);
    for (ReceivedEntry e : {e0, e1, e2})
        reception::ProcessReceivedEntry(b.f.ctx(), e);
    // On disk before anything is closed.
    QCOMPARE(ReadFile(file), Records({e0, e1, e2}));
    QCOMPARE(ReadFile(file).size(), 246);
}

#ifdef Q_OS_WIN
// The name the capture field starts with is a real place on Windows.
void TestCapture::theStartNameCapturesAtTheDriveRoot()
{
    Bench b;
    const QString file = capture::StartFileNamesFor(capture::kThisPlatform, QDate::currentDate(), b.dir.path()).capture;
    QVERIFY(file.startsWith(QStringLiteral("C:\\CLOCK")));
    QFile::remove(file);
    b.capture(file);
    const ReceivedEntry e0 = TestEntry(0, kStamp, 1053);
    ReceivedEntry shown = e0;
    reception::ProcessReceivedEntry(b.f.ctx(), shown);
    QCOMPARE(ReadFile(file), Records({e0}));
    capture::CloseCaptureFile(b.f.ctx());
    QVERIFY(QFile::remove(file));
}
#endif

void TestCapture::earlierLongerFileLeavesNothingBehind_data()
{
    QTest::addColumn<int>("folders"); // of 100 characters each, one in the other
    QTest::newRow("in the temporary folder") << 0;
    // Windows opens such a path only by its \\?\ name.
    QTest::newRow("in a path longer than MAX_PATH") << 3;
}

void TestCapture::earlierLongerFileLeavesNothingBehind()
{
    QFETCH(int, folders);
    Bench b;
    QString folder = b.dir.path();
    for (int i = 0; i < folders; ++i)
        folder += u'/' + QString(100, QChar(u'a' + i));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/c.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, 1, 1), TestEntry(1, 2, 2), TestEntry(2, 3, 3),
                                     TestEntry(3, 4, 4), TestEntry(4, 5, 5)})));
    b.capture(file);
    AppendCaptureRecord(b.f.ctx(), TestEntry(0, kStamp, 1001));
    AppendCaptureRecord(b.f.ctx(), TestEntry(1, kStamp, 1002));
    capture::CloseCaptureFile(b.f.ctx());
    QCOMPARE(ReadFile(file), Records({TestEntry(0, kStamp, 1001), TestEntry(1, kStamp, 1002)}));

    b.f.ctx().buttons.setLinkCommandsEnabled(true);
    b.restore(file);
    QCOMPARE(b.f.fake.count("W_InsertEntry"), 2);
    QVERIFY(b.f.messages().texts.isEmpty());
}

void TestCapture::negativeCardCodeCaptured()
{
    Bench b;
    const QString file = b.path("c.raw");
    b.capture(file);
    ReceivedEntry e = TestEntry(0, kStamp, -7);
    reception::ProcessReceivedEntry(b.f.ctx(), e);
    const QByteArray bytes = ReadFile(file);
    QCOMPARE(bytes.size(), 82);
    QVERIFY(bytes.mid(4).startsWith("PONTO_00 , 0, 976190400,-7, 0, 0, 1, 0, 1  "));
    QCOMPARE(capture::ParseCaptureRecord(bytes).fields.cardCode, -7);
}

void TestCapture::fullDiskStopsTheCapture()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("needs /dev/full");
    Bench b;
    b.capture(QStringLiteral("/dev/full"));
    QCOMPARE(b.f.state().CaptureFileOpen, 1);
    AppendCaptureRecord(b.f.ctx(), TestEntry(0, kStamp, 1001));
    AppendCaptureRecord(b.f.ctx(), TestEntry(1, kStamp, 1002));
    QCOMPARE(b.f.messages().texts.size(), 1);
    QVERIFY2(b.f.messages().texts[0].startsWith(
                 "The capture file /dev/full cannot be written: "),
             qPrintable(b.f.messages().texts[0]));
    QCOMPARE(b.f.state().CaptureFileOpen, 0);
    QVERIFY(!b.f.ctx().file1.isOpen());
    QVERIFY(b.f.c().Command25->isEnabled());
    QVERIFY(b.f.c().Command26->isEnabled());
}

void TestCapture::closingTheCaptureFile()
{
    Bench b;
    capture::CloseCaptureFile(b.f.ctx()); // nothing open: nothing happens
    QVERIFY(b.f.messages().texts.isEmpty());
    const QString file = b.path("c.raw");
    b.capture(file);
    AppendCaptureRecord(b.f.ctx(), TestEntry(0, kStamp, 1001));
    capture::CloseCaptureFile(b.f.ctx());
    QCOMPARE(b.f.state().CaptureFileOpen, 0);
    QVERIFY(!b.f.ctx().file1.isOpen());
    QVERIFY(b.f.messages().texts.isEmpty());
    QCOMPARE(ReadFile(file).size(), 82);
    // The capture is over: later entries are not written.
    AppendCaptureRecord(b.f.ctx(), TestEntry(1, kStamp, 1002));
    QCOMPARE(ReadFile(file).size(), 82);
}

void TestCapture::closeComAndWindowCloseEndTheCapture_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("Close COM") << false;
    QTest::newRow("window closed") << true;
}

void TestCapture::closeComAndWindowCloseEndTheCapture()
{
    QFETCH(bool, closeWindow);
    Bench b;
    const QString file = b.path("c.raw");
    b.capture(file);
    AppendCaptureRecord(b.f.ctx(), TestEntry(0, kStamp, 1001));
    if (closeWindow)
        b.f.form().close();
    else
        connection::CloseCom(b.f.ctx());
    QCOMPARE(b.f.state().CaptureFileOpen, 0);
    QVERIFY(!b.f.ctx().file1.isOpen());
    QCOMPARE(ReadFile(file), Records({TestEntry(0, kStamp, 1001)}));
}

void TestCapture::restoreSteps()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001), TestEntry(1, kStamp + 1, 1002),
                                     TestEntry(4, kStamp + 2, 1003)})));
    b.restore(file);
    QCOMPARE(b.f.fake.ops(), (QStringList{"W_ReadPointers", "W_SendReaderPointer", "W_InsertEntry",
                                          "W_InsertEntry", "W_InsertEntry"}));
    QCOMPARE(b.f.fake.calls[0].args, (QVariantList{QStringLiteral("PONTO_00"), 0, 0, 0}));
    QCOMPARE(b.f.fake.calls[1].args, (QVariantList{QStringLiteral("PONTO_00"), -1}));
    QCOMPARE(InsertArgs(b.f.fake), (QList<QVariantList>{Insert(A, 0, kStamp, 1001),
                                                        Insert(A, 1, kStamp + 1, 1002),
                                                        Insert(A, 2, kStamp + 2, 1003)}));
    QCOMPARE(b.captions, (QStringList{"Sending  0", "Sending  1", "Sending  2"}));
    QVERIFY(b.f.messages().texts.isEmpty());
    QVERIFY(b.afterRestore());
    QCOMPARE(b.f.state().TerminalName, A);
    QCOMPARE(ReadFile(file).size(), 246);
}

void TestCapture::keepBlanksFillsTheGap()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001), TestEntry(1, kStamp + 1, 1002),
                                     TestEntry(4, kStamp + 60, 1003)})));
    b.restore(file, true);
    QCOMPARE(InsertArgs(b.f.fake),
             (QList<QVariantList>{Insert(A, 0, kStamp, 1001), Insert(A, 1, kStamp + 1, 1002),
                                  Insert(A, 2, kStamp + 59, 99999, 0, 0, 0),
                                  Insert(A, 3, kStamp + 59, 99999, 0, 0, 0),
                                  Insert(A, 4, kStamp + 60, 1003)}));
    QCOMPARE(b.captions, (QStringList{"Sending  0", "Sending  1", "Sending ( 2)", "Sending ( 3)",
                                      "Sending  4"}));
    QVERIFY(b.afterRestore());
}

void TestCapture::indicesGoingBackGetNoFillers()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(4, kStamp, 1001), TestEntry(1, kStamp + 5, 1002)})));
    b.restore(file, true);
    QCOMPARE(InsertArgs(b.f.fake),
             (QList<QVariantList>{Insert(A, 0, kStamp - 1, 99999, 0, 0, 0),
                                  Insert(A, 1, kStamp - 1, 99999, 0, 0, 0),
                                  Insert(A, 2, kStamp - 1, 99999, 0, 0, 0),
                                  Insert(A, 3, kStamp - 1, 99999, 0, 0, 0),
                                  Insert(A, 4, kStamp, 1001), Insert(A, 5, kStamp + 5, 1002)}));
}

void TestCapture::eachRecordGoesToItsTerminal()
{
    Bench b;
    const QString file = b.path("r.raw");
    const QString other = QStringLiteral("PONTO_01 ");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001, A), TestEntry(0, kStamp, 1002, other),
                                     TestEntry(1, kStamp, 1003, A)})));
    b.restore(file, true);
    QCOMPARE(InsertArgs(b.f.fake), (QList<QVariantList>{Insert(A, 0, kStamp, 1001),
                                                        Insert(other, 1, kStamp, 1002),
                                                        Insert(A, 2, kStamp, 1003)}));
    QCOMPARE(b.f.state().TerminalName, A);
}

void TestCapture::readPointersFails()
{
    Bench b;
    b.f.fake.results["W_ReadPointers"] = 0;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001)})));
    b.restore(file);
    QCOMPARE(b.f.fake.ops(), QStringList{"W_ReadPointers"});
    QCOMPARE(b.f.messages().texts, QStringList{"Comunication error"});
    QVERIFY(b.f.c().Command25->isEnabled());
    QVERIFY(b.f.c().Command26->isEnabled());
    QCOMPARE(b.f.c().Command25->text(), QStringLiteral("Restore"));
}

void TestCapture::terminalNotEmptyTouchesNothing()
{
    Bench b;
    b.f.fake.pointers[0] = 3;
    const QString file = b.path("r.raw");
    const QByteArray bytes = Records({TestEntry(0, kStamp, 1001)});
    QVERIFY(WriteFile(file, bytes));
    b.restore(file);
    QCOMPARE(b.f.fake.ops(), QStringList{"W_ReadPointers"});
    QCOMPARE(b.f.messages().texts, QStringList{"Terminal Not Empty"});
    QVERIFY(b.f.c().Command25->isEnabled());
    QVERIFY(b.f.c().Command26->isEnabled());
    QCOMPARE(b.f.c().Command25->text(), QStringLiteral("Restore"));
    QVERIFY(!b.f.ctx().file1.isOpen());
    QCOMPARE(ReadFile(file), bytes);
    QCOMPARE(b.f.state().TerminalName, QStringLiteral("PONTO_00"));
}

void TestCapture::runningCaptureStopsRestoreSilently()
{
    Bench b;
    const QString captured = b.path("c.raw");
    b.capture(captured);
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001)})));
    b.f.c().Command25->setEnabled(true); // however the click got there
    b.restore(file);
    QCOMPARE(b.f.fake.ops(), QStringList{"W_ReadPointers"});
    QVERIFY(b.f.messages().texts.isEmpty());
    QCOMPARE(b.f.state().CaptureFileOpen, 1);
    QCOMPARE(b.f.ctx().file1.fileName(), QDir::toNativeSeparators(captured));
    QVERIFY(b.f.c().Command26->isEnabled());
    QCOMPARE(b.f.c().Command25->text(), QStringLiteral("Restore"));
}

void TestCapture::readerPointerFailureGoesOn()
{
    Bench b;
    b.f.fake.results["W_SendReaderPointer"] = 0;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001)})));
    b.restore(file);
    QCOMPARE(b.f.messages().texts, QStringList{"Comunication error"});
    QCOMPARE(b.f.fake.count("W_InsertEntry"), 1);
    QVERIFY(b.afterRestore());
}

void TestCapture::emptyFile()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, QByteArray()));
    b.restore(file);
    QCOMPARE(b.f.fake.ops(), (QStringList{"W_ReadPointers", "W_SendReaderPointer"}));
    QVERIFY(b.f.messages().texts.isEmpty());
    QVERIFY(b.afterRestore());
}

void TestCapture::missingFile()
{
    Bench b;
    const QString file = b.path("missing.raw");
    b.restore(file);
    QCOMPARE(b.f.fake.ops(), (QStringList{"W_ReadPointers", "W_SendReaderPointer"}));
    QCOMPARE(b.f.messages().texts.size(), 1);
    QVERIFY2(b.f.messages().texts[0].startsWith("The restore file " + QDir::toNativeSeparators(file)
                                                 + " cannot be opened: "),
             qPrintable(b.f.messages().texts[0]));
    QVERIFY(!QFileInfo::exists(file));
    QVERIFY(b.afterRestore());
}

void TestCapture::badRecordStops_data()
{
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("last"); // nothing after it in the file

    const QByteArray good = capture::CaptureRecord(TestEntry(2, kStamp, 1003));
    auto withText = [&](const QByteArray &text) {
        QByteArray r = good.left(4) + text;
        r.append(80 - r.size(), ' ');
        return r + "\r\n";
    };
    QByteArray tag = good;
    tag[0] = 9;
    QByteArray length = good;
    length[2] = 79;
    QTest::newRow("six commas") << withText("PONTO_00 , 2, 5, 1003, 0, 0, 1")
                                << QStringLiteral("its line has fewer than seven commas") << false;
    QTest::newRow("seconds beyond 32 bits")
        << withText("PONTO_00 , 2, 3000000000, 1003, 0, 0, 1, 0, 0")
        << QStringLiteral("its Seconds field \"3000000000\" is outside the range -2147483648 to "
                          "2147483647")
        << false;
    QTest::newRow("type tag 9") << tag << QStringLiteral("its type tag is 9, not 8") << false;
    QTest::newRow("length 79") << length << QStringLiteral("its text length is 79, not 78")
                               << false;
    QTest::newRow("cut short") << good.left(30) << QStringLiteral("it is cut short (30 of 82 bytes)")
                               << true;
}

void TestCapture::badRecordStops()
{
    QFETCH(QByteArray, bad);
    QFETCH(QString, problem);
    QFETCH(bool, last);
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001), TestEntry(1, kStamp, 1002)}) + bad
                                + (last ? QByteArray() : Records({TestEntry(3, kStamp, 1004)}))));
    b.restore(file);
    QCOMPARE(InsertArgs(b.f.fake), (QList<QVariantList>{Insert(A, 0, kStamp, 1001),
                                                        Insert(A, 1, kStamp, 1002)}));
    QCOMPARE(b.f.messages().texts,
             QStringList{"Record 3 of the restore file " + QDir::toNativeSeparators(file)
                         + " cannot be restored: " + problem
                         + ". The restore stopped there; the records before it were sent."});
    QVERIFY(b.afterRestore());
}

void TestCapture::zeroSlotEndsTheRestore()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001)}) + QByteArray(82, '\0')
                                + Records({TestEntry(2, kStamp, 1003)})));
    b.restore(file, true);
    QCOMPARE(b.f.fake.count("W_InsertEntry"), 1);
    QVERIFY(b.f.messages().texts.isEmpty());
    QVERIFY(b.afterRestore());
}

void TestCapture::noSecondBeforeTheSmallestStamp()
{
    Bench b;
    const QString file = b.path("r.raw");
    const int smallest = std::numeric_limits<int32_t>::min();
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001), TestEntry(3, smallest, 1002)})));
    b.restore(file, true);
    QCOMPARE(InsertArgs(b.f.fake), QList<QVariantList>{Insert(A, 0, kStamp, 1001)});
    QCOMPARE(b.f.messages().texts.size(), 1);
    QVERIFY2(b.f.messages().texts[0].startsWith("Record 2 of the restore file " + QDir::toNativeSeparators(file)
                                                + " cannot be restored: its stamp -2147483648"),
             qPrintable(b.f.messages().texts[0]));
    QVERIFY(b.afterRestore());

    // Without Keep Blanks no filler is due, and the stamp goes as it is.
    Bench plain;
    plain.restore(file, false);
    QCOMPARE(InsertArgs(plain.f.fake), (QList<QVariantList>{Insert(A, 0, kStamp, 1001),
                                                            Insert(A, 1, smallest, 1002)}));
}

void TestCapture::farIndexWithKeepBlanksRefused()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001), TestEntry(2000000000, kStamp, 1002)})));
    b.restore(file, true);
    QCOMPARE(b.f.fake.count("W_InsertEntry"), 1);
    QCOMPARE(b.f.messages().texts,
             QStringList{"Record 2 of the restore file " + QDir::toNativeSeparators(file)
                         + " cannot be restored: its index 2000000000 would need 1999999999 "
                           "filler entries, and Keep Blanks fills gaps only up to index 12000000. "
                           "The restore stopped there; the records before it were sent."});
    QVERIFY(b.afterRestore());
}

void TestCapture::closingTheWindowStopsTheRestore()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001), TestEntry(1, kStamp, 1002),
                                     TestEntry(2, kStamp, 1003)})));
    b.f.fake.onCall = [&](const FakeKestCom::Call &call) {
        if (call.op == QLatin1String("W_InsertEntry") && call.args[1].toInt() == 1)
            b.f.state().Ending = true;
    };
    b.restore(file);
    QCOMPARE(b.f.fake.count("W_InsertEntry"), 2);
    QVERIFY(!b.f.ctx().file1.isOpen());
    QVERIFY(b.f.messages().texts.isEmpty());
}

void TestCapture::captureClickDuringRestoreIgnored()
{
    Bench b;
    const QString file = b.path("r.raw");
    QVERIFY(WriteFile(file, Records({TestEntry(0, kStamp, 1001), TestEntry(1, kStamp, 1002)})));
    const QString captured = b.path("c.raw");
    b.f.c().Text23->setText(captured);
    b.f.fake.onCall = [&](const FakeKestCom::Call &call) {
        if (call.op == QLatin1String("W_InsertEntry") && call.args[1].toInt() == 0)
            capture::Capture(b.f.ctx()); // a reopened link enabled the button
    };
    b.restore(file);
    QCOMPARE(b.f.fake.count("W_InsertEntry"), 2);
    QCOMPARE(b.f.fake.count("W_SendReaderPointer"), 1);
    QCOMPARE(b.f.state().CaptureFileOpen, 0);
    QVERIFY(!QFileInfo::exists(captured));
    QVERIFY(b.afterRestore());
}

void TestCapture::startFileNames_data()
{
    using capture::Platform;
    QTest::addColumn<Platform>("platform");
    QTest::addColumn<QString>("documents");
    QTest::addColumn<QString>("capture");
    QTest::addColumn<QString>("restore");
    QTest::newRow("Windows: the drive's root") << Platform::Windows << "/home/ana/Documents"
                                               << "C:\\CLOCK12-07-2026.RAW" << "C:\\CLOCKDATA.RAW";
    QTest::newRow("elsewhere: documents") << Platform::Other << "/home/ana/Documents"
                                          << "/home/ana/Documents/CLOCK12-07-2026.RAW"
                                          << "/home/ana/Documents/CLOCKDATA.RAW";
    QTest::newRow("documents with a slash") << Platform::Other << "/home/ana/Documents/"
                                            << "/home/ana/Documents/CLOCK12-07-2026.RAW"
                                            << "/home/ana/Documents/CLOCKDATA.RAW";
}

void TestCapture::startFileNames()
{
    QFETCH(capture::Platform, platform);
    QFETCH(QString, documents);
    const auto names = capture::StartFileNamesFor(platform, QDate(2026, 12, 7), documents);
    QFETCH(QString, capture);
    QFETCH(QString, restore);
    // As the field shows them on the system the test runs on.
    QCOMPARE(names.capture, QDir::toNativeSeparators(capture));
    QCOMPARE(names.restore, QDir::toNativeSeparators(restore));
}

void TestCapture::messagesNameTheFullPath_data()
{
    QTest::addColumn<bool>("restore");
    QTest::newRow("capture") << false;
    QTest::newRow("restore") << true;
}

void TestCapture::messagesNameTheFullPath()
{
    QFETCH(bool, restore);
    Bench b;
    // Relative to the folder the program was started from.
    const QString name = QStringLiteral("no-such-folder-here/CLOCKDATA.RAW");
    if (restore)
        b.restore(name);
    else
        b.capture(name);
    QCOMPARE(b.f.messages().texts.size(), 1);
    const QString full = QDir::toNativeSeparators(QDir::current().absoluteFilePath(name));
    QVERIFY2(b.f.messages().texts[0].contains(field::QuotedPath(full)),
             qPrintable(b.f.messages().texts[0]));
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
