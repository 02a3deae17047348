// The justification list, the message box's three-line limit and the two
// message commands, against the recording library.

#include "TestForm.h"

#include "app/Controls.h"
#include "field/FieldValue.h"
#include "app/Messages.h"
#include "app/WindowState.h"
#include "config/ConfigCommands.h"
#include "config/DisplayMessages.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

namespace {

const QString kJustifications =
    QStringLiteral("Aleitamento~Almoco~Lanche~Jantar~Medico~Casamento~Funeral~");

const QString kParagraph = QStringLiteral(
    "Bom dia a todos. Hoje o refeitorio fecha mais cedo por causa da limpeza geral, "
    "por isso pedimos que o almoco seja feito entre as onze e meia e a uma hora. "
    "Quem tiver consulta medica deve passar o cartao a saida e a entrada, como sempre, "
    "e entregar a justificacao na recepcao ate sexta-feira. Obrigado pela compreensao.");

// Lines as the shown box lays them out.
int LaidOutLines(QTextEdit *box)
{
    QTextDocument *doc = box->document();
    int lines = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        doc->documentLayout()->blockBoundingRect(b);
        lines += std::max(1, b.layout()->lineCount());
    }
    return lines;
}

void Show(FakeForm &f)
{
    f.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form()));
}

} // namespace

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void justificationsSentTwice();
    void justificationFailureShowsNothing();

    void boxLooks();
    void fourthLineTyped();
    void pastedParagraphKeepsItsBeginning();
    void pastedParagraphMatchesCuttingOneAtATime();
    void hugePaste();
    void typingInTheMiddlePushesTheEndOff();
    void shortTextUntouched();

    void messageSends_data();
    void messageSends();
    void messageFailure();
    void messageEmployeeOutOfRange();
    void enterInKindComboAddsNoKind();
    void showMessage();
    void showMessageWithoutLink();
};

void TestMessageBox::justificationsSentTwice()
{
    FakeForm f;
    f.c().Command14->setEnabled(true);
    f.c().Command14->click();
    f.c().Command14->click();
    const auto calls = f.fake.callsOf("W_SendJustifications");
    QCOMPARE(calls.size(), 2);
    for (const auto &call : calls) {
        QCOMPARE(call.args, (QVariantList{QStringLiteral("PONTO_00"), kJustifications}));
        const QString text = call.args.at(1).toString();
        QCOMPARE(text.size(), 58);
        QCOMPARE(text.count(u'~'), 7);
        QVERIFY(text.startsWith(QStringLiteral("Aleitamento~")));
        QVERIFY(text.endsWith(QStringLiteral("Funeral~")));
    }
}

void TestMessageBox::justificationFailureShowsNothing()
{
    FakeForm f;
    f.fake.results["W_SendJustifications"] = 0;
    f.fake.rewriteNameTo = QStringLiteral("PONTO_31");
    config::SendJustifications(f.ctx());
    QCOMPARE(f.fake.count("W_SendJustifications"), 1);
    QVERIFY(f.messages().texts.isEmpty());
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_31"));
}

void TestMessageBox::boxLooks()
{
    FakeForm f;
    QTextEdit *box = f.c().RichTextBox1;
    QCOMPARE(box->font().pointSizeF(), 8.25);
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box->size(), QSize(2235 / 15, 615 / 15));
    QVERIFY(box->toPlainText().isEmpty());
    Show(f);
    box->setPlainText(QStringLiteral("Ag\nAg\nAg")); // three full lines are in sight
    QVERIFY(box->document()->documentLayout()->documentSize().height()
            <= box->viewport()->height() + 0.5);
}

