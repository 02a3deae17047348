// The configuration panel against the recording library: the record sent,
// the off rules of the two boxes and the pending mark on "Send Configurations".

#include "TestForm.h"

#include "app/ButtonFace.h"
#include "app/Controls.h"
#include "field/FieldValue.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "config/ConfigCommands.h"
#include "entries/EntryGrid.h"
#include "entries/FlexGrid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

bool Pending(FakeForm &f) { return face::Colour(f.c().Command10) == face::ConfigurationChanged; }

// Sends once so that the mark is off, and forgets the calls.
void ClearMark(FakeForm &f)
{
    config::SendConfigurations(f.ctx());
    QVERIFY(!Pending(f));
    f.fake.clearCalls();
}

QVariantList Sent(FakeForm &f)
{
    const auto calls = f.fake.callsOf(QStringLiteral("W_SendConfigurations"));
    return calls.isEmpty() ? QVariantList() : calls.last().args;
}

QVariantList Record(const QString &name, std::initializer_list<int> values)
{
    QVariantList out{name};
    for (int v : values)
        out << v;
    return out;
}

} // namespace

class TestConfigPanel : public QObject
{
    Q_OBJECT

private slots:
    void startRecordAndColour();
    void terminalNameTakenBack();
    void dayCloseOff();
    void typingIntoDayCloseWhileOff();
    void tickingDayCloseChangesNothing();
    void maximumWorkTime();
    void typingIntoWorkTimeWhileOff();
    void fieldMarks_data();
    void fieldMarks();
    void gateChangesRecordNotMark();
    void entryGridClickDoesNotMark();
    void boxesMark_data();
    void boxesMark();
    void failedSend();
    void roundingHalves_data();
    void roundingHalves();
    void outOfRangeRefused_data();
    void outOfRangeRefused();
};

void TestConfigPanel::startRecordAndColour()
{
    FakeForm f;
    QVERIFY(Pending(f));
    config::SendConfigurations(f.ctx());
    QCOMPARE(f.fake.count("W_SendConfigurations"), 1);
    QCOMPARE(Sent(f), Record("PONTO_00", {60, 4, 86100, 0, 8000, 0, 0, 0, 0}));
    QCOMPARE(face::Colour(f.c().Command10), face::SystemButtonFace());
    QVERIFY(f.messages().texts.isEmpty());
}

void TestConfigPanel::terminalNameTakenBack()
{
    FakeForm f;
    f.fake.rewriteNameTo = QStringLiteral("PONTO_77");
    config::SendConfigurations(f.ctx());
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_77"));
}

void TestConfigPanel::dayCloseOff()
{
    FakeForm f;
    ClearMark(f);
    f.c().Check5->click();
    QVERIFY(!f.c().Check5->isChecked());
    QCOMPARE(f.c().Text1[2]->text(), QStringLiteral("99999999"));
    QVERIFY(Pending(f));
    config::SendConfigurations(f.ctx());
    QCOMPARE(Sent(f).at(3).toInt(), 99999999);
}

void TestConfigPanel::typingIntoDayCloseWhileOff()
{
    FakeForm f;
    f.c().Check5->click();
    ClearMark(f);
    QLineEdit *dayClose = f.c().Text1[2];
    int changes = 0;
    connect(dayClose, &QLineEdit::textChanged, this, [&changes] { ++changes; });
    dayClose->setFocus();
    QTest::keyClicks(dayClose, QStringLiteral("7"));
    QCOMPARE(dayClose->text(), QStringLiteral("99999999"));
    // Typed text, then "99999999" once; the second set holds the same text.
    QCOMPARE(changes, 2);
    QVERIFY(Pending(f));
    QTest::keyClick(dayClose, Qt::Key_Backspace);
    QTest::keyClicks(dayClose, QStringLiteral("3600"));
    QCOMPARE(dayClose->text(), QStringLiteral("99999999"));
    dayClose->selectAll();
    QTest::keyClick(dayClose, Qt::Key_Delete);
    QCOMPARE(dayClose->text(), QStringLiteral("99999999"));
}

void TestConfigPanel::tickingDayCloseChangesNothing()
{
    FakeForm f;
    f.c().Check5->click(); // off
    f.c().Check5->click(); // on again
    QCOMPARE(f.c().Text1[2]->text(), QStringLiteral("99999999"));
    ClearMark(f);
    f.c().Check5->click(); // off again: the text holds the value already
    QCOMPARE(f.c().Text1[2]->text(), QStringLiteral("99999999"));
    QVERIFY(!Pending(f));
    f.c().Check5->click();
    QTest::keyClicks(f.c().Text1[2], QStringLiteral("0"));
    QCOMPARE(f.c().Text1[2]->text(), QStringLiteral("999999990")); // editable while ticked
}

void TestConfigPanel::maximumWorkTime()
{
    FakeForm f;
    f.c().Check6->click();
    QVERIFY(f.c().Check6->isChecked());
    QCOMPARE(f.c().Text1[6]->text(), QStringLiteral("0"));
    QLineEdit *workTime = f.c().Text1[6];
    workTime->selectAll();
    QTest::keyClicks(workTime, QStringLiteral("36000"));
    QCOMPARE(workTime->text(), QStringLiteral("36000"));
    config::SendConfigurations(f.ctx());
    QCOMPARE(Sent(f), Record("PONTO_00", {60, 4, 86100, 0, 8000, 36000, 0, 0, 0}));
    f.c().Check6->click();
    QCOMPARE(workTime->text(), QStringLiteral("0"));
    QVERIFY(Pending(f));
}

void TestConfigPanel::typingIntoWorkTimeWhileOff()
{
    FakeForm f;
    QTest::keyClicks(f.c().Text1[6], QStringLiteral("5"));
    QCOMPARE(f.c().Text1[6]->text(), QStringLiteral("0"));
    QVERIFY(Pending(f));
}

