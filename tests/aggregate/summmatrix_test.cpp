#include <gtest/gtest.h>

#include "aggregate/summmatrix.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::aggregate;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

ReadStatus parse(const QByteArray& bytes, SummMatrix& m) {
    return parseSection(bytes, m, true);
}

QStringList texts(const SummMatrix& m) {
    QStringList out;
    for (int r = 1; r <= m.rows; ++r)
        for (int c = 1; c <= m.columns; ++c)
            out.append(m.text(r, c));
    return out;
}

} // namespace

TEST(SummReader, ShapeFromTheLastDataLineAndCellsFromAnyLine) {
    SummMatrix m;
    // Blank runs and tabs separate fields; comment and state lines are skipped; rows come in
    // any order, a later line for a row replaces an earlier one; rows not given are "0".
    ASSERT_EQ(parse("PR_?\r\n! 0000 101 01 25 12 1\r\n  1\t5  6\r\nx 1 2\r\n1 1.50 abc", m),
              ReadStatus::Ok);
    EXPECT_EQ(texts(m), (QStringList{"1.50", "abc"}));
    ASSERT_EQ(parse("3 5 6\n3 7 8\n1 1.50 abc\n4 0 -2", m), ReadStatus::Ok);
    EXPECT_EQ(texts(m), (QStringList{"1.50", "abc", "0", "0", "7", "8", "0", "-2"}));
    EXPECT_EQ(m.value(1, 1), 1.5);
    EXPECT_EQ(m.value(1, 2), 0.0); // no number at its start
    EXPECT_EQ(m.value(4, 2), -2.0);
    ASSERT_EQ(parse("1 2,5 12abc 1E3 -\n", m), ReadStatus::Ok);
    EXPECT_EQ(m.value(1, 1), 2.5);
    EXPECT_EQ(m.value(1, 2), 12.0);
    EXPECT_EQ(m.value(1, 3), 1000.0);
    EXPECT_EQ(m.value(1, 4), 0.0);
}

TEST(SummReader, FaultsOfTheFormat) {
    SummMatrix m;
    EXPECT_EQ(parse("", m), ReadStatus::Empty);
    EXPECT_EQ(parse(" \r\n\t\r\n", m), ReadStatus::Empty);
    EXPECT_EQ(parse("PR_?\r\n! 0000 101 01 25 12 1\r\n", m), ReadStatus::NoData);
    EXPECT_EQ(parse("1 1 2\r\n2 3\r\n", m), ReadStatus::Unequal);
    EXPECT_EQ(parse("1 1\r\n2 3 4\r\n", m), ReadStatus::Unequal);
    EXPECT_EQ(parse("5 1\r\n2 3\r\n", m), ReadStatus::RowOutside); // 5 beyond the last row 2
    EXPECT_EQ(parse("0 1\r\n", m), ReadStatus::RowOutside);
    EXPECT_EQ(parse("99999999 1 2\r\n", m), ReadStatus::TooLarge);
    EXPECT_EQ(parse("1" + QByteArray(20, '9') + " 1\r\n", m), ReadStatus::TooLarge);
}

TEST(SummReader, F_A_DDMessagesAndAMissingFile) {
    TempWorkspace ws;
    ws.write("e.01", "  \n");
    ws.write("u.01", "1 1 2\n2 3\n");
    ws.write("r.01", "3 1\n1 1\n");
    RecorderPrompt p;
    SummMatrix m;
    EXPECT_EQ(F_A_DD(m, ws.file("missing.01"), p), -1);
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_EQ(F_A_DD(m, ws.file("e.01"), p), -1);
    EXPECT_EQ(F_A_DD(m, ws.file("u.01"), p), -1);
    EXPECT_EQ(F_A_DD(m, ws.file("r.01"), p), -1);
    EXPECT_EQ(
        p.messages,
        (QList<Message>{
            {Icon::Error, "При считывании данных обнаружен пустой файл !!!", ws.file("e.01")},
            {Icon::Error, "При считывании данных обнаружено переменное число данных в строке !!!",
             ws.file("u.01")},
            {Icon::Error, "При считывании данных обнаружен номер строки вне раздела !!!",
             ws.file("r.01")}}));
}

