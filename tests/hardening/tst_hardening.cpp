// Bad input and odd files through the window: long texts, files that are
// not regular files, a pipe whose reader went away, names with a NUL. Each
// ends in a short, complete message with the buttons as after a file that
// cannot be opened, and none may hang the window.
#include "../capture/CaptureTestData.h"
#include "TestForm.h"

#include "capture/CaptureFile.h"
#include "entries/FlexGrid.h"
#include "reception/EntryPolling.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kStamp = 976190400;

#ifndef Q_OS_WIN

// Opens the FIFO from both ends after a few seconds, so that a step stuck
// in open() comes back and the test fails instead of hanging.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QString &fifo)
        : m_path(QFile::encodeName(fifo)), m_thread([this] { run(); })
    {
    }
    ~FifoWatchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    bool fired() const { return m_fired; }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::seconds(5), [this] { return m_done; }))
            return;
        m_fired = true;
        const int fd = ::open(m_path.constData(), O_RDWR | O_NONBLOCK);
        m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_done; });
        if (fd >= 0)
            ::close(fd); // the reader, if any, now sees the end of the file
    }

    QByteArray m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

#endif

struct Bench
{
    FakeForm f;
    QTemporaryDir dir;

    Bench() { f.ctx().buttons.setLinkCommandsEnabled(true); }
    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList &texts() { return f.messages().texts; }

    void clickCapture(const QString &file)
    {
        f.c().Text23->setText(file);
        f.c().Command26->click();
    }
    void clickRestore(const QString &file)
    {
        f.c().Text24->setText(file);
        f.c().Command25->click();
    }
    // As after a capture file that cannot be opened: nothing changed.
    bool afterFailedCapture()
    {
        return f.c().Command25->isEnabled() && f.c().Command26->isEnabled()
               && f.state().CaptureFileOpen == 0 && !f.ctx().file1.isOpen()
               && f.fake.count(QStringLiteral("W_SendReaderPointer")) == 0;
    }
    // As after a restore file that cannot be opened.
    bool afterFailedRestore()
    {
        return f.c().Command25->text() == QLatin1String("Send Data")
               && f.c().Command25->isEnabled() && !f.c().Command26->isEnabled()
               && !f.ctx().file1.isOpen() && f.fake.count(QStringLiteral("W_InsertEntry")) == 0;
    }
};

// Short enough for any screen, and no word longer than a line of the box.
void checkShortAndOnOneLine(const QString &text)
{
    QVERIFY2(text.size() <= 220, qPrintable(QString::number(text.size())));
    qsizetype run = 0;
    for (QChar c : text) {
        QVERIFY2(c.category() != QChar::Other_Control, qPrintable(text));
        run = c == u' ' ? 0 : run + 1;
        QVERIFY2(run <= 64, qPrintable(text));
    }
}

QString LongPath(const QTemporaryDir &dir)
{
    return dir.filePath(QString(5000, u'd') + QStringLiteral("/c.raw"));
}

} // namespace

class TestHardening : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void longTextsQuotedShort_data();
    void longTextsQuotedShort();
#ifdef Q_OS_WIN
    void deviceNamesRefused_data();
    void deviceNamesRefused();
#else
    void notRegularFilesRefused_data();
    void notRegularFilesRefused();
#endif
    void brokenPipeStopsTheCapture_data();
    void brokenPipeStopsTheCapture();
    void nulInFileNameRefused_data();
    void nulInFileNameRefused();
};

void TestHardening::initTestCase()
{
#ifndef Q_OS_WIN
    // As a program that did not ignore it: the write path alone must cope.
    std::signal(SIGPIPE, SIG_DFL);
#endif
}

void TestHardening::longTextsQuotedShort_data()
{
    QTest::addColumn<QString>("field"); // object name of the field
    QTest::addColumn<QString>("text");  // empty: a long path in the temporary folder
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");

    const QString nothing = QStringLiteral("Nothing was sent.");
    QTest::newRow("COM, a long word") << "Text21" << u'1' + QString(10000, u'x') << "Command13_0"
                                      << "The field \"COM\" must hold a number; \"1xxx" << nothing;
    QTest::newRow("COM, many lines")
        << "Text21" << QStringLiteral("no\nnumber ").repeated(1000) << "Command13_0"
        << "The field \"COM\" must hold a number; \"no<LF>number" << nothing;
    QTest::newRow("Index, ten thousand digits")
        << "Text2" << QString(10000, u'9') << "Command2" << "The field \"Index\" holds 9999"
        << "(-2147483648 to 2147483647). " + nothing;
    QTest::newRow("configuration field")
        << "Text1_0" << QString(10000, u'9') << "Command10"
        << "The field \"Entry Separation\" holds 9999"
        << "(-2147483648 to 2147483647). " + nothing;
    // The path as the user reads it: from its start, the temporary folder's.
    const QString folder = QDir::toNativeSeparators(QDir::tempPath()).left(3);
    QTest::newRow("capture file") << "Text23" << QString() << "Command26"
                                  << "The capture file " + folder << "No capture was started.";
    QTest::newRow("restore file") << "Text24" << QString() << "Command25"
                                  << "The restore file " + folder << "Nothing was restored.";
}

