// velmora-capture run as the technician runs it: each command on the
// fixtures, exit statuses, the CSV round trip byte for byte, and a diff of
// a capture against a recapture of its restore through the simulated
// terminal.
#include "../capture/CaptureTestData.h"
#include "TestForm.h"

#include "capture/CaptureCommands.h"
#include "capturetool/Csv.h"
#include "capturetool/SortedEntries.h"
#include "reception/EntryPolling.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QString err;
};

Run Tool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(VELMORA_CAPTURE_TOOL), args);
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
#ifdef Q_OS_WIN
    // Text lines end in CR LF on Windows, as its console has them; csv
    // writes the same bytes everywhere.
    if (args.value(0) != QLatin1String("csv"))
        r.out.replace("\r\n", "\n");
    r.err.replace(QLatin1String("\r\n"), QLatin1String("\n"));
#endif
    return r;
}

QString Fixture(const char *name)
{
    return QStringLiteral(VELMORA_TEST_DATA "/") + QLatin1String(name);
}

// A record slot with any line, padded with blanks to 76 characters.
QByteArray Slot(const QByteArray &text, uint16_t tag = 8, uint16_t length = 78)
{
    QByteArray bytes;
    bytes += char(tag & 0xff);
    bytes += char(tag >> 8);
    bytes += char(length & 0xff);
    bytes += char(length >> 8);
    return bytes + (text + QByteArray(76, ' ')).left(76) + "\r\n";
}

ReceivedEntry NamedEntry(const QByteArray &name, int32_t index)
{
    ReceivedEntry e = TestEntry(index, 976190400 + index, 1001);
    e.clockName = QString::fromLatin1(name); // every test name here is Latin-1 in 1252 too
    return e;
}

// A CSV header as a person might write it, without date or raw.
const QByteArray kFieldsHeader = "terminal,index,seconds,cardCode,aux1,justification,presence,"
                                 "orValue,code\n";

// The CSV lines that csv writes, header first.
QList<QByteArray> CsvLines(const Run &r)
{
    QList<QByteArray> lines = r.out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestCaptureTool : public QObject
{
    Q_OBJECT
private slots:
    void verifyFixtures_data();
    void verifyFixtures();
    void listIsTabSeparatedWhenPiped();
    void roundTrip_data();
    void roundTrip();
    void csvColumns();
    void fromCsvOfQuotedFields();
    void fromCsvNames_data();
    void fromCsvNames();
    void fromCsvRefuses_data();
    void fromCsvRefuses();
    void diffFixtures_data();
    void diffFixtures();
    void sortedEntriesAcrossRuns_data();
    void sortedEntriesAcrossRuns();
    void diffOfRecaptureAfterRestore();
    void commandLine_data();
    void commandLine();

private:
    QTemporaryDir m_dir; // files made by the _data functions
    QString made(const char *name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QLatin1String(name));
        return WriteFile(path, bytes) ? path : QString();
    }
};

