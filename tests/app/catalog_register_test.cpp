#include <gtest/gtest.h>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::TempWorkspace;

namespace {

QStringList lines(const QString& out) {
    return out.split('\n', Qt::SkipEmptyParts);
}

void copyDemo(const TempWorkspace& ws) {
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
}

} // namespace

TEST(CatalogCommand, PrintsEverySectionOfEveryVersionOfTheDemo) {
    TempWorkspace ws;
    copyDemo(ws);
    const auto r = runMirel({"catalog", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(lines(r.out), (QStringList{"130\t202401\t01\t1\t7\t4", "210\t202401\t01\t1\t26\t6",
                                         "210\t202401\t02\t2\t20\t5", "210\t202401\t03\t3\t22\t5",
                                         "210\t202401\t04\t4\t24\t6", "410\t202401\t01\t1\t8\t4",
                                         "410\t202401\t02\t2\t4\t3", "510\t202401\t01\t1\t9\t3",
                                         "510\t202401\t02\t2\t6\t2", "620\t202401\t01\t1\t6\t5",
                                         "410\t202507\t01\t1\t10\t4", "410\t202507\t02\t2\t4\t3"}));
}

TEST(CatalogCommand, ABrokenStructureFileStopsStartUp) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI", "t\n[MIREL_WIN]\nYYYY= 2001\nMM= 12\n");
    ws.write("FORM/2001_01.101/101_0101.1S", "Наим;1;\n1");
    ws.write("FORM/2001_01.101/101_0101.2S", "Наим;1;");
    ws.write("SHIF/shif.txt", "1 A");
    auto r = runMirel({"catalog", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, "error: Ошибка в формате матрицы !!! Файл - " +
                         ws.file("FORM/2001_01.101/101_0101.2S") + "\n");
    EXPECT_EQ(runMirel({"catalog", "extra", "--workspace", ws.path()}).status, 2);
}

TEST(RegisterCommand, DemoRegisterOfTheReportingPeriod) {
    TempWorkspace ws;
    copyDemo(ws);
    auto r = runMirel({"register", "210", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QStringList all = lines(r.out);
    ASSERT_EQ(all.size(), 23);
    EXPECT_EQ(all[0], "1000\tКраснопольская область - всего\t\t\t\t");
    EXPECT_EQ(all[2], "1101\tБерезовский район\t++\t++\t++\t++");
    EXPECT_EQ(all[3], "1102\tВерхнекамский район\t?\t?\t?\t?");
    EXPECT_EQ(all[11], "1203\tЛуговской район\t?\t?\t\t");

    r = runMirel({"register", "210", "--missing", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(lines(r.out),
              (QStringList{"1000\tКраснопольская область - всего", "1100\tСеверная зона",
                           "1105\tСосновский район", "1200\tЦентральная зона", "1300\tЮжная зона",
                           "1304\tРечной район"}));

    r = runMirel({"register", "130", "--missing", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, "info: Нет регионов непредставивших отчеты !!!\n");
}

TEST(RegisterCommand, OtherPeriodsUseTheStructureInForce) {
    TempWorkspace ws;
    copyDemo(ws);
    auto r = runMirel({"register", "410", "--period", "202412", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(lines(r.out).at(2), "1101\tБерезовский район\t0++\t0++");
    r = runMirel({"register", "510", "--period", "202511", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Недействительное значение кода формы !!!\n");
    r = runMirel({"register", "130", "--period", "202301", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Нет форм, каталогизированных для данного отчетного периода !!!\n");
    EXPECT_EQ(runMirel({"register", "--workspace", ws.path()}).status, 2);
    EXPECT_EQ(runMirel({"register", "130", "210", "--workspace", ws.path()}).status, 2);
}

TEST(RegisterCommand, WithoutAPreambleTheStartUpClassifierIsUsed) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI", "[MIREL_WIN]\nYYYY= 2001\nMM= 12\nSHIF_R\n");
    ws.write("FORM/2001_01.101/101_0101.1S", "Наим;1;\n1");
    ws.write("FORM/2001_01.101/101_0101.TXT", "Форма\nN_PERIOD 12");
    ws.write("SHIF/SHIF_R.TXT", "Код\n7 Район\n8 Город");
    ws.write("DAT/DAT_0112.101/8.01", "PR_0++\n1 0");
    const auto r = runMirel({"register", "101", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(r.out, "7\tРайон\t\n8\tГород\t0++\n");
}
