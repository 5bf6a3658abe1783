#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>

#include "platform/graphics.h"

using mirel::platform::floodFillSurface;
using mirel::platform::isStandardColor;
using mirel::platform::standardColor;

namespace {

// Small images drawn as text: "." white, "#" black, "o" the fill colour.
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Fill = qRgb(0, 255, 0);

QImage picture(const QStringList& rows) {
    QImage image(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows.at(y).size(); ++x)
            image.setPixel(x, y, rows.at(y).at(x) == QLatin1Char('#') ? Black : White);
    return image;
}

QStringList text(const QImage& image) {
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            row += p == White ? QLatin1Char('.') : p == Black ? QLatin1Char('#') : QLatin1Char('o');
        }
        rows.append(row);
    }
    return rows;
}

} // namespace

TEST(StandardColors, NumbersGiveTheSixteenColours) {
    EXPECT_EQ(standardColor(0), qRgb(0, 0, 0));
    EXPECT_EQ(standardColor(1), qRgb(0, 0, 128));
    EXPECT_EQ(standardColor(4), qRgb(128, 0, 0));
    EXPECT_EQ(standardColor(7), qRgb(192, 192, 192));
    EXPECT_EQ(standardColor(8), qRgb(128, 128, 128));
    EXPECT_EQ(standardColor(10), qRgb(0, 255, 0));
    EXPECT_EQ(standardColor(12), qRgb(255, 0, 0));
    EXPECT_EQ(standardColor(14), qRgb(255, 255, 0));
    EXPECT_EQ(standardColor(15), qRgb(255, 255, 255));
    EXPECT_TRUE(isStandardColor(0));
    EXPECT_TRUE(isStandardColor(15));
    EXPECT_FALSE(isStandardColor(16));
    EXPECT_FALSE(isStandardColor(-1));
}

TEST(FloodFill, PaintsTheConnectedSurfaceOnly) {
    QImage image = picture({
        "..........",
        ".####.###.",
        ".#..#.#.#.",
        ".#..#.###.",
        ".####.....",
    });
    // From inside the left square: its four pixels, not the outside nor the other square.
    EXPECT_EQ(floodFillSurface(image, QPoint(2, 2), White, Fill), 4);
    EXPECT_EQ(text(image), QStringList({
                               "..........",
                               ".####.###.",
                               ".#oo#.#.#.",
                               ".#oo#.###.",
                               ".####.....",
                           }));
    // From the outside: everything white around both squares, the right square's hole kept.
    EXPECT_EQ(floodFillSurface(image, QPoint(0, 0), White, Fill), 25);
    EXPECT_EQ(text(image).at(2), QString("o#oo#o#.#o"));
}

TEST(FloodFill, StopsAtDiagonalBordersAndPaintsNothingFromABorder) {
    const QImage diamond = picture({
        ".......",
        "...#...",
        "..#.#..",
        ".#...#.",
        "..#.#..",
        "...#...",
        ".......",
    });
    // Pixels touching only at corners still bound the area: the inside stays as it is.
    QImage image = diamond;
    EXPECT_EQ(floodFillSurface(image, QPoint(0, 0), White, Fill), 49 - 8 - 5);
    EXPECT_EQ(text(image).at(3), QString("o#...#o"));

    // A start on the border, outside the image, or on another colour paints nothing.
    image = diamond;
    EXPECT_EQ(floodFillSurface(image, QPoint(3, 1), White, Fill), 0);
    EXPECT_EQ(floodFillSurface(image, QPoint(-1, 3), White, Fill), 0);
    EXPECT_EQ(floodFillSurface(image, QPoint(7, 0), White, Fill), 0);
    EXPECT_EQ(floodFillSurface(image, QPoint(3, 3), Black, Fill), 0);
    // Filling with the surface colour itself changes nothing.
    EXPECT_EQ(floodFillSurface(image, QPoint(3, 3), White, White), 0);
    EXPECT_EQ(text(image), text(diamond));
}

TEST(FloodFill, TheSurfaceIsTheGivenColourNotTheStartPixels) {
    // The surface is the colour of the bitmap's corner: a start pixel of another colour is a
    // border, even when it is white-ish.
    QImage image = picture({"...", "...", "..."});
    image.setPixel(1, 1, qRgb(254, 255, 255));
    EXPECT_EQ(floodFillSurface(image, QPoint(1, 1), White, Fill), 0);
    EXPECT_EQ(floodFillSurface(image, QPoint(0, 0), White, Fill), 8);
    EXPECT_EQ(image.pixel(1, 1), qRgb(254, 255, 255));
}

TEST(FloodFill, LargeAreasAndOtherFormats) {
    // A surface larger than any call stack would hold, in an 8-bit image that is converted.
    QImage image(1500, 1000, QImage::Format_Indexed8);
    image.setColorTable({White, Black});
    image.fill(0);
    for (int y = 0; y < 999; ++y)
        image.setPixel(700, y, 1); // a wall open at the bottom row
    EXPECT_EQ(floodFillSurface(image, QPoint(10, 10), White, Fill), 1500 * 1000 - 999);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(1499, 0), Fill);
    EXPECT_EQ(image.pixel(700, 0), Black);
}
