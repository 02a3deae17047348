// The window as assistive tools and the keyboard meet it: names, labels,
// the tab chain, and commands pressed without a mouse.
#include "TestForm.h"

#include "entries/FlexGrid.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTextEdit>

namespace {

// The controls a person types into, ticks, picks from or reads a grid of,
// plus the buttons (whose names must not collide with them either).
QList<QWidget *> InputsAndButtons(ClockTestForm &form)
{
    QList<QWidget *> found;
    for (QWidget *w : form.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QCheckBox *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<QTextEdit *>(w)
            || qobject_cast<FlexGrid *>(w) || qobject_cast<QPushButton *>(w))
            found << w;
    }
    return found;
}

// Every object the accessibility tree of the window exposes, without going
// into the cells of grids and the parts of combo boxes.
void Walk(QAccessibleInterface *iface, QHash<QObject *, QAccessibleInterface *> &seen)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (!child)
            continue;
        if (child->object())
            seen.insert(child->object(), child);
        const QAccessible::Role role = child->role();
        if (role != QAccessible::Table && role != QAccessible::ComboBox)
            Walk(child, seen);
    }
}

QString AccessibleName(QAccessibleInterface *iface)
{
    // On Linux Qt gives a combo box's current text as its name and leaves
    // the caption to the label relation; the name set on the widget is what
    // the other platforms' bridges announce.
    if (iface->role() == QAccessible::ComboBox)
        return static_cast<QWidget *>(iface->object())->accessibleName();
    return iface->text(QAccessible::Name);
}

QWidget *TakesFocus(QWidget *w)
{
    // An editable combo box's line edit passes its focus on to the box.
    if (w && qobject_cast<QComboBox *>(w->parentWidget()))
        return w->parentWidget();
    return w;
}

// Which panel a control stands in, counted in tab order, from its centre in
// twips. The right column runs the full height, so it comes last.
int Panel(const QWidget *w)
{
    const QPoint centre = w->geometry().center() * FlexGrid::kTwipsPerPixel;
    const int x = centre.x(), y = centre.y();
    if (x > 10080)
        return 9; // right column
    if (y < 1140)
        return x < 3960 ? 0 : x < 5880 ? 1 : 2; // link, pointers, capture
    if (y < 1860)
        return 3; // clock row
    if (y < 3000)
        return 4; // event schedule
    if (y < 5490)
        return x > 6720 ? 7 : y < 4515 ? 5 : 6; // configuration, messages, employee grid
    return 8; // entries
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasItsOwnName();
    void namesSayWhatTheyHold_data();
    void namesSayWhatTheyHold();
    void labelsAreRelatedToTheirFields();
    void tabChainReachesEveryEnabledControlOnce_data();
    void tabChainReachesEveryEnabledControlOnce();
    void spacePressesAButton();
    void returnOnAGridCellActsAsAClick();
};

void TestAccessibility::everyControlHasItsOwnName()
{
    FakeForm f;
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&f.form());
    QVERIFY(window);
    QHash<QObject *, QAccessibleInterface *> seen;
    Walk(window, seen);

    QHash<QString, QString> owner; // name -> object name
    const QList<QWidget *> controls = InputsAndButtons(f.form());
    // buttons, text fields, check boxes, combo boxes, message boxes, grids
    QCOMPARE(controls.size(), 30 + 29 + 44 + 2 + 2 + 3);
    for (QWidget *w : controls) {
        QAccessibleInterface *iface = seen.value(w);
        QVERIFY2(iface, qPrintable(w->objectName() + " is not in the accessibility tree"));
        const QString name = AccessibleName(iface);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(w->objectName() + " has no name"));
        QVERIFY2(!owner.contains(name),
                 qPrintable(QStringLiteral("%1 and %2 are both called \"%3\"")
                                .arg(owner.value(name), w->objectName(), name)));
        owner.insert(name, w->objectName());
    }
}

void TestAccessibility::namesSayWhatTheyHold_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("entry index under its label") << "Text2" << "Entry index";
    QTest::newRow("event index") << "Text7" << "Event index";
    QTest::newRow("configuration field by its label") << "Text1_6" << "Maximum work time";
    QTest::newRow("gate") << "Text8" << "Gate #2";
    QTest::newRow("first pointer") << "Text14" << "First pointer";
    QTest::newRow("first ring second") << "Check3_0" << "Seconds to ring 1";
    QTest::newRow("last ring second") << "Check3_31" << "Seconds to ring 32";
    QTest::newRow("first weekday") << "Check4_0" << "Monday";
    QTest::newRow("last weekday") << "Check4_6" << "Sunday";
    QTest::newRow("terminal number") << "Text11" << "Terminal number";
    QTest::newRow("modem number") << "Text19" << "Modem number";
    QTest::newRow("selected employee") << "RichTextBox2" << "Selected employee";
    QTest::newRow("function combo") << "Combo1" << "Function";
    QTest::newRow("entry grid") << "MSFlexGrid1" << "Entries";
    QTest::newRow("a button keeps its caption") << "Command20" << "Calibrate Quartz Crystal";
}

