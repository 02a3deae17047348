// The call-trace library at C level: its line format, and how it copes with
// a missing real library, a missing operation, a trace file it cannot open,
// null buffers and several threads at once.
#include "TraceFolder.h"

#include "link/KestComAbi.h"
#include "link/KestComLibrary.h"
#include "terminal/engine/SimTerminalTest.h"
#include "trace/KestComTrace.h"
#include "trace/TraceLine.h"

#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <thread>
#include <type_traits>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

// The trace's own C declarations must keep the program's shapes.
#define TRACE_SAME_SHAPE(op, shape)                                                                \
    static_assert(std::is_same_v<decltype(&::op), kestcom_abi::op>,                                \
                  #op " in trace/KestComTrace.h differs from link/KestComAbi.h");
KESTCOM_OPERATIONS(TRACE_SAME_SHAPE)
#undef TRACE_SAME_SHAPE

namespace {

QByteArray lineOf(void (*build)(TraceLine *))
{
    TraceLine line;
    traceLineInit(&line);
    build(&line);
    QByteArray out(line.data, qsizetype(line.length));
    traceLineFree(&line);
    return out;
}

QByteArray escaped(const QByteArray &bytes)
{
    TraceLine line;
    traceLineInit(&line);
    traceLineAppendEscaped(&line, bytes.constData(), size_t(bytes.size()));
    QByteArray out(line.data, qsizetype(line.length));
    traceLineFree(&line);
    return out;
}

// Points the trace file where the test wants it for as long as it lives.
struct TraceFileVariable
{
    explicit TraceFileVariable(const QString &path)
    {
        qputenv("KESTCOM_TRACE_FILE", QFile::encodeName(path));
    }
    ~TraceFileVariable() { qunsetenv("KESTCOM_TRACE_FILE"); }
};

} // namespace

// An operation of the folder's trace library, with the program's own type.
#define TRACE_OP(folder, name) (folder).op<kestcom_abi::name>(#name)

class TestTrace : public QObject
{
    Q_OBJECT
private slots:
    void init() { qunsetenv("KESTCOM_TRACE_FILE"); }

    void escapes_data();
    void escapes();
    void fields();
    void lineLongerThanItsLocalBuffer();

    void missingRealLibraryAnswersZeroAndSaysWhy();
    void missingOperationAnswersZeroTheOthersForward();
    void unopenableTraceFileStillForwards();
    void argumentsReachTheRealLibraryUnchanged();
    void secondProcessAppendsWithoutAHeader();
    void killedRightAfterACallLosesNoLine();
    void concurrentCallsKeepLinesWhole();
};

void TestTrace::escapes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("printable ascii") << QByteArray("PONTO_00 +-~ ") << QByteArray("PONTO_00 +-~ ");
    QTest::newRow("backslash and quote") << QByteArray("a\\b\"c") << QByteArray("a\\\\b\\\"c");
    QTest::newRow("tab newline return") << QByteArray("\t\n\r") << QByteArray("\\t\\n\\r");
    QTest::newRow("zero byte") << QByteArray("A\0B", 3) << QByteArray("A\\x00B");
    QTest::newRow("windows-1252 letters")
        << QByteArray("N\xe3o \x80") << QByteArray("N\\xE3o \\x80");
    QTest::newRow("controls and delete")
        << QByteArray("\x01\x1f\x7f\xff") << QByteArray("\\x01\\x1F\\x7F\\xFF");
}

void TestTrace::escapes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, shown);
    QCOMPARE(escaped(bytes), shown);
}