void TestCaptureTool::verifyFixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("three records") << Fixture("three-records.raw") << 0
        << QStringList{"records: 3 (246 bytes)", "entries a restore sends: 3, 1 terminal",
                       "terminal \"PONTO_00 \": 3 entries, indices 0 to 2, 0 gaps (0 missing), "
                       "0 duplicate indices",
                       "first stamp: 976190400 (12:00:00 - 07/12/2026 - Monday)",
                       "last stamp: 976190520 (12:02:00 - 07/12/2026 - Monday)",
                       "whole: a restore sends every entry"};
    QTest::newRow("gaps") << Fixture("gaps.raw") << 0
        << QStringList{"  record 3: \"PONTO_00 \" indices 2 to 3 missing",
                       "with Keep Blanks: 2 filler entries inserted for the gaps"};
    QTest::newRow("two terminals") << Fixture("two-terminals.raw") << 0
        << QStringList{"entries a restore sends: 3, 2 terminals",
                       "terminal \"PONTO_01 \": 1 entry, indices 0 to 0, 0 gaps (0 missing), "
                       "0 duplicate indices"};
    QTest::newRow("zero slot with an entry after it") << Fixture("zero-slot.raw") << 1
        << QStringList{"not whole: record 2: it is an empty slot. A restore stops there; after "
                       "it 1 entry and 0 malformed records are not restored."};
    QTest::newRow("bad length") << Fixture("bad-length.raw") << 1
        << QStringList{"entries a restore sends: 1, 1 terminal",
                       "malformed: record 2: its text length is 77, not 78. A restore stops "
                       "there; after it 1 entry and 0 malformed records are not restored."};
    QTest::newRow("short last record") << Fixture("short-last.raw") << 1
        << QStringList{"records: 3 (204 bytes), not a whole number of 82-byte records",
                       "malformed: record 3: it is cut short (40 of 82 bytes). A restore stops "
                       "there."};
    QTest::newRow("missing file") << Fixture("no-such-file.raw") << 2 << QStringList{};
    // A reader pointer set back during a capture delivers entries again.
    QTest::newRow("duplicates") << made("dup.raw", Records({TestEntry(0, 1, 1001), TestEntry(1, 2, 1001),
                                                            TestEntry(0, 3, 1001), TestEntry(1, 4, 1001)}))
        << 0
        << QStringList{"terminal \"PONTO_00 \": 4 entries, indices 0 to 1, 0 gaps (0 missing), "
                       "2 duplicate indices",
                       "  record 3: \"PONTO_00 \" index 0 again (after index 1)",
                       "whole: a restore sends every entry"};
    QTest::newRow("empty slots only at the end")
        << made("tail.raw", Records({TestEntry(0, 1, 1001)}) + QByteArray(164, '\0')) << 0
        << QStringList{"whole: a restore sends every entry and ends at the empty slot 2; only "
                       "empty slots follow it"};
}

void TestCaptureTool::verifyFixtures()
{
    QFETCH(QString, file);
    QFETCH(int, status);
    QFETCH(QStringList, lines);
    const Run r = Tool({QStringLiteral("verify"), file});
    QCOMPARE(r.status, status);
    const QStringList out = QString::fromUtf8(r.out).split(u'\n');
    for (const QString &line : lines)
        QVERIFY2(out.contains(line), qPrintable(QString::fromUtf8(r.out)));
    if (status == 2)
        QVERIFY(r.err.startsWith(QStringLiteral("velmora-capture: ") + file + " cannot be read"));
    // Same reading for list: same status, and the malformed record named.
    const Run list = Tool({QStringLiteral("list"), file});
    QCOMPARE(list.status, status);
}

void TestCaptureTool::listIsTabSeparatedWhenPiped()
{
    const Run r = Tool({QStringLiteral("list"), Fixture("three-records.raw")});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out,
             QByteArray("record\tterminal\tindex\tdate\tseconds\tcardCode\taux1\tjustification\t"
                        "presence\n"
                        "1\tPONTO_00 \t0\t12:00:00 - 07/12/2026 - Monday\t976190400\t1053\t0\t0\t1\n"
                        "2\tPONTO_00 \t1\t12:01:00 - 07/12/2026 - Monday\t976190460\t1007\t65\t2\t0\n"
                        "3\tPONTO_00 \t2\t12:02:00 - 07/12/2026 - Monday\t976190520\t-7\t0\t0\t1\n"));

    const Run bad = Tool({QStringLiteral("list"), Fixture("bad-length.raw")});
    QCOMPARE(bad.status, 1);
    QCOMPARE(CsvLines(bad).size(), 3); // the header and the two good records
    QCOMPARE(bad.err, "velmora-capture: " + Fixture("bad-length.raw")
                          + ": record 2 is malformed: its text length is 77, not 78\n");
}

