#pragma once
#include "screen.h"

// Records the screen cursor when the program starts and puts it back when
// the program ends.
class TWaitCursor {
public:
    TWaitCursor() : recorded(Screen().Cursor()) {}
    ~TWaitCursor() { Screen().SetCursor(recorded); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    Qt::CursorShape recorded;
};
