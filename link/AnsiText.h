#pragma once
// Texts cross the clock link library as 8-bit buffers: in the PC's ANSI
// code page on Windows, as the vendor's library reads them, and in
// Windows-1252 elsewhere, whatever the platform's own encoding is.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace ansi {

// Characters the code page cannot hold in one byte become '?', as on the PC.
QByteArray encode(const QString &text);
#ifdef Q_OS_WIN
// The same in code page `page` (the PC's is GetACP()).
QByteArray encodeIn(unsigned page, const QString &text);
#endif
// Every byte becomes one character, zero bytes included.
QString decode(const char *bytes, qsizetype length);
inline QString decode(const QByteArray &bytes) { return decode(bytes.constData(), bytes.size()); }

// The one byte that stands for a character (a code point: one or two
// UTF-16 units) in the code page; nothing when it has no byte of its own.
std::optional<char> byteOf(QStringView character);

struct CodePage
{
    QString name; // as messages give it: "Windows-1252", "UTF-8"
    bool singleByte = true;
};
CodePage codePage();

// A text handed to the library in a buffer the library may write into.
// The buffer is zero-filled well past the text, so a library that writes
// somewhat more than it was given cannot run past memory we own; after
// the call the text is taken back at its original length.
class Buffer
{
public:
    explicit Buffer(const QString &text, qsizetype minimumSize = 0);
    char *data() { return m_bytes.data(); }
    // The first length() bytes after the call, zero bytes included.
    QString takeBack() const;
    qsizetype length() const { return m_length; }

private:
    QByteArray m_bytes;
    qsizetype m_length;
};

} // namespace ansi
