// HTML output: the plain table, template pages, batch pages, generated template queries.
#include <gtest/gtest.h>

#include <QDir>
#include <QTime>

#include "core/html.h"
#include "fixture.h"
#include "query/output.h"
#include "query/queryfile.h"

using namespace mirel;
using namespace mirel::query;
using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::QueryFixture;
using mirel::test::rows;

namespace {
// The code-page declaration every written page carries.
const QString Meta =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">";
} // namespace

namespace {

void twoRegions(QueryFixture& f) {
    f.classifier({"1100 Север", "1200 Юг"});
    f.data("101", "2512", "1100", 1, {"1 50 5 0", "2 10 20 30"});
    f.data("101", "2512", "1200", 1, {"1 30 -2 0"});
}

const QString regionQuery = QStringLiteral("1: 101 1\nDAT\n1=1\\1\\1\n2=1\\1\\2/1\\2\\1\n");

// The plain table page as it must be written, for rows of (label, values...).
QString plainPage(const QString& title, const QList<QStringList>& grid) {
    QString p = "<html\r\n<body lang=RU style='tab-interval:35.4pt'>\r\n<div class=Section1>\r\n"
                "<table border=1 cellspacing=0 cellpadding=0 style='border-collapse:collapse;"
                "border:none;mso-border-alt:solid windowtext .5pt;mso-padding-alt:0cm 5.4pt 0cm "
                "5.4pt'>\r\n<tr> <td>" +
                title + "</td> <tr>\r\n";
    const QString style =
        "style='font-size:8.0pt;mso-bidi-font-size:12.0pt;mso-ansi-language:EN-US'>";
    for (const QStringList& row : grid) {
        p += "<tr>\r\n  <td width=222 valign=top style='width:159.5pt;border:solid windowtext "
             ".5pt;\r\n  padding:0cm 5.4pt 0cm 5.4pt'>\r\n<p class=MsoNormal><span lang=EN-US "
             "\r\n" +
             style + row.first() + "<u2:p></u2:p></span></p>\r\n</td>\r\n";
        for (const QString& cell : row.mid(1))
            p += "<td width=99 valign=top style='width:159.5pt;border:solid windowtext .5pt;"
                 "border-left:none;mso-border-left-alt:solid windowtext .5pt;padding:0cm 5.4pt "
                 "0cm 5.4pt'><p class=MsoNormal align=right style='text-align:right'><span "
                 "lang=EN-US " +
                 style + cell + "<u2:p></u2:p></span></p></td>\r\n";
        p += " </tr>\r\n";
    }
    p += "</table>\r\n<p class=MsoNormal><u2:p></u2:p><![if !supportEmptyParas]>&nbsp;"
         "<![endif]><o:p></o:p></p>\r\n</div>\r\n</body>\r\n</html>\r\n";
    return p;
}

} // namespace

TEST(PlainTable, WrittenToANewHtmInTheTemporaryFolderInCodePage1251) {
    QueryFixture f;
    twoRegions(f);
    f.enableHtml();
    QueryResult r;
    const QString path = f.query("Q.PSP", regionQuery);
    ASSERT_EQ(runQuery(path, f.session, f.prompt, f.browser, f.options, r), 0);
    const QString page = f.tempDir() + "/1.HTM";
    EXPECT_EQ(r.page, page);
    EXPECT_EQ(f.browser.opened, QStringList{page});
    const QByteArray expected = cp1251(
        core::withCharset(plainPage("2025 12. ", {{"Север", "50", "0.5"}, {"Юг", "30", "***"}})));
    const QByteArray written = f.ws.readBytes("TMP/1.HTM");
    EXPECT_TRUE(written == expected) << written.size() << " vs " << expected.size();

    // A second output takes the next free name: the temporary folder is everybody's, and a
    // page the browser still shows is not replaced under it.
    f.data("101", "2512", "1200", 1, {"1 31 -2 0"});
    ASSERT_EQ(runQuery(path, f.session, f.prompt, f.browser, f.options, r), 0);
    EXPECT_EQ(r.page, f.tempDir() + "/1_1.HTM");
    EXPECT_TRUE(f.ws.read("TMP/1_1.HTM").contains(">31<"));
    EXPECT_TRUE(f.ws.readBytes("TMP/1.HTM") == expected);
    EXPECT_EQ(QDir(f.tempDir()).entryList(QDir::Files), (QStringList{"1.HTM", "1_1.HTM"}));
}

