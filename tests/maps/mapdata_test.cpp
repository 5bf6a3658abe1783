#include <gtest/gtest.h>

#include "maps/mapdata.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::maps;
using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

// A result matrix: label, code, then the query columns.
const mirel::query::Matrix Table{
    {"Север", "1100", "10", "5.5"}, {"Центр", "1200", "20", "*"},
    {"Юг", "1300", "40", ""},       {"Восток", "1400", "***", "1"},
    {"Запад", "1500", "", "2"},     {"Вне карты", "1600", "1000", "3"},
};

// A MAP folder with the layout of five regions (1600 is not on the map, 1700 not in the table).
void mapFolder(const TempWorkspace& ws) {
    ws.write("MAP/MAP.TXT", "Карта областей\n1100\n10 12\n1200\n30 12\n1300\n50 12\n"
                            "1400\n10 30\n1500\n30 30\n1700\n50 30\n");
}

} // namespace

TEST(MapLayout, KeysAndPointsWithGarbageLines) {
    const MapLayout layout = readMapLayout({
        "КАРТА ОБЛАСТЕЙ",         // a line with a blank after no key: skipped
        "1100", "12.6 7.4",       // rounded to the nearest whole numbers
        "1200", "1300",           // a key where the point should be: an error, and 1300 is a key
        "5 6", "1400", "АБВ ГДЕ", // no numbers
        "1500", "-3 +4,5", "ЛИШНЯЯ СТРОКА", "1600",
        "7 8 9", // what follows the second number is ignored
        "1800",  // a key on the last line: ignored
    });
    EXPECT_EQ(layout.points,
              (QList<MapPoint>{{"1100", 13, 7}, {"1300", 5, 6}, {"1500", -3, 5}, {"1600", 7, 8}}));
    EXPECT_EQ(layout.badLines, (QList<int>{4, 7}));
    EXPECT_TRUE(readMapLayout({QString()}).points.isEmpty());
    EXPECT_TRUE(readMapLayout({"1100", "99999999999 1"}).points.isEmpty());
}

TEST(MapTable, ItemsScanAndSpan) {
    const QList<QStringList> table = F_AA_For_Map(Table, 1);
    EXPECT_EQ(table.at(0), QStringList({"Север", "1100", "10"}));
    EXPECT_EQ(F_AA_For_Map(Table, 2).at(1), QStringList({"Центр", "1200", "*"}));
    EXPECT_EQ(F_AA_For_Map(Table, 7).at(0), QStringList({"Север", "1100", ""}));
    EXPECT_EQ(AAA_Scan(table, "1300", 1), 3);
    EXPECT_EQ(AAA_Scan(table, "1700", 1), 0);

    const QList<MapPoint> points{
        {"1100", 0, 0}, {"1200", 0, 0}, {"1300", 0, 0}, {"1400", 0, 0}, {"1500", 0, 0}};
    double minimum = 999999999;
    double maximum = -999999999;
    // 1600 (1000) is not on the map; "***" and "" are no values.
    EXPECT_FALSE(F_Min_Max(table, points, minimum, maximum));
    EXPECT_EQ(minimum, 10);
    EXPECT_EQ(maximum, 40);

    // Values beyond a billion count like any other.
    const QList<QStringList> large{{"A", "1100", "2500000000"}, {"B", "1200", "3000000000"}};
    EXPECT_FALSE(F_Min_Max(large, points, minimum, maximum));
    EXPECT_EQ(minimum, 2500000000.0);
    EXPECT_EQ(maximum, 3000000000.0);
    const QList<QStringList> one{{"A", "1100", "7"}};
    EXPECT_TRUE(F_Min_Max(one, points, minimum, maximum));
}

TEST(MapPreparation, WritesTheMapDataFileOfAColumn) {
    TempWorkspace ws;
    mapFolder(ws);
    RecorderPrompt prompt;
    QString path;
    EXPECT_EQ(prepareMap(Table, 1, "Население", ws.file("MAP"), prompt, path), Prepared::Written);
    EXPECT_EQ(path, ws.file("MAP/MAP_Население"));
    // 10, 20 and 40 with the default bands; "***", empty, and 1600 (not on the map) left out.
    EXPECT_EQ(ws.readBytes("MAP/MAP_Население"),
              cp1251("Север\\1100\\10\\10\\12\\10\r\nЦентр\\1200\\20\\30\\12\\7\r\n"
                     "Юг\\1300\\40\\50\\12\\12\r\n"));
    EXPECT_EQ(ws.readBytes("MAP/colors.inf"), cp1251("0 0.33 10\r\n0.33 0.66 7\r\n0.66 1 12\r\n"));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(prompt.questions.isEmpty());

    // Column 2: "*" and "" are no values; 1, 2 and 5.5 make the span.
    EXPECT_EQ(prepareMap(Table, 2, "Вторая", ws.file("MAP"), prompt, path), Prepared::Written);
    EXPECT_EQ(ws.read("MAP/MAP_Вторая"), "Север\\1100\\5.5\\10\\12\\12\r\n"
                                         "Восток\\1400\\1\\10\\30\\10\r\n"
                                         "Запад\\1500\\2\\30\\30\\10\r\n");
}

