#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "data/datalines.h"
#include "data/sectiongrid.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "reference/catalog.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

// Section 2 of three rows and two columns.
SectionGrid grid() {
    return SectionGrid::fromStructure(
        2, mirel::reference::SectionStructure{"2", {"1", "2", "3 ИТОГО"}, {"1", "2"}});
}

QStringList data(const SectionGrid& g) {
    QStringList out;
    for (int r = 1; r <= g.rows(); ++r)
        for (int c = 1; c <= g.columns(); ++c)
            out.append(g.cell(r, c));
    return out;
}

QString formatError(const QString& what, int count, int expected) {
    return "Ошибка в формате данных !!!\r\n" + what + "\r\n" + QString::number(count) +
           "\r\nДолжно быть = " + QString::number(expected);
}

} // namespace

TEST(SectionGrid, ShapeTitlesLabelsAndEditing) {
    SectionGrid g = grid();
    EXPECT_EQ(g.rows(), 3);
    EXPECT_EQ(g.columns(), 2);
    EXPECT_EQ(g.cell(0, 2), "2");
    EXPECT_EQ(g.cell(3, 0), "3 ИТОГО");
    EXPECT_EQ(g.caption(), "02");
    EXPECT_FALSE(g.setCell(0, 1, "x"));
    EXPECT_FALSE(g.setCell(4, 1, "x"));
    EXPECT_FALSE(g.changed());
    EXPECT_TRUE(g.setCell(3, 2, "4,5"));
    EXPECT_TRUE(g.changed());
    EXPECT_DOUBLE_EQ(g.sum(), 4.5);
    g.fillZeros();
    EXPECT_EQ(data(g), QStringList(6, "0"));
}

TEST(GridLoading, LoadsValuesAndCaptionsFromTheStateLine) {
    TempWorkspace ws;
    ws.write("a", "PR_++ \n! 0000 101 02 01 12 7\n3 5 6\n1\t1,5 2\n");
    ws.write("b", "! 0000 101 02 01 12 7\n2 1 1\n");
    ws.write("c", "PR_?\n! 0000 101 02 01 12 7\n");
    RecorderPrompt p;
    SectionGrid g = grid();
    g.setCell(2, 2, "stale");
    EXPECT_EQ(Load_DD(g, ws.file("a"), false, p), 0);
    EXPECT_EQ(g.caption(), "02: ++");
    EXPECT_EQ(data(g), (QStringList{"1,5", "2", "", "", "5", "6"}));
    EXPECT_FALSE(g.changed());
    EXPECT_EQ(Load_DD(g, ws.file("b"), false, p), 0);
    EXPECT_EQ(g.caption(), "02: -");
    EXPECT_EQ(Load_DD(g, ws.file("c"), false, p), 0);
    EXPECT_EQ(g.caption(), "02: ?");
    EXPECT_EQ(data(g), QStringList(6, ""));
    EXPECT_EQ(Load_DD(g, ws.file("none"), false, p), 0);
    EXPECT_EQ(g.caption(), "02");
    // Blanks before the state line and whatever follows the last digit of the file are dropped.
    ws.writeBytes("d", "  PR_+ \r\n\t2 7\t8 x\r\n \x1a");
    EXPECT_EQ(Load_DD(g, ws.file("d"), false, p), 0);
    EXPECT_EQ(g.caption(), "02: +");
    EXPECT_EQ(data(g), (QStringList{"", "", "7", "8", "", ""}));
    // CR alone between lines: one line, no state line and no data.
    ws.writeBytes("cr", "PR_?\r2 1 1\r");
    EXPECT_EQ(Load_DD(g, ws.file("cr"), false, p), 0);
    EXPECT_EQ(g.caption(), "02: -");
    EXPECT_EQ(data(g), QStringList(6, ""));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(GridLoading, FormatErrorsStopAndRowZeroIsSkipped) {
    TempWorkspace ws;
    ws.write("cols", "PR_?\n1 1 2 3\n");
    ws.write("rows", "PR_?\n1 1 2\n4 1 2\n");
    ws.write("zero", "PR_?\n0 8 8\n0 9 9\n2 1 2\n");
    RecorderPrompt p;
    SectionGrid g = grid();
    EXPECT_EQ(Load_DD(g, ws.file("cols"), false, p), -1);
    EXPECT_EQ(g.caption(), "02: --");
    EXPECT_EQ(Load_DD(g, ws.file("rows"), false, p), -1);
    EXPECT_EQ(g.caption(), "02: --");
    EXPECT_EQ(Load_DD(g, ws.file("zero"), false, p), 0);
    EXPECT_EQ(g.cell(0, 1), "1"); // the title row is untouched
    EXPECT_EQ(data(g), (QStringList{"", "", "1", "2", "", ""}));
    // A line of a hundred thousand values is counted, not split, before it is refused.
    QByteArray wide("PR_?\r\n1");
    for (int i = 0; i < 100000; ++i)
        wide += " 1";
    ws.writeBytes("wide", wide + "\r\n");
    EXPECT_EQ(Load_DD(g, ws.file("wide"), false, p), -1);
    EXPECT_EQ(g.caption(), "02: --");
    ASSERT_EQ(p.messages.size(), 4);
    EXPECT_EQ(p.messages.takeLast(),
              (Message{Icon::Error, formatError("К-во граф = ", 100000, 2), "Ошибка !!!"}));
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, formatError("К-во граф = ", 3, 2), "Ошибка !!!"},
                              {Icon::Error, formatError("К-во строк = ", 4, 3), "Ошибка !!!"},
                              {Icon::Warning,
                               "Ошибка в формате данных !!!\r\nСтрока с номером 0 вне раздела "
                               "(строк : 3) пропущена",
                               ws.file("zero")}}));
}