void TestTrace::fields()
{
    QCOMPARE(lineOf([](TraceLine *l) {
                 traceLineNumber(l, "a", INT32_MIN);
                 traceLineNumber(l, "b", 0);
                 traceLineNumber(l, "c", INT64_MIN);
             }),
             QByteArray("\ta=-2147483648\tb=0\tc=-9223372036854775808"));
    QCOMPARE(lineOf([](TraceLine *l) {
                 const int32_t value = -7;
                 const uint8_t byte = 255;
                 traceLineInt32At(l, "out.first", &value);
                 traceLineInt32At(l, "out.second", nullptr);
                 traceLineByteAt(l, "out.aux1", &byte);
                 traceLineByteAt(l, "out.presence", nullptr);
             }),
             QByteArray("\tout.first=-7\tout.second=null\tout.aux1=255\tout.presence=null"));
    // A text ends at its zero; a fixed buffer shows every byte.
    QCOMPARE(lineOf([](TraceLine *l) {
                 traceLineText(l, "name", "PONTO_00");
                 traceLineText(l, "text", "");
                 traceLineText(l, "none", nullptr);
                 traceLineBytes(l, "out.clockName", "AB\0      ", 9);
             }),
             QByteArray("\tname[8]=\"PONTO_00\"\ttext[0]=\"\"\tnone=null"
                        "\tout.clockName[9]=\"AB\\x00      \""));
    QCOMPARE(lineOf([](TraceLine *l) {
                 traceLineAppendMicroseconds(l, 1234);
                 traceLineAppend(l, " ", 1);
                 traceLineAppendMicroseconds(l, 5);
                 traceLineAppend(l, " ", 1);
                 traceLineAppendMicroseconds(l, 2000000);
                 traceLineAppend(l, " ", 1);
                 traceLineAppendMicroseconds(l, -3);
             }),
             QByteArray("1.234 0.005 2000.000 0.000"));
    char stamp[27];
    traceFormatTimestamp(stamp, 2026, 12, 7, 9, 5, 3, 42);
    QCOMPARE(QByteArray(stamp), QByteArray("2026-12-07 09:05:03.000042"));
}

void TestTrace::lineLongerThanItsLocalBuffer()
{
    // Far past the line's own buffer, escapes included, and still one line.
    QByteArray text(5000, 'a');
    text[0] = '\t';
    text[4999] = '\xe3';
    TraceLine line;
    traceLineInit(&line);
    traceLineText(&line, "text", text.constData());
    traceLineEnd(&line);
    const QByteArray out(line.data, qsizetype(line.length));
    traceLineFree(&line);
    QCOMPARE(out, "\ttext[5000]=\"\\t" + QByteArray(4998, 'a') + "\\xE3\"\n");
}

void TestTrace::missingRealLibraryAnswersZeroAndSaysWhy()
{
    TraceFolder folder; // no libKestCom.real.so
    QVERIFY(folder.ok());
    QTemporaryDir elsewhere;
    const QString traceFile = elsewhere.filePath(QStringLiteral("calls.txt"));
    TraceFileVariable variable(traceFile);
    QVERIFY(folder.open());

    auto initialize = TRACE_OP(folder, InitializeCommWithoutError);
    auto readPointers = TRACE_OP(folder, W_ReadPointers);
    auto receive = TRACE_OP(folder, W_ReceiveEntry);
    QVERIFY(initialize && readPointers && receive);

    QCOMPARE(initialize(1, 19200), 0);
    char name[] = "PONTO_00";
    int32_t first = 7, second = 7, third = 7;
    QCOMPARE(readPointers(name, &first, &second, &third), 0);
    QCOMPARE(first, 7); // nothing was written
    // Null buffers are traced as such and never crash the trace.
    QCOMPARE(readPointers(nullptr, nullptr, nullptr, nullptr), 0);
    QCOMPARE(receive(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr),
             0);

    QString header;
    const auto records = readTrace(traceFile, &header);
    QVERIFY(!QFile::exists(folder.traceFile())); // the variable wins over the folder
    QCOMPARE(header, QString::fromLatin1(kTraceHeader));
    QCOMPARE(records.size(), 4);
    for (const TraceRecord &r : records) {
        QCOMPARE(r.result, QStringLiteral("0"));
        QVERIFY2(r.duration.isEmpty(), qPrintable(r.duration)); // nothing was called
        QVERIFY2(r.note.startsWith(QStringLiteral("no real library: "))
                     && r.note.contains(QStringLiteral("libKestCom.real.so")),
                 qPrintable(r.note));
    }
    QCOMPARE(records[0].args, (QStringList{"port=1", "baud=19200"}));
    QCOMPARE(records[1].args, (QStringList{"name[8]=\"PONTO_00\"", "out.name[8]=\"PONTO_00\"",
                                           "out.first=7", "out.second=7", "out.third=7"}));
    QCOMPARE(records[2].args, (QStringList{"name=null", "out.name=null", "out.first=null",
                                           "out.second=null", "out.third=null"}));
    QCOMPARE(records[3].args.size(), 9);
    QCOMPARE(records[3].args.first(), QStringLiteral("out.clockName=null"));
}

