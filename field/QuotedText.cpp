#include "field/QuotedText.h"

#include <QList>

#include <algorithm>

namespace field {

namespace {

const QChar kEllipsis(0x2026);

bool isHidden(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString visible(char32_t c)
{
    switch (c) {
    case 0x00:
        return QStringLiteral("<NUL>");
    case 0x09:
        return QStringLiteral("<TAB>");
    case 0x0A:
        return QStringLiteral("<LF>");
    case 0x0D:
        return QStringLiteral("<CR>");
    default:
        return QStringLiteral("<U+%1>").arg(
            QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
}

// One piece per character as shown; a pair of surrogates stays one piece,
// so a cut never splits it.
QList<QString> pieces(QStringView text)
{
    QList<QString> out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text[i + 1]);
            out << (isHidden(code) ? visible(code) : text.mid(i, 2).toString());
            ++i;
        } else {
            out << (isHidden(c.unicode()) ? visible(c.unicode()) : QString(c));
        }
    }
    return out;
}

} // namespace

QString Quoted(QStringView text, Elide elide, qsizetype limit)
{
    const QList<QString> parts = pieces(text);
    qsizetype total = 0;
    for (const QString &p : parts)
        total += p.size();
    if (total <= limit)
        return parts.join(QString());

    const qsizetype room = std::max<qsizetype>(limit - 1, 0);
    const qsizetype headRoom = elide == Elide::End ? room : room / 3;
    const qsizetype tailRoom = room - headRoom;
    QString head;
    qsizetype first = 0;
    for (; first < parts.size() && head.size() + parts[first].size() <= headRoom; ++first)
        head += parts[first];
    QString tail;
    for (qsizetype last = parts.size() - 1;
         last >= first && tail.size() + parts[last].size() <= tailRoom; --last)
        tail.prepend(parts[last]);
    return head + kEllipsis + tail;
}

} // namespace field