TEST(PlainTable, WithoutIeNothingIsWritten) {
    QueryFixture f;
    twoRegions(f);
    QueryResult r;
    ASSERT_EQ(runQuery(f.query("Q.PSP", regionQuery), f.session, f.prompt, f.browser, f.options, r),
              0);
    EXPECT_TRUE(r.hasTable);
    EXPECT_TRUE(r.page.isEmpty());
    EXPECT_TRUE(f.browser.opened.isEmpty());
    EXPECT_TRUE(QDir(f.tempDir()).entryList(QDir::Files).isEmpty());
}

TEST(PlainTable, RowTablesNameTheirRegionAndMultyAddsAColumn) {
    Table t;
    t.matrix = rows({"1|1100|5"});
    t.columns = 1;
    t.layout = "MULTY_X";
    PageTexts texts{"Север & Юг", "декабрь 2025", "2025", "12"};
    EXPECT_EQ(plainTablePage(t, texts), plainPage("2025 12. Север &amp; Юг", {{"1", "5", ""}}));
}

TEST(TemplatePage, PlaceholdersRegionAndPeriod) {
    Table t;
    t.matrix = rows({"Север|1100|50|0.5", "Юг|1200|30|"});
    t.columns = 2;
    const PageTexts texts{"Область", "декабрь 2025", "2025", "12"};
    // Placeholders outside the result (row 5, column 3) keep their text; undelimited ones too.
    const QString templ = "<html><body><p>наименование_региона, отчетный_период</p><table>"
                          "<tr><td> 1\\1\\1</td><td>>1\\2\\1<</td></tr><tr><td>>1\\1\\2<</td>"
                          "<td>>1\\5\\1<</td><td>>1\\1\\3<</td></tr></table></body></html>";
    EXPECT_EQ(templatePage(templ, t, texts),
              "<html><body><p>Область, декабрь 2025</p><table><tr><td> 1\\1\\1</td><td>>30<</td>"
              "</tr><tr><td>>0.5<</td><td>>1\\5\\1<</td><td>>1\\1\\3<</td></tr></table></body>"
              "</html>");
}

TEST(TemplatePage, TheRowTemplateRepeatsForEveryRow) {
    Table t;
    t.matrix = rows({"Север|1100|50|0.5", "Юг|1200|30|"});
    t.columns = 2;
    const QString templ =
        "<body><table><tr class=h><td>Регион</td></tr>\r\n"
        "<tr style='x'><td>>1\\1\\0<</td><td>>1\\1\\1<</td><td>>1\\1\\2<</td></tr>\r\n"
        "<tr><td>Итого</td></tr></table></body>";
    EXPECT_EQ(templatePage(templ, t, {}),
              "<body><table><tr class=h><td>Регион</td></tr>\r\n"
              "<tr style='x'><td>>Север<</td><td>>50<</td><td>>0.5<</td></tr>"
              "<tr style='x'><td>>Юг<</td><td>>30<</td><td>><</td></tr>\r\n"
              "<tr><td>Итого</td></tr></table></body>");
}

TEST(TemplatePage, MultyRegDownRepeatsTheDataRowsPerRegion) {
    Table t;
    t.layout = "MULTY_REG Y";
    t.blockRows = 2;
    t.columns = 1;
    t.matrix = rows({"Север||", "1|1100|5", "Юг||", "1|1200|***"});
    // The first row of a block is the region's name row: its values are empty.
    const QString templ = "<body><table>\r\n<tr><td>Шапка</td></tr>\r\n"
                          "<tr><td>Р</td><td>1\\1\\1</td></tr>\r\n"
                          "<tr><td>Д</td><td>1\\2\\1</td></tr>\r\n"
                          "<tr><td>Конец</td></tr>\r\n</table></body>";
    EXPECT_EQ(templatePage(templ, t, {}),
              "<body><table>\r\n<tr><td>Шапка</td></tr>\r\n"
              "<tr><td>Р</td><td></td></tr>\r\n<tr><td>Д</td><td>5</td></tr>\r\n"
              "<tr><td>Р</td><td></td></tr>\r\n<tr><td>Д</td><td>***</td></tr>\r\n"
              "<tr><td>Конец</td></tr>\r\n</table></body>");
}

