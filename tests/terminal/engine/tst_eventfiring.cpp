// When a terminal's events fire: weekdays, ring patterns, repeats, the
// relay's held state, summer and winter time, the next event, and which
// slots hold an event at all.
#include "terminal/engine/EventFiring.h"

#include <QTest>

using namespace terminal::engine;
namespace function = config::function;

namespace {

constexpr int64_t kMondayNoon = 976190400; // 07/12/2026 12:00:00, a Monday
constexpr int64_t kDay = 86400;

SlotEvent ring(int64_t at, uint32_t ringMask, uint32_t days = 127, int32_t period = 0,
               int32_t repeats = 0, int32_t f = function::kRingRelay1, int slot = 0)
{
    return SlotEvent{slot, static_cast<int32_t>(at), period, repeats, f, ringMask, days};
}

} // namespace

Q_DECLARE_METATYPE(SlotEvent)
Q_DECLARE_METATYPE(std::optional<int64_t>)

class TestEventFiring : public QObject
{
    Q_OBJECT
private slots:
    void ringsAt_data();
    void ringsAt();
    void relayHeldBetweenOnAndOff_data();
    void relayHeldBetweenOnAndOff();
    void lampsFollowTheirFunction();
    void clockShiftDue_data();
    void clockShiftDue();
    void clockChangesFireOnce();
    void spentSlotsStaySpent_data();
    void spentSlotsStaySpent();
    void nextFiring_data();
    void nextFiring();
    void nextEventSkipsSpentAndTakesTheEarliest();
    void theEmptyEventHoldsNothing();
};

void TestEventFiring::ringsAt_data()
{
    QTest::addColumn<SlotEvent>("event");
    QTest::addColumn<qint64>("clock");
    QTest::addColumn<bool>("rings");
    const int64_t t = kMondayNoon;
    const auto boxes0to4 = ring(t, 31);
    QTest::newRow("a second early") << boxes0to4 << qint64(t - 1) << false;
    QTest::newRow("at its time") << boxes0to4 << qint64(t) << true;
    QTest::newRow("box 4") << boxes0to4 << qint64(t + 4) << true;
    QTest::newRow("after box 4") << boxes0to4 << qint64(t + 5) << false;
    QTest::newRow("the next day at its time") << boxes0to4 << qint64(t + kDay) << true;
    QTest::newRow("box 31 only, second 31") << ring(t, 0x80000000u) << qint64(t + 31) << true;
    QTest::newRow("box 31 only, second 30") << ring(t, 0x80000000u) << qint64(t + 30) << false;
    QTest::newRow("time of day of an older count") << ring(t - 400 * kDay, 1) << qint64(t) << true;
    QTest::newRow("Sunday only, on Monday") << ring(t, 1, 64) << qint64(t) << false;
    QTest::newRow("Sunday only, on Sunday") << ring(t, 1, 64) << qint64(t - kDay) << true;
    QTest::newRow("repeat 2 at its period") << ring(t, 1, 127, 60, 2) << qint64(t + 120) << true;
    QTest::newRow("no repeat 3") << ring(t, 1, 127, 60, 2) << qint64(t + 180) << false;
    QTest::newRow("between repeats") << ring(t, 1, 127, 60, 2) << qint64(t + 61) << false;
    QTest::newRow("period 0 does not repeat") << ring(t, 1, 127, 0, 5) << qint64(t + 1) << false;
    QTest::newRow("overlapping repeats") << ring(t, 1, 127, 2, 3) << qint64(t + 6) << true;
    QTest::newRow("overlapping repeats, odd second") << ring(t, 1, 127, 2, 3) << qint64(t + 5) << false;
    QTest::newRow("rings on past midnight")
        << ring(t + 11 * 3600 + 59 * 60 + 50, 0xFFFFFFFFu, 1) << qint64(t + 12 * 3600 + 5) << true;
    QTest::newRow("repeats end a day after the start")
        << ring(t, 1, 1, 3600, 30) << qint64(t + kDay) << false;
    QTest::newRow("a negative count is a time of day")
        << ring(-10, 1) << qint64(kDay - 10) << true;
    QTest::newRow("Nulo never rings") << ring(t, 31, 127, 0, 0, 0) << qint64(t) << false;
    QTest::newRow("an empty item never rings") << ring(t, 31, 127, 0, 0, 7) << qint64(t) << false;
    QTest::newRow("largest repeats and period")
        << ring(t, 1, 127, INT32_MAX, INT32_MAX) << qint64(t) << true;
}

void TestEventFiring::ringsAt()
{
    QFETCH(SlotEvent, event);
    QFETCH(qint64, clock);
    QFETCH(bool, rings);
    QCOMPARE(terminal::engine::RingsAt(event, clock), rings);
}

