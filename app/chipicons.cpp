#include "chipicons.h"

#include <QGuiApplication>
#include <QPainter>

#include <cmath>

QPixmap DrawChip(int size, const QColor& body)
{
    const qreal pixelRatio = qGuiApp->devicePixelRatio();
    const int pixels = int(std::ceil(size * pixelRatio));
    QPixmap chip(pixels, pixels);
    chip.setDevicePixelRatio(pixelRatio);
    chip.fill(Qt::transparent);
    QPainter painter(&chip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(size / 2.0, size / 2.0);
    painter.rotate(45);
    painter.scale(size / 16.0, size / 16.0);

    // Three pins on each side, on a 16-unit grid centred on the chip.
    const QColor pin(0xF0, 0xD0, 0x20);
    const QColor pinShade(0x80, 0x80, 0x00);
    for (int side = 0; side < 4; ++side) {
        for (int position = -1; position <= 1; ++position) {
            const QRectF pinRect(position * 2.4 - 0.7, -7.2, 1.4, 2.6);
            painter.fillRect(pinRect, pin);
            painter.fillRect(QRectF(pinRect.x() + 0.8, pinRect.y(), 0.6, pinRect.height()), pinShade);
        }
        painter.rotate(90);
    }
    painter.fillRect(QRectF(-4.8, -4.8, 9.6, 9.6), body);

    const QColor marking(0xA0, 0xA0, 0xA0);
    painter.setPen(QPen(marking, 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(-2.8, -2.8), 0.8, 0.8);
    painter.drawLine(QPointF(-2.4, 1.0), QPointF(2.8, 1.0));
    painter.drawLine(QPointF(-2.4, 2.8), QPointF(1.6, 2.8));
    return chip;
}
