// The wait cursor while a command holds the window, seen from inside the
// library it calls, and the normal cursor while a message box is up.
#include "TestForm.h"

#include "app/BusyCursor.h"
#include "app/Messages.h"
#include "reception/EntryPolling.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// "PC seconds" and the nudges change only the seconds field.
const QStringList kOnlyFieldWork = {"Command8", "Command9", "Command11", "Command12"};

int CursorShape()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : -1;
}
} // namespace

class TestBusyCursor : public QObject
{
    Q_OBJECT
private slots:
    void everyLibraryCallSeesTheWaitCursor_data();
    void everyLibraryCallSeesTheWaitCursor();
    void aMessageBoxShowsTheNormalCursor();
};

void TestBusyCursor::everyLibraryCallSeesTheWaitCursor_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("linkOpen");
    // A field set before the click ("" for none), and whether the command
    // then stops with a message.
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stops");

    FakeForm f;
    const auto &linkCommands = f.form().buttons().linkCommands();
    for (QPushButton *b : f.form().findChildren<QPushButton *>())
        QTest::newRow(qPrintable(b->objectName() + ' ' + b->text()))
            << b->objectName() << linkCommands.contains(b) << "" << "" << false;
    const QString tooBig = QStringLiteral("1e99");
    QTest::newRow("baud, bad COM field") << "Command13_1" << false << "Text21" << tooBig << true;
    QTest::newRow("Insert Entry, bad index") << "Command2" << true << "Text2" << tooBig << true;
    QTest::newRow("Send employees, bad range") << "Command17" << true << "Text17" << tooBig << true;
}

void TestBusyCursor::everyLibraryCallSeesTheWaitCursor()
{
    QFETCH(QString, button);
    QFETCH(bool, linkOpen);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, stops);

    FakeForm f;
    QTemporaryDir dir;
    f.c().Text23->setText(dir.filePath(QStringLiteral("capture.raw")));
    f.c().Text24->setText(dir.filePath(QStringLiteral("restore.raw")));
    if (linkOpen)
        f.c().Command13[1]->click();
    if (!field.isEmpty())
        f.form().findChild<QLineEdit *>(field)->setText(text);
    QCOMPARE(CursorShape(), -1);

    QList<int> shapes;
    f.fake.clearCalls();
    f.fake.onCall = [&shapes](const FakeKestCom::Call &) { shapes << CursorShape(); };
    auto *b = f.form().findChild<QPushButton *>(button);
    QVERIFY(b && b->isEnabled());
    b->click();

    QCOMPARE(CursorShape(), -1);
    for (int shape : shapes)
        QCOMPARE(shape, int(Qt::WaitCursor));
    if (stops)
        QVERIFY(!f.messages().texts.isEmpty());
    else
        QVERIFY(!shapes.isEmpty() || kOnlyFieldWork.contains(button));
}

void TestBusyCursor::aMessageBoxShowsTheNormalCursor()
{
    DialogMessages messages;
    int shapeWhileUp = -2;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            shapeWhileUp = CursorShape();
            box->close();
        }
    });
    poll.start(10);
    {
        BusyCursor busy;
        messages.inform(QStringLiteral("Comunication error"));
        QCOMPARE(CursorShape(), int(Qt::WaitCursor));
    }
    QCOMPARE(shapeWhileUp, int(Qt::ArrowCursor));
    QCOMPARE(CursorShape(), -1);
}

QTEST_MAIN(TestBusyCursor)
#include "tst_busycursor.moc"
