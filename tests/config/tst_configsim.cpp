// The configuration commands end to end: the window bound by name to the
// simulated terminal, read back through the terminal's test interface.

#include "TestForm.h"

#include "app/ButtonFace.h"
#include "app/Controls.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "config/ConfigCommands.h"
#include "link/AnsiText.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <array>

namespace {

const char *kTerminal = "PONTO_00";

void OpenLink(SimForm &s) { QCOMPARE(s.ctx().lib.InitializeCommWithoutError(1, 19200), 1); }

QList<int> Configuration()
{
    std::array<int32_t, 9> out{};
    if (!Sim_GetConfiguration(kTerminal, out.data()))
        return {};
    return QList<int>(out.begin(), out.end());
}

QString Message(int employee, int kind)
{
    char buf[256] = {};
    if (!Sim_GetMessage(kTerminal, employee, kind, buf, int(sizeof buf)))
        return QString();
    return ansi::decode(buf, qsizetype(strlen(buf)));
}

QList<int> EventIn(int slot)
{
    std::array<int32_t, 6> out{};
    if (!Sim_GetEvent(kTerminal, slot, out.data()))
        return {};
    return QList<int>(out.begin(), out.end());
}

} // namespace

class TestConfigSim : public QObject
{
    Q_OBJECT

private slots:
    void configuration();
    void configurationWithoutLink();
    void justificationsSplitAtTilde();
    void messagesAndCodePage();
    void shownMessage();
    void shownMessageWithoutLink();
    void events();
    void slot110Fails();
    void clearAllEventsGoesOnAfterFailures();
};

void TestConfigSim::configuration()
{
    SimForm s;
    OpenLink(s);
    config::SendConfigurations(s.ctx());
    QCOMPARE(Configuration(), (QList<int>{60, 4, 86100, 0, 8000, 0, 0, 0, 0}));
    QVERIFY(s.messages().texts.isEmpty());
    QCOMPARE(face::Colour(s.c().Command10), face::SystemButtonFace());

    s.c().Check5->click();
    s.c().Check6->click();
    s.c().Text1[6]->setText(QStringLiteral("36000"));
    s.c().Check1->click();
    s.c().Text3->setText(QStringLiteral("5"));
    s.c().Text1[0]->setText(QStringLiteral("45.5"));
    config::SendConfigurations(s.ctx());
    QCOMPARE(Configuration(), (QList<int>{46, 4, 99999999, 1, 8000, 36000, 0, 5, 0}));
    QCOMPARE(s.state().TerminalName, QStringLiteral("PONTO_00"));
}

void TestConfigSim::configurationWithoutLink()
{
    SimForm s;
    config::SendConfigurations(s.ctx());
    QCOMPARE(s.messages().texts, QStringList{message::CommunicationError});
    QCOMPARE(face::Colour(s.c().Command10), face::SystemButtonFace());
}

void TestConfigSim::justificationsSplitAtTilde()
{
    SimForm s;
    OpenLink(s);
    config::SendJustifications(s.ctx());
    const QStringList expected = {"Aleitamento", "Almoco", "Lanche", "Jantar",
                                  "Medico",      "Casamento", "Funeral"};
    QCOMPARE(Sim_JustificationCount(kTerminal), 7);
    for (int i = 0; i < 7; ++i) {
        char buf[64] = {};
        QVERIFY(Sim_GetJustification(kTerminal, i, buf, int(sizeof buf)));
        QCOMPARE(QString::fromLatin1(buf), expected[i]);
    }
}

