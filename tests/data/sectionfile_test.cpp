#include <gtest/gtest.h>

#include "data/sectionfile.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

QList<QStringList> rowsOf(const SectionMatrix& m) {
    return m.cells;
}

const QString Unequal = "При считывании данных обнаружено переменное число данных в строке !!!";

} // namespace

TEST(SectionPaths, DataDirectoryAndFileNames) {
    EXPECT_EQ(sectionFilePath("/d", "2005", "6", "101", " 1401 ", 2), "/d/DAT_0506.101/1401.02");
    EXPECT_EQ(sectionNumber(12), "12");
    const DataKey key{"/d", "1", "12", "101", "7"};
    EXPECT_EQ(key.dir(), "/d/DAT_0112.101");
    EXPECT_EQ(key.path(1), "/d/DAT_0112.101/7.01");
}

TEST(StandardReading, ShapeComesFromTheLastDataLine) {
    TempWorkspace ws;
    // Lines in any order and with gaps; blank runs; no line end after the last line; a later
    // line for the same row wins; the shape is taken from the last line (row 3), not row 4.
    ws.write("a",
             "PR_?\r\n! 0000 101 01 01 12 7\r\n4   9 9\r\n1 1 2\r\n\r\n1 5  6\r\n// x\r\n3 7 8",
             true);
    RecorderPrompt p;
    SectionMatrix m;
    ASSERT_TRUE(A_DD_Read(ws.file("a"), m, p));
    EXPECT_EQ(m.rows, 3);
    EXPECT_EQ(m.columns, 2);
    EXPECT_EQ(rowsOf(m), (QList<QStringList>{{"5", "6"}, {"0", "0"}, {"7", "8"}}));
    EXPECT_EQ(m.value(9, 9), "0");
    // Row 4 lies outside the three rows: skipped with one format warning.
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Warning,
                                           "Ошибка в формате данных !!!\r\nСтрока с номером 4 вне "
                                           "раздела (строк : 3) пропущена",
                                           ws.file("a")}}));
}

TEST(StandardReading, AbsentFilesLeaveTheMatrixAlone) {
    TempWorkspace ws;
    ws.write("only", "PR_0\n! 0000 101 01 01 12 7\n");
    ws.writeBytes("empty", "");
    RecorderPrompt p;
    SectionMatrix m;
    m.rows = 42;
    EXPECT_FALSE(A_DD_Read(ws.file("only"), m, p));
    EXPECT_FALSE(A_DD_Read(ws.file("empty"), m, p));
    EXPECT_FALSE(A_DD_Read(ws.file("missing"), m, p));
    EXPECT_EQ(m.rows, 42);
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(StandardReading, UnequalLinesTabsCommasAndGarbage) {
    TempWorkspace ws;
    ws.write("f", "PR_?\n1 1 2\n2 4\n3\t5,5\t6\n2 9 9 9 9\n3 1,5 2");
    RecorderPrompt p;
    SectionMatrix m;
    ASSERT_TRUE(A_DD_Read(ws.file("f"), m, p));
    // Tabs separate fields like blanks; commas are kept as typed and read as decimals.
    EXPECT_EQ(rowsOf(m), (QList<QStringList>{{"1", "2"}, {"0", "0"}, {"1,5", "2"}}));
    EXPECT_DOUBLE_EQ(cellValue(m.value(3, 1)), 1.5);
    // The unequal lines are reported once for the file.
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error, Unequal, ws.file("f")}}));

    QByteArray junk("PR_?\r\n");
    for (int i = 0; i < 20000; ++i)
        junk.append(char((i * 7919 + 13) % 256));
    junk.append("\r\n99999999999 1\r\n");
    ws.writeBytes("junk", junk);
    p.clear();
    EXPECT_FALSE(A_DD_Read(ws.file("junk"), m, p)); // a shape no section has
    ASSERT_FALSE(p.messages.isEmpty());
    EXPECT_EQ(p.messages.last().icon, Icon::Warning);
    EXPECT_EQ(m.rows, 3);
}

