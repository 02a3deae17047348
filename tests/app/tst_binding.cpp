// The clock link library bound by operation name, and the text buffers
// that cross it.
#include "link/AnsiText.h"
#include "link/KestComLibrary.h"
#include "terminal/engine/SimTerminalTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

namespace {

// The in-process simulated terminal this test links, bound by its path, so
// the test's Sim_ calls and the binding reach the same copy.
std::unique_ptr<KestComLibrary> bindSimulated()
{
    return KestComLibrary::bind(QDir(QCoreApplication::applicationDirPath()).filePath("KestComSim"));
}

} // namespace

class TestBinding : public QObject
{
    Q_OBJECT
private slots:
    void init() { Sim_Reset(); }
    void bindsTheBuiltLibraryBesideTheProgram();
    void everyOperationReachesTheLibrary();
    void lackingOperationIsNamedAndAnswersZero();
    void missingLibraryIsNamedAndEveryOperationAnswersZero();
    void encode_data();
    void encode();
#ifdef Q_OS_WIN
    void encodeInOtherCodePages_data();
    void encodeInOtherCodePages();
#endif
    void decodeKeepsZeroBytes();
    void nameBufferTakenBackAtItsLength();
    void receivedNameKeepsNineCharacters();
    void shortZeroTerminatedNameKeepsNineCharacters();
};

void TestBinding::bindsTheBuiltLibraryBesideTheProgram()
{
    auto lib = KestComLibrary::bindDefault();
    QVERIFY(lib->loaded());
    QVERIFY2(lib->complete(), qPrintable(lib->missingOperations().join(',')));
    QVERIFY(lib->bindingProblem().isEmpty());
    QVERIFY(lib->fileName().startsWith(QCoreApplication::applicationDirPath()));
}

void TestBinding::everyOperationReachesTheLibrary()
{
    auto lib = bindSimulated();
    QCOMPARE(lib->InitializeCommWithoutError(1, 19200), 1);
    QString name = QStringLiteral("PONTO_00");
    QVERIFY(lib->Reset_Message(name) != 0);
    QCOMPARE(name, QStringLiteral("PONTO_00"));
    QCOMPARE(Sim_CallCount("Reset_Message"), 1);
    QVERIFY(lib->W_SendSeconds(name, 1000) != 0);
    QVERIFY(lib->W_InsertEntry(name, 0, 5, 1053, 1, 0, 1) != 0);
    int32_t first = -1, second = -1, third = -1;
    QVERIFY(lib->W_ReadPointers(name, first, second, third) != 0);
    QCOMPARE(first, 1);
    // A name that no terminal answers to fails.
    QString other = QStringLiteral("PONTO_01");
    QCOMPARE(lib->Reset_Message(other), 0);
}

void TestBinding::lackingOperationIsNamedAndAnswersZero()
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath("KestComLacking");
    auto lib = KestComLibrary::bind(path);
    QVERIFY(lib->loaded());
    QCOMPARE(lib->missingOperations(), QStringList{QStringLiteral("W_Kill")});
    QVERIFY(!lib->complete());
    QVERIFY(lib->bindingProblem().contains(QStringLiteral("W_Kill")));
    QString name = QStringLiteral("PONTO_00");
    QCOMPARE(lib->W_Kill(name), 0);
    QCOMPARE(name, QStringLiteral("PONTO_00"));
}

void TestBinding::missingLibraryIsNamedAndEveryOperationAnswersZero()
{
    auto lib = KestComLibrary::bind(QStringLiteral("/nonexistent/folder/KestCom"));
    QVERIFY(!lib->loaded());
    QVERIFY(lib->bindingProblem().contains(QStringLiteral("KestCom")));
    QString name = QStringLiteral("PONTO_00");
    QCOMPARE(lib->SetPCName(QStringLiteral("PONTO_PC")), 0);
    QCOMPARE(lib->InitializeCommWithoutError(1, 19200), 0);
    QCOMPARE(lib->Reset_Message(name), 0);
    QCOMPARE(lib->W_ReadSeconds(name), 0);
    int32_t a = 7, b = 7, c = 7;
    QCOMPARE(lib->W_ReadPointers(name, a, b, c), 0);
    QCOMPARE(a, 7);
    QString clockName(9, u' ');
    int32_t i = 0, s = 0, card = 0, orValue = 0, code = 0;
    uint8_t aux = 0, just = 0, pres = 0;
    QCOMPARE(lib->W_ReceiveEntry(clockName, i, s, card, aux, just, pres, orValue, code), 0);
    QCOMPARE(name, QStringLiteral("PONTO_00"));
}