// Row numbers are read as numbers ("003" is row 3, "2.9" row 2), and a section wider than the
// fields a line keeps at hand loads the same way.
TEST(GridLoading, RowNumbersAsNumbersAndWideSections) {
    TempWorkspace ws;
    RecorderPrompt p;
    SectionGrid g = grid();
    ws.write("labels", "PR_?\n003 5 6\n2.9 3 4\n");
    EXPECT_EQ(Load_DD(g, ws.file("labels"), false, p), 0);
    EXPECT_EQ(data(g), (QStringList{"", "", "3", "4", "5", "6"}));

    QStringList columns;
    for (int c = 1; c <= 70; ++c)
        columns << QString::number(c);
    SectionGrid wide =
        SectionGrid::fromStructure(1, mirel::reference::SectionStructure{"1", {"1", "2"}, columns});
    QString text = "PR_?\n2";
    for (int c = 1; c <= 70; ++c)
        text += " " + QString::number(c * 10);
    ws.write("wide", text + "\n");
    EXPECT_EQ(Load_DD(wide, ws.file("wide"), false, p), 0);
    EXPECT_EQ(wide.cell(2, 1), "10");
    EXPECT_EQ(wide.cell(2, 64), "640");
    EXPECT_EQ(wide.cell(2, 70), "700");
    EXPECT_EQ(wide.cell(1, 70), "");
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(GridLoading, CompareModeComparesNumbersAndLeftOutCells) {
    TempWorkspace ws;
    ws.write("a", "PR_?\n1 7.50 0\n3 1 2\n");
    RecorderPrompt p;
    SectionGrid g = grid();
    g.setCell(1, 1, "7.5");
    g.setCell(3, 1, "1");
    g.setCell(3, 2, "2");
    EXPECT_EQ(Load_DD(g, ws.file("a"), true, p), 0);
    g.setCell(1, 2, "");
    EXPECT_EQ(Load_DD(g, ws.file("a"), true, p), 0);
    // Row 2 is not in the file: a value typed there is a difference.
    g.setCell(2, 2, "3");
    EXPECT_EQ(Load_DD(g, ws.file("a"), true, p), -1);
    g.setCell(2, 2, "0");
    g.setCell(3, 2, "2.01");
    EXPECT_EQ(Load_DD(g, ws.file("a"), true, p), -1);
    EXPECT_EQ(data(g), (QStringList{"7.5", "", "", "0", "1", "2.01"}));
    EXPECT_EQ(Load_DD(g, ws.file("none"), true, p), -1);
    g.fillZeros();
    EXPECT_EQ(Load_DD(g, ws.file("none"), true, p), 0);
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(GridSaving, SaveSetsTheCaptionAndReadsBack) {
    TempWorkspace ws;
    ws.mkdir("DAT");
    RecorderPrompt p;
    const DataKey key{ws.file("DAT"), "2001", "12", "101", "7"};
    SectionGrid g = grid();
    g.setCell(1, 1, "-5");
    g.setCell(3, 2, "5");
    EXPECT_EQ(VV_Save(g, key, QString(), p), "0");
    EXPECT_EQ(g.caption(), "02: 0");
    EXPECT_FALSE(g.changed());
    EXPECT_TRUE(ws.readBytes("DAT/DAT_0112.101/7.02") ==
                mirel::test::cp1251("PR_0\r\n! 0000 101 02 01 12 7\r\n1 -5 0\r\n2 0 0\r\n"
                                    "3 0 5\r\n"));
    SectionGrid back = grid();
    EXPECT_EQ(Load_DD(back, key.path(2), false, p), 0);
    EXPECT_EQ(data(back), (QStringList{"-5", "0", "0", "0", "0", "5"}));
    EXPECT_EQ(Load_DD(g, key.path(2), true, p), 0);

    ASSERT_TRUE(mirel::platform::setReadOnly(key.path(2), true));
    g.setCell(1, 1, "1");
    EXPECT_EQ(VV_Save(g, key, "PR_?", p), QString());
    EXPECT_EQ(g.caption(), "02: 0");
    EXPECT_TRUE(g.changed());
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", key.path(2)}}));
}

TEST(GridSaving, ZeroMapMarksOnlyCellsOfTheSection) {
    RecorderPrompt p;
    SectionGrid g = grid();
    applyZeroMap(g, {{"0", " "}, {}, {" ", "0", "0"}}, "MAP", p);
    EXPECT_TRUE(g.isZeroCell(1, 1));
    EXPECT_FALSE(g.isZeroCell(1, 2));
    EXPECT_TRUE(g.isZeroCell(3, 2));
    EXPECT_FALSE(g.isZeroCell(3, 3));
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Warning,
                                           "Ошибка в формате данных !!!\r\nКарта нулевых клеток "
                                           "выходит за пределы раздела (строк : 3, граф : 2)",
                                           "MAP"}}));
}