TEST(TemplatePage, TemplateOutputGoesToATimedTemporaryPage) {
    QueryFixture f;
    twoRegions(f);
    f.enableHtml();
    f.ws.write("ЗАПРОСЫ/Q.HTM", "<html><body>наименование_региона: >1\\2\\1<</body></html>");
    f.options.selector = {RegionSelector::State::Chosen, "1200", "Юг"};
    QueryResult r;
    const QTime before = QTime::currentTime();
    ASSERT_EQ(runQuery(f.query("Q.PSP", regionQuery), f.session, f.prompt, f.browser, f.options, r),
              0);
    const QTime after = QTime::currentTime();
    const QString name = QFileInfo(r.page).fileName();
    EXPECT_TRUE(name == temporaryPageName(before) || name == temporaryPageName(after))
        << name.toStdString();
    EXPECT_EQ(temporaryPageName(QTime(1, 0, 5)), QStringLiteral("3605.HTM"));
    EXPECT_TRUE(f.ws.readBytes("TMP/" + name) ==
                cp1251("<html><head>" + Meta + "</head><body>Юг: >30<</body></html>"));
    EXPECT_EQ(f.browser.opened, QStringList{r.page});
}

TEST(BatchPage, BodiesJoinedWithPageBreaks) {
    QueryFixture f;
    twoRegions(f);
    f.enableHtml();
    f.query("A.PSP", regionQuery);
    f.ws.write("ЗАПРОСЫ/A.HTM",
               "<html><head></head><BODY lang=RU>\r\nA: >1\\1\\1<\r\n</body></html>");
    f.ws.write("ЗАПРОСЫ/Отдел/B.PSP", "1: 101 1\nCOD\n1200\nSTR 1\n1=1\\1\\1*2");
    f.ws.write("ЗАПРОСЫ/Отдел/B.HTM", "<html><body>B: >1\\1\\1<</body></html>");
    f.ws.write("ЗАПРОСЫ/Пусто.PSP", "\n");
    f.ws.write("ЗАПРОСЫ/Пусто.HTM", "<body></body>");
    const QString list = f.query("Пакет.LINK", "a\n\n\nотдел\\b.psp\n\nпусто\n\nX\nY\n");
    QueryResult r;
    ASSERT_EQ(runQuery(list, f.session, f.prompt, f.browser, f.options, r), 0);
    const QString page = f.ws.file("ЗАПРОСЫ/Пакет.HTM");
    EXPECT_EQ(r.batchPage, page);
    const QString brk = "<span><br clear=all style='page-break-before:always'></span>";
    EXPECT_TRUE(f.ws.readBytes("ЗАПРОСЫ/Пакет.HTM") ==
                cp1251("<html><head>" + Meta + "</head><BODY lang=RU>\r\nA: >50<\r\n" + brk +
                       "B: >60<" + brk + "</body></html>"))
        << f.ws.read("ЗАПРОСЫ/Пакет.HTM").toStdString();
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::None, "Паспорт счета пуст !!!", ""},
                              {Icon::Information, "Пакетная выдача завершена !!!", page}}));
    EXPECT_TRUE(f.browser.opened.isEmpty());
}

TEST(BatchPage, MissingFilesAndBodylessTemplatesStopTheBatch) {
    QueryFixture f;
    twoRegions(f);
    f.enableHtml();
    f.query("A.PSP", regionQuery);
    const QString list = f.query("Пакет.LINK", "A\n");
    QueryResult r;
    EXPECT_EQ(runQuery(list, f.session, f.prompt, f.browser, f.options, r), -1);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::None, "Файл отсутствует !!!", f.ws.file("ЗАПРОСЫ/A.HTM")}}));
    EXPECT_FALSE(f.ws.exists("ЗАПРОСЫ/Пакет.HTM"));

    f.prompt.clear();
    f.ws.write("ЗАПРОСЫ/A.HTM", "<html>A</html>");
    EXPECT_EQ(runQuery(list, f.session, f.prompt, f.browser, f.options, r), -1);
    EXPECT_EQ(f.prompt.texts(), QStringList{"Ошибка !!! Не выделен <body"});

    // Without IE the queries are computed and nothing is written.
    f.prompt.clear();
    f.session.cnf.first().lines.removeAll("IE");
    EXPECT_EQ(runQuery(list, f.session, f.prompt, f.browser, f.options, r), 0);
    EXPECT_TRUE(r.hasTable);
    EXPECT_FALSE(f.ws.exists("ЗАПРОСЫ/Пакет.HTM"));
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(GeneratedTemplateQuery, OneQueryAndTemplatePerRowOfTheSectionDescription) {
    QueryFixture f;
    f.ws.write("FORM/2020_01.101/101_2001.01.TXT",
               "Графа 1\nГрафа 2\nГрафа 3\n1 Зерно\n2 Картофель: ранний\nОвощи\n");
    f.ws.write("ЗАПРОСЫ/101_2001.01.PSP", "1: 101 1\nCOD\n1100\nSTR 1\n1=1\\?\\1\n");
    f.ws.write("ЗАПРОСЫ/101_2001.01.HTM", "<body>наименование_строки</body>");
    QueryResult r;
    ASSERT_EQ(runQuery(f.ws.file("ЗАПРОСЫ/101_2001.01.PSP"), f.session, f.prompt, f.browser,
                       f.options, r),
              0);
    EXPECT_EQ(r.generated, (QStringList{f.ws.file("ЗАПРОСЫ/1 Зерно.PSP"),
                                        f.ws.file("ЗАПРОСЫ/2 Картофель_ ранний.PSP"),
                                        f.ws.file("ЗАПРОСЫ/Овощи.PSP")}));
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/Овощи.PSP"), "1: 101 1\r\nCOD\r\n1100\r\nSTR 1\r\n1=1\\3\\1\r\n");
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/2 Картофель_ ранний.HTM"), "<body>Картофель: ранний</body>");
    EXPECT_EQ(f.prompt.texts(), QStringList{"Закончена генерация паспортов счета таблиц !"});
}

