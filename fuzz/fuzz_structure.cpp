// Feeds random bytes as the structure file of section 2 of form 210 and loads the whole form
// catalog; the catalog's trees and the grid of the section are built from what was read.
// Seeds: FORM/*/*.?S
#include "fuzzsupport.h"

#include "data/sectiongrid.h"
#include "reference/catalog.h"
#include "reference/catalogtree.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::QuietPrompt prompt;
    const QString relative = QStringLiteral("FORM/2024_01.210/210_2401.2S");
    fuzz::putFile(relative, data, size);
    reference::FormCatalog catalog;
    if (reference::Load_Form_Catalog(fuzz::demo() + QStringLiteral("/FORM"), catalog, prompt) ==
        0) {
        for (const reference::CatalogEntry& entry : catalog)
            for (int s = 0; s < entry.sections.size(); ++s) {
                const reference::SectionStructure& structure = entry.sections.at(s);
                fuzz::check(!structure.rows.isEmpty() && !structure.columns.isEmpty(),
                            "a section without rows or columns");
                if (qint64(structure.rows.size()) * structure.columns.size() < 100000)
                    data::SectionGrid::fromStructure(s + 1, structure);
            }
    }
    fuzz::restoreFile(relative);
    return 0;
}
