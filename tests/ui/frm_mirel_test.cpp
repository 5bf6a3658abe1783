#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "ui/aggregatemenus.h"
#include "ui/frm_mirel.h"
#include "ui/windowprompt.h"
#include "uitest.h"

using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::test::writeStartableWorkspace;
using mirel::ui::Frm_mirel;

namespace {

const QDate Today(2002, 1, 15);

struct Caption {
    QString name;
    QString text;
    bool operator==(const Caption&) const = default;
};
void PrintTo(const Caption& c, std::ostream* os) {
    *os << c.name.toStdString() << " \"" << c.text.toStdString() << '"';
}

QList<Caption> captions(const QList<QAction*>& actions) {
    QList<Caption> out;
    for (const QAction* a : actions)
        if (!a->isSeparator()) out.append({a->objectName(), a->text()});
    return out;
}

// Items that are enabled, by name.
QStringList enabledItems(Frm_mirel& w) {
    QStringList out;
    for (QAction* a : w.menuBar()->actions()) {
        if (a->menu()) {
            for (QAction* item : a->menu()->actions())
                if (!item->isSeparator() && item->isEnabled()) out.append(item->objectName());
        } else if (a->isEnabled()) {
            out.append(a->objectName());
        }
    }
    return out;
}

QStringList visibleBarItems(Frm_mirel& w) {
    QStringList out;
    for (QAction* a : w.menuBar()->actions())
        if (a->isVisible()) out.append(a->objectName());
    return out;
}

const QString PlainIni = QStringLiteral("Тест\n[MIREL_WIN]\n  YYYY=  2002 \n  MM= 5\n");

} // namespace

