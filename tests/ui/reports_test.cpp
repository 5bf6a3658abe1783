#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "platform/fileio.h"
#include "ui/form_dd.h"
#include "ui/form_treedd.h"
#include "ui/frm_mirel.h"
#include "viewtest.h"

using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::gridHeader;
using mirel::test::gridRow;
using mirel::test::loadWindow;
using mirel::test::Message;
using mirel::test::TempWorkspace;
using mirel::test::treeLines;
using mirel::ui::Form_DD;
using mirel::ui::Form_TreeDD;
using mirel::ui::ReportsView;

namespace {

const QDate Today(2002, 1, 15);

// Form 101 of three sections (2 x 2, 1 x 2, 3 x 3) with a template; region 1100 has every
// section for December 2001 (section 3 one row of three), region 1101 the first only;
// November 2001 holds no region data.
struct ReportsFixture {
    TempWorkspace ws;
    std::unique_ptr<mirel::test::LoadedWindow> lw;

    ReportsFixture() {
        mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2001\nMM= 12\nОТЧЕТ\n");
        ws.write("FORM/2001_01.101/101_0101.2S", "Н;1;2;\n1\n");
        ws.write("FORM/2001_01.101/101_0101.3S", "Н;1;2;3;\n1\n2\n3\n");
        ws.write("FORM/2001_01.101/Справка.HTM",
                 "<p><i>name_region</i> <i>mm</i>.<i>gg</i>: <b>2\\1\\2</b></p>\n");
        ws.write("DAT/DAT_0112.101/1100.01", "PR_++\n! 0000 101 01 01 12 1100\n1 1 2\n2 3 4\n");
        ws.write("DAT/DAT_0112.101/1100.02", "PR_?\n! 0000 101 02 01 12 1100\n1 5 6\n");
        ws.write("DAT/DAT_0112.101/1100.03", "PR_?\n! 0000 101 03 01 12 1100\n1 7 8 9\n");
        ws.write("DAT/DAT_0112.101/1101.01", "PR_?\n! 0000 101 01 01 12 1101\n1 1 1\n");
        ws.write("DAT/DAT_0112.101/1101.TXT", "примечание\n");
        ws.write("DAT/DAT_0111.101/ПРОЧТИ.TXT", "нет отчетов\n");
        lw = loadWindow(ws, Today);
    }
    mirel::test::RecorderPrompt& prompt() { return lw->prompt; }
    ReportsView* view() { return lw->window->findChild<ReportsView*>(); }

    // "Отчеты" in the menu bar; the tree window it opened, or nullptr.
    Form_TreeDD* openTree() {
        QMenuBar* bar = lw->window->menuBar();
        QAction* item = lw->window->controls().mnu_Otchet;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(item).center());
        return view()->treeWindow();
    }
    static QTreeWidgetItem* find(Form_TreeDD& tree, const QString& text) {
        const auto items = tree.TreeView->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return items.isEmpty() ? nullptr : items.first();
    }
    static void click(Form_TreeDD& tree, const QString& text) {
        QTreeWidgetItem* item = find(tree, text);
        ASSERT_NE(item, nullptr) << text.toStdString();
        tree.TreeView->scrollToItem(item);
        QTest::mouseClick(tree.TreeView->viewport(), Qt::LeftButton, {},
                          tree.TreeView->visualItemRect(item).center());
    }
    // The display window of region 1100, the question "Записать в HTML ?" answered Cancel.
    Form_DD* display1100(Form_TreeDD& tree) {
        click(tree, "0112");
        prompt().answers = {false};
        click(tree, "1100 - Область");
        return tree.displayWindow();
    }
    void closeAll() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<Form_DD*>(w) || qobject_cast<Form_TreeDD*>(w)) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ~ReportsFixture() { closeAll(); }
};

// The data cells of the grid, row by row.
QList<QStringList> cells(const QTableWidget* grid) {
    QList<QStringList> out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out.append(gridRow(grid, r));
    return out;
}

} // namespace

