// The chip icons: the committed PNGs are the drawn artwork, and on a scaled
// screen the chip is drawn with the screen's pixels rather than enlarged.
#include "chipicons.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>

namespace {

int MostDifferentChannel(const QImage& first, const QImage& second)
{
    int difference = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const QColor a = first.pixelColor(x, y);
            const QColor b = second.pixelColor(x, y);
            for (const int channel : { a.red() - b.red(), a.green() - b.green(), a.blue() - b.blue(),
                                       a.alpha() - b.alpha() })
                difference = std::max(difference, std::abs(channel));
        }
    return difference;
}

QImage Drawn(const QPixmap& chip) { return chip.toImage().convertToFormat(QImage::Format_ARGB32); }

} // namespace

TEST(ChipIcon, CommittedPngsAreTheDrawnChip)
{
    int argc = 1;
    char name[] = "chip_icon_tests";
    char* argv[] = { name, nullptr };
    QGuiApplication application(argc, argv);
    for (const int size : { 16, 32 }) {
        SCOPED_TRACE(size);
        const QImage committed = QImage(QStringLiteral(KILNOVA_ICONS "/%1x%1/org.kilnova.Kilnova.png").arg(size))
                                     .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(committed.size(), QSize(size, size));
        EXPECT_LE(MostDifferentChannel(committed, Drawn(IdleChip(size))), 2);
    }
}

TEST(ChipIcon, DrawnWithTheScreensPixelsAtScaleTwo)
{
    qputenv("QT_SCALE_FACTOR", "2");
    int argc = 1;
    char name[] = "chip_icon_tests";
    char* argv[] = { name, nullptr };
    QGuiApplication application(argc, argv);
    const QPixmap scaled = IdleChip(16);
    EXPECT_EQ(scaled.size(), QSize(32, 32));
    EXPECT_EQ(scaled.devicePixelRatio(), 2.0);
    EXPECT_EQ(scaled.deviceIndependentSize(), QSizeF(16, 16));
    // Drawn anew at 32 pixels, not the 16-pixel chip enlarged.
    const QImage twice = QImage(QStringLiteral(KILNOVA_ICONS "/32x32/org.kilnova.Kilnova.png"))
                             .convertToFormat(QImage::Format_ARGB32);
    EXPECT_LE(MostDifferentChannel(Drawn(scaled), twice), 2);
    qunsetenv("QT_SCALE_FACTOR");
}
