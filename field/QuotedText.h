#pragma once
// How a message quotes what the user typed or named: short enough that the
// message box fits on a screen and its last sentence is always seen.

#include <QString>
#include <QStringView>

namespace field {

// A field's text is cut at its end, a path in its middle, so that a file's
// own name stays visible.
enum class Elide { End, Middle };

constexpr qsizetype kQuotedTextLimit = 40;
constexpr qsizetype kQuotedPathLimit = 60;

// At most limit characters of text, "…" where something was left out.
// Control characters, line breaks and invisible format characters show as
// <NUL>, <TAB>, <LF>, <CR> or <U+XXXX>, so the quote stays on one line and
// nothing in it is hidden.
QString Quoted(QStringView text, Elide elide, qsizetype limit);

inline QString QuotedText(QStringView text) { return Quoted(text, Elide::End, kQuotedTextLimit); }
inline QString QuotedPath(QStringView path)
{
    return Quoted(path, Elide::Middle, kQuotedPathLimit);
}

} // namespace field
