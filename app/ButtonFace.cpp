#include "app/ButtonFace.h"

#include <QApplication>
#include <QPalette>
#include <QPushButton>

namespace face {

QColor SystemButtonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

void SetColour(QPushButton *button, const QColor &colour)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour);
    button->setPalette(palette);
    button->setAutoFillBackground(true);
}

QColor Colour(const QPushButton *button)
{
    return button->palette().color(QPalette::Button);
}

} // namespace face
