#include <gtest/gtest.h>

#include "data/reports.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "reference/session.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
namespace core = mirel::core;

namespace {

// A workspace with form 101 (two versions: three sections from 2001, two from 2002) and a
// classifier without region 1200.
struct Reports {
    TempWorkspace ws;
    mirel::reference::Session session;
    RecorderPrompt prompt;

    Reports() {
        ws.write("SHIF/shif.txt", "Код Наименование\n1100 Северная зона\n1101 Березовский район\n");
        ws.write("FORM/2001_01.101/101_0101.1S", "Н;1;2;3;\n1\n2\n");
        ws.write("FORM/2001_01.101/101_0101.2S", "Н;1;2;\n1\n2\n3\n4\n");
        ws.write("FORM/2001_01.101/101_0101.3S", "Н;1;2;\n1\n2\n");
        ws.write("FORM/2002_01.101/101_0201.1S", "Н;1;\n1\n");
        ws.write("FORM/2002_01.101/101_0201.2S", "Н;1;\n1\n");
        for (const char* d : {"DAT", "ARM"})
            ws.mkdir(d);
        session.programDir = ws.path();
        session.dirs[core::DirARM] = ws.path();
        session.dirs[core::DirDAT] = ws.file("DAT");
        session.dirs[core::DirFORM] = ws.file("FORM");
        session.dirs[core::DirSHIF] = ws.file("SHIF");
    }
    ReportsBase base() {
        ReportsBase b;
        EXPECT_TRUE(loadReportsBase(session, b, prompt));
        return b;
    }
    void data(const QString& relative, const QString& lines) {
        ws.write("DAT/" + relative, "PR_?\n! 0000\n" + lines);
    }
};

// The tree as indented lines "text [key]".
QStringList lines(const QList<ReportNode>& nodes, int level = 0) {
    QStringList out;
    for (const ReportNode& n : nodes) {
        out << QString(2 * level, ' ') + n.text + " [" + n.key + "]";
        out << lines(n.children, level + 1);
    }
    return out;
}

} // namespace

TEST(ReportsTree, YearRuleTurnsAt8000) {
    EXPECT_EQ(reportYear("0112"), "2001");
    EXPECT_EQ(reportYear("7912"), "2079");
    EXPECT_EQ(reportYear("8000"), "2080"); // not greater than "8000"
    EXPECT_EQ(reportYear("8001"), "1980");
    EXPECT_EQ(reportYear("8012"), "1980");
    EXPECT_EQ(reportYear("9912"), "1999");
    const auto f = parseReportFolder("DAT_8012.101");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->periodCode(), "198012");
}

TEST(ReportsTree, FolderAndFileNames) {
    const auto f = parseReportFolder("DAT_0112.101");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->formCode, "101");
    EXPECT_EQ(f->shortPeriod, "0112");
    EXPECT_EQ(parseReportFolder("dat_0112.101.OLD")->formCode, "101.OLD"); // after the first "."
    for (const char* bad :
         {"DAT_0112", "DAT_112.101", "DAT_01a2.101", "DAT_0112.", "DATA_0112.101", "0112.101"})
        EXPECT_FALSE(parseReportFolder(bad)) << bad;

    for (const char* good : {"1100.01", "0.1", "1100.123"})
        EXPECT_TRUE(isRegionDataFile(good)) << good;
    for (const char* bad : {"1100.TXT", "1100", "1100.", ".01", "11a0.01", "1100.01.bak", "x.01"})
        EXPECT_FALSE(isRegionDataFile(bad)) << bad;
}

TEST(ReportsTree, FormsPeriodsAndRegionsFromOddFolders) {
    Reports r;
    r.data("DAT_0112.101/1100.01", "1 1 2 3\n");
    r.data("DAT_0112.101/1100.02", "1 1 2\n");
    r.data("DAT_0112.101/1200.01", "1 1 2 3\n");
    r.ws.write("DAT/DAT_0112.101/1100.TXT", "примечание\n"); // not data of region 1100
    r.ws.write("DAT/DAT_0112.101/1300.TXT", "примечание\n");
    r.data("DAT_8012.101/1101.01", "1 5 5 5\n");
    r.data("dat_8012.101/1101.02", "1 5 5\n"); // the same period in another case: one node
    r.ws.write("DAT/DAT_2412.130/ПРОЧТИ.TXT", "нет отчетов\n"); // nothing of a region
    r.ws.mkdir("DAT/DAT_2411.130");
    r.ws.mkdir("DAT/DAT_24.130"); // not a period
    r.ws.mkdir("DAT/ARCHIVE");
    r.ws.write("DAT/DAT_2410.130", "a file, not a folder\n");

    const ReportsBase base = r.base();
    EXPECT_EQ(
        lines(reportsTree(base, r.prompt)),
        (QStringList{"форма 101 [F101]", "  0112 [D101_0112]", "  8012 [D101_8012]",
                     "форма 130 [F130]", "  2411 [D130_2411]", "    Нет данных [no_D130_2411]",
                     "  2412 [D130_2412]", "    Нет данных [no_D130_2412]"}));
    EXPECT_EQ(r.prompt.messages, QList<Message>{});

    const QList<ReportNode> full = fullReportsTree(base, r.prompt);
    EXPECT_EQ(lines(full).mid(0, 5),
              (QStringList{"форма 101 [F101]", "  0112 [D101_0112]",
                           "    1100 - Северная зона [D101_0112_1100]", "    1200 [D101_0112_1200]",
                           "  8012 [D101_8012]"}));
    EXPECT_EQ(full.first().children.at(1).children.size(), 1);
    EXPECT_EQ(r.prompt.messages, QList<Message>{});
}

