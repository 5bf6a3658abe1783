#include <gtest/gtest.h>

#include "control/rules.h"
#include "fixture.h"

using namespace mirel::control;
using mirel::platform::Icon;
using mirel::test::ControlFixture;
using mirel::test::Message;

TEST(CodeList, EntriesRangesAndTheEmptyList) {
    const CodeList cod = CodeList::parse("COD 1401-1420, 1450");
    for (qint64 v : {1401, 1410, 1420, 1450})
        EXPECT_TRUE(cod.matches(v)) << v;
    for (qint64 v : {1400, 1421, 1449, 1451})
        EXPECT_FALSE(cod.matches(v)) << v;
    // Letters and "=" are ignored; a range written backwards is the same range.
    const CodeList s = CodeList::parse("S = 7-5,2");
    EXPECT_TRUE(s.matches(2));
    EXPECT_TRUE(s.matches(6));
    EXPECT_FALSE(s.matches(4));
    EXPECT_TRUE(CodeList::parse("COD").isEmpty());
    EXPECT_TRUE(CodeList::parse("COD").matches(123456));
    EXPECT_FALSE(CodeList::parse("COD 99999999999999999999999").matches(5));
}

TEST(Macros, RowsAndColumnsOfTheLinesFirstReference) {
    EXPECT_EQ(expandMacros(R"(1\1\3=SUMM_S(2,5,3))"), R"(1\1\3=1\2\3+1\3\3+1\4\3+1\5\3)");
    EXPECT_EQ(expandMacros(R"(2\1\1=SUMM_G(2,4,1)+1)"), R"(2\1\1=2\1\2+2\1\3+2\1\4+1)");
    // Several macros in one line, blanks inside the brackets.
    EXPECT_EQ(expandMacros(R"(1\1\1=SUMM_S( 2 , 3 , 1 )+SUMM_G(2,3,1))"),
              R"(1\1\1=1\2\1+1\3\1+1\1\2+1\1\3)");
    // A macro after "-" or before "*" stays one sum.
    EXPECT_EQ(expandMacros(R"(1\1\1=1\9\1-SUMM_S(2,3,1))"), R"(1\1\1=1\9\1-(1\2\1+1\3\1))");
    EXPECT_EQ(expandMacros(R"(1\1\1=SUMM_S(2,3,1)*2)"), R"(1\1\1=(1\2\1+1\3\1)*2)");
    // Lines that do not begin with a reference, and arguments that are not numbers, stay.
    EXPECT_EQ(expandMacros(R"((1\1\1)=SUMM_S(2,3,1))"), R"((1\1\1)=SUMM_S(2,3,1))");
    EXPECT_EQ(expandMacros(R"(1\1\1=SUMM_S(2,G,1))"), R"(1\1\1=SUMM_S(2,G,1))");
    EXPECT_EQ(expandMacros(R"(1\1\1=SUMM_S(5,2,1))"), R"(1\1\1=SUMM_S(5,2,1))");
    EXPECT_EQ(expandMacros(R"(1\1\1=SUMM_S(1,999999,1))"), R"(1\1\1=SUMM_S(1,999999,1))");
    EXPECT_EQ(expandMacros(R"(1\1\1=SUMM_S(2,3)"), R"(1\1\1=SUMM_S(2,3)");
}

