#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>

#include "ui/dataloadingview.h"
#include "ui/frm_mirel.h"
#include "ui/helpview.h"
#include "ui/messageboxprompt.h"
#include "ui/querytree.h"
#include "ui/resultgrid.h"
#include "ui/workstation.h"
#include "viewtest.h"

using mirel::platform::Icon;
using mirel::test::loadWindow;
using mirel::test::Message;
using mirel::test::TempWorkspace;
using mirel::ui::Frm_mirel;

namespace {

const QDate Today(2026, 1, 15);

std::unique_ptr<mirel::test::LoadedWindow> demo(TempWorkspace& ws) {
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    QString ini = ws.read("MIREL_WIN.INI");
    ini.remove("  IE\r\n");
    ws.write("MIREL_WIN.INI", ini, true);
    auto loaded = loadWindow(ws, Today);
    if (loaded->window) loaded->prompt.clear();
    return loaded;
}

void chooseForm(Frm_mirel& w, const QString& code) {
    QComboBox* combo = w.controls().Combo_FFF;
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), code);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
}

} // namespace

TEST(DesktopBrowser, TellsFromTheExitStatusWhetherAProgramShowedThePage) {
    EXPECT_TRUE(mirel::ui::DesktopBrowser(QStringLiteral("true")).open(QStringLiteral("/tmp/a")));
    EXPECT_FALSE(mirel::ui::DesktopBrowser(QStringLiteral("false")).open(QStringLiteral("/tmp/a")));
    EXPECT_FALSE(mirel::ui::DesktopBrowser(QStringLiteral("/nonexistent/xdg-open"))
                     .open(QStringLiteral("/tmp/a")));
    // A program that keeps running (xdg-open running the browser itself) shows the page.
    TempWorkspace ws;
    ws.writeBytes("browser.sh", "#!/bin/sh\nsleep 1\n");
    QFile::setPermissions(ws.file("browser.sh"), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_TRUE(mirel::ui::DesktopBrowser(ws.file("browser.sh"), 200).open(ws.file("a.HTM")));
}

TEST(Desktop, QtsOwnButtonsAndDialogsSpeakRussian) {
    QTranslator* translator = mirel::ui::installTranslations();
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Отмена");
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

TEST(Desktop, BoxesShowTheirTitlesWhole) {
    mirel::ui::MessageBoxPrompt prompt;
    const QString path = "/home/statistika/otchety/2025/dekabr/rabochee_mesto/SHIF/SHIF.TXT";
    int width = 0;
    QString text;
    const auto look = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            width = box->width();
            text = box->text();
            box->accept();
        });
    };
    look();
    prompt.message("Нет файла !", Icon::Error, path);
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(path));
    EXPECT_EQ(text, "Нет файла !");
    // A title longer than the screen is repeated in the text, where it wraps.
    const QString longer = path.repeated(40);
    look();
    prompt.message("Нет файла !", Icon::Error, longer);
    EXPECT_EQ(text, longer + "\n\nНет файла !");
}

TEST(Desktop, HelpMenuShowsTheGuideAndTheVersion) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    auto loaded = loadWindow(ws, Today);
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    const auto& c = w.controls();
    EXPECT_EQ(c.mnu_help->title(), "Справка");
    EXPECT_EQ(w.menuBar()->actions().last(), c.mnu_help->menuAction());
    c.mnu_help_guide->trigger();
    auto* guide = w.findChild<QWidget*>("HelpGuide");
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    auto* text = guide->findChild<QTextBrowser*>();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains("User guide"));
    EXPECT_TRUE(text->toPlainText().contains("Мирель"));
    c.mnu_help_about->trigger();
    ASSERT_EQ(loaded->prompt.messages.size(), 1);
    EXPECT_EQ(loaded->prompt.messages.first().title, "О программе");
    EXPECT_TRUE(loaded->prompt.messages.first().text.startsWith("Мирель, версия 0."));
    // The help stays at hand in the other views.
    c.menu_VV_All->trigger();
    EXPECT_TRUE(c.mnu_help->menuAction()->isEnabled());
    EXPECT_TRUE(c.mnu_help_guide->isEnabled());
}

