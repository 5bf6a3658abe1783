// A computed section of the entry window: its ".CALC" file applied to the section's grid.
#include <gtest/gtest.h>

#include "data/entry.h"
#include "fixture.h"
#include "query/calcsection.h"

using namespace mirel;
using mirel::query::Recalc;
using mirel::test::QueryFixture;

namespace {

// Form 101 section 1 of region 1100 for December 2025, its calculation in the form folder.
struct CalcFixture : QueryFixture {
    data::EntryForm form;
    data::SectionGrid grid;

    CalcFixture() {
        form.key = data::DataKey{session.dir(core::DirDAT), "2025", "12", "101", "1100"};
        form.formDir = session.dir(core::DirFORM);
        form.basePeriod = session.forms.first().basePeriod;
        form.entry = session.forms.first();
        grid = data::SectionGrid::fromStructure(1, form.entry.sections.first());
    }
    void calc(const QString& text) { ws.write("FORM/2020_01.101/101_2001.01.CALC", text); }
    QStringList row(int r) const {
        QStringList out;
        for (int c = 1; c <= grid.columns(); ++c)
            out.append(grid.cell(r, c));
        return out;
    }
};

} // namespace

TEST(CalcSection, WithoutACalculationNothingChanges) {
    CalcFixture f;
    ASSERT_EQ(f.form.basePeriod, "202001");
    EXPECT_EQ(query::recalcSection(f.grid, f.form, f.session.forms, f.prompt), Recalc::NoCalc);
}

TEST(CalcSection, TheTotalRowIsComputedFromTheGridAndTheZeroMapIsKept) {
    CalcFixture f;
    f.calc("str 1\n1=summ_s(2,3,1)\n2=summ_s(2,3,2)\n3=summ_s(2,3,3)\n");
    f.grid.setZeroMap({{" ", " ", "0"}});
    f.grid.setCell(2, 1, "4");
    f.grid.setCell(3, 1, "5");
    f.grid.setCell(2, 3, "7");
    f.grid.setChanged(false);
    EXPECT_EQ(query::recalcSection(f.grid, f.form, f.session.forms, f.prompt), Recalc::Changed);
    EXPECT_EQ(f.row(1), (QStringList{"9", "0", ""}));
    EXPECT_TRUE(f.grid.changed());
    // Computed again on the values it gave: nothing differs any more.
    EXPECT_EQ(query::recalcSection(f.grid, f.form, f.session.forms, f.prompt), Recalc::Same);
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join(" | ").toStdString();
}

TEST(CalcSection, AFaultyCalculationLeavesTheGridAsItWas) {
    CalcFixture f;
    f.calc("str 1\n1=(2\\1\\1\n");
    f.grid.setCell(2, 1, "4");
    EXPECT_EQ(query::recalcSection(f.grid, f.form, f.session.forms, f.prompt), Recalc::Failed);
    EXPECT_EQ(f.row(1), (QStringList{"", "", ""}));
    EXPECT_FALSE(f.prompt.messages.isEmpty());
}
