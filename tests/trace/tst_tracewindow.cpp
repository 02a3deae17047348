// The program's window bound by name to the trace library, with the
// simulated terminal as the real library behind it: a technician's session
// of opening the link, reading the clock, draining the morning and closing
// shows in the trace as exactly those calls, in order, with their buffers.
#include "TraceFolder.h"
#include "TestForm.h"

#include "entries/FlexGrid.h"
#include "reception/EntryPolling.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

namespace {

struct Expected
{
    QString operation;
    qint64 result;
    QStringList args;
};

// A text field of printable ASCII; shown is its escaped form where it has one.
QString text(const char *key, const QByteArray &bytes, const char *shown = nullptr)
{
    return QStringLiteral("%1[%2]=\"%3\"")
        .arg(QString::fromLatin1(key))
        .arg(bytes.size())
        .arg(QString::fromLatin1(shown ? QByteArray(shown) : bytes));
}

} // namespace

class TestTraceWindow : public QObject
{
    Q_OBJECT
private slots:
    void sessionThroughTheTrace();
};

void TestTraceWindow::sessionThroughTheTrace()
{
    qunsetenv("KESTCOM_TRACE_FILE"); // the trace file beside the trace library
    TraceFolder folder(QStringLiteral(KESTCOM_SIM_PATH));
    QVERIFY(folder.ok());
    const QString baseName = QString::fromLatin1(KestComLibrary::kBaseName);
    auto lib = KestComLibrary::bind(QDir(folder.folder()).filePath(baseName));
    QVERIFY2(lib->complete(), qPrintable(lib->bindingProblem()));
    QVERIFY(lib->fileName().startsWith(folder.folder()));

    TestFormWith<KestComLibrary> t(*lib); // the load step's calls go through the trace

    // The simulated terminal behind the trace, reached through its test interface.
    auto setPcClock = folder.real<decltype(&Sim_SetPcClock)>("Sim_SetPcClock");
    auto entryCount = folder.real<decltype(&Sim_EntryCount)>("Sim_EntryCount");
    auto getEntry = folder.real<decltype(&Sim_GetEntry)>("Sim_GetEntry");
    QVERIFY(setPcClock && entryCount && getEntry);
    setPcClock(976190400);
    const int morning = entryCount("PONTO_00");
    QVERIFY(morning > 3);

    t.c().Command13[1]->click(); // 19200
    QVERIFY(t.messages.texts.isEmpty());
    t.c().Command7->click(); // Read Clock
    QCOMPARE(t.c().Text12->text(), QStringLiteral("976190400"));
    reception::Timer1Tick(t.ctx());
    QCOMPARE(t.c().MSFlexGrid1->rows(), morning + 1);
    t.c().Command15->click(); // Close COM
    QVERIFY(t.messages.texts.isEmpty());

    const QString name = text("name", "PONTO_00");
    const QString outName = text("out.name", "PONTO_00");
    QList<Expected> expected = {
        {"SetPCName", 1, {text("pcName", "PONTO_PC")}},
        {"SetConfirmationsTimeout", 1, {"a=1000", "b=1000"}},
        {"InitializeCommWithoutError", 1, {"port=1", "baud=19200"}},
        {"Reset_Message", 1, {name, outName}},
        {"W_ReadSeconds", 976190400, {name, outName}},
    };
    QStringList last;
    for (int i = 0; i < morning; ++i) {
        SimEntry e{};
        QVERIFY(getEntry("PONTO_00", i, &e));
        last = {text("out.clockName", "PONTO_00 "),
                "out.index=" + QString::number(i),
                "out.seconds=" + QString::number(e.seconds),
                "out.cardCode=" + QString::number(e.cardCode),
                "out.aux1=" + QString::number(e.aux1),
                "out.justification=" + QString::number(e.justification),
                "out.presence=" + QString::number(e.presence),
                "out.orValue=" + QString::number(e.orValue),
                "out.code=" + QString::number(e.code)};
        expected.append({"W_ReceiveEntry", 1, last});
    }
    // Nothing more: the buffers stay as the last delivery and the window's
    // handling of it left them (the window keeps its own card code there).
    expected.append({"W_ReceiveEntry", 0, last});
    expected.append({"IO_Write", 1, {"port=1", "length=4", text("text", "+++\r", "+++\\r")}});
    expected.append({"IO_Write", 1, {"port=1", "length=6", text("text", "AT H0\r", "AT H0\\r")}});
    expected.append({"TerminateComm", 1, {"port=1"}});

    QString header;
    const auto records = readTrace(folder.traceFile(), &header);
    QCOMPARE(header, QString::fromLatin1(kTraceHeader));
    QCOMPARE(records.size(), expected.size());
    const QRegularExpression time(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{6}$"));
    const QRegularExpression duration(QStringLiteral("^\\d+\\.\\d{3}$"));
    for (int i = 0; i < records.size(); ++i) {
        const TraceRecord &r = records[i];
        const Expected &e = expected[i];
        const QByteArray where = QByteArray::number(i + 2) + ": " + r.operation.toLatin1();
        QVERIFY2(time.match(r.time).hasMatch(), where.constData());
        QCOMPARE(r.thread, QString::number(gettid())); // the kernel's id of this thread
        QVERIFY2(duration.match(r.duration).hasMatch(), where.constData());
        QVERIFY2(r.note.isEmpty(), where.constData());
        QCOMPARE(r.operation, e.operation);
        QCOMPARE(r.result, QString::number(e.result));
        QStringList args = r.args;
        QStringList wanted = e.args;
        if (i == records.size() - 4) {
            // The window's working card code, not the library's: not the trace's business.
            args.removeAt(3);
            wanted.removeAt(3);
        }
        QCOMPARE(args, wanted);
    }
}

QTEST_MAIN(TestTraceWindow)
#include "tst_tracewindow.moc"
