// The terminal program's parts in one process: the pace of each answer from
// its byte counts, the server holding an answer until its time, the SQLite
// memory (entries moved about in the middle, unusable files set aside), and
// where the line's socket lives.
#include "terminal/line/Protocol.h"
#include "terminal/engine/KestComExports.h"
#include "EntryCards.h"
#include "terminal/engine/SimState.h"
#include "terminal/program/FileVerdict.h"
#include "terminal/program/LineService.h"
#include "terminal/program/SqliteStore.h"
#include "terminal/program/TerminalServer.h"
#include "terminal/program/TerminalWindow.h"
#include "terminal/program/WindowQuestions.h"
#include "tests/support/RecordingMessages.h"
#include "terminal/panel/EnginePanelModel.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace terminal;
using std::chrono::microseconds;

namespace {

char kName[] = "PONTO_00";

// Answers leave only when the test says so.
struct HeldTimer final : program::AnswerTimer
{
    std::vector<std::pair<microseconds, std::function<void()>>> held;
    void after(Moment, microseconds delay, std::function<void()> send) override
    {
        held.emplace_back(delay, std::move(send));
    }
};

std::string frameOf(line::Op op, const std::function<void(line::Writer &)> &args)
{
    line::Writer w(1, uint8_t(op));
    args(w);
    return w.frame();
}

void freshEngine()
{
    engine::EngineState().store = nullptr;
    engine::ResetLine();
    engine::EngineState().frozenPcClock = 976190400;
}

// A memory file as `make` says: "garbage", "cut", "foreign", "future", or
// "sql:" and statements run on a good file of one entry (card 1053).
void MakeFile(const QString &file, const QByteArray &make)
{
    if (make == "garbage") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, '\x5a'));
    } else if (make == "cut") {
        {
            QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
            for (int i = 0; i < 3000; ++i)
                engine::StampCard(engine::EngineState().terminals.front(), i);
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
        }
        QSqlDatabase::database(); // nothing open on it now
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QByteArray head = f.read(f.size() / 2);
        f.resize(0);
        f.seek(0);
        f.write(head);
        QFile::remove(file + QStringLiteral("-wal"));
        QFile::remove(file + QStringLiteral("-shm"));
    } else {
        if (make.startsWith("sql:")) {
            QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
            engine::StampCard(engine::EngineState().terminals.front(), 1053);
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        const QList<QByteArray> statements = make.startsWith("sql:") ? make.mid(4).split('\n')
                                                                    : QList<QByteArray>{"CREATE TABLE t(x)"};
        for (const QByteArray &statement : statements)
            QVERIFY2(q.exec(QString::fromUtf8(statement)), qPrintable(q.lastError().text()));
        if (make == "future")
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 99")));
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("maker"));
    }
}

} // namespace

class TestTerminal : public QObject
{
    Q_OBJECT
private slots:
    void init() { freshEngine(); }

