#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "platform/fileio.h"
#include "ui/aggregatemenus.h"
#include "ui/form_corrcod.h"
#include "ui/form_summ.h"
#include "ui/form_vsumm.h"
#include "ui/frm_mirel.h"
#include "viewtest.h"

using namespace mirel;
using mirel::platform::Icon;
using mirel::test::loadWindow;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::test::treeLines;
using mirel::ui::Form_CorrCod;
using mirel::ui::Form_Summ;
using mirel::ui::Form_VSumm;

namespace {

const reference::FormCatalog NoForms;

// Two periods of form 101 with the groups 1100 (1101, 1102) and 1200 (1201); December 2025 is
// summed with a wrong cell, November not.
void writeWorkspace(const TempWorkspace& ws) {
    ws.write("MIREL_WIN.INI", "Тест\n[MIREL_WIN]\n  SUMM1.TXT\n");
    ws.write("SHIF/shif.txt", "1100 Район А\n1101 Город\n1102 Село\n1200 Район Б\n1201 Поселок\n");
    ws.write("SHIF/SUMM1.TXT", "1100:\n1101\n1102\n1200:\n1201\n");
    for (const QString dir : {"DAT_2511.101", "DAT_2512.101"}) {
        ws.write("DAT/" + dir + "/1101.01", "1 1 2\n2 3 4\n");
        ws.write("DAT/" + dir + "/1102.01", "1 10 20\n2 30 40\n");
        ws.write("DAT/" + dir + "/1201.01", "1 5\n2 6\n");
    }
    ws.write("DAT/DAT_2512.101/1100.01", "PR_? \n! 0000 101 01 25 12 1100\n1 11 22\n2 33 45\n");
    mirel::test::copyTreePictures(ws);
}

aggregate::SummPlace placeOf(const TempWorkspace& ws) {
    return {ws.path(), ws.file("DAT"), ws.file("SHIF"), ws.file("FORM")};
}

// Runs steps on the modal window of type W that the next action opens, then closes it.
template <typename W>
void whenOpen(const std::function<void(W&)>& steps, bool& shown) {
    QTimer::singleShot(0, [&shown, steps] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window) return;
        shown = true;
        steps(*window);
        window->reject();
    });
}

} // namespace