TEST(Desktop, TheRegisterShowsItsCodesWholeWithoutEmptyRowsAndGreysWhatIsNotBuilt) {
    TempWorkspace ws;
    auto loaded = demo(ws);
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    const auto& c = w.controls();
    c.menu_VV_All->trigger();
    chooseForm(w, "410");
    QTableWidget* g = c.Grid;
    ASSERT_TRUE(g->isVisible());
    // The classifier's heading line has its row, hidden.
    EXPECT_TRUE(g->isRowHidden(0));
    EXPECT_FALSE(g->isRowHidden(1));
    // The selector shows the code, not the end of the title.
    EXPECT_EQ(c.Combo_FFF->lineEdit()->cursorPosition(), 0);
    int widest = 0;
    for (int i = 0; i < c.Combo_FFF->count(); ++i)
        widest = std::max(widest,
                          c.Combo_FFF->fontMetrics().horizontalAdvance(c.Combo_FFF->itemText(i)));
    EXPECT_GT(c.Combo_FFF->view()->minimumWidth(), widest);
    // Data exist for December 2025: nothing in the status strip.
    EXPECT_EQ(c.Lbl_Info->text(), "");

    // The button calls whatever summation the view was given.
    EXPECT_EQ(c.Cmd_Summ->text(), "Суммировать");
    EXPECT_TRUE(c.Cmd_Summ->isEnabled());
    auto* view = w.findChild<mirel::ui::DataLoadingView*>();
    int summed = 0;
    view->setSummAction([&] { ++summed; });
    EXPECT_TRUE(c.Cmd_Summ->isEnabled());
    QTest::mouseClick(c.Cmd_Summ, Qt::LeftButton);
    EXPECT_EQ(summed, 1);

    // A period without any data file says so, as a warning in the strip.
    c.Txt_Date[0]->setText("2030");
    QTest::keyClick(c.Txt_Date[0], Qt::Key_Return);
    QTest::keyClick(c.Txt_Date[1], Qt::Key_Return);
    chooseForm(w, "130");
    EXPECT_TRUE(loaded->prompt.messages.isEmpty())
        << loaded->prompt.texts().join('|').toStdString();
    EXPECT_EQ(c.Lbl_Info->text(), "Нет данных за отчетный период");
    EXPECT_TRUE(g->isVisible());
}

TEST(Desktop, OpenFoldersAndColumnWidthsAreThereAgain) {
    TempWorkspace ws;
    auto loaded = demo(ws);
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    const auto& c = w.controls();
    auto* view = w.findChild<mirel::ui::QueryTree*>();
    const QString folder = ws.file("ЗАПРОСЫ/Безработица").toUpper();
    QTreeWidgetItem* node = view->nodeByKey(folder);
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    // Back from another view: the folder is open again.
    c.menu_FFF_cod->trigger();
    c.Cmd_calc->click();
    node = view->nodeByKey(folder);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(node->isExpanded());
    EXPECT_FALSE(view->nodeByKey(ws.file("ЗАПРОСЫ/Динамика").toUpper())->isExpanded());

    // The person widens a column; the same query shows it as wide the next time.
    const QString query = ws.file("ЗАПРОСЫ/Безработица/Безработные по районам.PSP");
    c.Tree_Pasp->setCurrentItem(view->nodeByKey(query));
    c.mnu_pasp_calc->trigger();
    ASSERT_TRUE(c.Grid->isVisible());
    c.Grid->horizontalHeader()->resizeSection(1, 333);
    c.Cmd_calc->click(); // "Закрыть таблицу"
    c.Tree_Pasp->setCurrentItem(view->nodeByKey(query));
    c.mnu_pasp_calc->trigger();
    ASSERT_TRUE(c.Grid->isVisible());
    EXPECT_EQ(c.Grid->columnWidth(1), 333);
    EXPECT_NE(c.Grid->columnWidth(0), 333);
}