TEST(MainWindow, OpensWithItsMenusControlsAndPeriodFields) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, PlainIni);
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    EXPECT_EQ(w.controls().Txt_Date[0]->text(), "2001"); // design values before load
    EXPECT_EQ(w.controls().Txt_Date[1]->text(), "12");
    ASSERT_EQ(w.load(Today), 0);
    w.show();
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.texts().join('|').toStdString();

    EXPECT_EQ(w.windowTitle(), "Мирель");
    EXPECT_EQ(w.objectName(), "Frm_mirel");
    const auto& c = w.controls();
    EXPECT_EQ(c.Lbl_date->text(), "Отчетный период :");
    EXPECT_EQ(c.Txt_Date[0]->text(), "2002");
    EXPECT_EQ(c.Txt_Date[1]->text(), "5");
    EXPECT_EQ(w.session().year, "2002");
    EXPECT_EQ(w.session().month, "5");
    EXPECT_EQ(w.findChildren<QLineEdit*>("Txt_Date").size(), 2);

    EXPECT_EQ(captions(w.menuBar()->actions()), (QList<Caption>{{"mnu_pasp", "Регламентный запрос"},
                                                                {"mnu_dir", "Раздел"},
                                                                {"menu_Import", "Загрузка данных"},
                                                                {"Memu_Serv", "Сервис"},
                                                                {"menu_FFF", "Каталог форм"},
                                                                {"mnu_Otchet", "Отчеты"},
                                                                {"menu_VV_All", "ВВОД ДАННЫХ"},
                                                                {"mnu_VV", "ВВОД"},
                                                                {"mnu_exit", "Выход"},
                                                                {"mnu_help", "Справка"}}));
    EXPECT_EQ(captions(c.mnu_pasp->actions()), (QList<Caption>{{"mnu_pasp_calc", "Выполнить"},
                                                               {"mnu_pasp_open", "Изменить"},
                                                               {"mnu_pasp_app", "Добавить"},
                                                               {"mnu_pasp_ren", "Переименовать"},
                                                               {"mnu_pasp_del", "Удалить"}}));
    EXPECT_EQ(captions(c.mnu_dir->actions()), (QList<Caption>{{"mnu_rr_app", "Создать"},
                                                              {"mnu_rr_del", "Удалить"},
                                                              {"mnu_rr_ren", "Переименовать"}}));
    EXPECT_EQ(captions(c.menu_Import->actions()),
              (QList<Caption>{{"menu_Imp_Dir", ws.path() + "/IMPORT"},
                              {"menu_XLS", "Загрузка файлов Excel"}}));
    EXPECT_EQ(captions(c.Memu_Serv->actions()),
              (QList<Caption>{{"Menu_YYYYMM", "Отчетный период"},
                              {"Menu_VFormat", "Форматный контроль"},
                              {"Menu_Summ", "Суммирование"},
                              {"Menu_VSumm", "Проверка сумм"},
                              {"Menu_CorrCod", "Замена кодов"}}));
    EXPECT_EQ(captions(c.menu_FFF->actions()),
              (QList<Caption>{{"menu_FFF_cod", "Упорядочить по коду"},
                              {"menu_FFF_per", "По дате начала эксплуатации"}}));
    // Only what exists yet can be chosen. The title line makes an (empty) preamble, so
    // "ВВОД ДАННЫХ" is offered; without "ОТЧЕТ" the reports are hidden.
    EXPECT_EQ(
        enabledItems(w),
        (QStringList{"mnu_pasp_calc", "mnu_pasp_open", "mnu_pasp_app", "mnu_pasp_ren",
                     "mnu_pasp_del", "mnu_rr_app", "mnu_rr_del", "mnu_rr_ren", "menu_Imp_Dir",
                     "menu_XLS", "Menu_YYYYMM", "Menu_VFormat", "menu_FFF_cod", "menu_FFF_per",
                     "menu_VV_All", "mnu_exit", "mnu_help_guide", "mnu_help_about"}));
    EXPECT_EQ(visibleBarItems(w), (QStringList{"mnu_pasp", "mnu_dir", "menu_Import", "Memu_Serv",
                                               "menu_FFF", "menu_VV_All", "mnu_exit", "mnu_help"}));
    EXPECT_EQ(w.findChild<QMenu*>("Memu_Serv"), c.Memu_Serv);
    EXPECT_EQ(w.findChild<QAction*>("Menu_YYYYMM"), c.Menu_YYYYMM);

    // The controls later views fill: present under their names, shown or hidden as at load.
    EXPECT_TRUE(c.Tree_Pasp->isVisible());
    ASSERT_EQ(c.Tree_Pasp->topLevelItemCount(), 1); // the query directory
    EXPECT_EQ(c.Tree_Pasp->topLevelItem(0)->text(0), ws.path() + "/PASP");
    EXPECT_EQ(c.Cmd_calc->text(), "Выполнить");
    EXPECT_TRUE(c.Cmd_calc->isVisible());
    EXPECT_TRUE(c.Lbl_Info->isVisible());
    for (QWidget* hidden :
         {(QWidget*)c.Grid, (QWidget*)c.Cmd_WriteHTML, (QWidget*)c.Cmd_Map, (QWidget*)c.Combo_REG,
          (QWidget*)c.Combo_FFF, (QWidget*)c.Lbl_FFF, (QWidget*)c.Cmd_Load_DD, (QWidget*)c.Cmd_Summ,
          (QWidget*)c.Frame_Import, (QWidget*)c.Cmd_Import, (QWidget*)c.Option_Log,
          (QWidget*)c.Progress_Bar})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_EQ(c.Cmd_WriteHTML->text(), "Записать HTML");
    EXPECT_EQ(c.Cmd_Map->text(), "Карта");
    EXPECT_EQ(c.Frame_Import->title(), "Режим загрузки данных");
    for (const char* name :
         {"Tree_Pasp", "Grid", "Cmd_calc", "Cmd_WriteHTML", "Cmd_Map", "Combo_REG", "Lbl_Info",
          "Progress_Bar", "Combo_FFF", "Cmd_Load_DD", "Cmd_Summ", "Frame_Import", "Option_VV",
          "Option_Corr", "Option_Log", "Cmd_Import", "Lbl_FFF"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
}

TEST(MainWindow, PeriodFieldsAreTheSessionPeriod) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, PlainIni);
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    QLineEdit* year = w.controls().Txt_Date[0];
    year->selectAll();
    QTest::keyClicks(year, "2003");
    EXPECT_EQ(w.session().year, "2003");
    QTest::keyClicks(w.controls().Txt_Date[1], "1");
    EXPECT_EQ(w.session().month, "51");
    w.setPeriod("2004", "7");
    EXPECT_EQ(w.session().year, "2004");
    EXPECT_EQ(w.session().month, "7");
}

