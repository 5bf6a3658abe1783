#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "process.h"
#include "workspace.h"

using mirel::test::cp1251;
using mirel::test::runMirel;
using mirel::test::TempWorkspace;

namespace {

// The demo workspace: its map, its classifier, the unemployment queries.
void demo(TempWorkspace& ws) {
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
}

const char* const Query = "Безработица/Безработные по районам.PSP";

} // namespace

TEST(MapCommand, PreparesDrawsAndSavesTheMap) {
    TempWorkspace ws;
    demo(ws);
    const QString png = ws.file("молодежь.png");
    auto r = runMirel({"map", Query, "--column", "4", "--name", "Молодежь", "--png", png,
                       "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, ws.file("MAP/MAP_Молодежь") + "\n" + png + "\n");
    const QByteArray data = ws.readBytes("MAP/MAP_Молодежь");
    EXPECT_TRUE(data.startsWith(cp1251("Березовский район\\1101\\22.1\\110\\196\\14\r\n")));
    EXPECT_TRUE(data.endsWith(cp1251("г. Южногорск\\1307\\11.9\\232\\496\\10\r\n")));

    // The picture: the map of 800 x 600 pixels with the legend to its right.
    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 800 + 12);
    EXPECT_EQ(picture.height(), 600);
    EXPECT_EQ(picture.pixel(100, 196), qRgb(255, 255, 0)); // colour 14, light yellow
    EXPECT_EQ(picture.pixel(2, 2), qRgb(255, 255, 255));

    // Without --png the map is prepared and drawn, nothing more.
    r = runMirel({"map", Query, "--column", "1", "--name", "Все", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, ws.file("MAP/MAP_Все") + "\n");
}

TEST(MapCommand, ReplacesAMapOnlyWithYes) {
    TempWorkspace ws;
    demo(ws);
    ws.write("MAP/MAP_Старая", "А\\1101\\1\\110\\196\\2\n");
    auto r =
        runMirel({"map", Query, "--column", "1", "--name", "Старая", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "error: the map exists; --yes replaces it [" + ws.file("MAP/MAP_Старая") + "]\n");
    EXPECT_EQ(ws.read("MAP/MAP_Старая"), "А\\1101\\1\\110\\196\\2\r\n");
    r = runMirel(
        {"map", Query, "--column", "1", "--name", "Старая", "--yes", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(ws.read("MAP/MAP_Старая").startsWith("Березовский район\\1101\\629\\"));
}

TEST(MapCommand, FaultsAndUsage) {
    TempWorkspace ws;
    demo(ws);
    // Usage errors: no column, a column that is no number, no name, no query.
    for (const QStringList& args :
         {QStringList{"map", Query, "--name", "A"},
          QStringList{"map", Query, "--column", "x", "--name", "A"},
          QStringList{"map", Query, "--column", "0", "--name", "A"},
          QStringList{"map", Query, "--column", "1"}, QStringList{"map", "--column", "1"}}) {
        const auto r = runMirel(args + QStringList{"--workspace", ws.path()});
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, "usage: mirel map QUERY --column N --name NAME [--png FILE]\n");
    }

    auto r = runMirel({"map", Query, "--column", "9", "--name", "A", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: the table has 6 columns\n");
    r = runMirel({"map", Query, "--column", "1", "--name", "", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "info: Не введено название карты !!!\n");
    r = runMirel({"map", Query, "--column", "1", "--name", "a/b", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Недопустимое название карты : a/b\n");

    // A bitmap that cannot be read: the map data file is written, the drawing fails.
    ws.writeBytes("MAP/map.bmp", "broken");
    r = runMirel({"map", Query, "--column", "1", "--name", "B", "--png", ws.file("b.png"),
                  "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, ws.file("MAP/MAP_B") + "\n");
    EXPECT_EQ(r.err, "warning: Ошибка при загрузке : / " + ws.file("MAP/map.bmp") + "\n");
    EXPECT_FALSE(ws.exists("b.png"));

    // Without MAP.TXT nothing is written.
    mirel::test::TempWorkspace bare;
    demo(bare);
    QFile::remove(bare.file("MAP/MAP.TXT"));
    r = runMirel({"map", Query, "--column", "1", "--name", "C", "--workspace", bare.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "info: Отсутствует файл -> " + bare.file("MAP/MAP.TXT") + "\n");
    EXPECT_FALSE(bare.exists("MAP/MAP_C"));
}
