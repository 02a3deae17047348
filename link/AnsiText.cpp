#include "link/AnsiText.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace ansi {

namespace {
constexpr const char *kCodePage = "windows-1252";
constexpr const char *kCodePageName = "Windows-1252";
constexpr qsizetype kSlack = 256;

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}
} // namespace

#ifdef Q_OS_WIN

namespace {

// Code pages that take neither WC_NO_BEST_FIT_CHARS nor a default character.
bool TakesNoFlags(UINT page)
{
    return page == CP_UTF8 || page == CP_UTF7 || page == 42 || (page >= 50220 && page <= 50229)
        || page == 52936 || page == 54936 || (page >= 57002 && page <= 57011);
}

// The one byte `character` (one UTF-16 unit) has in `page`, or '?'.
char OneByte(UINT page, wchar_t character)
{
    char bytes[8] = {};
    BOOL usedDefault = FALSE;
    const bool plain = TakesNoFlags(page);
    const int n = WideCharToMultiByte(page, plain ? 0 : WC_NO_BEST_FIT_CHARS, &character, 1, bytes,
                                      int(sizeof bytes), plain ? nullptr : "?", plain ? nullptr : &usedDefault);
    return n == 1 && !usedDefault ? bytes[0] : '?';
}

} // namespace

QByteArray encodeIn(unsigned page, const QString &text)
{
    if (isAscii(text))
        return text.toLatin1();
    // One byte a character, whatever the code page: a character outside the
    // basic plane, or one the page holds only in several bytes, is one '?'.
    QByteArray bytes;
    for (const char32_t point : text.toUcs4())
        bytes += point > 0xFFFF ? '?' : OneByte(page, wchar_t(point));
    return bytes;
}

// The PC's own ANSI code page, as the vendor's library expects it.
QByteArray encode(const QString &text)
{
    return encodeIn(GetACP(), text);
}

QString decode(const char *bytes, qsizetype length)
{
    if (std::all_of(bytes, bytes + length, [](char b) { return uchar(b) < 0x80; }))
        return QString::fromLatin1(bytes, length);
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes, int(length), nullptr, 0);
    QString text(n, Qt::Uninitialized);
    MultiByteToWideChar(CP_ACP, 0, bytes, int(length), reinterpret_cast<wchar_t *>(text.data()), n);
    return text;
}

CodePage codePage()
{
    const UINT page = GetACP();
    CPINFO info{};
    const bool single = GetCPInfo(page, &info) && info.MaxCharSize == 1;
    if (page == CP_UTF8)
        return {QStringLiteral("UTF-8"), single};
    if (page == 874 || (page >= 1250 && page <= 1258))
        return {QStringLiteral("Windows-%1").arg(page), single};
    return {QStringLiteral("code page %1").arg(page), single};
}

#else

QByteArray encode(const QString &text)
{
    // Plain ASCII is the same in every single-byte code page; most names
    // and numbers are, and the converter costs more than the text.
    if (isAscii(text))
        return text.toLatin1();
    QStringEncoder encoder(kCodePage);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // The converter's own substitute is a control character; redo the text
    // one code point at a time so that the replacement is a visible '?'.
    bytes.clear();
    const auto points = text.toUcs4();
    for (char32_t point : points) {
        QStringEncoder single(kCodePage);
        const QByteArray one = single.encode(QString::fromUcs4(&point, 1));
        bytes += single.hasError() || one.size() != 1 ? QByteArray("?") : one;
    }
    return bytes;
}

QString decode(const char *bytes, qsizetype length)
{
    if (std::all_of(bytes, bytes + length, [](char b) { return uchar(b) < 0x80; }))
        return QString::fromLatin1(bytes, length);
    QStringDecoder decoder(kCodePage);
    return decoder.decode(QByteArrayView(bytes, length));
}

CodePage codePage()
{
    return {QLatin1String(kCodePageName), true};
}

#endif

std::optional<char> byteOf(QStringView character)
{
    // Whatever the code page cannot hold comes back from it as something else.
    const QString text = character.toString();
    const QByteArray bytes = encode(text);
    if (bytes.size() != 1 || decode(bytes) != text)
        return std::nullopt;
    return bytes[0];
}

Buffer::Buffer(const QString &text, qsizetype minimumSize)
{
    const QByteArray encoded = encode(text);
    m_length = encoded.size();
    const qsizetype size = std::max(m_length, minimumSize) + kSlack;
    m_bytes = QByteArray(size, '\0');
    std::copy(encoded.begin(), encoded.end(), m_bytes.begin());
}

QString Buffer::takeBack() const
{
    return decode(m_bytes.constData(), m_length);
}

} // namespace ansi