void TestMessageBox::fourthLineTyped()
{
    FakeForm f;
    Show(f);
    QTextEdit *box = f.c().RichTextBox1;
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("a"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("b"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("c"));
    QTest::keyClick(box, Qt::Key_Return); // would open a fourth line: cut again
    QCOMPARE(box->toPlainText(), QStringLiteral("a\nb\nc"));
    QCOMPARE(box->textCursor().position(), 5);
    QTest::keyClicks(box, QStringLiteral("d"));
    QCOMPARE(box->toPlainText(), QStringLiteral("a\nb\ncd"));
    QCOMPARE(box->textCursor().position(), 6);
    QCOMPARE(LaidOutLines(box), 3);
}

void TestMessageBox::pastedParagraphKeepsItsBeginning()
{
    FakeForm f;
    Show(f);
    QTextEdit *box = f.c().RichTextBox1;
    box->insertPlainText(kParagraph);
    const QString kept = box->toPlainText();
    QVERIFY(!kept.isEmpty());
    QVERIFY(kept.size() < kParagraph.size());
    QVERIFY(kParagraph.startsWith(kept));
    QCOMPARE(LaidOutLines(box), 3);
    QCOMPARE(box->textCursor().position(), kept.size()); // the caret was past the end
}

void TestMessageBox::pastedParagraphMatchesCuttingOneAtATime()
{
    // A second box of the same make, cut one character at a time while its
    // display shows more than three lines.
    FakeForm f;
    Show(f);
    QTextEdit *box = f.c().RichTextBox1;
    QTextEdit reference(&f.form());
    reference.setAcceptRichText(false);
    reference.setFont(box->font());
    reference.document()->setDocumentMargin(box->document()->documentMargin());
    reference.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    reference.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    reference.setGeometry(box->geometry());
    reference.show();

    const QStringList pastes = {
        kParagraph,
        QStringLiteral("Linha um\nLinha dois\nLinha tres\nLinha quatro\nLinha cinco"),
        QString(300, u'W'),
        QStringLiteral("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz   word  ").repeated(6),
        QString::fromUtf8("Atenção: reunião às 14h00 no salão. Não esqueçam o crachá! ").repeated(4),
    };
    for (const QString &paste : pastes) {
        box->clear();
        box->insertPlainText(paste);
        reference.setPlainText(paste);
        while (LaidOutLines(&reference) > config::kMaxMessageLines) {
            QTextCursor c(reference.document());
            c.movePosition(QTextCursor::End);
            c.deletePreviousChar();
        }
        QCOMPARE(box->toPlainText(), reference.toPlainText());
    }
}

void TestMessageBox::hugePaste()
{
    FakeForm f;
    Show(f);
    QTextEdit *box = f.c().RichTextBox1;
    const QString huge = kParagraph.repeated(150); // some 50,000 characters
    box->insertPlainText(huge);
    QVERIFY(huge.startsWith(box->toPlainText()));
    QCOMPARE(LaidOutLines(box), 3);
}

void TestMessageBox::typingInTheMiddlePushesTheEndOff()
{
    FakeForm f;
    Show(f);
    QTextEdit *box = f.c().RichTextBox1;
    box->insertPlainText(kParagraph);
    const QString full = box->toPlainText();
    QTextCursor c = box->textCursor();
    c.setPosition(5);
    box->setTextCursor(c);
    box->setFocus();
    const QString typed = QStringLiteral("xyzxyzxyzxyzxyz");
    QTest::keyClicks(box, typed);
    const QString now = box->toPlainText();
    QCOMPARE(box->textCursor().position(), 5 + typed.size());
    const QString grown = full.left(5) + typed + full.mid(5);
    QVERIFY(grown.startsWith(now));
    QVERIFY(now.size() < grown.size());
    QCOMPARE(LaidOutLines(box), 3);
}

void TestMessageBox::shortTextUntouched()
{
    FakeForm f; // not shown: the limit works from the box's geometry alone
    QTextEdit *box = f.c().RichTextBox1;
    box->setPlainText(QStringLiteral("Ola\nJoao"));
    QTextCursor c = box->textCursor();
    c.setPosition(2);
    box->setTextCursor(c);
    box->insertPlainText(QStringLiteral("!"));
    QCOMPARE(box->toPlainText(), QStringLiteral("Ol!a\nJoao"));
    QCOMPARE(box->textCursor().position(), 3);
    box->setPlainText(kParagraph);
    QVERIFY(kParagraph.startsWith(box->toPlainText()));
    QVERIFY(box->toPlainText().size() < kParagraph.size());
}

void TestMessageBox::messageSends_data()
{
    QTest::addColumn<QString>("employee");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("sentEmployee");
    QTest::newRow("start fields") << "53" << "Bom dia" << 53;
    QTest::newRow("empty box") << "53" << "" << 53;
    QTest::newRow("employee not a number") << "abc" << "x" << 0;
    QTest::newRow("employee with a tail") << "7 (Ana)" << "x" << 7;
    QTest::newRow("three lines") << "1000" << "a\nb\nc" << 1000;
}

void TestMessageBox::messageSends()
{
    QFETCH(QString, employee);
    QFETCH(QString, text);
    QFETCH(int, sentEmployee);
    FakeForm f;
    f.c().Text4->setText(employee);
    f.c().RichTextBox1->setPlainText(text);
    f.fake.rewriteNameTo = QStringLiteral("PONTO_09");
    config::Message(f.ctx());
    const auto calls = f.fake.callsOf("W_SendMessage");
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].args, (QVariantList{QStringLiteral("PONTO_00"), sentEmployee, text, 1}));
    QVERIFY(f.messages().texts.isEmpty());
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_09"));
    QCOMPARE(f.c().RichTextBox1->toPlainText(), text); // sending keeps the text
}

