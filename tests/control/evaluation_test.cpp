#include <gtest/gtest.h>

#include <optional>
#include <QRandomGenerator>

#include "control/logcontrol.h"
#include "fixture.h"

using namespace mirel::control;
using mirel::platform::Icon;
using mirel::test::ControlFixture;
using mirel::test::Message;
using mirel::test::RecorderPrompt;

TEST(Verdicts, EqualityToleratesRoundingOnly) {
    RecorderPrompt p;
    EXPECT_TRUE(VV_Eval("0.1+0.2", "=", "0.3", p).holds);
    EXPECT_TRUE(VV_Eval("(0.1+0.2)", "=", "0.3", p).holds);
    EXPECT_FALSE(VV_Eval("1.01", "=", "1.02", p).holds);
    // Rounded to the smaller number of decimals of the two sides.
    EXPECT_TRUE(VV_Eval("1.45", "=", "1.5", p).holds);
    EXPECT_FALSE(VV_Eval("2", "=", "2.0000001", p).holds);
    EXPECT_TRUE(VV_Eval("2", "=", "2.0000000000000001", p).holds);
    // Only the plain equality has a tolerance.
    EXPECT_FALSE(VV_Eval("0.1+0.2", "<=", "0.3", p).holds);
    EXPECT_TRUE(VV_Eval("10--5", "=", "15", p).holds);
    EXPECT_TRUE(VV_Eval("1", "<>", "2", p).holds);
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(Verdicts, DivisionByZeroFailsSilentlyOtherErrorsAreShown) {
    RecorderPrompt p;
    EXPECT_EQ(VV_Eval("5/0", ">=", "0", p).holds, false);
    EXPECT_EQ(VV_Eval("0/0.00", "=", "0", p).holds, false);
    EXPECT_EQ(VV_Eval("5/(1-1)", "=", "0", p).holds, false);
    // A divisor such as 0.5 is not a zero.
    EXPECT_TRUE(VV_Eval("1/0.5", "=", "2", p).holds);
    EXPECT_TRUE(VV_Eval("1/05", "=", "0.2", p).holds);
    EXPECT_TRUE(p.messages.isEmpty());
    const Verdict v = VV_Eval("0/(1-1)", "=", "0", p);
    EXPECT_FALSE(v.holds);
    EXPECT_TRUE(v.error);
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Script_Control_Eval\r\nПереполнение", "0/(1-1)=0"}}));
}

// Two plain numbers are compared without the evaluator: the verdict must be the evaluator's.
TEST(Verdicts, PlainNumbersCompareAsTheEvaluatorDoes) {
    QRandomGenerator random(20261207);
    const QStringList relations{"=", "<>", "<", ">", "<=", ">="};
    QStringList numbers{"0",
                        "-0",
                        "5",
                        "-5",
                        "0.1",
                        ".1",
                        "1.",
                        "0.30000000000000004",
                        "999999999999999",
                        "123456.789012345",
                        "1.45",
                        "1.5",
                        "-1.05"};
    for (int i = 0; i < 300; ++i) {
        QString n = QString::number(random.bounded(100000));
        if (i % 3) n.insert(random.bounded(int(n.size()) + 1), '.');
        if (i % 5 == 0) n.prepend('-');
        numbers << n;
    }
    for (int i = 0; i < 2000; ++i) {
        const QString l = numbers.at(random.bounded(int(numbers.size())));
        const QString r = i % 4 ? numbers.at(random.bounded(int(numbers.size()))) : l;
        const QString rel = relations.at(i % relations.size());
        const Condition fast = evaluateCondition(l, rel, r);
        const Condition slow = evaluateCondition("(" + l + ")", rel, "(" + r + ")");
        EXPECT_EQ(fast.holds, slow.holds) << (l + rel + r).toStdString();
        EXPECT_EQ(slow.error.errorNumber, 0);
    }
}

TEST(Verdicts, RelationsAndValueTexts) {
    EXPECT_EQ(negateRelation("="), "<>");
    EXPECT_EQ(negateRelation("<>"), "=");
    EXPECT_EQ(negateRelation(">"), "<=");
    EXPECT_EQ(negateRelation("<"), ">=");
    EXPECT_EQ(negateRelation(">="), "<");
    EXPECT_EQ(negateRelation("<="), ">");
    EXPECT_EQ(negateRelation("!="), "=");
    EXPECT_EQ(negateRelation("=>"), "=>");
    EXPECT_EQ(Mod_S_Res("1.5+2", "<=", "0.25"), "1,5+2>0,25");
    EXPECT_EQ(VV_Calc("1.5+2"), "3,5");
    EXPECT_EQ(VV_Calc("1/0"), "***");
}

TEST(Control, FailureLinesOfABlock) {
    ControlFixture f;
    const ControlRun run = f.run("// Итог равен сумме\n1\\1\\1=1\\2\\1+1\\3\\1\n1\\1\\2>=1\\2\\2");
    ASSERT_TRUE(run.checked());
    EXPECT_EQ(run.findings,
              (QStringList{"", "// ИТОГ РАВЕН СУММЕ", "",
                           "Не выполнено условие : с.1г.1=с.2г.1+с.3г.1", "10<>4+5"}));
    EXPECT_EQ(run.evaluationErrors, 0);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(Control, LowerCaseRulesWorkTheSame) {
    ControlFixture f;
    const QString upper = "1: 101 // ТЕКУЩИЙ\n\n// ИТОГ\nS=1-3\nG=2\n1\\S\\G<1\\S\\3-1\n";
    const ControlRun a = f.run(upper);
    const ControlRun b = f.run(upper.toLower());
    ASSERT_TRUE(a.checked());
    EXPECT_EQ(a.findings, b.findings);
    EXPECT_EQ(a.findings.size(), 3 + 2 * 3);
}

TEST(Control, LoopsRunOverTheListedRowsAndColumns) {
    ControlFixture f(
        {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}, {"1", "1", "1"}, {"", "", "-1"}});
    // Every listed cell must be below 5: rows 1-3 and 5, columns 2 and 3.
    const ControlRun run = f.run("// Меньше пяти\nS=1-3,5\nG=2-3\n1\\S\\G<5");
    EXPECT_EQ(
        run.findings,
        (QStringList{"", "// МЕНЬШЕ ПЯТИ", "", "Не выполнено условие : с.2г.2<5", "5>=5",
                     "Не выполнено условие : с.2г.3<5", "6>=5", "Не выполнено условие : с.3г.2<5",
                     "8>=5", "Не выполнено условие : с.3г.3<5", "9>=5"}));
    // Over G only: S is 0; a row written as a number keeps it in an S formula.
    const ControlRun columns = f.run("// Г\nG=1-3\n1\\4\\G=1\n\n// С\nS=1-2,4-5\n1\\S\\1<1\\3\\1");
    EXPECT_TRUE(columns.findings.isEmpty()) << columns.findings.join('|').toStdString();
}

TEST(Control, RegionListsLimitBlocks) {
    ControlFixture f;
    const QString rules = "// Только районы\nCOD 1401-1420, 1430\n1\\1\\1=0";
    f.target.regionCode = "1450";
    EXPECT_TRUE(f.run(rules).findings.isEmpty());
    f.target.regionCode = "1410";
    EXPECT_EQ(f.run(rules).findings.size(), 5);
}

TEST(Control, ValuesLineOfTripleSlashBlocks) {
    ControlFixture f;
    const ControlRun run = f.run("/// С ЗНАЧЕНИЯМИ\n1\\1\\1=1\\2\\1+1\\3\\1+0.5");
    EXPECT_EQ(run.findings, (QStringList{"", "/// С ЗНАЧЕНИЯМИ", "",
                                         "Не выполнено условие : с.1г.1=с.2г.1+с.3г.1+0.5",
                                         "10<>4+5+0,5", "10=9,5"}));
}

TEST(Control, TheCurrentSectionComesFromTheGridOthersFromFiles) {
    ControlFixture f;
    // The stored file of the section says 99; the grid (with its unsaved edit) says 10.
    f.writeSection("0503", "101", "01", {"1 99 0 0", "5 0 0 0"});
    const QString rules = "1: 101 01 // Текущий\n2: 101 01 2005 03 FIX // Сохраненный\n\n"
                          "// Сравнение\n1\\1\\1=2\\1\\1";
    ControlRun run = f.run(rules);
    EXPECT_EQ(run.findings.mid(3),
              (QStringList{"Не выполнено условие : с.1г.1=СОХРАНЕННЫЙ:с.1г.1", "10<>99"}));
    f.grid.setCell(1, 1, "99");
    EXPECT_TRUE(f.run(rules).findings.isEmpty());
}

TEST(Control, AStoredSectionReadsZeroOutsideItsCells) {
    ControlFixture f;
    f.writeSection("0503", "102", "01", {"1 5 6", "2 -1,5 0"});
    // Inside the stored cells, past them (row 3 in the loop) and a failure with its values.
    ControlRun run = f.run("1: 101\n2: 102 // Ф.102\n\n// Сверка\n1\\1\\1=2\\1\\1+2\\1\\2-1"
                           "\n1\\2\\1*2\\2\\1=-6\n\n// Хвост\nS=2-3\n2\\S\\2+1=1\n"
                           "1\\S\\1<2\\1\\1/2\\S\\2");
    EXPECT_EQ(run.findings,
              (QStringList{"", "// ХВОСТ", "",
                           "Не выполнено условие : с.2г.1<Ф.102:с.1г.1/Ф.102:с.2г.2", "4>=5/0",
                           "Не выполнено условие : с.3г.1<Ф.102:с.1г.1/Ф.102:с.3г.2", "5>=5/0"}));
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(Cells, OnlyNumbersEnterExpressions) {
    const struct {
        QString cell;
        std::optional<QString> number;
    } cases[] = {{"", "0"},
                 {"   ", "0"},
                 {" 7 ", "7"},
                 {"-5", "-5"},
                 {"+5", "+5"},
                 {"1,5", "1.5"},
                 {".5", ".5"},
                 {"5.", "5."},
                 {"1e3", "1e3"},
                 {"1.5E-2", "1.5E-2"},
                 {"007", "007"},
                 {"12a", std::nullopt},
                 {"abc", std::nullopt},
                 {"1) Or (1", std::nullopt},
                 {"1)OR(1", std::nullopt},
                 {"2+3", std::nullopt},
                 {"(5)", std::nullopt},
                 {"True", std::nullopt},
                 {"1,2,3", std::nullopt},
                 {"1.5.", std::nullopt},
                 {"- 5", std::nullopt},
                 {"5 5", std::nullopt},
                 {"12\r", std::nullopt},
                 {"\t5", std::nullopt},
                 {"1E", std::nullopt},
                 {"1E999", std::nullopt},
                 {".", std::nullopt},
                 {"\xa0"
                  "5",
                  std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(cellNumber(c.cell), c.number) << c.cell.toStdString();
}

TEST(Cells, ACellThatIsNotANumberIsAnEvaluationErrorOfItsFormula) {
    ControlFixture f({{"12a", "4", "5"}, {"1) Or (1", "abc", " 7 "}, {"12\r", "<b>", "1,5"}});
    // "12a" is not checked as 12: the formula does not hold, whatever the other side says.
    ControlRun run = f.run("// Итог\n1\\1\\1=12\n1\\1\\2+1\\1\\3=9\n\n// Ещё\n1\\2\\3=7");
    ASSERT_TRUE(run.checked());
    EXPECT_EQ(run.findings,
              (QStringList{"", "// ИТОГ", "", "Не выполнено условие : с.1г.1=12", "\"12a\"<>12"}));
    EXPECT_EQ(run.evaluationErrors, 1);
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{{Icon::Error,
                         "Script_Control_Eval\r\nНедопустимое число\r\nЯчейка с.1г.1 : \"12a\"",
                         "1\\1\\1=12"}}));

    // No cell text may change what a condition says, nor reach the evaluator: brackets, a line
    // break, markup. Each cell is named once per run, even inside a loop.
    f.prompt.clear();
    run = f.run("/// Больше нуля\nS=2-3\n1\\S\\1>0\n1\\S\\2>=1\\2\\1");
    EXPECT_EQ(run.findings,
              (QStringList{"", "/// БОЛЬШЕ НУЛЯ", "", "Не выполнено условие : с.2г.1>0",
                           "\"1) Or (1\"<=0", "***>0", "Не выполнено условие : с.2г.2>=с.2г.1",
                           "\"abc\"<\"1) Or (1\"", "***>=***", "Не выполнено условие : с.3г.1>0",
                           "\"12 \"<=0", "***>0", "Не выполнено условие : с.3г.2>=с.2г.1",
                           "\"&lt;b&gt;\"<\"1) Or (1\"", "***>=***"}));
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{
            {Icon::Error,
             "Script_Control_Eval\r\nНедопустимое число\r\nЯчейка с.2г.1 : \"1) Or (1\"",
             "1\\S\\1>0"},
            {Icon::Error, "Script_Control_Eval\r\nНедопустимое число\r\nЯчейка с.2г.2 : \"abc\"",
             "1\\S\\2>=1\\2\\1"},
            {Icon::Error, "Script_Control_Eval\r\nНедопустимое число\r\nЯчейка с.3г.1 : \"12 \"",
             "1\\S\\1>0"},
            {Icon::Error, "Script_Control_Eval\r\nНедопустимое число\r\nЯчейка с.3г.2 : \"<b>\"",
             "1\\S\\2>=1\\2\\1"}}));
    EXPECT_EQ(run.evaluationErrors, 4);

    // A stored section is read the same way; its label names the cell.
    f.prompt.clear();
    f.writeSection("0503", "102", "01", {"1 5x 6"});
    run = f.run("1: 101\n2: 102 // Ф.102\n\n// Сверка\n1\\3\\3<=2\\1\\1");
    EXPECT_EQ(run.findings.mid(3),
              (QStringList{"Не выполнено условие : с.3г.3<=Ф.102:с.1г.1", "1,5>\"5x\""}));
    EXPECT_EQ(f.prompt.texts(), QStringList{"Script_Control_Eval\r\nНедопустимое число\r\n"
                                            "Ячейка Ф.102:с.1г.1 : \"5x\""});
}