void TestCaptureTool::roundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<bool>>("raw"); // which rows need the raw column

    QByteArray all;
    QList<bool> none;
    for (int b = 0x80; b <= 0xff; b += 4) {
        QByteArray name;
        for (int i = 0; i < 4; ++i)
            name += char(b + i);
        all += Slot(name + QByteArray("\0Px\x81 ", 5) + ", 1, 976190400, 1053, 0, 0, 1, 0, 1");
        none << false;
    }
    QTest::newRow("names with 0x80 to 0xFF and a zero byte") << all << none;

    QTest::newRow("quote, comma and line breaks in names")
        << Records({NamedEntry("A\"B\r\nC D ", 0), NamedEntry("E,F\nG", 1)})
        << QList<bool>{false, true}; // a comma splits the name: only raw bytes keep it
    QTest::newRow("numbers not as a capture writes them")
        << (Slot("PONTO_00 ,+1, 976190400, 1053, 0, 0, 1, 0, 1")
            + Slot("PONTO_00 , 2, 976190400, 1053, 0, 0, 1, 0, 1 trailing")
            + Slot("PONTO_00 , 3, 976190400, 1053, 0, 0, 1, 0")
            + Slot("PONTO_00 , 4, 976190400, 1053, 0, 0, 1, 0, 1"))
        << QList<bool>{true, true, true, false};
    ReceivedEntry big = TestEntry(-2147483647 - 1, -2147483647 - 1, 2147483647);
    big.aux1 = big.justification = big.presence = 255;
    big.orValue = -2147483647 - 1;
    big.code = -2147483647 - 1; // cut short by the 76 characters
    QTest::newRow("extreme numbers, code cut at 76") << Records({big}) << QList<bool>{false};
    QTest::newRow("name longer than nine")
        << Slot("PONTO_0000000, 1, 976190400, 1053, 0, 0, 1, 0, 1") << QList<bool>{true};
    QTest::newRow("empty slot, bad tag, short last")
        << (Records({TestEntry(0, 976190400, 1053)}) + QByteArray(82, '\0')
            + Slot("PONTO_00 , 1, 2, 3, 0, 0, 1, 0, 1", 7) + Slot("PONTO_00 , 9").left(50))
        << QList<bool>{false, true, true, true};
}

void TestCaptureTool::roundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<bool>, raw);
    QTemporaryDir dir;
    const QString in = dir.filePath("in.raw"), csv = dir.filePath("out.csv"),
                  back = dir.filePath("back.raw");
    QVERIFY(WriteFile(in, file));
    for (bool withDate : {true, false}) {
        QStringList args{"csv", in, "-o", csv};
        if (!withDate)
            args << "--seconds-only";
        const Run c = Tool(args);
        QCOMPARE(c.status, 0);
        const QByteArray text = ReadFile(csv);
        QVERIFY(text.startsWith(withDate ? "record,terminal,index,date,seconds,"
                                         : "record,terminal,index,seconds,"));
        QVERIFY(!text.contains('\0'));
        // A record's raw column, the last one, is empty unless its bytes need it.
        capturetool::CsvRowReader reader;
        QList<bool> rawSeen;
        for (const QByteArray &line : text.split('\n')) {
            if (reader.feed(QString::fromUtf8(line + '\n')))
                rawSeen << !reader.row().last().isEmpty();
        }
        QVERIFY(reader.error().isEmpty());
        QCOMPARE(rawSeen.mid(1, rawSeen.size() - 2), raw); // without header and the end's blank
        const Run f = Tool({"from-csv", csv, "-o", back});
        QVERIFY2(f.status == 0, qPrintable(f.err));
        QCOMPARE(ReadFile(back), file);
    }
}

void TestCaptureTool::csvColumns()
{
    const Run r = Tool({"csv", Fixture("three-records.raw")});
    QCOMPARE(r.status, 0);
    QCOMPARE(CsvLines(r),
             (QList<QByteArray>{
                 "record,terminal,index,date,seconds,cardCode,aux1,justification,presence,"
                 "orValue,code,raw\r",
                 "1,\"PONTO_00 \",0,2026-12-07T12:00:00,976190400,1053,0,0,1,0,1,\r",
                 "2,\"PONTO_00 \",1,2026-12-07T12:01:00,976190460,1007,65,2,0,0,2,\r",
                 "3,\"PONTO_00 \",2,2026-12-07T12:02:00,976190520,-7,0,0,1,0,3,\r"}));

    // A zero byte stands as U+2400 in the text, not as a zero.
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("z.raw"), Records({NamedEntry(QByteArray("PONTO_00\0", 9), 0)})));
    const Run z = Tool({"csv", dir.filePath("z.raw"), "--seconds-only"});
    QVERIFY2(z.status == 0, qPrintable(z.err));
    QCOMPARE(CsvLines(z).value(1), QByteArray("1,PONTO_00\xe2\x90\x80,0,976190400,1001,0,0,1,0,1,\r"));
}

