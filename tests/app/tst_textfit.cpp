// Every text the window starts with fits its control whole, in the font the
// program sets; run once as is, and once at 150 % in Portuguese.
#include "TestForm.h"

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

// Breathing space between a label's text and the control it names.
constexpr int kLabelGap = 3;

int TextWidth(const QWidget *widget, const QString &text)
{
    return QFontMetrics(widget->font()).horizontalAdvance(text);
}

int ButtonRoom(QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    // A caption needs the style's margin to stand clear of the button's edges.
    QStyle *style = button->style();
    return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width()
        - style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
}

// A label's room ends at its own right edge or at the next control to its
// right on the same line, whichever comes first.
int LabelRoom(QLabel *label)
{
    const QRect own = label->geometry();
    int right = own.right() + 1;
    for (QWidget *other : label->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect g = other->geometry();
        // Separator lines are bare frames; a text may run over them.
        if (other == label || other->metaObject() == &QFrame::staticMetaObject)
            continue;
        if (g.left() > own.left() && g.top() <= own.bottom() && g.bottom() >= own.top())
            right = std::min(right, g.left() - kLabelGap);
    }
    return right - own.left() - label->contentsMargins().left();
}

int ComboRoom(QComboBox *combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    // Text is set in from the field's edges on both sides.
    return field.width() - 4;
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
            check(b, b->text(), ButtonRoom(b));
        } else if (auto *l = qobject_cast<QLabel *>(w)) {
            check(l, l->text(), LabelRoom(l));
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            if (c->isEditable())
                check(c, c->currentText(), ComboRoom(c));
            for (int i = 0; i < c->count(); ++i)
                check(c, c->itemText(i), ComboRoom(c));
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

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
