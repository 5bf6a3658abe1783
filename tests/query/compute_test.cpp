// Table computation on small workspaces, checked cell by cell.
#include <gtest/gtest.h>

#include "fixture.h"
#include "query/compute.h"

using namespace mirel;
using namespace mirel::query;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::QueryFixture;
using mirel::test::rows;

namespace {

// Three regions with form 101, section 1 for December 2025 and December 2024; Восток has no
// report for 2025.
void threeRegions(QueryFixture& f) {
    f.classifier({"Регионы", "1100 Север", "1200 Юг", "1300 Восток"});
    f.data("101", "2512", "1100", 1, {"1 50 5 0", "2 10 20 30"});
    f.data("101", "2412", "1100", 1, {"1 40 4 0", "2 1 2 3"});
    f.data("101", "2512", "1200", 1, {"1 30 -2 0", "2 0 0 0"});
    f.data("101", "2412", "1200", 1, {"1 0 -1 0"});
    f.data("101", "2412", "1300", 1, {"1 7 7 0"});
}

} // namespace

TEST(RegionTable, RatiosGrowthMissingFilesAndPrecision) {
    QueryFixture f;
    threeRegions(f);
    const Matrix m = f.matrix("1: 101 1\n2: 101 1 -1\nDAT\n1=1\\1\\1\n2=1\\1\\1/2\\1\\1*100\n"
                              "3=1\\2\\3+1\\3\\1\nDEC\n2 1");
    EXPECT_EQ(m, rows({"Север|1100|50|125.0|30", "Юг|1200|30|***|0", "Восток|1300|||"}));
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join(" | ").toStdString();
    EXPECT_EQ(f.prompt.progressMaximum, 3);
}

TEST(RegionTable, NotCalcEmptiesTheFormulaAndTheDecColumnForTheListedRegions) {
    QueryFixture f;
    threeRegions(f);
    const Matrix m = f.matrix("1: 101 1 LAST\nDAT\n1=1\\1\\1\nNOT_CALC\n1200\n2=1\\1\\2\n"
                              "DEC\n2 1\nNOT_CALC\n1300");
    EXPECT_EQ(m, rows({"Север|1100|40|4.0", "Юг|1200||-1.0", "Восток|1300|7|"}));
}

TEST(RegionTable, RangAndIndGivePlacesUpAndDown) {
    QueryFixture f;
    f.classifier({"1 А", "2 Б", "3 В", "4 Г"});
    f.data("101", "2512", "1", 1, {"1 5"});
    f.data("101", "2512", "2", 1, {"1 -2"});
    f.data("101", "2512", "3", 1, {"1 7"});
    // Region 4 has no data: its places stay empty.
    const Matrix m = f.matrix("1: 101 1\nDAT\n1=1\\1\\1\n2=0\n3=0\nRANG\n1 2\nIND\n1 3");
    EXPECT_EQ(m, rows({"А|1|5|2|2", "Б|2|-2|1|3", "В|3|7|3|1", "Г|4|||"}));
}

TEST(RegionTable, RankingTiesDenseOrSharedAndExcludedRegions) {
    Matrix m = rows({"a|1|7", "b|2|7", "c|3|5", "d|4|10.5", "e|5|9.25", "f|6|***"});
    for (QStringList& row : m)
        row.append(QString());
    applyRanking(m, {1, 2, 1, {}}, true);
    QStringList places;
    for (const auto& row : m)
        places.append(row[3]);
    EXPECT_EQ(places, (QStringList{"3", "3", "4", "1", "2", ""}));

    applyRanking(m, {1, 2, 2, {}}, false);
    places.clear();
    for (const auto& row : m)
        places.append(row[3]);
    EXPECT_EQ(places, (QStringList{"2-3", "2-3", "1", "5", "4", ""}));

    // An excluded region takes no place, also when it shares a value.
    applyRanking(m, {1, 2, 1, {"1", "3"}}, false);
    places.clear();
    for (const auto& row : m)
        places.append(row[3]);
    EXPECT_EQ(places, (QStringList{"", "1", "", "3", "2", ""}));
}

