#include <gtest/gtest.h>

#include <cmath>
#include <QFile>
#include <QRandomGenerator>

#include "control/formcontrol.h"
#include "control/report.h"
#include "core/html.h"
#include "fixture.h"
#include "platform/codec.h"
#include "platform/fileio.h"

using namespace mirel;
using namespace mirel::control;
using mirel::platform::Icon;
using mirel::test::ControlFixture;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

const QDateTime Clock(QDate(2026, 12, 7), QTime(9, 5, 3));

const QString Head = "<html>\r\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                     "charset=windows-1251\">\r\n<title>\r\nОтчет\r\n</title>\r\n</head>\r\n"
                     "<body bgcolor='white'>\r\n<font face='Arial, Helvetica'>\r\n"
                     "<p aline= center><b>Логический контроль. ( 7 декабря 2026 г. 9.5.3 )</b><br>"
                     "\r\n</font>\r\n<hr>\r\n<center>\r\n<font face='Courier New, Courier'>\r\n"
                     "<table border>\r\n";
const QString Tail = "</table>\r\n</font>\r\n</center>\r\n</body>\r\n</html>\r\n";
// The head as a written page has it: the code page declared.
const QString PageHead = QString(Head).replace(
    "<head>\r\n",
    "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n");

// Temporary folder of the reports for one test.
struct TempDirGuard {
    explicit TempDirGuard(const QString& dir) { platform::setTempDirOverride(dir); }
    ~TempDirGuard() { platform::setTempDirOverride(QString()); }
};

// A form 101 of three sections (5 x 3, 2 x 2, 1 x 1) catalogued from January 2005, rule files
// in its form folder, the report folder, and the stored sections of region 1401 for March 2005.
struct FormFixture : ControlFixture {
    reference::FormCatalog catalog{reference::CatalogEntry{
        "101",
        "200501",
        {reference::SectionStructure{"1", {"1", "2", "3", "4", "5"}, {"1", "2", "3"}},
         reference::SectionStructure{"2", {"1", "2"}, {"1", "2"}},
         reference::SectionStructure{"3", {"1"}, {"1"}}}}};
    TempDirGuard temp{ws.file("TMP")};
    RecorderBrowser browser;

    FormFixture() { ws.mkdir("TMP"); }
    void rules(int section, const QString& text) {
        ws.write("FORM/2005_01.101/101_0501.0" + QString::number(section) + ".LOG", text);
    }
    QString stored(int section) const {
        return ws.read("DAT/DAT_0503.101/1401.0" + QString::number(section));
    }
    QString mark(int section) const { return stored(section).section("\r\n", 0, 0); }
    FormControl runForm() {
        StoredForm form(target.dataKey(), catalog.first(), prompt);
        return controlForm(catalog, target, form, "1401 - Район. 101 - Форма", Clock, prompt,
                           browser);
    }
};

} // namespace

TEST(Report, HeadRowsAndTailBytes) {
    EXPECT_EQ(reportStamp(Clock), "7 декабря 2026 г. 9.5.3 )");
    EXPECT_EQ(reportStamp(QDateTime(QDate(2025, 5, 31), QTime(23, 59, 0))),
              "31 мая 2025 г. 23.59.0 )");
    // The written page gets its code-page declaration when it is written.
    EXPECT_EQ(mirel::core::withCharset(Head_HTM(ReportTitle, "101 01 2005 03 1401", Clock)),
              Head + "<tr>\r\n<td><b>101 01 2005 03 1401</b></td></tr>\r\n");
    EXPECT_EQ(Tail_HTM(), Tail);
    EXPECT_EQ(reportRows({"НЕПОЛНЫЙ Контроль", "", "// Блок а", "",
                          "Не выполнено условие : с.1г.1=1", "10<>1", "", "/// Блок б", "", "x"}),
              "<tr>\r\n<td><font size=\"2\">НЕПОЛНЫЙ КОНТРОЛЬ</td></tr>\r\n"
              "<tr>\r\n<td><font size=\"2\"></td></tr>\r\n"
              "<tr>\r\n<td><b><font size=\"2\">// БЛОК А</b><p><font size=\"2\"></p>"
              "<p><font size=\"2\">Не выполнено условие : с.1г.1=1</p><p><font size=\"2\">10<>1</p>"
              "<p><font size=\"2\"></p></td></tr>\r\n"
              "<tr>\r\n<td><b><font size=\"2\">/// БЛОК Б</b><p><font size=\"2\"></p>"
              "<p><font size=\"2\">x</p></td></tr>\r\n");
    EXPECT_EQ(sectionBanner("02"), "<tr>\r\n<td><b>*********</b></td></tr>\r\n"
                                   "<tr>\r\n<td><b>РАЗДЕЛ 02</b></td></tr>\r\n"
                                   "<tr>\r\n<td><b>*********</b></td></tr>\r\n");
}