void TestCaptureTool::fromCsvOfQuotedFields()
{
    // Written by hand, as a spreadsheet might: columns in another order, LF
    // line ends, a quoted name with a doubled quote and a line break, a
    // quoted number, a blank line at the end, no record or raw column.
    QTemporaryDir dir;
    const QString csv = dir.filePath("hand.csv"), out = dir.filePath("out.raw");
    QVERIFY(WriteFile(csv, "seconds,terminal,index,cardCode,aux1,justification,presence,orValue,code\n"
                           "976190400,\"Q\"\"1\n\xc3\xa9\",0,\"1053\",65,2,1,0,7\n"
                           "-5,PONTO_00 ,1,-7,0,0,0,1,8\n\n"));
    const Run r = Tool({"from-csv", csv, "-o", out});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    ReceivedEntry a = TestEntry(0, 976190400, 1053, QString::fromUtf8("Q\"1\n\xc3\xa9"));
    a.aux1 = 65;
    a.justification = 2;
    a.code = 7;
    ReceivedEntry b = TestEntry(1, -5, -7);
    b.presence = 0;
    b.orValue = 1;
    b.code = 8;
    QCOMPARE(ReadFile(out), Records({a, b}));
}

// Typed names become the bytes a capture writes for them: Windows-1252 here
// (the PC's ANSI code page on Windows, Windows-1252 under Wine).
void TestCaptureTool::fromCsvNames_data()
{
    QTest::addColumn<QByteArray>("name"); // UTF-8, as in the CSV
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("letters of the code page after ASCII")
        << QByteArray("PONTO_\xc3\x89\xe2\x82\xac") << QByteArray("PONTO_\xc9\x80");
    QTest::newRow("question marks beside them") << QByteArray("?\xc3\xa7?") << QByteArray("?\xe7?");
}

void TestCaptureTool::fromCsvNames()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString csv = dir.filePath("in.csv"), out = dir.filePath("out.raw");
    QVERIFY(WriteFile(csv, kFieldsHeader + name + ",0,976190400,1053,0,0,1,0,1\n"));
    const Run r = Tool({"from-csv", csv, "-o", out});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(ReadFile(out), Slot(bytes + ", 0, 976190400, 1053, 0, 0, 1, 0, 1"));
}

void TestCaptureTool::fromCsvRefuses_data()
{
    QTest::addColumn<QByteArray>("rows"); // after a header without date or raw
    QTest::addColumn<QString>("message");

    const QByteArray ok = "PONTO_00 ,0,976190400,1053,0,0,1,0,1\n";
    QTest::newRow("aux1 out of range") << ok + "PONTO_00 ,1,976190400,1053,256,0,1,0,1\n"
        << "line 3: its aux1 256 is outside the range 0 to 255";
    QTest::newRow("index past 32 bits") << QByteArray("PONTO_00 ,2147483648,976190400,1053,0,0,1,0,1\n")
        << "line 2: its index 2147483648 is outside the range -2147483648 to 2147483647";
    QTest::newRow("not a whole number") << QByteArray("PONTO_00 ,1.5,976190400,1053,0,0,1,0,1\n")
        << "line 2: its index \"1.5\" is not a whole number";
    QTest::newRow("name does not fit") << ok + ok + "PONTO_0001,0,976190400,1053,0,0,1,0,1\n"
        << "line 4: its terminal name \"PONTO_0001\" does not fit: 10 characters, at most 9";
    QTest::newRow("outside Windows-1252") << QByteArray("PONTO_\xce\xa9,0,976190400,1053,0,0,1,0,1\n")
        << "line 2: its terminal name \"PONTO_\u03a9\" holds the character \u03a9 (U+03A9), "
           "which Windows-1252 cannot hold";
    QTest::newRow("comma in a name") << QByteArray("\"A,B\",0,976190400,1053,0,0,1,0,1\n")
        << "line 2: its terminal name \"A,B\" holds a comma";
    QTest::newRow("orValue and code too long")
        << QByteArray("PONTO_00 ,-2147483648,-2147483648,-2147483648,255,255,255,-2147483648,-2147483648\n")
        << "line 2: its orValue -2147483648 and code -2147483648 do not both fit";
    QTest::newRow("field count") << ok + "PONTO_00 ,1,976190400\n"
        << "line 3: it has 3 fields, the header 9";
    QTest::newRow("quote never closed, line of the row") << ok + "\"PONTO,0,1\n2,3\n"
        << "line 3: a quoted field is not closed before the end of the file";
    QTest::newRow("not UTF-8") << QByteArray("PONTO_\xe9,0,976190400,1053,0,0,1,0,1\n")
        << "line 2: it is not UTF-8 text";
}