TEST(RegionTable, SortOrdersByValueAndPutsEmptyCellsLast) {
    QueryFixture f;
    f.classifier({"1 А", "2 Б", "3 В", "4 Г", "5 Д"});
    f.data("101", "2512", "1", 1, {"1 9.5"});
    f.data("101", "2512", "2", 1, {"1 -3"});
    f.data("101", "2512", "3", 1, {"1 10"});
    f.data("101", "2512", "5", 1, {"1 -10"});
    EXPECT_EQ(f.matrix("1: 101 1\nDAT\n1=1\\1\\1\nSORT -\n1"),
              rows({"В|3|10", "А|1|9.5", "Б|2|-3", "Д|5|-10", "Г|4|"}));
    EXPECT_EQ(f.matrix("1: 101 1\nDAT\n1=1\\1\\1\nSORT\n1"),
              rows({"Д|5|-10", "Б|2|-3", "А|1|9.5", "В|3|10", "Г|4|"}));
}

TEST(RegionTable, DelRemovesRowsWhoseTestedCellsAreAllZero) {
    QueryFixture f;
    f.classifier({"1 А", "2 Б", "3 В", "4", "5 Д"});
    f.data("101", "2512", "1", 1, {"1 0 0"});
    f.data("101", "2512", "2", 1, {"1 0 4"});
    f.data("101", "2512", "3", 1, {"1 0 0"});
    f.data("101", "2512", "4", 1, {"1 0 0"});
    f.data("101", "2512", "5", 1, {"1 2 0"});
    // Bare DEL: zero, empty and "***" cells count as zero; a region without a name is tested
    // like the others.
    EXPECT_EQ(f.matrix("1: 101 1\nDAT\n1=1\\1\\1\n2=1\\1\\2\n3=1\\1\\1/1\\1\\1\nDEL"),
              rows({"Б|2|0|4|***", "Д|5|2|0|1"}));
    EXPECT_EQ(f.matrix("1: 101 1\nDAT\n1=1\\1\\1\n2=1\\1\\2\nDEL\n1"), rows({"Д|5|2|0"}));
}

TEST(RegionTable, SummAndMidListsLeaveTheTableAsItIs) {
    QueryFixture f;
    threeRegions(f);
    const QString q = "1: 101 1\nDAT\n1=1\\1\\1\n";
    EXPECT_EQ(f.matrix(q + "SUMM\n1\nMID\n1"), f.matrix(q));
}

TEST(RegionTable, TwoClassifiersAreListedOneAfterTheOther) {
    QueryFixture f;
    threeRegions(f);
    f.classifier({"1100 Север"}, "SHIFA.TXT");
    f.classifier({"1300 Восток", "1200 Юг"}, "SHIFB.txt");
    EXPECT_EQ(f.matrix("1: 101 1\nSHIFA\nSHIFB.TXT\nDAT\n1=1\\2\\2\nRANG\n1 1"),
              rows({"Север|1100|1", "Восток|1300|", "Юг|1200|1"}));
    EXPECT_TRUE(f.matrix("1: 101 1\nSHIFC\nDAT\n1=1\\2\\2").isEmpty());
    EXPECT_EQ(f.prompt.texts(), QStringList{"Не существует шифратор SHIFC.TXT"});
}

TEST(RegionTable, MultyYearsJoinAcrossAndDownAndTheYearIsRestored) {
    QueryFixture f;
    threeRegions(f);
    f.data("101", "2312", "1100", 1, {"1 30"});
    QueryResult r;
    ASSERT_EQ(f.run("1: 101 1\nMULTY_X3\nDAT\n1=1\\1\\1\n2=1\\1\\2", r), 0);
    EXPECT_EQ(r.table.layout, QStringLiteral("MULTY_X"));
    EXPECT_EQ(r.table.columns, 6);
    EXPECT_EQ(r.table.matrix,
              rows({"Север|1100|50|5|40|4|30|0", "Юг|1200|30|-2|0|-1||", "Восток|1300|||7|7||"}));
    EXPECT_EQ(f.session.year, QStringLiteral("2025"));

    ASSERT_EQ(f.run("1: 101 1\nMULTY_Y 2\nDAT\n1=1\\1\\1", r), 0);
    EXPECT_EQ(r.table.layout, QStringLiteral("MULTY_Y"));
    EXPECT_EQ(r.table.matrix, rows({"Север|1100|50", "|1100|40", "Юг|1200|30", "|1200|0",
                                    "Восток|1300|", "|1300|7"}));
    EXPECT_EQ(f.session.year, QStringLiteral("2025"));
}

