// Long chains of short names, numbers beyond every range, pages in the shared temporary
// folder, generated queries beside existing ones, and batch pages that stop half way.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "fixture.h"
#include "query/references.h"

using namespace mirel;
using namespace mirel::query;
using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::QueryFixture;
using mirel::test::rows;

namespace {

// Row k of a row table adds 1 to row k + 1; the last row reads the stored value 5.
QString rowChain(int length) {
    QString text = "1: 101 1\nCOD\n1100\n";
    for (int r = 1; r < length; ++r)
        text += "STR " + QString::number(r) + "\n1=S" + QString::number(r + 1) + "+1\n";
    return text + "STR " + QString::number(length) + "\n1=1\\1\\1\n";
}

// Virtual column k adds 1 to virtual column k + 1; column 1 shows virtual column 1.
QString virtualChain(int length) {
    QString text = "1: 101 1\nDAT\n1=V1\n";
    for (int v = 1; v < length; ++v)
        text += "V" + QString::number(v) + "=V" + QString::number(v + 1) + "+1\n";
    return text + "V" + QString::number(length) + "=1\\1\\1\n";
}

// Column k adds 1 to column k + 1 of the same row.
QString columnChain(int length) {
    QString text = "1: 101 1\nDAT\n";
    for (int c = 1; c < length; ++c)
        text += QString::number(c) + "=G" + QString::number(c + 1) + "+1\n";
    return text + QString::number(length) + "=1\\1\\1\n";
}

} // namespace

TEST(DeepChains, ChainsWithinTheEvaluatorsDepthAreComputed) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    EXPECT_EQ(f.matrix(rowChain(100)).value(0).value(2), "104");
    EXPECT_EQ(f.matrix(virtualChain(100)), rows({"Север|1100|104"}));
    EXPECT_EQ(f.matrix(columnChain(100)).value(0).value(2), "104");
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(DeepChains, LongerChainsStopAtTheReferenceThatGoesTooDeep) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    // Twenty thousand links once overflowed the stack.
    EXPECT_TRUE(f.matrix(rowChain(20000)).isEmpty());
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Недопустимое значение ссылки (130) на строку формируемой таблицы-> "
                          "1=S130+1"});
    f.prompt.clear();
    EXPECT_TRUE(f.matrix(virtualChain(100000)).isEmpty());
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Недопустимое значение ссылки (129) на виртуальную графу -> 1=V1"});
    f.prompt.clear();
    EXPECT_TRUE(f.matrix(columnChain(20000)).isEmpty());
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Недопустимое значение ссылки (130) на графу -> 129=G130+1"});
}

