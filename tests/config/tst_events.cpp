// "Event" and "Clear All Events" against the recording library.

#include "TestForm.h"

#include "app/Controls.h"
#include "field/FieldValue.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "config/ConfigCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QVariantList Event(std::initializer_list<int> values, const QString &name = QStringLiteral("PONTO_00"))
{
    QVariantList out{name};
    for (int v : values)
        out << v;
    return out;
}

void SetBoxes(FakeForm &f, QList<int> ring, QList<int> days)
{
    for (int i = 0; i < 32; ++i)
        f.c().Check3[size_t(i)]->setChecked(ring.contains(i));
    for (int i = 0; i < 7; ++i)
        f.c().Check4[size_t(i)]->setChecked(days.contains(i));
}

} // namespace

class TestEvents : public QObject
{
    Q_OBJECT

private slots:
    void startEvent();
    void masksAndFunction_data();
    void masksAndFunction();
    void partiallyCheckedNotCounted();
    void fields_data();
    void fields();
    void outOfRangeRefused_data();
    void outOfRangeRefused();
    void eventFailure();
    void clearAllEvents();
    void clearAllEventsFailures_data();
    void clearAllEventsFailures();
};

void TestEvents::startEvent()
{
    FakeForm f;
    f.c().Text12->setText(QStringLiteral("976190400"));
    f.fake.rewriteNameTo = QStringLiteral("PONTO_44");
    config::Event(f.ctx());
    const auto calls = f.fake.callsOf("W_InsertEvent");
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].args, Event({0, 976190400, 0, 0, 17, 31, 127}));
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_44"));
    QVERIFY(f.messages().texts.isEmpty());
}

void TestEvents::masksAndFunction_data()
{
    QTest::addColumn<QList<int>>("ring");
    QTest::addColumn<QList<int>>("days");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("ringMask");
    QTest::addColumn<int>("weekdayMask");

    QList<int> all32(32);
    for (int i = 0; i < 32; ++i)
        all32[i] = i;
    QTest::newRow("Sunday only") << QList<int>{} << QList<int>{6} << 17 << 0 << 64;
    QTest::newRow("Monday only") << QList<int>{} << QList<int>{0} << 17 << 0 << 1;
    QTest::newRow("box 31 alone") << QList<int>{31} << QList<int>{} << 17
                                  << int(-2147483647 - 1) << 0;
    QTest::newRow("all 32 boxes") << all32 << QList<int>{0, 1, 2, 3, 4, 5, 6} << 17 << -1 << 127;
    QTest::newRow("empty item, the eighth") << QList<int>{0} << QList<int>{} << 7 << 1 << 0;
    QTest::newRow("Nulo") << QList<int>{} << QList<int>{} << 0 << 0 << 0;
    QTest::newRow("last item") << QList<int>{5} << QList<int>{} << 18 << 32 << 0;
    QTest::newRow("no item selected") << QList<int>{} << QList<int>{} << -1 << 0 << 0;
}

void TestEvents::masksAndFunction()
{
    QFETCH(QList<int>, ring);
    QFETCH(QList<int>, days);
    QFETCH(int, function);
    QFETCH(int, ringMask);
    QFETCH(int, weekdayMask);
    FakeForm f;
    SetBoxes(f, ring, days);
    f.c().Combo1->setCurrentIndex(function);
    QCOMPARE(f.c().Combo1->currentIndex(), function);
    config::Event(f.ctx());
    const QVariantList args = f.fake.callsOf("W_InsertEvent").at(0).args;
    QCOMPARE(args.at(5).toInt(), std::max(function, 0));
    QCOMPARE(args.at(6).toInt(), ringMask);
    QCOMPARE(args.at(7).toInt(), weekdayMask);
}

void TestEvents::partiallyCheckedNotCounted()
{
    FakeForm f;
    QCheckBox *ring3 = f.c().Check3[3];
    ring3->setTristate(true);
    ring3->setCheckState(Qt::PartiallyChecked);
    QCheckBox *sunday = f.c().Check4[6];
    sunday->setTristate(true);
    sunday->setCheckState(Qt::PartiallyChecked);
    config::Event(f.ctx());
    const QVariantList args = f.fake.callsOf("W_InsertEvent").at(0).args;
    QCOMPARE(args.at(6).toInt(), 0b10111);
    QCOMPARE(args.at(7).toInt(), 63);
}

