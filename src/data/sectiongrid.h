#pragma once

#include <functional>
#include <vector>

#include <QList>
#include <QString>
#include <QStringList>

#include "data/sectionfile.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::reference {
struct SectionStructure;
}

namespace mirel::data {

// The matrix of one section as the entry window shows it: (R + 1) x (K + 1) cell texts, row 0
// the column titles, column 0 the row labels, rows 1..R x columns 1..K the data. It also keeps
// the section's zero-cell map, the caption of its tab and whether it was changed since it was
// loaded or saved. A view binds a grid to it; nothing here depends on widgets.
class SectionGrid {
public:
    SectionGrid() = default;
    SectionGrid(int section, const QStringList& columnTitles, const QStringList& rowLabels);
    // A grid for a catalogued section: its column identifiers and row lines.
    static SectionGrid fromStructure(int section, const reference::SectionStructure& structure);

    int section() const { return m_section; }
    // R and K; 0 for a grid that was never built.
    int rows() const { return m_cells.isEmpty() ? 0 : int(m_cells.size()) - 1; }
    int columns() const { return m_cells.isEmpty() ? 0 : int(m_cells.first().size()) - 1; }

    // Any cell, fixed ones included; the empty text outside the grid.
    QString cell(int row, int column) const;
    // Sets a data cell (1..R, 1..K); false outside. A different text sets the changed flag.
    bool setCell(int row, int column, const QString& text);
    // Empties every data cell (a freshly built grid); the changed flag is cleared.
    void clearData();
    // Sets every data cell to "0" ("Очистить"); the section counts as changed.
    void fillZeros();

    // The data rows as the writer takes them: label (column 0) and values 1..K.
    QList<DataRow> dataRows() const;
    // The sum of the numeric values of all data cells (an empty cell counts 0).
    double sum() const;

    // The zero-cell map (F_A_Zero); marks outside the section are ignored.
    void setZeroMap(const QList<QStringList>& map) { m_zeroMap = map; }
    const QList<QStringList>& zeroMap() const { return m_zeroMap; }
    bool isZeroCell(int row, int column) const;

    // The tab caption: RR, or RR + ": " + the state mark.
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }

    bool changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

private:
    int m_section = 0;
    QList<QStringList> m_cells;
    QList<QStringList> m_zeroMap;
    QString m_caption;
    bool m_changed = false;
};

// Applies the zero-cell map of the grid's section and reports, as a format warning titled with
// the map path, a map that marks cells outside the section.
void applyZeroMap(SectionGrid& grid, const QList<QStringList>& map, const QString& mapPath,
                  platform::Prompt& prompt);

// Grid loading. Load mode (compare false): the data cells are emptied and filled from the file
// at path; the caption becomes RR without a file, RR + ": " + mark with a state line, RR + ": -"
// without one. Compare mode: reports whether the file's values differ numerically from the
// grid (cells the file leaves out count as 0). Returns 0 on success (compare: no difference);
// -1 on a format error (message "Ошибка в формате данных !!!" titled "Ошибка !!!", caption
// RR + ": --") or, in compare mode, at the first difference. Lines with row number 0 are
// skipped with a format warning.
int Load_DD(SectionGrid& grid, const QString& path, bool compare, platform::Prompt& prompt);
// The data lines of a section file of rows x columns (its bytes after memoBytes): onCell gets
// each cell a line gives, with its bytes, and stops the walk by returning false (then 1 is
// returned). -1 after the format error of a line with another number of values or a row number
// beyond the section; a line of row 0 is skipped with a warning (once); 0 otherwise.
int scanSectionBytes(QByteArrayView bytes, int rows, int columns, const QString& path,
                     platform::Prompt& prompt,
                     const std::function<bool(int, int, QByteArrayView)>& onCell);
// The same keeping every cell: cells[(row - 1) * columns + column - 1] is the cell's bytes, an
// empty view for a cell no line gives.
int scanSectionBytes(QByteArrayView bytes, int rows, int columns, const QString& path,
                     platform::Prompt& prompt, std::vector<QByteArrayView>& cells);
// Load_DD on the bytes of the file at path, already read.
int Load_DD_Bytes(SectionGrid& grid, QByteArrayView fileBytes, const QString& path, bool compare,
                  platform::Prompt& prompt);

// Saves the grid as the section data file of key for the grid's section (the writer of
// sectionfile.h): mark "0"/"?" from the sum when mark is empty. On success the caption becomes
// RR + ": " + mark, the changed flag is cleared and the mark is returned; on failure (message
// shown) the grid is left as it was and the empty text is returned.
QString VV_Save(SectionGrid& grid, const DataKey& key, const QString& mark,
                platform::Prompt& prompt);

} // namespace mirel::data
