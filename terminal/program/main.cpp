// velmora-terminal: the simulated terminal as a device on a serial port of
// its own, answering the clock link library over a local socket.

#include "terminal/line/Protocol.h"
#include "terminal/engine/SimState.h"
#include "terminal/program/LineService.h"
#include "terminal/program/SqliteStore.h"
#include "terminal/program/TerminalServer.h"
#include "terminal/program/TerminalWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace terminal;

namespace {

constexpr int kRefreshMs = 250;

int Fail(const QString &message)
{
    std::fprintf(stderr, "velmora-terminal: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-terminal"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A simulated clock terminal on a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("The serial port served, COM1 to COM255."),
                                        QStringLiteral("COMn"), QStringLiteral("COM1"));
    parser.addOption(portOption);
    parser.process(app);

    const QByteArray portArgument = parser.value(portOption).toLatin1();
    const auto port = line::PortNumber(std::string_view(portArgument.constData(), std::size_t(portArgument.size())));
    if (!port) {
        std::fprintf(stderr, "velmora-terminal: no such serial port: %s (COM1 to COM255)\n",
                     portArgument.constData());
        return 2;
    }
    const QString portName = QString::fromStdString(line::PortName(*port));

    const line::SocketPlace place = line::SocketPlaceOf(*port);
    if (place.path.empty())
        return Fail(QString::fromStdString(place.problem));
    // One terminal program per port: the lock lasts as long as the process.
    const std::string lockPath = place.path + ".lock";
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || flock(lock, LOCK_EX | LOCK_NB) != 0)
        return Fail(QStringLiteral("%1 is already served by another terminal program").arg(portName));
    // Who holds it, for whoever has to stop the terminal.
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(lock, 0) != 0 || ::write(lock, pid.data(), pid.size()) != ssize_t(pid.size()))
        return Fail(QStringLiteral("cannot write %1").arg(QString::fromStdString(lockPath)));

    engine::EngineState().portNumber = *port;

    const QString dataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/velmora");
    QDir().mkpath(dataFolder);
    const QString databasePath = dataFolder + QStringLiteral("/terminal-%1.sqlite").arg(portName);
    program::SqliteStore store(databasePath);
    const program::OpenResult opened = store.open();
    if (opened.ok)
        engine::EngineState().store = &store;

    program::LineService service(getpid());
    service.setPace(store.pace());
    program::QtAnswerTimer timer;
    program::TerminalServer server(service, timer);
    service.setAnswersHandler([&store](bool arrived) {
        if (arrived)
            store.confirmDeliveries();
        else
            store.returnDeliveries();
    });

    program::TerminalWindow window(portName, QString::fromStdString(place.path), service.pace());
    window.showProblem(opened.message);
    window.setDatabasePath(databasePath);
    window.setProgramConnected([&service] { return service.holder() >= 0; });
    store.setProblemHandler([&window](const QString &message) { window.showProblem(message); });
    // Ended where it stands: the call under way must not be answered from a
    // file found unsound. The next open starts fresh.
    store.setUnsoundHandler([](const QString &message) {
        std::fprintf(stderr, "velmora-terminal: %s\n", qPrintable(message));
        std::fflush(stderr);
        std::_Exit(3);
    });
    QObject::connect(&window, &program::TerminalWindow::paceChosen, &window,
                     [&](program::Pace pace) { service.setPace(pace); });
    service.setPaceHandler([&](program::Pace pace) {
        store.savePace(pace);
        window.setPace(pace);
    });

    // The pages follow the engine a few times a second, not on every request.
    bool changed = false;
    QObject::connect(&server, &program::TerminalServer::served, &window, [&changed] { changed = true; });
    QObject::connect(&server, &program::TerminalServer::transferred, &window,
                     &program::TerminalWindow::countBytes);
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &window, [&] {
        if (changed)
            window.refresh();
        changed = false;
    });
    refresh.start(kRefreshMs);

    window.show();
    // Listening last: a program that connects finds the terminal ready to answer.
    QString problem;
    if (!server.listen(QString::fromStdString(place.path), &problem))
        return Fail(problem);
    // Unreachable, it would run on for nobody; every change is committed.
    QObject::connect(&server, &program::TerminalServer::unreachable, &app, [&place] {
        std::fprintf(stderr, "velmora-terminal: %s is gone; ending\n", place.path.c_str());
        // exit(), not quit(): quit() would first close the window, which asks
        // whether to leave a connected program a silent line; nobody is there
        // to answer.
        QCoreApplication::exit(0);
    });
    const int status = app.exec();
    engine::EngineState().store = nullptr;
    // Nothing more is asked of the engine: the store need not hand its entries back.
    engine::EngineState().terminals.clear();
    return status;
}