    void paceFromByteCounts_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("requestBytes");
        QTest::addColumn<int>("answerBytes");
        QTest::addColumn<int>("baud");
        const auto row = [](const char *name, const std::string &frame, int req, int ans, int baud) {
            QTest::newRow(name) << QByteArray::fromStdString(frame) << req << ans << baud;
        };
        const auto named = [](line::Op op, std::function<void(line::Writer &)> more = {}) {
            return frameOf(op, [&](line::Writer &w) {
                w.text("PONTO_00");
                if (more)
                    more(w);
            });
        };
        // The byte counts the documentation gives, for the name PONTO_00.
        row("W_ReceiveEntry, one entry, 4800", frameOf(line::Op::W_ReceiveEntry, [](auto &) {}), 4, 41, 4800);
        row("W_ReceiveEntry, one entry, 38400", frameOf(line::Op::W_ReceiveEntry, [](auto &) {}), 4, 41, 38400);
        row("W_ReadSeconds", named(line::Op::W_ReadSeconds), 13, 8, 9600);
        row("W_ReadPointers", named(line::Op::W_ReadPointers), 13, 20, 19200);
        row("W_InsertEntry", named(line::Op::W_InsertEntry, [](line::Writer &w) {
                w.i32(0).i32(976190400).i32(1053).i32(0).i32(0).i32(1);
            }), 37, 8, 4800);
        row("W_InsertEvent", named(line::Op::W_InsertEvent, [](line::Writer &w) {
                for (int i = 0; i < 7; ++i)
                    w.i32(0);
            }), 41, 8, 4800);
        row("W_SendEmployerName", named(line::Op::W_SendEmployerName, [](line::Writer &w) {
                w.i32(1).text("Employee 0001").i32(1001).i32(0);
            }), 39, 8, 38400);
    }

    void paceFromByteCounts()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, requestBytes);
        QFETCH(int, answerBytes);
        QFETCH(int, baud);
        QCOMPARE(InitializeCommWithoutError(1, baud), 1);
        if (request.at(3) == char(line::Op::W_ReceiveEntry))
            QVERIFY(engine::StampCard(engine::EngineState().terminals.front(), 1053) >= 0);
        QCOMPARE(request.size(), requestBytes);
        program::LineService service(1);
        const auto reply = service.handle(1, request.toStdString().substr(2), std::size_t(request.size()));
        QCOMPARE(uint8_t(reply.bytes[3]), uint8_t(line::Status::Ok));
        QCOMPARE(int(reply.bytes.size()), answerBytes);
        // 8N1: ten bits a byte, rounded up to the microsecond, and the turnaround.
        const int64_t bits = int64_t(requestBytes + answerBytes) * 10;
        const int64_t expected = (bits * 1000000 + baud - 1) / baud + 2000;
        QCOMPARE(int64_t(reply.delay.count()), expected);

        service.setPace(program::Pace::Instant);
        QCOMPARE(service.handle(1, request.toStdString().substr(2), std::size_t(request.size())).delay.count(), 0);
    }

    void testInterfaceCostsNoWireTime()
    {
        QCOMPARE(InitializeCommWithoutError(1, 4800), 1);
        program::LineService service(1);
        const std::string frame = frameOf(line::Op::Sim_PassCard, [](line::Writer &w) { w.text("PONTO_00").i32(5); });
        QCOMPARE(service.handle(1, frame.substr(2), frame.size()).delay.count(), 0);
    }

    void holderRequestsSayWhetherAnswersArrived_data()
    {
        // a or b: the connection, then the request's number and o open, r
        // W_ReceiveEntry, t TerminateComm, s a test call; -a: a goes.
        // told: + the answers arrived, - the last one did not.
        QTest::addColumn<QString>("requests");
        QTest::addColumn<QString>("told");
        QTest::newRow("in turn") << "a1o a2r a3r" << "++";
        QTest::newRow("a number skipped") << "a1o a2r a4r a5r" << "+-+";
        QTest::newRow("numbers wrap") << "a255o a0r" << "+";
        QTest::newRow("another connection asks meanwhile") << "a1o a2r b3s b9s a3r" << "++";
        QTest::newRow("the holder goes") << "a1o a2r -a" << "+-";
        QTest::newRow("another goes") << "a1o a2r b1s -b a3r" << "++";
        QTest::newRow("the port given back") << "a1o a2t a3r -a" << "+";
        QTest::newRow("another refused the port") << "a1o b1o b2r a2r" << "+";
    }

    void holderRequestsSayWhetherAnswersArrived()
    {
        QFETCH(QString, requests);
        QFETCH(QString, told);
        program::LineService service(1);
        QString heard;
        service.setAnswersHandler([&heard](bool arrived) { heard += arrived ? u'+' : u'-'; });
        for (const QString &request : requests.split(u' ')) {
            const int connection = request.at(request.startsWith(u'-') ? 1 : 0) == u'a' ? 1 : 2;
            if (request.startsWith(u'-')) {
                service.disconnected(connection);
                continue;
            }
            const auto sequence = uint8_t(request.mid(1, request.size() - 2).toInt());
            const char32_t kind = request.back().unicode();
            const auto op = kind == u'o' ? line::Op::InitializeCommWithoutError
                            : kind == u'r' ? line::Op::W_ReceiveEntry
                            : kind == u't' ? line::Op::TerminateComm
                                           : line::Op::Sim_EntryCount;
            line::Writer w(sequence, uint8_t(op));
            if (op == line::Op::InitializeCommWithoutError)
                w.i32(1).i32(9600);
            else if (op == line::Op::TerminateComm)
                w.i32(1);
            else if (op == line::Op::Sim_EntryCount)
                w.text("PONTO_00");
            const std::string frame = w.frame();
            service.handle(connection, frame.substr(2), frame.size());
        }
        QCOMPARE(heard, told);
    }

    void serverKnowsItsSocketFileIsGone_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("removed") << false;
        QTest::newRow("replaced by another's") << true;
    }

    void serverKnowsItsSocketFileIsGone()
    {
        QFETCH(bool, replaced);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("COM1.socket"));
        {
            program::LineService service(1);
            HeldTimer timer;
            program::TerminalServer server(service, timer);
            QString problem;
            QVERIFY2(server.listen(path, &problem), qPrintable(problem));
            QVERIFY(server.socketFileIsOurs());
            QVERIFY(QFile::remove(path));
            if (replaced) {
                QFile other(path);
                QVERIFY(other.open(QIODevice::WriteOnly));
            }
            QVERIFY(!server.socketFileIsOurs());
        }
        // Going, it leaves another terminal's file where it is.
        QCOMPARE(QFile::exists(path), replaced);
    }

    void serverHoldsTheAnswerUntilItIsDue()
    {
        QTemporaryDir dir;
        program::LineService service(1);
        HeldTimer timer;
        program::TerminalServer server(service, timer);
        const QString path = dir.filePath(QStringLiteral("COM1.socket"));
        QString problem;
        QVERIFY2(server.listen(path, &problem), qPrintable(problem));
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strcpy(a.sun_path, path.toLocal8Bit().constData());
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
        const std::string open = frameOf(line::Op::InitializeCommWithoutError, [](line::Writer &w) { w.i32(1).i32(9600); });
        const std::string read = frameOf(line::Op::W_ReadSeconds, [](line::Writer &w) { w.text("PONTO_00"); });
        QCOMPARE(::send(fd, (open + read).data(), open.size() + read.size(), 0), ssize_t(open.size() + read.size()));
        QTRY_COMPARE(timer.held.size(), std::size_t(1));
        QCOMPARE(timer.held[0].first.count(), int64_t((int64_t(open.size() + 8) * 10 * 1000000 + 9599) / 9600 + 2000));
        pollfd p{fd, POLLIN, 0};
        QCOMPARE(poll(&p, 1, 50), 0); // nothing before its time
        // The second request waits for the first answer.
        timer.held[0].second();
        QTRY_COMPARE(timer.held.size(), std::size_t(2));
        QCOMPARE(timer.held[1].first.count(), int64_t((int64_t(read.size() + 8) * 10 * 1000000 + 9599) / 9600 + 2000));
        char buffer[64];
        QCOMPARE(::recv(fd, buffer, sizeof buffer, 0), ssize_t(8));
        timer.held[1].second();
        QCOMPARE(::recv(fd, buffer, sizeof buffer, 0), ssize_t(8));
        int32_t seconds = 0;
        std::memcpy(&seconds, buffer + 4, 4);
        QCOMPARE(seconds, 976190400);
        ::close(fd);
        QTRY_COMPARE(engine::EngineState().port.open, false); // the program went: its port closed
    }

    void entriesMovedInTheMiddleComeBackInOrder_data()
    {
        QTest::addColumn<int>("initial");
        QTest::addColumn<QString>("moves");
        // i<index> insert, d<index> delete, c<count> keep only the first count.
        QTest::newRow("many at one place") << 10 << QStringLiteral("i5*60");
        QTest::newRow("at the front") << 10 << QStringLiteral("i0*40");
        QTest::newRow("alternating with deletes") << 10 << QStringLiteral("i3*20 d4 d4 i4*20 d0 d10");
        QTest::newRow("cut then grow") << 10 << QStringLiteral("i7*30 c12 i12*5 i6*20");
        // Past one block of entries: blocks split, empty and go.
        QTest::newRow("blocks split") << 300 << QStringLiteral("i150*300 i0*140 d1*200 c390 i390*5");
        QTest::newRow("cut at a block's edge") << 600 << QStringLiteral("c256 i256*3 c128 d0*127 i1*2");
    }

    void entriesMovedInTheMiddleComeBackInOrder()
    {
        QFETCH(int, initial);
        QFETCH(QString, moves);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.sqlite"));
        QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
        engine::Terminal &t = engine::EngineState().terminals.front();
        t.entries.clear();
        std::vector<int32_t> model;
        for (int i = 0; i < initial; ++i) {
            engine::StampCard(t, 100 + i);
            model.push_back(100 + i);
        }
        {
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
            engine::EngineState().store = &store;
            int32_t card = 5000;
            for (const QString &move : moves.split(u' ')) {
                const QStringList parts = move.mid(1).split(u'*');
                const int at = parts[0].toInt();
                const int times = parts.size() > 1 ? parts[1].toInt() : 1;
                for (int n = 0; n < times; ++n) {
                    if (move[0] == u'i') {
                        model.insert(model.begin() + at, card);
                        QCOMPARE(W_InsertEntry(kName, at, 1, card++, 0, 0, 1), 1);
                    } else if (move[0] == u'd') {
                        model.erase(model.begin() + at);
                        QCOMPARE(W_DeleteEntry(kName, at), 1);
                    } else {
                        model.resize(std::size_t(at));
                        QCOMPARE(W_SendAllPointers(kName, at, 0, 0), 1);
                    }
                }
            }
            QCOMPARE(EntryCards(engine::EngineState().terminals.front()), model);
            engine::EngineState().store = nullptr;
        }
        const std::vector<int32_t> expected = EntryCards(engine::EngineState().terminals.front());
        QCOMPARE(expected, model);
        freshEngine();
        program::SqliteStore again(file);
        QVERIFY(again.open().ok);
        QCOMPARE(EntryCards(engine::EngineState().terminals.front()), expected);
    }

    void deliveryComesAgainAfterALostAnswer_data()
    {
        // r W_ReceiveEntry, n the line's next request, l the line's next
        // request shows the last answer lost, s a card at the reader,
        // p<k> W_SendReaderPointer; then the terminal is killed.
        QTest::addColumn<QString>("calls");
        QTest::addColumn<int>("pointerBeforeKill");
        QTest::addColumn<int>("pointerAfterKill");
        QTest::newRow("answer lost") << "r" << 1 << 0;
        QTest::newRow("answer arrived") << "r n" << 1 << 1;
        QTest::newRow("several arrived, two lost") << "r r r n r r" << 5 << 3;
        QTest::newRow("card passed while the answer was on its way") << "r s" << 1 << 0;
        QTest::newRow("line set the pointer") << "r p4" << 4 << 4;
        QTest::newRow("delivered after the line set it") << "p2 r" << 3 << 2;
        QTest::newRow("two lost, the terminal stays") << "r n r r l" << 1 << 1;
        QTest::newRow("lost after the line set the pointer") << "r p4 l" << 4 << 4;
        QTest::newRow("lost, then delivered again") << "r l r n" << 1 << 1;
    }

    void deliveryComesAgainAfterALostAnswer()
    {
        QFETCH(QString, calls);
        QFETCH(int, pointerBeforeKill);
        QFETCH(int, pointerAfterKill);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.sqlite"));
        QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
        engine::EngineState().terminals.front().entries.clear();
        {
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
            engine::EngineState().store = &store;
            engine::Terminal &t = engine::EngineState().terminals.front();
            for (int i = 0; i < 6; ++i)
                engine::StampCard(t, 100 + i);
            for (const QString &call : calls.split(u' ')) {
                char name[16];
                int32_t index, seconds, card, orValue, code;
                uint8_t aux1, justification, presence;
                if (call == u"r")
                    QCOMPARE(W_ReceiveEntry(name, &index, &seconds, &card, &aux1, &justification, &presence,
                                            &orValue, &code), 1);
                else if (call == u"n")
                    store.confirmDeliveries();
                else if (call == u"l")
                    store.returnDeliveries();
                else if (call == u"s")
                    engine::StampCard(t, 999);
                else
                    QCOMPARE(W_SendReaderPointer(kName, call.mid(1).toInt()), 1);
            }
            QCOMPARE(t.readerPointer, pointerBeforeKill);
            engine::EngineState().store = nullptr; // killed: nothing more reaches the file
        }
        freshEngine();
        program::SqliteStore again(file);
        QVERIFY(again.open().ok);
        QCOMPARE(engine::EngineState().terminals.front().readerPointer, pointerAfterKill);
        QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
        char name[16];
        int32_t index = -1, seconds, card = 0, orValue, code;
        uint8_t aux1, justification, presence;
        QCOMPARE(W_ReceiveEntry(name, &index, &seconds, &card, &aux1, &justification, &presence, &orValue, &code), 1);
        QCOMPARE(index, pointerAfterKill);
        QCOMPARE(card, 100 + pointerAfterKill);
    }

    // An entry's numbers are checked as its block is read, not all at open:
    // one outside its field ends the terminal there, its file moved aside.
    void entryOutsideItsFieldSetsTheFileAsideWhenRead_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("presence beyond a byte") << "UPDATE entries SET presence = 256";
        QTest::newRow("origin other than card or inserted") << "UPDATE entries SET origin = 2";
        QTest::newRow("serial beyond 32 bits") << "UPDATE entries SET serial = -2147483649";
    }

    void entryOutsideItsFieldSetsTheFileAsideWhenRead()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("terminal-COM1.sqlite"));
        MakeFile(file, "sql:" + change.toUtf8());
        if (QTest::currentTestFailed())
            return;

        freshEngine();
        program::SqliteStore store(file);
        const program::OpenResult opened = store.open();
        QVERIFY(opened.ok && !opened.fresh);
        QStringList messages;
        store.setUnsoundHandler([&messages](const QString &message) { messages << message; });
        const engine::Terminal &t = engine::EngineState().terminals.front();
        QCOMPARE(t.entryCount(), 1);
        QCOMPARE(t.entries[0].cardCode, 0); // nothing of the row, card 1053, reaches an answer
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(QStringLiteral("do not hold together")), qPrintable(messages[0]));
        QVERIFY(!QFile::exists(file));
        const QString aside = messages[0].section(QStringLiteral(" moved aside to "), 1).section(QStringLiteral(", and"), 0, 0);
        QVERIFY2(QFile::exists(aside), qPrintable(aside));
    }

    void unusableFileIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("make");
        QTest::newRow("not a database") << QByteArray("garbage");
        QTest::newRow("from a newer version") << QByteArray("future");
        QTest::newRow("another program's database") << QByteArray("foreign");
        QTest::newRow("cut in half") << QByteArray("cut");
        // A good file with what the terminal itself never holds.
        const QByteArray sql = "sql:";
        QTest::newRow("more justifications than its text holds")
            << sql + "UPDATE terminals SET justification_count = 3, justifications = 'A'";
        QTest::newRow("two billion justifications")
            << sql + "UPDATE terminals SET justification_count = 2147483647, justifications = 'A~B'";
        QTest::newRow("negative justification count") << sql + "UPDATE terminals SET justification_count = -1";
        QTest::newRow("pointer beyond 32 bits") << sql + "UPDATE terminals SET reader_pointer = 4294967296";
        QTest::newRow("negative capacity") << sql + "UPDATE line SET entry_capacity = -1";
        QTest::newRow("huge shown text") << sql + "UPDATE terminals SET shown_text = zeroblob(100000)";
        QTest::newRow("name the engine refuses") << sql + "UPDATE terminals SET name = 'PONTO 00 '";
        QTest::newRow("the same terminal twice")
            << sql + "CREATE TABLE copy AS SELECT * FROM terminals\nDROP TABLE terminals\n"
                     "CREATE TABLE terminals AS SELECT * FROM copy UNION ALL SELECT * FROM copy";
        QTest::newRow("two terminals sharing a key")
            << sql + "CREATE TABLE copy AS SELECT * FROM terminals\nDROP TABLE terminals\n"
                     "CREATE TABLE terminals AS SELECT * FROM copy\nUPDATE copy SET name = 'PONTO_01'\n"
                     "INSERT INTO terminals SELECT * FROM copy";
        QTest::newRow("block count near two billion") << sql + "UPDATE entry_blocks SET entry_count = 2147483647";
        QTest::newRow("entries without their block") << sql + "DELETE FROM entry_blocks";
        QTest::newRow("justification longer than kept")
            << sql + "UPDATE terminals SET justification_count = 1, justifications = zeroblob(129)";
        QTest::newRow("PC name longer than kept") << sql + "UPDATE line SET pc_name = zeroblob(65)";
        QTest::newRow("message longer than kept")
            << sql + "INSERT INTO messages SELECT id, 5, 1, zeroblob(1025) FROM terminals";
        QTest::newRow("employee name longer than kept")
            << sql + "INSERT INTO employees SELECT id, 5, zeroblob(65), 1005, 0 FROM terminals";
        QTest::newRow("event value beyond 32 bits")
            << sql + "INSERT INTO events SELECT id, 3, 4294967296, 0, 0, 4, 0, 0 FROM terminals";
    }

    void unusableFileIsSetAside()
    {
        QFETCH(QByteArray, make);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("terminal-COM1.sqlite"));
        MakeFile(file, make);
        if (QTest::currentTestFailed())
            return;
        QFile original(file);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();

        freshEngine();
        engine::LoadMorningNow(engine::EngineState().terminals.front());
        program::SqliteStore store(file);
        const program::OpenResult opened = store.open();
        QVERIFY(opened.ok);
        QVERIFY(opened.fresh);
        QVERIFY(opened.message.contains(opened.movedAside));
        QVERIFY(opened.message.contains(QStringLiteral("starts fresh")));
        if (make == "future")
            QVERIFY(opened.message.contains(QStringLiteral("newer version")));
        if (make.startsWith("sql:"))
            QVERIFY2(opened.message.contains(QStringLiteral("do not hold together")), qPrintable(opened.message));
        QFile aside(opened.movedAside);
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), before);
        QCOMPARE(engine::EngineState().terminals.front().entryCount(), 36);

        program::TerminalWindow window(QStringLiteral("COM1"), QStringLiteral("/run/x"), store.pace());
        window.showProblem(opened.message);
        QCOMPARE(window.problem(), opened.message);
        QVERIFY(window.wirePaceButton()->isChecked());
        QCOMPARE(window.pages()->count(), 1);
        QCOMPARE(window.pages()->tabText(0), QStringLiteral("PONTO_00"));
    }

    void winterTimeFiresOnceAcrossARestart_data()
    {
        QTest::addColumn<bool>("writtenAnew");
        QTest::addColumn<qint64>("clockAfter"); // minus the PC clock
        QTest::newRow("same event") << false << qint64(-3600);
        QTest::newRow("slot written anew") << true << qint64(-7200);
    }

    void winterTimeFiresOnceAcrossARestart()
    {
        QFETCH(bool, writtenAnew);
        QFETCH(qint64, clockAfter);
        constexpr int32_t noon = 976190400;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.sqlite"));
        {
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
            engine::EngineState().store = &store;
            QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
            QCOMPARE(W_InsertEvent(kName, 7, noon + 1, 0, 0, 4, 0, 0), 1);
            panel::EnginePanelModel model;
            model.refresh();
            *engine::EngineState().frozenPcClock += 2;
            model.refresh();
            QCOMPARE(engine::TerminalClock(engine::EngineState().terminals.front()), noon + 2 - 3600);
            engine::EngineState().store = nullptr;
        }
        // The program starts again a minute later, within the hour.
        freshEngine();
        *engine::EngineState().frozenPcClock += 60;
        program::SqliteStore again(file);
        const program::OpenResult opened = again.open();
        QVERIFY(opened.ok);
        QVERIFY(!opened.fresh);
        engine::EngineState().store = &again;
        const engine::Terminal &t = engine::EngineState().terminals.front();
        QCOMPARE(engine::TerminalClock(t), noon + 60 - 3600);
        QCOMPARE(t.spentClockChanges.size(), std::size_t(1));
        QCOMPARE(t.spentClockChanges.count(7), std::size_t(1));
        QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
        panel::EnginePanelModel model;
        model.refresh();
        if (writtenAnew)
            QCOMPARE(W_InsertEvent(kName, 7, noon + 120 - 3600, 0, 0, 4, 0, 0), 1);
        // Past the event's time on the terminal clock again.
        *engine::EngineState().frozenPcClock += 3600;
        model.refresh();
        model.refresh();
        const int64_t pc = *engine::EngineState().frozenPcClock;
        QCOMPARE(engine::TerminalClock(engine::EngineState().terminals.front()), pc + clockAfter);
        QCOMPARE(engine::SpentSlots(engine::EngineState().terminals.front().spentClockChanges),
                 std::set<int>{7});
        engine::EngineState().store = nullptr;
    }

    void shownMessageKeepsItsTime()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.sqlite"));
        int64_t shownAt = 0;
        {
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
            engine::EngineState().store = &store;
            QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
            char text[] = "BOM DIA";
            QCOMPARE(W_ShowMessage(kName, 3, text), 1);
            shownAt = engine::EngineState().terminals.front().shownAt;
            QVERIFY(shownAt != 0);
            engine::EngineState().store = nullptr;
        }
        freshEngine();
        *engine::EngineState().frozenPcClock += 5;
        program::SqliteStore again(file);
        QVERIFY(again.open().ok);
        const engine::Terminal &t = engine::EngineState().terminals.front();
        QVERIFY(t.messageShown);
        QCOMPARE(t.shownAt, shownAt);
    }

    void paceTurnedOnTheLineIsKeptAndShown()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.sqlite"));
        {
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
            QVERIFY(store.pace() == program::Pace::Wire);
            program::LineService service(1);
            service.setPace(store.pace());
            program::TerminalWindow window(QStringLiteral("COM1"), QStringLiteral("/run/x"),
                                            service.pace());
            // Wired as the program does: the window asks, the service holds,
            // the store keeps and the window shows.
            QObject::connect(&window, &program::TerminalWindow::paceChosen, &window,
                             [&](program::Pace pace) { service.setPace(pace); });
            service.setPaceHandler([&](program::Pace pace) {
                store.savePace(pace);
                window.setPace(pace);
            });
            window.instantButton()->click();
            QVERIFY(service.pace() == program::Pace::Instant);
            service.setPace(program::Pace::Wire);
            QVERIFY(window.wirePaceButton()->isChecked());
            service.setPace(program::Pace::Instant);
        }
        freshEngine();
        program::SqliteStore again(file);
        QVERIFY(again.open().ok);
        QVERIFY(again.pace() == program::Pace::Instant);
    }

    void demoMorningQuestionCountsWhatIsLost_data()
    {
        QTest::addColumn<QList<int>>("counts"); // entries, names, justifications, events, messages
        QTest::addColumn<bool>("secondTerminal");
        QTest::addColumn<QString>("lost");
        QTest::newRow("the morning") << QList<int>{36, 16, 0, 0, 0} << false
                                     << QStringLiteral("PONTO_00: 36 entries, 16 names\n");
        QTest::newRow("one of each") << QList<int>{1, 1, 1, 1, 1} << false
                                     << QStringLiteral("PONTO_00: 1 entry, 1 name, 1 justification, "
                                                       "1 event, 1 message\n");
        QTest::newRow("nothing counted") << QList<int>{0, 0, 0, 0, 0} << false
                                         << QStringLiteral("PONTO_00: no entries, names or events\n");
        QTest::newRow("two terminals") << QList<int>{2000000, 0, 7, 0, 0} << true
                                       << QStringLiteral("PONTO_00: 2000000 entries, 7 justifications\n"
                                                         "    PONTO_01: 3 events\n");
    }

    void demoMorningQuestionCountsWhatIsLost()
    {
        QFETCH(QList<int>, counts);
        QFETCH(bool, secondTerminal);
        QFETCH(QString, lost);
        QList<program::TerminalHoldings> line{{QStringLiteral("PONTO_00"), counts[0], counts[1],
                                                counts[2], counts[3], counts[4]}};
        if (secondTerminal)
            line.append({QStringLiteral("PONTO_01"), 0, 0, 0, 3, 0});
        const QString question = program::DemoMorningQuestion(line);
        QVERIFY2(question.contains(QStringLiteral(":\n    ") + lost), qPrintable(question));
        QVERIFY(question.contains(QStringLiteral("settings: configuration, clock")));
        QVERIFY(question.contains(QStringLiteral("PONTO_00 is then alone on the line with the demo morning")));
    }

    // Confirmed, the line is as a terminal that never ran, and stays so in
    // its file; cancelled, nothing moves. A program's link is kept either way.
    void backToTheDemoMorningLasts_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }

    void backToTheDemoMorningLasts()
    {
        QFETCH(bool, confirmed);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("terminal-COM1.sqlite"));
        {
            program::SqliteStore store(file);
            QVERIFY(store.open().ok);
            engine::EngineState().store = &store;
            store.savePace(program::Pace::Instant);
            QCOMPARE(InitializeCommWithoutError(1, 9600), 1);
            engine::StampCard(engine::EngineState().terminals.front(), 1053);
            engine::StampCard(engine::EngineState().terminals.front(), 1054);
            char name[] = "ANA SOUSA";
            QCOMPARE(W_SendEmployerName(kName, 53, name, 1053, 255), 1);
            QVERIFY(engine::AddTerminal("PONTO_01"));

            program::TerminalWindow window(QStringLiteral("COM1"), QStringLiteral("/run/x"), store.pace());
            window.setDatabasePath(file);
            QCOMPARE(window.databasePathField()->text(), file);
            QObject::connect(&window, &program::TerminalWindow::paceChosen, &window,
                             [&store](program::Pace pace) { store.savePace(pace); });
            RecordingMessages messages;
            messages.confirmAnswer = confirmed;
            window.setMessages(messages);
            QTest::mouseClick(window.demoMorningButton(), Qt::LeftButton);
            QCOMPARE(messages.texts.size(), 1);
            QVERIFY2(messages.texts[0].contains(QStringLiteral("PONTO_00: 2 entries, 1 name\n"
                                                               "    PONTO_01: no entries")),
                     qPrintable(messages.texts[0]));
            QCOMPARE(window.pages()->count(), confirmed ? 1 : 2);
            QCOMPARE(window.wirePaceButton()->isChecked(), confirmed);
            QVERIFY(engine::EngineState().port.linkOpen);
            engine::EngineState().store = nullptr;
        }
        freshEngine();
        program::SqliteStore again(file);
        QVERIFY(again.open().ok);
        QCOMPARE(int(engine::EngineState().terminals.size()), confirmed ? 1 : 2);
        const engine::Terminal &front = engine::EngineState().terminals.front();
        QCOMPARE(front.entryCount(), confirmed ? 36 : 2);
        QCOMPARE(front.readerPointer, 0);
        QCOMPARE(int(front.employees.size()), confirmed ? 0 : 1);
        QCOMPARE(again.pace(), confirmed ? program::Pace::Wire : program::Pace::Instant);
    }

    void closingAsksWhileAProgramHoldsThePort_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no program") << false << false << true;
        QTest::newRow("program, closed anyway") << true << true << true;
        QTest::newRow("program, kept open") << true << false << false;
    }

    void closingAsksWhileAProgramHoldsThePort()
    {
        QFETCH(bool, connected);
        QFETCH(bool, answer);
        QFETCH(bool, closes);
        program::TerminalWindow window(QStringLiteral("COM4"), QStringLiteral("/run/x"), program::Pace::Wire);
        RecordingMessages messages;
        messages.confirmAnswer = answer;
        window.setMessages(messages);
        window.setProgramConnected([connected] { return connected; });
        window.show();
        QCOMPARE(window.close(), closes);
        QCOMPARE(messages.texts.size(), connected ? 1 : 0);
        if (connected)
            QVERIFY(messages.texts[0].contains(QStringLiteral("connected to COM4")));
        QCOMPARE(window.isVisible(), !closes);
    }

    void asideNameNeverTakesAnExistingFile()
    {
        QStringList taken = {QStringLiteral("/d/t.sqlite.newer-1"), QStringLiteral("/d/t.sqlite.newer-1-2-wal")};
        const auto exists = [&](const QString &p) { return taken.contains(p); };
        QCOMPARE(program::AsideName(QStringLiteral("/d/t.sqlite"), QStringLiteral("newer"), QStringLiteral("1"), exists),
                 QStringLiteral("/d/t.sqlite.newer-1-3"));
    }

    void portNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port"); // 0 = refused
        QTest::newRow("COM1") << "COM1" << 1;
        QTest::newRow("lower case") << "com12" << 12;
        QTest::newRow("highest") << "COM255" << 255;
        QTest::newRow("beyond") << "COM256" << 0;
        QTest::newRow("zero") << "COM0" << 0;
        QTest::newRow("leading zero") << "COM01" << 0;
        QTest::newRow("no number") << "COM" << 0;
        QTest::newRow("sign") << "COM+1" << 0;
        QTest::newRow("other device") << "LPT1" << 0;
    }

    void portNames()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        const std::string s = text.toStdString();
        QCOMPARE(line::PortNumber(s).value_or(0), port);
        if (port)
            QCOMPARE(QString::fromStdString(line::PortName(port)), text.toUpper());
    }

    void socketPlace_data()
    {
        QTest::addColumn<QString>("runtime"); // "-" = unset
        QTest::addColumn<bool>("usable");
        QTest::newRow("runtime folder") << "TMP" << true;
        QTest::newRow("unset") << "-" << true;
        QTest::newRow("relative") << "run" << true; // ignored: the private fallback
        QTest::newRow("open to others") << "OPEN" << false;
    }

    void socketPlace()
    {
        QFETCH(QString, runtime);
        QFETCH(bool, usable);
        QTemporaryDir dir;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        if (runtime == "-")
            qunsetenv("XDG_RUNTIME_DIR");
        else if (runtime == "TMP" || runtime == "OPEN")
            qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
        else
            qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        if (runtime == "OPEN") {
            QVERIFY(::mkdir((dir.path() + "/velmora").toLocal8Bit().constData(), 0777) == 0);
            ::chmod((dir.path() + "/velmora").toLocal8Bit().constData(), 0777);
        }
        const line::SocketPlace place = line::SocketPlaceOf(3);
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(place.path.empty(), !usable);
        QCOMPARE(place.problem.empty(), usable);
        if (!usable)
            return;
        QVERIFY(QString::fromStdString(place.path).endsWith(QStringLiteral("/COM3.socket")));
        if (runtime == "TMP")
            QVERIFY(QString::fromStdString(place.path).startsWith(dir.path()));
        else
            QVERIFY(QString::fromStdString(place.path).startsWith(QStringLiteral("/tmp/velmora-%1/").arg(geteuid())));
    }
};

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
