#include "config/DisplayMessages.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace config {

int32_t MessageKind(int comboIndex)
{
    return comboIndex < 0 ? kKindWhenNoneSelected : comboIndex;
}

QFont MessageFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(8.25);
    return font;
}

MessageLayout::MessageLayout(const Style &style)
{
    m_document.setDefaultFont(style.font);
    m_document.setDefaultTextOption(style.option);
    m_document.setDocumentMargin(style.documentMargin);
    m_document.setUndoRedoEnabled(false);
    if (style.cursorWidth.isValid())
        m_document.documentLayout()->setProperty("cursorWidth", style.cursorWidth);
    m_document.setTextWidth(style.pageWidth);
}

int MessageLayout::lineCount(const QString &text)
{
    m_document.setPlainText(text);
    QAbstractTextDocumentLayout *layout = m_document.documentLayout();
    int lines = 0;
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        layout->blockBoundingRect(block); // lays the block out if it is not yet
        lines += std::max(1, block.layout()->lineCount());
    }
    return lines;
}

qsizetype FittingLength(qsizetype length, const std::function<int(qsizetype)> &lines,
                        int maxLines)
{
    if (length <= 0 || lines(length) <= maxLines)
        return std::max<qsizetype>(length, 0);

    // From the end backwards in growing steps: typing one character too many
    // costs one more layout, a long paste a handful.
    qsizetype tooLong = length;
    qsizetype fits = 0;
    for (qsizetype step = 1;; step *= 2) {
        const qsizetype n = std::max<qsizetype>(length - step, 0);
        if (n == 0) {
            fits = 0;
            break;
        }
        if (lines(n) <= maxLines) {
            fits = n;
            break;
        }
        tooLong = n;
    }
    while (tooLong - fits > 1) {
        const qsizetype mid = fits + (tooLong - fits) / 2;
        if (lines(mid) <= maxLines)
            fits = mid;
        else
            tooLong = mid;
    }

    // A longer prefix can take a line less than a shorter one (a blank after
    // a word broken inside a line hangs in the margin), so a prefix that fits
    // may still lie among the longer ones one line over; cutting one
    // character at a time would stop at the longest of them.
    constexpr int kLookAhead = 256;
    for (qsizetype n = tooLong + 1, probes = 0; n < length && probes < kLookAhead; ++n, ++probes) {
        const int count = lines(n);
        if (count <= maxLines)
            fits = n;
        else if (count > maxLines + 1)
            break;
    }
    return fits;
}

} // namespace config
