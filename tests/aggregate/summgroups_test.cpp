#include <gtest/gtest.h>

#include "aggregate/summgroups.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::aggregate;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

QStringList codes(const SummGroups& groups, const QList<int>& order) {
    QStringList out;
    for (int g : order)
        out.append(groups.at(g).code);
    return out;
}

SummGroups parse(const QString& text, RecorderPrompt& p, int* status = nullptr) {
    SummGroups groups;
    const int s = parseSummGroups(text, "F", groups, p);
    if (status) *status = s;
    return groups;
}

} // namespace

TEST(SummGroupsFile, HeadersMembersAndComments) {
    RecorderPrompt p;
    // Lines before the first header are not a code; text after a ":" is a comment; tabs are
    // blanks; a header directly after a header has no members.
    const SummGroups g =
        parse("Группы районов\r\n 1100 :  Северная зона\r\n\t1101\r\n\r\n1102 \r\n1200:\r\n"
              "1300:1301\r\n1302",
              p);
    ASSERT_EQ(g.size(), 3);
    EXPECT_EQ(g.at(0).code, "1100");
    EXPECT_EQ(g.at(0).members, (QStringList{"1101", "1102"}));
    EXPECT_TRUE(g.at(1).members.isEmpty());
    EXPECT_EQ(g.at(2).code, "1300");
    EXPECT_EQ(g.at(2).members, (QStringList{"1302"}));
    EXPECT_EQ(g.at(2).file, "F");
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(SummGroupsFile, RefusedFiles) {
    RecorderPrompt p;
    int status = 0;
    EXPECT_TRUE(parse("1100\r\n1101\r\n", p, &status).isEmpty());
    EXPECT_EQ(status, -1);
    // A code that is no region code would name files outside the data or that are no data.
    parse("1100:\r\n1101\r\n../../x:\r\n1102\r\n", p, &status);
    EXPECT_EQ(status, -1);
    parse(":\r\n1101\r\n", p, &status);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Не выделены регионы суммирования !!!", "F"},
                              {Icon::Error, "../../x - недопустимый код суммирования !!!", "F"},
                              {Icon::Error, " - недопустимый код суммирования !!!", "F"}}));
}

TEST(SummGroupsOrder, SummaryMembersFirstOtherwiseTheWalk) {
    RecorderPrompt p;
    // The walk runs from the last group to the first: region, then its zones, then a district
    // group that one zone contains.
    const SummGroups g = parse("1110:\n1111\n1100:\n1110\n1101\n1200:\n1201\n1000:\n1100\n1200\n"
                               "1300:\n1301\n",
                               p);
    EXPECT_EQ(codes(g, reverseWalk(g)), (QStringList{"1300", "1000", "1200", "1100", "1110"}));
    EXPECT_EQ(codes(g, summationOrder(g, reverseWalk(g), p)),
              (QStringList{"1300", "1200", "1110", "1100", "1000"}));
    // A walk that is in order already stays as it is.
    const QList<int> files{0, 1, 2, 3, 4};
    EXPECT_EQ(codes(g, summationOrder(g, files, p)),
              (QStringList{"1110", "1100", "1200", "1000", "1300"}));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(SummGroupsOrder, CyclesAreReported) {
    RecorderPrompt p;
    const SummGroups self = parse("1100:\n1101\n1100\n", p);
    EXPECT_TRUE(summationOrder(self, reverseWalk(self), p).isEmpty());
    const SummGroups ring = parse("1000:\n1100\n1100:\n1200\n1200:\n1000\n1300:\n1301\n", p);
    EXPECT_TRUE(summationOrder(ring, reverseWalk(ring), p).isEmpty());
    EXPECT_EQ(p.messages,
              (QList<Message>{
                  {Icon::Error, "Регионы суммирования образуют цикл : 1100 -> 1100 !!!", "F"},
                  {Icon::Error,
                   "Регионы суммирования образуют цикл : 1200 -> 1000 -> 1100 -> 1200 !!!", "F"}}));
}

TEST(SummGroupsFiles, F_A_SummReadsTheConfigurationAgain) {
    TempWorkspace ws;
    ws.write("SHIF/shif.txt", "1100 Район\n");
    ws.write("SHIF/SUMM1.TXT", "1100:\n1101\n");
    ws.write("SHIF/SUMM2.TXT", "1000:\n1100\n");
    ws.write("MIREL_WIN.INI", "Т\n[MIREL_WIN]\nSUMM1.TXT\nSUMM2.TXT\n");
    RecorderPrompt p;
    SummGroups groups;
    mirel::reference::Regions regions;
    ASSERT_EQ(F_A_Summ(groups, regions, ws.path(), ws.file("SHIF"), p), 0);
    // The last file's groups come first.
    EXPECT_EQ(codes(groups, {0, 1}), (QStringList{"1000", "1100"}));
    EXPECT_EQ(groups.at(1).file, ws.file("SHIF") + "/SUMM1.TXT");
    EXPECT_EQ(regions.size(), 1);

    ws.write("MIREL_WIN.INI", "Т\n[MIREL_WIN]\nSUMM1.TXT\nSUMM3.TXT\n");
    EXPECT_EQ(F_A_Summ(groups, regions, ws.path(), ws.file("SHIF"), p), -1);
    EXPECT_TRUE(groups.isEmpty());
    ws.write("MIREL_WIN.INI", "Т\n[MIREL_WIN]\nYYYY= 2025\n");
    EXPECT_EQ(F_A_Summ(groups, regions, ws.path(), ws.file("SHIF"), p), -1);
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Отсутствует файл суммирования !!!", "SUMM3.TXT"},
                              {Icon::Error, "Не заданы условия суммирования !!!", ""}}));
}
