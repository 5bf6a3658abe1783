// Formulas: short names, tokenising, reading values from data files, IF, zero divisors,
// evaluation and precision.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "core/text.h"
#include "data/sectionfile.h"
#include "fixture.h"
#include "platform/codec.h"
#include "query/datacache.h"
#include "query/formulas.h"

using namespace mirel;
using namespace mirel::query;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::QueryFixture;
using mirel::test::RecorderPrompt;
using mirel::test::rows;

namespace {

const QString head = QStringLiteral("1: 101 1\n");

QStringList messagesOf(const QString& text) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    QueryResult r;
    EXPECT_EQ(f.run(text, r), -1) << text.toStdString();
    return f.prompt.texts();
}

} // namespace

TEST(DataFileValues, RowsAreFoundByIdentifierThenByNumericValue) {
    const QString text = QStringLiteral("PR_?\r\n! 0000 101 01 25 12 1100\r\n1 5 6 7\r\n"
                                        "03  8   9\r\n2 1,5 2\r\nИТОГО 100 200\r\n2 9 9\r\n");
    const DataFile f(platform::encode1251(text));
    EXPECT_EQ(f.value("1", 2), "6");
    EXPECT_EQ(f.value("2", 1), "1,5");     // the first line of row 2
    EXPECT_EQ(f.value("3", 2), "9");       // 03 has the value of 3
    EXPECT_EQ(f.value("ИТОГО", 2), "200"); // identifiers need not be numbers
    EXPECT_EQ(f.value("2", 3), "0");       // fewer fields than the column
    EXPECT_EQ(f.value("4", 1), "0");       // no such row
    EXPECT_EQ(f.value("1", 0), "0");
    // An identifier whose value is 0 never reads the state or header line.
    EXPECT_EQ(f.value("ВСЕГО", 1), "0");
    // A first line is found only by its numeric value.
    const QString first = QStringLiteral("7 1 2\r\n");
    const DataFile bare(platform::encode1251(first));
    EXPECT_EQ(bare.value("7", 2), "2");
}

namespace {

// The lookup rule read plainly from the text: the first line after the first one that begins
// with the row identifier and a blank, else the first line beginning with a digit whose first
// field has the value of the identifier; then field column + 1 of the line.
QString plainValue(const QString& text, const QString& row, int column) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    int found = -1;
    for (int l = 1; l < lines.size() && found < 0; ++l)
        if (lines.at(l).startsWith(row + QLatin1Char(' '))) found = l;
    for (int l = 0; l < lines.size() && found < 0; ++l) {
        const QString& line = lines.at(l);
        if (!line.isEmpty() && line.at(0) >= QLatin1Char('0') && line.at(0) <= QLatin1Char('9') &&
            core::Val(line.section(QLatin1Char(' '), 0, 0)) == core::Val(row))
            found = l;
    }
    if (found < 0 || column < 1) return QStringLiteral("0");
    return lines.at(found).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(column, "0");
}

} // namespace

TEST(DataFileValues, LookupsAgreeWithThePlainRuleInSmallAndLargeFiles) {
    // Generated files of up to 60 lines, and of up to 400 (over 4 KiB: indexed); identifiers
    // with leading zeros, letters and blanks, lines led by blanks, without fields, empty, ended
    // by LF or CR LF, a last line without its end.
    const QStringList ids{"1", "2", "3", "01", "10", "12", "А", "ИТОГО", "1 2", " 3", "007", "0"};
    const QStringList asked{"1", "2", "3", "4", "7", "10", "003", "А", "ИТОГО", "1 2", "", "0"};
    QRandomGenerator random(20251208);
    for (int n = 0; n < 400; ++n) {
        QString text = QStringLiteral("PR_?\r\n! 0000 101 01 25 12 1100\r\n");
        const int count = int(random.bounded(n % 4 == 0 ? 400 : 62));
        for (int l = 0; l < count; ++l) {
            if (random.bounded(20) == 0) {
                text += QStringLiteral("\r\n");
                continue;
            }
            text += ids.at(random.bounded(int(ids.size())));
            for (int c = int(random.bounded(5)); c > 0; --c)
                text += QString(int(random.bounded(1, 3)), QLatin1Char(' ')) +
                        QString::number(random.bounded(100));
            if (l + 1 < count || random.bounded(2) == 0)
                text += random.bounded(2) ? QStringLiteral("\r\n") : QStringLiteral("\n");
        }
        const QByteArray bytes = platform::encode1251(text);
        const DataFile file(bytes);
        const QString prepared =
            platform::decode1251(data::memoBytes(bytes).toByteArray()) + "\r\n";
        for (const QString& row : asked)
            for (int column = 0; column <= 5; ++column)
                ASSERT_EQ(file.value(row, column), plainValue(prepared, row, column))
                    << "row \"" << row.toStdString() << "\" column " << column << " in\n"
                    << text.toStdString();
    }
}

