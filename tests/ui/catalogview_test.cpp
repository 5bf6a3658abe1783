#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "ui/frm_mirel.h"
#include "viewtest.h"

using mirel::test::enabledMenus;
using mirel::test::loadWindow;
using mirel::test::TempWorkspace;
using mirel::test::treeLines;
using mirel::ui::Frm_mirel;

namespace {

const QDate Today(2026, 1, 15);

// Three forms, one of them in two versions; sections "1", "10" and "2" sort as text.
void writeCatalog(const TempWorkspace& ws) {
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    ws.write("FORM/2002_01.101/101_0201.1S", "Н;1;2;3;\n1\n2\n3\n");
    ws.write("FORM/2002_01.101/101_0201.TXT", "Сведения\nN_PERIOD 12\n");
    for (const char* s : {"1", "10", "2"})
        ws.write(QString("FORM/2000_07.102/102_0007.%1S").arg(s), "Н;1;\n1\n");
    ws.write("FORM/2000_07.102/102_0007.TXT", "Другая\nN_PERIOD 12\n");
    ws.write("FORM/2002_01.099/099_0201.1S", "Н;1;\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n");
}

// Opens the menu "Каталог форм" from the menu bar and closes it again.
void openCatalogMenu(Frm_mirel& w) {
    QMenuBar* bar = w.menuBar();
    const QRect item = bar->actionGeometry(w.controls().menu_FFF->menuAction());
    QTest::mouseClick(bar, Qt::LeftButton, {}, item.center());
    w.controls().menu_FFF->hide();
}

const QStringList LockedByTheCatalog{"Memu_Serv", "Menu_YYYYMM",  "Menu_VFormat",
                                     "menu_FFF",  "menu_FFF_cod", "menu_FFF_per"};

} // namespace

TEST(CatalogView, OrderedByCodeWithPeriodsAndSections) {
    TempWorkspace ws;
    writeCatalog(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    const QStringList before = enabledMenus(w);
    const int calcWidth = c.Cmd_calc->width();
    c.Grid->show(); // a computed table covering the tree
    c.Combo_REG->show();

    openCatalogMenu(w);
    EXPECT_TRUE(c.menu_FFF_cod->isEnabled());
    EXPECT_TRUE(c.menu_FFF_per->isEnabled());
    EXPECT_EQ(w.view(), Frm_mirel::View::Query); // nothing shown before an ordering is chosen
    EXPECT_FALSE(c.Combo_REG->isVisible());

    c.menu_FFF_cod->trigger();
    EXPECT_EQ(w.view(), Frm_mirel::View::Catalog);
    EXPECT_EQ(
        treeLines(c.Tree_Pasp),
        (QStringList{"Форма 099", "  Дата начала эксплуатации : 2002 01",
                     "    Раздел 01. Строк : 12. Граф :  1", "Форма 101",
                     "  Дата начала эксплуатации : 2001 01", "    Раздел 01. Строк :  2. Граф :  2",
                     "  Дата начала эксплуатации : 2002 01", "    Раздел 01. Строк :  3. Граф :  3",
                     "Форма 102", "  Дата начала эксплуатации : 2000 07",
                     "    Раздел 01. Строк :  1. Граф :  1", "    Раздел 02. Строк :  1. Граф :  1",
                     "    Раздел 03. Строк :  1. Граф :  1"}));
    EXPECT_TRUE(c.Tree_Pasp->isVisible());
    EXPECT_FALSE(c.Grid->isVisible());
    EXPECT_TRUE(lw->prompt.messages.isEmpty()) << lw->prompt.texts().join('|').toStdString();

    EXPECT_EQ(enabledMenus(w), LockedByTheCatalog);
    // "Выход" spans the period row.
    EXPECT_EQ(c.Cmd_calc->text(), "Выход");
    EXPECT_TRUE(c.Cmd_calc->isEnabled());
    const QWidget* row = c.Cmd_calc->parentWidget();
    EXPECT_GT(c.Cmd_calc->width(), row->width() / 2);
    EXPECT_GE(c.Cmd_calc->geometry().right(), row->width() - 2 * row->layout()->spacing() - 1);

    QSignalSpy rebuilt(&w, &Frm_mirel::queryViewRequested);
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(w.view(), Frm_mirel::View::Query);
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(enabledMenus(w), before);
    EXPECT_EQ(c.Cmd_calc->text(), "Выполнить");
    EXPECT_EQ(c.Cmd_calc->width(), calcWidth);
    EXPECT_EQ(c.Tree_Pasp->topLevelItemCount(), 1); // the query tree, built again
    EXPECT_TRUE(c.Tree_Pasp->isVisible());
}

TEST(CatalogView, OrderedByBasePeriodAndSwitchedWhileShown) {
    TempWorkspace ws;
    writeCatalog(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();

    c.menu_FFF_cod->trigger();
    // The catalog menu stays open in the view: the other ordering replaces the tree.
    openCatalogMenu(w);
    c.menu_FFF_per->trigger();
    EXPECT_EQ(
        treeLines(c.Tree_Pasp),
        (QStringList{"2000 07", "  Форма 102", "    Раздел 01. Строк :  1. Граф :  1",
                     "    Раздел 02. Строк :  1. Граф :  1", "    Раздел 03. Строк :  1. Граф :  1",
                     "2001 01", "  Форма 101", "    Раздел 01. Строк :  2. Граф :  2", "2002 01",
                     "  Форма 099", "    Раздел 01. Строк : 12. Граф :  1", "  Форма 101",
                     "    Раздел 01. Строк :  3. Граф :  3"}));
    EXPECT_EQ(enabledMenus(w), LockedByTheCatalog);
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(w.view(), Frm_mirel::View::Query);
    EXPECT_TRUE(enabledMenus(w).contains("mnu_pasp"));
}

TEST(CatalogView, ASingleFormVersionIsShownAtOnce) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();

    openCatalogMenu(w);
    EXPECT_FALSE(c.menu_FFF_cod->isEnabled());
    EXPECT_FALSE(c.menu_FFF_per->isEnabled());
    EXPECT_EQ(w.view(), Frm_mirel::View::Catalog);
    EXPECT_EQ(treeLines(c.Tree_Pasp),
              (QStringList{"Форма 101", "  Дата начала эксплуатации : 2001 01",
                           "    Раздел 01. Строк :  2. Граф :  2"}));
    const QTreeWidgetItem* period = c.Tree_Pasp->topLevelItem(0)->child(0);
    EXPECT_TRUE(period->isExpanded());
    EXPECT_EQ(c.Cmd_calc->text(), "Выход");
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(w.view(), Frm_mirel::View::Query);
    EXPECT_TRUE(lw->prompt.messages.isEmpty());
}

TEST(CatalogView, DataLoadingViewLocksTheCatalog) {
    TempWorkspace ws;
    writeCatalog(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    c.menu_VV_All->trigger();
    EXPECT_FALSE(c.menu_FFF->menuAction()->isEnabled());
    EXPECT_FALSE(c.Menu_YYYYMM->isEnabled());
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_TRUE(c.menu_FFF->menuAction()->isEnabled());
    EXPECT_TRUE(c.Menu_YYYYMM->isEnabled());
    // And the catalog locks data loading.
    c.menu_FFF_cod->trigger();
    EXPECT_FALSE(c.menu_VV_All->isEnabled());
    EXPECT_FALSE(c.mnu_exit->isEnabled());
}
