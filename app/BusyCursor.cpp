#include "app/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

// The window takes no clicks meanwhile, so the wait cursor rather than the
// busy arrow. Override cursors stack, so commands that run others nest.
BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

NormalCursor::NormalCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
}

NormalCursor::~NormalCursor()
{
    QGuiApplication::restoreOverrideCursor();
}
