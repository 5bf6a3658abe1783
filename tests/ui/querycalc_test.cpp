#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "platform/fileio.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"
#include "ui/resultgrid.h"
#include "uitest.h"

using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::ui::Frm_mirel;
using mirel::ui::QueryTree;

namespace {

// The main window on a copy of the demo workspace (December 2025), with or without "IE".
struct DemoWindow {
    TempWorkspace ws;
    TempWorkspace temp;
    RecorderPrompt prompt;
    RecorderBrowser browser;
    std::unique_ptr<Frm_mirel> window;
    QueryTree* view = nullptr;

    explicit DemoWindow(bool html = false) {
        ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
        if (!html) {
            QString ini = ws.read("MIREL_WIN.INI");
            ini.remove("  IE\r\n");
            ws.write("MIREL_WIN.INI", ini, true);
        }
        mirel::platform::setTempDirOverride(temp.path());
        window = std::make_unique<Frm_mirel>(ws.path(), prompt, browser);
        EXPECT_EQ(window->load(QDate(2026, 1, 10)), 0);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        view = window->findChild<QueryTree*>();
        controls().Tree_Pasp->expandAll();
        prompt.clear();
    }
    ~DemoWindow() { mirel::platform::setTempDirOverride(QString()); }

    const mirel::ui::MainControls& controls() const { return window->controls(); }
    QTreeWidgetItem* query(const QString& relative) const {
        return view->nodeByKey(ws.path() + "/ЗАПРОСЫ/" + relative);
    }
    void click(const QString& relative) const {
        QTreeWidget* tree = controls().Tree_Pasp;
        QTreeWidgetItem* item = query(relative);
        EXPECT_NE(item, nullptr) << relative.toStdString();
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(item).center());
    }
    QStringList row(int r) const {
        QTableWidget* grid = controls().Grid;
        QStringList cells{grid->verticalHeaderItem(r)->text()};
        for (int k = 0; k < grid->columnCount(); ++k)
            cells.append(grid->item(r, k) ? grid->item(r, k)->text() : QString("?"));
        return cells;
    }
};

} // namespace

TEST(QueryCalculation, ARegionTableFillsTheGridOverTheTree) {
    DemoWindow d;
    const auto& c = d.controls();
    d.click("Безработица/Безработные по районам.PSP");
    EXPECT_FALSE(c.Combo_REG->isVisible());
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_TRUE(d.prompt.messages.isEmpty()) << d.prompt.texts().join('|').toStdString();

    EXPECT_TRUE(c.Grid->isVisible());
    EXPECT_EQ(c.Cmd_calc->text(), "Закрыть таблицу");
    EXPECT_TRUE(c.Cmd_WriteHTML->isVisible());
    EXPECT_TRUE(c.Cmd_Map->isVisible());
    EXPECT_EQ(c.Grid->rowCount(), 23);
    EXPECT_EQ(c.Grid->columnCount(), 6);
    EXPECT_EQ(d.row(0), (QStringList{"Краснопольская область - всего", "8854", "93.3", "99.0", "",
                                     "10", ""}));
    EXPECT_EQ(d.row(4), (QStringList{"Лесной район", "306", "91.3", "99.4", "17.3", "8", "16"}));
    EXPECT_EQ(d.row(5).last(), "12-13");
    // Progress ran over the regions; the status line named the query while it ran.
    EXPECT_EQ(d.prompt.progressMaximum, 23);
    EXPECT_EQ(d.prompt.progressValues.last(), 23);
    EXPECT_GE(d.prompt.progressEnds, 1);
    EXPECT_FALSE(c.Progress_Bar->isVisible());
    EXPECT_EQ(d.prompt.statuses, (QStringList{"Безработные по районам", ""}));
    EXPECT_EQ(c.Lbl_Info->text(), "");
    EXPECT_TRUE(d.browser.opened.isEmpty());

    // "Записать HTML" titles the page with the query's node text.
    QTest::mouseClick(c.Cmd_WriteHTML, Qt::LeftButton);
    ASSERT_EQ(d.browser.opened.size(), 1);
    const QString page = d.temp.read(mirel::platform::nameOf(d.browser.opened.first()));
    EXPECT_TRUE(page.contains("<p aline= center><b>Безработные по районам ( ")) << page.size();
    EXPECT_TRUE(page.contains("<td align=left> Лесной район</td><td align=right> 306</td>"));

    // The same button closes the table.
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_FALSE(c.Grid->isVisible());
    EXPECT_EQ(c.Cmd_calc->text(), "Выполнить");
    EXPECT_FALSE(c.Cmd_WriteHTML->isVisible());
}