void TestAccessibility::namesSayWhatTheyHold()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    FakeForm f;
    auto *w = f.form().findChild<QWidget *>(control);
    QVERIFY(w);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    QVERIFY(iface);
    QCOMPARE(AccessibleName(iface), name);
    QCOMPARE(w->objectName(), control); // names are for people; the control keeps its own
}

void TestAccessibility::labelsAreRelatedToTheirFields()
{
    // A label that stands by a field is its buddy, so a reader can announce
    // the caption with the field (and the label says whom it labels).
    FakeForm f;
    for (QLabel *label : f.form().findChildren<QLabel *>()) {
        QWidget *buddy = label->buddy();
        QVERIFY2(buddy, qPrintable(label->objectName() + " labels nothing"));
        QAccessibleInterface *field = QAccessible::queryAccessibleInterface(buddy);
        bool related = false;
        for (const auto &relation : field->relations(QAccessible::Label))
            related = related || relation.first->object() == label;
        QVERIFY2(related, qPrintable(label->objectName() + " is not the label of "
                                     + buddy->objectName()));
    }
}

void TestAccessibility::tabChainReachesEveryEnabledControlOnce_data()
{
    QTest::addColumn<bool>("linkOpen");
    QTest::newRow("no link") << false;
    QTest::newRow("link open") << true;
}

void TestAccessibility::tabChainReachesEveryEnabledControlOnce()
{
    QFETCH(bool, linkOpen);
    FakeForm f;
    if (linkOpen) {
        f.form().buttons().setLinkCommandsEnabled(true);
        f.form().buttons().setBaudButtonsEnabled(false);
    }
    f.form().show();
    QVERIFY(QTest::qWaitForWindowActive(&f.form()));

    QList<QWidget *> expected;
    for (QWidget *w : InputsAndButtons(f.form())) {
        if (w->isEnabled())
            expected << w;
    }
    QWidget *first = expected.first() == f.c().Text11 ? f.c().Text11 : nullptr;
    QVERIFY(first);
    first->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), first);

    // Real Tab presses: a box that swallows the Tab, or a grid that walks
    // its cells with it, would stop the walk here.
    QList<QWidget *> visited{first};
    for (int i = 0; i < 2 * expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *now = TakesFocus(QApplication::focusWidget());
        if (now == first)
            break;
        QVERIFY2(!visited.contains(now), qPrintable(now->objectName() + " reached twice"));
        visited << now;
    }
    for (QWidget *w : expected)
        QVERIFY2(visited.contains(w), qPrintable(w->objectName() + " never reached"));
    QCOMPARE(visited.size(), expected.size());

    // Panels in reading order; in a panel, rows top to bottom and each row
    // left to right (within 150 twips counts as one row).
    for (int i = 1; i < visited.size(); ++i) {
        const QWidget *a = visited[i - 1];
        const QWidget *b = visited[i];
        const QString pair = a->objectName() + " -> " + b->objectName();
        QVERIFY2(Panel(a) <= Panel(b), qPrintable("panel order broken: " + pair));
        if (Panel(a) != Panel(b))
            continue;
        const int ay = a->geometry().center().y() * FlexGrid::kTwipsPerPixel;
        const int by = b->geometry().center().y() * FlexGrid::kTwipsPerPixel;
        if (std::abs(ay - by) <= 150)
            QVERIFY2(a->x() < b->x(), qPrintable("not left to right: " + pair));
        else
            QVERIFY2(ay < by, qPrintable("not top to bottom: " + pair));
    }
}

void TestAccessibility::spacePressesAButton()
{
    FakeForm f;
    f.form().show();
    QVERIFY(QTest::qWaitForWindowActive(&f.form()));
    f.fake.clearCalls();
    QPushButton *show = f.c().Command21; // "Show Message", enabled without a link
    show->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(show->hasFocus());
    QTest::keyClick(show, Qt::Key_Space);
    QCOMPARE(f.fake.count(QStringLiteral("W_ShowMessage")), 1);
}

void TestAccessibility::returnOnAGridCellActsAsAClick()
{
    FakeForm f;
    f.form().show();
    QVERIFY(QTest::qWaitForWindowActive(&f.form()));
    FlexGrid *employees = f.c().MSFlexGrid2;
    employees->setFocus(Qt::TabFocusReason);
    // Row 7 of the grid (model row 6), second column: the click takes the row.
    employees->setCurrentIndex(employees->model()->index(6, 1));
    QTest::keyClick(employees, Qt::Key_Return);
    QCOMPARE(f.c().Text4->text(), employees->textMatrix(7, 0));
    QCOMPARE(f.c().RichTextBox2->toPlainText(), employees->textMatrix(7, 1));
    QVERIFY(!f.c().RichTextBox2->toPlainText().isEmpty());

    FlexGrid *entries = f.c().MSFlexGrid1;
    entries->setTextMatrix(1, 7, QStringLiteral(" 12"));
    entries->setFocus(Qt::TabFocusReason);
    entries->setCurrentIndex(entries->model()->index(0, 2));
    QTest::keyClick(entries, Qt::Key_Space);
    QCOMPARE(f.c().Text2->text(), QStringLiteral(" 12"));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
