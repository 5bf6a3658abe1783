// Reading, normalising and parsing query files: every message of the query file format, given
// through a query text.
#include <gtest/gtest.h>

#include "fixture.h"
#include "query/blocks.h"
#include "query/queryfile.h"
#include "query/references.h"

using namespace mirel;
using namespace mirel::query;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::QueryFixture;
using mirel::test::RecorderPrompt;

namespace {

// The messages a query text gives, and whether it ran.
struct Outcome {
    int status = 0;
    QStringList texts;
};

Outcome runText(const QString& text) {
    QueryFixture f;
    f.classifier({"1100 Север", "1200 Юг"});
    QueryResult r;
    Outcome o;
    o.status = f.run(text, r);
    o.texts = f.prompt.texts();
    return o;
}

const QString head = QStringLiteral("1: 101 1\n");

} // namespace

TEST(QueryReading, ABlankFileIsAnEmptyQuery) {
    const Outcome o = runText("   \n\n  \n");
    EXPECT_EQ(o.status, -1);
    EXPECT_EQ(o.texts, QStringList{"Паспорт счета пуст !!!"});
}

TEST(QueryReading, AMissingFileIsReportedOnceByTheReader) {
    QueryFixture f;
    QueryResult r;
    const QString path = f.ws.file("ЗАПРОСЫ/нет.PSP");
    EXPECT_EQ(runQuery(path, f.session, f.prompt, f.browser, f.options, r), -1);
    EXPECT_EQ(f.prompt.texts(), QStringList{"Файл не найден !!!\r\n" + path});
}

TEST(QueryReading, LinesAreUpperCasedTrimmedAndSqueezedAndNPeriodTakesTheMonthField) {
    RecorderPrompt p;
    QString text = QStringLiteral("  dat   \r\n\r\n 1 =  1\\1\\1   +  n_period \r\n");
    text = text.toUpper().replace("N_PERIOD", "7");
    const auto lines = queryLines(text, p);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (QStringList{"DAT", "1 = 1\\1\\1 + 7"}));

    QueryFixture f;
    f.session.month = "7";
    const QString path = f.query("N.PSP", "1: 101 1 2025 n_period\nDAT\n1=1\\1\\1");
    EXPECT_EQ(*readQueryText(path, f.session.month, f.prompt),
              QStringLiteral("1: 101 1 2025 7\r\nDAT\r\n1=1\\1\\1"));
}

TEST(QueryReading, UnbalancedBracketsNameTheFirstLine) {
    const Outcome o = runText(head + "DAT\n1=(1\\1\\1\n2=1\\1\\1)");
    EXPECT_EQ(o.status, -1);
    EXPECT_EQ(o.texts, QStringList{"Количество открывающих скобок не равно количеству "
                                   "закрывающих -> 1=(1\\1\\1"});
}

TEST(QueryReading, TheKindFollowsStrThenDat) {
    RecorderPrompt p;
    EXPECT_EQ(queryKind({"1: 101 1", "DAT", "1=1\\1\\1"}, p), RegionTable);
    EXPECT_EQ(queryKind({"DAT", "1=DESTRUCT"}, p), RowTable); // "STR" inside a word
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(queryKind({"1: 101 1", "1=1\\1\\1"}, p), NoKind);
    EXPECT_EQ(p.texts(), QStringList{"Не определен тип запроса !!!"});
}

