// Bad input: huge, deep or malformed queries and garbage data give a message or an empty cell.
#include <gtest/gtest.h>

#include "fixture.h"

using namespace mirel;
using namespace mirel::query;
using mirel::test::QueryFixture;
using mirel::test::rows;

TEST(BadInput, AQueryOfFortyThousandLines) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    QString text = "1: 101 1\n";
    for (int k = 0; k < 10000; ++k)
        text += "VV1=1\\1\\1\n";
    text += "DAT\n";
    for (int c = 1; c <= 30000; ++c)
        text += QString::number(c) + "=1\\1\\" + QString::number(c % 3 + 1) + "+" +
                QString::number(c) + "\n";
    const Matrix m = f.matrix(text);
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m.first().size(), 30002);
    EXPECT_EQ(m.first().value(2), QStringLiteral("7"));
    EXPECT_EQ(m.first().value(30001), QStringLiteral("30005"));
}

TEST(BadInput, AColumnNumberBeyondTheLimitIsAFaultyFormula) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    EXPECT_TRUE(f.matrix("1: 101 1\nDAT\n99999999999=1").isEmpty());
    EXPECT_EQ(f.prompt.texts(), QStringList{"Неверная формула -> 99999999999=1"});
}

TEST(BadInput, AMegabyteLineAndDeepBrackets) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    f.data("101", "2512", "1100", 1, {"1 5 6 7"});
    QString sum = "1\\1\\1";
    while (sum.size() < 1000000)
        sum += "+1\\1\\1";
    Matrix m = f.matrix("1: 101 1\nDAT\n1=" + sum);
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m.first().value(2), QString::number(5 * (sum.count('\\') / 2)));

    const QString deep = QString(100000, '(') + "1\\1\\1" + QString(100000, ')');
    QueryResult r;
    EXPECT_EQ(f.run("1: 101 1\nDAT\n1=" + deep, r), 0);
    EXPECT_TRUE(r.table.matrix.isEmpty()); // the evaluator refused: the table stopped
    ASSERT_EQ(f.prompt.messages.size(), 1);
    EXPECT_TRUE(f.prompt.messages.first().text.endsWith("Script_Control_Eval"));
}

TEST(BadInput, ReferencesFeedingOnEachOtherAreStopped) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    // Every row doubles the text of the one before: reported instead of exhausting memory.
    QString text = "1: 101 1\nCOD\n1100\nSTR 1\n1=1\\1\\1\n";
    for (int r = 2; r <= 40; ++r)
        text += "STR " + QString::number(r) + "\n1=S" + QString::number(r - 1) + "+S" +
                QString::number(r - 1) + "\n";
    EXPECT_TRUE(f.matrix(text).isEmpty());
    ASSERT_EQ(f.prompt.messages.size(), 1);
    EXPECT_TRUE(f.prompt.messages.first().text.startsWith("Недопустимое значение ссылки ("));
}

TEST(BadInput, GarbageDataFilesGiveZerosOrAMessage) {
    QueryFixture f;
    f.classifier({"1100 Север", "1200 Юг", "1300 Восток"});
    f.ws.writeBytes("DAT/DAT_2512.101/1100.01", QByteArray("\x00\xff\x01 garbage \r\n\r\n", 16));
    f.ws.writeBytes("DAT/DAT_2512.101/1200.01", QByteArray(""));
    f.ws.write("DAT/DAT_2512.101/1300.01", "PR_?\n1 1e400 -\n");
    QueryResult r;
    ASSERT_EQ(f.run("1: 101 1\nDAT\n1=1\\1\\3\n2=1\\1\\1*2", r), 0);
    EXPECT_EQ(r.table.matrix.value(0), QStringList({"Север", "1100", "0", "0"}));
    EXPECT_EQ(r.table.matrix.value(1), QStringList({"Юг", "1200", "0", "0"}));
    // 1e400 is no number the evaluator accepts: its message, and the table stops there.
    EXPECT_EQ(r.table.matrix.size(), 2);
    ASSERT_EQ(f.prompt.messages.size(), 1);
    EXPECT_TRUE(f.prompt.messages.first().text.endsWith("\r\nScript_Control_Eval"));
}

TEST(BadInput, ReferencesToMissingFormsAndPeriodsGiveEmptyCells) {
    QueryFixture f;
    f.classifier({"1100 Север"});
    EXPECT_EQ(f.matrix("1: 101 1\n2: 102 1 -3 -13\nDAT\n1=1\\1\\1\n2=2\\2\\2"),
              rows({"Север|1100||"}));
}