TEST(Report, PagesGoUnderNamesNobodyHolds) {
    ControlFixture f;
    TempDirGuard temp(f.ws.path());
    EXPECT_EQ(F_Name_Now(Clock), "07_12_2026_09_05_03");
    RecorderBrowser browser;
    EXPECT_EQ(writeReport("<html><head></head></html>", Clock, f.prompt, browser),
              f.ws.path() + "/07_12_2026_09_05_03.HTM");
    // A link planted under the next name is passed over, never followed.
    ASSERT_TRUE(QFile::link(f.ws.file("elsewhere.HTM"), f.ws.file("07_12_2026_09_05_03_1.HTM")));
    EXPECT_EQ(writeReport("<html></html>", Clock, f.prompt, browser),
              f.ws.path() + "/07_12_2026_09_05_03_2.HTM");
    EXPECT_FALSE(f.ws.exists("elsewhere.HTM"));
    EXPECT_EQ(browser.opened, (QStringList{f.ws.path() + "/07_12_2026_09_05_03.HTM",
                                           f.ws.path() + "/07_12_2026_09_05_03_2.HTM"}));
    EXPECT_TRUE(f.ws.readBytes("07_12_2026_09_05_03.HTM") ==
                "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                "charset=windows-1251\"></head></html>");
    EXPECT_TRUE(f.prompt.messages.isEmpty());

    // No program shows the page: the person is told where it is.
    struct NoBrowser : platform::Browser {
        bool open(const QString&) override { return false; }
    } none;
    const QString path = writeReport("<html></html>", Clock, f.prompt, none);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Information, "Отчет записан в файл : " + path, QString()}}));
    // A folder that cannot take the page: the write message, no path.
    f.prompt.clear();
    platform::setTempDirOverride(f.ws.file("missing"));
    EXPECT_EQ(writeReport("<html></html>", Clock, f.prompt, browser), QString());
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!",
                                                  f.ws.file("missing")}}));
}

TEST(SectionRun, NoErrorsIsAMessageFailuresAPage) {
    FormFixture f;
    f.rules(1, "// Итог\n1\\1\\1=1\\2\\1+1\\3\\1");
    f.grid.setCell(1, 1, "9");
    const GridCells cells(f.grid);
    SectionControl run = controlSection(f.catalog, f.target, cells, Clock, f.prompt, f.browser);
    EXPECT_TRUE(run.run.checked());
    EXPECT_TRUE(run.reportPath.isEmpty());
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::None, "Нет ошибок !!!", QString()}}));
    EXPECT_TRUE(f.browser.opened.isEmpty());

    f.prompt.clear();
    f.grid.setCell(1, 1, "10"); // an unsaved edit of the grid
    run = controlSection(f.catalog, f.target, cells, Clock, f.prompt, f.browser);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    ASSERT_EQ(f.browser.opened, QStringList{run.reportPath});
    EXPECT_EQ(run.reportPath, f.ws.file("TMP/07_12_2026_09_05_03.HTM"));
    const QByteArray expected =
        cp1251(PageHead +
               "<tr>\r\n<td><b>101 01 2005 03 1401</b></td></tr>\r\n"
               "<tr>\r\n<td><font size=\"2\"></td></tr>\r\n"
               "<tr>\r\n<td><b><font size=\"2\">// ИТОГ</b><p><font size=\"2\"></p>"
               "<p><font size=\"2\">Не выполнено условие : с.1г.1=с.2г.1+с.3г.1</p>"
               "<p><font size=\"2\">10<>4+5</p></td></tr>\r\n" +
               Tail);
    const QByteArray written = f.ws.readBytes("TMP/07_12_2026_09_05_03.HTM");
    EXPECT_TRUE(written == expected) << written.size() << " bytes, expected " << expected.size();
    // The single-section run writes no data file.
    EXPECT_FALSE(f.ws.exists("DAT/DAT_0503.101"));
}

