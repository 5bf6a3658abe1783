#include <gtest/gtest.h>

#include "data/entry.h"
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

// Section 1 of form 101: three rows, three columns; the zero map keeps row 2, column 3 at zero.
SectionGrid grid() {
    SectionGrid g = SectionGrid::fromStructure(
        1, mirel::reference::SectionStructure{
               "1", {"01 Всего", "02 Город", "03 Село"}, {"1", "2", "3"}});
    g.setZeroMap({{" ", " ", " "}, {" ", " ", "0"}});
    return g;
}

QStringList data(const SectionGrid& g) {
    QStringList out;
    for (int r = 1; r <= g.rows(); ++r)
        for (int c = 1; c <= g.columns(); ++c)
            out.append(g.cell(r, c));
    return out;
}

struct EntryFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    DataKey key{ws.file("DAT"), "2025", "3", "101", "1401"};
    EntryFixture() { ws.mkdir("DAT"); }
    QString file() const { return "DAT/DAT_2503.101/1401.01"; }
};

} // namespace

TEST(EntryCaption, CodeNameAndFormAreReadBackFromTheCaption) {
    EntryCaption c = parseEntryCaption("1102 - Верхнекамский район. 210 - Основные показатели - "
                                       "сводка");
    EXPECT_EQ(c.regionCode, "1102");
    EXPECT_EQ(c.regionName, "Верхнекамский район");
    EXPECT_EQ(c.formCode, "210");
    // A name may hold "-"; the workstation's own entry has no form yet.
    c = parseEntryCaption("1105 - Усть-Камский район.");
    EXPECT_EQ(c.regionName, "Усть-Камский район");
    EXPECT_EQ(c.formCode, "");
}

TEST(EntryCaption, ValuesTakenAtLoadMustBeNumbers) {
    const struct {
        const char* year;
        const char* month;
        const char* region;
        const char* message;
    } cases[] = {
        {"2025", "3", "1401", nullptr},
        {"20x5", "3", "1401", "Нечисловое значение года !!!"},
        {"", "3", "1401", "Нечисловое значение года !!!"},
        {"2025", "III", "1401", "Нечисловое значение месяца !!!"},
        {"2025", "13", "1401", "Нечисловое значение отчетного периода !!!"},
        {"25", "3", "1401", "Нечисловое значение отчетного периода !!!"},
        {"2025", "3", "14O1", "Нечисловое значение кода региона !!!"},
    };
    for (const auto& c : cases) {
        RecorderPrompt p;
        EXPECT_EQ(checkEntryValues(c.year, c.month, c.region, p), c.message == nullptr) << c.year;
        if (c.message)
            EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error, c.message, ""}})) << c.year;
        else
            EXPECT_TRUE(p.messages.isEmpty());
    }
}

TEST(EntryCaption, PeriodFallsBackToTheConfigurationAndOwnRegionComesFromThePreamble) {
    mirel::reference::Session s;
    s.cnf = {{"", {"1105-УСТЬ-КАМСКИЙ РАЙОН", "SHIF2"}}, {"[MIREL_WIN]", {"YYYY= 2024", "MM= 7"}}};
    s.year = "";
    s.month = "11";
    const auto p = entryPeriod(s);
    EXPECT_EQ(p.year, "2024");
    EXPECT_EQ(p.month, "11");
    const auto own = ownRegion(s.cnf);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->code, "1105");
    EXPECT_EQ(own->name, "УСТЬ-КАМСКИЙ РАЙОН");
    EXPECT_FALSE(ownRegion({{"", {"SUMM1.TXT"}}}));
    EXPECT_FALSE(ownRegion({{"[MIREL_WIN]", {"1105-X"}}}));
}