void TestHardening::longTextsQuotedShort()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, button);
    QFETCH(QString, start);
    QFETCH(QString, end);
    Bench b;
    auto *edit = b.f.form().findChild<QLineEdit *>(field);
    auto *push = b.f.form().findChild<QPushButton *>(button);
    QVERIFY(edit && push);
    edit->setText(text.isEmpty() ? LongPath(b.dir) : text);
    push->setEnabled(true);
    push->click();

    QCOMPARE(b.texts().size(), 1);
    const QString message = b.texts()[0];
    QVERIFY2(message.startsWith(start), qPrintable(message));
    QVERIFY2(message.endsWith(end), qPrintable(message));
    checkShortAndOnOneLine(message);
    const bool isFile = field == QLatin1String("Text23") || field == QLatin1String("Text24");
    // The file's own name stays whole.
    QVERIFY2(!isFile || message.contains(QDir::toNativeSeparators("/c.raw") + " cannot be opened: "),
             qPrintable(message));
    if (field == QLatin1String("Text23"))
        QVERIFY(b.afterFailedCapture());
    else if (field == QLatin1String("Text24"))
        QVERIFY(b.afterFailedRestore());
}

#ifdef Q_OS_WIN

// Windows opens these by name in any folder: a port could hold the window
// until a modem answers, the console would swallow the records.
void TestHardening::deviceNamesRefused_data()
{
    QTest::addColumn<bool>("restore");
    QTest::addColumn<QString>("name"); // %1: the temporary folder
    QTest::addColumn<QString>("kind");
    const QString device = QStringLiteral("a character device");
    for (const bool restore : {false, true}) {
        const char *what = restore ? "restore" : "capture";
        QTest::addRow("%s NUL", what) << restore << "NUL" << device;
        QTest::addRow("%s CON", what) << restore << "CON" << device;
        QTest::addRow("%s COM1", what) << restore << "COM1" << device;
        QTest::addRow("%s AUX", what) << restore << "AUX" << device;
        QTest::addRow("%s nul.raw in a folder", what) << restore << "%1/nul.raw" << device;
        QTest::addRow("%s \\\\.\\NUL", what) << restore << "\\\\.\\NUL" << device;
        QTest::addRow("%s a named pipe", what) << restore << "\\\\.\\pipe\\velmora" << "a FIFO";
        QTest::addRow("%s a folder", what) << restore << "%1" << "a folder";
    }
}

void TestHardening::deviceNamesRefused()
{
    QFETCH(bool, restore);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    Bench b;
    const QString file = name.contains(u'%') ? name.arg(b.dir.path()) : name;
    b.f.c().MSFlexGrid1->setRows(4);
    if (restore)
        b.clickRestore(file);
    else
        b.clickCapture(file);

    const QString reason = QStringLiteral(" cannot be opened: Not a regular file (%1). ").arg(kind);
    QCOMPARE(b.texts().size(), 1);
    QVERIFY2(b.texts()[0].contains(reason), qPrintable(b.texts()[0]));
    QVERIFY2(b.texts()[0].endsWith(restore ? "Nothing was restored." : "No capture was started."),
             qPrintable(b.texts()[0]));
    QVERIFY(restore ? b.afterFailedRestore() : b.afterFailedCapture());
    QCOMPARE(b.f.c().MSFlexGrid1->rows(), 4);
    QVERIFY(!QFileInfo::exists(b.path(QStringLiteral("nul.raw"))));
}

#else

void TestHardening::notRegularFilesRefused_data()
{
    QTest::addColumn<bool>("restore");
    QTest::addColumn<QString>("name"); // in the temporary folder; absolute as it is
    QTest::addColumn<bool>("withReader");
    QTest::addColumn<QString>("kind");

    QTest::newRow("capture into a FIFO nobody reads") << false << "fifo" << false << "a FIFO";
    QTest::newRow("capture into a FIFO with a reader") << false << "fifo" << true << "a FIFO";
    QTest::newRow("restore from a FIFO nobody writes") << true << "fifo" << false << "a FIFO";
    QTest::newRow("restore from a character device")
        << true << "/dev/zero" << false << "a character device";
}

void TestHardening::notRegularFilesRefused()
{
    QFETCH(bool, restore);
    QFETCH(QString, name);
    QFETCH(bool, withReader);
    QFETCH(QString, kind);
    Bench b;
    const QString file = name.startsWith(u'/') ? name : b.path(name);
    if (!name.startsWith(u'/'))
        QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    else if (!QFileInfo::exists(file))
        QSKIP("needs the device");
    const QByteArray native = QFile::encodeName(file);
    const int reader = withReader ? ::open(native.constData(), O_RDONLY | O_NONBLOCK) : -1;
    QVERIFY(!withReader || reader >= 0);
    b.f.c().MSFlexGrid1->setRows(4);
    bool fired = false;
    {
        FifoWatchdog watchdog(file);
        if (restore)
            b.clickRestore(file);
        else
            b.clickCapture(file);
        fired = watchdog.fired();
    }
    if (reader >= 0)
        ::close(reader);
    QVERIFY2(!fired, "blocked in open()");

    const QString reason = QStringLiteral(" cannot be opened: Not a regular file (%1). ").arg(kind);
    QCOMPARE(b.texts(), QStringList{restore ? "The restore file " + file + reason
                                                  + "Nothing was restored."
                                            : "The capture file " + file + reason
                                                  + "No capture was started."});
    QVERIFY(restore ? b.afterFailedRestore() : b.afterFailedCapture());
    QCOMPARE(b.f.c().MSFlexGrid1->rows(), 4);
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(file).constData(), &st) == 0);
    QVERIFY(name.startsWith(u'/') || S_ISFIFO(st.st_mode));
}