TEST(SectionRun, NotCataloguedOrWithoutRulesDoesNothing) {
    FormFixture f;
    const GridCells cells(f.grid);
    SectionControl run = controlSection(f.catalog, f.target, cells, Clock, f.prompt, f.browser);
    EXPECT_EQ(run.run.status, ControlRun::Status::NoRules);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    f.target.year = "2004";
    run = controlSection(f.catalog, f.target, cells, Clock, f.prompt, f.browser);
    EXPECT_TRUE(run.run.stopped());
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{
            {Icon::Error, "Форма некаталогизирована для данного отчетного периода !!!", "101"}}));
    EXPECT_TRUE(f.browser.opened.isEmpty());
}

TEST(FormRun, MarksEverySectionWithRulesAndShowsThePageEvenWithoutFailures) {
    FormFixture f;
    f.writeSection("0503", "101", "01", {"1 9 1 2", "2 4 1 2", "3 5 1 2", "4 0 0 0", "5 0 0 0"});
    f.rules(1, "// Итог\n1\\1\\1=1\\2\\1+1\\3\\1");
    f.rules(2, "// Ноль\n1\\1\\1=0"); // section 2 has no data file: checked as all zeros
    f.ws.write("DAT/DAT_0503.101/1401.03", "PR_?\n! 0000 101 03 05 03 1401\n1 5\n");
    FormControl run = f.runForm();
    ASSERT_TRUE(run.ran);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    EXPECT_EQ(f.mark(1), "PR_++");
    EXPECT_EQ(f.mark(2), ""); // not sent: checked, but no file is made for it
    EXPECT_FALSE(f.ws.exists("DAT/DAT_0503.101/1401.02"));
    EXPECT_EQ(f.mark(3), "PR_?"); // no rule file: left alone
    EXPECT_EQ(f.stored(1), "PR_++\r\n! 0000 101 01 05 03 1401\r\n1 9 1 2\r\n2 4 1 2\r\n3 5 1 2\r\n"
                           "4 0 0 0\r\n5 0 0 0\r\n");
    ASSERT_EQ(f.browser.opened, QStringList{run.reportPath});
    const QByteArray expected =
        cp1251(PageHead + "<tr>\r\n<td><b>1401 - Район. 101 - Форма</b></td></tr>\r\n" + Tail);
    EXPECT_TRUE(f.ws.readBytes("TMP/07_12_2026_09_05_03.HTM") == expected);
    ASSERT_EQ(run.sections.size(), 3);
    EXPECT_EQ(run.sections.at(2).run.status, ControlRun::Status::NoRules);
}

