#include "data/sectiongrid.h"

#include <array>

#include "core/files.h"
#include "core/text.h"
#include "data/datalines.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "reference/catalog.h"

namespace mirel::data {
namespace {

const QString ErrorTitle = QStringLiteral("Ошибка !!!");

// The system's four-line format error of grid loading.
void formatError(platform::Prompt& prompt, const QString& what, int count, int expected) {
    prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF + what + core::CRLF +
                       QString::number(count) + core::CRLF + QStringLiteral("Должно быть = ") +
                       QString::number(expected),
                   platform::Icon::Error, ErrorTitle);
}

} // namespace

SectionGrid::SectionGrid(int section, const QStringList& columnTitles, const QStringList& rowLabels)
    : m_section(section)
    , m_caption(sectionNumber(section)) {
    QStringList titleRow{QString()};
    titleRow.append(columnTitles);
    m_cells.append(titleRow);
    for (const QString& label : rowLabels) {
        QStringList row(columnTitles.size() + 1);
        row[0] = label;
        m_cells.append(row);
    }
}

SectionGrid SectionGrid::fromStructure(int section, const reference::SectionStructure& structure) {
    return SectionGrid(section, structure.columns, structure.rows);
}

QString SectionGrid::cell(int row, int column) const {
    if (row < 0 || row >= m_cells.size() || column < 0 || column >= m_cells.at(row).size())
        return QString();
    return m_cells.at(row).at(column);
}

bool SectionGrid::setCell(int row, int column, const QString& text) {
    if (row < 1 || row > rows() || column < 1 || column > columns()) return false;
    QString& c = m_cells[row][column];
    if (c != text) {
        c = text;
        m_changed = true;
    }
    return true;
}

void SectionGrid::clearData() {
    for (int r = 1; r < m_cells.size(); ++r)
        for (int c = 1; c < m_cells.at(r).size(); ++c)
            m_cells[r][c].clear();
    m_changed = false;
}

void SectionGrid::fillZeros() {
    for (int r = 1; r < m_cells.size(); ++r)
        for (int c = 1; c < m_cells.at(r).size(); ++c)
            m_cells[r][c] = QStringLiteral("0");
    m_changed = true;
}

QList<DataRow> SectionGrid::dataRows() const {
    QList<DataRow> out;
    out.reserve(rows());
    for (int r = 1; r < m_cells.size(); ++r)
        out.append(DataRow{m_cells.at(r).first(), m_cells.at(r).mid(1)});
    return out;
}

double SectionGrid::sum() const {
    return valueSum(dataRows());
}

bool SectionGrid::isZeroCell(int row, int column) const {
    return row >= 1 && row <= rows() && column >= 1 && column <= columns() &&
           zeroMarked(m_zeroMap, row, column);
}

void applyZeroMap(SectionGrid& grid, const QList<QStringList>& map, const QString& mapPath,
                  platform::Prompt& prompt) {
    grid.setZeroMap(map);
    if (zeroMapExceeds(map, grid.rows(), grid.columns()))
        prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF +
                           QStringLiteral("Карта нулевых клеток выходит за пределы раздела "
                                          "(строк : ") +
                           QString::number(grid.rows()) + QStringLiteral(", граф : ") +
                           QString::number(grid.columns()) + QLatin1Char(')'),
                       platform::Icon::Warning, mapPath);
}

int Load_DD(SectionGrid& grid, const QString& path, bool compare, platform::Prompt& prompt) {
    const QString rr = sectionNumber(grid.section());
    const int rows = grid.rows();
    const int columns = grid.columns();
    const auto gridIsZero = [&] {
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c)
                if (cellValue(grid.cell(r, c)) != 0) return false;
        return true;
    };
    if (!platform::fileExists(path)) {
        if (compare) return gridIsZero() ? 0 : -1;
        grid.clearData();
        grid.setCaption(rr);
        return 0;
    }
    QByteArray bytes;
    platform::readFileBytes(path, bytes);
    return Load_DD_Bytes(grid, bytes, path, compare, prompt);
}