void TestConfigSim::messagesAndCodePage()
{
    SimForm s;
    OpenLink(s);
    // U+03A9 is not in Windows-1252 and goes as '?'; the others keep their bytes.
    s.c().RichTextBox1->setPlainText(QString::fromUtf8("Olá João € \u03A9"));
    config::Message(s.ctx());
    QVERIFY(s.messages().texts.isEmpty());
    QCOMPARE(Message(53, 1), QString::fromUtf8("Olá João € ?"));

    s.c().Text4->setText(QStringLiteral("7"));
    s.c().RichTextBox1->clear();
    config::Message(s.ctx());
    QCOMPARE(Message(7, 1), QString());
    char buf[8] = {'x'};
    QCOMPARE(Sim_GetMessage(kTerminal, 7, 1, buf, int(sizeof buf)), 1); // there, and empty
    QCOMPARE(buf[0], '\0');

    Sim_FailOperation("W_SendMessage", 1);
    config::Message(s.ctx());
    QCOMPARE(s.messages().texts, QStringList{message::CommunicationError});
}

void TestConfigSim::shownMessage()
{
    SimForm s;
    OpenLink(s);
    s.c().RichTextBox1->setPlainText(QStringLiteral("Fim do turno"));
    config::ShowMessage(s.ctx());
    int32_t number = 0;
    char buf[64] = {};
    QCOMPARE(Sim_GetShownMessage(kTerminal, &number, buf, int(sizeof buf)), 1);
    QCOMPARE(number, 80);
    QCOMPARE(QString::fromLatin1(buf), QStringLiteral("Fim do turno"));
}

void TestConfigSim::shownMessageWithoutLink()
{
    SimForm s;
    s.c().RichTextBox1->setPlainText(QStringLiteral("x"));
    s.c().Command21->click();
    QCOMPARE(Sim_CallCount("W_ShowMessage"), 1);
    int32_t number = 0;
    char buf[8] = {};
    QCOMPARE(Sim_GetShownMessage(kTerminal, &number, buf, int(sizeof buf)), 0);
    QVERIFY(s.messages().texts.isEmpty());
}

void TestConfigSim::events()
{
    SimForm s;
    OpenLink(s);
    s.c().Text12->setText(QStringLiteral("976190400"));
    config::Event(s.ctx());
    QVERIFY(s.messages().texts.isEmpty());
    QCOMPARE(EventIn(0), (QList<int>{976190400, 0, 0, 17, 31, 127}));

    s.c().Text7->setText(QStringLiteral("109"));
    s.c().Check3[31]->setChecked(true);
    for (QCheckBox *day : s.c().Check4)
        day->setChecked(false);
    s.c().Check4[6]->setChecked(true);
    config::Event(s.ctx());
    QCOMPARE(EventIn(109), (QList<int>{976190400, 0, 0, 17, int(0x8000001Fu), 64}));
}

void TestConfigSim::slot110Fails()
{
    SimForm s;
    OpenLink(s);
    s.c().Text7->setText(QStringLiteral("110"));
    config::Event(s.ctx());
    QCOMPARE(s.messages().texts, QStringList{message::CommunicationError});
    QCOMPARE(Sim_CallCount("W_InsertEvent"), 1);
}

void TestConfigSim::clearAllEventsGoesOnAfterFailures()
{
    SimForm s;
    OpenLink(s);
    s.c().Text7->setText(QStringLiteral("1"));
    s.c().Text12->setText(QStringLiteral("3600"));
    config::Event(s.ctx());
    QCOMPARE(EventIn(1), (QList<int>{3600, 0, 0, 17, 31, 127}));

    Sim_FailOperation("W_InsertEvent", 3); // slots 0, 1 and 2
    s.c().Command22->click();
    QCOMPARE(Sim_CallCount("W_InsertEvent"), 1 + 110);
    QCOMPARE(s.messages().count(message::CommunicationError), 3);
    QCOMPARE(EventIn(1), (QList<int>{3600, 0, 0, 17, 31, 127})); // its clear failed
    for (int slot = 3; slot < 110; ++slot)
        QCOMPARE(EventIn(slot), (QList<int>{0, 0, 0, 0, 0, 0}));

    s.messages().clear();
    s.c().Command22->click();
    QVERIFY(s.messages().texts.isEmpty());
    QCOMPARE(EventIn(1), (QList<int>{0, 0, 0, 0, 0, 0}));
}

QTEST_MAIN(TestConfigSim)
#include "tst_configsim.moc"