void TestTrace::missingOperationAnswersZeroTheOthersForward()
{
    TraceFolder folder(QStringLiteral(KESTCOM_LACKING_PATH)); // the library without W_Kill
    QVERIFY(folder.ok());
    QVERIFY(folder.open());
    auto initialize = TRACE_OP(folder, InitializeCommWithoutError);
    auto kill = TRACE_OP(folder, W_Kill);
    QVERIFY(initialize && kill);

    QCOMPARE(initialize(1, 19200), 1);
    char name[] = "PONTO_00";
    QCOMPARE(kill(name), 0);

    const auto records = readTrace(folder.traceFile());
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[0].operation, QStringLiteral("InitializeCommWithoutError"));
    QCOMPARE(records[0].result, QStringLiteral("1"));
    QVERIFY(records[0].note.isEmpty());
    const QRegularExpression duration(QStringLiteral("^\\d+\\.\\d{3}$"));
    QVERIFY(duration.match(records[0].duration).hasMatch());
    QCOMPARE(records[1].operation, QStringLiteral("W_Kill"));
    QCOMPARE(records[1].result, QStringLiteral("0"));
    QCOMPARE(records[1].note, QStringLiteral("operation missing from the real library"));
    QVERIFY(records[1].duration.isEmpty());
}

void TestTrace::unopenableTraceFileStillForwards()
{
    TraceFolder folder(QStringLiteral(KESTCOM_SIM_PATH));
    QVERIFY(folder.ok());
    TraceFileVariable variable(folder.path("no-such-folder/calls.txt"));
    QVERIFY(folder.open());
    auto initialize = TRACE_OP(folder, InitializeCommWithoutError);
    auto reset = TRACE_OP(folder, Reset_Message);
    QCOMPARE(initialize(1, 19200), 1);
    char name[] = "PONTO_00";
    QCOMPARE(reset(name), 1);
    auto callCount = folder.real<decltype(&Sim_CallCount)>("Sim_CallCount");
    QVERIFY(callCount);
    QCOMPARE(callCount("Reset_Message"), 1);
    QVERIFY(!QFile::exists(folder.traceFile()));
}

void TestTrace::argumentsReachTheRealLibraryUnchanged()
{
    TraceFolder folder(QStringLiteral(KESTCOM_SIM_PATH));
    QVERIFY(folder.ok());
    QVERIFY(folder.open());
    auto initialize = TRACE_OP(folder, InitializeCommWithoutError);
    auto show = TRACE_OP(folder, W_ShowMessage);
    auto readPointers = TRACE_OP(folder, W_ReadPointers);
    QCOMPARE(initialize(1, 19200), 1);

    char name[] = "PONTO_00";
    char text[] = "Bom dia\tJo\xe3o\\\n";
    QCOMPARE(show(name, 3, text), 1);
    int32_t second = 5;
    QCOMPARE(readPointers(name, nullptr, &second, nullptr), 0); // the real library refuses nulls
    int32_t first = 0, third = 0;
    QCOMPARE(readPointers(name, &first, &second, &third), 1);

    // The real library got the very bytes.
    auto shown = folder.real<decltype(&Sim_GetShownMessage)>("Sim_GetShownMessage");
    QVERIFY(shown);
    int32_t number = 0;
    char buffer[64] = {};
    QCOMPARE(shown("PONTO_00", &number, buffer, sizeof buffer), 1);
    QCOMPARE(number, 3);
    QCOMPARE(QByteArray(buffer), QByteArray(text));

    const auto records = readTrace(folder.traceFile());
    QCOMPARE(records.size(), 4);
    QCOMPARE(records[1].operation, QStringLiteral("W_ShowMessage"));
    QCOMPARE(records[1].args, (QStringList{"name[8]=\"PONTO_00\"", "number=3",
                                           "text[14]=\"Bom dia\\tJo\\xE3o\\\\\\n\"",
                                           "out.name[8]=\"PONTO_00\""}));
    QCOMPARE(records[2].result, QStringLiteral("0"));
    QVERIFY(records[2].note.isEmpty()); // forwarded; the 0 is the real library's
    QCOMPARE(records[2].args.mid(1), (QStringList{"out.name[8]=\"PONTO_00\"", "out.first=null",
                                                  "out.second=5", "out.third=null"}));
    QCOMPARE(records[3].args.mid(2), (QStringList{"out.first=" + QString::number(first),
                                                  "out.second=0", "out.third=0"}));
}

