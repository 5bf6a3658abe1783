#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "maps/mapdrawing.h"
#include "platform/graphics.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::maps;
using mirel::platform::Icon;
using mirel::platform::standardColor;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

const QString Data = QStringLiteral(MAPS_TEST_DATA);

// The fills of the golden picture (see data/make-golden.py): three regions, a point on a
// border, a point outside the bitmap, and a region filled a second time.
const QList<MapLine> GoldenLines{
    {"ЛЕВАЯ", "1", "1", 6, 6, 10},   {"ПРАВАЯ", "2", "2", 30, 8, 12},
    {"НИЖНЯЯ", "3", "3", 40, 25, 9}, {"ГРАНИЦА", "4", "4", 20, 10, 4},
    {"ВНЕ", "5", "5", 100, 100, 2},  {"СНОВА", "6", "6", 7, 7, 14},
};

// The MAP folder of a workspace with the test bitmap.
void bitmapFolder(const TempWorkspace& ws) {
    ws.mkdir("MAP");
    QFile::copy(Data + "/regions.bmp", ws.file("MAP/map.bmp"));
}

} // namespace

TEST(MapDrawing, TheDrawnPngMatchesTheGoldenPicture) {
    TempWorkspace ws;
    bitmapFolder(ws);
    const MapBitmap bitmap = loadMapBitmap(ws.file("MAP"));
    ASSERT_EQ(bitmap.status, MapBitmap::Status::Loaded);
    RecorderPrompt prompt;
    ASSERT_TRUE(
        saveMapPng(drawMap(bitmap.image, GoldenLines, false), ws.file("drawn.png"), prompt));

    const QImage drawn(ws.file("drawn.png"));
    const QImage golden(Data + "/golden.png");
    ASSERT_FALSE(golden.isNull());
    ASSERT_EQ(drawn.size(), golden.size());
    int differing = 0;
    for (int y = 0; y < golden.height(); ++y)
        for (int x = 0; x < golden.width(); ++x)
            if (drawn.pixel(x, y) != golden.pixel(x, y)) {
                if (++differing <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex
                                  << drawn.pixel(x, y) << " instead of " << golden.pixel(x, y);
            }
    EXPECT_EQ(differing, 0);
    // The bitmap itself is left as it was loaded.
    EXPECT_EQ(bitmap.image.pixel(6, 6), qRgb(255, 255, 255));
}

TEST(MapDrawing, LabelsArePrintedAfterTheFills) {
    TempWorkspace ws;
    bitmapFolder(ws);
    const QImage bitmap = loadMapBitmap(ws.file("MAP")).image;
    const QImage plain = drawMap(bitmap, GoldenLines, false);
    const QImage labelled = drawMap(bitmap, {{"ЖЖЖ", "1", "1", 24, 5, 12}}, true);
    // The label is dark on the red region, right and below its point, and does not stop
    // the fill (which ran first).
    int dark = 0;
    for (int y = 5; y < 14; ++y)
        for (int x = 24; x < 42; ++x)
            if (qRed(labelled.pixel(x, y)) < 200) ++dark;
    EXPECT_GT(dark, 3);
    EXPECT_EQ(labelled.pixel(41, 14), standardColor(12));
    EXPECT_EQ(labelled.pixel(22, 5), standardColor(12));
    EXPECT_EQ(plain.pixel(41, 14), standardColor(12));
}

TEST(MapDrawing, MissingUnreadableAndHugeBitmaps) {
    TempWorkspace ws;
    ws.mkdir("MAP");
    MapBitmap bitmap = loadMapBitmap(ws.file("MAP"));
    EXPECT_EQ(bitmap.status, MapBitmap::Status::Missing);
    EXPECT_TRUE(bitmap.image.isNull());
    EXPECT_EQ(bitmapMessage(bitmap), "Отсутствует файл -> " + ws.file("MAP/map.bmp"));

    ws.writeBytes("MAP/map.bmp", "not a picture at all");
    bitmap = loadMapBitmap(ws.file("MAP"));
    EXPECT_EQ(bitmap.status, MapBitmap::Status::Unreadable);
    EXPECT_EQ(bitmapMessage(bitmap), "Ошибка при загрузке :\r\n" + ws.file("MAP/map.bmp"));

    // A bitmap of 8000 x 8000 pixels is refused before anything is allocated.
    QByteArray header("BM");
    auto put32 = [&header](qint32 v) { header.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&header](qint16 v) { header.append(reinterpret_cast<const char*>(&v), 2); };
    const qint32 pixels = 24000 * 8000;
    put32(54 + pixels);
    put32(0);
    put32(54);
    put32(40);
    put32(8000);
    put32(8000);
    put16(1);
    put16(24);
    put32(0);
    put32(pixels);
    for (int i = 0; i < 4; ++i)
        put32(0);
    ws.writeBytes("MAP/map.bmp", header);
    // The pixels take 192 MB, as a sparse file: nothing is written to the disk.
    QFile huge(ws.file("MAP/map.bmp"));
    ASSERT_TRUE(huge.resize(54 + pixels));
    bitmap = loadMapBitmap(ws.file("MAP"));
    EXPECT_EQ(bitmap.status, MapBitmap::Status::TooLarge);
    EXPECT_TRUE(bitmap.image.isNull());
    EXPECT_EQ(bitmapMessage(bitmap),
              "Рисунок карты слишком велик (8000 x 8000) : " + ws.file("MAP/map.bmp"));

    // Drawing on a bitmap that is not loaded says why and draws nothing.
    ws.write("MAP/MAP_Карта", "А\\1\\1\\1\\1\\10\n");
    RecorderPrompt prompt;
    DrawnMap drawn;
    EXPECT_FALSE(drawMapFile(ws.file("MAP"), "Карта", bitmap, prompt, drawn));
    EXPECT_EQ(prompt.messages, (QList<Message>{{Icon::Warning, bitmapMessage(bitmap), ""}}));
    EXPECT_TRUE(drawn.map.isNull());
}

TEST(MapLegend, BandsWithTheirLimitsAndNoData) {
    const QRgb white = qRgb(255, 255, 255);
    // Values 10, 20 and 40 with the default bands: one decimal more than the values have.
    const QList<MapLine> lines{
        {"А", "1", "10", 0, 0, 10}, {"Б", "2", "20", 0, 0, 7}, {"В", "3", "40", 0, 0, 12}};
    QList<ColorBand> bands;
    F_A_Colors_(bands, defaultColorLines());
    EXPECT_EQ(mapLegend(lines, bands, white), (QList<LegendEntry>{{standardColor(10), "10 – 19.9"},
                                                                  {standardColor(7), "19.9 – 29.8"},
                                                                  {standardColor(12), "29.8 – 40"},
                                                                  {white, "нет данных"}}));

    // With one band line the three equal bands are listed.
    F_A_Colors_(bands, {"0 1 3"});
    const QList<MapLine> decimals{{"А", "1", "0.5", 0, 0, 10}, {"Б", "2", "3,5", 0, 0, 12}};
    EXPECT_EQ(mapLegend(decimals, bands, white).at(1),
              (LegendEntry{standardColor(7), "1.5 – 2.5"}));

    // Colours that do not follow the bands (made with other bands): each colour used, with
    // the smallest and the largest of its values, ordered by them.
    F_A_Colors_(bands, defaultColorLines());
    const QList<MapLine> other{
        {"А", "1", "40", 0, 0, 2}, {"Б", "2", "10", 0, 0, 4}, {"В", "3", "12", 0, 0, 4}};
    EXPECT_EQ(mapLegend(other, bands, white), (QList<LegendEntry>{{standardColor(4), "10 – 12"},
                                                                  {standardColor(2), "40 – 40"},
                                                                  {white, "нет данных"}}));

    // A map without values has the no-data entry only.
    EXPECT_EQ(mapLegend({}, bands, qRgb(1, 2, 3)),
              (QList<LegendEntry>{{qRgb(1, 2, 3), "нет данных"}}));
}

TEST(MapLegend, PictureBesideTheMap) {
    const QList<LegendEntry> legend{{standardColor(12), "1 – 2"},
                                    {qRgb(255, 255, 255), "нет данных"}};
    const QImage picture = legendImage("Карта", legend);
    ASSERT_FALSE(picture.isNull());
    QImage map(40, 300, QImage::Format_RGB32);
    map.fill(Qt::black);
    const QImage both = withLegend(map, picture);
    EXPECT_EQ(both.width(), 40 + 12 + picture.width());
    EXPECT_EQ(both.height(), 300);
    EXPECT_EQ(both.pixel(39, 299), qRgb(0, 0, 0));
    EXPECT_EQ(both.pixel(45, 10), qRgb(255, 255, 255));
    // The first colour box holds the colour of its entry.
    bool red = false;
    for (int y = 0; y < picture.height() && !red; ++y)
        for (int x = 0; x < picture.width() && !red; ++x)
            red = picture.pixel(x, y) == standardColor(12);
    EXPECT_TRUE(red);
}

TEST(MapPng, WritingFailsWithTheWriteMessage) {
    TempWorkspace ws;
    RecorderPrompt prompt;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    EXPECT_FALSE(saveMapPng(image, ws.file("no/such/folder/map.png"), prompt));
    EXPECT_EQ(prompt.messages, (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!",
                                                ws.file("no/such/folder/map.png")}}));
    ASSERT_TRUE(saveMapPng(image, ws.file("map.png"), prompt));
    EXPECT_EQ(QImage(ws.file("map.png")).size(), QSize(4, 4));
}