TEST(QueryReading, BatchListsAndGeneratedTemplateQueriesAreKnownByName) {
    EXPECT_TRUE(isBatchList("/q/Пакет.link"));
    EXPECT_FALSE(isBatchList("/q/Пакет.PSP"));
    EXPECT_TRUE(isGeneratedTemplateQuery("/q/101_2512.01.PSP"));
    EXPECT_FALSE(isGeneratedTemplateQuery("/q/101_251.01.PSP"));
    EXPECT_FALSE(isGeneratedTemplateQuery("/q/101-2512.01.PSP"));
    EXPECT_FALSE(isGeneratedTemplateQuery("/q/Итоги 2512.PSP"));
    EXPECT_EQ(batchNames("A\r\n\r\n\r\n\r\nB.PSP\r\n\r\nC\r\nD\r\n\r\nОТДЕЛ\\E\r\n\r\n"),
              (QStringList{"A.PSP", "B.PSP", "ОТДЕЛ\\E.PSP"}));
    EXPECT_EQ(templatePath("/q/a.b/Итоги.PSP"), QStringLiteral("/q/a.b/Итоги.HTM"));
    EXPECT_EQ(templatePath("/q/Пакет.LINK"), QStringLiteral("/q/Пакет.HTM"));
}

TEST(ReferenceLines, FieldsOffsetsWordsAndFixedWidth) {
    QueryFixture f;
    ReferenceTable t;
    ASSERT_TRUE(parseReferenceLines(
        {"3: 101 1 -1", "1: 102 1", "FIX 4: 10101", "FIX 5: 10102LAST", "6: 101 2 2024 +1", "DAT"},
        f.session.forms, {"2025", "12"}, t, f.prompt));
    ASSERT_EQ(t.size(), 5);
    const auto fields = [](const Reference& r) {
        return QStringList{r.number, r.form, r.section, r.year, r.month, r.position, r.fix};
    };
    EXPECT_EQ(fields(t[0]), (QStringList{"3", "101", "1", "-1", "MOUNTH", "1 1", ""}));
    EXPECT_EQ(fields(t[1]), (QStringList{"1", "102", "1", "YEAR", "MOUNTH", "2 1", ""}));
    EXPECT_EQ(fields(t[2]), (QStringList{"4", "101", "01", "YEAR", "MOUNTH", "1 1", "FIX"}));
    EXPECT_EQ(fields(t[3]), (QStringList{"5", "101", "02", "LAST", "", "1 2", "FIX"}));
    EXPECT_EQ(fields(t[4]), (QStringList{"6", "101", "2", "2024", "+1", "1 2", ""}));
    EXPECT_TRUE(f.prompt.messages.isEmpty());

    resolvePeriods(t, f.session.forms, {"2025", "1"});
    EXPECT_EQ(t[0].resolvedYear + "/" + t[0].resolvedMonth, QStringLiteral("2024/1"));
    EXPECT_EQ(t[3].resolvedYear + "/" + t[3].resolvedMonth, QStringLiteral("2024/1"));
    EXPECT_EQ(t[4].resolvedYear + "/" + t[4].resolvedMonth, QStringLiteral("2024/2"));
    // Month offsets do not carry into the year.
    EXPECT_EQ(resolveMonth("-1", "1"), QStringLiteral("0"));
    EXPECT_EQ(resolveYear("LAST", "2001"), QStringLiteral("2000"));
    EXPECT_EQ(resolveYear("+2", "2001"), QStringLiteral("2003"));
    EXPECT_EQ(resolveYear("1999", "2001"), QStringLiteral("1999"));
}

TEST(ReferenceLines, EveryFaultHasItsMessage) {
    const QList<QPair<QString, QString>> cases{
        {"1: 101 1\n1: 101 2\nDAT\n1=1\\1\\1", "Повторное использование ссылки -> 1: 101 2"},
        {"A: 101 1\nDAT\n1=1", "Неверная ссылка -> A: 101 1"},
        {"1: 101\nDAT\n1=1", "Не задан код формы -> 1: 101"},
        {"1: 999 1\nDAT\n1=1", "Недопустимое значение кода формы -> 999"},
        {"1: 101 1 2019\nDAT\n1=1",
         "Форма некаталогизирована для данного отчетного периода : 101 2019 12"},
        {"1: 101 7\nDAT\n1=1", "Неверное значение идентификатора раздела -> 7"},
    };
    for (const auto& [text, message] : cases) {
        const Outcome o = runText(text);
        EXPECT_EQ(o.status, -1) << text.toStdString();
        EXPECT_EQ(o.texts, QStringList{message}) << text.toStdString();
    }
}