TEST(ReportsTreeWindow, PeriodsRegionsPagesAndTheDisplayWindow) {
    ReportsFixture f;
    ASSERT_TRUE(f.lw->window);
    const auto& c = f.lw->window->controls();
    EXPECT_TRUE(c.mnu_Otchet->isVisible());
    c.Combo_REG->show();
    f.prompt().clear();

    Form_TreeDD* tree = f.openTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(c.Combo_REG->isVisible());
    EXPECT_TRUE(tree->isVisible());
    EXPECT_EQ(tree->windowTitle(), "Отчеты.");
    EXPECT_EQ(treeLines(tree->TreeView),
              (QStringList{"форма 101", "  0111", "    Нет данных", "  0112"}));

    // A period lists its regions on the first click, each once, 1101.TXT not counted.
    f.click(*tree, "0112");
    EXPECT_EQ(treeLines(tree->TreeView),
              (QStringList{"форма 101", "  0111", "    Нет данных", "  0112", "    1100 - Область",
                           "    1101 - Район"}));
    EXPECT_TRUE(f.find(*tree, "0112")->isExpanded());
    f.click(*tree, "0112");
    EXPECT_EQ(f.find(*tree, "0112")->childCount(), 2);
    EXPECT_TRUE(f.prompt().messages.isEmpty());

    // A region: the question, the page written into the working folder and opened, then the
    // display window over the tree.
    f.prompt().answers = {true};
    f.click(*tree, "1100 - Область");
    const QString page = f.ws.file("101_0112_1100_Справка.HTM");
    EXPECT_EQ(f.prompt().questions, (QList<Message>{{Icon::Question, "Записать в HTML ?", ""}}));
    EXPECT_EQ(f.prompt().messages,
              (QList<Message>{{Icon::Information, "Записано :\r\n" + page, ""}}));
    EXPECT_EQ(f.lw->browser.opened, QStringList{page});
    EXPECT_TRUE(f.ws.read("101_0112_1100_Справка.HTM")
                    .endsWith("<p><i>Область</i> <i>12</i>.<i>2001</i>: <b>6</b></p>\r\n"));

    Form_DD* dd = tree->displayWindow();
    ASSERT_NE(dd, nullptr);
    EXPECT_TRUE(dd->isVisible());
    EXPECT_EQ(dd->windowTitle(), "ФОРМА 101 : 1100 - Область. Отчетный период : 2001 12");
    EXPECT_EQ(dd->geometry(), tree->geometry());
    ASSERT_EQ(dd->SS_Tab->count(), 3);
    EXPECT_EQ(dd->SS_Tab->tabText(2), "Раздел 03");
    EXPECT_EQ(dd->currentSection(), "01");
    EXPECT_EQ(gridHeader(dd->Flex_Grid), (QStringList{"1", "2"}));
    EXPECT_EQ(dd->Flex_Grid->verticalHeaderItem(1)->text(), "2");
    EXPECT_EQ(cells(dd->Flex_Grid), (QList<QStringList>{{"1", "2"}, {"3", "4"}}));

    // Section 3 holds one row of three: the rows after it show "0".
    dd->SS_Tab->setCurrentIndex(2);
    EXPECT_EQ(dd->currentSection(), "03");
    EXPECT_EQ(cells(dd->Flex_Grid),
              (QList<QStringList>{{"7", "8", "9"}, {"0", "0", "0"}, {"0", "0", "0"}}));

    // Region 1101 lacks sections 2 and 3: no page, the display window all the same.
    dd->close();
    f.prompt().clear();
    f.prompt().answers = {true};
    f.click(*tree, "1101 - Район");
    EXPECT_EQ(f.prompt().texts(),
              (QStringList{"Ошибка при чтении данных !!!",
                           "Ошибка при определении количества показателей !!!"}));
    EXPECT_EQ(f.prompt().messages.first().title, "РАЗДЕЛ 02");
    EXPECT_EQ(f.lw->browser.opened.size(), 1);
    ASSERT_NE(tree->displayWindow(), nullptr);
    EXPECT_EQ(cells(tree->displayWindow()->Flex_Grid),
              (QList<QStringList>{{"1", "1"}, {"0", "0"}}));

    // The period without region data.
    f.prompt().clear();
    f.click(*tree, "Нет данных");
    EXPECT_TRUE(f.prompt().messages.isEmpty());
}

