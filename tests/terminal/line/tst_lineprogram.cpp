// The program as a technician runs it: its window binds libKestCom beside
// it by name, which is the line; the first open starts the terminal
// program, the morning comes in through the socket, and what the terminal
// delivered stays delivered when both programs start again.
#include "TestForm.h"

#include "app/LinkCommands.h"
#include "entries/FlexGrid.h"
#include "reception/EntryPolling.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <csignal>

namespace {

bool gone(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace

class TestLineProgram : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    int m_pid = 0;

    // The line library's own test interface, resolved from the bound file.
    int terminalProcess(const QString &file)
    {
        QLibrary line(file);
        auto process = reinterpret_cast<int32_t (*)()>(line.resolve("Sim_TerminalProcess"));
        return process ? process() : 0;
    }

private slots:
    void initTestCase()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_dir.filePath(QStringLiteral("run")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    }

    void cleanupTestCase()
    {
        if (m_pid > 0 && !gone(m_pid))
            ::kill(m_pid, SIGKILL);
    }

    void morningArrivesAndStaysDelivered()
    {
        auto lib = KestComLibrary::bindDefault();
        QVERIFY(lib->complete());
        QCOMPARE(QFileInfo(lib->fileName()).fileName(), QStringLiteral("KestCom"));
        {
            TestFormWith<KestComLibrary> t(*lib);
            connection::OpenLink(t.ctx(), 1); // the 19200 button: wire pace, about a second
            QVERIFY(t.messages.texts.isEmpty());
            t.c().Timer1->stop();
            m_pid = terminalProcess(lib->fileName());
            QVERIFY(m_pid > 0);
            reception::Timer1Tick(t.ctx());
            QCOMPARE(t.c().MSFlexGrid1->rows(), 37);
            QCOMPARE(t.c().MSFlexGrid1->textMatrix(0, 7), QStringLiteral("Total  36"));
            lib->TerminateComm(1);
        }
        // The terminal goes away and comes back, the program starts again.
        ::kill(m_pid, SIGKILL);
        for (int i = 0; i < 500 && !gone(m_pid); ++i)
            QThread::msleep(10);
        TestFormWith<KestComLibrary> again(*lib);
        connection::OpenLink(again.ctx(), 0);
        QVERIFY(again.messages.texts.isEmpty());
        again.c().Timer1->stop();
        const int restarted = terminalProcess(lib->fileName());
        QVERIFY(restarted > 0 && restarted != m_pid);
        m_pid = restarted;
        reception::Timer1Tick(again.ctx());
        QCOMPARE(again.c().MSFlexGrid1->rows(), 2); // nothing delivered twice
        QString name = QStringLiteral("PONTO_00");
        int32_t first = 0, second = 0, third = 0;
        QCOMPARE(lib->W_ReadPointers(name, first, second, third), 1);
        QCOMPARE(first, 36);
        QCOMPARE(third, 36);
        lib->TerminateComm(1);
    }
};

QTEST_MAIN(TestLineProgram)
#include "tst_lineprogram.moc"
