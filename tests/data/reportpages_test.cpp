#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "data/reportpages.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

SectionMatrix matrix(const QList<QStringList>& cells) {
    SectionMatrix m;
    m.rows = int(cells.size());
    m.columns = cells.isEmpty() ? 0 : int(cells.first().size());
    m.cells = cells;
    return m;
}

// Region 1100 of form 101 for December 2001: section 1 of 2 x 2 values, section 2 of one row
// (the structure has more), section 3 without data.
RegionReport report() {
    RegionReport r;
    r.folder = *parseReportFolder("DAT_0112.101");
    r.regionCode = "1100";
    r.regionName = "Северная зона";
    r.entry = 0;
    r.sections = {1, 2, 3};
    r.matrices = {matrix({{"1", "2"}, {"3", "4.5"}}), matrix({{"7", "8", "9"}}), std::nullopt};
    return r;
}

} // namespace

TEST(ReportTemplate, PlaceholdersAreFilled) {
    const RegionReport r = report();
    EXPECT_EQ(fillReportTemplate("<p>name_region</p><b>gg</b>.<b>mm</b>", r),
              "<p>Северная зона</p><b>2001</b>.<b>12</b>");
    // Sections with or without a leading zero; a row or column the matrix has not is 0; the
    // section without data is 0 throughout.
    EXPECT_EQ(fillReportTemplate("<td>1\\2\\2</td><td>01\\1\\1</td><td>2\\5\\1</td>"
                                 "<td>2\\1\\4</td><td>3\\1\\1</td>",
                                 r),
              "<td>4.5</td><td>1</td><td>0</td><td>0</td><td>0</td>");
    // Every occurrence, also with nothing but ">" and "<" around it.
    EXPECT_EQ(fillReportTemplate(">1\\1\\2<>1\\1\\2<", r), ">2<>2<");
    // A ">" inside the text starts the cell text that counts.
    EXPECT_EQ(fillReportTemplate("<a title=\">x\">1\\1\\1</a>", r), "<a title=\">x\">1</a>");
    // Names and figures are text in the page, not markup.
    RegionReport odd = report();
    odd.regionName = "Зона <Север> & Юг";
    odd.matrices[0]->cells[0][0] = "1<b>";
    EXPECT_EQ(fillReportTemplate("<p>name_region</p><td>1\\1\\1</td>", odd),
              "<p>Зона &lt;Север&gt; &amp; Юг</p><td>1&lt;b&gt;</td>");
}

TEST(ReportTemplate, OtherTextsStayAsTheyAre) {
    const RegionReport r = report();
    for (const char* text : {"<td>4\\1\\1</td>", // the form has no section 4
                             "<td>1\\1</td>",
                             "<td>1\\1\\1\\1</td>",
                             "<td> 1\\1\\1</td>",
                             "<td>1\\1\\1 </td>",
                             "<td>1\\a\\1</td>",
                             "<td>1\\\\1</td>",
                             "<td>1\\1\\</td>",
                             "<td>1</td>",
                             "<td>1\\1\\12345678901</td>",
                             "<td>NAME_REGION</td>",
                             "<td>name_region </td>",
                             "<td>ggg</td>",
                             "a > b",
                             "1\\1\\1<",
                             ">1\\1\\1",
                             "",
                             ">",
                             "<>",
                             "><"})
        EXPECT_EQ(fillReportTemplate(text, r), text) << text;

    RegionReport unknown = report();
    unknown.regionName.clear();
    EXPECT_EQ(fillReportTemplate("<p>name_region</p>", unknown), "<p>1100</p>");
}

TEST(ReportTemplate, CountingNeedsEverySection) {
    RecorderPrompt p;
    RegionReport r = report();
    EXPECT_EQ(countReportValues(r, p), -1);
    EXPECT_EQ(
        p.messages,
        (QList<Message>{{Icon::Error, "Ошибка при чтении данных !!!", "РАЗДЕЛ 03"},
                        {Icon::Error, "Ошибка при определении количества показателей !!!", ""}}));
    p.clear();
    r.matrices[2] = matrix({{"1"}});
    EXPECT_EQ(countReportValues(r, p), 4 + 3 + 1);
    r.matrices = {matrix({QStringList{}})}; // a line with a row number alone: no values
    r.sections = {1};
    EXPECT_EQ(countReportValues(r, p), -1);
    EXPECT_EQ(p.texts(), QStringList{"Ошибка при определении количества показателей !!!"});
}

