#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "maps/mapdata.h"
#include "platform/fileio.h"
#include "platform/graphics.h"
#include "ui/form_map.h"
#include "ui/frm_mirel.h"
#include "ui/mappicture.h"
#include "ui/mapview.h"
#include "ui/querytree.h"
#include "viewtest.h"

using mirel::platform::Icon;
using mirel::platform::standardColor;
using mirel::test::cp1251;
using mirel::test::LoadedWindow;
using mirel::test::loadWindow;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::ui::Form_map;
using mirel::ui::Frm_MAP;
using mirel::ui::MapView;
using mirel::ui::QueryTree;

namespace {

// The main window on a copy of the demo workspace, tables shown in the grid unless html.
struct MapWindowFixture {
    TempWorkspace ws;
    std::unique_ptr<LoadedWindow> w;

    explicit MapWindowFixture(bool html = false) {
        ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
        if (!html) {
            QString ini = ws.read("MIREL_WIN.INI");
            ini.remove("  IE\r\n");
            ws.write("MIREL_WIN.INI", ini, true);
        }
        w = loadWindow(ws, QDate(2026, 1, 10));
        EXPECT_TRUE(w->window);
        w->prompt.clear();
    }
    RecorderPrompt& prompt() { return w->prompt; }
    const mirel::ui::MainControls& controls() { return w->window->controls(); }
    MapView* maps() { return w->window->findChild<MapView*>(); }
    void calculate(const QString& query) {
        auto* tree = w->window->findChild<QueryTree*>();
        controls().Tree_Pasp->setCurrentItem(tree->nodeByKey(ws.file("ЗАПРОСЫ/" + query)));
        tree->calculate();
    }
};

// The colour of a drawn map at a point.
QRgb at(const Form_map& window, int x, int y) {
    return window.drawn().map.pixel(x, y);
}

} // namespace

TEST(MapWindows, TheMapButtonMapsTheCurrentColumn) {
    MapWindowFixture f;
    const auto& c = f.controls();
    EXPECT_FALSE(c.Cmd_Map->isEnabled() && c.Cmd_Map->isVisible());
    f.calculate("Безработица/Безработные по районам.PSP");
    ASSERT_TRUE(c.Cmd_Map->isVisible());
    EXPECT_TRUE(c.Cmd_Map->isEnabled());

    // Column 4 (the share of the young) chosen in the grid; the person names the map.
    c.Grid->setCurrentCell(2, 3);
    f.prompt().inputs = {QString("Молодежь")};
    QTest::mouseClick(c.Cmd_Map, Qt::LeftButton);
    EXPECT_EQ(f.prompt().questions, (QList<Message>{{Icon::Question, "Название карты :",
                                                     "Интерпретировать данные колонки 4"}}));
    EXPECT_TRUE(f.prompt().messages.isEmpty()) << f.prompt().texts().join('|').toStdString();
    const QString text = f.ws.read("MAP/MAP_Молодежь");
    EXPECT_TRUE(text.startsWith("Березовский район\\1101\\22.1\\110\\196\\14\r\n"
                                "Верхнекамский район\\1102\\28.4\\245\\111\\12\r\n"))
        << text.left(200).toStdString();
    EXPECT_EQ(text.count("\r\n"), 19); // the districts and towns; the zones are not on the map

    // The map window opens with the new map selected and drawn.
    Form_map* maps = f.maps()->mapWindow();
    ASSERT_NE(maps, nullptr);
    EXPECT_TRUE(maps->isVisible());
    EXPECT_EQ(maps->windowTitle(), "Картографический интерпретатор.");
    EXPECT_EQ(maps->selectedMap(), "Молодежь");
    ASSERT_TRUE(maps->isDrawn());
    EXPECT_EQ(at(*maps, 100, 196), standardColor(14)); // Березовский район, 22.1
    EXPECT_EQ(at(*maps, 240, 120), standardColor(12)); // Верхнекамский район, 28.4
    EXPECT_EQ(at(*maps, 2, 2), qRgb(255, 255, 255));   // outside the territory
    EXPECT_TRUE(maps->lbl_legend->isVisible());
    EXPECT_EQ(maps->drawn().legend.last().text, "нет данных");
    EXPECT_TRUE(maps->Cmd_Save->isEnabled());
    maps->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Without a name nothing is written and no window opens.
    f.prompt().clear();
    f.prompt().inputs = {QString("  ")};
    QTest::mouseClick(c.Cmd_Map, Qt::LeftButton);
    EXPECT_EQ(f.prompt().texts(), QStringList({"Не введено название карты !!!"}));
    EXPECT_EQ(f.maps()->mapWindow(), nullptr);
}

