#include "query/calcsection.h"

#include "core/files.h"
#include "platform/fileio.h"

namespace mirel::query {
namespace {

// The grid as the engine addresses it: row 0 and column 0 are the titles and labels.
class SectionCellGrid : public CellGrid {
public:
    explicit SectionCellGrid(data::SectionGrid& grid)
        : m_grid(grid) {}
    int rowCount() const override { return m_grid.rows() + 1; }
    int columnCount() const override { return m_grid.columns() + 1; }
    QString cell(int row, int column) const override { return m_grid.cell(row, column); }
    // A cell that the zero-cell map keeps at zero stays as it is.
    void setCell(int row, int column, const QString& text) override {
        if (!m_grid.isZeroCell(row, column)) m_grid.setCell(row, column, text);
    }

private:
    data::SectionGrid& m_grid;
};

} // namespace

bool computeSection(data::SectionGrid& grid, const QString& calcText, const CalcSection& section,
                    const QString& datDir, const reference::FormCatalog& forms,
                    platform::Prompt& prompt) {
    const std::optional<CalcQuery> calc = parseCalc(calcText, section, forms, prompt);
    if (!calc) return false;
    SectionCellGrid cells(grid);
    return evaluateCalc(*calc, cells, section, datDir, forms, prompt) == 0;
}

Recalc recalcSection(data::SectionGrid& grid, const data::EntryForm& form,
                     const reference::FormCatalog& forms, platform::Prompt& prompt) {
    bool exists = false;
    const QString text = core::readText(
        data::calcFilePath(form.formDir, form.formCode(), form.basePeriod, grid.section()),
        &exists);
    if (!exists) return Recalc::NoCalc;
    data::SectionGrid computed = grid;
    const CalcSection section{form.formCode(), grid.section(), form.key.year, form.key.month,
                              form.regionCode()};
    if (!computeSection(computed, text.toUpper(), section, form.key.datDir, forms, prompt))
        return Recalc::Failed;
    for (int r = 1; r <= grid.rows(); ++r) {
        for (int c = 1; c <= grid.columns(); ++c) {
            if (data::cellValue(computed.cell(r, c)) != data::cellValue(grid.cell(r, c))) {
                grid = computed;
                grid.setChanged(true);
                return Recalc::Changed;
            }
        }
    }
    return Recalc::Same;
}

} // namespace mirel::query
