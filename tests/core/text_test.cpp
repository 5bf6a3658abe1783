#include <gtest/gtest.h>

#include <cmath>
#include <QRandomGenerator>

#include "core/lists.h"
#include "core/text.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::core;
using mirel::test::Message;
using mirel::test::RecorderPrompt;

TEST(Text, TrimRemovesBlanksOnly) {
    EXPECT_EQ(Trim(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(Trim(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
    EXPECT_EQ(LTrim(QStringLiteral("  a ")), QStringLiteral("a "));
    EXPECT_EQ(RTrim(QStringLiteral(" a  ")), QStringLiteral(" a"));
}

TEST(Text, CutBeforeSplitsAtTheFirstSeparator) {
    QString s = QStringLiteral("YYYY= 2001");
    EXPECT_EQ(Cut_Before(s, "="), QStringLiteral("YYYY"));
    EXPECT_EQ(s, QStringLiteral(" 2001"));
    QString none = QStringLiteral("IE");
    EXPECT_EQ(Cut_Before(none, "="), QString());
    EXPECT_EQ(none, QStringLiteral("IE"));
}

TEST(Text, CutLeadDigitsTakesTheCodeAndLeavesTheName) {
    QString s = QStringLiteral("1100  Белгородская область");
    EXPECT_EQ(Cut_Lead_Digits(s), QStringLiteral("1100"));
    EXPECT_EQ(s, QStringLiteral("Белгородская область"));
    QString letters = QStringLiteral("Код региона");
    EXPECT_EQ(Cut_Lead_Digits(letters), QString());
    EXPECT_EQ(letters, QStringLiteral("Код региона"));
    QString limited = QStringLiteral("123456 x");
    int count = 3;
    EXPECT_EQ(Cut_Lead_Number(limited, count), QStringLiteral("123"));
    EXPECT_EQ(limited, QStringLiteral("456 x"));
    int zero = 0;
    QString whole = QStringLiteral("42");
    EXPECT_EQ(Cut_Lead_Number(whole, zero), QStringLiteral("42"));
    EXPECT_EQ(zero, 2);
}

TEST(Text, SmallPredicatesAndRewrites) {
    EXPECT_TRUE(Is_All_Digits(QString()));
    EXPECT_TRUE(Is_All_Digits(QStringLiteral("0123")));
    EXPECT_FALSE(Is_All_Digits(QStringLiteral("12a")));
    EXPECT_TRUE(Starts_With_Text(QStringLiteral("  shif2.txt"), QStringLiteral("SHIF")));
    EXPECT_FALSE(Starts_With_Text(QStringLiteral("   "), QString()));
    EXPECT_FALSE(Starts_With_Text(QStringLiteral("SH"), QStringLiteral("SHIF")));
    QString sp = QStringLiteral("a    b  c");
    EXPECT_EQ(Squeeze_Spaces(sp), QStringLiteral("a b c"));
    QString rs = QStringLiteral("  1 2 3 ");
    EXPECT_EQ(Remove_Spaces(rs), QStringLiteral("123"));
    QString tabs = QStringLiteral("a\tb");
    EXPECT_EQ(Tabs_To_Spaces(tabs), QStringLiteral("a b"));
    QString nl = QStringLiteral("a\r\n\r\n\r\nb");
    EXPECT_EQ(Replace_All(nl, QStringLiteral("\r\n\r\n\r\n"), QStringLiteral("\r\n\r\n")),
              QStringLiteral("a\r\n\r\nb"));
    QString blanks = QStringLiteral("a     b");
    EXPECT_EQ(Replace_All(blanks, QStringLiteral("  "), QStringLiteral(" ")),
              QStringLiteral("a b"));
    QString rf = QStringLiteral("FIX 00101 FIX");
    EXPECT_TRUE(Remove_First(rf, QStringLiteral("FIX")));
    EXPECT_EQ(rf, QStringLiteral(" 00101 FIX"));
    EXPECT_FALSE(Remove_First(rf, QStringLiteral("XYZ")));
    EXPECT_EQ(Max_Long(3, 7), 7);
}

TEST(Text, SplitLinesTrimsAndDropsEmptyPieces) {
    EXPECT_EQ(Split_Lines(QStringLiteral(" a \r\n\r\n b")), (QStringList{"a", "b"}));
    EXPECT_EQ(Split_Lines(QStringLiteral(" \r\n ")), QStringList{QString()});
}

TEST(Text, UnbalancedBracketsAreReported) {
    RecorderPrompt p;
    EXPECT_FALSE(Check_Brackets(QStringLiteral("(1+2)*(3)"), p));
    EXPECT_TRUE(Check_Brackets(QStringLiteral("1=(2"), p));
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(
        p.messages.first(),
        (Message{mirel::platform::Icon::None,
                 "Количество открывающих скобок не равно количеству закрывающих -> 1=(2", ""}));
}

TEST(Text, MonthNames) {
    EXPECT_EQ(Month_Name(1), QStringLiteral("январь"));
    EXPECT_EQ(Month_Name(12), QStringLiteral("декабрь"));
    EXPECT_EQ(Month_Name(0), QString());
    EXPECT_EQ(Month_Name(13), QString());
}

TEST(Text, ValReadsTheLeadingNumber) {
    EXPECT_EQ(Val(QStringLiteral(" 12 ab")), 12.0);
    EXPECT_EQ(Val(QStringLiteral("-7.5x")), -7.5);
    EXPECT_EQ(Val(QStringLiteral("1,5")), 1.0);
    EXPECT_EQ(Val(QStringLiteral("1E3")), 1000.0);
    EXPECT_EQ(Val(QStringLiteral("= 12")), 0.0);
    EXPECT_EQ(Val(QString()), 0.0);
    // Plain digits, the form of every region code, read to the same value as the general rule.
    EXPECT_EQ(Val(QStringLiteral("007")), 7.0);
    EXPECT_EQ(Val(QStringLiteral("999999999999999")), 999999999999999.0);
    EXPECT_EQ(Val(QStringLiteral("12345678901234567")), 12345678901234567.0);
    EXPECT_EQ(Val(QStringLiteral("1 000")), 1000.0);
    EXPECT_EQ(Val(QStringLiteral("5.")), 5.0);
    EXPECT_EQ(Val(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(Val(QStringLiteral("+7")), 7.0);
    EXPECT_TRUE(std::signbit(Val(QStringLiteral("-0"))));
    // Decimal texts of up to 15 digits and more read to the same double as the general parse,
    // to the last bit.
    QRandomGenerator random(20251208);
    for (int i = 0; i < 20000; ++i) {
        QString digits = QString::number(random.generate64() % 10000000000000000000ULL);
        digits.truncate(1 + int(random.bounded(18)));
        const int point = int(random.bounded(int(digits.size()) + 1));
        QString text = (random.bounded(3) == 0 ? QStringLiteral("-") : QString()) + digits;
        if (point < digits.size()) text.insert(text.size() - digits.size() + point + 1, '.');
        ASSERT_EQ(Val(text), text.toDouble()) << text.toStdString();
    }
    EXPECT_TRUE(IsNumeric(QStringLiteral(" 12 ")));
    EXPECT_TRUE(IsNumeric(QStringLiteral("1,5")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("ab")));
    EXPECT_FALSE(IsNumeric(QStringLiteral("1 2")));
    EXPECT_FALSE(IsNumeric(QString()));
}

TEST(Lists, SearchesAreOneBasedAndZeroForNotFound) {
    const QStringList l{"SUMM1.TXT", "MM= 5", "MMX"};
    EXPECT_EQ(Find_Prefix(l, "MM"), 2);
    EXPECT_EQ(Find_Prefix(l, "MM", 2), 3);
    EXPECT_EQ(Find_Prefix(QStringList{"SUMM1.TXT"}, "MM"), 0);
    EXPECT_EQ(Find_Text(l, "MMX"), 3);
    EXPECT_EQ(Find_Text(QStringList{"abc", "Shif2"}, "SHIF", true), 2);
    EXPECT_EQ(Find_Containing(l, "= 5"), 2);
    EXPECT_EQ(Find_Number({1.5, 2.0}, 2.0), 2);
    EXPECT_EQ(Find_In_Table({{"a", "b"}, {"c", "d"}}, "d", 1), 2);
    EXPECT_EQ(Find_In_Table({{"a"}}, "d", 3), 0);
}

TEST(Lists, AppendAndInsert) {
    QStringList l = emptyList();
    Append_Line(l, "A");
    EXPECT_EQ(l, QStringList{"A"});
    Append_Line(l, "B");
    EXPECT_EQ(l, (QStringList{"A", "B"}));
    QStringList blank{" "};
    Append_Line(blank, "SUMM1.TXT");
    EXPECT_EQ(blank, QStringList{"SUMM1.TXT"});
    QStringList abc{"A", "B", "C"};
    Insert_At(abc, "X", 2);
    EXPECT_EQ(abc, (QStringList{"A", "B", "X", "C"}));
    Insert_List_At(abc, {"1", "2"}, 1);
    EXPECT_EQ(abc, (QStringList{"A", "1", "2", "B", "X", "C"}));
    QList<double> v{3, 1, 2};
    Sort_Values(v);
    EXPECT_EQ(v, (QList<double>{1, 2, 3}));
    Fill_Array(v, 0.0);
    EXPECT_EQ(v, (QList<double>{0, 0, 0}));
}
