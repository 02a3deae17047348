#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QLibrary>
#include <QTest>

#include <array>
#include <cstring>

namespace {

constexpr const char *kTerm = "PONTO_00";
// 2024-03-11 10:00:00 as a clock second count.
constexpr int64_t kNow = int64_t{10297} * 86400 + 10 * 3600;

// A writable copy, as the operations take char*.
struct Text
{
    std::array<char, 64> buf{};
    explicit Text(const char *s) { std::strncpy(buf.data(), s, buf.size() - 1); }
    operator char *() { return buf.data(); }
};

struct Received
{
    char clockName[10];
    int32_t index, seconds, cardCode;
    uint8_t aux1, justification, presence;
    int32_t orValue, code;
};

int32_t receive(Received &r)
{
    return W_ReceiveEntry(r.clockName, &r.index, &r.seconds, &r.cardCode, &r.aux1,
                          &r.justification, &r.presence, &r.orValue, &r.code);
}

int32_t write(const char *line)
{
    Text text(line);
    return IO_Write(1, static_cast<int32_t>(std::strlen(line)), text);
}

int32_t linkOpen()
{
    int32_t open = 0, baud = 0, call = 0, link = 0;
    Sim_PortState(&open, &baud, &call, &link);
    return link;
}

int32_t insert(int32_t index, int32_t card)
{
    return W_InsertEntry(Text(kTerm), index, 1000 + card, card, 0, 0, 1);
}

QList<int32_t> cards(const char *name)
{
    QList<int32_t> out;
    SimEntry e{};
    for (int32_t i = 0; Sim_GetEntry(name, i, &e); ++i)
        out << e.cardCode;
    return out;
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Nothing has touched the library yet: this is what the program sees.
        QCOMPARE(Sim_EntryCount(kTerm), 36);
        int32_t first = 0, second = 0, reader = -5;
        QVERIFY(Sim_GetPointers(kTerm, &first, &second, &reader));
        QCOMPARE(reader, 0);
    }

    void init()
    {
        Sim_Reset();
        Sim_SetPcClock(kNow);
    }

    void resetIsEmptyAndReal()
    {
        Sim_PassCard(kTerm, 1);
        Sim_AddTerminal("PONTO_01");
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Sim_FailOperation("Reset_Message", -1);
        Sim_Reset();
        QCOMPARE(Sim_EntryCount(kTerm), 0);
        QCOMPARE(Sim_EntryCount("PONTO_01"), -1);
        QCOMPARE(linkOpen(), 0);
        QVERIFY(qAbs(Sim_PcClock() - kNow) > 86400); // no longer frozen at kNow
        QVERIFY(InitializeCommWithoutError(1, 9600));
        QCOMPARE(Reset_Message(Text(kTerm)), 1);
    }