namespace {

// The walk of scanSectionBytes; onCell is called directly, so that a caller that only keeps the
// cells pays no call through a function object per cell.
template <typename OnCell>
int scanCells(QByteArrayView bytes, int rows, int columns, const QString& path,
              platform::Prompt& prompt, const OnCell& onCell) {
    // The lines are read in the file's bytes and a line's fields counted before any is taken,
    // so that a file of any size costs its bytes and the cells of the section.
    bool rowZeroReported = false;
    // The fields of a line are kept while they are counted (a line of a usual section has a
    // few dozen), so that the line is gone through once.
    constexpr int KeptFields = 64;
    std::array<QByteArrayView, KeptFields> kept;
    const bool keep = columns + 1 <= KeptFields;
    ByteLines lines(bytes);
    QByteArrayView line;
    while (lines.next(line)) {
        const QByteArrayView data = dataLine(line);
        if (data.isEmpty()) continue;
        qsizetype count = 0;
        if (keep)
            count = forEachField(data, [&](QByteArrayView field) {
                if (count < KeptFields) kept[size_t(count)] = field;
                ++count;
            });
        else
            count = fieldCount(data);
        if (count != columns + 1) {
            formatError(prompt, QStringLiteral("К-во граф = "), int(count - 1), columns);
            return -1;
        }
        Fields fields(data);
        QByteArrayView field;
        if (keep)
            field = kept[0];
        else
            fields.next(field);
        // A row number of a few digits (every line the program writes) is read at once.
        int row = 0;
        qsizetype digits = 0;
        for (; digits < field.size() && digits < 9; ++digits) {
            const unsigned d = unsigned(uchar(field[digits])) - '0';
            if (d > 9) break;
            row = row * 10 + int(d);
        }
        if (digits != field.size()) row = rowNumber(text1251(field));
        if (row > rows) {
            formatError(prompt, QStringLiteral("К-во строк = "), row, rows);
            return -1;
        }
        if (row < 1) {
            // Row 0 is the title row of the grid: the line cannot belong anywhere.
            if (!rowZeroReported)
                prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF +
                                   QStringLiteral("Строка с номером ") + text1251(field) +
                                   QStringLiteral(" вне раздела (строк : ") +
                                   QString::number(rows) + QStringLiteral(") пропущена"),
                               platform::Icon::Warning, path);
            rowZeroReported = true;
            continue;
        }
        if (keep) {
            for (int c = 1; c <= columns; ++c)
                if (!onCell(row, c, kept[size_t(c)])) return 1;
        } else {
            for (int c = 1; c <= columns && fields.next(field); ++c)
                if (!onCell(row, c, field)) return 1;
        }
    }
    return 0;
}

} // namespace

int scanSectionBytes(QByteArrayView bytes, int rows, int columns, const QString& path,
                     platform::Prompt& prompt,
                     const std::function<bool(int, int, QByteArrayView)>& onCell) {
    return scanCells(bytes, rows, columns, path, prompt, onCell);
}

int scanSectionBytes(QByteArrayView bytes, int rows, int columns, const QString& path,
                     platform::Prompt& prompt, std::vector<QByteArrayView>& cells) {
    cells.assign(size_t(std::max(rows, 0)) * size_t(std::max(columns, 0)), QByteArrayView());
    return scanCells(bytes, rows, columns, path, prompt,
                     [&](int row, int column, QByteArrayView field) {
                         cells[size_t(row - 1) * size_t(columns) + size_t(column - 1)] = field;
                         return true;
                     });
}

int Load_DD_Bytes(SectionGrid& grid, QByteArrayView fileBytes, const QString& path, bool compare,
                  platform::Prompt& prompt) {
    const QString rr = sectionNumber(grid.section());
    const int rows = grid.rows();
    const int columns = grid.columns();
    const QByteArrayView bytes = memoBytes(fileBytes);
    grid.setCaption(rr + QStringLiteral(": ") + stateMarkOf(bytes).value_or(QStringLiteral("-")));
    if (!compare) grid.clearData();
    // Cells the file gives; in compare mode the others must be zero in the grid too.
    QList<QList<bool>> covered;
    if (compare) covered = QList<QList<bool>>(rows + 1, QList<bool>(columns + 1, false));
    const int scanned = scanSectionBytes(
        bytes, rows, columns, path, prompt, [&](int row, int c, QByteArrayView field) {
            const QString value = text1251(field);
            if (!compare) {
                grid.setCell(row, c, value);
                return true;
            }
            covered[row][c] = true;
            return cellValue(value) == cellValue(grid.cell(row, c));
        });
    if (scanned < 0) grid.setCaption(rr + QStringLiteral(": --"));
    if (scanned != 0) return -1;
    if (compare) {
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c)
                if (!covered.at(r).at(c) && cellValue(grid.cell(r, c)) != 0) return -1;
        return 0;
    }
    grid.setChanged(false);
    return 0;
}

QString VV_Save(SectionGrid& grid, const DataKey& key, const QString& mark,
                platform::Prompt& prompt) {
    const QString written = writeSectionFile(key, grid.section(), grid.dataRows(), mark, prompt);
    if (written.isEmpty()) return QString();
    grid.setCaption(sectionNumber(grid.section()) + QStringLiteral(": ") + written);
    grid.setChanged(false);
    return written;
}

} // namespace mirel::data
