#pragma once
// The message box's three-line limit and the constants of the two message
// commands.

#include <QFont>
#include <QString>
#include <QTextDocument>
#include <QTextOption>
#include <QVariant>

#include <cstdint>
#include <functional>

namespace config {

inline constexpr int kMaxMessageLines = 3;
inline constexpr int32_t kShowMessageNumber = 80;
inline constexpr int32_t kKindWhenNoneSelected = 1;

// The list index of Combo2's selected item; 1 when nothing is selected.
int32_t MessageKind(int comboIndex);

// Times New Roman 8.25 point where the PC has it, else a face with the same
// metrics (Liberation Serif), else any serif face.
QFont MessageFont();

// Lays a plain text out as the message box shows it and counts the lines:
// a line break or a wrap at the box's width starts one.
class MessageLayout
{
public:
    struct Style
    {
        QFont font;
        QTextOption option;
        qreal documentMargin = 4;
        QVariant cursorWidth; // the box's layout keeps room for the caret
        qreal pageWidth = 0;
    };

    explicit MessageLayout(const Style &style);
    // text as QTextDocument::toRawText gives it: one character per position.
    int lineCount(const QString &text);

private:
    QTextDocument m_document;
};

// The length a text of `length` characters must be cut back to so that it
// takes at most maxLines lines, as cutting off its last character until it
// fits would leave it; lines(n) is the line count of the first n characters.
// Searches instead of cutting one character at a time, so that a long
// pasted paragraph costs a few dozen layouts.
qsizetype FittingLength(qsizetype length, const std::function<int(qsizetype)> &lines,
                        int maxLines = kMaxMessageLines);

// Where the caret goes back to after the text was cut to newLength.
inline qsizetype CaretAfterTrim(qsizetype caret, qsizetype newLength)
{
    return caret < newLength ? caret : newLength;
}

} // namespace config