TEST(SummNumbers, EveryAdditionIsRoundedAsItsText) {
    EXPECT_EQ(addNumbers(0.1, 0.2), 0.3);
    EXPECT_EQ(addNumbers(1.5, -1.5), 0.0);
    EXPECT_EQ(addNumbers(1e15, 1), 1e15); // 1000000000000001 has 16 digits: "1E+15"
    EXPECT_EQ(addNumbers(999999999999998.0, 1.0), 999999999999999.0);
    // A sum of many tenths stays on the decimal value it stands for.
    double s = 0;
    for (int i = 0; i < 10; ++i)
        s = addNumbers(s, 0.1);
    EXPECT_EQ(s, 1.0);
}

TEST(SummNumbers, TextsOfSumsAndOfOneMember) {
    SummMatrix a, b;
    ASSERT_EQ(parse("1 0.1 1.5 5.0\n", a), ReadStatus::Ok);
    ASSERT_EQ(parse("1 0.2 -1.5 0\n", b), ReadStatus::Ok);
    SummMatrix one = a;
    EXPECT_EQ(summaryFileBytes("PR_? ", summaryHeader("101", "01", "25", "12", "1100"), one),
              QByteArray("PR_? \r\n! 0000 101 01 25 12 1100\r\n1 0.1 1.5 5.0\r\n"));
    ASSERT_TRUE(addInto(a, b, Fit::SumShape));
    EXPECT_EQ(summaryFileBytes("PR_?", summaryHeader("101", "01", "25", "12", "1100"), a),
              QByteArray("PR_?\r\n! 0000 101 01 25 12 1100\r\n1 0.3 0 5\r\n"));
}

TEST(SummNumbers, WhichMembersFit) {
    SummMatrix small, large, sum;
    ASSERT_EQ(parse("1 1\n2 2\n", small), ReadStatus::Ok);
    ASSERT_EQ(parse("1 10 20\n2 30 40\n3 50 60\n", large), ReadStatus::Ok);
    // The summation window: over the sum's cells; a smaller member does not fit.
    sum = small;
    ASSERT_TRUE(addInto(sum, large, Fit::SumShape));
    EXPECT_EQ(texts(sum), (QStringList{"11", "32"}));
    sum = large;
    EXPECT_FALSE(addInto(sum, small, Fit::SumShape));
    EXPECT_EQ(texts(sum), texts(large));
    // The register: over the member's own cells; the cells it does not reach keep their texts.
    SummMatrix texted;
    ASSERT_EQ(parse("1 1.0 2.0\n2 3.0 4.0\n3 5.0 6.0\n", texted), ReadStatus::Ok);
    ASSERT_TRUE(addInto(texted, small, Fit::MemberShape));
    EXPECT_EQ(texts(texted), (QStringList{"2", "2.0", "5", "4.0", "5.0", "6.0"}));
    EXPECT_FALSE(addInto(small, large, Fit::MemberShape));
    // A member of the sum's own shape then reaches every cell: all are sums now.
    SummMatrix whole;
    ASSERT_EQ(parse("1 1 1\n2 1 1\n3 1 1\n", whole), ReadStatus::Ok);
    ASSERT_TRUE(addInto(texted, whole, Fit::MemberShape));
    EXPECT_EQ(texts(texted), (QStringList{"3", "3", "6", "5", "6", "7"}));
}

TEST(SummWriter, AGroupsFilesAreAllTriedAndEachSaysWhetherItWasWritten) {
    TempWorkspace ws;
    ws.write("DAT/2000.02", "old\r\n");
    ws.write("DAT/2000.04", "same\r\n");
    std::vector<SummaryWrite> writes;
    for (int s = 1; s <= 7; ++s) {
        const QString ext = QString::number(s).rightJustified(2, QLatin1Char('0'));
        // The third file's folder does not exist: it alone fails.
        const QString dir = s == 3 ? ws.file("NONE") : ws.file("DAT");
        writes.push_back({dir + "/2000." + ext, ext, "sum " + ext.toLatin1() + "\r\n"});
    }
    writes[3].bytes = "same\r\n";
    writeSummaryFiles(writes);
    for (int s = 1; s <= 7; ++s) {
        const SummaryWrite& w = writes[size_t(s - 1)];
        EXPECT_EQ(w.written, s != 3) << s;
        if (s != 3) {
            EXPECT_EQ(ws.readBytes("DAT/2000." + w.extension), w.bytes) << s;
        }
    }
}
