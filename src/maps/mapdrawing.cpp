#include "maps/mapdrawing.h"

#include <algorithm>
#include <cmath>
#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QImageReader>
#include <QImageWriter>
#include <QMap>
#include <QPainter>

#include "core/text.h"
#include "platform/fileio.h"
#include "platform/graphics.h"
#include "platform/prompt.h"

namespace mirel::maps {
namespace {

// Decimals a value text is written with.
int decimalsOf(const QString& value) {
    const qsizetype point =
        std::max(value.indexOf(QLatin1Char('.')), value.indexOf(QLatin1Char(',')));
    if (point < 0) return 0;
    int n = 0;
    for (qsizetype i = point + 1; i < value.size() && core::isDigit(value.at(i)); ++i)
        ++n;
    return n;
}

// A band limit with one decimal more than the values have, trailing zeros dropped.
QString limitText(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals + 1);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString rangeText(double low, double high, int decimals) {
    return limitText(low, decimals) + QStringLiteral(" – ") + limitText(high, decimals);
}

QFont legendFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    return font;
}

} // namespace

MapBitmap loadMapBitmap(const QString& mapDir) {
    MapBitmap bitmap;
    bitmap.path = mapDir + QLatin1Char('/') + MapBitmapName;
    if (!platform::fileExists(bitmap.path)) return bitmap;
    QImageReader reader(platform::resolvePath(bitmap.path));
    bitmap.size = reader.size();
    if (!bitmap.size.isValid()) {
        bitmap.status = MapBitmap::Status::Unreadable;
        return bitmap;
    }
    if (qint64(bitmap.size.width()) * bitmap.size.height() > MaxBitmapPixels) {
        bitmap.status = MapBitmap::Status::TooLarge;
        return bitmap;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        bitmap.status = MapBitmap::Status::Unreadable;
        return bitmap;
    }
    bitmap.image = image.convertToFormat(QImage::Format_RGB32);
    bitmap.status = MapBitmap::Status::Loaded;
    return bitmap;
}

QString bitmapMessage(const MapBitmap& bitmap) {
    switch (bitmap.status) {
    case MapBitmap::Status::Loaded:
        return QString();
    case MapBitmap::Status::Missing:
        return QStringLiteral("Отсутствует файл -> ") + bitmap.path;
    case MapBitmap::Status::Unreadable:
        return QStringLiteral("Ошибка при загрузке :") + core::CRLF + bitmap.path;
    case MapBitmap::Status::TooLarge:
        return QStringLiteral("Рисунок карты слишком велик (%1 x %2) : ")
                   .arg(bitmap.size.width())
                   .arg(bitmap.size.height()) +
               bitmap.path;
    }
    return QString();
}

QImage drawMap(const QImage& bitmap, const QList<MapLine>& lines, bool labels) {
    QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return image;
    const QRgb surface = image.pixel(0, 0);
    for (const MapLine& line : lines)
        platform::floodFillSurface(image, QPoint(line.x, line.y), surface,
                                   platform::standardColor(line.color));
    if (!labels) return image;
    QPainter painter(&image);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(7); // 5 points on a 96 dpi screen
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int ascent = QFontMetrics(font).ascent();
    for (const MapLine& line : lines)
        painter.drawText(QPoint(line.x, line.y + ascent), line.label);
    return image;
}