void TestConfigPanel::fieldMarks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("typed");
    QTest::newRow("entry separation") << 0 << "5";
    QTest::newRow("message delay") << 1 << "1";
    QTest::newRow("day close") << 2 << "9";
    QTest::newRow("entry message") << 3 << "X";
    QTest::newRow("exit message") << 4 << "Y";
    QTest::newRow("card series") << 5 << "1";
}

void TestConfigPanel::fieldMarks()
{
    QFETCH(int, index);
    QFETCH(QString, typed);
    FakeForm f;
    ClearMark(f);
    QTest::keyClicks(f.c().Text1[size_t(index)], typed);
    QVERIFY(Pending(f));
    QVERIFY(f.fake.calls.isEmpty()); // a change sends nothing by itself
    if (index == 3 || index == 4) {
        // The two messages are not part of the record.
        config::SendConfigurations(f.ctx());
        QCOMPARE(Sent(f), Record("PONTO_00", {60, 4, 86100, 0, 8000, 0, 0, 0, 0}));
    }
}

void TestConfigPanel::gateChangesRecordNotMark()
{
    FakeForm f;
    ClearMark(f);
    f.c().Text3->clear();
    QTest::keyClicks(f.c().Text3, QStringLiteral("5"));
    f.c().Text8->setText(QStringLiteral("7"));
    QVERIFY(!Pending(f));
    config::SendConfigurations(f.ctx());
    QCOMPARE(Sent(f), Record("PONTO_00", {60, 4, 86100, 0, 8000, 0, 0, 5, 7}));
}

void TestConfigPanel::entryGridClickDoesNotMark()
{
    FakeForm f;
    ClearMark(f);
    FlexGrid *grid = f.c().MSFlexGrid1;
    grid->setRows(5);
    grid->setTextMatrix(3, 7, QStringLiteral(" 2"));
    grid->setRow(3);
    entries::EntryGridClick(f.c());
    QCOMPARE(f.c().Text3->text(), QStringLiteral(" 2"));
    QVERIFY(!Pending(f));
}

void TestConfigPanel::boxesMark_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("argument"); // position in the recorded call
    QTest::newRow("12 hours") << 1 << 4;
    QTest::newRow("clock tick") << 2 << 7;
}

void TestConfigPanel::boxesMark()
{
    QFETCH(int, box);
    QFETCH(int, argument);
    FakeForm f;
    ClearMark(f);
    QCheckBox *check = box == 1 ? f.c().Check1 : f.c().Check2;
    check->click();
    QVERIFY(Pending(f));
    config::SendConfigurations(f.ctx());
    QCOMPARE(Sent(f).at(argument).toInt(), 1);
    // Clearing it marks again even though the mark is already set.
    check->click();
    QVERIFY(Pending(f));
    check->click();
    QVERIFY(Pending(f));
    f.fake.clearCalls();
    check->setTristate(true);
    check->setCheckState(Qt::PartiallyChecked);
    config::SendConfigurations(f.ctx());
    QCOMPARE(Sent(f).at(argument).toInt(), 2);
}

void TestConfigPanel::failedSend()
{
    FakeForm f;
    f.fake.results["W_SendConfigurations"] = 0;
    config::SendConfigurations(f.ctx());
    QCOMPARE(f.messages().texts, QStringList{message::CommunicationError});
    QCOMPARE(face::Colour(f.c().Command10), face::SystemButtonFace());
    QCOMPARE(f.c().Text1[0]->text(), QStringLiteral("60 segundos"));
}

void TestConfigPanel::roundingHalves_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("sent");
    QTest::newRow("45.5") << "45.5" << 46;
    QTest::newRow("44.5") << "44.5" << 44;
    QTest::newRow("-0.5") << "-0.5" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestConfigPanel::roundingHalves()
{
    QFETCH(QString, text);
    QFETCH(int, sent);
    FakeForm f;
    f.c().Text1[0]->setText(text);
    config::SendConfigurations(f.ctx());
    QCOMPARE(Sent(f).at(1).toInt(), sent);
}

void TestConfigPanel::outOfRangeRefused_data()
{
    QTest::addColumn<int>("index"); // Text1 index; 7 = Text3, 8 = Text8
    QTest::addColumn<QString>("label");
    QTest::newRow("entry separation") << 0 << "Entry Separation";
    QTest::newRow("message delay") << 1 << "Message Delay";
    QTest::newRow("day close") << 2 << "Day Close time";
    QTest::newRow("card series") << 5 << "Card Series";
    QTest::newRow("gate 1") << 7 << "Gate #1";
    QTest::newRow("gate 2") << 8 << "Gate #2";
}

void TestConfigPanel::outOfRangeRefused()
{
    QFETCH(int, index);
    QFETCH(QString, label);
    FakeForm f;
    ClearMark(f);
    const QString big = QStringLiteral("99999999999");
    QLineEdit *edit = index == 7 ? f.c().Text3 : index == 8 ? f.c().Text8 : f.c().Text1[size_t(index)];
    edit->setText(big);
    if (index == 7 || index == 8)
        f.c().Check1->click(); // gates do not mark; mark it by other means
    QVERIFY(Pending(f));
    config::SendConfigurations(f.ctx());
    QCOMPARE(f.fake.count("W_SendConfigurations"), 0);
    QCOMPARE(f.messages().texts, QStringList{field::OutOfRangeMessage(label, big)});
    QVERIFY(f.messages().texts.first().contains(label));
    QVERIFY(Pending(f)); // nothing went out, so the panel still differs
    QCOMPARE(edit->text(), big);
}

QTEST_MAIN(TestConfigPanel)
#include "tst_configpanel.moc"
