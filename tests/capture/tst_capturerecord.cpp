// The capture record byte by byte, the parsing of capture lines and records,
// and the per-record decisions of a restore.
#include "capture/CaptureFile.h"
#include "capture/CaptureRecord.h"
#include "capture/RestorePlan.h"

#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(ReceivedEntry)

using namespace capture;

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

ReceivedEntry Entry(const QString &name, int32_t index, int32_t seconds, int32_t cardCode,
                    uint8_t aux1, uint8_t justification, uint8_t presence, int32_t orValue,
                    int32_t code)
{
    ReceivedEntry e;
    e.clockName = name;
    e.index = index;
    e.seconds = seconds;
    e.cardCode = cardCode;
    e.aux1 = aux1;
    e.justification = justification;
    e.presence = presence;
    e.orValue = orValue;
    e.code = code;
    return e;
}

QByteArray Padded(QByteArray text)
{
    text.append(76 - text.size(), ' ');
    return text + "\r\n";
}

// A record slot with the given header and a line padded to 78 bytes.
QByteArray Slot(uint16_t tag, uint16_t length, const QByteArray &text)
{
    QByteArray bytes;
    bytes += char(tag & 0xff);
    bytes += char(tag >> 8);
    bytes += char(length & 0xff);
    bytes += char(length >> 8);
    return bytes + Padded(text);
}

} // namespace

class TestCaptureRecord : public QObject
{
    Q_OBJECT
private slots:
    void line_data();
    void line();
    void recordHeader();
    void roundTrip_data();
    void roundTrip();
    void parsedLine_data();
    void parsedLine();
    void emptySlot_data();
    void emptySlot();
    void badRecord_data();
    void badRecord();
    void plan_data();
    void plan();
    void windowsDeviceNames_data();
    void windowsDeviceNames();
    void windowsLongPaths_data();
    void windowsLongPaths();
};

void TestCaptureRecord::line_data()
{
    QTest::addColumn<ReceivedEntry>("entry");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray example = QByteArray("PONTO_00 ", 9) + ", 3, 654321, 1053, 1, 0, 1, 0, 0";
    QTest::newRow("example: 41 characters, 35 blanks")
        << Entry(QStringLiteral("PONTO_00 "), 3, 654321, 1053, 1, 0, 1, 0, 0)
        << example + QByteArray(35, ' ') + "\r\n";
    QTest::newRow("zero bytes of the name kept")
        << Entry(QString::fromLatin1("PONTO_1\0\0", 9), 0, 5, 7, 0, 0, 0, 0, 0)
        << Padded(QByteArray("PONTO_1\0\0", 9) + ", 0, 5, 7, 0, 0, 0, 0, 0");
    QTest::newRow("negative card code and seconds")
        << Entry(QStringLiteral("PONTO_00 "), 12, -1, -7, 0, 0, 0, -3, 9)
        << Padded("PONTO_00 , 12,-1,-7, 0, 0, 0,-3, 9");
    QTest::newRow("bytes as numbers, not characters")
        << Entry(QStringLiteral("PONTO_00 "), 1, 2, 3, 65, 255, 10, 0, 0)
        << Padded("PONTO_00 , 1, 2, 3, 65, 255, 10, 0, 0");
    QTest::newRow("windows-1252 name")
        << Entry(QString::fromUtf8("PONTO_Ç€ "), 0, 0, 0, 0, 0, 0, 0, 0)
        << Padded("PONTO_\xC7\x80 , 0, 0, 0, 0, 0, 0, 0, 0");
    // 84 characters: the last eight are cut, the seven read fields survive.
    QTest::newRow("cut after 76 characters")
        << Entry(QStringLiteral("PONTO_00 "), kMin, kMin, kMin, 255, 255, 255, kMin, kMin)
        << QByteArray("PONTO_00 ,-2147483648,-2147483648,-2147483648, 255, 255, 255,-2147483648,"
                      "-21\r\n");
}

void TestCaptureRecord::line()
{
    QFETCH(ReceivedEntry, entry);
    QFETCH(QByteArray, expected);
    QCOMPARE(expected.size(), 78);
    QCOMPARE(CaptureLine(entry), expected);
}

void TestCaptureRecord::recordHeader()
{
    const QByteArray record = CaptureRecord(Entry(QStringLiteral("PONTO_00 "), 3, 654321, 1053,
                                                  1, 0, 1, 0, 0));
    QCOMPARE(record.size(), 82);
    QCOMPARE(record.left(4), QByteArray("\x08\x00\x4E\x00", 4));
    QCOMPARE(record.mid(4), CaptureLine(Entry(QStringLiteral("PONTO_00 "), 3, 654321, 1053, 1, 0,
                                              1, 0, 0)));
}