TEST(EntryValues, BlanksOfEveryKindAreRemovedSoTheRowKeepsItsFields) {
    EXPECT_EQ(cleanEntry("1 234"), "1234");
    EXPECT_EQ(cleanEntry(QString("1") + QChar(0x00A0) + "234,5"), "1234,5");
    EXPECT_EQ(cleanEntry(" 7\t"), "7");
    // A spreadsheet's block: tabs separate, blanks inside a value are thousands separators.
    EXPECT_EQ(splitMatrixLine("1 234\t\t-5"), (QStringList{"1234", "", "-5"}));
    EXPECT_EQ(splitMatrixLine("  1  2 3 "), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(parseMatrix("1\t2\r\n3\t4\r\n\r\n"), (QList<QStringList>{{"1", "2"}, {"3", "4"}}));
    EXPECT_EQ(parseMatrix("1 2\n\n3"), (QList<QStringList>{{"1", "2"}, {}, {"3"}}));
}

TEST(EntryValues, PasteSkipsZeroCellsAndCellsOutsideAndUndoRestores) {
    SectionGrid g = grid();
    g.setCell(1, 1, "9");
    g.setChanged(false);
    const QList<CellEdit> edits =
        pasteBlock(g, 1, 2, parseMatrix("1\t2\t3\n4 000\t5\n6\t7\t8\n9\t9"));
    // Column 4 does not exist, row 2 column 3 must stay zero, row 4 does not exist.
    EXPECT_EQ(data(g), (QStringList{"9", "1", "2", "", "4000", "", "", "6", "7"}));
    EXPECT_EQ(edits.size(), 5);
    EXPECT_TRUE(g.changed());
    undoEdits(g, edits);
    EXPECT_EQ(data(g), (QStringList{"9", "", "", "", "", "", "", "", ""}));

    EXPECT_FALSE(enterValue(g, 2, 3, "5"));
    EXPECT_FALSE(enterValue(g, 0, 1, "5"));
    const auto typed = enterValue(g, 3, 3, "1 5");
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->after, "15");
    EXPECT_EQ(copyBlock(g, 1, 1, 3, 3), "9\t\t\n\t\t\n\t\t15\n");
}

TEST(EntryLeave, NegativeOrCancellingValuesOfANewSectionAreSavedNotLost) {
    EntryFixture f;
    SectionGrid g = grid();
    g.setCell(1, 1, "-5");
    EXPECT_EQ(V__Changed(g, f.key, true, false, f.prompt), LeaveResult::Saved);
    EXPECT_EQ(f.ws.readBytes(f.file()),
              mirel::test::cp1251Crlf("PR_?\n! 0000 101 01 25 03 1401\n01 -5 0 0\n02 0 0 0\n"
                                      "03 0 0 0\n"));
    EXPECT_EQ(g.caption(), "01: ?");

    EntryFixture empty;
    SectionGrid blank = grid();
    blank.setCell(1, 1, "0");
    EXPECT_EQ(V__Changed(blank, empty.key, true, false, empty.prompt), LeaveResult::Unchanged);
    EXPECT_FALSE(empty.ws.exists(empty.file()));
    blank.setCell(1, 1, "x");
    EXPECT_EQ(V__Changed(blank, empty.key, false, false, empty.prompt), LeaveResult::Unchanged);
    EXPECT_EQ(V__Changed(blank, empty.key, true, false, empty.prompt), LeaveResult::Saved);
}

