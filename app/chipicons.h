#pragma once
#include <QColor>
#include <QPixmap>

// A processor chip drawn diagonally: a body of the given colour with grey
// markings and yellow pins shaded olive, on a transparent background; size
// is in device-independent pixels, drawn at the screen's pixel density so
// that the chip stays sharp on a scaled screen.
QPixmap DrawChip(int size, const QColor& body);

inline QPixmap IdleChip(int size) { return DrawChip(size, Qt::black); }
inline QPixmap RunningChip(int size) { return DrawChip(size, QColor(0xC0, 0x10, 0x10)); }
