#include <gtest/gtest.h>

#include "exchange/cnvsettings.h"
#include "fixture.h"

using namespace mirel;
using namespace mirel::test;
using exchange::CnvFile;

TEST(CnvSettings, BlocksLinesAndReferences) {
    const struct {
        const char* name;
        QStringList lines;
        CnvFile blocks;
    } cases[] = {
        {"two blocks", {"A1 B1", "A2 B2", "", "C1"}, {{{"A1", "B1"}, {"A2", "B2"}}, {{"C1"}}}},
        {"two blank lines leave a section out", {"A1", "", "", "C1"}, {{{"A1"}}, {}, {{"C1"}}}},
        {"a leading blank line", {"", "A1"}, {{}, {{"A1"}}}},
        {"empty blocks at the end are dropped", {"A1", "", "", "", "  "}, {{{"A1"}}}},
        {"pairs of blanks are one blank", {"  A1  B1 C1  "}, {{{"A1", "B1", "C1"}}}},
        {"three blanks leave an empty reference", {"A1   B1"}, {{{"A1", "", "B1"}}}},
        {"nothing", {"", ""}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(exchange::F_A_Cnv(c.lines), c.blocks);
    }
}

// One file per worksheet, the plain name before the padded one, in text order of the path;
// the tree looks for worksheets 1 to 3 only.
TEST(CnvSettings, FilesInTextOrder) {
    TempWorkspace ws;
    const QString dir = ws.file("FORM");
    for (const char* n : {"1", "01", "10", "02", "4"})
        ws.write(QStringLiteral("FORM/2005_01.101/101_CNV.") + QLatin1String(n), "A1\n");
    const QString stem = dir + "/2005_01.101/101_CNV.";
    EXPECT_EQ(exchange::cnvFileList(dir, "101", "200501"),
              (QStringList{stem + "02", stem + "1", stem + "10", stem + "4"}));
    EXPECT_TRUE(exchange::Found_FilesCnv(dir, "200501", "101"));

    TempWorkspace only4;
    only4.write("FORM/2005_01.101/101_CNV.4", "A1\n");
    EXPECT_FALSE(exchange::Found_FilesCnv(only4.file("FORM"), "200501", "101"));
}

TEST(CnvSettings, LoadingFailures) {
    ImportFixture f;
    ASSERT_TRUE(f.start());
    exchange::CnvSettings settings;
    const QString formDir = f.session.dir(core::DirFORM);

    ASSERT_TRUE(
        exchange::F_A_Cnv_XLS(formDir, f.session.forms, "200506", "101", settings, f.prompt));
    EXPECT_EQ(settings.basePeriod, "200501");
    EXPECT_EQ(settings.files.size(), 2);
    EXPECT_EQ(settings.sheetNumber(1), 2);

    EXPECT_FALSE(
        exchange::F_A_Cnv_XLS(formDir, f.session.forms, "200412", "101", settings, f.prompt));
    EXPECT_FALSE(
        exchange::F_A_Cnv_XLS(formDir, f.session.forms, "200506", "102", settings, f.prompt));
    f.ws.write("FORM/2005_01.101/101_CNV.2", "\n\n");
    EXPECT_FALSE(
        exchange::F_A_Cnv_XLS(formDir, f.session.forms, "200506", "101", settings, f.prompt));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{
                  {platform::Icon::Error,
                   "Форма некаталогизирована для данного отчетного периода !!!", "101"},
                  {platform::Icon::Error, "Нет файлов для заданного отчетного периода !!!", ""},
                  {platform::Icon::None,
                   "Ошибка при формировании условий конвертирования -> " + formDir +
                       "/2005_01.101/101_CNV.2",
                   ""}}));

    // Section numbers have two digits: settings of more than 99 sections are refused.
    f.prompt.clear();
    f.ws.write("FORM/2005_01.101/101_CNV.2", QString("A1\n\n").repeated(99));
    EXPECT_FALSE(
        exchange::F_A_Cnv_XLS(formDir, f.session.forms, "200506", "101", settings, f.prompt));
    EXPECT_EQ(f.prompt.texts(), QStringList{"Ошибка при формировании условий конвертирования -> " +
                                            formDir + "/2005_01.101/101_CNV.2"});
}
