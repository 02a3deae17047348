#pragma once
// Face colours of the graphical-style buttons.

#include <QColor>

class QPushButton;

namespace face {

inline const QColor ConfigurationChanged(255, 255, 192);
inline const QColor Green(0, 192, 0);
inline const QColor Red(255, 0, 0);

QColor SystemButtonFace();
void SetColour(QPushButton *button, const QColor &colour);
QColor Colour(const QPushButton *button);

} // namespace face