TEST(Selections, RelativePeriodsGoBackOverTheYear) {
    EXPECT_EQ(movePeriod(2005, 3, 0, 3), std::make_pair(2004, 12));
    EXPECT_EQ(movePeriod(2005, 3, 1, 0), std::make_pair(2004, 3));
    EXPECT_EQ(movePeriod(2005, 3, 0, 2), std::make_pair(2005, 1));
    EXPECT_EQ(movePeriod(2005, 1, 0, 13), std::make_pair(2003, 12));

    ControlFixture f;
    f.writeSection("0412", "101", "01", {"1 7 8 9"});
    auto s = parseSelection("2: 101 01 -0-3", f.target, f.prompt);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name, "2");
    EXPECT_EQ(s->label, "101 01 -0-3:");
    EXPECT_EQ(s->year + s->month, "200412");
    EXPECT_EQ(s->path, f.ws.file("DAT") + "/DAT_0412.101/1401.01");
    EXPECT_TRUE(s->hasData);
    EXPECT_EQ(s->matrix.value(1, 3), "9");
    EXPECT_FALSE(s->current);

    // Defaults: section 01, this period; one digit d is section 0d; the label after "//".
    s = parseSelection("3: 102 2 -1 // Прошлый год", f.target, f.prompt);
    EXPECT_EQ(s->section, "02");
    EXPECT_EQ(s->year + s->month, "200403");
    EXPECT_EQ(s->label, "Прошлый год:");
    EXPECT_FALSE(s->hasData);
    s = parseSelection("4: 10102 // ИТОГ:", f.target, f.prompt);
    EXPECT_EQ(s->formCode + s->section, "10102");
    EXPECT_EQ(s->label, "ИТОГ:");
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(Selections, TheCurrentSectionAndFixedPeriods) {
    ControlFixture f;
    auto s = parseSelection("1: 101 // Этот раздел", f.target, f.prompt);
    EXPECT_TRUE(s->current);
    EXPECT_TRUE(s->path.isEmpty());
    EXPECT_TRUE(s->label.isEmpty());
    // A fixed selection of the same section reads its stored file.
    s = parseSelection("2: 101 01 2005 03 FIX", f.target, f.prompt);
    EXPECT_FALSE(s->current);
    EXPECT_EQ(s->path, f.ws.file("DAT") + "/DAT_0503.101/1401.01");
    s = parseSelection("3: 101 LAST 12 FIX // Конец года", f.target, f.prompt);
    EXPECT_EQ(s->year + s->month, "200412");
    EXPECT_EQ(s->label, "Конец года:");
    s = parseSelection("3: 101 02 YEAR 01 FIX //", f.target, f.prompt);
    EXPECT_EQ(s->section + s->year + s->month, "02200501");
    EXPECT_EQ(s->label, "???");
    // A month no data file can have gives a selection without data.
    s = parseSelection("3: 101 2005 13 FIX", f.target, f.prompt);
    EXPECT_FALSE(s->hasData);
}

TEST(Selections, FormCodeAndSectionNumberErrorsNameTheLine) {
    ControlFixture f;
    EXPECT_FALSE(parseSelection("5: 10 01", f.target, f.prompt));
    EXPECT_FALSE(parseSelection("6: 101 123", f.target, f.prompt));
    EXPECT_FALSE(parseSelection("7: ABC", f.target, f.prompt));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "ОШИБКА ! КОД ФОРМЫ = 10", "5: 10 01"},
                              {Icon::Error, "ОШИБКА ! ЧИСЛО РАЗДЕЛОВ = 123", "6: 101 123"},
                              {Icon::Error, "ОШИБКА ! КОД ФОРМЫ = ", "7: ABC"}}));
}

