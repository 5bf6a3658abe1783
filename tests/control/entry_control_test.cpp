// What the entry window takes from the control engine: the cells a failed condition refers to,
// a whole-form run it can stop, and the printable page of a section.
#include <gtest/gtest.h>

#include <QDir>

#include "control/formcontrol.h"
#include "control/printpage.h"
#include "fixture.h"
#include "platform/fileio.h"

using namespace mirel;
using namespace mirel::control;
using mirel::platform::Icon;
using mirel::test::ControlFixture;
using mirel::test::Message;
using mirel::test::RecorderBrowser;

namespace {

const QDateTime Clock(QDate(2026, 12, 7), QTime(9, 5, 3));

struct TempDirGuard {
    explicit TempDirGuard(const QString& dir) { platform::setTempDirOverride(dir); }
    ~TempDirGuard() { platform::setTempDirOverride(QString()); }
};

// Sections held in memory; the run asks to stop before section stopAt.
class StoppingSections : public FormSections {
public:
    StoppingSections(const data::SectionGrid& grid, int stopAt)
        : m_cells(grid)
        , m_stopAt(stopAt) {}
    const SectionCells* load(int section) override {
        loaded.append(section);
        return &m_cells;
    }
    bool save(int section, const QString& mark) override {
        saved.append(QString::number(section) + mark);
        return true;
    }
    bool proceed(int section, int count) override {
        EXPECT_EQ(count, 3);
        return section < m_stopAt;
    }
    QList<int> loaded;
    QStringList saved;

private:
    GridCells m_cells;
    int m_stopAt;
};

} // namespace

TEST(WrongCells, TheCellsOfTheSectionInFailedConditionsInOrderOnce) {
    ControlFixture f;
    const ControlRun run = f.run("// Итог\n1\\1\\1=1\\2\\1+1\\3\\1\n1\\1\\1=1\\2\\1+1\\3\\1\n\n"
                                 "// Не меньше двух\nS=1-3\nG=2,3\n1\\S\\G>=2\n");
    ASSERT_TRUE(run.checked());
    EXPECT_EQ(run.wrongCells,
              (QList<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}));

    // Cells of other sections are not the grid's.
    f.writeSection("0503", "101", "02", {"1 1 1 1"});
    const ControlRun other = f.run("1: 101\n2: 101 02\n\n// Чужой раздел\n2\\1\\1=1\\1\\1\n");
    ASSERT_TRUE(other.checked());
    EXPECT_EQ(other.wrongCells, (QList<std::pair<int, int>>{{1, 1}}));
}

TEST(FormRunStop, NothingMoreIsLoadedMarkedOrWrittenOnceTheSectionsAskToStop) {
    ControlFixture f;
    f.ws.mkdir("TMP");
    TempDirGuard temp(f.ws.file("TMP"));
    const reference::FormCatalog catalog{reference::CatalogEntry{
        "101",
        "200501",
        {reference::SectionStructure{"1", {"1", "2", "3", "4", "5"}, {"1", "2", "3"}},
         reference::SectionStructure{"2", {"1", "2", "3", "4", "5"}, {"1", "2", "3"}},
         reference::SectionStructure{"3", {"1", "2", "3", "4", "5"}, {"1", "2", "3"}}}}};
    for (const char* s : {"01", "02", "03"})
        f.ws.write(QString("FORM/2005_01.101/101_0501.") + s + ".LOG", "// Итог\n1\\1\\1>=0\n");
    RecorderBrowser browser;
    StoppingSections sections(f.grid, 2);
    const FormControl run = controlForm(catalog, f.target, sections, "1401 - Район. 101 - Форма",
                                        Clock, f.prompt, browser);
    EXPECT_TRUE(run.ran);
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(sections.loaded, QList<int>{1});
    EXPECT_EQ(sections.saved, QStringList{"1PR_++"});
    EXPECT_TRUE(run.reportPath.isEmpty());
    EXPECT_TRUE(browser.opened.isEmpty());
    EXPECT_TRUE(QDir(f.ws.file("TMP")).isEmpty());
}

