// Feeds random bytes as the zero-cell map of section 1 of form 210 and applies it to the
// section's grid.
// Seeds: FORM/*/*.ZERO
#include "fuzzsupport.h"

#include "data/sectionfile.h"
#include "data/sectiongrid.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::QuietPrompt prompt;
    const QString path = fuzz::putFile(QStringLiteral("fuzz/210_2401.01.ZERO"), data, size);
    const QList<QStringList> map = data::readZeroMap(path);
    data::SectionGrid grid(
        1, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")},
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    data::applyZeroMap(grid, map, path, prompt);
    data::zeroMapExceeds(map, grid.rows(), grid.columns());
    for (int r = 0; r <= 5; ++r)
        for (int c = 0; c <= 4; ++c)
            data::zeroMarked(map, r, c);
    return 0;
}
