#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "ui/frm_mirel.h"
#include "ui/importview.h"
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

// The tree follows a whole-form run, though it is not laid out again at every workbook: under
// the message of a workbook that cannot be opened, that workbook is the one selected, those
// before it are marked loaded and the caption names the last section written.
TEST(ImportView, TheTreeShowsTheRunUnderItsMessages) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    ws.write(Folder + "/1201_410_2512.ods", "not a workbook\n");
    auto loaded = loadWindow(ws, QDate(2026, 1, 15));
    ASSERT_TRUE(loaded->window);
    mirel::ui::MainControls& c = loaded->window->controls();
    c.menu_XLS->trigger();
    c.Tree_Pasp->setCurrentItem(node(c.Tree_Pasp, "410"));
    QStringList seen;
    loaded->prompt.onMessage = [&](const Message& m) {
        if (!m.text.startsWith("Ошибка при открытии книги Excel")) return;
        seen << c.Tree_Pasp->currentItem()->text(0) << treeLines(c.Tree_Pasp).mid(5, 4)
             << c.Option_Log->text();
    };
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    EXPECT_EQ(seen, (QStringList{"1201_410_2512.ods", "  Загружен - 1101_410_2512.xlsx",
                                 "  Загружен - 1103_410_2512.XLS", "  1201_410_2512.ods",
                                 "  1302_410_2512.xls", "1103 -> 410 02"}));
    EXPECT_EQ(treeLines(c.Tree_Pasp).mid(5, 4),
              (QStringList{"  Загружен - 1101_410_2512.xlsx", "  Загружен - 1103_410_2512.XLS",
                           "  1201_410_2512.ods", "  Загружен - 1302_410_2512.xls"}));
    EXPECT_EQ(c.Tree_Pasp->currentItem()->text(0), "Загружен - 1302_410_2512.xls");
    EXPECT_EQ(c.Option_Log->text(), "Логический контроль");
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

