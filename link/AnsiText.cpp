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
constexpr qsizetype kSlack = 256;

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}
} // namespace

#ifdef Q_OS_WIN

// The PC's own ANSI code page, as the vendor's library expects it.
QByteArray encode(const QString &text)
{
    if (isAscii(text))
        return text.toLatin1();
    // A character outside the basic plane is one '?', not one per half.
    QString plane;
    for (const char32_t point : text.toUcs4())
        plane += point > 0xFFFF ? QString(u'?') : QString::fromUcs4(&point, 1);
    const auto *wide = reinterpret_cast<const wchar_t *>(plane.utf16());
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, int(plane.size()), nullptr, 0, "?", nullptr);
    QByteArray bytes(n, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, int(plane.size()), bytes.data(), n, "?", nullptr);
    return bytes;
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

#endif

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
