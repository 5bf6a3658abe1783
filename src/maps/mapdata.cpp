#include "maps/mapdata.h"

#include <algorithm>
#include <cmath>
#include <QRegularExpression>

#include "core/files.h"
#include "core/lists.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/graphics.h"
#include "platform/prompt.h"

namespace mirel::maps {
namespace {

// The leading number of a coordinate text taken to the nearest whole number; false when the
// text does not begin with a number or the number is far off any bitmap.
bool coordinate(const QString& text, int& out) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)"));
    const QRegularExpressionMatch m = number.match(core::Trim(text));
    if (!m.hasMatch()) return false;
    QString t = m.captured(0);
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const double v = t.toDouble();
    if (!(std::fabs(v) < 1e9)) return false;
    out = int(std::lround(v));
    return true;
}

bool hasBlank(const QString& line) {
    return line.contains(QLatin1Char(' '));
}

} // namespace

bool F_Coor(int& index, const QStringList& lines, int& x, int& y) {
    const QString line = lines.value(index + 1);
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    if (blank < 0) return true;
    if (!coordinate(line.left(blank), x) || !coordinate(line.mid(blank + 1), y)) {
        ++index; // a line with a blank is no key: the walk goes past it
        return true;
    }
    ++index;
    return false;
}

MapLayout readMapLayout(const QStringList& lines) {
    MapLayout layout;
    const int n = int(lines.size());
    for (int i = 0; i < n; ++i) {
        const QString& line = lines.at(i);
        if (line.isEmpty() || hasBlank(line) || i == n - 1) continue;
        MapPoint point{line, 0, 0};
        const int coordinateLine = i + 1;
        if (F_Coor(i, lines, point.x, point.y))
            layout.badLines.append(coordinateLine);
        else
            layout.points.append(point);
    }
    return layout;
}

QList<QStringList> F_AA_For_Map(const query::Matrix& matrix, int column) {
    QList<QStringList> table;
    for (const QStringList& row : matrix)
        table.append({row.value(0), row.value(1), row.value(column + 1)});
    return table;
}

int AAA_Scan(const QList<QStringList>& table, const QString& value, int item) {
    for (int i = 0; i < table.size(); ++i)
        if (table.at(i).value(item) == value) return i + 1;
    return 0;
}

bool F_Min_Max(const QList<QStringList>& table, const QList<MapPoint>& points, double& minimum,
               double& maximum) {
    // The span starts from the first value, so that values beyond any preset limit count.
    bool any = false;
    double low = 0;
    double high = 0;
    for (const QStringList& row : table) {
        const QString code = row.value(1).toUpper();
        const bool placed = std::any_of(points.begin(), points.end(),
                                        [&](const MapPoint& p) { return p.key == code; });
        double v = 0;
        if (!placed || !mapValue(row.value(2), v)) continue;
        low = any ? std::min(low, v) : v;
        high = any ? std::max(high, v) : v;
        any = true;
    }
    if (any) {
        minimum = low;
        maximum = high;
    }
    return minimum == maximum;
}

QString mapDataLine(const MapLine& line) {
    const QChar sep = QLatin1Char('\\');
    return line.label + sep + line.code + sep + line.value + sep + QString::number(line.x) + sep +
           QString::number(line.y) + sep + QString::number(line.color);
}

QString mapDataPath(const QString& mapDir, const QString& name) {
    return mapDir + QLatin1Char('/') + MapDataPrefix + name;
}

QString F_Map_Name(platform::Prompt& prompt, int column) {
    const auto answer = prompt.inputBox(
        QStringLiteral("Название карты :"),
        QStringLiteral("Интерпретировать данные колонки ") + QString::number(column), QString());
    return answer ? core::Trim(*answer) : QString();
}