TEST(RegionTable, AFailedYearEndsTheJoiningAndTheYearIsStillRestored) {
    QueryFixture f;
    threeRegions(f);
    f.session.forms.first().basePeriod = "202401"; // form 101 is not catalogued before 2024
    QueryResult r;
    ASSERT_EQ(f.run("1: 101 1\nMULTY_X3\nDAT\n1=1\\1\\1", r), 0);
    EXPECT_EQ(r.table.matrix, rows({"Север|1100|50|40|", "Юг|1200|30|0|", "Восток|1300||7|"}));
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Форма некаталогизирована для данного отчетного периода : 101 2023 12"});
    EXPECT_EQ(f.session.year, QStringLiteral("2025"));
}

TEST(RowTable, RowsOfTheCodRegionWithRowReferencesAndTemplates) {
    QueryFixture f;
    threeRegions(f);
    const QString q = "1: 101 1\n2: 102 1\nCOD\n1100\nSTR 1\n1=1\\1\\1\n2=1\\1\\2\nSTR 2\n"
                      "1=1\\2\\1\n2=2\\1\\1\nSTR 3\n1=S1+S2\n2=S1*2\nDEC\n1 1";
    QueryResult r;
    ASSERT_EQ(f.run(q, r), 0);
    // Form 102 has no data file for 1100: cells that use it stay empty.
    EXPECT_EQ(r.table.matrix, rows({"1|1100|50.0|5", "2|1100|10.0|", "3|1100|60.0|10"}));
    EXPECT_EQ(r.table.regionName, QStringLiteral("Север"));

    // "STR I" repeats for every row of the base section; "J" for every column.
    ASSERT_EQ(f.run("1: 101 1\nCOD\n1200\nSTR I\nJ=1\\I\\J+1", r), 0);
    EXPECT_EQ(r.table.matrix, rows({"1|1200|31|-1|1", "2|1200|1|1|1", "3|1200|1|1|1"}));
}

TEST(RowTable, TheRegionSelectorReplacesCod) {
    QueryFixture f;
    threeRegions(f);
    const QString q = "1: 101 1\nCOD\n1100\nSTR 1\n1=1\\1\\1";
    f.options.selector = {RegionSelector::State::Chosen, "1200", "Юг"};
    EXPECT_EQ(f.matrix(q), rows({"1|1200|30"}));
    f.options.selector = {RegionSelector::State::Empty, QString(), QString()};
    EXPECT_EQ(f.matrix(q), rows({"1|1100|50"}));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Не выбран регион !!!", "ВНИМАНИЕ !!!"}}));
}

TEST(RowTable, RangAndIndFunctionsPlaceTheRegionAmongAll) {
    QueryFixture f;
    threeRegions(f);
    f.data("101", "2512", "1300", 1, {"1 40"});
    // Values 50, 30 and 40: Север is third from the bottom and first from the top.
    EXPECT_EQ(f.matrix("1: 101 1\nCOD\n1100\nSTR 1\n1=RANG(1\\1\\1)\n2=100-IND(1\\1\\1*2)"),
              rows({"1|1100|3|99"}));
    // A region without data: the run stops without output or message.
    f.prompt.clear();
    EXPECT_EQ(f.matrix("1: 101 2\nCOD\n1100\nSTR 1\n1=RANG(1\\2\\1)"), Matrix());
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    EXPECT_EQ(f.matrix("1: 101 1\nCOD\n1100\nSTR 1\n1=)RANG("), Matrix());
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Не закрыта скобка в задании на ранжирование выражения -> )RANG("});
    f.prompt.clear();
    EXPECT_EQ(f.matrix("1: 101 1\nCOD\n1100\nSTR 1\n1=RANG()"), Matrix());
    EXPECT_EQ(f.prompt.texts(), QStringList{"Не определено задание на ранжирование -> RANG()"});
}