TEST(EntryLeave, AStoredSectionIsRewrittenOnlyWhenItDiffersAndAlwaysAsUnchecked) {
    EntryFixture f;
    const QByteArray stored =
        mirel::test::cp1251Crlf("PR_++\n! 0000 101 01 25 03 1401\n01 5 0 0\n02 -5 0 0\n");
    f.ws.writeBytes(f.file(), stored);
    SectionGrid g = grid();
    ASSERT_EQ(Load_DD(g, f.key.path(1), false, f.prompt), 0);
    g.setCell(1, 1, "5,0");
    EXPECT_EQ(V__Changed(g, f.key, true, false, f.prompt), LeaveResult::Unchanged);
    EXPECT_EQ(f.ws.readBytes(f.file()), stored);
    EXPECT_EQ(g.caption(), "01: ++");

    g.setCell(2, 2, "3");
    g.setCell(2, 2, "0");
    g.setCell(3, 1, "7");
    g.setCell(3, 1, "");
    g.setCell(2, 1, "0");
    g.setCell(1, 1, "0");
    // The values now add up to zero, yet the mark of a save on leaving is "?".
    EXPECT_EQ(V__Changed(g, f.key, true, false, f.prompt), LeaveResult::Saved);
    EXPECT_EQ(f.ws.read(f.file()).section("\r\n", 0, 0), "PR_?");
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(EntryLeave, AFailedSaveKeepsTheFileAndTheTypedValues) {
    EntryFixture f;
    const QByteArray stored = mirel::test::cp1251Crlf("PR_?\n! 0000 101 01 25 03 1401\n01 1 2 3\n");
    f.ws.writeBytes(f.file(), stored);
    ASSERT_TRUE(mirel::platform::setReadOnly(f.ws.file(f.file()), true));
    SectionGrid g = grid();
    ASSERT_EQ(Load_DD(g, f.key.path(1), false, f.prompt), 0);
    g.setCell(3, 3, "44");
    EXPECT_EQ(V__Changed(g, f.key, true, false, f.prompt), LeaveResult::Failed);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", f.key.path(1)}}));
    EXPECT_EQ(f.ws.readBytes(f.file()), stored);
    EXPECT_EQ(g.cell(3, 3), "44");
    EXPECT_TRUE(g.changed());
}

TEST(EntryLeave, ASectionWhoseFileDidNotLoadIsNotReplacedByThePartRead) {
    EntryFixture f;
    const QByteArray damaged =
        mirel::test::cp1251Crlf("PR_?\n! 0000 101 01 25 03 1401\n01 1 2 3\n02 1 2\n03 7 8 9\n");
    f.ws.writeBytes(f.file(), damaged);
    SectionGrid g = grid();
    ASSERT_EQ(Load_DD(g, f.key.path(1), false, f.prompt), -1);
    g.setChanged(false); // as the window takes the grid after loading
    EXPECT_EQ(V__Changed(g, f.key, true, true, f.prompt), LeaveResult::Unchanged);
    EXPECT_EQ(f.ws.readBytes(f.file()), damaged);
    // What the person types there is theirs to save.
    g.setCell(2, 1, "4");
    EXPECT_EQ(V__Changed(g, f.key, true, true, f.prompt), LeaveResult::Saved);
}

TEST(EntryDelete, SectionAndAllSectionsAskThenDeleteWhatCanBeDeleted) {
    EntryFixture f;
    EXPECT_EQ(menu_DelRR(f.key, 1, f.prompt), DeleteResult::NoFile);
    EXPECT_TRUE(f.prompt.questions.isEmpty());
    f.ws.write(f.file(), "PR_?\n! 0000 101 01 25 03 1401\n01 1 2 3\n");
    f.ws.write("DAT/DAT_2503.101/1401.02", "PR_0\n");
    f.ws.write("DAT/DAT_2503.101/1401.03", "PR_0\n");

    f.prompt.answers = {false};
    EXPECT_EQ(menu_DelRR(f.key, 1, f.prompt), DeleteResult::Cancelled);
    EXPECT_TRUE(f.ws.exists(f.file()));
    EXPECT_EQ(menu_DelRR(f.key, 1, f.prompt), DeleteResult::Deleted);
    EXPECT_FALSE(f.ws.exists(f.file()));
    EXPECT_EQ(f.prompt.questions,
              (QList<Message>{{Icon::Question, "Удалить раздел ?", "ВНИМАНИЕ !!!"},
                              {Icon::Question, "Удалить раздел ?", "ВНИМАНИЕ !!!"}}));
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::None, "Раздел удален !!!", ""}}));

    f.prompt.clear();
    ASSERT_TRUE(mirel::platform::setReadOnly(f.ws.file("DAT/DAT_2503.101/1401.02"), true));
    EXPECT_EQ(menu_DelRR(f.key, 2, f.prompt), DeleteResult::Failed);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Раздел не удален !!!", "ОШИБКА !!!"}}));

    f.prompt.clear();
    const auto deleted = menu_DelAll(f.key, 3, f.prompt);
    ASSERT_TRUE(deleted);
    EXPECT_EQ(*deleted, QList<int>{3});
    EXPECT_EQ(f.prompt.questions,
              (QList<Message>{{Icon::Question, "Удалить все разделы ?", "ВНИМАНИЕ !!!"}}));
    EXPECT_EQ(
        f.prompt.messages,
        (QList<Message>{{Icon::Error, "Раздел не удален !!!\r\n" + f.key.path(2), "ОШИБКА !!!"}}));
    EXPECT_TRUE(f.ws.exists("DAT/DAT_2503.101/1401.02"));
}
