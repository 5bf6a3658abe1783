#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "ui/frm_mirel.h"
#include "viewtest.h"

using mirel::test::loadWindow;
using mirel::test::Message;
using mirel::test::TempWorkspace;
using mirel::test::treeLines;
using mirel::ui::Frm_mirel;
using Icon = mirel::platform::Icon;

namespace {

const QString Folder = QStringLiteral("Загрузка файлов Excel (КодРегиона_ФФФ_ГГММ.XLS)");

QTreeWidgetItem* node(QTreeWidget* tree, const QString& text) {
    const QList<QTreeWidgetItem*> found =
        tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

// "Загрузка файлов Excel" lists the folder; "Загрузить" on a form converts its workbooks with
// control, a double click one workbook; rejected nodes and a form without settings are refused;
// "Выход" returns to the queries.
TEST(ImportView, ListConvertAndLeave) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    auto loaded = loadWindow(ws, QDate(2026, 1, 15));
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    mirel::ui::MainControls& c = w.controls();
    c.menu_XLS->trigger();

    EXPECT_EQ(w.view(), Frm_mirel::View::Import);
    EXPECT_EQ(c.Cmd_calc->text(), "Выход");
    EXPECT_TRUE(c.Cmd_Import->isVisible());
    EXPECT_TRUE(c.Option_Log->isVisible());
    EXPECT_FALSE(c.Frame_Import->isVisible());
    EXPECT_FALSE(c.menu_Import->menuAction()->isEnabled());
    EXPECT_FALSE(c.menu_FFF->menuAction()->isEnabled());
    const QStringList lines = treeLines(c.Tree_Pasp);
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines.mid(0, 5), (QStringList{"210", "  01203_210_2512.ods", "  1105_210_2512.xls",
                                            "  1304_210_2512.xlsx", "410"}));
    EXPECT_EQ(lines.at(9), "510 - нет файлов настроек !!!");

    // The whole form 410 with control.
    c.Tree_Pasp->setCurrentItem(node(c.Tree_Pasp, "410"));
    QTest::mouseClick(c.Option_Log, Qt::LeftButton);
    ASSERT_TRUE(c.Option_Log->isChecked());
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    EXPECT_EQ(loaded->prompt.texts(), QStringList{"Загрузка завершена !!!"});
    EXPECT_EQ(treeLines(c.Tree_Pasp).mid(5, 4),
              (QStringList{"  Загружен - 1101_410_2512.xlsx", "  Загружен - 1103_410_2512.XLS",
                           "  Загружен - 1201_410_2512.ods", "  Загружен - 1302_410_2512.xls"}));
    EXPECT_EQ(loaded->browser.opened, QStringList{ws.file("LOG_2025_12_410.HTM")});
    EXPECT_EQ(c.Option_Log->text(), "Логический контроль");
    EXPECT_EQ(ws.read("DAT/DAT_2512.410/1302.01").section("\r\n", 0, 0), "PR_0++");

    // Converted workbooks are gone from the folder: "Загрузить" on one of them is refused.
    loaded->prompt.clear();
    c.Tree_Pasp->setCurrentItem(node(c.Tree_Pasp, "Загружен - 1302_410_2512.xls"));
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    // One workbook by a double click, without control.
    QTest::mouseClick(c.Option_Log, Qt::LeftButton);
    QTreeWidgetItem* book = node(c.Tree_Pasp, "1105_210_2512.xls");
    ASSERT_TRUE(book);
    c.Tree_Pasp->scrollToItem(book);
    const QRect rect = c.Tree_Pasp->visualItemRect(book);
    QTest::mouseClick(c.Tree_Pasp->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(c.Tree_Pasp->viewport(), Qt::LeftButton, {}, rect.center());
    // A key on a rejected node, and "Загрузить" on the form without settings.
    c.Tree_Pasp->setCurrentItem(node(c.Tree_Pasp, "Отчет_410_2512.ods"));
    QTest::keyClick(c.Tree_Pasp, Qt::Key_Return);
    c.Tree_Pasp->setCurrentItem(node(c.Tree_Pasp, "510 - нет файлов настроек !!!"));
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    EXPECT_EQ(loaded->prompt.messages,
              (QList<Message>{
                  {Icon::Error, "Нет файлов для заданного отчетного периода !!!", ""},
                  {Icon::Information,
                   "Информация загружена !!!\r\n\r\n" + ws.file(Folder) + "/1105_210_2512.xls",
                   ws.file("DAT/DAT_2512.210/1105.05")},
                  {Icon::Error, "Ошибка конвертирования !!!", ""},
                  {Icon::Error, "Нет файлов для заданного отчетного периода !!!", ""}}));
    EXPECT_EQ(book->text(0), "Загружен - 1105_210_2512.xls");
    EXPECT_TRUE(ws.exists("DAT/DAT_2512.210/1105.04"));
    EXPECT_FALSE(ws.exists("DAT/DAT_2512.210/1105.03"));

    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(w.view(), Frm_mirel::View::Query);
    EXPECT_FALSE(c.Option_Log->isVisible());
    EXPECT_FALSE(c.Cmd_Import->isVisible());
    EXPECT_TRUE(c.menu_XLS->isEnabled());
}

// Names of another period only: the message, and the window stays in its query view.
TEST(ImportView, NoWorkbookForThePeriod) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    ws.write(Folder + "/1100_101_0204.xls", "x\n");
    auto loaded = loadWindow(ws, QDate(2026, 1, 15));
    ASSERT_TRUE(loaded->window);
    loaded->window->controls().menu_XLS->trigger();
    EXPECT_EQ(loaded->prompt.messages,
              (QList<Message>{{Icon::Error, "Нет файлов Excel для заданного отчетного периода !!!",
                               "Отчетный период= 0205"}}));
    EXPECT_EQ(loaded->window->view(), Frm_mirel::View::Query);
    EXPECT_FALSE(loaded->window->controls().Option_Log->isVisible());
}