TEST(RowTable, RankFunctionsOverTheSameFilesReadEachFileOnce) {
    QueryFixture f;
    threeRegions(f);
    f.data("101", "2512", "1300", 1, {"1 40 9 0", "2 5 5 5"});
    f.data("101", "2512", "1100", 2, {"1 1 1 1"});
    // Four runs over all regions, three of them over the same section; the rows after them.
    const QStringList lines{"1: 101 1",
                            "2: 101 2",
                            "COD",
                            "1100",
                            "STR 1",
                            "1=RANG(1\\1\\1)",
                            "2=IND(1\\1\\2+2\\1\\1)",
                            "STR 2",
                            "1=RANG(1\\2\\1)",
                            "2=IND(1\\1\\1)",
                            "3=1\\1\\2+1\\2\\1"};
    Computation c{f.session, f.prompt, f.options, {}};
    const auto table = computeRowTable(lines, c);
    ASSERT_TRUE(table.has_value()) << f.prompt.texts().join(" | ").toStdString();
    EXPECT_EQ(table->matrix, rows({"1|1100|3|1|", "2|1100|3|1|15"}));
    // Three regions, two sections: six files (two of them missing), each read once.
    EXPECT_EQ(c.cache.size(), 6);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(RowTable, MultyAcrossYearsAndMultyRegAcrossAndDown) {
    QueryFixture f;
    threeRegions(f);
    const QString q = "1: 101 1\nCOD\n1100\nSTR 1\n1=1\\1\\1\n2=1\\1\\2\nSTR 2\n1=1\\2\\1\n";
    QueryResult r;
    ASSERT_EQ(f.run(q + "MULTY_X2", r), 0);
    EXPECT_EQ(r.table.matrix, rows({"1|1100|50|5|40|4", "2|1100|10||1|"}));
    EXPECT_EQ(r.table.columns, 4);
    EXPECT_EQ(f.session.year, QStringLiteral("2025"));

    QStringList captions;
    f.options.caption = [&](const QString& c) { captions.append(c); };
    ASSERT_EQ(f.run(q + "MULTY_REG X", r), 0);
    EXPECT_EQ(r.table.layout, QStringLiteral("MULTY_REG X"));
    EXPECT_EQ(r.table.matrix, rows({"1|1100|50|5|30|-2||", "2|1100|10||0|||"}));
    EXPECT_EQ(r.table.header,
              QStringLiteral(" n/n |Север|__________|Юг|__________|Восток|__________"));
    EXPECT_EQ(captions, (QStringList{"Север", "Юг", "Восток", "Мирель."}));

    ASSERT_EQ(f.run(q + "MULTY_REG", r), 0);
    EXPECT_EQ(r.table.layout, QStringLiteral("MULTY_REG Y"));
    EXPECT_EQ(r.table.matrix,
              rows({"Север|||", "1|1100|50|5", "2|1100|10|", "Юг|||", "1|1200|30|-2", "2|1200|0|",
                    "Восток|||", "1|1300||", "2|1300||"}));
}

TEST(RowTable, MapQueriesAreMarkedForRegionTablesOnly) {
    QueryFixture f;
    threeRegions(f);
    QueryResult r;
    ASSERT_EQ(f.run("1: 101 1\nDAT\n1=1\\1\\1", r, "КАРТА урожая.PSP"), 0);
    EXPECT_TRUE(r.map);
    ASSERT_EQ(f.run("1: 101 1\nCOD\n1100\nSTR 1\n1=1\\1\\1", r, "КАРТА 2.PSP"), 0);
    EXPECT_FALSE(r.map);
}