void TestBinding::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "PONTO_00" << QByteArray("PONTO_00");
    QTest::newRow("accents") << QString::fromUtf8("Não") << QByteArray("N\xe3o");
    QTest::newRow("euro sign") << QString::fromUtf8("€") << QByteArray("\x80");
    QTest::newRow("unencodable") << QString::fromUtf8("a\u4e00b") << QByteArray("a?b");
    QTest::newRow("outside the basic plane") << QString::fromUtf8("x\U0001F600y")
                                             << QByteArray("x?y");
    QTest::newRow("empty") << "" << QByteArray();
}

void TestBinding::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ansi::encode(text), bytes);
}

#ifdef Q_OS_WIN
// PCs set to UTF-8 or to a double-byte page: still one byte a character.
void TestBinding::encodeInOtherCodePages_data()
{
    QTest::addColumn<unsigned>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("UTF-8, accents") << 65001u << QString::fromUtf8("Não") << QByteArray("N?o");
    QTest::newRow("UTF-8, ascii") << 65001u << QStringLiteral("PONTO_00") << QByteArray("PONTO_00");
    QTest::newRow("Japanese, half-width katakana") << 932u << QString::fromUtf8("a\uff71b") << QByteArray("a\xb1" "b");
    QTest::newRow("Japanese, a two-byte character") << 932u << QString::fromUtf8("a\u4e00b") << QByteArray("a?b");
    QTest::newRow("Cyrillic") << 1251u << QString::fromUtf8("\u0416") << QByteArray("\xc6");
    QTest::newRow("no best fit") << 1252u << QString::fromUtf8("\u0100") << QByteArray("?");
}

void TestBinding::encodeInOtherCodePages()
{
    QFETCH(unsigned, page);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ansi::encodeIn(page, text), bytes);
}
#endif

void TestBinding::decodeKeepsZeroBytes()
{
    const QString text = ansi::decode("AB\0\xe3 ", 5);
    QCOMPARE(text.size(), 5);
    QCOMPARE(text[2], QChar(0));
    QCOMPARE(text[3], QChar(0xe3));
}

void TestBinding::nameBufferTakenBackAtItsLength()
{
    ansi::Buffer buffer(QStringLiteral("PONTO_00"));
    QCOMPARE(buffer.length(), 8);
    // A library that shortens the name leaves zero bytes, which come back.
    buffer.data()[5] = '\0';
    const QString back = buffer.takeBack();
    QCOMPARE(back.size(), 8);
    QCOMPARE(back.left(5), QStringLiteral("PONTO"));
    QCOMPARE(back[5], QChar(0));
    // Writing past the text stays inside memory the buffer owns.
    for (int i = 8; i < 200; ++i)
        buffer.data()[i] = 'x';
    QCOMPARE(buffer.takeBack().size(), 8);
}

void TestBinding::receivedNameKeepsNineCharacters()
{
    auto lib = bindSimulated();
    QCOMPARE(lib->InitializeCommWithoutError(1, 19200), 1);
    QVERIFY(Sim_PassCard("PONTO_00", 1053) >= 0);
    QString clockName(9, u' ');
    int32_t i = 0, s = 0, card = 0, orValue = 0, code = 0;
    uint8_t aux = 0, just = 0, pres = 0;
    QCOMPARE(lib->W_ReceiveEntry(clockName, i, s, card, aux, just, pres, orValue, code), 1);
    QCOMPARE(clockName.size(), 9);
    QCOMPARE(clockName, QStringLiteral("PONTO_00 "));
    QCOMPARE(card, 1053);
}

void TestBinding::shortZeroTerminatedNameKeepsNineCharacters()
{
    auto lib = bindSimulated();
    QCOMPARE(lib->InitializeCommWithoutError(1, 19200), 1);
    QVERIFY(Sim_AddTerminal("AB"));
    QVERIFY(Sim_PassCard("AB", 1001) >= 0);
    Sim_SetZeroTerminatedNames(1);
    QString clockName(9, u' ');
    int32_t i = 0, s = 0, card = 0, orValue = 0, code = 0;
    uint8_t aux = 0, just = 0, pres = 0;
    QCOMPARE(lib->W_ReceiveEntry(clockName, i, s, card, aux, just, pres, orValue, code), 1);
    // The name, the zero character and the blanks the buffer held after it.
    QCOMPARE(clockName, QStringLiteral("AB") + QChar(0) + QString(6, u' '));
}

QTEST_GUILESS_MAIN(TestBinding)
#include "tst_binding.moc"