void TestMessageBox::messageFailure()
{
    FakeForm f;
    f.fake.results["W_SendMessage"] = 0;
    config::Message(f.ctx());
    QCOMPARE(f.messages().texts, QStringList{message::CommunicationError});
}

void TestMessageBox::messageEmployeeOutOfRange()
{
    FakeForm f;
    f.c().Text4->setText(QStringLiteral("99999999999"));
    config::Message(f.ctx());
    QCOMPARE(f.fake.count("W_SendMessage"), 0);
    QCOMPARE(f.messages().texts,
             QStringList{field::OutOfRangeMessage(QStringLiteral("Employee"),
                                                  QStringLiteral("99999999999"))});
}

void TestMessageBox::enterInKindComboAddsNoKind()
{
    FakeForm f;
    QComboBox *kinds = f.c().Combo2;
    QCOMPARE(kinds->currentText(), QString::fromUtf8("Entrada/Saída"));
    QTest::keyClicks(kinds->lineEdit(), QStringLiteral("2"));
    QTest::keyClick(kinds->lineEdit(), Qt::Key_Return);
    QCOMPARE(kinds->count(), 0);
    config::Message(f.ctx());
    QCOMPARE(f.fake.callsOf("W_SendMessage").at(0).args.at(3).toInt(), 1);
}

void TestMessageBox::showMessage()
{
    FakeForm f;
    f.c().RichTextBox1->setPlainText(QStringLiteral("Aviso"));
    f.fake.rewriteNameTo = QStringLiteral("PONTO_05");
    config::ShowMessage(f.ctx());
    const auto calls = f.fake.callsOf("W_ShowMessage");
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].args, (QVariantList{QStringLiteral("PONTO_00"), 80, QStringLiteral("Aviso")}));
    QCOMPARE(f.state().TerminalName, QStringLiteral("PONTO_05"));
}

void TestMessageBox::showMessageWithoutLink()
{
    FakeForm f;
    f.fake.results["W_ShowMessage"] = 0;
    QVERIFY(f.c().Command21->isEnabled());
    QVERIFY(!f.c().Command4->isEnabled());
    f.c().Command21->click();
    QCOMPARE(f.fake.count("W_ShowMessage"), 1);
    QCOMPARE(f.fake.callsOf("W_ShowMessage").at(0).args.at(1).toInt(), 80);
    QVERIFY(f.messages().texts.isEmpty());
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
