#include <gtest/gtest.h>

#include "core/periods.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::core;

TEST(Periods, FieldsArePaddedIntoCodes) {
    EXPECT_EQ(yearCode("1"), QStringLiteral("0001"));
    EXPECT_EQ(monthCode("7"), QStringLiteral("07"));
    EXPECT_EQ(periodCode("2001", "12"), QStringLiteral("200112"));
    EXPECT_EQ(shortPeriod("1", "7"), QStringLiteral("0107"));
    EXPECT_EQ(shortPeriod("2005", "6"), QStringLiteral("0506"));
    EXPECT_EQ(formFolderPeriod("2001", "1"), QStringLiteral("2001_01"));
    EXPECT_EQ(monthCode("123"), QStringLiteral("23"));
    // Empty and long fields: zeros before, the last characters kept.
    EXPECT_EQ(yearCode(""), QStringLiteral("0000"));
    EXPECT_EQ(yearCode("120051"), QStringLiteral("0051"));
    EXPECT_EQ(periodCode("5", ""), QStringLiteral("000500"));
    EXPECT_EQ(shortPeriod("20051", "012"), QStringLiteral("5112"));
    EXPECT_EQ(formFolderPeriod("", "123"), QStringLiteral("0000_23"));
}

TEST(Periods, PeriodicityDecidesTheMonthsDue) {
    for (int m = 1; m <= 12; ++m) {
        EXPECT_TRUE(VVOD_Actual_Per(12, m));
        EXPECT_EQ(VVOD_Actual_Per(4, m), m % 3 == 0) << m;
        EXPECT_EQ(VVOD_Actual_Per(2, m), m % 6 == 0) << m;
        EXPECT_EQ(VVOD_Actual_Per(1, m), m == 12) << m;
        EXPECT_FALSE(VVOD_Actual_Per(3, m));
        EXPECT_FALSE(VVOD_Actual_Per(0, m));
    }
}

TEST(Periods, PreviousMonthWrapsInJanuary) {
    EXPECT_EQ(previousMonth(QDate(2002, 1, 15)).year, QStringLiteral("2001"));
    EXPECT_EQ(previousMonth(QDate(2002, 1, 15)).month, QStringLiteral("12"));
    EXPECT_EQ(previousMonth(QDate(2026, 12, 7)).month, QStringLiteral("11"));
}

TEST(Periods, PreambleLinesSetYearAndMonth) {
    IniSections cnf{{QString(), {"2003 4", "SUMM1.TXT", "7", "X 9"}}, {"[MIREL_WIN]", {"IE"}}};
    const YearMonth ym = periodFromPreamble(cnf, {"2001", "12"}, QDate(2002, 1, 15));
    EXPECT_EQ(ym.year, QStringLiteral("2003"));
    EXPECT_EQ(ym.month, QStringLiteral("9"));
    IniSections single{{QString(), {"2005"}}};
    EXPECT_EQ(periodFromPreamble(single, {"2001", "12"}, QDate()).year, QStringLiteral("2001"));
    IniSections none{{"[MIREL_WIN]", {"IE"}}};
    EXPECT_EQ(periodFromPreamble(none, {"2001", "12"}, QDate(2002, 1, 15)).month,
              QStringLiteral("12"));
    EXPECT_EQ(periodFromPreamble(none, {"2001", "12"}, QDate(2002, 3, 15)).month,
              QStringLiteral("2"));
}