TEST(FormRun, FailuresAndMissingSectionsMarkQuestionMarks) {
    FormFixture f;
    f.writeSection("0503", "101", "01", {"1 10 1 2", "2 4 1 2", "3 5 1 2", "4 0 0 0", "5 0 0 0"});
    f.rules(1, "// Итог\n1\\1\\1=1\\2\\1+1\\3\\1");
    f.rules(2, "1: 101 02\n2: 102 // Другая форма\n\n// Сверка\n1\\1\\1=2\\1\\1");
    FormControl run = f.runForm();
    EXPECT_EQ(f.mark(1), "PR_??");
    EXPECT_EQ(f.mark(2), ""); // failed, but not sent: no file is made for it
    const QByteArray expected = cp1251(
        PageHead + "<tr>\r\n<td><b>1401 - Район. 101 - Форма</b></td></tr>\r\n" +
        "<tr>\r\n<td><b>*********</b></td></tr>\r\n<tr>\r\n<td><b>РАЗДЕЛ 01</b></td></tr>\r\n"
        "<tr>\r\n<td><b>*********</b></td></tr>\r\n"
        "<tr>\r\n<td><font size=\"2\"></td></tr>\r\n"
        "<tr>\r\n<td><b><font size=\"2\">// ИТОГ</b><p><font size=\"2\"></p>"
        "<p><font size=\"2\">Не выполнено условие : с.1г.1=с.2г.1+с.3г.1</p>"
        "<p><font size=\"2\">10<>4+5</p></td></tr>\r\n"
        "<tr>\r\n<td><b>*********</b></td></tr>\r\n<tr>\r\n<td><b>РАЗДЕЛ 02</b></td></tr>\r\n"
        "<tr>\r\n<td><b>*********</b></td></tr>\r\n"
        "<tr>\r\n<td><font size=\"2\">НЕПОЛНЫЙ ЛОГИЧЕСКИЙ КОНТРОЛЬ : ОТСУТСТВУЮТ ДАННЫЕ ПО "
        "РАЗДЕЛУ 01, ФОРМЫ 102 ЗА ОТЧЕТНЫЙ ПЕРИОД 0503</td></tr>\r\n" +
        Tail);
    const QByteArray written = f.ws.readBytes("TMP/07_12_2026_09_05_03.HTM");
    EXPECT_TRUE(written == expected) << written.size() << " bytes, expected " << expected.size();
}

TEST(FormRun, AProtectedSectionReportsTheWriteErrorAndTheRunGoesOn) {
    FormFixture f;
    f.writeSection("0503", "101", "01", {"1 10 1 2", "5 0 0 0"});
    f.writeSection("0503", "101", "02", {"1 0 0", "2 0 0"});
    f.rules(1, "// Итог\n1\\1\\1=1\\2\\1+1\\3\\1");
    f.rules(2, "// Ноль\n1\\1\\1=0");
    const QString path = f.ws.file("DAT/DAT_0503.101/1401.01");
    ASSERT_TRUE(platform::setReadOnly(path, true));
    const QByteArray before = f.ws.readBytes("DAT/DAT_0503.101/1401.01");
    FormControl run = f.runForm();
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", path}}));
    EXPECT_TRUE(f.ws.readBytes("DAT/DAT_0503.101/1401.01") == before);
    EXPECT_FALSE(run.sections.at(0).saved);
    EXPECT_EQ(run.sections.at(0).mark, "PR_??");
    EXPECT_EQ(f.mark(2), "PR_0++");
    // The failures of the protected section are still reported.
    EXPECT_TRUE(f.ws.read("TMP/07_12_2026_09_05_03.HTM").contains("РАЗДЕЛ 01"));
    platform::setReadOnly(path, false);
}

TEST(FormRun, AStoppedSectionKeepsItsMarkAndTheNextIsRun) {
    FormFixture f;
    f.writeSection("0503", "101", "01", {"1 10 1 2", "5 0 0 0"});
    f.ws.write("DAT/DAT_0503.101/1401.02", "PR_?\n! 0000 101 02 05 03 1401\n1 1 1\n2 0 0\n");
    f.rules(1, "// Плохая строка\n1\\0\\1=0");
    f.rules(2, "// Ноль\n1\\1\\1=0");
    FormControl run = f.runForm();
    EXPECT_EQ(f.prompt.texts(), QStringList{"Номер строки = 0 !!!"});
    EXPECT_EQ(f.mark(1), "PR_?");
    EXPECT_TRUE(run.sections.at(0).run.stopped());
    EXPECT_EQ(f.mark(2), "PR_??");
    EXPECT_FALSE(f.ws.read("TMP/07_12_2026_09_05_03.HTM").contains("РАЗДЕЛ 01"));
}

TEST(FormRun, NotCataloguedWritesNothing) {
    FormFixture f;
    f.rules(1, "// Ноль\n1\\1\\1=0");
    f.target.month = "12";
    f.target.year = "2004";
    EXPECT_FALSE(f.runForm().ran);
    EXPECT_TRUE(f.browser.opened.isEmpty());
    EXPECT_FALSE(f.ws.exists("DAT/DAT_0412.101"));
}

