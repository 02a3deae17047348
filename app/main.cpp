#include "app/ClockTestForm.h"
#include "app/Messages.h"
#include "app/PcClock.h"
#include "app/WindowLook.h"
#include "link/KestComLibrary.h"

#include <QApplication>
#include <QTimer>

#ifndef Q_OS_WIN
#include <csignal>
#endif

int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    // A reader gone from a pipe or socket is a write error to report, never
    // the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    ApplyWindowLook();

    auto library = KestComLibrary::bindDefault();
    DialogMessages messages;
    SystemPcClock pcClock;
    ClockTestForm form(*library, messages, pcClock);
    messages.setParent(&form);
    form.show();

    const QString problem = library->bindingProblem();
    if (!problem.isEmpty())
        QTimer::singleShot(0, &form, [&messages, problem] { messages.inform(problem); });
    return app.exec();
}