TEST(Blocks, EveryFaultOfTheBlockLanguageHasItsMessage) {
    const QString dat = head + "DAT\n1=1\\1\\1\n2=1\\1\\2\n";
    const QList<QPair<QString, QString>> cases{
        {head + "DAT\n5=", "Не задана формула -> 5="},
        {head + "DAT\n5 A", "Неверная формула -> 5 A"},
        {head + "DAT\nV=1", "Неверная формула -> V=1"},
        {head + "DAT", "После DAT не описана ни одна формула !!!"},
        // A reference line after DAT is read as a formula.
        {head + "DAT\n1=1\\1\\1\n2: 101 2", "Неверная формула -> 2: 101 2"},
        {dat + "DEC\nX", "После слова DEC не перечислена точность вычислений граф"},
        {dat + "DEC", "После слова DEC не перечислена точность вычислений граф"},
        {dat + "DEC\n0 2", "Нулевое значение номера графы в блоке определения точности вычислений"},
        {dat + "DEC\n5 2",
         "Недопустимое значение номера графы (5) в блоке определения точности вычислений !!!"},
        {dat + "RANG\nX",
         "После слова RANG (IND) не перечислены графы ранжирования (индексирования)"},
        {dat + "IND2", "После слова RANG (IND) не перечислены графы ранжирования (индексирования)"},
        {dat + "RANG\n1 4",
         "Недопустимое значение номера графы в блоке определения граф ранжирования !!!"},
        {dat + "RANG\n1 0",
         "Недопустимое значение номера графы в блоке определения граф ранжирования !!!"},
        {dat + "IND\n4 1",
         "Недопустимое значение номера графы в блоке определения граф индексирования !!!"},
        {dat + "SUMM", "Не перечислены графы суммирования !!!"},
        {dat + "MID", "Не перечислены графы расчета средних значений !!!"},
        {dat + "SORT -", "После строки SORT не определена графа сортировки данных !!!"},
        {dat + "SORT\nX", "Неверно определена графа сортировки данных !!!"},
        {dat + "SORT\n7", "Недопустимое значение графы сортировки !!!"},
        {head + "DAT\n1=1\\1\\1\nNOT_CALC\n1100\n0 нет",
         "Не выделен код в блоке NOT_CALC -> 0 НЕТ"},
    };
    for (const auto& [text, message] : cases) {
        const Outcome o = runText(text);
        EXPECT_EQ(o.status, -1) << text.toStdString();
        EXPECT_EQ(o.texts, QStringList{message}) << text.toStdString();
    }
}

TEST(Blocks, ListsModesAndExclusionsAreStoredPerColumn) {
    RecorderPrompt p;
    RowBlock b;
    b.lines =
        QStringList{"DAT",   "1=1\\1\\1", "NOT_CALC", "1100", "1200 ЮГ", "2=1\\1\\2", "V1=1\\1\\3",
                    "RANG2", "1 2",       "NOT_CALC", "1300", "IND",     "2 1",       "RANG0",
                    "2 2",   "DEC",       "1 2",      "SUMM", "1",       "2",         "MID",
                    "2",     "DEL",       "SORT -",   "2",    "VV1=1"};
    QueryTables t;
    ASSERT_TRUE(parseBlock(b, false, {}, t, p));
    EXPECT_TRUE(p.messages.isEmpty());
    ASSERT_EQ(b.formulas.size(), 2);
    // A formula line after a NOT_CALC list is a formula, not a region code.
    EXPECT_EQ(b.formulas[0].notCalc, (QStringList{"1100", "1200"}));
    EXPECT_EQ(b.formulas[1].column + "=" + b.formulas[1].text, QStringLiteral("2=1\\1\\2"));
    EXPECT_EQ(b.virtuals.value(0).value(0).text, QStringLiteral("1\\1\\3"));
    EXPECT_EQ(t.rang.value(1).mode, 2);
    EXPECT_EQ(t.rang.value(1).notCalc, QStringList{"1300"});
    EXPECT_EQ(t.rang.value(2).mode, 1); // RANG0 counts as RANG1
    EXPECT_EQ(t.ind.value(2).second, 1);
    EXPECT_EQ(t.dec.value(1).second, 2);
    EXPECT_EQ(t.summ, (QList<int>{1, 2}));
    EXPECT_EQ(t.mid, QList<int>{2});
    EXPECT_EQ(t.del, QList<int>{0});
    EXPECT_EQ(t.sort.value(2), QStringLiteral("-"));
    EXPECT_EQ(multySetting({"MULTY_REG", "MULTY_X3"}).count, 0); // only the first MULTY_ line
    EXPECT_EQ(multySetting({"MULTY_Y 3"}).count, 3);
    EXPECT_EQ(multyRegSetting({"MULTY_REG"}), QChar('Y'));
    EXPECT_EQ(multyRegSetting({"MULTY_REG X"}), QChar('X'));
}