TEST(Relations, NotEqualAndHashFailAloneAndTheRunGoesOn) {
    ControlFixture f;
    const ControlRun run = f.run("// Не равно\nS=1-2\n1\\S\\1!=1\\S\\2\n1\\S\\2#0\n\n"
                                 "// Итог\n1\\1\\1=1\\2\\1+1\\3\\1\n\n// Верно\n1\\1\\2=1");
    ASSERT_TRUE(run.checked());
    EXPECT_EQ(run.findings,
              (QStringList{"", "// НЕ РАВНО", "", "Не выполнено условие : с.1г.1!=с.1г.2", "10=1",
                           "Не выполнено условие : с.1г.2#0", "1#0",
                           "Не выполнено условие : с.2г.1!=с.2г.2", "4=1",
                           "Не выполнено условие : с.2г.2#0", "1#0", "", "// ИТОГ", "",
                           "Не выполнено условие : с.1г.1=с.2г.1+с.3г.1", "10<>4+5"}));
    // One message for each formula, titled with it, not one for every row of its loop.
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{
                  {Icon::Error, "Script_Control_Eval\r\nНедопустимый символ", "1\\S\\1!=1\\S\\2"},
                  {Icon::Error, "Script_Control_Eval\r\nНедопустимый символ", "1\\S\\2#0"}}));
    EXPECT_EQ(run.evaluationErrors, 4);
}

