// Every text the window starts with fits its control whole, in the font the
// program sets; run once as is, and once at 150 % in Portuguese.
#include "TestForm.h"

#include "app/CaptionFit.h"
#include "app/WindowLook.h"
#include "clock/ClockSeconds.h"
#include "entries/FlexGrid.h"
#include "reception/EntryPolling.h"
#include "reception/EntryRow.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>

namespace {

int TextWidth(const QWidget *widget, const QString &text)
{
    return QFontMetrics(widget->font()).horizontalAdvance(text);
}

int HeaderRoom(FlexGrid *grid, int column)
{
    QHeaderView *header = grid->horizontalHeader();
    QStyleOptionHeader option;
    option.initFrom(header);
    option.rect = QRect(0, 0, header->sectionSize(column), header->height());
    return header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
}

int CellRoom(FlexGrid *grid, int column)
{
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    return grid->horizontalHeader()->sectionSize(column) - 2 * margin - 1;
}

} // namespace

class TestTextFit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ApplyWindowLook(); }
    void everyTextFitsItsControl();
    void theNewestEntrysDateFitsForEveryWeekday();
    void aTooWideCaptionIsCondensedJustEnough_data();
    void aTooWideCaptionIsCondensedJustEnough();
};

void TestTextFit::everyTextFitsItsControl()
{
    FakeForm f;
    f.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form()));

    QStringList misfits;
    auto check = [&misfits](const QWidget *w, const QString &text, int room) {
        const int width = TextWidth(w, text);
        if (width > room)
            misfits << QStringLiteral("%1: \"%2\" is %3 px wide in %4 px")
                           .arg(w->objectName(), text).arg(width).arg(room);
    };
    int checked = 0;
    for (QWidget *w : f.form().findChildren<QWidget *>()) {
        if (auto *b = qobject_cast<QPushButton *>(w)) {
            check(b, b->text(), captionfit::TextRoom(b));
        } else if (auto *l = qobject_cast<QLabel *>(w)) {
            check(l, l->text(), captionfit::TextRoom(l));
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            if (c->isEditable())
                check(c, c->currentText(), captionfit::TextRoom(c));
            for (int i = 0; i < c->count(); ++i)
                check(c, c->itemText(i), captionfit::TextRoom(c));
        } else if (auto *g = qobject_cast<FlexGrid *>(w)) {
            for (int column = 0; column < g->cols(); ++column)
                check(g->horizontalHeader(), g->textMatrix(0, column), HeaderRoom(g, column));
        } else {
            continue;
        }
        ++checked;
    }
    QVERIFY(checked > 50);

    // The running total, also once the count has grown by digits.
    FlexGrid *grid = f.c().MSFlexGrid1;
    for (int32_t index : {36, 123456}) {
        ReceivedEntry entry;
        entry.index = index;
        reception::ProcessReceivedEntry(f.ctx(), entry);
        check(grid->horizontalHeader(), grid->textMatrix(0, reception::kTotalColumn),
              HeaderRoom(grid, reception::kTotalColumn));
    }

    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
}

void TestTextFit::theNewestEntrysDateFitsForEveryWeekday()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid1;
    const int room = CellRoom(grid, 0);
    for (int day = 0; day < 7; ++day) {
        const QString text = clocktime::SecondsToDateText(976190400 + day * 86400);
        QVERIFY2(TextWidth(grid, text) <= room, qPrintable(text));
    }
}


void TestTextFit::aTooWideCaptionIsCondensedJustEnough_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("spare"); // room beyond the widest text at full width
    QTest::addColumn<bool>("condensed");
    QTest::addColumn<bool>("fits");
    const QStringList one{QStringLiteral("Calibrate Quartz Crystal")};
    const QStringList items{QStringLiteral("Hora de Ver\u00e3o"), QStringLiteral("Hora de Inverno")};
    QTest::newRow("fits") << one << 0 << false << true;
    QTest::newRow("a few pixels over") << one << -4 << true << true;
    QTest::newRow("the widest of several items") << items << -4 << true << true;
    QTest::newRow("far too wide") << one << -60 << true << false;
}

void TestTextFit::aTooWideCaptionIsCondensedJustEnough()
{
    QFETCH(QStringList, texts);
    QFETCH(int, spare);
    QFETCH(bool, condensed);
    QFETCH(bool, fits);
    const QFont font = WindowFont();
    int widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, QFontMetrics(font).horizontalAdvance(text));
    const int room = widest + spare;

    const QFont fitted = captionfit::Condensed(font, texts, room);
    QCOMPARE(fitted != font, condensed);
    QCOMPARE(fitted.family(), font.family());
    int fittedWidest = 0;
    for (const QString &text : texts)
        fittedWidest = std::max(fittedWidest, QFontMetrics(fitted).horizontalAdvance(text));
    QCOMPARE(fittedWidest <= room, fits);
}

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
