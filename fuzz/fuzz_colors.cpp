// Feeds random bytes, read as the lines of "colors.inf", to the colour band reader and colours
// values with the bands read; any crash, sanitizer report or broken contract stops the run.
#include "core/text.h"
#include "maps/colorbands.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/graphics.h"

#include <cmath>
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
    const QStringList lines = core::Split_Lines(platform::decode1251(bytes));
    QList<maps::ColorBand> bands;
    maps::F_A_Colors_(bands, lines);
    check(bands.size() <= lines.size());
    for (const maps::ColorBand& b : bands)
        check(platform::isStandardColor(b.color) && b.lower >= 0 && b.upper >= 0);

    // Spans from the input's own numbers; every value of the lines gets a colour number.
    const double minimum = size ? double(data[0]) - 128 : 0;
    const double maximum = minimum + (size > 1 ? data[1] : 0);
    const QList<maps::ValueBand> list = maps::F_A_Diap(bands, maximum, minimum);
    check(list.size() == bands.size());
    const double span = maximum - minimum;
    for (const QString& line : lines) {
        const int color = maps::F_Color(list, line, minimum + span / 3, minimum + span * 2 / 3);
        check(color == 0 || platform::isStandardColor(color));
        if (line.startsWith(QLatin1Char('*'))) check(color == 15);
    }
    // The smallest value of the span falls in a first band that starts at fraction 0.
    if (list.size() >= 2 && bands.first().lower == 0 && bands.first().upper >= 0)
        check(maps::F_Color(list, QString::number(minimum), 0, 0) == list.first().color);
    return 0;
}
