// The window as it comes up: every control, start value and state.
#include "TestForm.h"

#include "app/ButtonFace.h"
#include "entries/FlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

class TestForm : public QObject
{
    Q_OBJECT
private slots:
    void captionAndStartUpCalls();
    void onlySevenButtonsEnabledAtStart();
    void startTexts_data();
    void startTexts();
    void startChecks();
    void combos();
    void justificationGrid();
    void buttonFaces();
    void captureFileNameCarriesTheStartDate();
    void terminalNameFollowsTheTerminalNumber_data();
    void terminalNameFollowsTheTerminalNumber();
    void placedInTwips();
    void closingEndsWithoutLibraryCalls();
    void withoutTheLibraryTheLinkDoesNotOpen();
};

void TestForm::captionAndStartUpCalls()
{
    FakeForm f;
    QCOMPARE(f.form().windowTitle(), QStringLiteral("Velmora 1.0 Test Program"));
    QCOMPARE(f.fake.ops(), (QStringList{"SetPCName", "SetConfirmationsTimeout"}));
    QCOMPARE(f.fake.calls[0].args, QVariantList{QStringLiteral("PONTO_PC")});
    QCOMPARE(f.fake.calls[1].args, (QVariantList{1000, 1000}));
    QVERIFY(f.messages().texts.isEmpty());
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_00"));
    QCOMPARE(f.state().ComPort, 0);
    QVERIFY(!f.state().ModemDialled);
    QCOMPARE(f.state().CaptureFileOpen, 0);
}

void TestForm::onlySevenButtonsEnabledAtStart()
{
    FakeForm f;
    QStringList enabled;
    const auto buttons = f.form().findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 4 + 23 + 3);
    for (QPushButton *b : buttons) {
        if (b->isEnabled())
            enabled << b->objectName();
    }
    enabled.sort();
    QCOMPARE(enabled, (QStringList{"Command13_0", "Command13_1", "Command13_2", "Command13_3",
                                   "Command19", "Command21", "Command22"}));
    QCOMPARE(f.form().buttons().linkCommands().size(), 23);
    QVERIFY(!f.c().Timer1->isActive());
    QCOMPARE(f.c().Timer1->interval(), 1000);
}

void TestForm::startTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("terminal number") << "Text11" << "00";
    QTest::newRow("COM") << "Text21" << "1";
    QTest::newRow("seconds") << "Text12" << "";
    QTest::newRow("date line") << "Text13" << "";
    QTest::newRow("event index") << "Text7" << "0";
    QTest::newRow("period") << "Text9" << "0";
    QTest::newRow("repeats") << "Text10" << "0";
    QTest::newRow("entry separation") << "Text1_0" << "60 segundos";
    QTest::newRow("message delay") << "Text1_1" << "4 segundos";
    QTest::newRow("day close") << "Text1_2" << "86100 (23:55)";
    QTest::newRow("entry message") << "Text1_3" << "ENTRA";
    QTest::newRow("exit message") << "Text1_4" << "SALE";
    QTest::newRow("card series") << "Text1_5" << "8000";
    QTest::newRow("maximum work time") << "Text1_6" << "0";
    QTest::newRow("gate 1") << "Text3" << "0";
    QTest::newRow("gate 2") << "Text8" << "0";
    QTest::newRow("index") << "Text2" << "0";
    QTest::newRow("entry seconds") << "Text5" << "654321";
    QTest::newRow("employee") << "Text4" << "53";
    QTest::newRow("presence") << "Text6" << "1";
    QTest::newRow("times") << "Text22" << "1";
    QTest::newRow("first employee") << "Text17" << "1";
    QTest::newRow("last employee") << "Text18" << "99";
    QTest::newRow("telephone number") << "Text19" << "";
    QTest::newRow("pointer 1") << "Text14" << "";
    QTest::newRow("pointer 2") << "Text15" << "";
    QTest::newRow("pointer 3") << "Text16" << "";
}

void TestForm::startTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    FakeForm f;
    auto *edit = f.form().findChild<QLineEdit *>(name);
    QVERIFY2(edit, qPrintable(name));
    QCOMPARE(edit->text(), text);
}

void TestForm::startChecks()
{
    FakeForm f;
    Controls &c = f.c();
    for (int i = 0; i < 32; ++i)
        QCOMPARE(c.Check3[size_t(i)]->isChecked(), i <= 4);
    for (QCheckBox *day : c.Check4)
        QVERIFY(day->isChecked());
    QVERIFY(c.Check5->isChecked());
    QVERIFY(!c.Check6->isChecked());
    QVERIFY(!c.Check1->isChecked());
    QVERIFY(!c.Check2->isChecked());
    QVERIFY(!c.Check8->isChecked());
    QVERIFY(c.RichTextBox1->toPlainText().isEmpty());
    QVERIFY(c.RichTextBox2->toPlainText().isEmpty());
}

