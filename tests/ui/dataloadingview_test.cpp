#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "data/loadview.h"
#include "platform/fileio.h"
#include "ui/dataloadingview.h"
#include "ui/frm_mirel.h"
#include "viewtest.h"

using mirel::platform::Icon;
using mirel::test::enabledMenus;
using mirel::test::gridHeader;
using mirel::test::gridRow;
using mirel::test::loadWindow;
using mirel::test::Message;
using mirel::test::TempWorkspace;
using mirel::ui::DataLoadingView;
using mirel::ui::Frm_mirel;

namespace {

const QDate Today(2026, 1, 15);

const QString Form410 = "410 - Сведения о просроченной задолженности по заработной плате";
const QStringList FormsDec2025{"130 - Сведения о численности безработных граждан",
                               "210 - Основные показатели социально-экономического положения "
                               "района",
                               Form410, "510 - Сведения об инвестициях в основной капитал",
                               "620 - Сведения о жилищном фонде"};
const QStringList ServiceItems{"Memu_Serv", "Menu_VFormat", "Menu_Summ", "Menu_VSumm",
                               "Menu_CorrCod"};
const QStringList MenusOfTheQueryView{
    "mnu_pasp",     "mnu_pasp_calc", "mnu_pasp_open", "mnu_pasp_app", "mnu_pasp_ren",
    "mnu_pasp_del", "mnu_dir",       "mnu_rr_app",    "mnu_rr_del",   "mnu_rr_ren",
    "menu_Import",  "menu_Imp_Dir",  "menu_Imp_Dir",  "menu_XLS",     "Memu_Serv",
    "Menu_YYYYMM",  "Menu_VFormat",  "Menu_Summ",     "Menu_VSumm",   "Menu_CorrCod",
    "menu_FFF",     "menu_FFF_cod",  "menu_FFF_per",  "mnu_Otchet",   "menu_VV_All",
    "mnu_exit"};

// The demo workspace: 23 regions under a heading line (slot 0), two summation files, forms
// 130, 210, 410 (two versions), 510 (quarterly), 620 (yearly), data for December 2025.
void writeDemo(const TempWorkspace& ws) {
    ws.copyTree(MIREL_DEMO_DIR);
}

QStringList comboItems(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out.append(combo->itemText(i));
    return out;
}

int textWidth(const QWidget* w, const char* text) {
    return w->fontMetrics().horizontalAdvance(QString::fromLatin1(text));
}

void typeIntoSelector(Frm_mirel& w, const QString& text) {
    QComboBox* combo = w.controls().Combo_FFF;
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
}

// The row of a region code in the grid, -1 when none.
int rowOf(const QTableWidget* grid, const QString& code) {
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0) && grid->item(r, 0)->text() == code) return r;
    return -1;
}

} // namespace

