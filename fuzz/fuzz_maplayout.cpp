// Feeds random bytes, read as the lines of a code page 1251 file, to the readers of the map
// layout "MAP.TXT" and of map data files; any crash, sanitizer report or broken contract stops
// the run.
#include "core/text.h"
#include "maps/mapdata.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/graphics.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace mirel;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList lines;
    for (const QString& raw : platform::splitFileLines(platform::decode1251(bytes))) {
        const QString line = core::Trim(raw);
        if (!line.isEmpty()) lines.append(line.toUpper());
    }
    if (lines.isEmpty()) lines.append(QString());

    const maps::MapLayout layout = maps::readMapLayout(lines);
    // Every point comes from a key line followed by its coordinates; bad lines are lines.
    check(layout.points.size() * 2 + layout.badLines.size() <= lines.size());
    for (const maps::MapPoint& p : layout.points)
        check(!p.key.isEmpty() && !p.key.contains(QLatin1Char(' ')));
    for (int i : layout.badLines)
        check(i > 0 && i < lines.size());

    // A table of every key with the line's text as value: the map lines stay within the layout.
    QList<QStringList> table;
    for (const maps::MapPoint& p : layout.points)
        table.append({p.key, p.key, lines.value(int(table.size()) % lines.size())});
    QList<maps::ColorBand> bands;
    maps::F_A_Colors_(bands, lines);
    const QList<maps::MapLine> mapLines = maps::mapLines(table, layout, bands);
    check(mapLines.size() <= layout.points.size());

    // The same lines as a map data file: what is read writes back to the same line.
    for (const QString& line : lines) {
        maps::MapLine m;
        if (!maps::parseMapDataLine(line, m)) continue;
        check(platform::isStandardColor(m.color));
        maps::MapLine again;
        check(maps::parseMapDataLine(maps::mapDataLine(m), again) && again == m);
    }
    for (const maps::MapLine& m : mapLines)
        check(platform::isStandardColor(m.color) || m.color == 0);
    return 0;
}