TEST(Control, BlocksLeftOutForTheMonthAreNoFault) {
    ControlFixture f; // March
    const ControlRun run = f.run("1: 101\n\n// Полугодие\nPERIOD 6,12\n2: 101 -1\n1\\1\\1=2\\1\\1");
    EXPECT_TRUE(run.checked());
    EXPECT_TRUE(run.findings.isEmpty());
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(Control, DivisionByZeroFailsAndEvaluationErrorsAreCounted) {
    ControlFixture f({{"10", "0", "0"}});
    ControlRun run = f.run("// Доля\n1\\1\\1/1\\1\\2>=0");
    EXPECT_EQ(run.findings.mid(3),
              (QStringList{"Не выполнено условие : с.1г.1/с.1г.2>=0", "10/0<0"}));
    EXPECT_EQ(run.evaluationErrors, 0);
    EXPECT_TRUE(f.prompt.messages.isEmpty());
    run = f.run("// Доля\n1\\1\\2/(1\\1\\3-0)=0");
    EXPECT_EQ(run.evaluationErrors, 1);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Script_Control_Eval\r\nПереполнение", "0/(0-0)=0"}}));
    EXPECT_EQ(run.findings.size(), 5);
}

TEST(Control, NoSelectionLinesMeansSelectionOneIsTheSection) {
    ControlFixture f;
    const ControlRun run = f.run("\n\n// А\n1\\1\\1=10\n\n\n\n// Б\n1\\2\\1=4\n");
    ASSERT_TRUE(run.checked());
    EXPECT_TRUE(run.findings.isEmpty());
    EXPECT_TRUE(run.missing.isEmpty());
}

TEST(Control, ReadableConditions) {
    RuleSet rules;
    rules.selections = {Selection{"1", "", true, {}, {}, {}, {}, {}, true, {}},
                        Selection{"2", "ГОД НАЗАД:", false, {}, {}, {}, {}, {}, true, {}}};
    Block block;
    EXPECT_EQ(Mod_Usl("1\\S\\3 >= 2\\S\\G + 7\\1\\1", 4, 2, rules, block),
              "с.4г.3>=ГОД НАЗАД:с.4г.2+71\\1");
}

TEST(Marks, ByFindingsAndSum) {
    EXPECT_EQ(controlMark(false, 5), "PR_++");
    EXPECT_EQ(controlMark(true, 5), "PR_??");
    EXPECT_EQ(controlMark(false, 0), "PR_0++");
    EXPECT_EQ(controlMark(true, 0), "PR_0??");
}

TEST(Menus, ControlItemsFollowTheRuleFiles) {
    ControlFixture f;
    const QString folder = "FORM/2005_01.101/";
    LogMenu m = Log_Enable(f.ws.file("FORM"), "101", "200501", 1, 3);
    EXPECT_FALSE(m.control);
    f.ws.write(folder + "101_0501.02.log", "// А");
    m = Log_Enable(f.ws.file("FORM"), "101", "200501", 1, 3);
    EXPECT_TRUE(m.control && m.form && !m.section);
    m = Log_Enable(f.ws.file("FORM"), "101", "200501", 2, 3);
    EXPECT_TRUE(m.control && m.form && m.section);
    m = Log_Enable(f.ws.file("FORM"), "101", "200501", 2, 1);
    EXPECT_TRUE(m.control && m.form && !m.section);
    EXPECT_EQ(ruleFilePath("/f", "101", "200501", 2), "/f/2005_01.101/101_0501.02.LOG");
}
