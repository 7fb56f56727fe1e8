#include "screen.h"

#include <QCursor>
#include <QGuiApplication>

void TScreen::SetCursor(Qt::CursorShape shape)
{
    cursor = shape;
    if (!qGuiApp)
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (shape != Qt::ArrowCursor)
        QGuiApplication::setOverrideCursor(QCursor(shape));
}

TScreen& Screen()
{
    static TScreen screen;
    return screen;
}