void TestForm::combos()
{
    FakeForm f;
    QComboBox *functions = f.c().Combo1;
    QCOMPARE(functions->count(), 19);
    QCOMPARE(functions->currentIndex(), 17);
    QCOMPARE(functions->currentText(), QString::fromUtf8("Toque Relé 1"));
    const QStringList named = {"Nulo", "beep1", "beep2", QString::fromUtf8("Hora de Verão"),
                               "Hora de Inverno", QString::fromUtf8("Relé 1 ON"),
                               QString::fromUtf8("Relé 1 OFF")};
    for (int i = 0; i < named.size(); ++i)
        QCOMPARE(functions->itemText(i), named[i]);
    for (int i = 7; i <= 16; ++i)
        QVERIFY(functions->itemText(i).isEmpty());
    QCOMPARE(functions->itemText(18), QString::fromUtf8("Toque Relé 2"));
    QComboBox *kinds = f.c().Combo2;
    QCOMPARE(kinds->count(), 0);
    QCOMPARE(kinds->currentIndex(), -1);
    QCOMPARE(kinds->currentText(), QString::fromUtf8("Entrada/Saída"));
}

void TestForm::justificationGrid()
{
    FakeForm f;
    FlexGrid *grid = f.c().MSFlexGrid3;
    QCOMPARE(grid->rows(), 8);
    const QStringList expected = {"Justificacoes", "Aleitamento", "Almoco", "Lanche",
                                  "Jantar", "Medico", "Casamento", "Funeral"};
    for (int row = 0; row < 8; ++row)
        QCOMPARE(grid->textMatrix(row, 0), expected[row]);
    QCOMPARE(grid->colWidth(0), 10000 / 15 * 15);
}

void TestForm::buttonFaces()
{
    FakeForm f;
    QCOMPARE(face::Colour(f.c().Command13[1]), QColor(0, 192, 0));
    QCOMPARE(face::Colour(f.c().Command22), QColor(0, 192, 0));
    QCOMPARE(face::Colour(f.c().Command20), QColor(255, 0, 0));
    QCOMPARE(face::Colour(f.c().Command10), QColor(255, 255, 192));
    QCOMPARE(face::Colour(f.c().Command13[0]), face::SystemButtonFace());
}

void TestForm::captureFileNameCarriesTheStartDate()
{
    FakeForm f; // started on 2026-12-07
#ifdef Q_OS_WIN
    const QString folder = QStringLiteral("C:\\");
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + '/';
#endif
    const QString capture = folder + QStringLiteral("CLOCK12-07-2026.RAW");
    QCOMPARE(f.c().Text23->text(), capture);
    QCOMPARE(f.c().Text24->text(), folder + QStringLiteral("CLOCKDATA.RAW"));
    // Not updated afterwards: the name belongs to the user from then on.
    f.t.pcClock.set(QDateTime(QDate(2027, 1, 2), QTime(8, 0)));
    QCOMPARE(f.c().Text23->text(), capture);
}

void TestForm::terminalNameFollowsTheTerminalNumber_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "" << "PONTO_";
    QTest::newRow("12") << "12" << "PONTO_12";
    QTest::newRow("letters") << "AB" << "PONTO_AB";
    QTest::newRow("spaces kept") << " 1 " << "PONTO_ 1 ";
    QTest::newRow("long") << "123456" << "PONTO_123456";
}

void TestForm::terminalNameFollowsTheTerminalNumber()
{
    QFETCH(QString, number);
    QFETCH(QString, name);
    FakeForm f;
    f.c().Text11->setText(number);
    QCOMPARE(f.state().TerminalName, name);
}

void TestForm::placedInTwips()
{
    FakeForm f;
    // 15 twips to a pixel.
    QCOMPARE(f.c().MSFlexGrid1->geometry(), QRect(8, 408, 657, 213));
    QCOMPARE(f.c().MSFlexGrid2->geometry(), QRect(452, 200, 177, 161));
    QCOMPARE(f.c().RichTextBox1->size(), QSize(149, 41));
    QCOMPARE(f.c().Command2->geometry(), QRect(84, 372, 73, 29));
    QCOMPARE(f.c().Text17->geometry().topLeft(), QPoint(688, 384));
    for (QFrame *line : f.c().Lines)
        QVERIFY(line);
}

void TestForm::closingEndsWithoutLibraryCalls()
{
    FakeForm f;
    f.form().show();
    f.c().Timer1->start();
    f.fake.clearCalls();
    f.form().close();
    QVERIFY(f.t.ended);
    QVERIFY(f.state().Ending);
    QVERIFY(!f.c().Timer1->isActive());
    QVERIFY(f.fake.calls.isEmpty());
}

void TestForm::withoutTheLibraryTheLinkDoesNotOpen()
{
    auto lib = KestComLibrary::bind(QStringLiteral("/nonexistent/folder/KestCom"));
    QVERIFY(!lib->bindingProblem().isEmpty());
    TestFormWith<KestComLibrary> t(*lib);
    QCOMPARE(t.form.windowTitle(), QStringLiteral("Velmora 1.0 Test Program"));
    QVERIFY(t.c().Command13[1]->isEnabled());
    t.c().Command13[1]->click();
    QCOMPARE(t.messages.texts, QStringList{QString::fromUtf8("Não encontro o relógio")});
    QVERIFY(t.c().Command13[1]->isEnabled());
    QVERIFY(!t.c().Command15->isEnabled());
    QVERIFY(!t.c().Timer1->isActive());
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