// The demo's transfer entries of "Загрузка данных": the files the first offers (not the letter
// beside them), "Загрузить" without a choice, a file clicked and loaded in "Коррекция" that
// replaces a stored section; after "Выход" and a new listing ("Ввод" again) a load that
// refuses a stored section, leaving it as it was, and a duplicate; the tree shows what was
// loaded and "Загрузить" waits for a new listing. The second entry names the Excel folder,
// where only the text file is offered and it holds no matrix.
TEST(ImportView, TransferFiles) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const QByteArray stored = ws.readBytes("DAT/DAT_2512.510/1101.01");
    auto loaded = loadWindow(ws, QDate(2026, 1, 15));
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    mirel::ui::MainControls& c = w.controls();
    ASSERT_EQ(c.menu_Imp_Dir.size(), 2);
    EXPECT_EQ(c.menu_Imp_Dir[0]->text(), "ПЕРЕДАЧА ИЗ РАЙОНОВ -> ИМПОРТ");
    EXPECT_EQ(c.menu_Imp_Dir[1]->text(),
              "КНИГИ EXCEL -> ЗАГРУЗКА ФАЙЛОВ EXCEL (КОДРЕГИОНА_ФФФ_ГГММ.XLS)");
    c.menu_Imp_Dir[0]->trigger();

    EXPECT_EQ(w.view(), Frm_mirel::View::Import);
    EXPECT_EQ(c.Cmd_calc->text(), "Выход");
    EXPECT_TRUE(c.Frame_Import->isVisible());
    EXPECT_EQ(c.Option_VV->text(), "Ввод");
    EXPECT_EQ(c.Option_Corr->text(), "Коррекция");
    EXPECT_TRUE(c.Option_VV->isChecked());
    EXPECT_FALSE(c.Option_Log->isVisible());
    EXPECT_FALSE(c.menu_Import->menuAction()->isEnabled());
    EXPECT_EQ(treeLines(c.Tree_Pasp), (QStringList{"ПЕРЕДАЧА_2512.TXT", "ЮГ.620"}));

    c.Tree_Pasp->setCurrentItem(nullptr);
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    EXPECT_EQ(loaded->prompt.messages,
              (QList<Message>{
                  {Icon::Information, "Не выбран файл для загрузки данных !!!", "ВНИМАНИЕ !!!"}}));
    loaded->prompt.clear();
    const auto click = [&](const QString& text) {
        QTreeWidgetItem* item = node(c.Tree_Pasp, text);
        ASSERT_TRUE(item) << text.toStdString();
        QTest::mouseClick(c.Tree_Pasp->viewport(), Qt::LeftButton, {},
                          c.Tree_Pasp->visualItemRect(item).center());
        ASSERT_EQ(c.Tree_Pasp->currentItem(), item);
    };
    click("ЮГ.620");
    QTest::mouseClick(c.Option_Corr, Qt::LeftButton);
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    EXPECT_EQ(loaded->prompt.texts(), QStringList{"Загрузка завершена!!!"});
    EXPECT_EQ(treeLines(c.Tree_Pasp),
              (QStringList{"2512", "  форма 620", "    1303 - Ольховский район", "      раздел 01",
                           "    1305 - Солнечный район", "      раздел 01"}));
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.620/1305.01"),
              mirel::test::cp1251Crlf("PR_?\n! 0000 620 01 25 12 1305\n"
                                      "1 990.4 29.7 86.2 864.8 9.7\n"
                                      "2 605.8 18.2 47.1 534.6 5.9\n"
                                      "3 384.6 11.5 39.1 330.2 3.8\n"
                                      "4 41.2 1.2 2.9 36.8 0.3\n"
                                      "5 18.3 0.5 1.6 16.1 0.1\n"
                                      "6 878.1 25.3 70.8 772.4 9.6\n"));
    EXPECT_FALSE(c.Cmd_Import->isEnabled());

    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(w.view(), Frm_mirel::View::Query);
    EXPECT_FALSE(c.Frame_Import->isVisible());
    loaded->prompt.clear();
    c.menu_Imp_Dir[0]->trigger();
    EXPECT_TRUE(c.Option_VV->isChecked());
    EXPECT_TRUE(c.Cmd_Import->isEnabled());
    click("ПЕРЕДАЧА_2512.TXT");
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    EXPECT_EQ(loaded->prompt.texts(),
              (QStringList{"Попытка повторного ввода уже загруженных данных !!!",
                           "Загрузка завершена!!!"}));
    const QStringList lines = treeLines(c.Tree_Pasp);
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.mid(5, 2), (QStringList{"    1101 - Березовский район",
                                            "      раздел 01 - ОШИБКА !!! - повторный ввод"}));
    QTreeWidgetItem* refused = node(c.Tree_Pasp, "раздел 01 - ОШИБКА !!! - повторный ввод");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->data(0, mirel::ui::ImportView::PictureRole).toInt(), 4);
    EXPECT_TRUE(refused->parent()->isExpanded());
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.510/1101.01"), stored);
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.510/1306.02"),
              mirel::test::cp1251Crlf("PR_?\n! 0000 510 02 25 12 1306\n1 188412 179650\n"
                                      "2 45118 43040\n3 58417 55716\n4 54630 52109\n"
                                      "5 20732 19775\n6 9515 9010\n"));
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(w.view(), Frm_mirel::View::Query);

    loaded->prompt.clear();
    c.menu_Imp_Dir[1]->trigger();
    EXPECT_EQ(treeLines(c.Tree_Pasp), QStringList{"1102_410_2512.txt"});
    click("1102_410_2512.txt");
    QTest::mouseClick(c.Cmd_Import, Qt::LeftButton);
    EXPECT_EQ(loaded->prompt.messages,
              (QList<Message>{
                  {Icon::Error, "В файле отсутствуют данные для загрузки !!!", "ВНИМАНИЕ !!!"}}));
    EXPECT_EQ(treeLines(c.Tree_Pasp), QStringList{"1102_410_2512.txt"});
    EXPECT_EQ(w.view(), Frm_mirel::View::Import);
}

// An entry whose folder is missing: the message, and the window stays in its query view.
TEST(ImportView, TransferFolderMissing) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(
        ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n[DIR_IMPORT]\nИз районов -> НЕТ\n");
    auto loaded = loadWindow(ws, QDate(2026, 1, 15));
    ASSERT_TRUE(loaded->window);
    loaded->prompt.clear();
    loaded->window->controls().menu_Imp_Dir.at(0)->trigger();
    EXPECT_EQ(
        loaded->prompt.messages,
        (QList<Message>{{Icon::Error, "Не доступен директорий загрузки !!!", ws.file("НЕТ")}}));
    EXPECT_EQ(loaded->window->view(), Frm_mirel::View::Query);
}
