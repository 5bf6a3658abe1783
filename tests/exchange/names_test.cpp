#include <gtest/gtest.h>

#include "exchange/excelnames.h"
#include "fixture.h"
#include "platform/fileio.h"

using namespace mirel;
using namespace mirel::test;

TEST(ExcelNames, SplitsNamesAndChecksThePeriod) {
    const struct {
        const char* name;
        bool invalid;
        const char* cod;
        const char* fff;
        const char* yymm;
    } cases[] = {
        {"1401_101_0506.xls", false, "1401", "101", "0506"},
        {"01401_101_0506.xlsx", false, "01401", "101", "0506"},
        {"1401_101_0506.ods", false, "1401", "101", "0506"},
        {"1401_101_0507.xls", true, "1401", "101", "0507"},
        {"1401_101_0506.txt", true, "1401", "101", "0506"},
        {"1401_10_0506.xls", false, "1401", "10", "0506"},
        {"1401_101_05.xls", true, "1401", "101", "05.x"},
        {"1401_101_0.x", true, "1401", "101", ""},
        {"1401_101.xls", true, "1401", "", ""},
        {"1401_.xls", true, "1401", "", ""},
        {"1401.xls", true, "", "", ""},
        {"_101_0506.xls", false, "", "101", "0506"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exchange::XlsName parts;
        EXPECT_EQ(exchange::V_XLS(QString::fromUtf8(c.name), parts, "0506"), c.invalid);
        EXPECT_EQ(parts.cod, QLatin1String(c.cod));
        EXPECT_EQ(parts.fff, QLatin1String(c.fff));
        EXPECT_EQ(parts.yymm, QLatin1String(c.yymm));
    }
}

// Every kind of bad name gets its message in front of it; listing again gives no second one,
// and a name taken by an earlier rejected file is not overwritten.
TEST(ExcelImport, ListingRejectsEachKindOnce) {
    ImportFixture f;
    for (const char* name :
         {"1401_101_0506.xls", "01402_101_0506.ods", "1401.xls", "9999_101_0506.xlsx",
          "1401_101.ods", "1401_10_0506.xls", "1401_103_0506.xls", "1401_101_0507.xlsx",
          "Отчет_101_0506.xls", "1401_102_0506.xls",
          "Недействительное значение кода формы - 1401_10_0506.xls"})
        f.addWorkbook("values.xls", QString::fromUtf8(name));
    f.ws.write(f.inFolder("1401_101_0506.txt"), "текст\n");
    ASSERT_TRUE(f.start());

    // In folder order; the form node stands where its first workbook is.
    const QStringList expected{
        "101\t2",
        "  01402_101_0506.ods\t1",
        "  1401_101_0506.xls\t1",
        "Не выделен код региона - 1401.xls\t4",
        "Не выделен код формы - 1401_101.ods\t4",
        "Не файл Excel - 1401_101_0506.txt\t4",
        "Недействительное значение отчетного периода - 1401_101_0507.xlsx\t4",
        "102 - нет файлов настроек !!!\t2",
        "  1401_102_0506.xls\t4",
        "Недействительное значение кода формы - 1401_103_0506.xls\t4",
        "Недействительное значение кода формы - 1401_10_0506_1.xls\t4",
        "Недействительное значение кода региона - 9999_101_0506.xlsx\t4",
        "Недействительное значение кода формы - 1401_10_0506.xls\t4",
        "Отчет_101_0506.xls\t4",
    };
    exchange::Listing listing = exchange::listImportFolder(f.session, "2005", "6", f.prompt);
    ASSERT_EQ(listing.status, exchange::Listing::Status::Listed);
    EXPECT_EQ(exchange::treeLines(listing.nodes), expected);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    EXPECT_EQ(listing.nodes.at(0).key, "форма 101");
    EXPECT_EQ(listing.nodes.at(0).children.at(1).key, f.folder() + "/1401_101_0506.xls");
    EXPECT_TRUE(f.ws.exists(f.inFolder("Недействительное значение кода формы - 1401_10_0506.xls")));
    EXPECT_FALSE(f.ws.exists(f.inFolder("1401_10_0506.xls")));

    const QStringList files = platform::listFiles(f.folder());
    listing = exchange::listImportFolder(f.session, "2005", "6", f.prompt);
    EXPECT_EQ(platform::listFiles(f.folder()), files);
    EXPECT_EQ(exchange::treeLines(listing.nodes).size(), expected.size());
    for (const QString& line : expected)
        EXPECT_TRUE(exchange::treeLines(listing.nodes).contains(line)) << line.toStdString();
}

TEST(ExcelImport, NothingToLoad) {
    ImportFixture f;
    ASSERT_TRUE(f.start());
    exchange::Listing listing = exchange::listImportFolder(f.session, "2005", "6", f.prompt);
    EXPECT_EQ(listing.status, exchange::Listing::Status::NoFiles);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{platform::Icon::Error, "Нет файлов Excel для загрузки !!!", ""}}));

    // Names of another period only: nothing is renamed, the mode is left.
    f.prompt.clear();
    f.addWorkbook("values.xls", "1401_101_0507.xls");
    listing = exchange::listImportFolder(f.session, "2005", "6", f.prompt);
    EXPECT_EQ(listing.status, exchange::Listing::Status::NoneForPeriod);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{platform::Icon::Error,
                               "Нет файлов Excel для заданного отчетного периода !!!",
                               "Отчетный период= 0506"}}));
    EXPECT_TRUE(f.ws.exists(f.inFolder("1401_101_0507.xls")));
}

// Workbooks named after regions in a FFF_YYMM subfolder join the folder under the standard
// name, also when the folder holds other files; a taken name is never overwritten.
TEST(ExcelImport, StagingFolderJoinsTheFolder) {
    ImportFixture f;
    f.addWorkbook("values.xls", "101_0506/Первый район.xls");
    f.addWorkbook("values.ods", "101_0506/второй РАЙОН.ods");
    f.addWorkbook("values.xls", "101_0506/Неизвестный район.xls");
    f.addWorkbook("values.xls", "1402_101_0506.ODS");
    f.addWorkbook("values.xls", "10_0506/Первый район.xls");
    ASSERT_TRUE(f.start());
    const exchange::Listing listing = exchange::listImportFolder(f.session, "2005", "6", f.prompt);
    ASSERT_EQ(listing.status, exchange::Listing::Status::Listed);
    EXPECT_EQ(exchange::treeLines(listing.nodes),
              (QStringList{"101\t2", "  1401_101_0506.XLS\t1", "  1402_101_0506.ODS\t1"}));
    EXPECT_EQ(platform::listFiles(f.folder() + "/101_0506"),
              (QStringList{"второй РАЙОН.ods", "Неизвестный район.xls"}));
    EXPECT_TRUE(f.ws.exists(f.inFolder("10_0506/Первый район.xls")));
    ASSERT_EQ(f.prompt.messages.size(), 1);
    EXPECT_EQ(f.prompt.messages.first().text,
              "Книга не перенесена из папки 101_0506 : имя 1402_101_0506.ODS уже занято");
}