TEST(SummationWindows, ThreeModes) {
    TempWorkspace ws;
    writeWorkspace(ws);
    RecorderPrompt p;
    Form_Summ summ(placeOf(ws), aggregate::SummMode::Summation, NoForms, p);
    EXPECT_EQ(summ.windowTitle(), "Суммирование данных.");
    EXPECT_EQ(summ.Command_Summ->text(), "Суммировать");
    EXPECT_FALSE(summ.Check_Global->isChecked());
    EXPECT_FALSE(summ.Check_Global->isHidden());
    EXPECT_FALSE(summ.Command_ReadOnly[0]->isHidden());
    EXPECT_EQ(summ.Command_ReadOnly[1]->text(), "Снять защиту данных");
    EXPECT_EQ(summ.Tree_View->currentItem()->text(0), "DAT_2511.101");
    EXPECT_EQ(treeLines(summ.Tree_View), (QStringList{"DAT_2511.101", "  Данные не просуммированы",
                                                      "DAT_2512.101", "  Район А"}));

    Form_Summ check(placeOf(ws), aggregate::SummMode::SumCheck, NoForms, p);
    EXPECT_EQ(check.windowTitle(), "Проверка сумм.");
    EXPECT_EQ(check.Command_Summ->text(), "Проверить суммы");
    EXPECT_TRUE(check.Check_Global->isChecked());
    EXPECT_TRUE(check.Command_ReadOnly[0]->isHidden() ||
                check.Command_ReadOnly[0]->parentWidget()->isHidden());

    Form_Summ format(placeOf(ws), aggregate::SummMode::FormatCheck, NoForms, p);
    EXPECT_EQ(format.windowTitle(), "Форматный контроль данных.");
    EXPECT_EQ(format.Command_Summ->text(), "Проверить формат");
    EXPECT_TRUE(format.Check_Global->isHidden());
    EXPECT_EQ(treeLines(format.Tree_View), (QStringList{"DAT_2511.101", "DAT_2512.101"}));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(SummationWindows, SumsTheSelectedPeriodAndProtectsIt) {
    TempWorkspace ws;
    writeWorkspace(ws);
    RecorderPrompt p;
    Form_Summ w(placeOf(ws), aggregate::SummMode::Summation, NoForms, p);
    w.show();
    w.selectKey("DAT_2511.101");
    QTest::mouseClick(w.Command_Summ, Qt::LeftButton);
    EXPECT_EQ(ws.read("DAT/DAT_2511.101/1100.01"),
              "PR_? \r\n! 0000 101 01 25 11 1100\r\n1 11 22\r\n2 33 44\r\n");
    EXPECT_EQ(ws.read("DAT/DAT_2511.101/1200.01"),
              "PR_? \r\n! 0000 101 01 25 11 1200\r\n1 5\r\n2 6\r\n");
    EXPECT_EQ(treeLines(w.Tree_View).mid(0, 3),
              (QStringList{"DAT_2511.101", "  Район А", "  Район Б"}));
    EXPECT_EQ(w.Command_Summ->text(), "Суммировать");
    EXPECT_TRUE(w.Command_Summ->isEnabled());
    EXPECT_FALSE(w.item("DAT_2511.1011100")->icon(0).isNull());

    QTest::mouseClick(w.Command_ReadOnly[0], Qt::LeftButton);
    EXPECT_TRUE(platform::isReadOnly(ws.file("DAT/DAT_2511.101/1100.01")));
    EXPECT_FALSE(platform::isReadOnly(ws.file("DAT/DAT_2512.101/1100.01")));
    QTest::mouseClick(w.Command_Summ, Qt::LeftButton);
    EXPECT_EQ(p.texts(), (QStringList{"Процедура завершена !!!", "Процедура завершена !!!",
                                      "Данные защищены от суммирования !!!"}));
    w.Check_Global->setChecked(true);
    QTest::mouseClick(w.Command_ReadOnly[1], Qt::LeftButton);
    EXPECT_FALSE(platform::isReadOnly(ws.file("DAT/DAT_2511.101/1100.01")));
}

TEST(SummationWindows, WithoutPicturesNoRegionNodes) {
    TempWorkspace ws;
    writeWorkspace(ws);
    QFile::remove(ws.file("W95mbx01.ico"));
    RecorderPrompt p;
    Form_Summ w(placeOf(ws), aggregate::SummMode::Summation, NoForms, p);
    EXPECT_EQ(treeLines(w.Tree_View), (QStringList{"DAT_2511.101", "DAT_2512.101"}));
    EXPECT_EQ(p.messages,
              (QList<Message>{
                  {Icon::None, "Ошибка при загрузке :\r\n" + ws.path() + "/W95mbx01.ico", ""}}));
}

TEST(SummationWindows, AWrongSumOpensTheDifferenceGrid) {
    TempWorkspace ws;
    writeWorkspace(ws);
    RecorderPrompt p;
    Form_Summ w(placeOf(ws), aggregate::SummMode::SumCheck, NoForms, p);
    w.show();
    QTest::mouseClick(w.Command_Summ, Qt::LeftButton);
    EXPECT_EQ(treeLines(w.Tree_View),
              (QStringList{"DAT_2511.101 ---> проверен", "  Данные не просуммированы",
                           "DAT_2512.101 ---> проверен", "  Район А",
                           "    раздел 01 - неверная сумма !!!"}));
    QTreeWidgetItem* wrong = w.item("DAT_2512.1011100_01");
    ASSERT_TRUE(wrong);
    bool shown = false;
    QStringList columns, rows, cells;
    whenOpen<Form_VSumm>(
        [&](Form_VSumm& grid) {
            for (int j = 0; j < grid.Flex_Grid->columnCount(); ++j)
                columns.append(grid.Flex_Grid->horizontalHeaderItem(j)->text());
            for (int i = 0; i < grid.Flex_Grid->rowCount(); ++i) {
                rows.append(grid.Flex_Grid->verticalHeaderItem(i)->text());
                for (int j = 0; j < grid.Flex_Grid->columnCount(); ++j)
                    cells.append(grid.Flex_Grid->item(i, j)->text());
            }
        },
        shown);
    w.Tree_View_DblClick(wrong);
    EXPECT_TRUE(shown);
    EXPECT_EQ(columns, (QStringList{"гр.1", "гр.2"}));
    EXPECT_EQ(rows, (QStringList{"стр.1", "стр.2"}));
    EXPECT_EQ(cells, (QStringList{"0", "0", "0", "-1"}));
    // A directory node shows nothing.
    w.Tree_View_DblClick(w.item("DAT_2512.101"));
    EXPECT_EQ(p.messages.last(),
              (Message{Icon::Error, "Выберите раздел, где найдены неверные суммы.", ""}));
}

TEST(CodeReplacementWindow, StartArchivesReplacesAndShowsTheCodes) {
    TempWorkspace ws;
    writeWorkspace(ws);
    ws.write("SHIF/CORR_COD.TXT", "1201 1202\n");
    RecorderPrompt p;
    Form_CorrCod w(ws.path(), ws.file("DAT"), ws.file("SHIF"), p);
    EXPECT_EQ(w.windowTitle(), "Замена кодов.");
    EXPECT_EQ(treeLines(w.Tree_Cods), (QStringList{"DAT_2511.101", "DAT_2512.101"}));
    w.show();
    QTest::mouseClick(w.Cmd_Start, Qt::LeftButton);
    EXPECT_FALSE(w.Cmd_Start->isEnabled());
    EXPECT_EQ(ws.read("DAT/DAT_2512.101/1202.01"), "1 5\r\n2 6\r\n");
    EXPECT_EQ(treeLines(w.Tree_Cods).mid(0, 4),
              (QStringList{"DAT_2511.101", "  1101", "  1102", "  1202 (старый код= 1201)"}));
    EXPECT_EQ(QDir(ws.path()).entryList({"Замена кодов-*"}, QDir::Dirs).size(), 1);
    EXPECT_EQ(p.texts(), (QStringList{"Файл CORR_COD.TXT перемещен в архив !!!"}));
}

TEST(AggregateMenus, ServiceItemsOpenTheWindowsWithTheirFlags) {
    TempWorkspace ws;
    ws.copyTree(MIREL_DEMO_DIR);
    auto loaded = loadWindow(ws, QDate(2026, 1, 15));
    ASSERT_TRUE(loaded->window);
    ui::Frm_mirel& w = *loaded->window;
    const ui::MainControls& c = w.controls();
    for (QAction* item : {c.Menu_Summ, c.Menu_VSumm, c.Menu_VFormat, c.Menu_CorrCod})
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    const struct {
        QAction* item;
        QString title;
        bool vsumm, vformat;
    } cases[] = {{c.Menu_Summ, "Суммирование данных.", false, false},
                 {c.Menu_VSumm, "Проверка сумм.", true, false},
                 {c.Menu_VFormat, "Форматный контроль данных.", false, true},
                 {c.Menu_CorrCod, "Замена кодов.", w.g_b_VSumm, w.g_b_VFormat}};
    for (const auto& k : cases) {
        bool shown = false;
        QString title;
        whenOpen<QDialog>([&](QDialog& d) { title = d.windowTitle(); }, shown);
        k.item->trigger();
        EXPECT_TRUE(shown);
        EXPECT_EQ(title, k.title);
        if (k.item != c.Menu_CorrCod) {
            EXPECT_EQ(w.g_b_VSumm, k.vsumm);
            EXPECT_EQ(w.g_b_VFormat, k.vformat);
        }
    }
    EXPECT_EQ(w.g_Dir_Form, w.session().dir(core::DirFORM));
    // An empty list opens nothing.
    ws.write("SHIF/CORR_COD.TXT", " \n");
    c.Menu_CorrCod->trigger();
    EXPECT_EQ(loaded->prompt.messages.last(),
              (Message{Icon::Error, "Файл CORR_COD.TXT пуст !!!", ""}));
}

TEST(AggregateMenus, TheRegisterSumsItsFormAndPeriod) {
    TempWorkspace ws;
    ws.copyTree(MIREL_DEMO_DIR);
    auto loaded = loadWindow(ws, QDate(2026, 1, 15));
    ASSERT_TRUE(loaded->window);
    ui::Frm_mirel& w = *loaded->window;
    const ui::MainControls& c = w.controls();
    c.menu_VV_All->trigger();
    // Before a register: the button shows the region grid with its summation columns.
    EXPECT_EQ(c.Cmd_Summ->text(), "Алгоритм суммирования");
    QTest::mouseClick(c.Cmd_Summ, Qt::LeftButton);
    EXPECT_EQ(c.Cmd_Summ->text(), "Суммировать");
    EXPECT_TRUE(c.Cmd_Summ->isHidden());
    EXPECT_TRUE(c.Grid->isVisible());
    EXPECT_FALSE(ws.exists("DAT/DAT_2512.210/1000.01"));

    c.Combo_FFF->setCurrentIndex(c.Combo_FFF->findText("210", Qt::MatchStartsWith));
    QTest::mouseClick(c.Cmd_Load_DD, Qt::LeftButton);
    loaded->prompt.clear();
    ASSERT_TRUE(c.Cmd_Summ->isVisible());
    QTest::mouseClick(c.Cmd_Summ, Qt::LeftButton);
    EXPECT_EQ(loaded->prompt.texts(), (QStringList{"Суммирование завершено !!!"}));
    for (const QString code : {"1000", "1100", "1200", "1300"})
        for (const QString rr : {"01", "02", "03", "04"})
            EXPECT_TRUE(ws.exists("DAT/DAT_2512.210/" + code + "." + rr)) << code.toStdString();
    EXPECT_TRUE(
        ws.read("DAT/DAT_2512.210/1000.01").startsWith("PR_?\r\n! 0000 210 01 25 12 1000\r\n"));
    // The register shows the new sums.
    bool found = false;
    for (int r = 0; r < c.Grid->rowCount(); ++r)
        if (c.Grid->item(r, 0) && c.Grid->item(r, 0)->text() == "1000")
            found = c.Grid->item(r, 2)->text() == "?";
    EXPECT_TRUE(found);
}
