#include <gtest/gtest.h>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::TempWorkspace;

TEST(ReportsCommand, PrintsTheTreeOfTheDemo) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const auto r = runMirel({"reports", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    const QStringList lines = r.out.split('\n');
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{"форма 130", "  2412", "    1000 - Краснопольская область - всего",
                           "    1100 - Северная зона"}));
    EXPECT_TRUE(lines.contains("форма 620"));
    EXPECT_TRUE(lines.contains("  2510"));
    EXPECT_EQ(runMirel({"reports", "extra", "--workspace", ws.path()}).status, 2);
}

TEST(ReportsCommand, ReportPagesFillTheFormsTemplates) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    auto r = runMirel({"report-pages", "130", "2512", "1101", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, ws.file("130_2512_1101_Справка.HTM") + "\n" +
                         ws.file("130_2512_1101_Таблица.HTM") + "\n");
    const QString page = ws.read("130_2512_1101_Справка.HTM");
    EXPECT_TRUE(page.contains("<span class=\"v\">Березовский район</span>, отчетный период "
                              "<span class=\"v\">12</span>.<span class=\"v\">2025</span>"));
    EXPECT_TRUE(page.contains("составила <span class=\"v\">629</span> человек"));
    EXPECT_TRUE(page.contains("charset=windows-1251"));
    EXPECT_FALSE(page.contains("1\\"));
    EXPECT_FALSE(ws.read("130_2512_1101_Таблица.HTM").contains("1\\"));

    // A second run keeps the first pages.
    r = runMirel({"report-pages", "130", "2512", "1101", "--workspace", ws.path()});
    EXPECT_EQ(r.out, ws.file("130_2512_1101_Справка_1.HTM") + "\n" +
                         ws.file("130_2512_1101_Таблица_1.HTM") + "\n");
}

TEST(ReportsCommand, ReportPagesFailures) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const QString w = ws.path();
    for (const QStringList& args :
         {QStringList{"130", "25", "1101"}, QStringList{"130", "2512"},
          QStringList{"130", "2512", "11a"}, QStringList{"130", "2512", "1101", "x"}}) {
        const auto r = runMirel(QStringList{"report-pages"} + args + QStringList{"--workspace", w});
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, "usage: mirel report-pages FFF YYMM COD\n");
    }
    auto r = runMirel({"report-pages", "510", "2512", "1101", "--workspace", w});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: the form folder holds no HTML template [" +
                         ws.file("FORM/2024_01.510") + "]\n");
    r = runMirel({"report-pages", "130", "2507", "1101", "--workspace", w});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Отсутствует директорий " + ws.file("DAT/DAT_2507.130") + "\n");
    r = runMirel({"report-pages", "130", "2512", "1199", "--workspace", w});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Ошибка при чтении данных !!! [РАЗДЕЛ 01]\n"
                     "error: Ошибка при определении количества показателей !!!\n");
    r = runMirel({"report-pages", "777", "2512", "1101", "--workspace", w});
    EXPECT_EQ(r.status, 1);
    ws.mkdir("DAT/DAT_2512.777");
    r = runMirel({"report-pages", "777", "2512", "1101", "--workspace", w});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Форма не каталогизирована !!! [ОШИБКА !!!]\n");
    EXPECT_EQ(r.out, "");
}