QList<LegendEntry> mapLegend(const QList<MapLine>& lines, const QList<ColorBand>& bands,
                             QRgb noData) {
    QList<LegendEntry> legend;
    bool any = false;
    double minimum = 0;
    double maximum = 0;
    int decimals = 0;
    for (const MapLine& line : lines) {
        double v = 0;
        if (!mapValue(line.value, v)) continue;
        minimum = any ? std::min(minimum, v) : v;
        maximum = any ? std::max(maximum, v) : v;
        decimals = std::max(decimals, std::min(decimalsOf(line.value), 5));
        any = true;
    }
    if (any) {
        const QList<ValueBand> list = F_A_Diap(bands, maximum, minimum);
        const double span = maximum - minimum;
        const bool followsBands = std::all_of(lines.begin(), lines.end(), [&](const MapLine& l) {
            return l.color == F_Color(list, l.value, minimum + span / 3, minimum + span * 2 / 3);
        });
        if (followsBands) {
            for (const ValueBand& band : effectiveBands(list, minimum, maximum))
                legend.append({platform::standardColor(band.color),
                               rangeText(band.low, band.high, decimals)});
        } else {
            // Each colour with the smallest and largest of its values, by its smallest value.
            QMap<int, std::pair<double, double>> ranges;
            for (const MapLine& line : lines) {
                double v = 0;
                if (!mapValue(line.value, v)) continue;
                auto it = ranges.find(line.color);
                if (it == ranges.end())
                    ranges.insert(line.color, {v, v});
                else
                    *it = {std::min(it->first, v), std::max(it->second, v)};
            }
            QList<std::pair<int, std::pair<double, double>>> order;
            for (auto it = ranges.begin(); it != ranges.end(); ++it)
                order.append({it.key(), it.value()});
            std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
                return a.second.first < b.second.first;
            });
            for (const auto& [color, range] : order)
                legend.append({platform::standardColor(color),
                               rangeText(range.first, range.second, decimals)});
        }
    }
    legend.append({noData, NoDataText});
    return legend;
}

QImage legendImage(const QString& title, const QList<LegendEntry>& legend) {
    const QFont font = legendFont();
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(font);
    const QFontMetrics boldMetrics(bold);
    const int margin = 8;
    const int box = metrics.height();
    const int row = box + 6;
    int width = boldMetrics.horizontalAdvance(title);
    for (const LegendEntry& entry : legend)
        width = std::max(width, box * 2 + 8 + metrics.horizontalAdvance(entry.text));
    const int titleHeight = boldMetrics.height() + 8;
    QImage image(width + margin * 2, margin * 2 + titleHeight + row * int(legend.size()),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setFont(bold);
    painter.drawText(QPoint(margin, margin + boldMetrics.ascent()), title);
    painter.setFont(font);
    int y = margin + titleHeight;
    for (const LegendEntry& entry : legend) {
        const QRect swatch(margin, y, box * 2, box);
        painter.fillRect(swatch, QColor(entry.color));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        painter.drawText(QPoint(margin + box * 2 + 8, y + metrics.ascent()), entry.text);
        y += row;
    }
    return image;
}

QImage withLegend(const QImage& map, const QImage& legend) {
    const int gap = 12;
    QImage image(map.width() + gap + legend.width(), std::max(map.height(), legend.height()),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, 0, map);
    painter.drawImage(map.width() + gap, 0, legend);
    return image;
}

bool drawMapPath(const QString& path, const QString& mapDir, const MapBitmap& bitmap,
                 platform::Prompt& prompt, DrawnMap& drawn) {
    const auto lines = readMapData(path, prompt);
    if (!lines) return false;
    if (bitmap.status != MapBitmap::Status::Loaded) {
        prompt.message(bitmapMessage(bitmap), platform::Icon::Warning);
        return false;
    }
    drawn.name = mapNameOfPath(path);
    drawn.map = drawMap(bitmap.image, *lines);
    drawn.legend = mapLegend(*lines, readColorBands(mapDir), bitmap.image.pixel(0, 0));
    return true;
}

bool drawMapFile(const QString& mapDir, const QString& name, const MapBitmap& bitmap,
                 platform::Prompt& prompt, DrawnMap& drawn) {
    return drawMapPath(mapDataPath(mapDir, name), mapDir, bitmap, prompt, drawn);
}

bool saveMapPng(const QImage& picture, const QString& path, platform::Prompt& prompt) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    // The picture goes where the person said, through a symbolic link there too.
    if (!writer.write(picture) ||
        !platform::writeFileAtomic(path, bytes, nullptr, platform::Links::Follow)) {
        prompt.message(QStringLiteral("Ошибка при записи информации !!!"), platform::Icon::Error,
                       path);
        return false;
    }
    return true;
}

} // namespace mirel::maps
