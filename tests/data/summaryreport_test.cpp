#include <gtest/gtest.h>

#include <QDir>

#include "data/summaryreport.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

class RecorderBrowser : public mirel::platform::Browser {
public:
    bool open(const QString& path) override {
        opened.append(path);
        return true;
    }
    QStringList opened;
};

SectionMatrix matrix(const QList<QStringList>& rows) {
    SectionMatrix m;
    m.rows = int(rows.size());
    m.columns = int(rows.first().size());
    m.cells = rows;
    return m;
}

// Form 101 catalogued from January 2025 with two sections of 2 x 2, region 1401, March 2025.
struct SummaryFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    RecorderBrowser browser;
    EntryForm form;

    SummaryFixture() {
        ws.mkdir("TMP");
        mirel::platform::setTempDirOverride(ws.file("TMP"));
        form.key = DataKey{ws.file("DAT"), "2025", "3", "101", "1401"};
        form.formDir = ws.file("FORM");
        form.basePeriod = "202501";
        form.entry.formCode = "101";
        form.entry.basePeriod = "202501";
        for (const char* s : {"1", "2"})
            form.entry.sections.append({s, {"1", "2"}, {"1", "2"}});
        form.regionName = "Северный район";
        ws.write("FORM/2025_01.101/101_2501.TXT",
                 "Сведения\nN_PERIOD 12\nsvod.htm\n// ИТОГ.HTM\nВТОРОЙ.HTML\n");
    }
    ~SummaryFixture() { mirel::platform::setTempDirOverride(QString()); }
};

} // namespace

TEST(SummaryTemplate, MarkersAreFilledOnceWithEscapedValues) {
    const QList<SummarySection> sections{
        {2, 2, matrix({{"10", "<b>"}, {"30", "40"}})},
        {2, 2, std::nullopt},
    };
    const QString filled =
        fillSummaryTemplate("<p>name_region</p><i>gg</i>/<i>mm</i>"
                            "<td>01\\1\\1</td><td>01\\1\\1</td><td>01\\1\\2</td><td>01\\2\\1</td>"
                            "<td>01\\9\\1</td><td>02\\1\\1</td><td>03\\1\\1</td><td>1\\1\\1</td>",
                            "Район & село", "2025", "03", sections);
    EXPECT_EQ(filled, "<p>Район &amp; село</p><i>2025</i>/<i>03</i>"
                      "<td>10</td><td>01\\1\\1</td><td>&lt;b&gt;</td><td>30</td>"
                      "<td>0</td><td>0</td><td>03\\1\\1</td><td>1\\1\\1</td>");
}

TEST(SummaryReport, TemplatesListedInTheFormsTextFileAreFilledAndShown) {
    SummaryFixture f;
    EXPECT_EQ(summaryTemplates(f.form.formDir, "101", "202501"),
              (QStringList{"svod.htm", "ВТОРОЙ.HTML"}));
    f.ws.write("FORM/2025_01.101/svod.htm", "<html><head></head><body>01\\2\\2 "
                                            ">01\\2\\2< >02\\1\\1<</body></html>\n");
    f.ws.write("FORM/2025_01.101/ВТОРОЙ.HTML", "<b>name_region</b>\n");

    // No data at all: nothing to fill.
    EXPECT_FALSE(VV__Svod(f.form, f.prompt, f.browser));
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{{Icon::Error, "Ошибка при определении количества показателей !!!", ""}}));
    EXPECT_TRUE(QDir(f.ws.file("TMP")).isEmpty());

    f.prompt.clear();
    f.ws.write("DAT/DAT_2503.101/1401.01", "PR_?\n! 0000 101 01 25 03 1401\n1 1 2\n2 3 4\n");
    const auto written = VV__Svod(f.form, f.prompt, f.browser);
    ASSERT_TRUE(written);
    const QString tmp = f.ws.file("TMP") + "/";
    EXPECT_EQ(*written, (QStringList{tmp + "svod_1401_2503.HTM", tmp + "ВТОРОЙ_1401_2503.HTM"}));
    EXPECT_EQ(f.browser.opened, *written);
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{{Icon::Information, "\r\nЗаписано :\r\n" + written->join("\r\n"), ""}}));
    EXPECT_EQ(f.ws.read("TMP/svod_1401_2503.HTM"),
              "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
              "charset=windows-1251\"></head><body>01\\2\\2 >4< >0<</body></html>\r\n");
    EXPECT_EQ(f.prompt.progressMaximum, 2);

    // A listed template that is missing stops the report before anything is written.
    f.prompt.clear();
    QFile::remove(f.ws.file("FORM/2025_01.101/ВТОРОЙ.HTML"));
    EXPECT_FALSE(VV__Svod(f.form, f.prompt, f.browser));
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::Error, "Нет файла ВТОРОЙ.HTML", ""}}));
    EXPECT_EQ(QDir(f.ws.file("TMP")).entryList(QDir::Files).size(), 2);
}