TEST(ReportPages, TemplatesOfTheVersionFolder) {
    TempWorkspace ws;
    ws.write("FORM/2001_01.101/Б.HTM", "x");
    ws.write("FORM/2001_01.101/а.htm", "x");
    ws.write("FORM/2001_01.101/101_0101.TXT", "x");
    ws.write("FORM/2001_01.101/страница.HTML", "x");
    ws.write("FORM/2002_01.101/В.HTM", "x");
    mirel::reference::FormCatalog forms{{"101", "200101", {}}, {"101", "200201", {}}};
    RegionReport r = report();
    EXPECT_EQ(reportTemplates(ws.file("FORM"), r, forms),
              (QStringList{ws.file("FORM/2001_01.101/а.htm"), ws.file("FORM/2001_01.101/Б.HTM")}));
    r.entry = -1;
    EXPECT_TRUE(reportTemplates(ws.file("FORM"), r, forms).isEmpty());
}

TEST(ReportPages, EachTemplateWrittenAsANewPage) {
    TempWorkspace ws;
    ws.write("T/Справка.HTM", "<html><head><title>name_region</title></head>\n"
                              "<body><td>1\\2\\1</td></body></html>\n");
    ws.write("T/b.htm", "<p>gg mm</p>\n");
    ws.mkdir("W");
    const QStringList templates{ws.file("T/Справка.HTM"), ws.file("T/b.htm")};
    RegionReport r = report();
    r.matrices[2] = matrix({{"0"}});
    RecorderPrompt p;
    WrittenPages written = writeReportPages(ws.file("W"), r, templates, p);
    EXPECT_TRUE(written.complete);
    EXPECT_EQ(written.pages, (QStringList{ws.file("W/101_0112_1100_Справка.HTM"),
                                          ws.file("W/101_0112_1100_b.HTM")}));
    EXPECT_EQ(ws.readBytes("W/101_0112_1100_Справка.HTM"),
              cp1251("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                     "charset=windows-1251\"><title>Северная зона</title></head>\r\n"
                     "<body><td>3</td></body></html>\r\n"));
    EXPECT_EQ(p.messages, QList<Message>{});
    EXPECT_EQ(p.progressMaximum, 2);
    EXPECT_EQ(writtenPagesText(written.pages), "Записано :\r\n" + written.pages.join("\r\n"));

    // Again: new names, the first pages kept as they were.
    ws.write("W/101_0112_1100_b.HTM", "исправлено вручную\n");
    written = writeReportPages(ws.file("W"), r, templates, p);
    EXPECT_EQ(written.pages, (QStringList{ws.file("W/101_0112_1100_Справка_1.HTM"),
                                          ws.file("W/101_0112_1100_b_1.HTM")}));
    EXPECT_EQ(ws.read("W/101_0112_1100_b.HTM"), "исправлено вручную\r\n");
}

TEST(ReportPages, FailuresStopTheRun) {
    TempWorkspace ws;
    ws.write("T/a.HTM", "<p>gg</p>");
    RegionReport r = report();
    RecorderPrompt p;
    // Section 3 has no data: nothing is written.
    WrittenPages written = writeReportPages(ws.path(), r, {ws.file("T/a.HTM")}, p);
    EXPECT_TRUE(written.pages.isEmpty());
    EXPECT_FALSE(written.complete);
    EXPECT_EQ(p.texts(), (QStringList{"Ошибка при чтении данных !!!",
                                      "Ошибка при определении количества показателей !!!"}));
    EXPECT_FALSE(ws.exists("101_0112_1100_a.HTM"));

    // A working directory that is not there.
    p.clear();
    r.matrices[2] = matrix({{"0"}});
    written = writeReportPages(ws.file("NONE"), r, {ws.file("T/a.HTM")}, p);
    EXPECT_FALSE(written.complete);
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", ws.file("NONE")}}));

    // A template gone since it was listed: the pages before it stay.
    p.clear();
    written = writeReportPages(ws.path(), r, {ws.file("T/a.HTM"), ws.file("T/gone.HTM")}, p);
    EXPECT_FALSE(written.complete);
    EXPECT_EQ(written.pages, QStringList{ws.file("101_0112_1100_a.HTM")});
    EXPECT_EQ(p.texts(), QStringList{"Файл не найден !!!\r\n" + ws.file("T/gone.HTM")});
}