TEST(QueryCalculation, EnterDoubleClickAndTheMenuCalculateToo) {
    DemoWindow d;
    const auto& c = d.controls();
    QTreeWidget* tree = c.Tree_Pasp;
    tree->setCurrentItem(d.query("Безработица/Снижение безработицы.PSP"));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_TRUE(c.Grid->isVisible());
    EXPECT_GT(c.Grid->rowCount(), 0);
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);

    QTreeWidgetItem* item = d.query("Безработица/Безработные по районам.PSP");
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at); // the first click of the two
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(c.Grid->rowCount(), 23);
    c.mnu_pasp_calc->trigger();
    EXPECT_EQ(c.Grid->rowCount(), 23);
    // A section is not computed.
    c.Grid->hide();
    tree->setCurrentItem(d.view->rootNode());
    c.mnu_pasp_calc->trigger();
    EXPECT_FALSE(c.Grid->isVisible());
    EXPECT_TRUE(d.prompt.messages.isEmpty());
}

TEST(QueryCalculation, TheRegionSelectorChoosesTheRegionOfARowTable) {
    DemoWindow d;
    const auto& c = d.controls();
    d.click("Безработица/Район по строкам.PSP");
    ASSERT_TRUE(c.Combo_REG->isVisible());
    EXPECT_EQ(c.Combo_REG->currentData().toString(), "1101");
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    ASSERT_EQ(c.Grid->rowCount(), 4);
    EXPECT_EQ(d.row(0), (QStringList{"1", "640", "629", "664", "94.7"}));
    EXPECT_EQ(d.row(3), (QStringList{"4", "640", "629", "664", "94.7"}));
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);

    // Choosing a region in the selector computes the query for it.
    const int other = c.Combo_REG->findData("1106");
    ASSERT_GE(other, 0);
    c.Combo_REG->setCurrentIndex(other);
    Q_EMIT c.Combo_REG->activated(other);
    EXPECT_TRUE(c.Grid->isVisible());
    EXPECT_EQ(d.row(0).at(2), "854");
    EXPECT_TRUE(d.prompt.messages.isEmpty()) << d.prompt.texts().join('|').toStdString();
}

TEST(QueryCalculation, WithIETheTableIsWrittenAsAPageAndTheGridStaysHidden) {
    DemoWindow d(true);
    const auto& c = d.controls();
    d.click("Безработица/Безработные по районам.PSP");
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    ASSERT_EQ(d.browser.opened.size(), 1);
    EXPECT_TRUE(d.browser.opened.first().startsWith(d.temp.path()));
    EXPECT_FALSE(c.Grid->isVisible());
    EXPECT_EQ(c.Cmd_calc->text(), "Выполнить");
    EXPECT_EQ(d.view->resultGrid().table().rows.size(), 23); // filled for "Карта" all the same
}

TEST(QueryCalculation, AGeneratingQueryReloadsTheTreeWithItsQueries) {
    DemoWindow d;
    const QString folder = d.ws.path() + "/ЗАПРОСЫ/Безработица/";
    const int before = d.query("Безработица/130_2401.01.PSP")->parent()->childCount();
    d.controls().Tree_Pasp->setCurrentItem(d.query("Безработица/130_2401.01.PSP"));
    d.controls().mnu_pasp_calc->trigger();
    ASSERT_FALSE(d.view->lastResult().generated.isEmpty())
        << d.prompt.texts().join('|').toStdString();
    QTreeWidgetItem* node = d.query("Безработица/130_2401.01.PSP");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(d.controls().Tree_Pasp->currentItem(), node);
    EXPECT_EQ(node->parent()->childCount(), before + d.view->lastResult().generated.size());
    for (const QString& path : d.view->lastResult().generated)
        EXPECT_NE(d.view->nodeByKey(path), nullptr) << path.toStdString();
    EXPECT_FALSE(d.controls().Grid->isVisible());
}

TEST(QueryCalculation, TheWindowHandlesItsEventsWhileALongRunReportsProgress) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(QDate(2002, 1, 15)), 0);
    bool handled = false;
    QTimer::singleShot(0, &w, [&] { handled = true; });
    w.prompt().progressStart(3);
    w.prompt().progressValue(1);
    EXPECT_FALSE(w.prompt().stopRequested()); // asking handles the window's events
    EXPECT_TRUE(handled);
    w.prompt().progressEnd();
}
