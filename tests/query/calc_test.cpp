// The ".CALC" entry points of the data entry window, on an in-memory grid.
#include <gtest/gtest.h>

#include "fixture.h"
#include "query/calc.h"

using namespace mirel;
using namespace mirel::query;
using mirel::test::QueryFixture;

namespace {

// A grid of texts with a header row and a label column, as the entry window has it.
class MemoryGrid : public CellGrid {
public:
    MemoryGrid(int rows, int columns)
        : cells(rows + 1, QStringList(columns + 1)) {}
    int rowCount() const override { return int(cells.size()); }
    int columnCount() const override { return int(cells.first().size()); }
    QString cell(int r, int c) const override { return cells.at(r).at(c); }
    void setCell(int r, int c, const QString& text) override { cells[r][c] = text; }
    QList<QStringList> cells;
};

QStringList row(const MemoryGrid& g, int r) {
    return g.cells.at(r).mid(1);
}

} // namespace

TEST(CalcSections, FormulasFillTheGridRowByRow) {
    QueryFixture f;
    f.data("102", "2512", "1100", 1, {"1 100 200", "2 1 2"});
    MemoryGrid grid(3, 3);
    grid.cells[1] = QStringList{"", "5", "", ""};
    grid.cells[2] = QStringList{"", "7", "", "1,5"};
    const CalcSection section{"101", 1, "2025", "12", "1100"};
    // Without a reference line, reference 1 is the section being edited.
    const auto calc = parseCalc("str i\n2=1\\I\\1*2\nstr 3\n1=summ_s(1,2,1)\n3=1\\1\\2+1\\2\\3\n"
                                "dec\n3 1",
                                section, f.session.forms, f.prompt);
    ASSERT_TRUE(calc) << f.prompt.texts().join(" | ").toStdString();
    EXPECT_EQ(calc->refs.first().form, QStringLiteral("101"));
    ASSERT_EQ(
        evaluateCalc(*calc, grid, section, f.session.dir(core::DirDAT), f.session.forms, f.prompt),
        0);
    EXPECT_EQ(row(grid, 1), (QStringList{"5", "10", ""}));
    EXPECT_EQ(row(grid, 2), (QStringList{"7", "14", "1,5"}));
    EXPECT_EQ(row(grid, 3), (QStringList{"12", "0", "11.5"}));
    EXPECT_TRUE(f.prompt.messages.isEmpty());

    // Other forms are read from their data files for the window's region and period.
    const auto other = parseCalc("1: 101 1\n2: 102 1\nSTR 1\n3=2\\2\\2+1\\1\\1", section,
                                 f.session.forms, f.prompt);
    ASSERT_TRUE(other);
    ASSERT_EQ(
        evaluateCalc(*other, grid, section, f.session.dir(core::DirDAT), f.session.forms, f.prompt),
        0);
    EXPECT_EQ(row(grid, 1), (QStringList{"5", "10", "7"}));
}

TEST(CalcSections, GridSumsWithMissingOrBadBounds) {
    QueryFixture f;
    MemoryGrid grid(2, 2);
    grid.cells[1] = QStringList{"", "1.4", "9"};
    grid.cells[2] = QStringList{"", "2.4", "9"};
    const CalcSection section{"102", 1, "2025", "12", "1100"};
    const auto calc = parseCalc("STR 1\n2=SUMM_S(1,2,1)+1\nSTR 2\n2=SUMM_S(1,,1)\n", section,
                                f.session.forms, f.prompt);
    ASSERT_TRUE(calc);
    ASSERT_EQ(
        evaluateCalc(*calc, grid, section, f.session.dir(core::DirDAT), f.session.forms, f.prompt),
        0);
    EXPECT_EQ(grid.cells[1][2], QStringLiteral("5")); // round(3.8) + 1
    EXPECT_EQ(grid.cells[2][2], QStringLiteral("9")); // a missing bound computes nothing
}

TEST(CalcSections, ParseFaultsUseTheQueryMessages) {
    QueryFixture f;
    const CalcSection section{"101", 1, "2025", "12", "1100"};
    EXPECT_FALSE(parseCalc("STR 1\n1=(1\\1\\1", section, f.session.forms, f.prompt));
    EXPECT_FALSE(parseCalc("STR 1\n1=1\\9\\1", section, f.session.forms, f.prompt));
    EXPECT_EQ(f.prompt.texts(),
              (QStringList{"Количество открывающих скобок не равно количеству закрывающих -> "
                           "1=(1\\1\\1",
                           "Недействительное значение идентификатора строки (9) : 1\\9\\1"}));
}