namespace {

const DataFile& fileOf(DataCache& cache, const QString& folder, const QString& region) {
    return cache.file(cache.section(folder, 1), cache.regionNumber(region));
}

// Row 1, column 3 (or another column) of a region's file of section 1 in the folder.
QString valueOf(DataCache& cache, const QString& folder, const QString& region, int column = 3) {
    return fileOf(cache, folder, region).value("1", column);
}

} // namespace

TEST(DataFileValues, EachFileIsReadOnceAndMissingFilesAreMarked) {
    QueryFixture f;
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    f.data("101", "2512", "1300", 1, {"1 8"});
    DataCache cache;
    const QString folder = f.ws.file("DAT/DAT_2512.101");
    EXPECT_EQ(valueOf(cache, folder, "1100"), "7");
    f.data("101", "2512", "1100", 1, {"1 50 60 70"});
    EXPECT_EQ(valueOf(cache, folder, "1100"), "7");   // the text read first
    EXPECT_EQ(valueOf(cache, folder, " 1100 "), "7"); // codes are trimmed
    EXPECT_FALSE(fileOf(cache, folder, "1200").exists);
    EXPECT_EQ(cache.size(), 2);
    // After a missing file the folder is listed: the files in it are still read.
    EXPECT_EQ(valueOf(cache, folder, "1300", 1), "8");
    EXPECT_FALSE(fileOf(cache, f.ws.file("DAT/DAT_2511.101"), "1100").exists); // no folder

    // Names that differ in case are found too, before and after a missing file.
    f.ws.write("DAT/DAT_2512.102/1300.01", "PR_?\n! x\n1 4\n");
    f.ws.write("DAT/DAT_2512.102/1400.01", "PR_?\n! x\n1 5\n");
    f.ws.write("DAT/DAT_2512.102/1500.01", "");
    DataCache other;
    const QString lower = f.ws.file("dat/dat_2512.102");
    EXPECT_EQ(valueOf(other, lower, "1300", 1), "4");
    EXPECT_FALSE(fileOf(other, lower, "1200").exists);
    EXPECT_EQ(valueOf(other, lower, "1400", 1), "5");
    // An empty file exists: its values are "0", not the mark of a missing file.
    EXPECT_TRUE(fileOf(other, lower, "1500").exists);
    EXPECT_EQ(valueOf(other, lower, "1500", 1), "0");
}

TEST(DataFileValues, OnlyTheFilesOfTheLastRegionsAndOfNamedRegionsAreKept) {
    QueryFixture f;
    const QStringList regions{"1100", "1200", "1300", "1400", "1500"};
    for (const QString& r : regions)
        f.data("101", "2512", r, 1, {"1 " + r});
    DataCache cache;
    const QString folder = f.ws.file("DAT/DAT_2512.101");
    cache.keepRegion(cache.regionNumber("1500")); // named in a formula
    EXPECT_EQ(valueOf(cache, folder, "1500", 1), "1500");
    for (const QString& r : regions.mid(0, 4))
        EXPECT_EQ(valueOf(cache, folder, r, 1), r);
    EXPECT_EQ(cache.size(), 5);
    for (const QString& r : regions)
        f.data("101", "2512", r, 1, {"1 9"});
    // The last two regions are still in memory, the named one too; the others were let go and
    // are read again.
    EXPECT_EQ(valueOf(cache, folder, "1400", 1), "1400");
    EXPECT_EQ(valueOf(cache, folder, "1300", 1), "1300");
    EXPECT_EQ(valueOf(cache, folder, "1500", 1), "1500");
    EXPECT_EQ(cache.size(), 5);
    EXPECT_EQ(valueOf(cache, folder, "1100", 1), "9");
    EXPECT_EQ(cache.size(), 6);
}