// Every fault of a rule file stops the run with its message: no finding, nothing to write.
TEST(RuleFaults, EachStopsTheRunWithItsMessage) {
    const QString other = "1: 101\n2: 102\n\n// К\n";
    const struct {
        QString rules;
        Message message;
    } cases[] = {
        {"1: 10 -1\n\n// К\n1\\1\\1=0", {Icon::Error, "ОШИБКА ! КОД ФОРМЫ = 10", "1: 10 -1"}},
        {"1: 101 001\n\n// К\n1\\1\\1=0",
         {Icon::Error, "ОШИБКА ! ЧИСЛО РАЗДЕЛОВ = 001", "1: 101 001"}},
        {"1\\1\\1=0", {Icon::Error, "В блоке формул отсутствует комментарий !!!", "Выход !!!"}},
        {"// А\n// Б\n1\\1\\1=0",
         {Icon::Error, "В блоке формул две строки комментариев !!!", "Выход !!!"}},
        {"1\\1\\1=0\n// А",
         {Icon::Error, "В первой строке блока формул отсутствует комментарий !!!", "Выход !!!"}},
        {"// А\n1\\S\\1=0",
         {Icon::Error, "ОШИБКА ! S НЕ ИНИЦИАЛИЗИРОВАН, НО НАЙДЕНО : 1\\S\\1=0", "Выход !!!"}},
        {"// А\nS=1\n1\\S\\G=0",
         {Icon::Error, "ОШИБКА ! G НЕ ИНИЦИАЛИЗИРОВАН, НО НАЙДЕНО : 1\\S\\G=0", "Выход !!!"}},
        {"// А\n7\\1\\1=0",
         {Icon::Error, "ОШИБКА ! ИДЕНТИФИКАТОР = 7 ОТСУТСТВУЕТ В СПИСКЕ ИДЕНТИФИКАТОРОВ.",
          "ВЫХОД !!!"}},
        {"// А\n1\\X\\1=0",
         {Icon::Error, "ОШИБКА ! НЕЧИСЛОВОЕ ДАННОЕ В ПОЗИЦИИ НОМЕРА СТРОКИ !!!", "ВЫХОД !!!"}},
        {"// А\n1\\1=0",
         {Icon::Error, "ОШИБКА ! НЕЧИСЛОВОЕ ДАННОЕ В ПОЗИЦИИ НОМЕРА СТРОКИ !!!", "ВЫХОД !!!"}},
        {"// А\n1\\1\\X=0",
         {Icon::Error, "ОШИБКА ! НЕЧИСЛОВОЕ ДАННОЕ В ПОЗИЦИИ НОМЕРА ГРАФЫ !!!", "ВЫХОД !!!"}},
        {"// А\n1\\0\\1=0", {Icon::Error, "Номер строки = 0 !!!", "Выход !!!"}},
        {"// А\n1\\06\\1=0",
         {Icon::Error, "Номер строки превышает допустимое значение !!!", "6 > 5 !!!"}},
        {"// А\n1\\99999999999999999999\\1=0",
         {Icon::Error, "Номер строки превышает допустимое значение !!!",
          "99999999999999999999 > 5 !!!"}},
        {"// А\n1\\1\\0=0", {Icon::Error, "Номер графы = 0 !!!", "ВЫХОД !!!"}},
        {"// А\n1\\1\\4=0",
         {Icon::Error, "Номер графы превышает допустимое значение !!!", "4 > 3 !!!"}},
        {other + "2\\1\\3=0",
         {Icon::Error, "Номер графы  превышает допустимое значение !!!", "3 > 2 !!!"}},
        {other + "2\\3\\1=0",
         {Icon::Error, "Номер строки превышает допустимое значение !!!", "3 > 1 !!!"}},
        // ":" somewhere, but no leading selection line: no selection at all.
        {"// А\n1\\1\\1=0\n\n// Б\nPERIOD 3\n2: 101\n2\\1\\1=0",
         {Icon::Error, "ОШИБКА ! ИДЕНТИФИКАТОР = 1 ОТСУТСТВУЕТ В СПИСКЕ ИДЕНТИФИКАТОРОВ.",
          "ВЫХОД !!!"}},
        // Formulas the evaluator cannot read stop once, before anything is evaluated.
        {"// А\n(1\\1\\1=(0",
         {Icon::None,
          "Количество открывающих скобок не равно количеству закрывающих -> (1\\1\\1=(0",
          QString()}},
        // A relation with "!" or "#" fails when evaluated, but its sides must be readable.
        {"// А\n1\\1\\1*/2!=0",
         {Icon::Error, "Script_Control_Eval\r\nПредполагается наличие выражения", "1\\1\\1*/2!=0"}},
        // Rule files that leave nothing to check.
        {"", {Icon::Error, "В файле логического контроля нет блоков формул !!!", QString()}},
        {"1: 101\n2: 102 -1\n\n\n",
         {Icon::Error, "В файле логического контроля нет блоков формул !!!", QString()}},
        {QString("// А\n1\\1\\1=0\n") + QChar(0) + QChar(0),
         {Icon::Error, "Файл логического контроля не является текстовым файлом !!!", QString()}},
        {"// А\n1\\1\\1=SUMM_S(2,G,1)",
         {Icon::Error, "Script_Control_Eval\r\nСинтаксическая ошибка", "1\\1\\1=SUMM_S(2,G,1)"}},
        {"// А\n1\\1\\1=1\\2\\1.5",
         {Icon::Error, "Script_Control_Eval\r\nПредполагается наличие конца инструкции",
          "1\\1\\1=1\\2\\1.5"}},
        {"// А\n1\\1\\1=",
         {Icon::Error, "Script_Control_Eval\r\nПредполагается наличие выражения", "1\\1\\1="}},
    };
    for (const auto& c : cases) {
        ControlFixture f;
        f.writeSection("0503", "102", "01", {"1 5 6"});
        const ControlRun run = f.run(c.rules);
        EXPECT_TRUE(run.stopped()) << c.rules.toStdString();
        EXPECT_TRUE(run.findings.isEmpty()) << c.rules.toStdString();
        EXPECT_EQ(f.prompt.messages, QList<Message>{c.message}) << c.rules.toStdString();
    }
}