TEST(PrintPage, RowsOfFiguresBoldEmptyRowsDashedTextsEscaped) {
    ControlFixture f({{"5", ""}, {"5", "-5"}, {"0", ""}, {"0,4", "0"}});
    data::SectionGrid& g = f.grid;
    g = data::SectionGrid(1, {"1", "2"}, {"01 A<B", "02", "03", "04"});
    g.setCell(1, 1, "5");
    g.setCell(2, 1, "5");
    g.setCell(2, 2, "-5");
    g.setCell(3, 1, "0");
    g.setCell(4, 1, "0,4");
    EXPECT_EQ(matrixTitle(" 1401", "Район", "101", 1, "2005", "3"), "1401 Район 101 01 2005 03");
    const QString page = matrixPage(g, "1401 Район 101 01 2005 03", "1401 - Район. 101 - Форма",
                                    {"на начало", "на конец"}, Clock);
    const QString n = "\r\n";
    EXPECT_TRUE(page.startsWith("<html>" + n + "<head>" + n));
    EXPECT_TRUE(page.contains("<p aline= center><b>1401 Район 101 01 2005 03 ( 7 декабря 2026 г. "
                              "9.5.3 )</b><br>"));
    const int body = int(page.indexOf("<tr>" + n + "<td><b>1401 - Район"));
    ASSERT_GT(body, 0);
    EXPECT_EQ(page.mid(body),
              "<tr>" + n + "<td><b>1401 - Район. 101 - Форма</b></td></tr>" + n + "<tr>" + n +
                  "<td><b>N/N</b></td><td><b>1- на начало</b></td>"
                  "<td><b>2- на конец</b></td></tr>" +
                  n + "<tr>" + n + "<td><b>01 A&lt;B</b></td><td> 5</td><td> 0</td></tr>" + n +
                  "<tr>" + n + "<td><b>02</b></td><td> 5</td><td> -5</td></tr>" + n + "<tr>" + n +
                  "<td><u>03</u></td><td><b>---</b></td><td><b>---</b></td></tr>" + n + "<tr>" + n +
                  "<td><b>04</b></td><td> 0,4</td><td> 0</td></tr>" + n + "</table>" + n +
                  "</font>" + n + "</center>" + n + "</body>" + n + "</html>" + n);
    // Without a section document the columns are numbered only.
    EXPECT_TRUE(matrixPage(g, "t", "s", {}, Clock)
                    .contains("<td><b>N/N</b></td><td><b>1</b></td><td><b>2</b></td></tr>"));
}

TEST(PrintPage, WrittenAsANewPageWithItsCodePageAndShownOrItsPlaceTold) {
    ControlFixture f;
    f.ws.mkdir("TMP");
    TempDirGuard temp(f.ws.file("TMP"));
    RecorderBrowser browser;
    const QString path = Cmd_Matrix(f.grid, "t", "s", {}, Clock, f.prompt, browser);
    EXPECT_EQ(path, f.ws.file("TMP/07_12_2026_09_05_03.HTM"));
    EXPECT_EQ(browser.opened, QStringList{path});
    EXPECT_TRUE(f.ws.read("TMP/07_12_2026_09_05_03.HTM")
                    .startsWith("<html>\r\n<head><meta http-equiv=\"Content-Type\" "
                                "content=\"text/html; charset=windows-1251\">\r\n<title>"));
    EXPECT_TRUE(f.prompt.messages.isEmpty());

    // The same moment again: a new name; no program to show it: where it lies is said.
    class NoBrowser : public platform::Browser {
    public:
        bool open(const QString&) override { return false; }
    } none;
    const QString second = Cmd_Matrix(f.grid, "t", "s", {}, Clock, f.prompt, none);
    EXPECT_EQ(second, f.ws.file("TMP/07_12_2026_09_05_03_1.HTM"));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Information, "Отчет записан в файл : " + second, ""}}));
}