void TestCaptureTool::fromCsvRefuses()
{
    QFETCH(QByteArray, rows);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString csv = dir.filePath("in.csv"), out = dir.filePath("out.raw");
    QVERIFY(WriteFile(csv, kFieldsHeader + rows));
    QVERIFY(WriteFile(out, "earlier"));
    const Run r = Tool({"from-csv", csv, "-o", out});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith("velmora-capture: " + csv + ": " + message), qPrintable(r.err));
    QVERIFY(r.err.endsWith(". Nothing was written.\n"));
    QCOMPARE(r.err.count(u'\n'), 1);
    QCOMPARE(ReadFile(out), QByteArray("earlier")); // an earlier file is left as it was
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestCaptureTool::diffFixtures_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("err");

    const QByteArray header = "difference\tterminal\tindex\tfield\tA\tB\n";
    QTest::newRow("same file") << Fixture("three-records.raw") << Fixture("three-records.raw")
                               << QStringList{} << 0 << QByteArray()
                               << "velmora-capture: 3 alike, 0 differ, 0 only in A, 0 only in B\n";
    QTest::newRow("gaps against three records")
        << Fixture("three-records.raw") << Fixture("gaps.raw") << QStringList{} << 1
        << header + "differs\tPONTO_00 \t0\tcardCode\t1053\t1001\n"
                    "differs\tPONTO_00 \t0\tcode\t1\t0\n"
                    "differs\tPONTO_00 \t1\tcardCode\t1007\t1002\n"
                    "differs\tPONTO_00 \t1\taux1\t65\t0\n"
                    "differs\tPONTO_00 \t1\tjustification\t2\t0\n"
                    "differs\tPONTO_00 \t1\tpresence\t0\t1\n"
                    "differs\tPONTO_00 \t1\tcode\t2\t0\n"
                    "only in A\tPONTO_00 \t2\t\trecord 3\t\n"
                    "only in B\tPONTO_00 \t4\t\t\trecord 3\n"
        << "velmora-capture: 0 alike, 2 differ, 1 only in A, 1 only in B\n";
    QTest::newRow("ignored fields")
        << Fixture("gaps.raw") << Fixture("two-terminals.raw")
        << QStringList{"--ignore", "seconds", "--ignore", "cardCode,presence"} << 1
        << header + "only in A\tPONTO_00 \t4\t\trecord 3\t\n"
                    "only in B\tPONTO_01 \t0\t\t\trecord 2\n"
        << "velmora-capture: 2 alike, 0 differ, 1 only in A, 1 only in B\n";
    QTest::newRow("malformed record stops it")
        << Fixture("three-records.raw") << Fixture("bad-length.raw") << QStringList{} << 2
        << QByteArray()
        << "velmora-capture: " + Fixture("bad-length.raw")
               + ": record 2 is malformed: its text length is 77, not 78\n";
    // Delivered again: the later record of an index stands.
    const QString rising = made("rising.raw", Records({TestEntry(0, 1, 1001), TestEntry(1, 2, 1002),
                                                       TestEntry(2, 3, 1003)}));
    const QString again = made("again.raw", Records({TestEntry(0, 1, 1001), TestEntry(1, 2, 1009),
                                                     TestEntry(2, 3, 1003), TestEntry(1, 2, 1002)}));
    const QString twice = made("twice.raw", Records({TestEntry(0, 1, 1001), TestEntry(1, 2, 1002),
                                                     TestEntry(0, 1, 1007)}));
    QTest::newRow("falling in A") << again << rising << QStringList{} << 0 << QByteArray()
        << "velmora-capture: 3 alike, 0 differ, 0 only in A, 0 only in B\n";
    QTest::newRow("falling in B") << rising << twice << QStringList{} << 1
        << header + "differs\tPONTO_00 \t0\tcardCode\t1001\t1007\n"
                    "only in A\tPONTO_00 \t2\t\trecord 3\t\n"
        << "velmora-capture: 1 alike, 1 differ, 1 only in A, 0 only in B\n";
    QTest::newRow("falling in both") << again << twice << QStringList{} << 1
        << header + "differs\tPONTO_00 \t0\tcardCode\t1001\t1007\n"
                    "only in A\tPONTO_00 \t2\t\trecord 3\t\n"
        << "velmora-capture: 1 alike, 1 differ, 1 only in A, 0 only in B\n";
    const QString terminals = made("terminals.raw", Records({NamedEntry("B", 5), NamedEntry("A", 1),
                                                             NamedEntry("B", 2), NamedEntry("A", 0),
                                                             NamedEntry("A", 1)}));
    const QString inOrder = made("in-order.raw", Records({NamedEntry("A", 0), NamedEntry("A", 1),
                                                          NamedEntry("B", 2), NamedEntry("C", 0)}));
    QTest::newRow("several terminals") << terminals << inOrder << QStringList{} << 1
        << header + "only in A\tB\t5\t\trecord 1\t\n"
                    "only in B\tC\t0\t\t\trecord 4\n"
        << "velmora-capture: 3 alike, 0 differ, 1 only in A, 1 only in B\n";
}