TEST(MapWindows, PointerZoomSavingAndPrinting) {
    MapWindowFixture f;
    f.ws.write("MAP/MAP_Тест", "Лесной район\\1103\\1\\410\\91\\9\n");
    Form_map window(f.ws.file("MAP"), f.prompt());
    ASSERT_TRUE(window.Form_Load());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.Picture_MAP->image().size(), QSize(800, 600)); // the bitmap before drawing
    QTest::mouseClick(window.Cmd_Map, Qt::LeftButton);
    ASSERT_TRUE(window.isDrawn());
    EXPECT_EQ(at(window, 405, 91), standardColor(9));

    // Releasing the mouse tells the bitmap point, whatever the zoom.
    QWidget* canvas = window.Picture_MAP->canvas();
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(120, 45));
    EXPECT_EQ(window.lbl_info->text(), "x= 120 y= 45");
    QTest::mouseClick(window.findChild<QToolButton*>("Cmd_ZoomIn"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(window.Picture_MAP->zoom(), 1.25);
    EXPECT_EQ(window.findChild<QLabel*>("lbl_zoom")->text(), "125 %");
    window.Picture_MAP->setZoom(2);
    EXPECT_EQ(canvas->size(), QSize(1600, 1200));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(241, 91));
    EXPECT_EQ(window.lbl_info->text(), "x= 120 y= 45");
    window.Picture_MAP->fitToWindow();
    EXPECT_LE(window.Picture_MAP->zoom(), 1.0);

    // "Сохранить PNG": the map with its legend; ".png" added to a name without it.
    QString proposal;
    window.chooseSavePath = [&](const QString& p) {
        proposal = p;
        return f.ws.file("Лесной");
    };
    QTest::mouseClick(window.Cmd_Save, Qt::LeftButton);
    EXPECT_EQ(proposal, f.ws.file("MAP/Тест.png"));
    const QImage saved(f.ws.file("Лесной.png"));
    EXPECT_EQ(saved.size(), window.drawn().withLegend().size());
    EXPECT_GT(saved.width(), 800);
    EXPECT_EQ(saved.pixel(405, 91), standardColor(9));

    // "Печать": the print dialog's printer gets the picture.
    window.choosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(f.ws.file("map.pdf"));
        return true;
    };
    QTest::mouseClick(window.Cmd_Print, Qt::LeftButton);
    EXPECT_TRUE(f.ws.readBytes("map.pdf").startsWith("%PDF"));
    EXPECT_TRUE(f.prompt().messages.isEmpty());
}

TEST(MapWindows, ListOfMapsAndTheSecondWindow) {
    MapWindowFixture f;
    f.ws.write("MAP/MAP_", "Лесной район\\1103\\1\\410\\91\\10\n");
    f.ws.write("MAP/MAP_Пустая", "\n");
    Form_map window(f.ws.file("MAP"), f.prompt());
    ASSERT_TRUE(window.Form_Load());
    ASSERT_EQ(window.lst_map->count(), 2);
    EXPECT_EQ(window.lst_map->item(0)->text(), "Данные");
    EXPECT_EQ(window.lst_map->item(1)->text(), "Пустая");
    EXPECT_EQ(window.selectedMap(), "");

    // An empty map data file: its message, nothing drawn.
    window.lst_map->setCurrentRow(1);
    EXPECT_FALSE(window.Cmd_Map_Click());
    EXPECT_EQ(f.prompt().texts(), QStringList({"Файл пуст : " + f.ws.file("MAP/MAP_Пустая")}));
    EXPECT_FALSE(window.isDrawn());

    // "В новом окне": the window "Карта" of one map data file, captioned with its path.
    window.lst_map->setCurrentRow(0);
    Frm_MAP* single = window.openInWindow();
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->windowTitle(), f.ws.file("MAP/MAP_"));
    EXPECT_EQ(single->mapName(), "");
    EXPECT_FALSE(single->isDrawn());
    QTest::mouseClick(single->Cmd_Map, Qt::LeftButton);
    ASSERT_TRUE(single->isDrawn());
    EXPECT_EQ(single->drawn().map.pixel(405, 91), standardColor(10));
    single->close();

    // A MAP folder without map data files: the message, and the window is not shown.
    TempWorkspace empty;
    empty.mkdir("MAP");
    f.prompt().clear();
    Form_map none(empty.file("MAP"), f.prompt());
    EXPECT_FALSE(none.Form_Load());
    EXPECT_EQ(f.prompt().texts(), QStringList({"Нет данных для интерпретации !!!"}));

    // Without the bitmap the picture stays empty, and drawing says what is missing.
    empty.write("MAP/MAP_Карта", "А\\1\\1\\1\\1\\10\n");
    f.prompt().clear();
    Form_map bare(empty.file("MAP"), f.prompt());
    ASSERT_TRUE(bare.Form_Load());
    EXPECT_TRUE(bare.Picture_MAP->image().isNull());
    EXPECT_FALSE(bare.Cmd_Map_Click());
    EXPECT_EQ(f.prompt().texts(),
              QStringList({"Отсутствует файл -> " + empty.file("MAP/map.bmp")}));
}

TEST(MapWindows, AMapQueryIsDrawnInsteadOfItsTable) {
    for (bool html : {false, true}) {
        MapWindowFixture f(html);
        f.calculate("Безработица/Карта безработицы.PSP");
        EXPECT_TRUE(f.prompt().messages.isEmpty()) << f.prompt().texts().join('|').toStdString();
        EXPECT_FALSE(f.controls().Grid->isVisible());
        EXPECT_TRUE(f.w->browser.opened.isEmpty()); // no page, also with "IE"
        // The map "" ("Данные") of the first column: unemployment against a year ago.
        EXPECT_TRUE(f.ws.read("MAP/MAP_").startsWith("Березовский район\\1101\\94.7\\110\\196\\"));
        Form_map* maps = f.maps()->mapWindow();
        ASSERT_NE(maps, nullptr);
        EXPECT_EQ(maps->lst_map->currentItem()->text(), "Данные");
        EXPECT_TRUE(maps->isDrawn());
        maps->close();
    }
}
