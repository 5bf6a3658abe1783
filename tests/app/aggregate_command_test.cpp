#include <gtest/gtest.h>

#include <QDir>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::RunResult;
using mirel::test::TempWorkspace;

namespace {

struct Demo {
    TempWorkspace ws;
    Demo() { ws.copyTree(QStringLiteral(MIREL_DEMO_DIR)); }
    RunResult run(QStringList args) {
        args << "--workspace" << ws.path();
        return runMirel(args);
    }
};

} // namespace

TEST(SumCommand, SumsOnePeriodAndPrintsTheTree) {
    Demo d;
    const RunResult r = d.run({"sum", "DAT_2512.210"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "info: Процедура завершена !!!\n");
    EXPECT_TRUE(r.out.contains("DAT_2512.210\tCLSDFOLD.ICO\n"
                               "  Краснопольская область - всего\tCLSDFOLD.ICO\n"
                               "  Северная зона\tCLSDFOLD.ICO\n"));
    EXPECT_TRUE(r.out.contains("DAT_2512.510\tNEW.Bmp\n  Данные не просуммированы\n"));
    EXPECT_TRUE(d.ws.read("DAT/DAT_2512.210/1000.01")
                    .startsWith("PR_? \r\n! 0000 210 01 25 12 1000\r\n1 3187814 31001661 "));
    // The province is the sum of its zones, which were summed first.
    EXPECT_EQ(d.run({"check-sums", "DAT_2512.210"}).out.count("неверн"), 0);
}

TEST(SumCommand, ProtectionAndUsage) {
    Demo d;
    RunResult r = d.run({"sum", "dat_2512.130", "--protect"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("DAT_2512.130\tW95mbx01.ico\n"));
    r = d.run({"sum", "DAT_2512.130"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Данные защищены от суммирования !!!\n");
    r = d.run({"sum", "--protect"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Не задан глобальный режим и не выделен отчетный период !!!\n");
    EXPECT_EQ(d.run({"sum", "--all", "--unprotect"}).status, 0);
    EXPECT_EQ(d.run({"sum", "DAT_2512.130"}).status, 0);
    EXPECT_EQ(d.run({"sum", "--protect", "--unprotect", "--all"}).status, 2);
    EXPECT_EQ(d.run({"sum", "DAT_2512"}).status, 2);
    EXPECT_EQ(d.run({"sum", "DAT_2512.130", "--all"}).status, 2);
    EXPECT_EQ(d.run({"check-format", "DAT_2512.130"}).status, 2);
}

TEST(CheckCommands, FindTheDemosWrongSumAndWrongShape) {
    Demo d;
    RunResult r = d.run({"check-sums"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("DAT_2509.130 ---> проверен\tW95mbx01.ico\n"
                               "  Краснопольская область - всего\tW95mbx01.ico\n"
                               "    раздел 01 - неверная сумма !!!\tW95mbx01.ico\n"));
    // The region whose figure was typed with a letter makes its zone's stored sum wrong too.
    EXPECT_TRUE(r.out.contains("DAT_2512.410 ---> проверен\tW95mbx01.ico\n"
                               "  Краснопольская область - всего\tCLSDFOLD.ICO\n"
                               "  Северная зона\tW95mbx01.ico\n"));
    EXPECT_EQ(r.out.count("неверная сумма"), 3);
    r = d.run({"check-format"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("DAT_2508.130 - (строк : 7, граф : 4)\tW95mbx01.ico\n"
                               "  1104.01 - (строк : 7, граф : 5)\n"));
    EXPECT_EQ(r.out.count("W95mbx01.ico"), 1);
    EXPECT_EQ(r.err, "info: Процедура завершена !!!\n");
}

TEST(ReplaceCodesCommand, PlansWithoutYesAndRunsOnce) {
    Demo d;
    RunResult r = d.run({"replace-codes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("  1110 (старый код= 1106)\n"));
    EXPECT_FALSE(d.ws.exists("DAT/DAT_2512.210/1110.01"));
    EXPECT_TRUE(r.err.startsWith("mirel: nothing replaced"));
    r = d.run({"replace-codes", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "info: Файл CORR_COD.TXT перемещен в архив !!! [Повторная замена кодов "
                     "категорически запрещена !!!]\n");
    EXPECT_EQ(d.ws.readBytes("DAT/DAT_2512.210/1110.01"),
              d.ws.readBytes("DAT/DAT_2512.210/1106.01"));
    EXPECT_EQ(d.ws.readBytes("DAT/DAT_2412.130/1310.01"),
              d.ws.readBytes("DAT/DAT_2412.130/1307.01"));
    EXPECT_FALSE(d.ws.exists("SHIF/CORR_COD.TXT"));
    const QStringList archives = QDir(d.ws.path()).entryList({"Замена кодов-*"}, QDir::Dirs);
    ASSERT_EQ(archives.size(), 1);
    EXPECT_TRUE(d.ws.exists(archives.first() + "/CORR_COD.TXT"));
    EXPECT_TRUE(d.ws.exists(archives.first() + "/DAT_2512.210/1106.01"));
    r = d.run({"replace-codes", "--yes"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Файл CORR_COD.TXT пуст !!!\n");
}
