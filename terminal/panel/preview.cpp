// The panels alone over the in-process simulated terminal. With --demo the
// terminal first receives what a technician would send: names, the
// justification list, a relay ring three seconds ahead and a message for
// employee 53, then a card passes; a second terminal joins the line.
#include "terminal/panel/PanelWindow.h"
#include "terminal/panel/SimPanelModel.h"

#include "clock/ClockCalendar.h"

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

namespace {

void SendDemo()
{
    char name[] = "PONTO_00";
    InitializeCommWithoutError(1, 19200);
    const char *names[] = {"ANA SOUSA", "BRUNO LIMA", "CARLA DIAS", "DANIEL REIS"};
    for (int i = 0; i < 4; ++i) {
        QByteArray text = QByteArray(names[i]).leftJustified(20, ' ');
        W_SendEmployerName(name, 51 + i, text.data(), 1051 + i, 255);
    }
    char justifications[] = "Aleitamento~Almoco~Lanche~Jantar~Medico~Casamento~Funeral~";
    W_SendJustifications(name, justifications);
    const int32_t now = W_ReadSeconds(name);
    W_InsertEvent(name, 0, now + 3, 0, 0, 17, 31, 127);
    W_InsertEvent(name, 1, int32_t(now - clocktime::SecondOfDay(now) + 12 * 3600), 30, 3, 1, 0x0F0F, 0x1F);
    // A longer message delay than the factory's, so a pass stays to be seen.
    W_SendConfigurations(name, 60, 10, 86100, 0, 8000, 0, 0, 0, 0);
    char message[] = "Please see the office before noon";
    W_SendMessage(name, 53, message, 1);
    TerminateComm(1);
    Sim_PassCard("PONTO_00", 1053);
    Sim_AddTerminal("PONTO_01");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--demo")))
        SendDemo();
    terminal::panel::SimPanelModel model;
    terminal::panel::PanelWindow window(model);
    window.setWindowTitle(QStringLiteral("Velmora terminal panel (in-process)"));
    const QSize room = window.screen()->availableGeometry().size() * 0.95;
    window.resize(QSize(1180, 760).boundedTo(room));
    window.show();
    return app.exec();
}