// The fields of a line found sixteen bytes at a time are those found byte by byte: fields that
// cross or end on a sixteen-byte boundary, runs of blanks and tabs, a line of whole sixteens.
TEST(DataLines, FieldsFoundManyBytesAtATimeAreThoseFoundOneByOne) {
    QRandomGenerator random(20261209);
    static const char pieces[] = "0123456789 \t-.,x";
    for (int round = 0; round < 20000; ++round) {
        const int length = round < 100 ? round : random.bounded(80);
        QByteArray line;
        for (int k = 0; k < length; ++k)
            line += pieces[random.bounded(int(sizeof pieces) - 1)];
        QList<QByteArray> expected;
        Fields fields(line);
        QByteArrayView field;
        while (fields.next(field))
            expected.append(field.toByteArray());
        QList<QByteArray> found;
        const qsizetype count =
            forEachField(line, [&](QByteArrayView f) { found.append(f.toByteArray()); });
        ASSERT_EQ(found, expected) << line.toStdString();
        ASSERT_EQ(count, expected.size()) << line.toStdString();
    }
    EXPECT_EQ(fieldCount("1234567890123456"), 1);
    EXPECT_EQ(fieldCount("123456789012345 7"), 2);
    EXPECT_EQ(fieldCount(" \t "), 0);
}