void TestCaptureRecord::roundTrip_data()
{
    QTest::addColumn<ReceivedEntry>("entry");
    QTest::newRow("example") << Entry(QStringLiteral("PONTO_00 "), 3, 654321, 1053, 1, 0, 1, 0, 0);
    QTest::newRow("card -7") << Entry(QStringLiteral("PONTO_00 "), 0, 976190400, -7, 0, 0, 0, 0, 1);
    QTest::newRow("smallest") << Entry(QStringLiteral("PONTO_99 "), kMin, kMin, kMin, 0, 0, 0,
                                       kMin, kMin);
    QTest::newRow("largest") << Entry(QStringLiteral("PONTO_99 "), kMax, kMax, kMax, 255, 255, 255,
                                      kMax, kMax);
    QTest::newRow("zero bytes in name")
        << Entry(QString::fromLatin1("AB\0\0\0\0\0\0\0", 9), 2, 3, 4, 5, 6, 7, 8, 9);
}

void TestCaptureRecord::roundTrip()
{
    QFETCH(ReceivedEntry, entry);
    const ParsedRecord parsed = ParseCaptureRecord(CaptureRecord(entry));
    QCOMPARE(int(parsed.kind), int(RecordKind::Entry));
    const CaptureFields expected{entry.clockName, entry.index,  entry.seconds,
                                 entry.cardCode,  entry.aux1,   entry.justification,
                                 entry.presence};
    QCOMPARE(parsed.fields.terminalName, expected.terminalName);
    QVERIFY(parsed.fields == expected);
}

void TestCaptureRecord::parsedLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("name kept with its blanks")
        << QStringLiteral(" PONTO 1 , 1, 2, 3, 4, 5, 6,") << QStringLiteral(" PONTO 1 ")
        << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("empty name") << QStringLiteral(",1,2,3,4,5,6,") << QString()
                                << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("half to even down") << QStringLiteral("N,2.5,0.5,-2.5,1.5,3.5,0,")
                                       << QStringLiteral("N") << QList<int>{2, 0, -2, 2, 4, 0};
    QTest::newRow("leading number only") << QStringLiteral("N,7 apples,12abc, -3x,,x,4 5,")
                                         << QStringLiteral("N") << QList<int>{7, 12, -3, 0, 0, 45};
    QTest::newRow("exponent") << QStringLiteral("N,1e3,-2E2,0,0,0,0,") << QStringLiteral("N")
                              << QList<int>{1000, -200, 0, 0, 0, 0};
    QTest::newRow("extremes") << QStringLiteral("N,-2147483648,2147483647,0,255,0,255,")
                              << QStringLiteral("N") << QList<int>{kMin, kMax, 0, 255, 0, 255};
    QTest::newRow("eighth and ninth fields ignored")
        << QStringLiteral("N,1,2,3,4,5,6,garbage,99999999999999   ") << QStringLiteral("N")
        << QList<int>{1, 2, 3, 4, 5, 6};
}

void TestCaptureRecord::parsedLine()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(QList<int>, numbers);
    const ParsedLine parsed = ParseCaptureLine(line);
    QVERIFY2(parsed.ok, qPrintable(parsed.problem));
    QCOMPARE(parsed.fields.terminalName, name);
    const QList<int> got{parsed.fields.index, parsed.fields.seconds, parsed.fields.cardCode,
                         parsed.fields.aux1,  parsed.fields.justification, parsed.fields.presence};
    QCOMPARE(got, numbers);
}

void TestCaptureRecord::emptySlot_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::newRow("zero-filled") << QByteArray(82, '\0');
    QTest::newRow("tag 0, text behind it") << Slot(0, 78, "PONTO_00 , 1, 2, 3, 4, 5, 6, 0, 0");
    QTest::newRow("tag 8, empty text") << Slot(8, 0, "PONTO_00 , 1, 2, 3, 4, 5, 6, 0, 0");
}

void TestCaptureRecord::emptySlot()
{
    QFETCH(QByteArray, slot);
    QCOMPARE(int(ParseCaptureRecord(slot).kind), int(RecordKind::Empty));
}

