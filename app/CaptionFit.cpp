#include "app/CaptionFit.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace captionfit {

namespace {

// Breathing space between a label's text and the control it names.
constexpr int kLabelGap = 3;

int ButtonRoom(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle *style = button->style();
    return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width()
        - style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
}

int LabelRoom(const QLabel *label)
{
    const QRect own = label->geometry();
    int right = own.right() + 1;
    for (const QWidget *other : label->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect g = other->geometry();
        // Separator lines are bare frames; a text may run over them.
        if (other == label || other->metaObject() == &QFrame::staticMetaObject)
            continue;
        if (g.left() > own.left() && g.top() <= own.bottom() && g.bottom() >= own.top())
            right = std::min(right, g.left() - kLabelGap);
    }
    return right - own.left() - label->contentsMargins().left();
}

int ComboRoom(const QComboBox *combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    // Text is set in from the field's edges on both sides.
    return field.width() - 4;
}

QStringList Captions(const QWidget *control)
{
    if (auto *button = qobject_cast<const QPushButton *>(control))
        return {button->text()};
    if (auto *label = qobject_cast<const QLabel *>(control))
        return {label->text()};
    QStringList items;
    if (auto *combo = qobject_cast<const QComboBox *>(control)) {
        if (combo->isEditable())
            items << combo->currentText();
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
    }
    return items;
}

} // namespace

int TextRoom(const QWidget *control)
{
    if (auto *button = qobject_cast<const QPushButton *>(control))
        return ButtonRoom(button);
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->parentWidget() ? LabelRoom(label) : label->contentsRect().width();
    if (auto *combo = qobject_cast<const QComboBox *>(control))
        return ComboRoom(combo);
    return -1;
}

QFont Condensed(const QFont &font, const QStringList &texts, int room)
{
    const auto fits = [&](const QFont &candidate) {
        const QFontMetrics metrics(candidate);
        return std::all_of(texts.begin(), texts.end(),
                           [&](const QString &text) { return metrics.horizontalAdvance(text) <= room; });
    };
    if (fits(font))
        return font;
    // Narrower first, relative to the face's own width; where the platform
    // cannot narrow a face (fontconfig picks the same face), smaller.
    const int own = font.stretch() > 0 ? font.stretch() : 100;
    QFont narrower = font;
    for (int percent = 99; percent >= kNarrowest; --percent) {
        narrower.setStretch(own * percent / 100);
        if (fits(narrower))
            return narrower;
    }
    QFont smaller = font;
    for (int percent = 99; percent >= kNarrowest; --percent) {
        if (font.pixelSize() > 0)
            smaller.setPixelSize(std::max(1, font.pixelSize() * percent / 100));
        else
            smaller.setPointSizeF(font.pointSizeF() * percent / 100);
        if (fits(smaller))
            return smaller;
    }
    return smaller;
}

void FitCaptions(QWidget *form)
{
    for (QWidget *control : form->findChildren<QWidget *>()) {
        const int room = TextRoom(control);
        if (room < 0)
            continue;
        const QFont fitted = Condensed(control->font(), Captions(control), room);
        if (fitted != control->font())
            control->setFont(fitted);
    }
}

} // namespace captionfit
