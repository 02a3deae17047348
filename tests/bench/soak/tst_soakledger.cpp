// The soak's reckoning: each fault it must count, and what it lets pass.
#include "bench/soak/SoakLedger.h"

#include "capture/CaptureRecord.h"

#include <QTest>

namespace {

ReceivedEntry entryOf(int32_t index, int32_t card)
{
    ReceivedEntry e;
    e.clockName = QStringLiteral("PONTO_00 ");
    e.index = index;
    e.seconds = 976190400 + index;
    e.cardCode = card;
    e.presence = 1;
    e.code = index + 1;
    return e;
}

} // namespace

class TestSoakLedger : public QObject
{
    Q_OBJECT
private slots:
    void reckoning_data()
    {
        // memory: the cards at indices 0, 1, ...; passes: card:index, or
        // card:- when no answer came; deliveries: index@server, ! for a
        // record whose card is not the memory's.
        QTest::addColumn<QString>("memory");
        QTest::addColumn<QString>("passes");
        QTest::addColumn<QString>("deliveries");
        // lost, skipped, wrong, strays, repeats, repeats without a restart,
        // unanswered but stamped
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<bool>("whole");
        QTest::newRow("each once") << "1 2 3" << "1:0 2:1 3:2" << "0@7 1@7 2@7" << QList<int>{0, 0, 0, 0, 0, 0, 0} << true;
        QTest::newRow("again after a restart") << "1 2" << "1:0 2:1" << "0@7 1@7 1@8" << QList<int>{0, 0, 0, 0, 1, 0, 0} << true;
        QTest::newRow("again from the same process") << "1 2" << "1:0 2:1" << "0@7 1@7 1@7" << QList<int>{0, 0, 0, 0, 1, 1, 0} << false;
        QTest::newRow("answered, never delivered") << "1 2 3" << "1:0 2:1 3:2" << "0@7 2@7" << QList<int>{1, 1, 0, 0, 0, 0, 0} << false;
        QTest::newRow("answered, then gone from memory") << "1" << "1:0 2:1" << "0@7" << QList<int>{1, 0, 0, 0, 0, 0, 0} << false;
        QTest::newRow("no answer, stamped and delivered") << "1 2" << "1:0 2:-" << "0@7 1@8" << QList<int>{0, 0, 0, 0, 0, 0, 1} << true;
        QTest::newRow("no answer, never stamped") << "1" << "1:0 2:-" << "0@7" << QList<int>{0, 0, 0, 0, 0, 0, 0} << true;
        QTest::newRow("a record unlike the memory's") << "1 2" << "1:0 2:1" << "0@7 1@7!" << QList<int>{1, 1, 1, 0, 0, 0, 0} << false;
        QTest::newRow("a record past the memory") << "1" << "1:0" << "0@7 5@7" << QList<int>{0, 0, 1, 0, 0, 0, 0} << false;
        QTest::newRow("one pass stamped twice") << "1 1" << "1:0" << "0@7 1@7" << QList<int>{0, 0, 0, 1, 0, 0, 0} << false;
        QTest::newRow("an entry nobody passed") << "1 9" << "1:0" << "0@7 1@7" << QList<int>{0, 0, 0, 1, 0, 0, 0} << false;
    }

    void reckoning()
    {
        QFETCH(QString, memory);
        QFETCH(QString, passes);
        QFETCH(QString, deliveries);
        QFETCH(QList<int>, counts);
        QFETCH(bool, whole);
        std::vector<ReceivedEntry> held;
        for (const QString &card : memory.split(u' '))
            held.push_back(entryOf(int32_t(held.size()), card.toInt()));
        std::vector<soak::Pass> made;
        for (const QString &pass : passes.split(u' ')) {
            const QStringList parts = pass.split(u':');
            made.push_back({parts[0].toInt(), parts[1] == u"-" ? std::nullopt : std::optional<int32_t>(parts[1].toInt())});
        }
        std::vector<soak::Delivery> records;
        for (QString delivery : deliveries.split(u' ')) {
            const bool altered = delivery.endsWith(u'!');
            const QStringList parts = delivery.remove(u'!').split(u'@');
            const int32_t index = parts[0].toInt();
            ReceivedEntry e = index < int32_t(held.size()) ? held[std::size_t(index)] : entryOf(index, 1);
            if (altered)
                e.cardCode += 1000;
            records.push_back({capture::CaptureRecord(e), parts[1].toInt()});
        }
        const soak::Reckoning r = soak::Reckon(made, records, held);
        QCOMPARE((QList<int64_t>{r.lost, r.skipped, r.wrong, r.strays, r.repeats, r.repeatsWithoutRestart,
                                 r.unansweredStamped}),
                 (QList<int64_t>(counts.begin(), counts.end())));
        QCOMPARE(r.whole(), whole);
        QCOMPARE(r.records, int64_t(records.size()));
    }
};

QTEST_GUILESS_MAIN(TestSoakLedger)
#include "tst_soakledger.moc"