void TestTrace::secondProcessAppendsWithoutAHeader()
{
    // Two loads of the trace, as two runs of the program would be, one file.
    QTemporaryDir elsewhere;
    const QString traceFile = elsewhere.filePath(QStringLiteral("calls.txt"));
    TraceFileVariable variable(traceFile);
    for (int run = 0; run < 2; ++run) {
        TraceFolder folder;
        QVERIFY(folder.open());
        TRACE_OP(folder, TerminateComm)(run + 1);
    }
    QString header;
    const auto records = readTrace(traceFile, &header);
    QCOMPARE(header, QString::fromLatin1(kTraceHeader));
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[0].args, QStringList{"port=1"});
    QCOMPARE(records[1].args, QStringList{"port=2"});
}

void TestTrace::killedRightAfterACallLosesNoLine()
{
    TraceFolder folder;
    QVERIFY(folder.open());
    auto terminate = TRACE_OP(folder, TerminateComm);
    terminate(1); // loads and opens everything before the fork
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        terminate(2);
        raise(SIGKILL); // no exit handlers, no buffers flushed
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));

    const auto records = readTrace(folder.traceFile());
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[1].args, QStringList{"port=2"});
    // The child's only thread has the child's id, not the id cached before the fork.
    QCOMPARE(records[0].thread, QString::number(gettid()));
    QCOMPARE(records[1].thread, QString::number(child));
}

void TestTrace::concurrentCallsKeepLinesWhole()
{
    TraceFolder folder; // no real library: only the trace's own work runs in parallel
    QVERIFY(folder.open());
    auto sendSeconds = TRACE_OP(folder, W_SendSeconds);
    constexpr int kThreads = 4;
    constexpr int kCalls = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([sendSeconds, t] {
            // A long name so that a line takes more than one small write to go wrong.
            QByteArray name(600, char('A' + t));
            for (int i = 0; i < kCalls; ++i)
                sendSeconds(name.data(), i);
        });
    }
    for (auto &thread : threads)
        thread.join();

    const auto records = readTrace(folder.traceFile());
    QCOMPARE(records.size(), kThreads * kCalls);
    QList<int> next(kThreads, 0);
    QHash<int, QString> threadOf;
    const QRegularExpression time(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{6}$"));
    for (const TraceRecord &r : records) {
        QCOMPARE(r.operation, QStringLiteral("W_SendSeconds"));
        QVERIFY(time.match(r.time).hasMatch());
        QCOMPARE(r.args.size(), 3);
        const int t = r.args[0].at(11).toLatin1() - 'A'; // name[600]="A...
        QVERIFY(t >= 0 && t < kThreads);
        QCOMPARE(r.args[0], "name[600]=\"" + QString(600, QChar('A' + t)) + '"');
        // Each thread's calls in its own order.
        QCOMPARE(r.args[1], "seconds=" + QString::number(next[t]++));
        QCOMPARE(threadOf.value(t, r.thread), r.thread); // one id for all of a thread's calls
        threadOf.insert(t, r.thread);
    }
    const QStringList ids = threadOf.values();
    QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), kThreads); // and its own
}

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"
