#pragma once
// The screen cursor of the program's windows.
#include <Qt>

class TScreen {
public:
    Qt::CursorShape Cursor() const { return cursor; }
    // Takes effect once the application object exists.
    void SetCursor(Qt::CursorShape shape);

private:
    Qt::CursorShape cursor = Qt::ArrowCursor;
};

TScreen& Screen();