TEST(GeneratedTemplateQuery, MissingPiecesAreReported) {
    QueryFixture f;
    const QString path = f.query("101_2001.01.PSP", "STR 1\n1=1\\?\\1");
    QueryResult r;
    const auto messageOf = [&] {
        f.prompt.clear();
        EXPECT_EQ(runQuery(path, f.session, f.prompt, f.browser, f.options, r), -1);
        return f.prompt.messages.value(0);
    };
    EXPECT_EQ(messageOf().text, QStringLiteral("Отсутствует шапка шаблона запроса !"));
    f.ws.write("ЗАПРОСЫ/101_2001.01.HTM", "<body></body>");
    EXPECT_EQ(messageOf(), (Message{Icon::None, "Отсутствуют настройки на форму 101 !",
                                    "Дата изменения формы - 2020_01"}));
    f.ws.mkdir("FORM/2020_01.101");
    EXPECT_EQ(messageOf().text, QStringLiteral("Отсутствуют описатели раздела !"));
    f.ws.write("FORM/2020_01.101/101_2001.01.TXT", "Графа 1\n");
    EXPECT_EQ(messageOf(), (Message{Icon::Error, "Неверно сформированы описатели раздела !", ""}));
    f.session.forms.first().basePeriod = "202002";
    EXPECT_EQ(messageOf().text, QStringLiteral("Ошибка при определении количества строк и граф !"));
    f.session.forms.first().basePeriod = "202001";
    f.ws.write("ЗАПРОСЫ/101_2001.07.PSP", "STR 1\n1=1\\?\\1");
    f.ws.write("ЗАПРОСЫ/101_2001.07.HTM", "<body></body>");
    f.ws.write("FORM/2020_01.101/101_2001.07.TXT", "x\n");
    f.prompt.clear();
    EXPECT_EQ(runQuery(f.ws.file("ЗАПРОСЫ/101_2001.07.PSP"), f.session, f.prompt, f.browser,
                       f.options, r),
              -1);
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Ошибка при определении количества строк и граф раздела !"});
}

TEST(GeneratedTemplateQuery, RowTemplateSectionsGiveOneQueryOverAllRows) {
    QueryFixture f;
    f.session.forms.first().sections.first().rows = {"I"};
    f.ws.write("FORM/2020_01.101/101_2001.01.TXT", "Графа 1\nГрафа 2\nГрафа 3\n");
    f.ws.write("ЗАПРОСЫ/101_2001.01.PSP", "1: 101 2\nCOD\n1100\nSTR 5\n1=1\\?\\1\n2=1\\?\\2\n");
    f.ws.write("ЗАПРОСЫ/101_2001.01.HTM", "<html><body><p>наименование_строки</p></body></html>");
    QueryResult r;
    ASSERT_EQ(runQuery(f.ws.file("ЗАПРОСЫ/101_2001.01.PSP"), f.session, f.prompt, f.browser,
                       f.options, r),
              0);
    EXPECT_EQ(r.generated, QStringList{f.ws.file("ЗАПРОСЫ/101_2001.01 I.PSP")});
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/101_2001.01 I.PSP"),
              "1: 101 2\r\nCOD\r\n1100\r\nSTR I\r\n1=1\\I\\1\r\n2=1\\I\\2\r\n");
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/101_2001.01 I.HTM"),
              "<html><body><p></p><table border=1 cellspacing=0 cellpadding=0>\r\n<tr ><td "
              ">1\\1\\0</td><td >1\\1\\1</td><td >1\\1\\2</td></tr>\r\n</table>\r\n</body></html>");
    EXPECT_EQ(f.prompt.texts(), QStringList{"Закончена генерация паспорта счета таблицы !!!"});
}
