#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "core/html.h"
#include "platform/fileio.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"
#include "ui/resultgrid.h"
#include "uitest.h"

using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::ui::Frm_mirel;
using mirel::ui::GridTable;
using mirel::ui::ResultGrid;
namespace ui = mirel::ui;

namespace {

const QList<QStringList> Matrix{{"Северная зона", "1100", "12.5", "***", "3"},
                                {"Лесной район", "1103", "", "7", "1"}};

} // namespace

TEST(ResultGrid, ShowsLabelsAndValueColumnsWithoutTheRegionCode) {
    const GridTable grid = ui::gridTable(Matrix, 3);
    EXPECT_EQ(grid.columns, 4);
    EXPECT_EQ(grid.rows, (QList<QStringList>{{"Северная зона", "12.5", "***", "3"},
                                             {"Лесной район", "", "7", "1"}}));
    EXPECT_EQ(grid.header, QStringList(4));
    // Side-by-side layouts bring further value columns; a header format names the columns.
    const GridTable wide = ui::gridTable({{"1", "1100", "1", "2", "3", "4"}}, 2,
                                         " n/n |Область|__________|Район|__________");
    EXPECT_EQ(wide.columns, 5);
    EXPECT_EQ(wide.header, (QStringList{" n/n ", "Область", "__________", "Район", "__________"}));
    EXPECT_EQ(ui::gridTable({{"1", "1100"}}, 2).rows, (QList<QStringList>{{"1", "", ""}}));
}

TEST(ResultGrid, PageIsWrittenAsTheSystemWritesIt) {
    GridTable grid = ui::gridTable(Matrix, 3);
    grid.header[2] = "Итого";
    const QDateTime at(QDate(2025, 12, 8), QTime(9, 5, 7));
    EXPECT_EQ(ui::gridPageName(at), "08_12_2025_9_05_07.HTM");
    const QString expected =
        "<html>\r\n<head>\r\n<title>\r\nОтчет\r\n</title>\r\n</head>\r\n<body bgcolor='white'>\r\n"
        "<font face='Arial, Helvetica'>\r\n"
        "<p aline= center><b>Свод & <итоги> ( 8 декабря 2025 г. 9.5.7 )</b><br>\r\n"
        "</font>\r\n<hr>\r\n<center>\r\n<font face='Courier New, Courier'>\r\n<table border>\r\n"
        "<tr>\r\n"
        "<td><b>Боковина</b></td><td><b>Графа 1</b></td><td><b>Итого</b></td>"
        "<td><b>Графа 3</b></td></tr>\r\n"
        "\r\n<tr><td align=left> Северная зона</td><td align=right> 12.5</td>"
        "<td align=right> *******</td><td align=right> 3</td>\r\n</tr>"
        "\r\n<tr><td align=left> Лесной район</td><td align=right> </td>"
        "<td align=right> 7</td><td align=right> 1</td>\r\n</tr>"
        "\r\n</table>\r\n</font>\r\n</center>\r\n</body>\r\n</html>";
    QString page = ui::gridPage(grid, "Свод & <итоги>", at);
    // Texts from files never read as markup.
    EXPECT_TRUE(page.contains("Свод &amp; &lt;итоги&gt;"));
    page.replace("Свод &amp; &lt;итоги&gt;", "Свод & <итоги>");
    EXPECT_TRUE(page == expected) << page.size() << " " << expected.size();
}

TEST(ResultGrid, CoversTheTreeAndCloses) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    ws.write("PASP/Свод.PSP", "DAT\n");
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(QDate(2002, 1, 15)), 0);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* view = w.findChild<ui::QueryTree*>();
    ResultGrid& grid = view->resultGrid();
    const auto& c = w.controls();
    w.controls().Tree_Pasp->setCurrentItem(view->nodeByKey(ws.path() + "/PASP/Свод.PSP"));

    grid.fill(ui::gridTable(Matrix, 3), true);
    EXPECT_TRUE(c.Grid->isVisible());
    EXPECT_EQ(c.Grid->geometry(), c.Tree_Pasp->geometry());
    EXPECT_EQ(c.Cmd_calc->text(), "Закрыть таблицу");
    EXPECT_TRUE(c.Cmd_WriteHTML->isVisible());
    EXPECT_TRUE(c.Cmd_Map->isVisible());
    EXPECT_EQ(c.Grid->rowCount(), 2);
    EXPECT_EQ(c.Grid->columnCount(), 3);
    EXPECT_EQ(c.Grid->verticalHeaderItem(1)->text(), "Лесной район");
    EXPECT_EQ(c.Grid->horizontalHeaderItem(0)->text(), "Графа 1");
    EXPECT_EQ(c.Grid->item(0, 1)->text(), "***");
    EXPECT_EQ(c.Grid->item(1, 2)->text(), "1");
    EXPECT_EQ(c.Grid->model()->index(1, 2).data(Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter)); // figures to the right
    EXPECT_EQ(c.Grid->model()->index(1, 2).data().toString(), "1");
    const QFontMetrics metrics(c.Grid->verticalHeader()->font());
    EXPECT_EQ(grid.labelWidth(), metrics.horizontalAdvance("Северная зона  "));
    EXPECT_GE(c.Grid->verticalHeader()->width(), grid.labelWidth());

    // "Записать HTML" writes the page into the temporary folder and opens it.
    TempWorkspace temp;
    mirel::platform::setTempDirOverride(temp.path());
    grid.clock = [] { return QDateTime(QDate(2025, 12, 8), QTime(14, 30, 0)); };
    QTest::mouseClick(c.Cmd_WriteHTML, Qt::LeftButton);
    const QString page = temp.file("08_12_2025_14_30_00.HTM");
    EXPECT_EQ(browser.opened, QStringList{page});
    const QByteArray bytes = temp.readBytes("08_12_2025_14_30_00.HTM");
    EXPECT_TRUE(bytes ==
                cp1251(mirel::core::withCharset(ui::gridPage(grid.table(), "Свод", grid.clock()))));
    EXPECT_TRUE(bytes.startsWith(cp1251("<html>\r\n<head><meta http-equiv=\"Content-Type\" "
                                        "content=\"text/html; charset=windows-1251\">\r\n")));
    // A second page within the same second takes the next name; the first stays.
    QTest::mouseClick(c.Cmd_WriteHTML, Qt::LeftButton);
    EXPECT_EQ(browser.opened.value(1), temp.file("08_12_2025_14_30_00_1.HTM"));
    EXPECT_TRUE(temp.readBytes("08_12_2025_14_30_00.HTM") == bytes);
    mirel::platform::setTempDirOverride(temp.file("missing"));
    QTest::mouseClick(c.Cmd_WriteHTML, Qt::LeftButton);
    EXPECT_EQ(prompt.messages, (QList<Message>{{Icon::Error, "Файл не создан !!!",
                                                temp.file("missing/08_12_2025_14_30_00.HTM")}}));
    mirel::platform::setTempDirOverride(QString());

    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_FALSE(c.Grid->isVisible());
    EXPECT_EQ(c.Cmd_calc->text(), "Выполнить");
    EXPECT_FALSE(c.Cmd_WriteHTML->isVisible());
    EXPECT_FALSE(c.Cmd_Map->isVisible());
    EXPECT_EQ(c.Grid->rowCount(), 0);
}