// Damaged or hostile rule files: a message and a stopped run, or a finished one; never a crash,
// and a stopped run finds nothing.
TEST(BadRules, GarbageHugeAndBrokenFilesNeverCrash) {
    ControlFixture f;
    QString many;
    for (int i = 0; i < 10000; ++i)
        many += "// Блок " + QString::number(i) + "\nS=1-5\n1\\S\\1>=0\n\n";
    ControlRun run = f.run(many);
    EXPECT_TRUE(run.checked());
    EXPECT_TRUE(run.findings.isEmpty());
    run = f.run(many + "// Последний\n1\\1\\1=(1\\2\\1");
    EXPECT_TRUE(run.stopped());
    EXPECT_TRUE(run.findings.isEmpty());

    QRandomGenerator random(20260101);
    const QByteArray alphabet =
        QByteArray("0123456789\\/:=<>#!()+-*.,SGCODPERIF \r\n\t") + QByteArray("\x00\xff\xe0", 3);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int size = random.bounded(1, 200);
        for (int i = 0; i < size; ++i)
            bytes += round % 2 ? char(random.bounded(256))
                               : alphabet.at(random.bounded(int(alphabet.size())));
        RecorderPrompt prompt;
        const GridCells cells(f.grid);
        run = runRules(platform::decode1251(bytes), f.target, cells, true, prompt);
        if (run.stopped()) {
            EXPECT_TRUE(run.findings.isEmpty());
            EXPECT_FALSE(prompt.messages.isEmpty());
        }
    }
}

TEST(FormRun, DataThatCannotBeReadIsAFormatErrorAndStaysAsItWas) {
    FormFixture f;
    // Line ends of CR only, data lines that begin with a no-break space: no data line at all.
    const QByteArray crOnly = "PR_?\r! 0000 101 01 05 03 1401\r1 10 1 2\r5 0 0 0\r";
    const QByteArray noBreak = "PR_?\r\n! 0000 101 02 05 03 1401\r\n\xa0"
                               "1 0 0\r\n\xa0"
                               "2 1 0\r\n";
    f.ws.writeBytes("DAT/DAT_0503.101/1401.01", crOnly);
    f.ws.writeBytes("DAT/DAT_0503.101/1401.02", noBreak);
    f.ws.write("DAT/DAT_0503.101/1401.03", "PR_?\n! 0000 101 03 05 03 1401\n1 5\n");
    f.rules(1, "// Ноль\n1\\1\\1=0");
    f.rules(2, "// Ноль\n1\\1\\1=0");
    f.rules(3, "// Пять\n1\\1\\1=5");
    const FormControl run = f.runForm();
    const QString detail = "Ошибка в формате данных !!!\r\nВ файле нет ни одной строки данных";
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, detail, f.ws.file("DAT/DAT_0503.101/1401.01")},
                              {Icon::Error, detail, f.ws.file("DAT/DAT_0503.101/1401.02")}}));
    EXPECT_TRUE(f.ws.readBytes("DAT/DAT_0503.101/1401.01") == crOnly);
    EXPECT_TRUE(f.ws.readBytes("DAT/DAT_0503.101/1401.02") == noBreak);
    EXPECT_TRUE(run.sections.at(0).run.stopped());
    EXPECT_TRUE(run.sections.at(1).run.stopped());
    EXPECT_TRUE(run.sections.at(0).mark.isEmpty());
    // The run goes on with the next section.
    EXPECT_EQ(f.mark(3), "PR_++");
    EXPECT_FALSE(f.ws.read("TMP/07_12_2026_09_05_03.HTM").contains("РАЗДЕЛ"));
}