void TestEventFiring::relayHeldBetweenOnAndOff_data()
{
    QTest::addColumn<qint64>("clock");
    QTest::addColumn<bool>("on");
    const int64_t monday = kMondayNoon - 12 * 3600;
    QTest::newRow("Monday before 08:00") << qint64(monday + 7 * 3600) << false;
    QTest::newRow("Monday at 08:00") << qint64(monday + 8 * 3600) << true;
    QTest::newRow("Monday noon") << qint64(kMondayNoon) << true;
    QTest::newRow("Monday at 17:00") << qint64(monday + 17 * 3600) << false;
    QTest::newRow("Saturday noon, after Friday's OFF") << qint64(kMondayNoon + 5 * kDay) << false;
}

void TestEventFiring::relayHeldBetweenOnAndOff()
{
    QFETCH(qint64, clock);
    QFETCH(bool, on);
    const int64_t monday = kMondayNoon - 12 * 3600;
    const std::vector<SlotEvent> events = {
        ring(monday + 8 * 3600, 0, 0x1F, 0, 0, function::kRelay1On, 0),
        ring(monday + 17 * 3600, 0, 0x1F, 0, 0, function::kRelay1Off, 1),
    };
    QCOMPARE(Relay1HeldOn(events, clock), on);
    QCOMPARE(LampsAt(events, clock)[static_cast<int>(Lamp::Relay1)], on);
}

void TestEventFiring::lampsFollowTheirFunction()
{
    const int64_t t = kMondayNoon;
    const std::vector<SlotEvent> events = {ring(t, 1, 127, 0, 0, function::kBeep2),
                                          ring(t + 1, 1, 127, 0, 0, function::kRingRelay2)};
    QCOMPARE(LampsAt(events, t), (Lamps{false, true, false, false}));
    QCOMPARE(LampsAt(events, t + 1), (Lamps{false, false, false, true}));
    // ON and OFF at one second: the relay stays off.
    const std::vector<SlotEvent> tie = {ring(t, 0, 127, 0, 0, function::kRelay1On, 0),
                                       ring(t, 0, 127, 0, 0, function::kRelay1Off, 1)};
    QVERIFY(!Relay1HeldOn(tie, t));
}

void TestEventFiring::clockShiftDue_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<qint64>("before");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("shift");
    const int64_t s = kMondayNoon;
    QTest::newRow("summer, reached") << function::kSummerTime << qint64(s - 1) << qint64(s) << qint64(3600);
    QTest::newRow("winter, passed in a jump") << function::kWinterTime << qint64(s - 100) << qint64(s + 100) << qint64(-3600);
    QTest::newRow("not yet") << function::kSummerTime << qint64(s - 10) << qint64(s - 1) << qint64(0);
    QTest::newRow("already behind") << function::kSummerTime << qint64(s) << qint64(s + 1) << qint64(0);
    QTest::newRow("a bell moves no clock") << function::kBeep1 << qint64(s - 1) << qint64(s) << qint64(0);
}

void TestEventFiring::clockShiftDue()
{
    QFETCH(int, function);
    QFETCH(qint64, before);
    QFETCH(qint64, now);
    QFETCH(qint64, shift);
    QCOMPARE(terminal::engine::ClockShiftDue(ring(kMondayNoon, 0, 0, 0, 0, function), before, now),
             shift);
}

void TestEventFiring::clockChangesFireOnce()
{
    const int64_t s = kMondayNoon;
    const std::vector<SlotEvent> winter = {ring(s, 0, 0, 0, 0, function::kWinterTime, 4)};
    // Seen first after its time: nothing past fires.
    ClockChangeWatch late;
    QCOMPARE(AdvanceClockChanges(late, winter, s + 10), 0);
    ClockChangeWatch watch;
    QCOMPARE(AdvanceClockChanges(watch, winter, s - 1), 0);
    QCOMPARE(AdvanceClockChanges(watch, winter, s), -3600);
    QCOMPARE(SpentSlots(watch.spent), std::set<int>{4});
    // An hour later the clock reads the event's time again.
    QCOMPARE(AdvanceClockChanges(watch, winter, s - 1), 0);
    QCOMPARE(AdvanceClockChanges(watch, winter, s + 1), 0);
    // The slot written again, for a later time, may fire.
    const std::vector<SlotEvent> again = {ring(s + 60, 0, 0, 0, 0, function::kSummerTime, 4)};
    QCOMPARE(AdvanceClockChanges(watch, again, s + 60), 3600);
}

void TestEventFiring::spentSlotsStaySpent_data()
{
    const int64_t s = kMondayNoon;
    QTest::addColumn<SlotEvent>("written");
    QTest::addColumn<qint64>("shift");
    QTest::newRow("as it fired") << ring(s, 0, 0, 0, 0, function::kWinterTime, 4) << qint64(0);
    QTest::newRow("written anew") << ring(s + 30, 0, 0, 0, 0, function::kWinterTime, 4)
                                  << qint64(-3600);
}