void TestCaptureRecord::badRecord_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("problem");

    QTest::newRow("six commas") << Slot(8, 78, "PONTO_00 , 1, 2, 3, 4, 5, 6")
                                << QStringLiteral("its line has fewer than seven commas");
    QTest::newRow("no commas") << Slot(8, 78, "hello")
                               << QStringLiteral("its line has fewer than seven commas");
    QTest::newRow("index too large")
        << Slot(8, 78, "N, 2147483648, 2, 3, 4, 5, 6, 0, 0")
        << QStringLiteral("its Index field \"2147483648\" is outside the range -2147483648 to "
                          "2147483647");
    QTest::newRow("seconds too small")
        << Slot(8, 78, "N, 1,-2147483649, 3, 4, 5, 6, 0, 0")
        << QStringLiteral("its Seconds field \"-2147483649\" is outside the range -2147483648 to "
                          "2147483647");
    QTest::newRow("card code rounds out of range")
        << Slot(8, 78, "N, 1, 2, 2147483647.5, 4, 5, 6, 0, 0")
        << QStringLiteral("its Card code field \"2147483647.5\" is outside the range "
                          "-2147483648 to 2147483647");
    QTest::newRow("huge exponent") << Slot(8, 78, "N, 1, 2, 1e999, 4, 5, 6, 0, 0")
                                   << QStringLiteral("its Card code field \"1e999\" is outside the "
                                                     "range -2147483648 to 2147483647");
    QTest::newRow("aux1 256") << Slot(8, 78, "N, 1, 2, 3, 256, 5, 6, 0, 0")
                              << QStringLiteral("its Aux1 field \"256\" is outside the range 0 to "
                                                "255");
    QTest::newRow("justification negative")
        << Slot(8, 78, "N, 1, 2, 3, 4,-1, 6, 0, 0")
        << QStringLiteral("its Justification field \"-1\" is outside the range 0 to 255");
    QTest::newRow("presence 300") << Slot(8, 78, "N, 1, 2, 3, 4, 5, 300, 0, 0")
                                  << QStringLiteral("its Presence field \"300\" is outside the "
                                                    "range 0 to 255");
    QTest::newRow("type tag 5") << Slot(5, 78, "N, 1, 2, 3, 4, 5, 6, 0, 0")
                                << QStringLiteral("its type tag is 5, not 8");
    QTest::newRow("type tag 0x0800") << Slot(0x0800, 78, "N, 1, 2, 3, 4, 5, 6, 0, 0")
                                     << QStringLiteral("its type tag is 2048, not 8");
    QTest::newRow("length 77") << Slot(8, 77, "N, 1, 2, 3, 4, 5, 6, 0, 0")
                               << QStringLiteral("its text length is 77, not 78");
    QTest::newRow("length 0x4E00") << Slot(8, 0x4E00, "N, 1, 2, 3, 4, 5, 6, 0, 0")
                                   << QStringLiteral("its text length is 19968, not 78");
    QTest::newRow("cut short at 81")
        << Slot(8, 78, "N, 1, 2, 3, 4, 5, 6, 0, 0").left(81)
        << QStringLiteral("it is cut short (81 of 82 bytes)");
    QTest::newRow("one byte") << QByteArray(1, '\0')
                              << QStringLiteral("it is cut short (1 of 82 bytes)");
}

void TestCaptureRecord::badRecord()
{
    QFETCH(QByteArray, slot);
    QFETCH(QString, problem);
    const ParsedRecord parsed = ParseCaptureRecord(slot);
    QCOMPARE(int(parsed.kind), int(RecordKind::Bad));
    QCOMPARE(parsed.problem, problem);
}

void TestCaptureRecord::plan_data()
{
    QTest::addColumn<qint64>("sent");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("keepBlanks");
    QTest::addColumn<qint64>("fillers");
    QTest::addColumn<int>("refusal");

    const int none = int(Refusal::None);
    QTest::newRow("no gap") << qint64(2) << 2 << 100 << true << qint64(0) << none;
    QTest::newRow("gap of two") << qint64(2) << 4 << 100 << true << qint64(2) << none;
    QTest::newRow("gap, blanks not kept") << qint64(2) << 4 << 100 << false << qint64(0) << none;
    QTest::newRow("index behind") << qint64(5) << 1 << 100 << true << qint64(0) << none;
    QTest::newRow("negative index") << qint64(0) << -5 << 100 << true << qint64(0) << none;
    QTest::newRow("smallest stamp, no gap") << qint64(3) << 3 << kMin << true << qint64(0) << none;
    QTest::newRow("smallest stamp, gap")
        << qint64(0) << 3 << kMin << true << qint64(0) << int(Refusal::NoSecondBeforeStamp);
    QTest::newRow("smallest stamp, blanks not kept")
        << qint64(0) << 3 << kMin << false << qint64(0) << none;
    QTest::newRow("gap up to the limit") << qint64(11999999) << kHighestFilledIndex << 1 << true
                                         << qint64(1) << none;
    QTest::newRow("gap past the limit")
        << qint64(0) << 2000000000 << 1 << true << qint64(0) << int(Refusal::GapBeyondLimit);
    QTest::newRow("far index, blanks not kept")
        << qint64(0) << 2000000000 << 1 << false << qint64(0) << none;
    QTest::newRow("last index") << qint64(kMax) << 0 << 1 << false << qint64(0) << none;
    QTest::newRow("indices used up")
        << qint64(kMax) + 1 << 0 << 1 << false << qint64(0) << int(Refusal::SentCountFull);
}

