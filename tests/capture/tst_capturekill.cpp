// A capture whose process is killed outright keeps every record it wrote.
#include "CaptureTestData.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCaptureKill : public QObject
{
    Q_OBJECT
private slots:
    void killedCaptureKeepsItsRecords_data();
    void killedCaptureKeepsItsRecords();
};

void TestCaptureKill::killedCaptureKeepsItsRecords_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one") << 1;
    QTest::newRow("a hundred") << 100;
    QTest::newRow("ten thousand") << 10000;
}

void TestCaptureKill::killedCaptureKeepsItsRecords()
{
    QFETCH(int, count);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("killed.raw"));
    QProcess writer;
    writer.start(QStringLiteral(CAPTURE_WRITER), {file, QString::number(count)});
    QVERIFY(writer.waitForStarted());
    QByteArray said;
    while (!said.contains('\n') && writer.waitForReadyRead(30000))
        said += writer.readAllStandardOutput();
    QCOMPARE(said.trimmed(), QByteArray("ready")); // "\r\n" on Windows
    writer.kill(); // SIGKILL: nothing of the process runs after this
    QVERIFY(writer.waitForFinished());
    QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

    const QByteArray bytes = ReadFile(file);
    QCOMPARE(bytes.size(), qsizetype(count) * capture::kRecordSize);
    for (int i = 0; i < count; ++i) {
        const QByteArray expected
            = capture::CaptureRecord(TestEntry(i, 976190400 + i, 1000 + i % 1000));
        QCOMPARE(bytes.mid(qsizetype(i) * capture::kRecordSize, capture::kRecordSize), expected);
    }
}

QTEST_GUILESS_MAIN(TestCaptureKill)
#include "tst_capturekill.moc"