TEST(DataFileValues, ALargeFileAmongSmallOnesKeepsEveryText) {
    // Forty thousand rows: more text than the cache keeps in one block, and an indexed file.
    QueryFixture f;
    QStringList big;
    for (int r = 1; r <= 40000; ++r)
        big.append(QString::number(r) + " " + QString::number(r * 3) + " 7");
    f.data("101", "2512", "1100", 1, {"1 11"});
    f.data("101", "2512", "1200", 1, big);
    f.data("101", "2512", "1300", 1, {"1 13"});
    DataCache cache;
    const QString folder = f.ws.file("DAT/DAT_2512.101");
    EXPECT_EQ(valueOf(cache, folder, "1100", 1), "11");
    EXPECT_EQ(valueOf(cache, folder, "1200", 1), "3");
    EXPECT_EQ(valueOf(cache, folder, "1300", 1), "13");
    const DataFile& file = fileOf(cache, folder, "1200");
    EXPECT_EQ(file.value("39999", 1), "119997");
    EXPECT_EQ(file.value("040000", 2), "7"); // by its numeric value
    EXPECT_EQ(file.value("40001", 1), "0");
    EXPECT_EQ(valueOf(cache, folder, "1100", 1), "11");
}

TEST(DataFileValues, ReferencesToTheSameFileShareOneReading) {
    // References 1 and 2 name the same section and period; 3 names it for region 1100 only.
    QueryFixture f;
    f.classifier({"1100 Север", "1200 Юг"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    f.data("101", "2512", "1200", 1, {"1 2 3 4"});
    ReferenceTable refs;
    ASSERT_TRUE(parseReferenceLines({"1: 101 1", "2: 101 1 2025 12", "3: 101 1 YEAR MOUNTH"},
                                    f.session.forms, {"2025", "12"}, refs, f.prompt));
    resolvePeriods(refs, f.session.forms, {"2025", "12"});
    DataCache cache;
    FormulaContext ctx;
    ctx.refs = &refs;
    ctx.forms = &f.session.forms;
    ctx.datDir = f.session.dirs[core::DirDAT];
    ctx.cache = &cache;
    ctx.prompt = &f.prompt;
    const auto parts =
        tokenise("1\\1\\1+2\\1\\2*3\\1\\3\\1100", refs, f.session.forms, false, f.prompt);
    ASSERT_TRUE(parts);
    const CompiledFormula formula{1, QString(), *parts, {}};
    QString cell;
    ASSERT_EQ(evaluateFormula(formula, "1100", 0, ctx, cell), CellOutcome::Value);
    EXPECT_EQ(cell, QStringLiteral("47"));
    ASSERT_EQ(evaluateFormula(formula, "1200", 0, ctx, cell), CellOutcome::Value);
    EXPECT_EQ(cell, QStringLiteral("23"));
    ASSERT_EQ(evaluateFormula(formula, "1100", 0, ctx, cell), CellOutcome::Value);
    EXPECT_EQ(cell, QStringLiteral("47"));
    EXPECT_EQ(cache.size(), 2);
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join(" | ").toStdString();
}

TEST(DataFileValues, AReferenceToOneRegionReadsOnlyThatRegionsFile) {
    QueryFixture f;
    for (const char* region : {"1100", "1200", "1300"}) {
        f.data("101", "2512", region, 1, {"1 1"});
        f.data("102", "2512", region, 1, {"1 10"});
    }
    ReferenceTable refs;
    ASSERT_TRUE(parseReferenceLines({"1: 101 1", "2: 102 1"}, f.session.forms, {"2025", "12"}, refs,
                                    f.prompt));
    resolvePeriods(refs, f.session.forms, {"2025", "12"});
    DataCache cache;
    FormulaContext ctx;
    ctx.refs = &refs;
    ctx.forms = &f.session.forms;
    ctx.datDir = f.session.dirs[core::DirDAT];
    ctx.cache = &cache;
    ctx.prompt = &f.prompt;
    const auto parts = tokenise("1\\1\\1+2\\1\\1\\1200", refs, f.session.forms, false, f.prompt);
    ASSERT_TRUE(parts);
    const CompiledFormula formula{1, QString(), *parts, {}};
    for (const char* region : {"1100", "1200", "1300"}) {
        QString cell;
        ASSERT_EQ(evaluateFormula(formula, region, 0, ctx, cell), CellOutcome::Value);
        EXPECT_EQ(cell, "11");
    }
    EXPECT_EQ(cache.size(), 4); // the three files of form 101 and one of form 102
}

TEST(ShortNames, ExpandInTheirOrderWithBrackets) {
    RecorderPrompt p;
    RowBlock b;
    b.formulas = {{"1", "V1+VV1", {}, 0}, {"2", "G1*2", {}, 0}, {"3", "G2-V2", {}, 0}};
    b.virtuals = {{{"1", "1\\1\\1", {}, 0}, {"2", "V1/2", {}, 0}}};
    ASSERT_TRUE(expandShortNames(b, {"1\\1\\2"}, p));
    EXPECT_EQ(b.formulas[0].text, QStringLiteral("(1\\1\\1)+1\\1\\2"));
    EXPECT_EQ(b.formulas[1].text, QStringLiteral("((1\\1\\1)+1\\1\\2)*2"));
    EXPECT_EQ(b.formulas[2].text, QStringLiteral("(((1\\1\\1)+1\\1\\2)*2)-((1\\1\\1)/2)"));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(ShortNames, RowReferencesTakeTheSameColumnOfTheNamedRow) {
    RecorderPrompt p;
    QList<RowBlock> blocks(3);
    blocks[0].id = "1";
    blocks[0].formulas = {{"1", "1\\1\\1+1\\2\\1", {}, 0}, {"2", "1\\1\\2", {}, 0}};
    blocks[1].id = "2";
    blocks[1].formulas = {{"1", "1\\3\\1", {}, 0}};
    blocks[2].id = "3";
    blocks[2].formulas = {{"1", "S1-S2", {}, 0}, {"2", "S1+S2+SORT", {}, 0}};
    ASSERT_TRUE(expandRowReferences(blocks, p));
    EXPECT_EQ(blocks[2].formulas[0].text, QStringLiteral("(1\\1\\1+1\\2\\1)-(1\\3\\1)"));
    // Row 2 has no formula for column 2: an empty cell; words such as SORT stay.
    EXPECT_EQ(blocks[2].formulas[1].text, QStringLiteral("(1\\1\\2)+(0)+SORT"));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(ShortNames, FaultsAndCyclesHaveTheirMessages) {
    EXPECT_EQ(messagesOf(head + "STR 1\n1=S5\nCOD\n1100"),
              QStringList{"Недопустимое значение ссылки (5) на строку формируемой таблицы-> 1=S5"});
    EXPECT_EQ(messagesOf(head + "STR 1\n1=S2\nSTR 2\n1=S1\nCOD\n1100"),
              QStringList{"Недопустимое значение ссылки (1) на строку формируемой таблицы-> 1=S1"});
    EXPECT_EQ(messagesOf(head + "DAT\nV1=1\\1\\1\nV1=2\n1=V1"),
              QStringList{"Повторное использование ссылки на графу -> 1=2"});
    EXPECT_EQ(messagesOf(head + "DAT\n1=V2"),
              QStringList{"Недопустимое значение ссылки (2) на виртуальную графу -> 1=V2"});
    EXPECT_EQ(messagesOf(head + "DAT\nV1=V1\n1=V1"),
              QStringList{"Недопустимое значение ссылки (1) на виртуальную графу -> 1=V1"});
    EXPECT_EQ(
        messagesOf(head + "VV1=1\\1\\1\nDAT\n1=VV3"),
        QStringList{"Недопустимое значение ссылки (3) на глобальную виртуальную графу -> 1=VV3"});
    EXPECT_EQ(messagesOf(head + "DAT\n1=G4"),
              QStringList{"Недопустимое значение ссылки (4) на графу -> 1=G4"});
    EXPECT_EQ(messagesOf(head + "DAT\n1=G2\n2=G1"),
              QStringList{"Недопустимое значение ссылки (1) на графу -> 2=G1"});
}

TEST(Tokenising, ReferencesSplitIntoTheirFields) {
    QueryFixture f;
    ReferenceTable refs;
    ASSERT_TRUE(parseReferenceLines({"1: 101 1", "12: 102 1"}, f.session.forms, {"2025", "12"},
                                    refs, f.prompt));
    const auto parts = tokenise("(1\\1\\2+12\\2\\1\\1100)*100/1\\3\\3\\\\9-IF(1\\I\\1>0,1)", refs,
                                f.session.forms, false, f.prompt);
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 5);
    const auto p = [&](int i) {
        const Part& x = parts->at(i);
        return QStringList{x.literal, QString::number(x.ref), x.region, x.row, x.column,
                           x.trailing};
    };
    EXPECT_EQ(p(0), (QStringList{"(", "0", "", "1", "2", ""}));
    EXPECT_EQ(p(1), (QStringList{"+", "1", "1100", "2", "1", ""}));
    EXPECT_EQ(p(2), (QStringList{")*100/", "0", "", "3", "3", "9"}));
    EXPECT_EQ(p(3), (QStringList{"-IF(", "0", "", "I", "1", ""}));
    EXPECT_EQ(p(4), (QStringList{">0,1)", "-1", "", "", "", ""}));
}

TEST(Tokenising, EveryFaultOfAReferenceHasItsMessage) {
    const QList<QPair<QString, QString>> cases{
        {"\\1\\1", "Не выделена ссылка на форму-раздел-дату -> \\1\\1"},
        {"1\\1\\1/2\\1\\1", "Не действительна ссылка на форму-раздел-дату -> 1\\1\\1/2\\1\\1"},
        {"1\\1", "Не выделен идентификатор строки -> 1\\1"},
        {"1\\9\\1", "Недействительное значение идентификатора строки (9) : 1\\9\\1"},
        {"1\\1\\", "Не выделен идентификатор графы -> 1\\1\\"},
        {"1\\1\\+2", "Не выделен идентификатор графы -> 1\\1\\+2"},
        {"1\\1\\9", "Недействительное значение идентификатора графы (9) -> 1\\1\\9"},
        {"1\\1\\1\\X", "Не выделен код -> 1\\1\\1\\X"},
    };
    for (const auto& [formula, message] : cases)
        EXPECT_EQ(messagesOf(head + "DAT\n1=" + formula), QStringList{message})
            << formula.toStdString();
}

TEST(IfRewriting, ConditionsChooseTheValueOrZero) {
    ConditionError e;
    EXPECT_EQ(*rewriteIf("5+IF(3>2,7)*2", e), QStringLiteral("5+7*2"));
    EXPECT_EQ(*rewriteIf("IF(3<2,7)", e), QStringLiteral("0"));
    EXPECT_EQ(*rewriteIf("IF(1>0AND2>1,4)+IF(1>2OR0>1,5)", e), QStringLiteral("4+0"));
    EXPECT_EQ(*rewriteIf("IF(1,5>1,2)", e), QStringLiteral("2")); // decimal comma in a condition
    // The text before the first IF( is kept even when it has brackets.
    EXPECT_EQ(*rewriteIf("(1+2)*IF(1>0,3)", e), QStringLiteral("(1+2)*3"));
    EXPECT_EQ(*rewriteIf("IF(7)+1", e), QString()); // no comma: the piece is dropped
}

TEST(Evaluation, CellsOfOneRegion) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7", "2 2,5 0 0.5", "3 -2.005 2.005 2.996"});
    const auto one = [&](const QString& formula, const QString& dec = QString()) {
        const Matrix m =
            f.matrix(head + "DAT\n1=" + formula + (dec.isEmpty() ? "" : "\nDEC\n1 " + dec));
        return m.isEmpty() ? QStringLiteral("<failed>") : m.first().value(2);
    };
    EXPECT_EQ(one("1\\1\\1+1\\1\\2*2"), QStringLiteral("17"));
    EXPECT_EQ(one("1\\2\\1*2"), QStringLiteral("5"));         // "," is a decimal separator
    EXPECT_EQ(one("1\\1\\1/1\\2\\2"), QStringLiteral("***")); // divisor 0
    EXPECT_EQ(one("1\\1\\1/(0)"), QStringLiteral("***"));
    EXPECT_EQ(one("1\\1\\1/0.5"), QStringLiteral("10")); // 0.5 is no zero divisor
    EXPECT_EQ(one("1\\1\\1/1\\2\\3"), QStringLiteral("10"));
    EXPECT_EQ(one("1\\1\\1/(1\\2\\2*1)"), QStringLiteral("***")); // found by the evaluator
    EXPECT_EQ(one("IF(1\\1\\1>6,1\\1\\2)"), QStringLiteral("0"));
    EXPECT_EQ(one("IF(1\\1\\1<6,1\\1\\2)+1"), QStringLiteral("7"));
    EXPECT_EQ(one("1\\3\\2", "2"), QStringLiteral("2.01"));
    EXPECT_EQ(one("1\\3\\1", "2"), QStringLiteral("-2.01"));
    EXPECT_EQ(one("1\\1\\3", "2"), QStringLiteral("7.00"));
    EXPECT_EQ(one("1\\3\\3", "2"), QStringLiteral("3.00"));
    EXPECT_EQ(one("1\\2\\1", "5"), QStringLiteral("2.5000"));
    EXPECT_EQ(one("1\\1\\1\\1200"), QString()); // the data file of 1200 is missing
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join(" | ").toStdString();
}

TEST(Evaluation, ZeroDivisorsAreFoundInTheText) {
    RecorderPrompt p;
    FormulaContext ctx;
    ctx.prompt = &p;
    const auto cell = [&](const char* expression) {
        QString c;
        evaluateExpression(QString::fromUtf8(expression), 0, ctx, c);
        return c;
    };
    for (const char* e : {"5/0", "5/0+1", "5/ 0", "1+5/(0)", "5/0)", "5/0E1", "2/1+5/0", "5/00"})
        EXPECT_EQ(cell(e), "***") << e;
    // Divisors that only begin with a zero.
    EXPECT_EQ(cell("5/0.5"), "10");
    EXPECT_EQ(cell("5/0,5"), "10");
    EXPECT_EQ(cell("5/05"), "1");
    EXPECT_EQ(cell("5/(0.5)+10/4/0.5"), "15");
    EXPECT_TRUE(p.messages.isEmpty()) << p.texts().join(" | ").toStdString();
}

TEST(Evaluation, AnEvaluatorErrorStopsTheTableWithItsDescription) {
    QueryFixture f;
    f.classifier({"1100 Север", "1200 Юг"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    f.data("101", "2512", "1200", 1, {"1 5 X 7"});
    QueryResult r;
    ASSERT_EQ(f.run(head + "DAT\n1=1\\1\\1\n2=1\\1\\2+1", r), 0);
    EXPECT_EQ(r.table.matrix, rows({"Север|1100|5|7"})); // rows before the failing one
    ASSERT_EQ(f.prompt.messages.size(), 1);
    const Message m = f.prompt.messages.first();
    EXPECT_EQ(m.icon, Icon::Error);
    EXPECT_TRUE(m.text.endsWith("\r\nScript_Control_Eval")) << m.text.toStdString();
    EXPECT_GT(m.text.size(), QString("\r\nScript_Control_Eval").size());
    EXPECT_EQ(m.title, QStringLiteral("X+1"));
}