void TestCaptureRecord::plan()
{
    QFETCH(qint64, sent);
    QFETCH(int, index);
    QFETCH(int, seconds);
    QFETCH(bool, keepBlanks);
    QFETCH(qint64, fillers);
    QFETCH(int, refusal);
    CaptureFields f;
    f.index = index;
    f.seconds = seconds;
    const RecordPlan p = PlanRecord(sent, f, keepBlanks);
    QCOMPARE(int(p.refusal), refusal);
    QCOMPARE(p.fillers, fillers);
}

void TestCaptureRecord::windowsDeviceNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // empty: may be a file

    const QString device = QStringLiteral("a character device");
    QTest::newRow("NUL") << "NUL" << device;
    QTest::newRow("nul, lower case") << "nul" << device;
    QTest::newRow("CON with an extension") << "CON.RAW" << device;
    QTest::newRow("COM1 in a folder") << "C:\\CLOCKS\\COM1.RAW" << device;
    QTest::newRow("AUX with forward slashes") << "C:/data/aux.txt" << device;
    QTest::newRow("LPT9, trailing blank and dot") << "lpt9 ." << device;
    QTest::newRow("COM with a superscript one") << QStringLiteral("COM\u00B9") << device;
    QTest::newRow("drive then NUL") << "C:NUL" << device;
    QTest::newRow("CONOUT$") << "CONOUT$" << device;
    QTest::newRow("device path") << "\\\\.\\PhysicalDrive0" << device;
    QTest::newRow("device path with slashes") << "//./COM3" << device;
    QTest::newRow("named pipe") << "\\\\.\\pipe\\clock" << "a FIFO";
    QTest::newRow("global root") << "\\\\?\\GLOBALROOT\\Device\\Null" << device;

    QTest::newRow("the default capture name") << "C:\\CLOCK12-09-2026.RAW" << "";
    QTest::newRow("the default restore name") << "C:\\CLOCKDATA.RAW" << "";
    QTest::newRow("a name that begins like a device") << "CONSOLE.RAW" << "";
    QTest::newRow("COM10 is a file") << "COM10" << "";
    QTest::newRow("a folder named NUL's neighbour") << "C:\\NULL\\x.raw" << "";
    QTest::newRow("a Linux path") << "/home/tech/Documents/CLOCKDATA.RAW" << "";
}

void TestCaptureRecord::windowsDeviceNames()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QCOMPARE(WindowsDeviceKind(name), kind);
}

void TestCaptureRecord::windowsLongPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");

    const QString deep = QString(250, u'd');
    QTest::newRow("short, as it is") << "C:/CLOCKS/CLOCKDATA.RAW " << "C:\\CLOCKS\\CLOCKDATA.RAW ";
    QTest::newRow("259 characters, as it is") << "C:\\" + QString(256, u'x') << "C:\\" + QString(256, u'x');
    QTest::newRow("260 on a drive") << "C:\\" + QString(257, u'x') << "\\\\?\\C:\\" + QString(257, u'x');
    QTest::newRow("on a share") << "//pc/share/" + deep + "/c.raw"
                                << "\\\\?\\UNC\\pc\\share\\" + deep + "\\c.raw";
    QTest::newRow("blanks and dots at the end dropped, as Windows does")
        << "C:\\" + deep + "\\c.raw . " << "\\\\?\\C:\\" + deep + "\\c.raw";
    QTest::newRow("already prefixed") << "\\\\?\\C:\\" + deep + "\\c.raw" << "\\\\?\\C:\\" + deep + "\\c.raw";
}

void TestCaptureRecord::windowsLongPaths()
{
    QFETCH(QString, path);
    QTEST(WindowsLongPath(path), "name");
}

QTEST_GUILESS_MAIN(TestCaptureRecord)
#include "tst_capturerecord.moc"