// Sorted in runs as small as one entry, merged two and three at a time:
// each terminal's entries in rising order, the later record of an index
// standing, whatever the runs' boundaries.
void TestCaptureTool::sortedEntriesAcrossRuns_data()
{
    QTest::addColumn<int>("runEntries");
    QTest::addColumn<int>("mergeWays");
    for (int run : {1, 2, 3, 1000}) {
        for (int ways : {2, 3})
            QTest::addRow("runs of %d, %d-way merges", run, ways) << run << ways;
    }
}

void TestCaptureTool::sortedEntriesAcrossRuns()
{
    QFETCH(int, runEntries);
    QFETCH(int, mergeWays);
    // Two terminals delivered again from the start, one in part.
    const QList<QPair<QByteArray, int32_t>> order{{"B", 0}, {"A", 0}, {"A", 1}, {"B", 1},
                                                  {"A", 2}, {"A", 0}, {"B", 0}, {"A", 1},
                                                  {"A", 2}, {"A", 3}, {"B", 1}, {"A", 1}};
    QByteArray bytes;
    QMap<QPair<QString, int32_t>, qint64> standing; // the grid: the last record of each index
    for (qsizetype i = 0; i < order.size(); ++i) {
        bytes += capture::CaptureRecord(NamedEntry(order[i].first, order[i].second));
        standing[{QString::fromLatin1(order[i].first), order[i].second}] = i + 1;
    }
    const QString file = m_dir.filePath(QStringLiteral("runs.raw"));
    QVERIFY(WriteFile(file, bytes));

    capturetool::SortedEntries sorted;
    QVERIFY(sorted.build(file, {"A", "B", "C"}, {runEntries, mergeWays}));
    QMap<QPair<QString, int32_t>, qint64> read;
    for (const QString terminal : {"A", "B", "C"}) {
        capturetool::SortedEntries::Cursor cursor = sorted.entriesOf(terminal);
        capturetool::DiffEntry e;
        std::optional<int32_t> last;
        while (cursor.next(e) == capturetool::EntryReader::Step::Entry) {
            QCOMPARE(e.terminal, terminal);
            QVERIFY(!last || e.index > *last);
            last = e.index;
            read[{e.terminal, e.index}] = e.record;
        }
        QVERIFY(cursor.error().isEmpty());
    }
    QCOMPARE(read, standing);
}

void TestCaptureTool::diffFixtures()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    const Run r = Tool(QStringList{"diff", a, b} + options);
    QCOMPARE(r.status, status);
    QCOMPARE(r.out, out);
    QCOMPARE(r.err, err);
}