TEST(FormRun, OnlyTheStateLineOfAFileChanges) {
    FormFixture f;
    f.ws.write("DAT/DAT_0503.101/1401.01",
               "PR_?\n! 0000 101 01 05 03 1401\n1\t9  1 2\n2 4 1 2  \n3 5 1 2\n", true);
    f.ws.write("DAT/DAT_0503.101/1401.02", "! 0000 101 02 05 03 1401\n1 0 0\n2 0 0\n");
    f.ws.writeBytes("DAT/DAT_0503.101/1401.03", QByteArray());
    f.rules(1, "// Итог\n1\\1\\1=1\\2\\1+1\\3\\1");
    f.rules(2, "// Ноль\n1\\1\\1=0");
    f.rules(3, "// Ноль\n1\\1\\1=0");
    f.runForm();
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join('|').toStdString();
    EXPECT_TRUE(f.ws.readBytes("DAT/DAT_0503.101/1401.01") ==
                "PR_++\n! 0000 101 01 05 03 1401\n1\t9  1 2\n2 4 1 2  \n3 5 1 2\n");
    // A file without a state line gets one before its first line.
    EXPECT_TRUE(f.ws.readBytes("DAT/DAT_0503.101/1401.02") ==
                "PR_0++\r\n! 0000 101 02 05 03 1401\r\n1 0 0\r\n2 0 0\r\n");
    // An empty file is a section not sent: it stays empty.
    EXPECT_TRUE(f.ws.readBytes("DAT/DAT_0503.101/1401.03").isEmpty());

    // A mark that is there already is not written again: protected files are no obstacle then.
    for (const char* rr : {"01", "02"})
        ASSERT_TRUE(platform::setReadOnly(f.ws.file(QString("DAT/DAT_0503.101/1401.") + rr), true));
    const FormControl again = f.runForm();
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join('|').toStdString();
    EXPECT_TRUE(again.sections.at(0).saved && again.sections.at(1).saved);
    for (const char* rr : {"01", "02"})
        platform::setReadOnly(f.ws.file(QString("DAT/DAT_0503.101/1401.") + rr), false);

    EXPECT_EQ(withStateLine(" PR_ ??\r\nx", "PR_++"), "PR_++\r\nx");
    EXPECT_EQ(withStateLine("PR_?", "0??"), "PR_0??\r\n");
    EXPECT_EQ(withStateLine("1 2 3", "++"), "PR_++\r\n1 2 3");
    EXPECT_EQ(withStateLine("\nPR_?\n1 2\n", "++"), "PR_++\n\nPR_?\n1 2\n");
}

TEST(FormRun, CellsThatAreNotNumbersAndUnreadableRelationsFailTheirSections) {
    FormFixture f;
    f.writeSection("0503", "101", "01", {"1 12a 1 2", "2 4 1 2", "3 5 1 2", "4 0 0 0", "5 0 0 0"});
    f.writeSection("0503", "101", "02", {"1 3 1", "2 0 0"});
    f.rules(1, "// Итог\n1\\1\\1=1\\2\\1+1\\3\\1");
    f.rules(2, "// Разные\n1\\1\\1!=1\\1\\2\n\n// Нули\n1\\2\\1=1\\1\\1");
    const FormControl run = f.runForm();
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{
            {Icon::Error, "Script_Control_Eval\r\nНедопустимое число\r\nЯчейка с.1г.1 : \"12a\"",
             "1\\1\\1=1\\2\\1+1\\3\\1"},
            {Icon::Error, "Script_Control_Eval\r\nНедопустимый символ", "1\\1\\1!=1\\1\\2"}}));
    EXPECT_EQ(f.mark(1), "PR_??");
    EXPECT_EQ(f.mark(2), "PR_??");
    EXPECT_EQ(run.sections.at(0).run.evaluationErrors, 1);
    EXPECT_EQ(run.sections.at(1).run.evaluationErrors, 1);
    const QString page = f.ws.read("TMP/07_12_2026_09_05_03.HTM");
    EXPECT_TRUE(page.contains("<tr>\r\n<td><b>РАЗДЕЛ 01</b></td></tr>\r\n"
                              "<tr>\r\n<td><b>*********</b></td></tr>\r\n"
                              "<tr>\r\n<td><font size=\"2\"></td></tr>\r\n"
                              "<tr>\r\n<td><b><font size=\"2\">// ИТОГ</b><p><font size=\"2\"></p>"
                              "<p><font size=\"2\">Не выполнено условие : с.1г.1=с.2г.1+с.3г.1</p>"
                              "<p><font size=\"2\">\"12a\"<>4+5</p></td></tr>\r\n"));
    EXPECT_TRUE(page.contains("<p><font size=\"2\">Не выполнено условие : с.1г.1!=с.1г.2</p>"
                              "<p><font size=\"2\">3=1</p><p><font size=\"2\"></p></td></tr>\r\n"));
    // The other failing block of the section is reported too.
    EXPECT_TRUE(page.contains("<p><font size=\"2\">Не выполнено условие : с.2г.1=с.1г.1</p>"
                              "<p><font size=\"2\">0<>3</p></td></tr>\r\n"));
}