#endif

void TestHardening::brokenPipeStopsTheCapture_data()
{
    QTest::addColumn<int>("before"); // entries the reader takes before it goes
    QTest::newRow("reader gone at once") << 0;
    QTest::newRow("reader gone after one record") << 1;
}

void TestHardening::brokenPipeStopsTheCapture()
{
    QFETCH(int, before);
    Bench b;
    // A capture by name refuses pipes; file number 1 is handed one directly.
    int fds[2];
#ifdef Q_OS_WIN
    QVERIFY(::_pipe(fds, 1 << 16, _O_BINARY) == 0);
#else
    QVERIFY(::pipe(fds) == 0);
#endif
    QVERIFY(b.f.ctx().file1.file().open(fds[1], QIODevice::WriteOnly | QIODevice::Unbuffered,
                                        QFileDevice::AutoCloseHandle));
    b.f.state().CaptureFileOpen = 1;
    b.f.c().Command25->setEnabled(false);

    for (int i = 0; i < before; ++i) {
        b.f.fake.pending << TestEntry(i, kStamp, 1001);
        reception::Timer1Tick(b.f.ctx());
    }
    QByteArray got(capture::kRecordSize * before, '\0');
    QCOMPARE(qint64(::read(fds[0], got.data(), unsigned(got.size()))), qint64(got.size()));
    ::close(fds[0]);
    QVERIFY(b.texts().isEmpty());

    b.f.fake.pending << TestEntry(before, kStamp, 1002) << TestEntry(before + 1, kStamp, 1003);
    reception::Timer1Tick(b.f.ctx());

    QCOMPARE(b.texts().size(), 1);
#ifdef Q_OS_WIN
    const int brokenPipe = EINVAL; // what Windows' C library says of a pipe without a reader
#else
    const int brokenPipe = EPIPE;
#endif
    QVERIFY2(b.texts()[0].contains(" cannot be written: " + QString::fromLocal8Bit(strerror(brokenPipe))
                                   + ". "),
             qPrintable(b.texts()[0]));
    QVERIFY2(b.texts()[0].endsWith(QStringLiteral("The capture has stopped; the records written "
                                                  "before are in the file.")),
             qPrintable(b.texts()[0]));
    QVERIFY(b.afterFailedCapture());
    QCOMPARE(got, before ? Records({TestEntry(0, kStamp, 1001)}) : QByteArray());
    // The grid still shows what arrived.
    QCOMPARE(b.f.c().MSFlexGrid1->rows(), before + 3);
}

void TestHardening::nulInFileNameRefused_data()
{
    QTest::addColumn<bool>("restore");
    QTest::addColumn<QString>("before"); // the name up to the NUL, in the temporary folder
    QTest::addColumn<QString>("after");
    QTest::newRow("capture") << false << "nul" << "name.raw";
    QTest::newRow("restore") << true << "good.raw" << "-not-this.raw";
}

void TestHardening::nulInFileNameRefused()
{
    QFETCH(bool, restore);
    QFETCH(QString, before);
    QFETCH(QString, after);
    Bench b;
    const QString cut = b.path(before);
    if (restore)
        QVERIFY(WriteFile(cut, Records({TestEntry(0, kStamp, 1001)})));
    const QString name = cut + QChar(0) + after;
    if (restore)
        b.clickRestore(name);
    else
        b.clickCapture(name);
    QCOMPARE((restore ? b.f.c().Text24 : b.f.c().Text23)->text(), name);

    QCOMPARE(b.texts().size(), 1);
    const QString message = b.texts()[0];
    QVERIFY2(message.startsWith(restore ? QStringLiteral("The field \"Restore file\" holds a file "
                                                         "name with a NUL character (")
                                        : QStringLiteral("The field \"Capture file\" holds a file "
                                                         "name with a NUL character (")),
             qPrintable(message));
    QVERIFY2(message.contains(before + "<NUL>" + after + "), which no file can have. "),
             qPrintable(message));
    QVERIFY2(message.endsWith(restore ? "Nothing was restored." : "No capture was started."),
             qPrintable(message));
    checkShortAndOnOneLine(message);
    QVERIFY(restore ? b.afterFailedRestore() : b.afterFailedCapture());
    QCOMPARE(QFileInfo::exists(cut), restore);
}

QTEST_MAIN(TestHardening)
#include "tst_hardening.moc"