TEST(DisplayWindow, EditingKeysAndF2OnSection3) {
    ReportsFixture f;
    ASSERT_TRUE(f.lw->window);
    Form_TreeDD* tree = f.openTree();
    ASSERT_NE(tree, nullptr);
    Form_DD* dd = f.display1100(*tree);
    ASSERT_NE(dd, nullptr);
    dd->SS_Tab->setCurrentIndex(2);
    QLineEdit* txt = dd->Txt;
    QTableWidget* grid = dd->Flex_Grid;
    auto at = [&] { return QPoint(grid->currentRow(), grid->currentColumn()); };

    // The editor lies over the current cell with its text.
    EXPECT_EQ(at(), QPoint(0, 0));
    EXPECT_TRUE(txt->isVisible());
    EXPECT_EQ(txt->text(), "7");
    EXPECT_EQ(txt->geometry(), grid->visualItemRect(grid->item(0, 0)));

    // Enter writes and moves on; Esc gives the cell's text back.
    txt->clear();
    QTest::keyClicks(txt, "12");
    QTest::keyClick(txt, Qt::Key_Return);
    EXPECT_EQ(grid->item(0, 0)->text(), "12");
    EXPECT_EQ(at(), QPoint(0, 1));
    EXPECT_EQ(txt->text(), "8");
    txt->setText("99");
    QTest::keyClick(txt, Qt::Key_Escape);
    EXPECT_EQ(txt->text(), "8");
    EXPECT_TRUE(dd->isVisible());

    // Arrows write first; Shift with Left or Right goes to the first or last column.
    txt->setText(QString::fromUtf8("1 000\u00A05")); // a spreadsheet's no-break space too
    QTest::keyClick(txt, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid->item(0, 1)->text(), "10005"); // no blank inside a value
    EXPECT_EQ(at(), QPoint(0, 2));
    QTest::keyClick(txt, Qt::Key_Right);
    EXPECT_EQ(at(), QPoint(0, 2));
    QTest::keyClick(txt, Qt::Key_Return); // from the last column to the next row
    EXPECT_EQ(at(), QPoint(1, 0));
    txt->setText("5");
    QTest::keyClick(txt, Qt::Key_Down);
    EXPECT_EQ(at(), QPoint(2, 0));
    QTest::keyClick(txt, Qt::Key_Down);
    EXPECT_EQ(at(), QPoint(2, 0));
    QTest::keyClick(txt, Qt::Key_Right);
    QTest::keyClick(txt, Qt::Key_Right);
    QTest::keyClick(txt, Qt::Key_Return); // the last cell stays
    EXPECT_EQ(at(), QPoint(2, 2));
    QTest::keyClick(txt, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(txt, Qt::Key_Up);
    EXPECT_EQ(at(), QPoint(1, 0));

    // Another tab and back: the edits are kept.
    dd->SS_Tab->setCurrentIndex(0);
    EXPECT_EQ(cells(grid), (QList<QStringList>{{"1", "2"}, {"3", "4"}}));
    dd->SS_Tab->setCurrentIndex(2);
    EXPECT_EQ(cells(grid),
              (QList<QStringList>{{"12", "10005", "9"}, {"5", "0", "0"}, {"0", "0", "0"}}));

    // F2: the typed text goes in first; the section is written with "?".
    f.prompt().clear();
    EXPECT_EQ(at(), QPoint(0, 0));
    QTest::keyClick(txt, Qt::Key_Down);
    txt->setText("4");
    QTest::keyClick(txt, Qt::Key_F2);
    EXPECT_EQ(f.ws.readBytes("DAT/DAT_0112.101/1100.03"),
              cp1251("PR_?\r\n! 0000 101 03 01 12 1100\r\n1 12 10005 9\r\n2 4 0 0\r\n3 0 0 0\r\n"));
    EXPECT_EQ(f.prompt().messages, (QList<Message>{{Icon::Information, "Записано !!!", ""}}));
    EXPECT_TRUE(dd->isVisible());
    // Also with the focus on the tabs.
    f.prompt().clear();
    QTest::keyClick(dd->SS_Tab, Qt::Key_F2);
    EXPECT_EQ(f.prompt().texts(), QStringList{"Записано !!!"});
}

TEST(DisplayWindow, ProtectedFilesAndUnsavedEdits) {
    ReportsFixture f;
    ASSERT_TRUE(f.lw->window);
    const QString file = f.ws.file("DAT/DAT_0112.101/1100.01");
    const QByteArray before = f.ws.readBytes("DAT/DAT_0112.101/1100.01");
    ASSERT_TRUE(mirel::platform::setReadOnly(file, true));
    Form_TreeDD* tree = f.openTree();
    ASSERT_NE(tree, nullptr);
    Form_DD* dd = f.display1100(*tree);
    ASSERT_NE(dd, nullptr);

    f.prompt().clear();
    dd->Txt->setText("100");
    QTest::keyClick(dd->Txt, Qt::Key_F2);
    EXPECT_EQ(f.ws.readBytes("DAT/DAT_0112.101/1100.01"), before);
    EXPECT_EQ(f.prompt().messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", file},
                              {Icon::Error, "Ошибка при записи данных !!!", ""}}));

    // Closing with an edit not written asks; No keeps the window.
    f.prompt().clear();
    f.prompt().answers = {false};
    dd->close();
    EXPECT_EQ(f.prompt().questions,
              (QList<Message>{{Icon::Question, "Данные  изменены !!!", "Выйти без сохранения ?"}}));
    EXPECT_TRUE(dd->isVisible());
    f.prompt().answers = {true};
    dd->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(tree->displayWindow(), nullptr);

    // Without edits nothing is asked.
    dd = f.display1100(*tree);
    ASSERT_NE(dd, nullptr);
    f.prompt().clear();
    QTest::keyClick(dd->Txt, Qt::Key_Return);
    dd->close();
    EXPECT_TRUE(f.prompt().questions.isEmpty());
    EXPECT_FALSE(dd->isVisible());
}

TEST(ReportsTreeWindow, MissingClassifierOrDataFolder) {
    ReportsFixture f;
    ASSERT_TRUE(f.lw->window);
    QFile::remove(f.ws.file("SHIF/shif.txt"));
    f.prompt().clear();
    EXPECT_EQ(f.openTree(), nullptr);
    EXPECT_EQ(f.prompt().messages,
              (QList<Message>{
                  {Icon::Error, "Отсутствует файл " + f.ws.file("SHIF/shif.txt"), "ОШИБКА !!!"}}));

    f.ws.write("SHIF/shif.txt", "1100 Область\n");
    ASSERT_TRUE(mirel::platform::removeDirRecursively(f.ws.file("DAT")));
    f.prompt().clear();
    Form_TreeDD* tree = f.openTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->TreeView->topLevelItemCount(), 0);
    EXPECT_EQ(f.prompt().messages,
              (QList<Message>{{Icon::Error, "Отсутствует директорий " + f.ws.file("DAT"), ""}}));
}