TEST(StandardReading, AHugeShapeIsRefusedBeforeAnyLineIsSplit) {
    TempWorkspace ws;
    // One line of 1,200,001 fields (the shape of a section no form has), behind a valid line.
    QByteArray line("1");
    for (int i = 0; i < 1200000; ++i)
        line += " 7";
    ws.writeBytes("wide", "PR_?\r\n1 1\r\n" + line + "\r\n");
    RecorderPrompt p;
    SectionMatrix m;
    EXPECT_FALSE(A_DD_Read(ws.file("wide"), m, p));
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Warning,
                                           "Ошибка в формате данных !!!\r\nСтрок : 1, граф : "
                                           "1200000 - размер раздела недопустим, данные не считаны",
                                           ws.file("wide")}}));
    // The same line among rows of the right shape is one unequal line: skipped, the rest kept.
    ws.writeBytes("mixed", "PR_?\r\n" + line + "\r\n1 5 6\r\n\t2\t7  8 \r\n");
    p.clear();
    ASSERT_TRUE(A_DD_Read(ws.file("mixed"), m, p));
    EXPECT_EQ(rowsOf(m), (QList<QStringList>{{"5", "6"}, {"7", "8"}}));
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error, Unequal, ws.file("mixed")}}));
    // Cyrillic text in a kept cell reads as written.
    ws.write("ru", "PR_?\n1 5,5 1а\n");
    ASSERT_TRUE(A_DD_Read(ws.file("ru"), m, p));
    EXPECT_EQ(rowsOf(m), (QList<QStringList>{{"5,5", "1а"}}));
}

TEST(GridText, MemoReadingCutsAfterTheLastDigit) {
    TempWorkspace ws;
    ws.write("a", "  PR_?\n1 2 3 \n// end \n\n", true);
    EXPECT_EQ(VV_Memo_Read(ws.file("a")), "PR_?\n1 2 3\r\n");
    EXPECT_EQ(VV_Memo_Read(ws.file("none")), "\r\n");
}

TEST(StateMarks, FirstLineMarks) {
    TempWorkspace ws;
    ws.write("a", "PR_? \n1 1");
    ws.write("b", "1 1 2\n");
    ws.writeBytes("c", "");
    EXPECT_EQ(stateMark(ws.file("a")), "?");
    EXPECT_EQ(stateMark(ws.file("b")), QString());
    EXPECT_EQ(registerMark(ws.file("a")), "?");
    EXPECT_EQ(registerMark(ws.file("b")), "-");
    EXPECT_EQ(registerMark(ws.file("c")), QString());
    EXPECT_EQ(registerMark(ws.file("none")), QString());
    // Lines ended by CR alone are one line to every reader, data included: no state line, and
    // never the first 4 KiB of the file shown as a mark.
    QByteArray crOnly("PR_?? \r! 0000 101 01 25 12 1100\r");
    for (int r = 1; r <= 1000; ++r)
        crOnly += QByteArray::number(r) + " 1 2 3\r";
    ws.writeBytes("cr", crOnly);
    EXPECT_EQ(registerMark(ws.file("cr")), "-");
    EXPECT_EQ(stateMark(ws.file("cr")), QString());
    EXPECT_EQ(readFirstLine(ws.file("cr")).value().size(), 4096);
    ws.writeBytes("crlf", "PR_0++\r\r\n1 1 2 3\r\n");
    EXPECT_EQ(registerMark(ws.file("crlf")), "-");
    ws.writeBytes("lastcr", "PR_0++\r");
    EXPECT_EQ(registerMark(ws.file("lastcr")), "-");
    ws.writeBytes("blankline", "\r\nPR_?\r\n");
    EXPECT_EQ(registerMark(ws.file("blankline")), "-");
}

TEST(SectionWriter, BytesOfAWrittenFile) {
    TempWorkspace ws;
    ws.mkdir("DAT");
    RecorderPrompt p;
    const QList<DataRow> rows{
        {"01 ВСЕГО", {"120", "", "7.5"}}, {"", {" 1 000", "0", "-3"}}, {"5", {"1"}}};
    EXPECT_EQ(writeSectionFile(ws.file("DAT"), "2005", "6", "101", "1401", 2, rows, QString(), p),
              "?");
    // The label's number is kept when it is the row's, else the row number is written; blanks
    // inside values are dropped and short rows completed, so that the file reads back.
    EXPECT_TRUE(ws.readBytes("DAT/DAT_0506.101/1401.02") ==
                mirel::test::cp1251("PR_?\r\n! 0000 101 02 05 06 1401\r\n01 120 0 7.5\r\n"
                                    "2 1000 0 -3\r\n3 1 0 0\r\n"));
    EXPECT_TRUE(p.messages.isEmpty());

    SectionMatrix m;
    ASSERT_TRUE(A_DD_Read(ws.file("DAT/DAT_0506.101/1401.02"), m, p));
    EXPECT_EQ(rowsOf(m),
              (QList<QStringList>{{"120", "0", "7.5"}, {"1000", "0", "-3"}, {"1", "0", "0"}}));
}