void TestEvents::fields_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("repeats");
    QTest::addColumn<QVariantList>("sent");
    QTest::newRow("empty seconds") << "0" << "" << "0" << "0" << Event({0, 0, 0, 0, 17, 31, 127});
    QTest::newRow("each in its place")
        << "12" << "86400" << "60" << "3" << Event({12, 86400, 60, 3, 17, 31, 127});
    QTest::newRow("index past the table is sent as typed")
        << "110" << "5" << "0" << "0" << Event({110, 5, 0, 0, 17, 31, 127});
    QTest::newRow("halves to even") << "2.5" << "0.5" << "1.5" << "-3.5"
                                    << Event({2, 0, 2, -4, 17, 31, 127});
    QTest::newRow("text tails ignored") << "4 (slot)" << "100 s" << "x" << "2x"
                                        << Event({4, 100, 0, 2, 17, 31, 127});
    QTest::newRow("top of the range") << "0" << "2147483647" << "0" << "0"
                                      << Event({0, 2147483647, 0, 0, 17, 31, 127});
}

void TestEvents::fields()
{
    QFETCH(QString, index);
    QFETCH(QString, seconds);
    QFETCH(QString, period);
    QFETCH(QString, repeats);
    QFETCH(QVariantList, sent);
    FakeForm f;
    f.c().Text7->setText(index);
    f.c().Text12->setText(seconds);
    f.c().Text9->setText(period);
    f.c().Text10->setText(repeats);
    config::Event(f.ctx());
    QCOMPARE(f.fake.callsOf("W_InsertEvent").at(0).args, sent);
}

void TestEvents::outOfRangeRefused_data()
{
    QTest::addColumn<int>("which"); // 0 Text7, 1 Text12, 2 Text9, 3 Text10
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::newRow("index") << 0 << "99999999999" << "Index";
    QTest::newRow("nudged seconds") << 1 << "2147483648" << "Seconds";
    QTest::newRow("seconds far below") << 1 << "-2147483649" << "Seconds";
    QTest::newRow("period") << 2 << "1e10" << "Period";
    QTest::newRow("repeats") << 3 << "99999999999" << "Repeats";
}

void TestEvents::outOfRangeRefused()
{
    QFETCH(int, which);
    QFETCH(QString, text);
    QFETCH(QString, label);
    FakeForm f;
    QLineEdit *edits[] = {f.c().Text7, f.c().Text12, f.c().Text9, f.c().Text10};
    edits[which]->setText(text);
    config::Event(f.ctx());
    QCOMPARE(f.fake.count("W_InsertEvent"), 0);
    QCOMPARE(f.messages().texts, QStringList{field::OutOfRangeMessage(label, text)});
    QCOMPARE(edits[which]->text(), text);
}

void TestEvents::eventFailure()
{
    FakeForm f;
    f.fake.results["W_InsertEvent"] = 0;
    config::Event(f.ctx());
    QCOMPARE(f.messages().texts, QStringList{message::CommunicationError});
}

void TestEvents::clearAllEvents()
{
    FakeForm f;
    QVERIFY(f.c().Command22->isEnabled()); // also without a link
    f.fake.clearCalls();
    f.c().Command22->click();
    const auto calls = f.fake.callsOf("W_InsertEvent");
    QCOMPARE(calls.size(), 110);
    for (int slot = 0; slot < 110; ++slot)
        QCOMPARE(calls[slot].args, Event({slot, 0, 0, 0, 0, 0, 0}));
    QCOMPARE(f.fake.ops().size(), 110); // nothing else called
    QVERIFY(f.messages().texts.isEmpty());
}

void TestEvents::clearAllEventsFailures_data()
{
    QTest::addColumn<QList<int>>("failing"); // slots whose call fails; {-1} = all
    QTest::addColumn<int>("messages");
    QTest::newRow("every call fails") << QList<int>{-1} << 110;
    QTest::newRow("first and last") << QList<int>{0, 109} << 2;
    QTest::newRow("a run in the middle") << QList<int>{40, 41, 42, 43} << 4;
}

void TestEvents::clearAllEventsFailures()
{
    QFETCH(QList<int>, failing);
    QFETCH(int, messages);
    FakeForm f;
    int slotsSeen = 0;
    f.fake.onCall = [&](const FakeKestCom::Call &call) {
        if (call.op != QStringLiteral("W_InsertEvent"))
            return;
        const int slot = call.args.at(1).toInt();
        QCOMPARE(slot, slotsSeen++);
        const bool fail = failing == QList<int>{-1} || failing.contains(slot);
        f.fake.results["W_InsertEvent"] = fail ? 0 : 1;
    };
    config::ClearAllEvents(f.ctx());
    QCOMPARE(f.fake.count("W_InsertEvent"), 110);
    QCOMPARE(f.messages().texts.size(), messages);
    QCOMPARE(f.messages().count(message::CommunicationError), messages);
}

QTEST_MAIN(TestEvents)
#include "tst_events.moc"
