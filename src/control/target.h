#pragma once

#include <optional>
#include <QString>
#include <vector>

#include "data/sectionfile.h"
#include "data/sectiongrid.h"

namespace mirel::control {

// The cells of the section under control, as its caller holds them: the entry window its grid
// (unsaved edits included), the import and the command the stored file. Rows and columns are
// 1-based data cells; row 0 and column 0 are never asked for.
class SectionCells {
public:
    virtual ~SectionCells() = default;
    virtual int rows() const = 0;
    virtual int columns() const = 0;
    // The text of a data cell as it stands (possibly empty).
    virtual QString cellText(int row, int column) const = 0;
    // The cell's value when its text is a plain number (fastCellValue); nullopt otherwise.
    virtual std::optional<double> plainValue(int row, int column) const;
    // Every cell's plainValue, row by row, NaN where there is none (no plain number reads NaN).
    virtual void plainValues(std::vector<double>& values) const;

    // The sum of the numeric values of all data cells (an empty cell counts 0).
    virtual double sum() const;
};

// A cell's value as the sum of a section counts it: its text's number, 0 for an empty cell; also
// on a cell's bytes in code page 1251.
double summedValue(const QString& text);
double summedValue(QByteArrayView bytes);

// The section in a grid of the entry window (or a grid loaded from its file).
class GridCells : public SectionCells {
public:
    explicit GridCells(const data::SectionGrid& grid)
        : m_grid(grid) {}
    int rows() const override { return m_grid.rows(); }
    int columns() const override { return m_grid.columns(); }
    QString cellText(int row, int column) const override { return m_grid.cell(row, column); }

private:
    const data::SectionGrid& m_grid;
};

// The section as the standard reading gives it (the import).
class MatrixCells : public SectionCells {
public:
    explicit MatrixCells(const data::SectionMatrix& matrix)
        : m_matrix(matrix) {}
    int rows() const override { return m_matrix.rows; }
    int columns() const override { return m_matrix.columns; }
    QString cellText(int row, int column) const override { return m_matrix.value(row, column); }

private:
    const data::SectionMatrix& m_matrix;
};

// What is under control: one section of one form for one region and reporting period, and the
// folders where the rules and the other sections lie. year and month are the texts of the
// period fields (padded where codes are built).
struct ControlTarget {
    QString datDir;
    QString formDir;
    QString formCode;
    int section = 1;
    QString year;
    QString month;
    QString regionCode;

    data::DataKey dataKey() const { return {datDir, year, month, formCode, regionCode}; }
};

} // namespace mirel::control
