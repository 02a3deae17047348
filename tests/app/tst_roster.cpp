// The made-up roster of test employees.
#include "TestForm.h"

#include "entries/FlexGrid.h"
#include "entries/TestRoster.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

// Hands out the values it was given, in order.
class ScriptedRandom final : public roster::Random
{
public:
    explicit ScriptedRandom(QList<double> values) : m_values(std::move(values)) {}
    double next() override
    {
        ++taken;
        return m_values.isEmpty() ? 0.0 : m_values.takeFirst();
    }
    int taken = 0;

private:
    QList<double> m_values;
};

// Index i of a pool from floor(r * 20).
double pick(int i)
{
    return (i + 0.5) / 20.0;
}

roster::NamePools pools(const QStringList &given, const QStringList &surnames)
{
    roster::NamePools p;
    for (int i = 0; i < given.size(); ++i)
        p.FirstNamePool[size_t(i)] = given[i];
    for (int i = 0; i < surnames.size(); ++i)
        p.SurnamePool[size_t(i)] = surnames[i];
    return p;
}

} // namespace

class TestRoster : public QObject
{
    Q_OBJECT
private slots:
    void standardPoolsKeepTheirShape();
    void rosterFillsTheEmployeeGrid();
    void noNameRepeatsASurname();
    void sameRosterEveryStart();
    void shortening_data();
    void shortening();
    void secondSurnameIsDrawnAgainUntilItDiffers();
    void randomSourceIsFixed();
};

void TestRoster::standardPoolsKeepTheirShape()
{
    const roster::NamePools p = roster::StandardPools();
    for (const auto *pool : {&p.FirstNamePool, &p.SurnamePool}) {
        QSet<QString> seen;
        for (int i = 0; i < 20; ++i) {
            const QString &name = (*pool)[size_t(i)];
            QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z]+$")).match(name).hasMatch());
            seen.insert(name);
        }
        QCOMPARE(seen.size(), 20);
        QVERIFY((*pool)[20].isEmpty());
    }
    for (int i = 0; i < 20; ++i) {
        QVERIFY(p.FirstNamePool[size_t(i)].size() >= 3 && p.FirstNamePool[size_t(i)].size() <= 8);
        QVERIFY(p.SurnamePool[size_t(i)].size() >= 4 && p.SurnamePool[size_t(i)].size() <= 11);
    }
}

void TestRoster::rosterFillsTheEmployeeGrid()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid2;
    QCOMPARE(grid->rows(), 1001);
    QCOMPARE(grid->textMatrix(1, 0), QStringLiteral(" 1"));
    QCOMPARE(grid->textMatrix(1000, 0), QStringLiteral(" 1000"));
    QCOMPARE(grid->textMatrix(0, 0), QStringLiteral("#"));
    QCOMPARE(grid->textMatrix(0, 1), QStringLiteral("Empregado"));
    for (int i = 1; i <= 1000; ++i) {
        QCOMPARE(grid->textMatrix(i, 0), QStringLiteral(" %1").arg(i));
        QCOMPARE(grid->textMatrix(i, 1).size(), 20);
    }
}

void TestRoster::noNameRepeatsASurname()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid2;
    const roster::NamePools &p = f.form().namePools();
    QSet<QString> surnames;
    for (int i = 0; i < 20; ++i)
        surnames.insert(p.SurnamePool[size_t(i)]);
    for (int i = 1; i <= 1000; ++i) {
        const QStringList words = grid->textMatrix(i, 1).split(u' ', Qt::SkipEmptyParts);
        QStringList whole;
        for (const QString &w : words.mid(1)) {
            if (surnames.contains(w))
                whole << w;
        }
        QVERIFY2(whole.removeDuplicates() == 0, qPrintable(grid->textMatrix(i, 1)));
        // The initial of a shortened first surname is never the second one's.
        if (words.size() == 3 && words[1].size() == 2)
            QVERIFY(!words[2].startsWith(words[1].left(1)) || words[2] != words[1]);
    }
}

void TestRoster::sameRosterEveryStart()
{
    FakeForm a;
    FakeForm b;
    for (int i = 1; i <= 1000; ++i)
        QCOMPARE(a.c().MSFlexGrid2->textMatrix(i, 1), b.c().MSFlexGrid2->textMatrix(i, 1));
    // And not one name a thousand times.
    QSet<QString> distinct;
    for (int i = 1; i <= 1000; ++i)
        distinct.insert(a.c().MSFlexGrid2->textMatrix(i, 1));
    QVERIFY(distinct.size() > 500);
}

void TestRoster::shortening_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("name");
    QTest::newRow("fits exactly, whole and unpadded")
        << "Abcdefgh" << "Ijklm" << "Nopqr" << 20 << "Abcdefgh Ijklm Nopqr";
    QTest::newRow("fits, padded") << "Ana" << "Lima" << "Costa" << 20 << "Ana Lima Costa      ";
    QTest::newRow("21 characters: initial of the first surname")
        << "Abcdefgh" << "Ijklm" << "Nopqrs" << 20 << "Abcdefgh I. Nopqrs  ";
    QTest::newRow("initial still too long: second surname alone")
        << "Abcdefgh" << "Xxxxxxxxxxx" << "Yyyyyyyyyyy" << 20 << "Abcdefgh Yyyyyyyyyyy";
    QTest::newRow("second surname alone too long: its initial")
        << "Abcdefgh" << "Xxxxxxxxxxx" << "Yyyyyyyyyyy" << 12 << "Abcdefgh Y. ";
    QTest::newRow("still too long: returned uncut and unpadded")
        << "Abcdefgh" << "Xxxxxxxxxxx" << "Yyyyyyyyyyy" << 5 << "Abcdefgh Y.";
}

void TestRoster::shortening()
{
    QFETCH(QString, given);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, maxLength);
    QFETCH(QString, name);
    const roster::NamePools p = pools({given}, {first, second});
    ScriptedRandom random({pick(0), pick(0), pick(1)});
    QCOMPARE(roster::MakeTestName(p, random, maxLength), name);
    QCOMPARE(random.taken, 3);
}

void TestRoster::secondSurnameIsDrawnAgainUntilItDiffers()
{
    const roster::NamePools p = pools({"Ana"}, {"Lima", "Costa", "Alves"});
    ScriptedRandom random({pick(0), pick(2), pick(2), pick(2), pick(1)});
    QCOMPARE(roster::MakeTestName(p, random, 20), QStringLiteral("Ana Alves Costa     "));
    QCOMPARE(random.taken, 5);
}

void TestRoster::randomSourceIsFixed()
{
    roster::RandomSource a;
    roster::RandomSource b;
    for (int i = 0; i < 1000; ++i) {
        const double x = a.next();
        QCOMPARE(x, b.next());
        QVERIFY(x >= 0.0 && x < 1.0);
    }
    // Pinned, so that the roster is the same on every platform and compiler.
    roster::RandomSource c;
    QCOMPARE(c.next(), 0.22250938106615814);
    QCOMPARE(c.next(), 0.58471077602433585);
    QCOMPARE(c.next(), 0.93587694197499682);
}

QTEST_MAIN(TestRoster)
#include "tst_roster.moc"
