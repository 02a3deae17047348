#pragma once
// The style and font the window is drawn with. The controls' sizes are
// fixed in twips, made for a narrow 8-point system font; the font chosen
// here is what lets every caption fit them.

#include <QFont>

// The face the window's texts are set in on this platform.
QFont WindowFont();

// Sets the application's style and font; before the window is created.
void ApplyWindowLook();
