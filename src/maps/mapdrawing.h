#pragma once

#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>

#include "maps/colorbands.h"
#include "maps/mapdata.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::maps {

// The bitmap of the territory, "map.bmp" of the MAP folder, as loaded: a bitmap of more than
// MaxBitmapPixels pixels is refused before it is read, so that a huge file cannot exhaust the
// memory.
inline constexpr qint64 MaxBitmapPixels = 40'000'000;
struct MapBitmap {
    enum class Status { Loaded, Missing, Unreadable, TooLarge };
    Status status = Status::Missing;
    QString path;
    QImage image; // 32-bit RGB when loaded
    QSize size;   // as the file declares it (also when too large)
};
MapBitmap loadMapBitmap(const QString& mapDir);
// The message for a bitmap that is not loaded ("Отсутствует файл -> " and the path, "Ошибка
// при загрузке :" and the path, "Рисунок карты слишком велик"); empty when it is loaded.
QString bitmapMessage(const MapBitmap& bitmap);

// Draws the lines on a copy of the bitmap, in two passes. First every region is filled with
// the standard colour of its colour number from its point: every pixel connected to the point
// that has the colour of the corner pixel (0, 0). Then every label is printed with its top left
// corner at the point (Arial, 5 points on a 96 dpi screen).
QImage drawMap(const QImage& bitmap, const QList<MapLine>& lines, bool labels = true);

// One entry of the legend: a colour and what it stands for.
struct LegendEntry {
    QRgb color = 0;
    QString text;
    bool operator==(const LegendEntry&) const = default;
};
inline const QString NoDataText = QStringLiteral("нет данных");

// The legend of a map: each band with its low and high value, over the span of the map's
// values, written with one decimal more than the values have (trailing zeros dropped); a map whose
// colours do not follow the bands (they were changed after it was made) lists each colour it uses
// with the smallest and largest of its values instead. Last comes the colour of the regions without
// a value, the bitmap's own colour, as "нет данных".
QList<LegendEntry> mapLegend(const QList<MapLine>& lines, const QList<ColorBand>& bands,
                             QRgb noData);
// The legend as a picture: the title above, one colour box and text per entry.
QImage legendImage(const QString& title, const QList<LegendEntry>& legend);
// The map with the legend to its right, on white.
QImage withLegend(const QImage& map, const QImage& legend);

// A map drawn from its map data file: the name, the picture and the legend.
struct DrawnMap {
    QString name;
    QImage map;
    QList<LegendEntry> legend;
    QImage legendPicture() const { return legendImage(mapTitle(name), legend); }
    QImage withLegend() const { return maps::withLegend(map, legendPicture()); }
};

// Draws the map data file "MAP_" + name of the MAP folder on the bitmap, with the bands of the
// folder's "colors.inf" for the legend. False after the message of an empty or unreadable file,
// or of a bitmap that is not loaded.
bool drawMapFile(const QString& mapDir, const QString& name, const MapBitmap& bitmap,
                 platform::Prompt& prompt, DrawnMap& drawn);
// The same for a map data file given by its path (the name is the text after its last "MAP_").
bool drawMapPath(const QString& path, const QString& mapDir, const MapBitmap& bitmap,
                 platform::Prompt& prompt, DrawnMap& drawn);

// Writes the picture as PNG, replacing the file whole. False after "Ошибка при записи
// информации !!!" titled with the path.
bool saveMapPng(const QImage& picture, const QString& path, platform::Prompt& prompt);

} // namespace mirel::maps
