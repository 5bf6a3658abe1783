#include "data/sectiongrid.h"

#include "core/files.h"
#include "core/text.h"
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
    return Load_DD_Text(grid, core::readText(path), path, compare, prompt);
}

int Load_DD_Text(SectionGrid& grid, const QString& fileText, const QString& path, bool compare,
                 platform::Prompt& prompt) {
    const QString rr = sectionNumber(grid.section());
    const int rows = grid.rows();
    const int columns = grid.columns();
    const QStringList lines = platform::splitFileLines(VV_Memo_Text(fileText));
    const QString firstLine = lines.value(0);
    if (firstLine.startsWith(QLatin1String("PR_")))
        grid.setCaption(rr + QStringLiteral(": ") + core::Trim(firstLine.mid(3)));
    else
        grid.setCaption(rr + QStringLiteral(": -"));
    if (!compare) grid.clearData();
    // Cells the file gives; in compare mode the others must be zero in the grid too.
    QList<QList<bool>> covered(rows + 1, QList<bool>(columns + 1, false));
    bool rowZeroReported = false;
    for (const QString& raw : lines) {
        QString line = raw;
        core::Tabs_To_Spaces(line);
        line = core::Trim(line);
        if (line.isEmpty() || !(line.at(0) >= QLatin1Char('0') && line.at(0) <= QLatin1Char('9')))
            continue;
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != columns + 1) {
            formatError(prompt, QStringLiteral("К-во граф = "), int(fields.size()) - 1, columns);
            grid.setCaption(rr + QStringLiteral(": --"));
            return -1;
        }
        const int row = rowNumber(fields.first());
        if (row > rows) {
            formatError(prompt, QStringLiteral("К-во строк = "), row, rows);
            grid.setCaption(rr + QStringLiteral(": --"));
            return -1;
        }
        if (row < 1) {
            // Row 0 is the title row of the grid: the line cannot belong anywhere.
            if (!rowZeroReported)
                prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF +
                                   QStringLiteral("Строка с номером ") + fields.first() +
                                   QStringLiteral(" вне раздела (строк : ") +
                                   QString::number(rows) + QStringLiteral(") пропущена"),
                               platform::Icon::Warning, path);
            rowZeroReported = true;
            continue;
        }
        for (int c = 1; c <= columns; ++c) {
            covered[row][c] = true;
            if (compare) {
                if (cellValue(fields.at(c)) != cellValue(grid.cell(row, c))) return -1;
            } else {
                grid.setCell(row, c, fields.at(c));
            }
        }
    }
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
