// Feeds random bytes, read as a matrix of values (a pasted block, the input of "mirel enter"),
// into a section grid with a zero-cell map taken from the input too; any crash, sanitizer
// report or broken contract stops the run.
#include "data/entry.h"
#include "data/sectiongrid.h"
#include "platform/codec.h"
#include "reference/catalog.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace mirel;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool hasBlank(const QString& value) {
    for (QChar c : value)
        if (c.isSpace() || c == QChar(0x00A0)) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = platform::decode1251(bytes);
    const QList<QStringList> matrix = data::parseMatrix(text);
    for (const QStringList& row : matrix)
        for (const QString& value : row)
            check(!hasBlank(value));

    // A section of 1..8 rows and columns; its zero map is the first lines of the input.
    const int rows = size ? 1 + data[0] % 8 : 1;
    const int columns = size > 1 ? 1 + data[1] % 8 : 1;
    QStringList labels, titles;
    for (int r = 1; r <= rows; ++r)
        labels.append(QString::number(r));
    for (int c = 1; c <= columns; ++c)
        titles.append(QString::number(c));
    data::SectionGrid grid(1, titles, labels);
    QList<QStringList> map;
    for (const QString& line : text.split(QLatin1Char('\n')).mid(0, 3)) {
        QStringList chars;
        for (QChar c : line)
            chars.append(QString(c));
        map.append(chars);
    }
    grid.setZeroMap(map);
    const int top = size > 2 ? 1 + data[2] % 9 : 1;
    const int left = size > 3 ? 1 + data[3] % 9 : 1;
    const QList<data::CellEdit> edits = data::pasteBlock(grid, top, left, matrix);
    for (const data::CellEdit& e : edits) {
        check(e.row >= 1 && e.row <= rows && e.column >= 1 && e.column <= columns);
        check(!grid.isZeroCell(e.row, e.column));
        check(!hasBlank(grid.cell(e.row, e.column)));
    }
    // Every row written keeps its fields: the row label and one value per column.
    const QString file =
        data::sectionFileText("2025", "12", "101", "1401", 1, grid.dataRows(), QStringLiteral("?"));
    const QStringList lines = file.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    check(lines.size() == rows + 2);
    for (int r = 2; r < lines.size(); ++r)
        check(data::splitDataLine(lines.at(r)).size() == columns + 1);
    data::undoEdits(grid, edits);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c)
            check(grid.cell(r, c).isEmpty());
    check(data::copyBlock(grid, 1, 1, rows, columns).count(QLatin1Char('\n')) == rows);
    return 0;
}