TEST(MainWindow, MissingPeriodKeysKeepTheDesignValues) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY=\nIE\n");
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    EXPECT_EQ(w.controls().Txt_Date[0]->text(), "2001");
    EXPECT_EQ(w.controls().Txt_Date[1]->text(), "12");
}

TEST(MainWindow, MenuVisibilityFollowsThePreambleAndTheReportsLine) {
    struct Case {
        const char* ini;
        QStringList shown; // of mnu_Otchet, menu_VV_All, mnu_VV
    };
    const Case cases[] = {
        {"[MIREL_WIN]\nYYYY= 2002\nMM= 5\n", {}},
        {"[MIREL_WIN]\nYYYY= 2002\nOTCHET\n", {"mnu_Otchet"}},
        {"Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n", {"menu_VV_All"}},
        {"Тест\nSUMM1.TXT\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n", {"menu_VV_All"}},
        {"Тест\n1100-Область\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n", {"mnu_VV"}},
        {"Тест\n 1100 - Область\n[MIREL_WIN]\nотчет\n", {"mnu_VV", "mnu_Otchet"}},
        {"Тест\nОбласть-1100\n[MIREL_WIN]\nOtchet\n", {"mnu_Otchet", "menu_VV_All"}},
        {"[MIREL_WIN]\nОТЧЕТЫ\n[DIR_ARM]\nОТЧЕТ\n", {}},
    };
    for (const Case& k : cases) {
        TempWorkspace ws;
        writeStartableWorkspace(ws, QString::fromUtf8(k.ini));
        RecorderPrompt prompt;
        RecorderBrowser browser;
        Frm_mirel w(ws.path(), prompt, browser);
        ASSERT_EQ(w.load(Today), 0) << k.ini;
        QStringList shown;
        for (QAction* a : {w.controls().mnu_Otchet, w.controls().menu_VV_All, w.controls().mnu_VV})
            if (a->isVisible()) shown.append(a->objectName());
        shown.sort();
        QStringList expected = k.shown;
        expected.sort();
        EXPECT_EQ(shown, expected) << k.ini;
    }
}

TEST(MainWindow, ImportMenuHasOneEntryPerImportLine) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n[DIR_IMPORT]\n"
                                "Передача из районов -> ИМПОРТ\nR&D\n");
    ws.mkdir("R&D");
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    const QList<QAction*> entries = w.controls().menu_Imp_Dir;
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), "ПЕРЕДАЧА ИЗ РАЙОНОВ -> ИМПОРТ");
    EXPECT_EQ(entries[1]->text(), "R&&D"); // shown as "R&D", not as a mnemonic
    EXPECT_EQ(entries[1]->property("index").toInt(), 1);
    EXPECT_EQ(w.findChildren<QAction*>("menu_Imp_Dir").size(), 2);
    EXPECT_TRUE(entries[0]->isEnabled());
}