TEST(RuleFaults, OnlyTheFirstFaultIsReported) {
    ControlFixture f;
    // The comment fault of the first block is found before the bad row of the second.
    const ControlRun run = f.run("1\\1\\1=0\n\n// Б\n1\\0\\1=0");
    EXPECT_TRUE(run.stopped());
    EXPECT_EQ(f.prompt.texts(), QStringList{"В блоке формул отсутствует комментарий !!!"});
}

TEST(Blocks, PeriodLinesDecideBlockSelections) {
    ControlFixture f; // March 2005
    f.writeSection("0503", "102", "01", {"1 10"});
    const QString rules = "1: 101\n\n"
                          "// КВАРТАЛ\nPERIOD 3,6,9,12\n2: 102\n1\\1\\1=2\\1\\1\n\n"
                          "// ПОЛУГОДИЕ\nPERIOD 6,12\n3: 102\n1\\1\\1=3\\1\\1\n\n"
                          "// БЕЗ PERIOD\n4: 102\n1\\1\\1=4\\1\\1";
    const ControlRun run = f.run(rules);
    ASSERT_TRUE(run.checked());
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    // Only the quarter block applies in March: 10 against 10 holds, so nothing is found; make
    // it fail to see which blocks ran.
    f.grid.setCell(1, 1, "11");
    const ControlRun failing = f.run(rules);
    EXPECT_EQ(
        failing.findings,
        (QStringList{"", "// КВАРТАЛ", "", "Не выполнено условие : с.1г.1=102:с.1г.1", "11<>10"}));
}

TEST(Blocks, BlockSelectionsComeBeforeSelectionsOfTheSameName) {
    ControlFixture f;
    f.writeSection("0503", "102", "01", {"1 10"});
    f.writeSection("0503", "103", "01", {"1 20"});
    const ControlRun run = f.run("1: 101\n2: 102 // Форма 102\n\n// А\n1\\1\\1=2\\1\\1\n\n"
                                 "// Б\nPERIOD 1-12\n2: 103 // Форма 103\n1\\1\\1=2\\1\\1");
    EXPECT_EQ(
        run.findings,
        (QStringList{"", "// Б", "", "Не выполнено условие : с.1г.1=ФОРМА 103:с.1г.1", "10<>20"}));
}

TEST(Blocks, CommentsMayHoldColonsAndIfLinesAreAccepted) {
    ControlFixture f;
    const ControlRun run = f.run("// Итог: строка 1\nIF 1\\1\\1>0 THEN 1\\2\\1>0\n1\\1\\1=1");
    ASSERT_TRUE(run.checked());
    EXPECT_EQ(run.findings, (QStringList{"", "// ИТОГ: СТРОКА 1", "",
                                         "Не выполнено условие : с.1г.1=1", "10<>1"}));
}

TEST(Blocks, AFormulaOnASectionWithoutDataIsLeftOutWithTheRestOfItsBlock) {
    ControlFixture f;
    const QString rules = "1: 101\n2: 102 -1 // Год назад\n\n"
                          "// А\n1\\1\\1=1\n1\\1\\1=2\\1\\1\n1\\1\\1=3\n\n"
                          "// Б\n1\\2\\1=5";
    ControlRun run = f.run(rules);
    ASSERT_TRUE(run.checked());
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    // The first formula stays, the second and the third are left out; block Б runs.
    EXPECT_EQ(run.findings,
              (QStringList{"", "// А", "", "Не выполнено условие : с.1г.1=1", "10<>1", "", "// Б",
                           "", "Не выполнено условие : с.2г.1=5", "4<>5"}));
    ASSERT_EQ(run.missing.size(), 1);
    EXPECT_EQ(run.missing.first().path, f.ws.file("DAT") + "/DAT_0403.102/1401.01");

    // The whole-form run reports the gap first.
    run = f.run(rules, true);
    EXPECT_EQ(run.findings.first(), "НЕПОЛНЫЙ ЛОГИЧЕСКИЙ КОНТРОЛЬ : отсутствуют данные по разделу "
                                    "01, формы 102 за отчетный период 0403");
    EXPECT_EQ(run.findings.size(), 11);
}
