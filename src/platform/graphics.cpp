#include "platform/graphics.h"

#include <QList>

namespace mirel::platform {

bool isStandardColor(int number) {
    return number >= 0 && number <= 15;
}

QRgb standardColor(int number) {
    static const QRgb palette[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255)};
    return isStandardColor(number) ? palette[number] : palette[0];
}

qsizetype floodFillSurface(QImage& image, QPoint start, QRgb surface, QRgb fill) {
    if (image.isNull() || !image.rect().contains(start)) return 0;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_RGB32);
    // Colours are compared without alpha: the bitmaps are opaque.
    const QRgb from = surface | 0xff000000u;
    const QRgb to = fill | 0xff000000u;
    auto pixel = [&image](int x, int y) -> QRgb& {
        return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
    };
    if ((pixel(start.x(), start.y()) | 0xff000000u) != from) return 0;
    if (from == to) return 0; // the area has the fill colour already

    // Scanline fill with an explicit stack: each entry is a pixel to start a run from; every
    // run is painted at once and the rows above and below are searched for new runs.
    const int width = image.width();
    const int height = image.height();
    qsizetype painted = 0;
    QList<QPoint> stack{start};
    while (!stack.isEmpty()) {
        const QPoint p = stack.takeLast();
        const int y = p.y();
        if ((pixel(p.x(), y) | 0xff000000u) != from) continue;
        int left = p.x();
        while (left > 0 && (pixel(left - 1, y) | 0xff000000u) == from)
            --left;
        int right = p.x();
        while (right + 1 < width && (pixel(right + 1, y) | 0xff000000u) == from)
            ++right;
        for (int x = left; x <= right; ++x)
            pixel(x, y) = to;
        painted += right - left + 1;
        for (int ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= height) continue;
            bool inRun = false;
            for (int x = left; x <= right; ++x) {
                const bool open = (pixel(x, ny) | 0xff000000u) == from;
                if (open && !inRun) stack.append(QPoint(x, ny));
                inRun = open;
            }
        }
    }
    return painted;
}

} // namespace mirel::platform