TEST(ReportsTree, MissingOrEmptyDataSaySo) {
    Reports r;
    ReportsBase base = r.base();
    EXPECT_TRUE(reportsTree(base, r.prompt).isEmpty());
    EXPECT_TRUE(regionNodes(base, *parseReportFolder("DAT_0112.101"), r.prompt).isEmpty());
    EXPECT_EQ(r.prompt.messages, (QList<Message>{{Icon::Information, "Нет данных !!!", ""},
                                                 {Icon::Information, "Нет данных !!!", ""}}));

    r.prompt.clear();
    base.datDir = r.ws.file("NODAT");
    EXPECT_TRUE(fullReportsTree(base, r.prompt).isEmpty());
    EXPECT_EQ(r.prompt.messages,
              (QList<Message>{{Icon::Error, "Отсутствует директорий " + base.datDir, ""}}));
}

TEST(ReportsTree, OpeningNeedsTheFormFolderAndTheClassifier) {
    {
        Reports r;
        QFile::remove(r.ws.file("SHIF/shif.txt"));
        ReportsBase base;
        EXPECT_FALSE(loadReportsBase(r.session, base, r.prompt));
        EXPECT_EQ(r.prompt.messages,
                  (QList<Message>{{Icon::Error, "Отсутствует файл " + r.ws.file("SHIF/shif.txt"),
                                   "ОШИБКА !!!"}}));
    }
    {
        Reports r;
        r.session.dirs[core::DirFORM] = r.ws.file("NOFORM");
        ReportsBase base;
        EXPECT_FALSE(loadReportsBase(r.session, base, r.prompt));
        EXPECT_EQ(
            r.prompt.messages,
            (QList<Message>{{Icon::Error, "Отсутствует директорий " + r.ws.file("NOFORM"), ""}}));
    }
    {
        // The configured folders are the ones read, wherever they lie.
        Reports r;
        r.ws.write("ELSE/SHIF/SHIF.TXT", "1100 Другая зона\n");
        r.session.dirs[core::DirSHIF] = r.ws.file("ELSE/SHIF");
        r.session.dirs[core::DirDAT] = r.ws.file("ELSE/DAT");
        r.ws.write("ELSE/DAT/DAT_0112.101/1100.01", "1 1 2 3\n");
        const ReportsBase base = r.base();
        EXPECT_EQ(lines(fullReportsTree(base, r.prompt)).value(2),
                  "    1100 - Другая зона [D101_0112_1100]");
    }
}

TEST(RegionReport, SectionsOfTheVersionForThePeriod) {
    Reports r;
    r.data("DAT_0112.101/1100.01", "1 1 2 3\n2 4 5 6\n");
    r.data("DAT_0112.101/1100.03", "1 7 8\n");
    const ReportsBase base = r.base();
    const RegionReport report =
        readRegionReport(base, *parseReportFolder("DAT_0112.101"), "1100", r.prompt);
    EXPECT_EQ(r.prompt.messages, QList<Message>{});
    EXPECT_EQ(report.basePeriod, "200101");
    EXPECT_EQ(report.sections, (QList<int>{1, 2, 3}));
    ASSERT_EQ(report.matrices.size(), 3);
    EXPECT_TRUE(report.matrices.at(0));
    EXPECT_FALSE(report.matrices.at(1)); // no file
    EXPECT_EQ(report.matrices.at(2)->value(1, 2), "8");
    EXPECT_EQ(report.caption(base.regions),
              "ФОРМА 101 : 1100 - Северная зона. Отчетный период : 2001 12");
}

TEST(RegionReport, UncataloguedFormsShowTheRegionsFiles) {
    Reports r;
    r.data("DAT_0112.777/1200.01", "1 1\n");
    r.data("DAT_0112.777/1200.04", "2 1 1\n");
    r.data("DAT_0112.777/1201.02", "1 1\n");
    r.data("DAT_0112.777/1200.5", "1 1\n"); // no section file name
    r.data("DAT_0112.777/1200.100", "1 1\n");
    r.data("DAT_0012.101/1200.02", "1 1\n"); // December 2000: before the first version
    const ReportsBase base = r.base();
    RegionReport report =
        readRegionReport(base, *parseReportFolder("DAT_0112.777"), "1200", r.prompt);
    EXPECT_EQ(report.entry, -1);
    EXPECT_EQ(report.sections, (QList<int>{1, 4}));
    EXPECT_EQ(report.caption(base.regions), "ФОРМА 777 : 1200. Отчетный период : 2001 12");

    report = readRegionReport(base, *parseReportFolder("DAT_0012.101"), "1200", r.prompt);
    EXPECT_EQ(report.entry, -1);
    EXPECT_EQ(report.sections, (QList<int>{2}));
    EXPECT_EQ(
        r.prompt.messages,
        (QList<Message>{{Icon::Error, "Форма не каталогизирована !!!", "ОШИБКА !!!"},
                        {Icon::Error, "Форма не каталогизирована для данного отчетного периода!!!",
                         "ОШИБКА !!!"}}));
}