TEST(MapPreparation, NamesAndReplacing) {
    TempWorkspace ws;
    mapFolder(ws);
    RecorderPrompt prompt;
    QString path;
    EXPECT_EQ(prepareMap(Table, 1, "", ws.file("MAP"), prompt, path), Prepared::Failed);
    EXPECT_EQ(prepareMap(Table, 1, "../Вне", ws.file("MAP"), prompt, path), Prepared::Failed);
    EXPECT_EQ(prepareMap(Table, 1, "..", ws.file("MAP"), prompt, path), Prepared::Failed);
    EXPECT_EQ(prompt.messages,
              (QList<Message>{{Icon::None, "Не введено название карты !!!", ""},
                              {Icon::Error, "Недопустимое название карты : ../Вне", ""},
                              {Icon::Error, "Недопустимое название карты : ..", ""}}));
    EXPECT_EQ(mirel::platform::listFiles(ws.path()), QStringList());
    EXPECT_EQ(mirel::platform::listFiles(ws.file("MAP")), QStringList({"MAP.TXT"}));

    // An existing map is replaced only when the person agrees.
    ws.write("MAP/MAP_Старая", "Старая\\1100\\1\\1\\1\\1\n");
    prompt.clear();
    prompt.answers = {false, true};
    EXPECT_EQ(prepareMap(Table, 1, "Старая", ws.file("MAP"), prompt, path), Prepared::Kept);
    EXPECT_EQ(ws.read("MAP/MAP_Старая"), "Старая\\1100\\1\\1\\1\\1\r\n");
    EXPECT_EQ(prepareMap(Table, 1, "Старая", ws.file("MAP"), prompt, path), Prepared::Written);
    EXPECT_TRUE(ws.read("MAP/MAP_Старая").startsWith("Север\\1100\\10\\"));
    ASSERT_EQ(prompt.questions.size(), 2);
    EXPECT_EQ(prompt.questions.at(0).text, "Карта Старая уже существует. Заменить ?");

    // The name box of "Карта": the prompt, the title with the column, the answer trimmed.
    prompt.clear();
    prompt.inputs = {QString("  Моя карта "), std::nullopt};
    EXPECT_EQ(F_Map_Name(prompt, 4), "Моя карта");
    EXPECT_EQ(F_Map_Name(prompt, 4), "");
    EXPECT_EQ(prompt.questions.at(0),
              (Message{Icon::Question, "Название карты :", "Интерпретировать данные колонки 4"}));
}

TEST(MapPreparation, LayoutFaults) {
    TempWorkspace ws;
    ws.mkdir("MAP");
    RecorderPrompt prompt;
    QString path;
    EXPECT_FALSE(writeMapData(Table, 1, "Карта", ws.file("MAP"), prompt, path));
    EXPECT_EQ(prompt.texts(), QStringList({"Отсутствует файл -> " + ws.file("MAP/MAP.TXT")}));
    EXPECT_FALSE(ws.exists("MAP/MAP_Карта"));
    EXPECT_FALSE(ws.exists("MAP/colors.inf"));

    // A coordinate line that cannot be read: the message, and that region is left out.
    ws.write("MAP/MAP.TXT", "1100\n1200\n30 12\n1300\nпятьдесят двенадцать\n");
    prompt.clear();
    EXPECT_TRUE(writeMapData(Table, 1, "", ws.file("MAP"), prompt, path));
    EXPECT_EQ(prompt.texts(), QStringList({"Ошибка в файле MAP.txt", "Ошибка в файле MAP.txt"}));
    EXPECT_EQ(path, ws.file("MAP/MAP_"));
    // Only 1200 is placed: the span is one value, and it takes the first band.
    EXPECT_EQ(ws.read("MAP/MAP_"), "Центр\\1200\\20\\30\\12\\10\r\n");
}

TEST(MapDataFile, ReadingNamesAndGarbage) {
    TempWorkspace ws;
    ws.write("MAP/MAP_", "Север\\1100\\10\\10\\12\\10\n");
    ws.write("MAP/map_Вторая", "А\\Б\\1100\\5\\1\\2\\3\n" // a "\" in the label
                               "Кривая строка\n"          // not six fields
                               "В\\1200\\5\\x\\2\\3\n"    // no number
                               "Г\\1300\\5\\1\\2\\16\n"   // no standard colour
                               "д\\1400\\6\\ 4 \\5\\12.0\n");
    ws.write("MAP/MAP_Пустая", "\n  \n");
    ws.write("MAP/MAP.TXT", "1100\n1 1\n");
    ws.write("MAP/Другое", "x");
    EXPECT_EQ(mapNames(ws.file("MAP")), QStringList({"", "Вторая", "Пустая"}));
    EXPECT_EQ(mapTitle(""), "Данные");
    EXPECT_EQ(mapTitle("Вторая"), "Вторая");
    EXPECT_EQ(mapNameOfPath("/a/MAP_x/MAP_Карта MAP_2"), "2");
    EXPECT_EQ(mapNameOfPath(ws.file("MAP/MAP_")), "");

    RecorderPrompt prompt;
    auto lines = readMapData(ws.file("MAP/MAP_Вторая"), prompt);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines,
              (QList<MapLine>{{"А\\Б", "1100", "5", 1, 2, 3}, {"Д", "1400", "6", 4, 5, 12}}));
    EXPECT_EQ(prompt.messages,
              (QList<Message>{
                  {Icon::Warning, "Ошибка в файле карты : " + ws.file("MAP/MAP_Вторая"), ""}}));
    prompt.clear();
    EXPECT_FALSE(readMapData(ws.file("MAP/MAP_Пустая"), prompt));
    EXPECT_EQ(prompt.texts(), QStringList({"Файл пуст : " + ws.file("MAP/MAP_Пустая")}));

    // A line written and read again is the same line.
    const MapLine line{"Г. ЮЖНОГОРСК", "1307", "97.5", 232, 496, 12};
    MapLine back;
    EXPECT_TRUE(parseMapDataLine(mapDataLine(line), back));
    EXPECT_EQ(back, line);
}
