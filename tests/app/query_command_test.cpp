#include <gtest/gtest.h>

#include "process.h"
#include "workspace.h"

using mirel::test::cp1251;
using mirel::test::runMirel;
using mirel::test::TempWorkspace;

namespace {

void queryWorkspace(TempWorkspace& ws) {
    ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\nYYYY= 2025\nMM= 12\n[DIR_PASP]\nЗАПРОСЫ\n");
    ws.write("FORM/2020_01.101/101_2001.1S", "Строка;1;2;\n1\n2\n");
    ws.write("FORM/2020_01.101/101_2001.TXT", "Форма 101\nN_PERIOD 12\n");
    ws.write("SHIF/shif.txt", "1100 Север\n1200 Юг\n");
    ws.write("DAT/DAT_2512.101/1100.01", "PR_?\n! 0000 101 01 25 12 1100\n1 5 6\n2 1 2\n");
    ws.write("DAT/DAT_2512.101/1200.01", "PR_?\n! 0000 101 01 25 12 1200\n1 4 1\n");
    ws.write("ЗАПРОСЫ/Таблица.PSP", "1: 101 1\nDAT\n1=1\\1\\1\n2=1\\1\\2/1\\1\\1\nDEC\n2 2\n");
    ws.write("ЗАПРОСЫ/Строки.PSP", "1: 101 1\nCOD\n1100\nSTR 1\n1=1\\1\\1\nSTR 2\n1=1\\2\\1\n");
}

} // namespace

TEST(QueryCommand, PrintsTheMatrixOfARegionTableAndOfARowTable) {
    TempWorkspace ws;
    queryWorkspace(ws);
    auto r = runMirel({"query", "Таблица.PSP", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Север\t1100\t5\t1.20\nЮг\t1200\t4\t0.25\n");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    r = runMirel(
        {"query", ws.file("ЗАПРОСЫ/Строки.PSP"), "--region", "1200", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\t1200\t4\n2\t1200\t0\n");

    r = runMirel({"query", "Строки.PSP", "--region", "", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\t1100\t5\n2\t1100\t1\n");
    EXPECT_EQ(r.err, "error: Не выбран регион !!! [ВНИМАНИЕ !!!]\n");
}

TEST(QueryCommand, WritesThePageAndFailsOnParseErrors) {
    TempWorkspace ws;
    queryWorkspace(ws);
    const QString page = ws.file("out.htm");
    auto r = runMirel({"query", "Таблица.PSP", "--html", page, "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const QByteArray bytes = ws.readBytes("out.htm");
    // The plain table declares its code page right after its first tag.
    EXPECT_TRUE(bytes.startsWith(
        cp1251("<html\r\n<body lang=RU style='tab-interval:35.4pt'><head><meta "
               "http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head>"
               "\r\n<div class=Section1>\r\n")))
        << bytes.left(200).toStdString();
    EXPECT_TRUE(bytes.contains(cp1251(">Север<u2:p>"))) << bytes.size();

    ws.write("ЗАПРОСЫ/Плохой.PSP", "1: 101\nDAT\n1=1\\1\\1\n");
    r = runMirel({"query", "Плохой.PSP", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "info: Не задан код формы -> 1: 101\n");
    EXPECT_EQ(runMirel({"query", "--workspace", ws.path()}).status, 2);
}

TEST(QueryCommand, ABatchListPrintsItsPage) {
    TempWorkspace ws;
    queryWorkspace(ws);
    ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\nYYYY= 2025\nMM= 12\nIE\n[DIR_PASP]\nЗАПРОСЫ\n");
    ws.write("ЗАПРОСЫ/Таблица.HTM", "<html><body>>1\\1\\1<</body></html>");
    ws.write("ЗАПРОСЫ/Пакет.LINK", "Таблица\n");
    const auto r = runMirel({"query", "Пакет.LINK", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, ws.file("ЗАПРОСЫ/Пакет.HTM") + "\n");
    EXPECT_TRUE(ws.readBytes("ЗАПРОСЫ/Пакет.HTM") ==
                cp1251("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                       "charset=windows-1251\"></head><body>>5<<span><br clear=all "
                       "style='page-break-before:always'></span></body></html>"));
    EXPECT_EQ(r.err,
              "info: Пакетная выдача завершена !!! [" + ws.file("ЗАПРОСЫ/Пакет.HTM") + "]\n");
}