bool isValidMapName(const QString& name) {
    if (name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (QChar c : name)
        if (c.unicode() < 32 || QStringLiteral("\\/:*?\"<>|").contains(c)) return false;
    return true;
}

QList<MapLine> mapLines(const QList<QStringList>& table, const MapLayout& layout,
                        const QList<ColorBand>& bands) {
    double minimum = 0;
    double maximum = 0;
    F_Min_Max(table, layout.points, minimum, maximum);
    const QList<ValueBand> list = F_A_Diap(bands, maximum, minimum);
    const double span = maximum - minimum;
    QList<QStringList> keyed = table;
    for (QStringList& row : keyed)
        row[1] = row.value(1).toUpper();

    QList<MapLine> lines;
    for (const MapPoint& point : layout.points) {
        const int at = AAA_Scan(keyed, point.key, 1);
        if (at == 0) continue;
        const QStringList& row = table.at(at - 1);
        double v = 0;
        if (!mapValue(row.value(2), v)) continue; // empty, "***" or no number: no data
        lines.append(
            MapLine{row.value(0), row.value(1), row.value(2), point.x, point.y,
                    F_Color(list, row.value(2), minimum + span / 3, minimum + span * 2 / 3)});
    }
    return lines;
}

Prepared prepareMap(const query::Matrix& matrix, int column, const QString& name,
                    const QString& mapDir, platform::Prompt& prompt, QString& path) {
    if (name.isEmpty()) {
        prompt.message(QStringLiteral("Не введено название карты !!!"));
        return Prepared::Failed;
    }
    if (!isValidMapName(name)) {
        prompt.message(QStringLiteral("Недопустимое название карты : ") + name,
                       platform::Icon::Error);
        return Prepared::Failed;
    }
    if (platform::fileExists(mapDataPath(mapDir, name)) &&
        !prompt.askYesNo(QStringLiteral("Карта ") + name +
                         QStringLiteral(" уже существует. Заменить ?")))
        return Prepared::Kept;
    return writeMapData(matrix, column, name, mapDir, prompt, path) ? Prepared::Written
                                                                    : Prepared::Failed;
}

bool writeMapData(const query::Matrix& matrix, int column, const QString& name,
                  const QString& mapDir, platform::Prompt& prompt, QString& path) {
    const QString layoutPath = mapDir + QLatin1Char('/') + MapLayoutFileName;
    if (!platform::fileExists(layoutPath)) {
        prompt.message(QStringLiteral("Отсутствует файл -> ") + layoutPath);
        return false;
    }
    const QStringList lines = core::Read_Lines_Upper(layoutPath, false, prompt);
    const MapLayout layout = readMapLayout(lines);
    QList<ColorBand> bands;
    if (F_A_Colors(mapDir, bands, prompt)) return false;
    for (int i = 0; i < layout.badLines.size(); ++i)
        prompt.message(QStringLiteral("Ошибка в файле MAP.txt"));

    QString text;
    for (const MapLine& line : mapLines(F_AA_For_Map(matrix, column), layout, bands))
        text += mapDataLine(line) + core::CRLF;
    path = mapDataPath(mapDir, name);
    return core::Write_Text_File(path, text, prompt) == 0;
}

QStringList mapNames(const QString& mapDir) {
    QStringList names;
    for (const QString& file : platform::listFiles(mapDir))
        if (file.toUpper().startsWith(MapDataPrefix)) names.append(file.mid(MapDataPrefix.size()));
    return names;
}

QString mapTitle(const QString& name) {
    return name.isEmpty() ? QStringLiteral("Данные") : name;
}

QString mapNameOfPath(const QString& path) {
    const qsizetype at = path.lastIndexOf(MapDataPrefix);
    return at < 0 ? QString() : path.mid(at + MapDataPrefix.size());
}

bool parseMapDataLine(const QString& line, MapLine& out) {
    // The label is the text before the last five fields, so that a "\" in it does no harm.
    const QStringList fields = line.split(QLatin1Char('\\'));
    if (fields.size() < 6) return false;
    const QStringList tail = fields.mid(fields.size() - 5);
    bool okX = false;
    bool okY = false;
    bool okColor = false;
    MapLine m;
    m.label = fields.mid(0, fields.size() - 5).join(QLatin1Char('\\'));
    m.code = tail.at(0);
    m.value = tail.at(1);
    m.x = core::Trim(tail.at(2)).toInt(&okX);
    m.y = core::Trim(tail.at(3)).toInt(&okY);
    // The colour number may carry decimals; its whole part counts.
    const double color = core::Trim(tail.at(4)).toDouble(&okColor);
    m.color = okColor && std::fabs(color) < 100 ? int(color) : -1;
    if (!okX || !okY || !platform::isStandardColor(m.color)) return false;
    out = m;
    return true;
}

std::optional<QList<MapLine>> readMapData(const QString& path, platform::Prompt& prompt) {
    const QStringList lines = core::Read_Lines_Upper(path, false, prompt);
    if (core::isEmptyList(lines)) {
        if (platform::fileExists(path)) prompt.message(QStringLiteral("Файл пуст : ") + path);
        return std::nullopt;
    }
    QList<MapLine> out;
    bool bad = false;
    for (const QString& line : lines) {
        MapLine m;
        if (parseMapDataLine(line, m))
            out.append(m);
        else
            bad = true;
    }
    if (bad)
        prompt.message(QStringLiteral("Ошибка в файле карты : ") + path, platform::Icon::Warning);
    return out;
}

} // namespace mirel::maps