TEST(DataLoadingView, EntersWithTheRegionGridTheFormsDueAndTheMenusLocked) {
    TempWorkspace ws;
    writeDemo(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    EXPECT_EQ(enabledMenus(w), MenusOfTheQueryView);
    c.Combo_REG->show(); // as a query asking for a region leaves it

    c.menu_VV_All->trigger();
    EXPECT_TRUE(lw->prompt.messages.isEmpty()) << lw->prompt.texts().join('|').toStdString();
    EXPECT_EQ(w.view(), Frm_mirel::View::Load);
    EXPECT_EQ(c.Txt_Date[0]->text(), "2025"); // the preamble holds no period
    EXPECT_EQ(c.Txt_Date[1]->text(), "12");
    EXPECT_EQ(enabledMenus(w), ServiceItems);

    EXPECT_EQ(c.Cmd_calc->text(), "Выход");
    EXPECT_TRUE(c.Cmd_calc->isEnabled());
    for (QWidget* shown : {(QWidget*)c.Lbl_FFF, (QWidget*)c.Combo_FFF, (QWidget*)c.Cmd_Load_DD,
                           (QWidget*)c.Cmd_Summ, (QWidget*)c.Frame_Import})
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    for (QWidget* hidden :
         {(QWidget*)c.Combo_REG, (QWidget*)c.Tree_Pasp, (QWidget*)c.Grid, (QWidget*)c.Option_Log})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    // One row right of the button: label, selector, buttons, frame.
    int left = c.Cmd_calc->geometry().right();
    for (QWidget* next : {(QWidget*)c.Lbl_FFF, (QWidget*)c.Combo_FFF, (QWidget*)c.Cmd_Load_DD,
                          (QWidget*)c.Cmd_Summ, (QWidget*)c.Frame_Import}) {
        EXPECT_GT(next->geometry().left(), left) << next->objectName().toStdString();
        left = next->geometry().right();
    }
    EXPECT_EQ(c.Lbl_FFF->text(), "Форма :");
    EXPECT_EQ(c.Option_VV->text(), "Все");
    EXPECT_EQ(c.Option_Corr->text(), "Отсутствующие");
    EXPECT_TRUE(c.Option_VV->isChecked());
    EXPECT_EQ(c.Cmd_Summ->text(), "Алгоритм суммирования");
    EXPECT_TRUE(c.Cmd_Summ->isEnabled());
    EXPECT_TRUE(c.Cmd_Load_DD->isEnabled());

    // Every form due in December (quarterly and yearly too), none chosen yet.
    EXPECT_EQ(comboItems(c.Combo_FFF), FormsDec2025);
    EXPECT_EQ(c.Combo_FFF->currentText(), "");

    // The region grid: a row per classifier slot, a column per summation file and one more.
    QTableWidget* g = c.Grid;
    EXPECT_EQ(gridHeader(g), (QStringList{"код", "наименование", "", "", ""}));
    ASSERT_EQ(g->rowCount(), 24);
    EXPECT_EQ(gridRow(g, 0), (QStringList{"", "", "", "", ""})); // the heading line
    EXPECT_EQ(gridRow(g, 1),
              (QStringList{"1000", "Краснопольская область - всего", "", "сумма", ""}));
    EXPECT_EQ(gridRow(g, 2), (QStringList{"1100", "Северная зона", "сумма", "+", ""}));
    EXPECT_EQ(gridRow(g, 3), (QStringList{"1101", "Березовский район", "+", "", ""}));
    const int code = textWidth(g, "_999999_");
    EXPECT_EQ(g->columnWidth(0), code);
    EXPECT_EQ(g->columnWidth(1), 4 * code);
    for (int k = 2; k < 5; ++k)
        EXPECT_EQ(g->columnWidth(k), code) << k;
    EXPECT_FALSE(g->verticalHeader()->isVisible());
    EXPECT_EQ(g->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST(DataLoadingView, RegisterShowsTheStateMarksOfEachSection) {
    TempWorkspace ws;
    writeDemo(ws);
    // The mark is the first line from its fourth character on.
    ws.write("DAT/DAT_2512.410/1100.02", "PR_??\n! 0000 410 02 25 12 1100\n1 5 0 0 0\n");
    ws.write("DAT/DAT_2512.410/1106.01", "");
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    c.menu_VV_All->trigger();
    lw->prompt.clear();

    typeIntoSelector(w, "410");
    EXPECT_TRUE(lw->prompt.messages.isEmpty()) << lw->prompt.texts().join('|').toStdString();
    EXPECT_EQ(c.Combo_FFF->currentText(), Form410);
    EXPECT_EQ(c.Combo_FFF->currentIndex(), 2);
    QTableWidget* g = c.Grid;
    EXPECT_TRUE(g->isVisible());
    EXPECT_TRUE(g->hasFocus());
    EXPECT_EQ(g->currentRow(), 1); // the first region
    EXPECT_EQ(gridHeader(g), (QStringList{"код", "наименование", "1", "2"}));
    ASSERT_EQ(g->rowCount(), 24);
    EXPECT_EQ(gridRow(g, 0), (QStringList{"", "", "", ""}));
    EXPECT_EQ(gridRow(g, 1), (QStringList{"1000", "Краснопольская область - всего", "?", "?"}));
    EXPECT_EQ(gridRow(g, 2), (QStringList{"1100", "Северная зона", "?", "??"}));
    EXPECT_EQ(gridRow(g, 3), (QStringList{"1101", "Березовский район", "0++", "0++"}));
    EXPECT_EQ(gridRow(g, rowOf(g, "1106")), (QStringList{"1106", "г. Северогорск", "", "0"}));
    EXPECT_EQ(gridRow(g, rowOf(g, "1302")), (QStringList{"1302", "Каменский район", "", ""}));
    const int code = textWidth(g, "_999999_");
    EXPECT_EQ(g->columnWidth(0), code);
    EXPECT_EQ(g->columnWidth(1), 4 * code);
    EXPECT_EQ(g->columnWidth(2), textWidth(g, "_999_"));
    EXPECT_EQ(g->columnWidth(3), textWidth(g, "_999_"));
    EXPECT_EQ(c.Cmd_Summ->text(), "Суммировать");
    EXPECT_TRUE(c.Cmd_Summ->isVisible());
    // The progress bar ran over the rows and is gone.
    EXPECT_EQ(lw->prompt.progressMaximum, 24);
    EXPECT_EQ(lw->prompt.progressEnds, 1);
    EXPECT_FALSE(c.Progress_Bar->isVisible());

    // A choice from the list fills the register of that form (four sections).
    c.Combo_FFF->setCurrentIndex(1);
    Q_EMIT c.Combo_FFF->activated(1);
    EXPECT_EQ(gridHeader(g), (QStringList{"код", "наименование", "1", "2", "3", "4"}));
    EXPECT_EQ(gridRow(g, 3), (QStringList{"1101", "Березовский район", "++", "++", "++", "++"}));
    EXPECT_TRUE(lw->prompt.messages.isEmpty());
}

TEST(DataLoadingView, MissingOptionListsTheRegionsWithoutAnyFile) {
    TempWorkspace ws;
    writeDemo(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    c.menu_VV_All->trigger();
    typeIntoSelector(w, "210");
    lw->prompt.clear();

    QTest::mouseClick(c.Option_Corr, Qt::LeftButton);
    EXPECT_TRUE(c.Option_Corr->isChecked());
    EXPECT_TRUE(lw->prompt.messages.isEmpty());
    QTableWidget* g = c.Grid;
    EXPECT_EQ(gridHeader(g), (QStringList{"код", "наименование", "1", "2", "3", "4"}));
    ASSERT_EQ(g->rowCount(), 24); // the other rows are left empty
    const QStringList absent{"1000", "1100", "1105", "1200", "1300", "1304"};
    for (int r = 0; r < g->rowCount(); ++r) {
        const QStringList row = gridRow(g, r);
        EXPECT_EQ(row.mid(2), (QStringList{"", "", "", ""})) << r;
        EXPECT_EQ(row.at(0), r < absent.size() ? absent.at(r) : QString()) << r;
    }
    EXPECT_EQ(gridRow(g, 2).at(1), "Сосновский район");
    EXPECT_EQ(g->currentRow(), 0);

    // Back to "Все": the whole register again.
    QTest::mouseClick(c.Option_VV, Qt::LeftButton);
    EXPECT_EQ(gridRow(g, 3), (QStringList{"1101", "Березовский район", "++", "++", "++", "++"}));

    // 410: only 1302 has sent nothing; once it sends its second section alone, nobody is
    // missing and the option returns to "Все" with the full register.
    typeIntoSelector(w, "410");
    QTest::mouseClick(c.Option_Corr, Qt::LeftButton);
    EXPECT_EQ(gridRow(g, 0), (QStringList{"1302", "Каменский район", "", ""}));
    EXPECT_EQ(gridRow(g, 1), (QStringList{"", "", "", ""}));
    ws.write("DAT/DAT_2512.410/1302.02", "PR_0\n! 0000 410 02 25 12 1302\n1 0 0 0 0\n");
    QTest::mouseClick(c.Option_VV, Qt::LeftButton);
    lw->prompt.clear();
    QTest::mouseClick(c.Option_Corr, Qt::LeftButton);
    EXPECT_EQ(lw->prompt.messages,
              (QList<Message>{{Icon::Information, "Нет регионов непредставивших отчеты !!!", ""}}));
    EXPECT_TRUE(c.Option_VV->isChecked());
    EXPECT_FALSE(c.Option_Corr->isChecked());
    EXPECT_EQ(gridRow(g, rowOf(g, "1302")), (QStringList{"1302", "Каменский район", "", "0"}));
    EXPECT_EQ(lw->prompt.messages.size(), 1); // the return to "Все" fills nothing twice
}

TEST(DataLoadingView, BadSelectorTextsAreReportedAndLeaveTheRegister) {
    TempWorkspace ws;
    writeDemo(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    c.menu_VV_All->trigger();
    lw->prompt.clear();

    // No form yet: the button and a change of option both say so; the option returns to
    // "Все" and the summation button goes.
    QTest::mouseClick(c.Cmd_Load_DD, Qt::LeftButton);
    QTest::mouseClick(c.Option_Corr, Qt::LeftButton);
    EXPECT_EQ(lw->prompt.messages, (QList<Message>{{Icon::None, "Не выбрана форма !!!", ""},
                                                   {Icon::None, "Не выбрана форма !!!", ""}}));
    EXPECT_TRUE(c.Option_VV->isChecked());
    EXPECT_FALSE(c.Cmd_Summ->isVisible());
    EXPECT_FALSE(c.Grid->isVisible());

    typeIntoSelector(w, "130");
    const QStringList before = gridRow(c.Grid, 3);
    EXPECT_EQ(before, (QStringList{"1101", "Березовский район", "++"}));
    lw->prompt.clear();
    typeIntoSelector(w, "999");
    EXPECT_EQ(lw->prompt.messages,
              (QList<Message>{{Icon::Error, "Недействительное значение кода формы !!!", ""}}));
    EXPECT_EQ(gridRow(c.Grid, 3), before);
    EXPECT_EQ(gridHeader(c.Grid), (QStringList{"код", "наименование", "1"}));
    EXPECT_EQ(c.Combo_FFF->count(), 5); // a typed text is not added to the list
}

TEST(DataLoadingView, PreamblePeriodSingleFormAndNoSummation) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n2001 7\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    c.menu_VV_All->trigger();
    EXPECT_EQ(c.Txt_Date[0]->text(), "2001");
    EXPECT_EQ(c.Txt_Date[1]->text(), "7");
    EXPECT_EQ(w.session().periodCode(), "200107");
    EXPECT_EQ(lw->prompt.messages,
              (QList<Message>{{Icon::Error, "Не заданы условия суммирования !!!",
                               "Суммарные данные будут записаны в матрицы с кодом 0."}}));
    EXPECT_TRUE(c.Cmd_Summ->isVisible());
    EXPECT_FALSE(c.Cmd_Summ->isEnabled());
    // The one form due is chosen at once.
    EXPECT_EQ(c.Combo_FFF->currentText(), "101 - Сведения о численности");
    EXPECT_EQ(c.Combo_FFF->currentIndex(), 0);
    QTableWidget* g = c.Grid;
    EXPECT_EQ(gridHeader(g), (QStringList{"код", "наименование", ""}));
    EXPECT_EQ(gridRow(g, 1), (QStringList{"1101", "Район", ""}));
    EXPECT_EQ(g->columnWidth(2), textWidth(g, "_999999_"));

    lw->prompt.clear();
    QTest::mouseClick(c.Cmd_Load_DD, Qt::LeftButton);
    EXPECT_TRUE(lw->prompt.messages.isEmpty());
    EXPECT_EQ(gridHeader(g), (QStringList{"код", "наименование", "1"}));
    EXPECT_EQ(gridRow(g, 0), (QStringList{"1100", "Область", ""}));
}

TEST(DataLoadingView, EnterInThePeriodFieldsRebuildsTheViewAndMovesOn) {
    TempWorkspace ws;
    writeDemo(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();

    // In the query view Enter in a field does nothing.
    QTest::keyClick(c.Txt_Date[0], Qt::Key_Return);
    EXPECT_EQ(w.view(), Frm_mirel::View::Query);
    EXPECT_TRUE(lw->prompt.messages.isEmpty());

    c.menu_VV_All->trigger();
    typeIntoSelector(w, "410");
    ASSERT_TRUE(c.Grid->isVisible());

    c.Txt_Date[1]->setFocus();
    c.Txt_Date[1]->selectAll();
    QTest::keyClicks(c.Txt_Date[1], "11");
    c.Txt_Date[0]->setFocus();
    QTest::keyClick(c.Txt_Date[0], Qt::Key_Return);
    EXPECT_TRUE(c.Txt_Date[1]->hasFocus());
    // November: monthly forms only; the register is hidden until filled again.
    EXPECT_EQ(comboItems(c.Combo_FFF), FormsDec2025.mid(0, 3));
    EXPECT_EQ(c.Combo_FFF->currentText(), "");
    EXPECT_FALSE(c.Grid->isVisible());
    EXPECT_EQ(c.Cmd_Summ->text(), "Алгоритм суммирования");
    EXPECT_EQ(gridHeader(c.Grid), (QStringList{"код", "наименование", "", "", ""}));
    EXPECT_EQ(enabledMenus(w), ServiceItems);

    QTest::keyClick(c.Txt_Date[1], Qt::Key_Return);
    EXPECT_TRUE(c.Combo_FFF->hasFocus());
    typeIntoSelector(w, "410");
    EXPECT_EQ(gridRow(c.Grid, 3), (QStringList{"1101", "Березовский район", "0++", "0++"}));
    EXPECT_TRUE(lw->prompt.messages.isEmpty()) << lw->prompt.texts().join('|').toStdString();

    // A period without any catalogued form.
    c.Txt_Date[0]->selectAll();
    QTest::keyClicks(c.Txt_Date[0], "2023");
    QTest::keyClick(c.Txt_Date[0], Qt::Key_Return);
    EXPECT_EQ(
        lw->prompt.messages,
        (QList<Message>{
            {Icon::Error, "Нет форм, каталогизированных для данного отчетного периода !!!", ""}}));
    EXPECT_EQ(c.Combo_FFF->count(), 0);
    EXPECT_FALSE(c.Cmd_Load_DD->isEnabled());
}

TEST(DataLoadingView, DoubleClickOrKeyAsksForDataEntryAndReadsTheRowAgain) {
    TempWorkspace ws;
    writeDemo(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    auto* view = w.findChild<DataLoadingView*>();
    ASSERT_NE(view, nullptr);
    QStringList asked;
    // A stand-in for what data entry saves.
    QObject::connect(view, &DataLoadingView::entryRequested, &w, [&](const QString& code) {
        asked.append(code);
        ws.write("DAT/DAT_2512.410/" + code + ".01", "PR_++\n! 0000 410 01 25 12 " + code + "\n");
    });
    // The entry window opens modally over the register: closed at once here.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* entry = qobject_cast<QDialog*>(QApplication::activeModalWidget())) entry->close();
    });
    closer.start(10);
    c.menu_VV_All->trigger();
    typeIntoSelector(w, "410");
    QTableWidget* g = c.Grid;

    const int row = rowOf(g, "1106");
    const QRect cell = g->visualRect(g->model()->index(row, 1));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(asked, QStringList{"1106"});
    EXPECT_EQ(w.g_Caption_VV, "1106 - г Северогорск. " + Form410);
    EXPECT_EQ(gridRow(g, row), (QStringList{"1106", "г. Северогорск", "++", "0"}));

    g->setCurrentCell(rowOf(g, "1302"), 0);
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(asked, (QStringList{"1106", "1302"}));
    EXPECT_EQ(gridRow(g, rowOf(g, "1302")), (QStringList{"1302", "Каменский район", "++", ""}));
    // Moving the cursor does not open anything; the heading row has no region.
    QTest::keyClick(g, Qt::Key_Down);
    g->setCurrentCell(0, 0);
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(lw->prompt.messages.isEmpty());
}

TEST(DataLoadingView, ExitReturnsToTheQueryViewWithItsMenus) {
    TempWorkspace ws;
    writeDemo(ws);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    QSignalSpy rebuilt(&w, &Frm_mirel::queryViewRequested);
    QSignalSpy calc(&w, &Frm_mirel::calcClicked);
    const int calcWidth = c.Cmd_calc->width();
    new QTreeWidgetItem(c.Tree_Pasp, QStringList{"Запрос"});

    c.menu_VV_All->trigger();
    typeIntoSelector(w, "410");
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);

    EXPECT_EQ(w.view(), Frm_mirel::View::Query);
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(calc.count(), 0);
    EXPECT_EQ(enabledMenus(w), MenusOfTheQueryView);
    EXPECT_EQ(c.Cmd_calc->text(), "Выполнить");
    EXPECT_EQ(c.Cmd_calc->width(), calcWidth);
    EXPECT_TRUE(c.Cmd_calc->isEnabled()); // as the query view had it
    EXPECT_EQ(c.Cmd_Summ->text(), "Алгоритм суммирования");
    for (QWidget* hidden :
         {(QWidget*)c.Grid, (QWidget*)c.Lbl_FFF, (QWidget*)c.Combo_FFF, (QWidget*)c.Cmd_Load_DD,
          (QWidget*)c.Cmd_Summ, (QWidget*)c.Frame_Import, (QWidget*)c.Cmd_Import})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_TRUE(c.Tree_Pasp->isVisible());
    EXPECT_EQ(c.Tree_Pasp->topLevelItemCount(), 1); // filled again by the query view

    // Back in the query view the button belongs to the queries, and the grid's keys open
    // nothing.
    c.Cmd_calc->setEnabled(true);
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(calc.count(), 1);
    EXPECT_EQ(rebuilt.count(), 1);
    QSignalSpy asked(w.findChild<DataLoadingView*>(), &DataLoadingView::entryRequested);
    c.Grid->show();
    c.Grid->setCurrentCell(3, 0);
    QTest::keyClick(c.Grid, Qt::Key_Return);
    EXPECT_EQ(asked.count(), 0);
    EXPECT_TRUE(lw->prompt.messages.isEmpty());
}

TEST(DataLoadingView, ContextMenuControlsEveryRegionAndRefreshesTheMarks) {
    TempWorkspace ws;
    writeDemo(ws);
    ws.mkdir("TMP");
    mirel::platform::setTempDirOverride(ws.file("TMP"));
    ws.write("DAT/DAT_2512.210/1101.01",
             ws.read("DAT/DAT_2512.210/1101.01").replace("PR_++", "PR_?"), true);
    auto lw = loadWindow(ws, Today);
    ASSERT_TRUE(lw->window);
    Frm_mirel& w = *lw->window;
    const auto& c = w.controls();
    auto* menu = w.findChild<QMenu*>("menu_Register");
    ASSERT_TRUE(menu);
    // No register yet: no menu.
    c.menu_VV_All->trigger();
    Q_EMIT c.Grid->customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(menu->isVisible());

    typeIntoSelector(w, "210");
    lw->prompt.clear();
    QTableWidget* g = c.Grid;
    EXPECT_EQ(gridRow(g, rowOf(g, "1101")).mid(2), (QStringList{"?", "++", "++", "++"}));
    Q_EMIT g->customContextMenuRequested(QPoint(5, 5));
    ASSERT_TRUE(menu->isVisible());
    QMenu* control = menu->findChild<QMenu*>("menu_Log");
    ASSERT_TRUE(control);
    EXPECT_EQ(menu->actions().first()->text(), "Логический контроль");
    EXPECT_EQ(control->actions().first()->text(), "Все регионы");
    menu->close();

    control->actions().first()->trigger();
    EXPECT_TRUE(lw->prompt.messages.isEmpty()) << lw->prompt.texts().join('|').toStdString();
    EXPECT_EQ(gridRow(g, rowOf(g, "1101")).mid(2), (QStringList{"++", "++", "++", "++"}));
    EXPECT_EQ(gridRow(g, rowOf(g, "1102")).mid(2), (QStringList{"??", "++", "++", "++"}));
    EXPECT_EQ(gridRow(g, rowOf(g, "1203")).mid(2), (QStringList{"++", "++", "", ""}));
    // Every row shows what its files now hold, as the register reads them.
    for (int r = 0; r < g->rowCount(); ++r) {
        const QStringList row = gridRow(g, r);
        if (row.first().isEmpty()) continue;
        EXPECT_EQ(row.mid(2), mirel::data::registerMarks(w.session(), "210", row.first(), 4))
            << row.first().toStdString();
    }
    ASSERT_EQ(lw->browser.opened.size(), 1);
    EXPECT_TRUE(QFileInfo(lw->browser.opened.first()).absolutePath() == ws.file("TMP"));
    EXPECT_EQ(lw->prompt.progressMaximum, 17);
    EXPECT_FALSE(c.Progress_Bar->isVisible());
    mirel::platform::setTempDirOverride(QString());
}

TEST(DataLoadingView, EscapeStopsTheControlOfEveryRegion) {
    TempWorkspace ws;
    writeDemo(ws);
    ws.mkdir("TMP");
    mirel::platform::setTempDirOverride(ws.file("TMP"));
    // The first region's file cannot be read; while its message is up the person presses Escape.
    ws.writeBytes("DAT/DAT_2512.210/1101.01", "PR_?\r1 1 1 1\r");
    struct EscapingPrompt : mirel::test::RecorderPrompt {
        QWidget* target = nullptr;
        void message(const QString& text, Icon icon, const QString& title) override {
            RecorderPrompt::message(text, icon, title);
            QTest::qSleep(150);
            QCoreApplication::postEvent(
                target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    } prompt;
    mirel::test::RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    w.show();
    const auto& c = w.controls();
    prompt.target = c.Grid;
    c.menu_VV_All->trigger();
    typeIntoSelector(w, "210");
    prompt.clear();
    w.findChild<QAction*>("menu_Log_All")->trigger();
    EXPECT_EQ(prompt.texts(),
              (QStringList{"Ошибка в формате данных !!!\r\nВ файле нет ни одной строки данных",
                           "Выполнение прервано пользователем !!!"}));
    EXPECT_TRUE(browser.opened.isEmpty());
    // The run stopped there: the regions checked ahead meanwhile are a few at most, and the
    // last ones are untouched.
    EXPECT_EQ(ws.read("DAT/DAT_2512.210/1307.01").section("\r\n", 0, 0), "PR_?");
    // The regions done are whole: 1101's other sections have their marks.
    EXPECT_EQ(gridRow(c.Grid, rowOf(c.Grid, "1101")).mid(3), (QStringList{"++", "++", "++"}));
    mirel::platform::setTempDirOverride(QString());
}