    void portOpening_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("opens");
        for (int baud : {4800, 9600, 19200, 38400})
            QTest::addRow("COM1 %d", baud) << 1 << baud << 1;
        QTest::newRow("slow speed") << 1 << 2400 << 0;
        QTest::newRow("fast speed") << 1 << 115200 << 0;
        QTest::newRow("zero speed") << 1 << 0 << 0;
        QTest::newRow("port 0") << 0 << 9600 << 0;
        QTest::newRow("port 2") << 2 << 9600 << 0;
        QTest::newRow("port -1") << -1 << 9600 << 0;
    }
    void portOpening()
    {
        QFETCH(int, port);
        QFETCH(int, baud);
        QFETCH(int, opens);
        int32_t open = -1, speed = -1, call = -1, link = -1;
        QCOMPARE(InitializeCommWithoutError(port, baud), opens);
        QVERIFY(Sim_PortState(&open, &speed, &call, &link));
        QCOMPARE(open, opens);
        QCOMPARE(link, opens);
        QCOMPARE(speed, opens ? baud : 0);
        TerminateComm(1);
        QCOMPARE(IO_Open(port, baud), opens);
        QVERIFY(Sim_PortState(&open, &speed, &call, &link));
        QCOMPARE(open, opens);
        QCOMPARE(link, 0); // a raw modem port is not a link yet
    }

    void commandsNeedTheLink()
    {
        QCOMPARE(Reset_Message(Text(kTerm)), 0);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        QCOMPARE(Reset_Message(Text(kTerm)), 1);
        QCOMPARE(TerminateComm(2), 0);
        QCOMPARE(TerminateComm(1), 1);
        QCOMPARE(Reset_Message(Text(kTerm)), 0);
        QCOMPARE(InitializeCommWithoutOpen(1), 0); // no call on a closed port
    }

    void modemDial_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("connects");
        QTest::newRow("dial") << QByteArray("AT DT 5551234\r") << 1;
        QTest::newRow("lower case") << QByteArray("at dt 0,555\r") << 1;
        QTest::newRow("no CR") << QByteArray("AT DT 5551234") << 0;
        QTest::newRow("CR not last") << QByteArray("AT DT 555\r ") << 0;
        QTest::newRow("no number") << QByteArray("AT DT   \r") << 0;
        QTest::newRow("no blank") << QByteArray("ATDT5551234\r") << 0;
        QTest::newRow("other command") << QByteArray("AT Z\r") << 0;
        QTest::newRow("empty") << QByteArray("") << 0;
    }
    void modemDial()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, connects);
        QCOMPARE(write("AT DT 1\r"), 0); // port not open
        QVERIFY(IO_Open(1, 19200));
        QCOMPARE(InitializeCommWithoutOpen(1), 0);
        QCOMPARE(write(line.constData()), 1);
        QCOMPARE(InitializeCommWithoutOpen(1), connects);
        QCOMPARE(Reset_Message(Text(kTerm)), connects);
    }

    void modemHangUp()
    {
        QVERIFY(IO_Open(1, 9600));
        QVERIFY(write("AT DT 555\r"));
        QVERIFY(InitializeCommWithoutOpen(1));
        QVERIFY(write("AT H0\r")); // online, this is data
        QVERIFY(write("+++\r"));
        QVERIFY(write("AT Z\r")); // leaves command mode, call stays
        QCOMPARE(linkOpen(), 1);
        QVERIFY(write("+++\r"));
        QVERIFY(write("at h0\r"));
        int32_t open = 0, baud = 0, call = 1, link = 1;
        QVERIFY(Sim_PortState(&open, &baud, &call, &link));
        QCOMPARE(open, 1);
        QCOMPARE(call, 0);
        QCOMPARE(link, 0);
        QCOMPARE(Reset_Message(Text(kTerm)), 0);
        QCOMPARE(InitializeCommWithoutOpen(1), 0);

        QVERIFY(write("AT DT 555\r"));
        QVERIFY(InitializeCommWithoutOpen(1));
        QVERIFY(TerminateComm(1));
        QVERIFY(Sim_PortState(&open, &baud, &call, &link));
        QCOMPARE(call, 0);
        QVERIFY(IO_Open(1, 9600));
        QCOMPARE(InitializeCommWithoutOpen(1), 0);
    }

    void directCableIgnoresModemLines()
    {
        QVERIFY(InitializeCommWithoutError(1, 38400));
        QVERIFY(write("+++\r"));
        QVERIFY(write("AT H0\r"));
        QCOMPARE(Reset_Message(Text(kTerm)), 1);
        QCOMPARE(InitializeCommWithoutOpen(1), 0);
    }

    void ioWriteHonoursLength()
    {
        QVERIFY(IO_Open(1, 9600));
        Text dial("AT DT 555\r");
        QCOMPARE(IO_Write(1, 5, dial), 1);
        QCOMPARE(InitializeCommWithoutOpen(1), 0);
        char withZero[] = "AT DT 5\0\r";
        QCOMPARE(IO_Write(1, int32_t(sizeof withZero), withZero), 1);
        QCOMPARE(InitializeCommWithoutOpen(1), 0);
        QCOMPARE(IO_Write(1, -1, dial), 0);
        QCOMPARE(IO_Write(1, 10, nullptr), 0);
        QCOMPARE(IO_Write(2, 10, dial), 0);

        QCOMPARE(Sim_IoWriteCount(), 2);
        char buf[16];
        QVERIFY(Sim_IoWriteText(0, buf, sizeof buf));
        QCOMPARE(QByteArray(buf), QByteArray("AT DT"));
        QVERIFY(Sim_IoWriteText(1, buf, sizeof buf));
        QCOMPARE(QByteArray(buf), QByteArray("AT DT 5"));
        QCOMPARE(Sim_IoWriteText(2, buf, sizeof buf), 0);
        QCOMPARE(Sim_IoWriteText(-1, buf, sizeof buf), 0);
    }

    void nameMatching_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("matches");
        QTest::newRow("exact") << QByteArray("PONTO_00") << 1;
        QTest::newRow("trailing blanks") << QByteArray("PONTO_00   ") << 1;
        QTest::newRow("trailing zeros") << QByteArray("PONTO_00\0\0\0", 11) << 1;
        QTest::newRow("zero then junk") << QByteArray("PONTO_00\0XY", 11) << 1;
        QTest::newRow("lower case") << QByteArray("ponto_00") << 0;
        QTest::newRow("leading blank") << QByteArray(" PONTO_00") << 0;
        QTest::newRow("prefix") << QByteArray("PONTO_0") << 0;
        QTest::newRow("longer") << QByteArray("PONTO_001") << 0;
        QTest::newRow("blank only") << QByteArray("   ") << 0;
        QTest::newRow("empty") << QByteArray("") << 0;
    }
    void nameMatching()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, matches);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        std::array<char, 16> buf{};
        std::memcpy(buf.data(), name.constData(), static_cast<size_t>(name.size()));
        const std::array<char, 16> before = buf;
        QCOMPARE(Reset_Message(buf.data()), matches);
        int32_t a, b, c;
        QCOMPARE(W_ReadPointers(buf.data(), &a, &b, &c), matches);
        QVERIFY(buf == before);
    }

    void clockRunsWithPc()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        QCOMPARE(W_ReadSeconds(name), int32_t(kNow));
        QVERIFY(W_SendSeconds(name, 500));
        QCOMPARE(W_ReadSeconds(name), 500);
        Sim_AdvancePcClock(60);
        QCOMPARE(W_ReadSeconds(name), 560);
        QCOMPARE(Sim_ReadClock(kTerm), 560);
        QVERIFY(W_SendSeconds(name, -100));
        QCOMPARE(W_ReadSeconds(name), -100);

        // A terminal clock outside 32 bits reads as failure, not wrapped.
        QVERIFY(W_SendSeconds(name, INT32_MAX - 10));
        Sim_AdvancePcClock(11);
        QCOMPARE(W_ReadSeconds(name), 0);
        QCOMPARE(Sim_PassCard(kTerm, 1001), -1);
        Sim_SetPcClock(int64_t{1} << 40);
        QVERIFY(W_SendSeconds(name, 1234));
        QCOMPARE(W_ReadSeconds(name), 1234);
        Sim_SetPcClock(INT64_MAX);
        Sim_AdvancePcClock(INT64_MAX);
        QCOMPARE(W_ReadSeconds(name), 0);
        QCOMPARE(W_ReadSeconds(Text("NOBODY")), 0);
    }

    void adjustRecordsDriftAndResyncs()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        int32_t reference = 0;
        int64_t drift = 0;
        QCOMPARE(Sim_GetAdjustment(kTerm, &reference, &drift), 0);
        QVERIFY(W_SendSeconds(name, int32_t(kNow) + 95));
        Sim_AdvancePcClock(5);
        QVERIFY(W_AdjustSeconds(name, int32_t(kNow) + 5));
        QCOMPARE(W_ReadSeconds(name), int32_t(kNow) + 5);
        QCOMPARE(Sim_GetAdjustment(kTerm, &reference, &drift), 1);
        QCOMPARE(reference, int32_t(kNow) + 5);
        QCOMPARE(drift, int64_t(95));
        Sim_AdvancePcClock(10);
        QCOMPARE(W_ReadSeconds(name), int32_t(kNow) + 15);
    }

    void insertAndDeleteShift()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        QVERIFY(insert(0, 2));
        QVERIFY(insert(0, 1));
        QVERIFY(insert(2, 4));
        QVERIFY(insert(2, 3));
        QCOMPARE(cards(kTerm), (QList<int32_t>{1, 2, 3, 4}));
        QVERIFY(W_DeleteEntry(Text(kTerm), 1));
        QCOMPARE(cards(kTerm), (QList<int32_t>{1, 3, 4}));
        QVERIFY(W_DeleteEntry(Text(kTerm), 2));
        QCOMPARE(cards(kTerm), (QList<int32_t>{1, 3}));
    }

    void entryBounds_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("aux1");
        QTest::addColumn<int>("justification");
        QTest::addColumn<int>("presence");
        QTest::addColumn<int>("accepted");
        QTest::newRow("at end") << 2 << 0 << 0 << 1 << 1;
        QTest::newRow("byte limits") << 0 << 255 << 255 << 255 << 1;
        QTest::newRow("past end") << 3 << 0 << 0 << 1 << 0;
        QTest::newRow("negative index") << -1 << 0 << 0 << 1 << 0;
        QTest::newRow("aux1 256") << 0 << 256 << 0 << 1 << 0;
        QTest::newRow("justification -1") << 0 << 0 << -1 << 1 << 0;
        QTest::newRow("presence 256") << 0 << 0 << 0 << 256 << 0;
    }
    void entryBounds()
    {
        QFETCH(int, index);
        QFETCH(int, aux1);
        QFETCH(int, justification);
        QFETCH(int, presence);
        QFETCH(int, accepted);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Sim_PassCard(kTerm, 1);
        Sim_PassCard(kTerm, 2);
        QCOMPARE(W_InsertEntry(Text(kTerm), index, 77, 9, aux1, justification, presence), accepted);
        QCOMPARE(Sim_EntryCount(kTerm), 2 + accepted);
        if (accepted) {
            SimEntry e{};
            QVERIFY(Sim_GetEntry(kTerm, index, &e));
            QCOMPARE(int(e.aux1), aux1);
            QCOMPARE(int(e.justification), justification);
            QCOMPARE(int(e.presence), presence);
        }
        QCOMPARE(W_DeleteEntry(Text(kTerm), -1), 0);
        QCOMPARE(W_DeleteEntry(Text(kTerm), Sim_EntryCount(kTerm)), 0);
    }

    void memoryHoldsTwoMillionInOrder()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        for (int32_t i = 0; i < 2'000'000; ++i)
            if (!W_InsertEntry(name, i, i, i % 97, 0, 0, 1))
                QFAIL(qPrintable(QString("insert %1 failed").arg(i)));
        QCOMPARE(W_InsertEntry(name, 2'000'000, 0, 0, 0, 0, 1), 0);
        QCOMPARE(Sim_PassCard(kTerm, 1), -1);
        SimEntry e{};
        QVERIFY(Sim_GetEntry(kTerm, 1'999'999, &e));
        QCOMPARE(e.seconds, 1'999'999);

        QVERIFY(W_SendAllPointers(name, 1, 0, 0));
        QVERIFY(Sim_SetEntryCapacity(2));
        QVERIFY(insert(1, 5));
        QCOMPARE(insert(1, 6), 0);
    }

    void pointers_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("third");
        QTest::addColumn<int>("accepted");
        QTest::newRow("keep all") << 3 << 7 << 1 << 1;
        QTest::newRow("discard top") << 1 << 0 << 0 << 1;
        QTest::newRow("discard all, hold") << 0 << 2 << -1 << 1;
        QTest::newRow("raise first") << 4 << 0 << 0 << 0;
        QTest::newRow("negative first") << -1 << 0 << 0 << 0;
        QTest::newRow("negative second") << 3 << -1 << 0 << 0;
        QTest::newRow("reader below -1") << 3 << 0 << -2 << 0;
    }
    void pointers()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, third);
        QFETCH(int, accepted);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        for (int32_t card : {1, 2, 3})
            Sim_PassCard(kTerm, card);
        int32_t a = -9, b = -9, c = -9;
        QVERIFY(W_ReadPointers(Text(kTerm), &a, &b, &c));
        QCOMPARE(QList<int32_t>({a, b, c}), QList<int32_t>({3, 0, 0}));
        QCOMPARE(W_SendAllPointers(Text(kTerm), first, second, third), accepted);
        QVERIFY(W_ReadPointers(Text(kTerm), &a, &b, &c));
        const QList<int32_t> expected =
            accepted ? QList<int32_t>{first, second, third} : QList<int32_t>{3, 0, 0};
        QCOMPARE(QList<int32_t>({a, b, c}), expected);
        QCOMPARE(cards(kTerm).size(), expected[0]);
    }

    void readerPointerDelivery()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        for (int32_t card : {1001, 1002, 1003})
            Sim_PassCard(kTerm, card);
        Received r{};
        QVERIFY(W_SendReaderPointer(name, -1));
        QCOMPARE(receive(r), 0);
        QCOMPARE(W_SendReaderPointer(name, -2), 0);
        QVERIFY(W_SendReaderPointer(name, 1));
        QVERIFY(receive(r));
        QCOMPARE(r.index, 1);
        QCOMPARE(r.cardCode, 1002);
        QVERIFY(receive(r));
        QCOMPARE(r.index, 2);
        QCOMPARE(receive(r), 0);

        Sim_AdvancePcClock(30);
        QCOMPARE(Sim_PassCard(kTerm, 1050), 3);
        QVERIFY(receive(r));
        QCOMPARE(r.index, 3);
        QCOMPARE(r.seconds, int32_t(kNow) + 30);
        QCOMPARE(r.orValue, 0);
        QCOMPARE(r.code, 4);
        QCOMPARE(int(r.presence), 1);

        QVERIFY(W_SendReaderPointer(name, 5)); // ahead of the memory: waits for it
        Sim_PassCard(kTerm, 1060);
        QCOMPARE(receive(r), 0);
        Sim_PassCard(kTerm, 1061);
        QVERIFY(receive(r));
        QCOMPARE(r.cardCode, 1061);

        QVERIFY(W_SendReaderPointer(name, 0));
        TerminateComm(1);
        QCOMPARE(receive(r), 0);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        QVERIFY(receive(r));
        QCOMPARE(r.index, 0);
    }

    void deliveredInsertedEntry()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Sim_PassCard(kTerm, 1);
        QVERIFY(W_InsertEntry(Text(kTerm), 0, 4242, 1077, 3, 4, 0));
        Received r{};
        QVERIFY(receive(r));
        QCOMPARE(QByteArray(r.clockName, 10), QByteArray("PONTO_00 \0", 10));
        QCOMPARE(r.index, 0);
        QCOMPARE(r.seconds, 4242);
        QCOMPARE(r.cardCode, 1077);
        QCOMPARE(QList<int>({r.aux1, r.justification, r.presence}), QList<int>({3, 4, 0}));
        QCOMPARE(r.orValue, 1);
        QCOMPARE(r.code, 2); // second entry the terminal created
    }

    void receiveLeavesArgumentsAlone()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Received r;
        std::memset(&r, 0x5A, sizeof r);
        const QByteArray before(reinterpret_cast<const char *>(&r), sizeof r);
        QCOMPARE(receive(r), 0);
        Sim_PassCard(kTerm, 1);
        Sim_FailOperation("W_ReceiveEntry", 1);
        QCOMPARE(receive(r), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&r), sizeof r), before);
        QCOMPARE(Sim_CallCount("W_ReceiveEntry"), 2);
    }

    void clockNamePadding_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("delivered");
        QTest::newRow("short") << QByteArray("A") << QByteArray("A        ");
        QTest::newRow("nine") << QByteArray("ABCDEFGHI") << QByteArray("ABCDEFGHI");
        QTest::newRow("long") << QByteArray("LONGNAME_12") << QByteArray("LONGNAME_");
    }
    void clockNamePadding()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, delivered);
        QVERIFY(Sim_RemoveTerminal(kTerm));
        QVERIFY(Sim_AddTerminal(name.constData()));
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Sim_PassCard(name.constData(), 1);
        Received r;
        std::memset(&r, 'x', sizeof r);
        QVERIFY(receive(r));
        QCOMPARE(QByteArray(r.clockName, 10), delivered + '\0');
    }

    void severalTerminals()
    {
        QVERIFY(Sim_AddTerminal("PONTO_01"));
        QCOMPARE(Sim_AddTerminal("PONTO_01  "), 0);
        QCOMPARE(Sim_AddTerminal("  "), 0);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Sim_PassCard("PONTO_01", 201);
        Sim_PassCard(kTerm, 1);
        Sim_PassCard(kTerm, 2);
        Sim_PassCard("PONTO_01", 202);
        QList<QByteArray> order;
        Received r{};
        while (receive(r))
            order << QByteArray(r.clockName).trimmed() + ":" + QByteArray::number(r.cardCode);
        QCOMPARE(order, (QList<QByteArray>{"PONTO_00:1", "PONTO_00:2", "PONTO_01:201",
                                          "PONTO_01:202"}));

        QVERIFY(Sim_SetTerminalAnswering(kTerm, 0));
        Sim_PassCard(kTerm, 3);
        Sim_PassCard("PONTO_01", 203);
        QCOMPARE(Reset_Message(Text(kTerm)), 0);
        QVERIFY(receive(r));
        QCOMPARE(r.cardCode, 203);
        QCOMPARE(receive(r), 0);
        QVERIFY(Sim_SetTerminalAnswering(kTerm, 1));
        QVERIFY(receive(r));
        QCOMPARE(r.cardCode, 3);

        QVERIFY(Sim_RemoveTerminal("PONTO_01"));
        QCOMPARE(Reset_Message(Text("PONTO_01")), 0);
        QCOMPARE(Sim_RemoveTerminal("PONTO_01"), 0);
    }

    void storedRecords()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        QVERIFY(SetPCName(Text("BENCH-PC")));
        QVERIFY(SetConfirmationsTimeout(3, 250));
        QVERIFY(W_SendConfigurations(name, 1, 2, 3, 4, 5, 6, 7, 8, 9));
        QVERIFY(W_SendMessage(name, 12, Text("Hello"), 2));
        QVERIFY(W_SendMessage(name, 12, Text("Again"), 2));
        QVERIFY(W_SendMessage(name, 12, Text("Other kind"), 3));
        QVERIFY(W_ShowMessage(name, 4, Text("Shown")));
        QVERIFY(W_SendEmployerName(name, 7, Text("Ana Lima"), 1007, 1));
        QCOMPARE(W_SendEmployerName(name, -1, Text("X"), 1, 0), 0);
        QCOMPARE(W_SendEmployerName(name, 8, nullptr, 1, 0), 0);

        char buf[32];
        int32_t a = 0, b = 0;
        QVERIFY(Sim_GetPcName(buf, sizeof buf));
        QCOMPARE(QByteArray(buf), QByteArray("BENCH-PC"));
        QVERIFY(Sim_GetConfirmationsTimeout(&a, &b));
        QCOMPARE(QList<int32_t>({a, b}), QList<int32_t>({3, 250}));
        int32_t config[9];
        QVERIFY(Sim_GetConfiguration(kTerm, config));
        QCOMPARE(QList<int32_t>(config, config + 9), (QList<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
        QVERIFY(Sim_GetMessage(kTerm, 12, 2, buf, sizeof buf));
        QCOMPARE(QByteArray(buf), QByteArray("Again"));
        QVERIFY(Sim_GetMessage(kTerm, 12, 3, buf, sizeof buf));
        QCOMPARE(Sim_GetMessage(kTerm, 13, 2, buf, sizeof buf), 0);
        QVERIFY(Sim_GetShownMessage(kTerm, &a, buf, sizeof buf));
        QCOMPARE(a, 4);
        QCOMPARE(QByteArray(buf), QByteArray("Shown"));
        QVERIFY(Sim_GetEmployeeName(kTerm, 7, buf, sizeof buf, &a, &b));
        QCOMPARE(QByteArray(buf), QByteArray("Ana Lima"));
        QCOMPARE(QList<int32_t>({a, b}), QList<int32_t>({1007, 1}));
        QVERIFY(W_ClearEmployerName(name, 7));
        QVERIFY(W_ClearEmployerName(name, 7));
        QCOMPARE(Sim_GetEmployeeName(kTerm, 7, buf, sizeof buf, &a, &b), 0);

        // Read-backs stay inside the caller's buffer.
        char small[5];
        std::memset(small, '#', sizeof small);
        QVERIFY(Sim_GetPcName(small, 4));
        QCOMPARE(QByteArray(small, 5), QByteArray("BEN\0#", 5));
        QCOMPARE(Sim_GetPcName(small, 0), 0);
        QCOMPARE(Sim_GetPcName(nullptr, 4), 0);
    }

    void events_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("accepted");
        QTest::newRow("first") << 0 << 1;
        QTest::newRow("last") << 109 << 1;
        QTest::newRow("past last") << 110 << 0;
        QTest::newRow("negative") << -1 << 0;
    }
    void events()
    {
        QFETCH(int, slot);
        QFETCH(int, accepted);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        QCOMPARE(W_InsertEvent(Text(kTerm), slot, 28800, 5, 2, 1, 3, 62), accepted);
        int32_t out[6] = {};
        QCOMPARE(Sim_GetEvent(kTerm, slot, out), accepted);
        if (accepted)
            QCOMPARE(QList<int32_t>(out, out + 6), (QList<int32_t>{28800, 5, 2, 1, 3, 62}));
        QCOMPARE(Sim_GetEvent(kTerm, slot == 0 ? 1 : 0, out), 0);
    }

    void justifications_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::newRow("trailing tilde") << QByteArray("Doctor~Court~") << QList<QByteArray>{"Doctor", "Court"};
        QTest::newRow("no tilde") << QByteArray("Doctor") << QList<QByteArray>{"Doctor"};
        QTest::newRow("empty middle") << QByteArray("A~~B") << QList<QByteArray>{"A", "", "B"};
        QTest::newRow("empty") << QByteArray("") << QList<QByteArray>{};
    }
    void justifications()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<QByteArray>, names);
        QVERIFY(InitializeCommWithoutError(1, 9600));
        QVERIFY(W_SendJustifications(Text(kTerm), Text("Old~List~Here")));
        QVERIFY(W_SendJustifications(Text(kTerm), Text(text.constData())));
        QList<QByteArray> got;
        char buf[40];
        for (int32_t i = 0; i < Sim_JustificationCount(kTerm); ++i) {
            QVERIFY(Sim_GetJustification(kTerm, i, buf, sizeof buf));
            got << QByteArray(buf);
        }
        QCOMPARE(got, names);
        QCOMPARE(Sim_GetJustification(kTerm, int32_t(names.size()), buf, sizeof buf), 0);
    }

    void killReturnsToFactory()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        int32_t factory[9], config[9], out[6];
        QVERIFY(Sim_GetConfiguration(kTerm, factory));
        Sim_PassCard(kTerm, 1);
        QVERIFY(W_SendAllPointers(name, 1, 5, -1));
        QVERIFY(W_SendSeconds(name, 77));
        QVERIFY(W_AdjustSeconds(name, 99));
        QVERIFY(W_SendConfigurations(name, 9, 9, 9, 9, 9, 9, 9, 9, 9));
        QVERIFY(W_SendJustifications(name, Text("A~B")));
        QVERIFY(W_SendMessage(name, 1, Text("m"), 0));
        QVERIFY(W_ShowMessage(name, 1, Text("s")));
        QVERIFY(W_InsertEvent(name, 3, 1, 1, 1, 1, 1, 1));
        QVERIFY(W_SendEmployerName(name, 1, Text("n"), 1, 1));

        QCOMPARE(W_Kill(name), 1);
        char buf[8];
        int32_t a, b, c;
        int64_t drift;
        QCOMPARE(Sim_EntryCount(kTerm), 0);
        QVERIFY(W_ReadPointers(name, &a, &b, &c));
        QCOMPARE(QList<int32_t>({a, b, c}), QList<int32_t>({0, 0, 0}));
        QCOMPARE(W_ReadSeconds(name), int32_t(kNow));
        QCOMPARE(Sim_GetAdjustment(kTerm, &a, &drift), 0);
        QVERIFY(Sim_GetConfiguration(kTerm, config));
        QVERIFY(std::equal(config, config + 9, factory));
        QCOMPARE(Sim_JustificationCount(kTerm), 0);
        QCOMPARE(Sim_GetMessage(kTerm, 1, 0, buf, sizeof buf), 0);
        QCOMPARE(Sim_GetShownMessage(kTerm, &a, buf, sizeof buf), 0);
        QCOMPARE(Sim_GetEvent(kTerm, 3, out), 0);
        QCOMPARE(Sim_GetEmployeeName(kTerm, 1, buf, sizeof buf, &a, &b), 0);
        QCOMPARE(Reset_Message(name), 1);
        QCOMPARE(Sim_PassCard(kTerm, 5), 0);
        SimEntry e{};
        QVERIFY(Sim_GetEntry(kTerm, 0, &e));
        QCOMPARE(e.code, 1);
    }

    void failureInjection()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        int32_t a, b, c;
        Sim_FailOperation("W_InsertEntry", 2);
        QCOMPARE(insert(0, 1), 0);
        QCOMPARE(insert(0, 1), 0);
        QCOMPARE(Sim_EntryCount(kTerm), 0);
        QCOMPARE(insert(0, 1), 1);

        Sim_FailOperation("W_ReadPointers", -1);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(W_ReadPointers(name, &a, &b, &c), 0);
        Sim_FailOperation("W_ReadPointers", 0);
        QCOMPARE(W_ReadPointers(name, &a, &b, &c), 1);

        Sim_FailOperation("InitializeCommWithoutError", 1);
        QCOMPARE(InitializeCommWithoutError(1, 4800), 0);
        int32_t open, baud, call, link;
        QVERIFY(Sim_PortState(&open, &baud, &call, &link));
        QCOMPARE(baud, 9600);

        Sim_FailOperation("NoSuchOperation", -1);
        Sim_FailOperation(nullptr, -1);
        QCOMPARE(Sim_CallCount("W_InsertEntry"), 3);
        QCOMPARE(Sim_CallCount("W_ReadPointers"), 4);
        QCOMPARE(Sim_CallCount("NoSuchOperation"), 0);
    }

    void badArgumentsFail()
    {
        QVERIFY(InitializeCommWithoutError(1, 9600));
        Text name(kTerm);
        int32_t v = 0;
        uint8_t u = 0;
        char clock[10];
        Sim_PassCard(kTerm, 1);
        QCOMPARE(Reset_Message(nullptr), 0);
        QCOMPARE(W_ReadSeconds(nullptr), 0);
        QCOMPARE(SetPCName(nullptr), 0);
        QCOMPARE(W_ReadPointers(name, nullptr, &v, &v), 0);
        QCOMPARE(W_SendMessage(name, 1, nullptr, 0), 0);
        QCOMPARE(W_ShowMessage(name, 1, nullptr), 0);
        QCOMPARE(W_SendJustifications(name, nullptr), 0);
        QCOMPARE(W_Kill(Text("NOBODY")), 0);
        QCOMPARE(W_ReceiveEntry(nullptr, &v, &v, &v, &u, &u, &u, &v, &v), 0);
        QCOMPARE(W_ReceiveEntry(clock, &v, &v, &v, &u, &u, &u, &v, nullptr), 0);
        QCOMPARE(W_ReceiveEntry(clock, &v, &v, &v, nullptr, &u, &u, &v, &v), 0);
        QCOMPARE(Sim_EntryCount(nullptr), -1);
        QCOMPARE(Sim_GetEntry(kTerm, 0, nullptr), 0);
        QCOMPARE(Sim_PassCard(nullptr, 1), -1);
        QCOMPARE(Sim_PortState(nullptr, &v, &v, &v), 0);
        QCOMPARE(Sim_SetEntryCapacity(-1), 0);
        Sim_LoadMorning(nullptr);
        // The entry stamped above is still the one pending.
        QCOMPARE(W_ReceiveEntry(clock, &v, &v, &v, &u, &u, &u, &v, &v), 1);
    }

    void morning()
    {
        Sim_SetPcClock(kNow + 5 * 3600);
        Sim_LoadMorning(kTerm);
        const int64_t dayStart = kNow - 10 * 3600;
        QCOMPARE(Sim_EntryCount(kTerm), 36);
        SimEntry e{}, previous{};
        int invalid = 0;
        QList<int32_t> firstLoad;
        for (int32_t i = 0; Sim_GetEntry(kTerm, i, &e); ++i) {
            QVERIFY(e.seconds >= dayStart + 7 * 3600 + 1800);
            QVERIFY(e.seconds < dayStart + 12 * 3600 + 1800);
            QVERIFY(i == 0 || e.seconds >= previous.seconds);
            const bool valid = e.cardCode >= 1001 && e.cardCode <= 1099;
            QVERIFY(valid || e.cardCode == 0 || e.cardCode == 2500 || e.cardCode == 9999);
            invalid += valid ? 0 : 1;
            QCOMPARE(e.orValue, 0);
            previous = e;
            firstLoad << e.seconds << e.cardCode;
        }
        QVERIFY(invalid >= 2);
        Sim_LoadMorning(kTerm);
        QList<int32_t> secondLoad;
        for (int32_t i = 0; Sim_GetEntry(kTerm, i, &e); ++i)
            secondLoad << e.seconds << e.cardCode;
        QCOMPARE(secondLoad, firstLoad);
    }

    void exportsByName()
    {
        static const char *const operations[] = {
            "SetPCName", "SetConfirmationsTimeout", "InitializeCommWithoutError",
            "InitializeCommWithoutOpen", "Reset_Message", "TerminateComm", "IO_Open",
            "IO_Write", "W_SendSeconds", "W_ReadSeconds", "W_AdjustSeconds",
            "W_SendConfigurations", "W_InsertEvent", "W_SendMessage", "W_ShowMessage",
            "W_SendJustifications", "W_InsertEntry", "W_DeleteEntry", "W_ReadPointers",
            "W_SendReaderPointer", "W_SendAllPointers", "W_SendEmployerName",
            "W_ClearEmployerName", "W_Kill", "W_ReceiveEntry"};
        QLibrary full(QStringLiteral(KESTCOM_SIM_PATH));
        QLibrary lacking(QStringLiteral(KESTCOM_LACKING_PATH));
        QVERIFY2(full.load(), qPrintable(full.errorString()));
        QVERIFY2(lacking.load(), qPrintable(lacking.errorString()));
        for (const char *operation : operations) {
            QVERIFY2(full.resolve(operation), operation);
            QCOMPARE(lacking.resolve(operation) != nullptr, std::strcmp(operation, "W_Kill") != 0);
        }
        QVERIFY(!full.resolve("_ZN8terminal6engine11EngineStateEv")); // internals stay hidden
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
