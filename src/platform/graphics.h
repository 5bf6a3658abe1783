#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

namespace mirel::platform {

// The 16 standard colours by number: 0 black, 1 blue, 2 green, 3 cyan, 4 red, 5 magenta,
// 6 yellow, 7 white (light grey), 8 grey, 9..14 the light variants of 1..6, 15 bright white.
// Numbers outside 0..15 are no colour: isStandardColor() tells, standardColor() gives black.
bool isStandardColor(int number);
QRgb standardColor(int number);

// Fills the surface that holds start: every pixel connected to start through its four
// neighbours that has the surface colour is painted with the fill colour (the other pixels
// bound the area). Nothing is painted when start lies outside the image or does not have the
// surface colour. The image is converted to 32-bit RGB first when it is in another format.
// Returns the number of pixels painted.
qsizetype floodFillSurface(QImage& image, QPoint start, QRgb surface, QRgb fill);

} // namespace mirel::platform
