#include "app/WindowLook.h"

#include <QApplication>
#include <QStyleFactory>

QFont WindowFont()
{
#ifdef Q_OS_WIN
    // The dialog face of every Windows since 2000 (what "MS Shell Dlg 2"
    // stands for), at the size dialogs use; the newer message font is wider.
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
#else
    // Metric-compatible with the narrow face the sizes were laid out for.
    QFont font(QStringLiteral("Liberation Sans Narrow"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
#endif
}

void ApplyWindowLook()
{
    // A style that paints the face colours of the coloured buttons.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(WindowFont());
}