TEST(Ranges, NumbersBeyondAnyRangeAreHeldNotOverflowed) {
    EXPECT_EQ(resolveYear("+1E20", "2025"), QString::number(2025 + qint64(INT_MAX)));
    EXPECT_EQ(resolveYear("-1E300", "2025"), QString::number(2025 + qint64(INT_MIN)));
    EXPECT_EQ(resolveYear("LAST", "1E300"), QString::number(qint64(INT_MAX) - 1));
    EXPECT_EQ(resolveMonth("MOUNTH", "1E30"), QString::number(LLONG_MAX));
    EXPECT_EQ(resolveMonth("-1", "1"), "0");

    QueryFixture f;
    f.classifier({"1100 Север", "1200 Юг"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    f.data("101", "2512", "1200", 1, {"1 3 6 7"});
    // A RANG mode of 1e20 and a row number of 1e20 in a reference.
    QueryResult r;
    EXPECT_EQ(f.run("1: 101 1\nDAT\n1=1\\1\\1\n2=0\nRANG1E20\n1 2\n", r), 0);
    EXPECT_EQ(r.table.matrix.size(), 2);
}

TEST(TemporaryPages, APageNeverReplacesOrFollowsWhatHoldsItsName) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    f.enableHtml();
    f.ws.write("elsewhere.txt", "not a page");
    QDir().mkpath(f.tempDir());
    ASSERT_TRUE(QFile::link(f.ws.file("elsewhere.txt"), f.tempDir() + "/1.HTM"));
    QueryResult r;
    const QString path = f.query("Q.PSP", "1: 101 1\nDAT\n1=1\\1\\1\n");
    ASSERT_EQ(runQuery(path, f.session, f.prompt, f.browser, f.options, r), 0);
    EXPECT_EQ(r.page, f.tempDir() + "/1_1.HTM");
    ASSERT_EQ(runQuery(path, f.session, f.prompt, f.browser, f.options, r), 0);
    EXPECT_EQ(r.page, f.tempDir() + "/1_2.HTM");
    EXPECT_EQ(f.ws.read("elsewhere.txt"), "not a page");
    EXPECT_TRUE(f.ws.read("TMP/1_1.HTM").contains(">5<"));
    EXPECT_EQ(f.browser.opened, (QStringList{f.tempDir() + "/1_1.HTM", f.tempDir() + "/1_2.HTM"}));
}

TEST(GeneratedTemplateQuery, ExistingQueriesAndTemplatesOfTheSameNameAreKept) {
    QueryFixture f;
    f.ws.write("FORM/2020_01.101/101_2001.01.TXT", "Графа 1\nГрафа 2\nГрафа 3\n1 Зерно\nОвощи\n");
    f.ws.write("ЗАПРОСЫ/101_2001.01.PSP", "1: 101 1\nCOD\n1100\nSTR 1\n1=1\\?\\1\n");
    f.ws.write("ЗАПРОСЫ/101_2001.01.HTM", "<body>наименование_строки</body>");
    f.ws.write("ЗАПРОСЫ/1 ЗЕРНО.psp", "my own query");
    f.ws.write("ЗАПРОСЫ/Овощи.HTM", "my own template");
    QueryResult r;
    ASSERT_EQ(runQuery(f.ws.file("ЗАПРОСЫ/101_2001.01.PSP"), f.session, f.prompt, f.browser,
                       f.options, r),
              0);
    EXPECT_EQ(r.generated,
              (QStringList{f.ws.file("ЗАПРОСЫ/1 Зерно_1.PSP"), f.ws.file("ЗАПРОСЫ/Овощи_1.PSP")}));
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/1 ЗЕРНО.psp"), "my own query");
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/Овощи.HTM"), "my own template");
    EXPECT_FALSE(f.ws.exists("ЗАПРОСЫ/Овощи.PSP"));
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/Овощи_1.HTM"), "<body>Овощи</body>");
    EXPECT_EQ(f.ws.read("ЗАПРОСЫ/1 Зерно_1.PSP"),
              "1: 101 1\r\nCOD\r\n1100\r\nSTR 1\r\n1=1\\1\\1\r\n");

    // A second generation keeps the first one's files as well.
    ASSERT_EQ(runQuery(f.ws.file("ЗАПРОСЫ/101_2001.01.PSP"), f.session, f.prompt, f.browser,
                       f.options, r),
              0);
    EXPECT_EQ(r.generated,
              (QStringList{f.ws.file("ЗАПРОСЫ/1 Зерно_2.PSP"), f.ws.file("ЗАПРОСЫ/Овощи_2.PSP")}));
}

TEST(BatchPage, AnErrorAfterSomeQueriesLeavesTheirPartOnDisk) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    f.enableHtml();
    f.query("A.PSP", "1: 101 1\nDAT\n1=1\\1\\1\n");
    f.ws.write("ЗАПРОСЫ/A.HTM", "<html><body>A: >1\\1\\1<</body></html>");
    f.query("B.PSP", "1: 101 1\nDAT\n1=1\\1\\2\n");
    f.ws.write("ЗАПРОСЫ/B.HTM", "<html>no body</html>");
    const QString list = f.query("Пакет.LINK", "A\n\nB\n\nA\n");
    QueryResult r;
    EXPECT_EQ(runQuery(list, f.session, f.prompt, f.browser, f.options, r), -1);
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::Error, "Ошибка !!! Не выделен <body",
                                                  f.ws.file("ЗАПРОСЫ/Пакет.HTM")}}));
    EXPECT_TRUE(f.ws.readBytes("ЗАПРОСЫ/Пакет.HTM") ==
                cp1251("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                       "charset=windows-1251\"></head><body>A: >5<<span><br clear=all "
                       "style='page-break-before:always'></span>"));
}

TEST(BatchPage, AStoppedTableIsTold) {
    QueryFixture f;
    f.classifier({"1100 Север", "1200 Юг"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    f.data("101", "2512", "1200", 1, {"1 1e400 6 7"});
    f.query("A.PSP", "1: 101 1\nDAT\n1=1\\1\\1\n");
    f.query("B.PSP", "1: 101 1\nDAT\n1=1\\1\\2\n");
    f.ws.write("ЗАПРОСЫ/A.HTM", "<body>A</body>");
    f.ws.write("ЗАПРОСЫ/B.HTM", "<body>B</body>");
    QueryResult r;
    EXPECT_EQ(
        runQuery(f.query("Пакет.LINK", "B\n\nA\n"), f.session, f.prompt, f.browser, f.options, r),
        0);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(runQuery(f.ws.file("ЗАПРОСЫ/A.PSP"), f.session, f.prompt, f.browser, f.options, r),
              0);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.table.matrix, rows({"Север|1100|5"}));
}