TEST(MainWindow, SummationAndCodeReplacementFollowTheirFilesOnceTheirWindowsExist) {
    const QString ini = "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\nSUMM1.TXT\n";
    for (const bool files : {false, true}) {
        TempWorkspace ws;
        writeStartableWorkspace(ws, ini);
        if (files) {
            ws.write("SHIF/summ1.txt", "1100:\n1101\n");
            ws.write("SHIF/CORR_COD.TXT", "1101 1102\n");
        }
        RecorderPrompt prompt;
        RecorderBrowser browser;
        Frm_mirel w(ws.path(), prompt, browser);
        const auto& c = w.controls();
        int opened = 0;
        // The windows open modally: each is counted and closed at once.
        QObject::connect(w.findChild<mirel::ui::AggregateMenus*>(),
                         &mirel::ui::AggregateMenus::windowOpening, &w, [&](QWidget* window) {
                             ++opened;
                             QTimer::singleShot(0, window, &QWidget::close);
                         });
        ASSERT_EQ(w.load(Today), 0);
        EXPECT_EQ(c.Menu_Summ->isEnabled(), files);
        EXPECT_EQ(c.Menu_VSumm->isEnabled(), files);
        EXPECT_EQ(c.Menu_CorrCod->isEnabled(), files);
        if (files) {
            EXPECT_TRUE(prompt.messages.isEmpty());
            c.Menu_CorrCod->trigger();
            EXPECT_EQ(opened, 1);
        } else {
            EXPECT_EQ(
                prompt.messages,
                (QList<Message>{{Icon::Error, "Отсутствует файл суммирования !!!", "SUMM1.TXT"}}));
        }
        // A view switching items never enables one whose window does not exist.
        w.setItemEnabled(c.mnu_VV, true);
        EXPECT_FALSE(c.mnu_VV->isEnabled());
        w.setItemEnabled(c.Menu_YYYYMM, false);
        EXPECT_FALSE(c.Menu_YYYYMM->isEnabled());
    }
}

TEST(MainWindow, GeometryFollowsTheScreenAndTheTreeKeepsItsMargins) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, PlainIni);
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QRect screen = w.screen()->availableGeometry();
    EXPECT_EQ(w.width(), screen.width());
    EXPECT_EQ(w.height(), qRound(screen.height() * 0.95));

    const auto& c = w.controls();
    QWidget* area = w.centralWidget();
    const auto check = [&] {
        const QRect tree = c.Tree_Pasp->geometry();
        const QRect year(c.Txt_Date[0]->mapTo(area, QPoint(0, 0)), c.Txt_Date[0]->size());
        EXPECT_EQ(tree.top(), year.top() + qRound(1.3 * year.height()));
        EXPECT_EQ(area->width() - (tree.x() + tree.width()), w.twipsX(111));
        EXPECT_EQ(area->height() - (tree.y() + tree.height()), w.twipsY(666));
        EXPECT_EQ(c.Grid->geometry(), tree);
    };
    check();
    w.resize(640, 400);
    check();
    // A size too small for the margins leaves the tree as it was.
    const QRect before = c.Tree_Pasp->geometry();
    w.resize(10, 10);
    EXPECT_EQ(c.Tree_Pasp->size(), before.size());
    w.resize(700, 500);
    check();
}

TEST(MainWindow, ExitClosesTheWindow) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, PlainIni);
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    w.show();
    ASSERT_TRUE(w.isVisible());
    w.controls().mnu_exit->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST(MainWindow, ProgressShowsOnTheBarAndReachesThePrompt) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, PlainIni);
    RecorderPrompt prompt;
    RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    w.show();
    const auto& c = w.controls();
    w.prompt().progressStart(10);
    EXPECT_TRUE(c.Progress_Bar->isVisible());
    EXPECT_TRUE(c.Cmd_Stop->isVisible());
    EXPECT_EQ(c.Cmd_Stop->text(), "Прервать");
    w.prompt().progressValue(4);
    QTest::qWait(60); // the bar shows a value that has waited 50 ms, and the last one at once
    w.prompt().progressValue(5);
    EXPECT_EQ(c.Progress_Bar->value(), 5);
    EXPECT_EQ(c.Progress_Bar->maximum(), 10);
    w.prompt().status("Регион 1100");
    EXPECT_EQ(c.Lbl_Info->text(), "Регион 1100");
    w.prompt().progressEnd();
    EXPECT_FALSE(c.Progress_Bar->isVisible());
    EXPECT_FALSE(c.Cmd_Stop->isVisible());
    w.prompt().message("Текст", Icon::Information, "Заголовок");
    EXPECT_EQ(prompt.progressMaximum, 10);
    EXPECT_EQ(prompt.progressValues, (QList<int>{4, 5}));
    EXPECT_EQ(prompt.progressEnds, 1);
    EXPECT_EQ(prompt.statuses, (QStringList{"Регион 1100"}));
    EXPECT_EQ(prompt.messages, (QList<Message>{{Icon::Information, "Текст", "Заголовок"}}));
}
