#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "maps/colorbands.h"
#include "query/compute.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::maps {

// The map files of the MAP folder: the layout "MAP.TXT" (a region code on one line, "X Y" of a
// point inside the region's area on the next), the bitmap "map.bmp" and the map data files
// "MAP_" + map name, one line per region drawn: label \ code \ value \ X \ Y \ colour.
inline const QString MapLayoutFileName = QStringLiteral("MAP.TXT");
inline const QString MapBitmapName = QStringLiteral("map.bmp");
inline const QString MapDataPrefix = QStringLiteral("MAP_");

// One region of the layout: its key line and its point on the bitmap.
struct MapPoint {
    QString key;
    int x = 0;
    int y = 0;
    bool operator==(const MapPoint&) const = default;
};

// The layout as read: the regions with a point, in file order, and the 0-based indexes of the
// coordinate lines that could not be read ("Ошибка в файле MAP.txt", the region left out).
struct MapLayout {
    QList<MapPoint> points;
    QList<int> badLines;
};

// F_Coor: reads the coordinate line after the key line at index ("X Y", each taken to the
// nearest whole number) and moves index onto it. True on failure (a line without a blank, or
// without numbers); index is then left on the key line, so that a line that is another key is
// read as one.
bool F_Coor(int& index, const QStringList& lines, int& x, int& y);

// Walks the lines of "MAP.TXT": a line without a blank is a key, and the line after it its
// coordinates; a line with a blank that follows no key is skipped, and so is a key on the last
// line.
MapLayout readMapLayout(const QStringList& lines);

// F_AA_For_Map: for every row of a result matrix its label, its region code and the value of
// query column `column` (matrix column column + 1).
QList<QStringList> F_AA_For_Map(const query::Matrix& matrix, int column);

// AAA_Scan: the 1-based position of the first row whose item equals the value, else 0.
int AAA_Scan(const QList<QStringList>& table, const QString& value, int item);

// F_Min_Max: the smallest and largest value over the table rows that the layout places on the
// map and whose value is a number (empty values and those beginning with "*" are not). Both
// stay as given when there is no such value. Returns true when minimum equals maximum.
bool F_Min_Max(const QList<QStringList>& table, const QList<MapPoint>& points, double& minimum,
               double& maximum);

// One line of a map data file.
struct MapLine {
    QString label;
    QString code;
    QString value;
    int x = 0;
    int y = 0;
    int color = 0;
    bool operator==(const MapLine&) const = default;
};
QString mapDataLine(const MapLine& line);
// Reads one line of a map data file: label \ code \ value \ X \ Y \ colour, with whole numbers
// and a standard colour (a "\" in the label is kept). False for anything else.
bool parseMapDataLine(const QString& line, MapLine& out);
QString mapDataPath(const QString& mapDir, const QString& name);

// F_Map_Name: asks for the map name ("Название карты :", titled "Интерпретировать данные
// колонки " and the column); the answer trimmed, empty when cancelled.
QString F_Map_Name(platform::Prompt& prompt, int column);

// The name of a map is part of a file name in the MAP folder: it may not hold a folder
// separator or a character Windows refuses in names, nor be "." or "..".
bool isValidMapName(const QString& name);

// What preparing a map came to.
enum class Prepared { Written, Failed, Kept };

// Cmd_Map_Click after the name is known: checks the name ("Не введено название карты !!!",
// "Недопустимое название карты : "), asks before replacing a map of that name ("Карта NAME
// уже существует. Заменить ?", Kept when the answer is no), and writes the map data file of
// column `column` (writeMapData). path gets the file written.
Prepared prepareMap(const query::Matrix& matrix, int column, const QString& name,
                    const QString& mapDir, platform::Prompt& prompt, QString& path);

// Writes the map data file "MAP_" + name of the MAP folder from a result matrix: needs
// "MAP.TXT" ("Отсутствует файл -> " and its path otherwise), reads the bands (writing the
// default "colors.inf" when it is missing) and writes one line per layout region that the
// table holds with a number in the column. The file is replaced whole. False after a message.
bool writeMapData(const query::Matrix& matrix, int column, const QString& name,
                  const QString& mapDir, platform::Prompt& prompt, QString& path);

// The lines of a map data file for a table: the layout regions that the table holds with a
// number in its third item, coloured by the bands over the span of those numbers.
QList<MapLine> mapLines(const QList<QStringList>& table, const MapLayout& layout,
                        const QList<ColorBand>& bands);

// The map names of the MAP folder: its files whose upper-cased name begins with "MAP_", as the
// text after those four characters.
QStringList mapNames(const QString& mapDir);
// The name shown for a map: "Данные" for the empty name.
QString mapTitle(const QString& name);
// The map name of a map data file path: the text after the last "MAP_" in it.
QString mapNameOfPath(const QString& path);

// Reads a map data file. "Файл пуст : " and the path for a file without lines (nullopt); a
// line that is not label \ code \ value \ X \ Y \ colour, with whole numbers and a standard
// colour, is left out with one "Ошибка в файле карты : " and the path for the file.
std::optional<QList<MapLine>> readMapData(const QString& path, platform::Prompt& prompt);

} // namespace mirel::maps