void TestCaptureTool::diffOfRecaptureAfterRestore()
{
    QTemporaryDir dir;
    const QString first = dir.filePath("first.raw"), second = dir.filePath("second.raw");
    SimForm s;
    const auto openLink = [&] {
        QCOMPARE(s.ctx().lib.InitializeCommWithoutError(1, 19200), 1);
        s.ctx().buttons.setLinkCommandsEnabled(true);
    };
    const auto captureInto = [&](const QString &file) {
        s.c().Text23->setText(file);
        capture::Capture(s.ctx());
        reception::Timer1Tick(s.ctx());
        capture::CloseCaptureFile(s.ctx());
    };
    openLink();
    Sim_SetPcClock(976190400);
    for (int i = 0; i < 3; ++i) {
        Sim_PassCard("PONTO_00", 1001 + i);
        Sim_AdvancePcClock(60);
    }
    QString name = s.state().TerminalName;
    s.ctx().lib.W_InsertEntry(name, 3, -1, 2147483647, 255, 255, 255);
    captureInto(first);
    QCOMPARE(QFileInfo(first).size(), 4 * 82);

    Sim_Reset();
    openLink();
    s.c().Text24->setText(first);
    capture::Restore(s.ctx());
    openLink();
    captureInto(second);
    QVERIFY(s.messages().texts.isEmpty());

    // The restore inserts every entry: only the stamped ones change origin.
    const Run r = Tool({"diff", first, second});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QByteArray("difference\tterminal\tindex\tfield\tA\tB\n"
                               "differs\tPONTO_00 \t0\torValue\t0\t1\n"
                               "differs\tPONTO_00 \t1\torValue\t0\t1\n"
                               "differs\tPONTO_00 \t2\torValue\t0\t1\n"));
    QCOMPARE(r.err, QStringLiteral("velmora-capture: 1 alike, 3 differ, 0 only in A, 0 only in B\n"));
    const Run same = Tool({"diff", first, second, "--ignore", "origin"});
    QCOMPARE(same.status, 0);
    QCOMPARE(same.out, QByteArray());
}

void TestCaptureTool::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("version") << QStringList{"--version"} << 0 << "velmora-capture 1.0\n" << "";
    QTest::newRow("tool help") << QStringList{"--help"} << 0 << "from-csv IN.csv" << "";
    QTest::newRow("command help") << QStringList{"diff", "--help"} << 0 << "--ignore <FIELD>" << "";
    QTest::newRow("no command") << QStringList{} << 2 << "" << "velmora-capture: no command given\n";
    QTest::newRow("unknown command") << QStringList{"show", "x"} << 2 << ""
                                     << "velmora-capture: unknown command \"show\"\n";
    QTest::newRow("unknown option") << QStringList{"list", "--wide", "x"} << 2 << ""
                                    << "velmora-capture: Unknown option 'wide'.\n";
    QTest::newRow("from-csv without -o") << QStringList{"from-csv", "x.csv"} << 2 << ""
                                         << "velmora-capture: from-csv needs -o OUT\n";
    QTest::newRow("unknown field") << QStringList{"diff", "a", "b", "--ignore", "colour"} << 2 << ""
                                   << "velmora-capture: diff cannot ignore \"colour\"";
    QTest::newRow("folder") << QStringList{"verify", VELMORA_TEST_DATA} << 2 << ""
                            << "velmora-capture: " VELMORA_TEST_DATA " cannot be read: it is a folder\n";
    QTest::newRow("output cannot be written")
        << QStringList{"csv", Fixture("gaps.raw"), "-o", VELMORA_TEST_DATA "/no/such/dir/x.csv"} << 2
        << "" << "velmora-capture: " VELMORA_TEST_DATA "/no/such/dir/x.csv cannot be written";
}

void TestCaptureTool::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Run r = Tool(args);
    QCOMPARE(r.status, status);
    QVERIFY2(QString::fromUtf8(r.out).contains(out), r.out.constData());
    QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.startsWith(err), qPrintable(r.err));
    // One line of ours, never a stack of Qt's diagnostics.
    QVERIFY(r.err.count(u'\n') <= 2);
    QVERIFY(!r.err.contains(u"QFile"));
}

QTEST_MAIN(TestCaptureTool)
#include "tst_capturetool.moc"