TEST(DisplayGrid, ShortMatricesShowZerosAndLongerOnesKeepTheirValues) {
    Reports r;
    r.data("DAT_0112.101/1100.01", "1 1 2 3\n"); // one of the two rows
    r.data("DAT_0112.101/1100.02", "5 1 2 3\n"); // wider and longer than 4 x 2
    const ReportsBase base = r.base();
    const RegionReport report =
        readRegionReport(base, *parseReportFolder("DAT_0112.101"), "1100", r.prompt);

    DisplayGrid g = displayGrid(report, base.forms, 0);
    EXPECT_EQ(g.section, 1);
    EXPECT_EQ(g.cells, (QList<QStringList>{{"1", "2", "3"}, {"0", "0", "0"}}));
    g = displayGrid(report, base.forms, 1);
    EXPECT_EQ(g.rows, 5);
    EXPECT_EQ(g.columns, 3);
    EXPECT_EQ(g.cells.at(4), (QStringList{"1", "2", "3"}));
    g = displayGrid(report, base.forms, 2); // no file: the structure's shape in zeros
    EXPECT_EQ(g.cells, (QList<QStringList>{{"0", "0"}, {"0", "0"}}));
    EXPECT_FALSE(g.changed);
    EXPECT_FALSE(g.setCell(3, 1, "9"));
    EXPECT_TRUE(g.setCell(2, 2, "9"));
    EXPECT_TRUE(g.changed);
}

TEST(DisplayGrid, F2WritesTheSectionWithMarkQuestion) {
    Reports r;
    r.ws.write("DAT/DAT_0112.101/1100.03", "PR_++\n! 0000 101 03 01 12 1100\n1 0 0\n");
    ReportsBase base = r.base();
    const RegionReport report =
        readRegionReport(base, *parseReportFolder("DAT_0112.101"), "1100", r.prompt);
    DisplayGrid g = displayGrid(report, base.forms, 2);
    g.setCell(2, 1, "");
    ASSERT_TRUE(saveDisplayGrid(g, base.datDir, report, r.prompt));
    // All zero, still "?"; the empty cell written as "0"; row numbers as labels.
    EXPECT_EQ(r.ws.readBytes("DAT/DAT_0112.101/1100.03"),
              cp1251("PR_?\r\n! 0000 101 03 01 12 1100\r\n1 0 0\r\n2 0 0\r\n"));
    EXPECT_FALSE(g.changed);
    EXPECT_EQ(r.prompt.messages, (QList<Message>{{Icon::Information, "Записано !!!", ""}}));

    // Into the configured data directory, its period folder made when missing.
    r.prompt.clear();
    base.datDir = r.ws.file("ELSE");
    r.ws.mkdir("ELSE");
    g.setCell(1, 2, "7.5");
    ASSERT_TRUE(saveDisplayGrid(g, base.datDir, report, r.prompt));
    EXPECT_EQ(r.ws.readBytes("ELSE/DAT_0112.101/1100.03"),
              cp1251("PR_?\r\n! 0000 101 03 01 12 1100\r\n1 0 7.5\r\n2 0 0\r\n"));
}

TEST(DisplayGrid, AProtectedFileIsRefused) {
    Reports r;
    const QByteArray before = cp1251("PR_++\r\n! 0000 101 01 01 12 1100\r\n1 1 2 3\r\n");
    r.ws.writeBytes("DAT/DAT_0112.101/1100.01", before);
    ASSERT_TRUE(mirel::platform::setReadOnly(r.ws.file("DAT/DAT_0112.101/1100.01"), true));
    const ReportsBase base = r.base();
    const RegionReport report =
        readRegionReport(base, *parseReportFolder("DAT_0112.101"), "1100", r.prompt);
    DisplayGrid g = displayGrid(report, base.forms, 0);
    g.setCell(1, 1, "100");
    EXPECT_FALSE(saveDisplayGrid(g, base.datDir, report, r.prompt));
    EXPECT_TRUE(g.changed);
    EXPECT_EQ(r.ws.readBytes("DAT/DAT_0112.101/1100.01"), before);
    EXPECT_EQ(r.prompt.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!",
                               r.ws.file("DAT/DAT_0112.101/1100.01")},
                              {Icon::Error, "Ошибка при записи данных !!!", ""}}));
}