TEST(Blocks, TemplatesRepeatForEveryRowAndColumnOfTheBaseSection) {
    const auto base = test::section("1", {"1", "2"}, {"1", "3"});
    EXPECT_EQ(
        expandRowTemplates({"COD", "STR I", "1=1\\I\\1+IF(1>0,1)", "DEC", "1 1", "SORT"}, &base),
        (QStringList{"COD", "STR 1", "1=1\\1\\1+IF(1>0,1)", "DEC", "1 1", "STR 2",
                     "1=1\\2\\1+IF(1>0,1)", "DEC", "1 1", "SORT"}));
    RecorderPrompt p;
    RowBlock b;
    b.lines = QStringList{"J=1\\1\\J*2", "NOT_CALC", "1100"};
    QueryTables t;
    ASSERT_TRUE(parseBlock(b, true, {&base}, t, p));
    ASSERT_EQ(b.formulas.size(), 2);
    EXPECT_EQ(b.formulas[1].column + "=" + b.formulas[1].text, QStringLiteral("3=1\\1\\3*2"));
    EXPECT_EQ(b.formulas[1].notCalc, QStringList{"1100"});
}

TEST(Blocks, GlobalVirtualReferencesAreCountedByLineAndTheirFaultsDoNotStop) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    QueryResult r;
    ASSERT_EQ(f.run(head + "VV0=1\\1\\1\nVV7=\nVV2 = 1\\1\\2\nDAT\n1=VV3*10", r), 0);
    EXPECT_EQ(f.prompt.texts(), (QStringList{"Не определен номер глобальной виртуальной ссылки !!!",
                                             "Не определена глобальная виртуальная ссылка !!!"}));
    EXPECT_EQ(r.table.matrix, test::rows({"Север|1100|60"}));
}

TEST(RowBlocks, CodAndStrFaults) {
    const QString str = head + "STR 1\n1=1\\1\\1\n";
    const QList<QPair<QString, QString>> cases{
        {str, "Не задан код региона !!!"},
        {str + "COD", "После COD не задан код региона !!!"},
        {str + "COD\n0", "код региона= 0 !!!"},
        {str + "COD\n9999", "Не найден код региона -> 9999"},
        {head + "STR\n1=1\\1\\1\nCOD\n1100",
         "Недействительное значение идентификатора строки формируемой таблицы -> STR"},
        {head + "STR 1\nSTR 2\n1=1\\1\\1\nCOD\n1100", "Не выделен блок формул !!!"},
        {head + "1=1\\1\\1\nCOD\n1100\nSTR 1", "Не выделен блок формул !!!"},
        {head + "COD\n1100\nDESTROY", "Не выделен блок формул !!!"},
    };
    for (const auto& [text, message] : cases) {
        const Outcome o = runText(text);
        EXPECT_EQ(o.status, -1) << text.toStdString();
        EXPECT_EQ(o.texts, QStringList{message}) << text.toStdString();
    }
}