// A body built value by value in bytes is the body the whole-file writer writes: clean
// values as bytes, any other value (blanks, tabs, empty, Cyrillic) through the general rule.
TEST(SectionWriter, BodyBuiltInBytesIsTheWrittenBody) {
    const QList<DataRow> rows = {
        {"1", {"12", "0.5", "-3"}},
        {"2", {"1 234", "", "\tx\t"}},
        {"3", {"итого", " ", "1E+20"}},
    };
    // More rows than the body reserves room for.
    SectionBody body("2005", "6", "101", " 1401", 7);
    for (int r = 0; r < rows.size(); ++r) {
        body.startRow(r + 1);
        for (const QString& v : rows.at(r).values) {
            const bool clean = !v.isEmpty() && !v.contains(' ') && !v.contains('\t') &&
                               v == QString::fromLatin1(v.toLatin1());
            if (clean)
                body.addValue(QByteArrayView(v.toLatin1()));
            else
                body.addValue(v);
        }
        body.endRow();
    }
    EXPECT_EQ(body.take(), sectionFileBody("2005", "6", "101", " 1401", 7, rows));
}

TEST(SectionWriter, MarksFromTheSumOrTheArgument) {
    TempWorkspace ws;
    ws.mkdir("DAT");
    RecorderPrompt p;
    const DataKey key{ws.file("DAT"), "2001", "12", "101", "7"};
    const QList<DataRow> zeroSum{{"1", {"-5", "5"}}};
    EXPECT_EQ(writeSectionFile(key, 1, zeroSum, QString(), p), "0");
    EXPECT_EQ(stateMark(key.path(1)), "0");
    EXPECT_EQ(writeSectionFile(key, 1, zeroSum, "PR_++", p), "++");
    EXPECT_EQ(stateMark(key.path(1)), "++");
    EXPECT_EQ(writeSectionFile(key, 2, {{"1", {"0,5"}}}, QString(), p), "?");
    EXPECT_TRUE(DD_Exist(key, 2));
    EXPECT_FALSE(DD_Exist(key, 3));
    EXPECT_TRUE(All_FileExists(key, 2));
    EXPECT_FALSE(All_FileExists(key, 3));
}

TEST(SectionWriter, ProtectedFilesAndMissingFoldersAreRefused) {
    TempWorkspace ws;
    ws.mkdir("DAT");
    RecorderPrompt p;
    const DataKey key{ws.file("DAT"), "2001", "12", "101", "7"};
    ASSERT_EQ(writeSectionFile(key, 1, {{"1", {"1"}}}, QString(), p), "?");
    const QByteArray before = ws.readBytes("DAT/DAT_0112.101/7.01");
    ASSERT_TRUE(mirel::platform::setReadOnly(key.path(1), true));
    EXPECT_EQ(writeSectionFile(key, 1, {{"1", {"2"}}}, QString(), p), QString());
    EXPECT_TRUE(ws.readBytes("DAT/DAT_0112.101/7.01") == before);
    const DataKey nowhere{ws.file("NODAT"), "2001", "12", "101", "7"};
    EXPECT_EQ(writeSectionFile(nowhere, 1, {{"1", {"2"}}}, QString(), p), QString());
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", key.path(1)},
                              {Icon::Error, "Ошибка при записи информации !!!", nowhere.path(1)}}));
}

TEST(ZeroMap, LinesMarkTheirRowsColumns) {
    TempWorkspace ws;
    ws.write("FORM/2005_01.101/101_0501.02.ZERO", "\n  0 0   \n0\n\n");
    const QList<QStringList> map = F_A_Zero(ws.file("FORM"), "101", 2, "200501");
    ASSERT_EQ(map.size(), 3);
    EXPECT_TRUE(map[0].isEmpty());
    EXPECT_FALSE(zeroMarked(map, 2, 1));
    EXPECT_TRUE(zeroMarked(map, 2, 3));
    EXPECT_TRUE(zeroMarked(map, 2, 5));
    EXPECT_FALSE(zeroMarked(map, 2, 6));
    EXPECT_TRUE(zeroMarked(map, 3, 1));
    EXPECT_FALSE(zeroMarked(map, 4, 1));
    EXPECT_FALSE(zeroMapExceeds(map, 3, 5));
    EXPECT_TRUE(zeroMapExceeds(map, 2, 5));
    EXPECT_TRUE(zeroMapExceeds(map, 3, 4));
    const QList<QStringList> none = F_A_Zero(ws.file("FORM"), "101", 3, "200501");
    EXPECT_EQ(none, QList<QStringList>{QStringList{" "}});
    EXPECT_FALSE(zeroMarked(none, 1, 1));
}