// The stored form reads a section's cells from the file's bytes; whatever the file holds, they
// are the cells the entry window's grid reading gives: the texts, the numbers the control takes
// and the sum of the mark, and the same format errors.
TEST(StoredForm, ReadsAsTheGridDoes) {
    const QStringList fields{"1",
                             "0",
                             "12",
                             "-3,5",
                             "+.5",
                             "5.",
                             "007",
                             "1E3",
                             "1О",
                             "xx",
                             "0,0",
                             "999999999999999",
                             "1234567890123456",
                             "-0"};
    QRandomGenerator random(20261208);
    const reference::CatalogEntry entry{
        "101",
        "200501",
        {reference::SectionStructure{"1", {"1", "2", "3", "4", "5"}, {"1", "2", "3"}}}};
    TempWorkspace ws;
    const data::DataKey key{ws.file("DAT"), "2005", "3", "101", "1401"};
    // One form loaded again and again, as a run over many sections reuses its memory.
    RecorderPrompt reusedPrompt;
    StoredForm reused(key, entry, reusedPrompt);
    for (int round = 0; round < 300; ++round) {
        QString text = "PR_?\r\n! 0000 101 01 05 03 1401\r\n";
        const int lines = 1 + random.bounded(6); // a file without data lines is refused before
        for (int l = 0; l < lines; ++l) {
            text += QString::number(random.bounded(20) == 0 ? 0 : 1 + random.bounded(5));
            const int values = random.bounded(25) == 0 ? 2 : 3;
            for (int c = 0; c < values; ++c)
                text += (random.bounded(2) ? " " : "\t") + fields.at(random.bounded(fields.size()));
            text += "\r\n";
        }
        ws.write("DAT/DAT_0503.101/1401.01", text);
        SCOPED_TRACE(text.toStdString());

        RecorderPrompt gridPrompt;
        data::SectionGrid grid = data::SectionGrid::fromStructure(1, entry.sections.first());
        const int loaded = data::Load_DD_Bytes(grid, cp1251(text), key.path(1), false, gridPrompt);
        RecorderPrompt storedPrompt;
        StoredForm form(key, entry, storedPrompt);
        const SectionCells* cells = form.load(1);
        EXPECT_EQ(storedPrompt.messages, gridPrompt.messages);
        ASSERT_EQ(cells != nullptr, loaded == 0);
        if (!cells) continue;
        const GridCells expected(grid);
        ASSERT_EQ(cells->rows(), expected.rows());
        ASSERT_EQ(cells->columns(), expected.columns());
        for (int r = 1; r <= expected.rows(); ++r)
            for (int c = 1; c <= expected.columns(); ++c) {
                EXPECT_EQ(cells->cellText(r, c), expected.cellText(r, c));
                EXPECT_EQ(cells->plainValue(r, c), expected.plainValue(r, c));
            }
        EXPECT_EQ(cells->sum(), expected.sum());
        // All the numbers at once, and the sum added up on the way, from a fresh form and from
        // the reused one.
        reusedPrompt.messages.clear();
        const SectionCells* again = reused.load(1);
        ASSERT_TRUE(again);
        EXPECT_EQ(reusedPrompt.messages, storedPrompt.messages);
        std::vector<double> expectedValues;
        expected.plainValues(expectedValues);
        for (const SectionCells* stored : {cells, again}) {
            std::vector<double> values;
            stored->plainValues(values);
            ASSERT_EQ(values.size(), expectedValues.size());
            for (size_t i = 0; i < values.size(); ++i)
                EXPECT_TRUE(values[i] == expectedValues[i] ||
                            (std::isnan(values[i]) && std::isnan(expectedValues[i])))
                    << i;
            EXPECT_EQ(stored->sum(), expected.sum());
        }
    }
}
