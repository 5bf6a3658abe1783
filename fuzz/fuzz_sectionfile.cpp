// Feeds random bytes as the data file of section 1 of form 210 (region 1102, December 2025):
// the standard reading, grid loading in both modes, the state and register marks.
// Seeds: DAT/*/*.0?
#include "fuzzsupport.h"

#include "data/sectionfile.h"
#include "data/sectiongrid.h"
#include "reference/catalog.h"

using namespace mirel;

namespace {

const reference::SectionStructure& structure() {
    static const reference::FormCatalog catalog = [] {
        fuzz::QuietPrompt prompt;
        reference::FormCatalog c;
        reference::Load_Form_Catalog(fuzz::demo() + QStringLiteral("/FORM"), c, prompt);
        return c;
    }();
    const int entry =
        reference::Find_Catalog_Entry(catalog, QStringLiteral("210"), QStringLiteral("202401")) - 1;
    fuzz::check(entry >= 0, "the demo catalog lacks form 210");
    return catalog.at(entry).sections.first();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::QuietPrompt prompt;
    const QString path = fuzz::putFile(QStringLiteral("DAT/DAT_2512.210/1102.01"), data, size);
    data::SectionMatrix matrix;
    if (data::A_DD_Read(path, matrix, prompt)) {
        // A last line numbered 0 gives a section of no rows: every line lies outside it.
        fuzz::check(matrix.rows >= 0 && matrix.columns >= 0, "a matrix of negative shape");
        fuzz::check(matrix.cells.size() == matrix.rows, "rows and cells disagree");
        matrix.value(1, 1);
        matrix.value(matrix.rows, matrix.columns);
    }
    data::SectionGrid grid = data::SectionGrid::fromStructure(1, structure());
    data::Load_DD(grid, path, false, prompt);
    data::Load_DD(grid, path, true, prompt);
    data::VV_Memo_Read(path);
    data::stateMark(path);
    data::registerMark(path);
    return 0;
}
