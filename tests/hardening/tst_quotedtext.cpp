// What a message quotes of a field's text or a file name.
#include "field/QuotedText.h"

#include <QTest>

using field::Elide;
Q_DECLARE_METATYPE(field::Elide)

class TestQuotedText : public QObject
{
    Q_OBJECT
private slots:
    void quoted_data();
    void quoted();
};

void TestQuotedText::quoted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Elide>("elide");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("expected");

    const QString a40(40, u'a');
    const QString ellipsis(QChar(0x2026));
    QTest::newRow("short text as it is") << QStringLiteral("12 abc") << Elide::End << 40
                                         << QStringLiteral("12 abc");
    QTest::newRow("at the limit as it is") << a40 << Elide::End << 40 << a40;
    QTest::newRow("one over: end cut") << a40 + u'b' << Elide::End << 40
                                       << QString(39, u'a') + ellipsis;
    QTest::newRow("path: middle left out")
        << QStringLiteral("/home/tech/") + QString(100, u'd') + QStringLiteral("/capture.raw")
        << Elide::Middle << 60
        << QStringLiteral("/home/tech/dddddddd") + ellipsis + QString(28, u'd')
               + QStringLiteral("/capture.raw");
    QTest::newRow("line breaks, tab and NUL shown")
        << QStringLiteral("1\n2\r3\t4") + QChar(0) + u'5' << Elide::End << 40
        << QStringLiteral("1<LF>2<CR>3<TAB>4<NUL>5");
    QTest::newRow("other controls and invisible marks shown")
        << QStringLiteral("\x1b") + QChar(0x85) + QChar(0x2028) + QChar(0x202E) + u'x'
        << Elide::End << 40 << QStringLiteral("<U+001B><U+0085><U+2028><U+202E>x");
    // The shown form counts against the limit, and is never cut in two.
    QTest::newRow("escape not split") << QString(37, u'a') + QStringLiteral("\nbb") << Elide::End
                                      << 40 << QString(37, u'a') + ellipsis;
    QTest::newRow("surrogate pair not split")
        << QString(38, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80") << Elide::End
        << 40 << QString(38, u'a') + ellipsis;
    QTest::newRow("middle cut keeps pairs")
        << QString::fromUtf8("\xF0\x9F\x98\x80").repeated(20) << Elide::Middle << 11
        << QString::fromUtf8("\xF0\x9F\x98\x80") + ellipsis
               + QString::fromUtf8("\xF0\x9F\x98\x80").repeated(3);
}

void TestQuotedText::quoted()
{
    QFETCH(QString, text);
    QFETCH(Elide, elide);
    QFETCH(int, limit);
    QFETCH(QString, expected);
    const QString quoted = field::Quoted(text, elide, limit);
    QCOMPARE(quoted, expected);
    QVERIFY(quoted.size() <= limit);
}

QTEST_GUILESS_MAIN(TestQuotedText)
#include "tst_quotedtext.moc"
