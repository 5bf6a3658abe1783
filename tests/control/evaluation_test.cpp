#include <gtest/gtest.h>

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

TEST(Control, CellTextsEnterExpressionsAsNumbers) {
    ControlFixture f({{"15", "-5", "1,5"}, {"1)OR(1", "abc", " 7 "}});
    // A negative value after "-", a decimal comma, text that is no number.
    EXPECT_TRUE(f.run("// А\n1\\1\\1=10-1\\1\\2").findings.isEmpty());
    EXPECT_TRUE(f.run("// А\n1\\1\\3=1.5").findings.isEmpty());
    EXPECT_TRUE(f.run("// А\n1\\2\\2=0").findings.isEmpty());
    EXPECT_TRUE(f.run("// А\n1\\2\\3=7").findings.isEmpty());
    // The text "1)OR(1" cannot make a condition hold: it counts as the number 1.
    const ControlRun run = f.run("// А\n1\\2\\1>5");
    EXPECT_EQ(run.findings.mid(3), (QStringList{"Не выполнено условие : с.2г.1>5", "1<=5"}));
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