void TestEventFiring::spentSlotsStaySpent()
{
    // A terminal back after its winter-time change, knowing it was spent.
    QFETCH(SlotEvent, written);
    QFETCH(qint64, shift);
    const int64_t s = kMondayNoon;
    const SlotEvent fired = ring(s, 0, 0, 0, 0, function::kWinterTime, 4);
    ClockChangeWatch watch{std::nullopt, {{4, StoredEvent(fired)}}};
    QCOMPARE(AdvanceClockChanges(watch, {written}, s - 600), 0);
    QCOMPARE(AdvanceClockChanges(watch, {written}, s + 60), shift);
    QCOMPARE(SlotEventOf(4, watch.spent.at(4)), written);
}

void TestEventFiring::nextFiring_data()
{
    QTest::addColumn<SlotEvent>("event");
    QTest::addColumn<qint64>("clock");
    QTest::addColumn<std::optional<int64_t>>("next");
    const int64_t t = kMondayNoon;
    const std::optional<int64_t> none;
    QTest::newRow("later today") << ring(t, 31) << qint64(t - 60) << std::optional<int64_t>(t);
    QTest::newRow("at this second") << ring(t, 31) << qint64(t) << std::optional<int64_t>(t);
    QTest::newRow("tomorrow") << ring(t, 31) << qint64(t + 1) << std::optional<int64_t>(t + kDay);
    QTest::newRow("Sunday only, from Monday")
        << ring(t, 31, 64) << qint64(t) << std::optional<int64_t>(t + 6 * kDay);
    QTest::newRow("the next repeat") << ring(t, 1, 127, 60, 2) << qint64(t + 1)
                                     << std::optional<int64_t>(t + 60);
    QTest::newRow("after the last repeat") << ring(t, 1, 127, 60, 2) << qint64(t + 121)
                                           << std::optional<int64_t>(t + kDay);
    QTest::newRow("no weekday") << ring(t, 31, 0) << qint64(t) << none;
    QTest::newRow("Nulo") << ring(t, 31, 127, 0, 0, 0) << qint64(t) << none;
    QTest::newRow("relay ON repeats nothing")
        << ring(t, 0, 127, 60, 5, function::kRelay1On) << qint64(t + 1)
        << std::optional<int64_t>(t + kDay);
    QTest::newRow("summer time ahead") << ring(t + 5 * kDay, 0, 0, 0, 0, function::kSummerTime)
                                       << qint64(t) << std::optional<int64_t>(t + 5 * kDay);
    QTest::newRow("summer time behind")
        << ring(t, 0, 0, 0, 0, function::kSummerTime) << qint64(t + 1) << none;
}

void TestEventFiring::nextFiring()
{
    QFETCH(SlotEvent, event);
    QFETCH(qint64, clock);
    QFETCH(std::optional<int64_t>, next);
    QCOMPARE(terminal::engine::NextFiring(event, clock), next);
}

void TestEventFiring::nextEventSkipsSpentAndTakesTheEarliest()
{
    const int64_t t = kMondayNoon;
    const std::vector<SlotEvent> events = {
        ring(t + 120, 31, 127, 0, 0, function::kBeep1, 2),
        ring(t + 60, 0, 0, 0, 0, function::kWinterTime, 5),
        ring(t + 90, 31, 127, 0, 0, function::kRingRelay1, 9),
    };
    auto next = NextEventOf(events, t);
    QVERIFY(next);
    QCOMPARE(next->slot, 5);
    next = NextEventOf(events, t, {5});
    QVERIFY(next);
    QCOMPARE(next->slot, 9);
    QCOMPARE(next->at, t + 90);
    QVERIFY(!NextEventOf({}, t));
}

void TestEventFiring::theEmptyEventHoldsNothing()
{
    // "Clear All Events" leaves every slot written with zeros.
    std::array<std::optional<Event>, kEventSlots> table;
    table.fill(Event{});
    table[3] = Event{0, 0, 0, function::kBeep1, 0, 0};
    table[9] = Event{60, 0, 0, function::kNull, 0, 0};
    const std::vector<SlotEvent> held = HeldEvents(table);
    QCOMPARE(held.size(), std::size_t(2));
    QCOMPARE(held[0].slot, 3);
    QCOMPARE(held[1].slot, 9);
    table.fill(Event{});
    QVERIFY(HeldEvents(table).empty());
    QVERIFY(!NextEventOf(HeldEvents(table), kMondayNoon));
}

QTEST_APPLESS_MAIN(TestEventFiring)
#include "tst_eventfiring.moc"
