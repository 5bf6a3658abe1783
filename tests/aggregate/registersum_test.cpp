#include <gtest/gtest.h>

#include "aggregate/registersum.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

// The register's session: data directory, period December 2025, and the summation files of the
// data-loading view with the region file first.
reference::Session session(const TempWorkspace& ws) {
    reference::Session s;
    s.programDir = ws.path();
    s.dirs[core::DirDAT] = ws.file("DAT");
    s.year = "2025";
    s.month = "12";
    s.summ = {{{"1000", {"1100", "1200"}}}, {{"1100", {"1101", "1102"}}, {"1200", {" "}}}};
    return s;
}

} // namespace

TEST(RegisterSummation, SumsEverySectionInTheOrderOfTheirRegions) {
    TempWorkspace ws;
    const QString d = "DAT/DAT_2512.101/";
    ws.write(d + "1101.01", "PR_?\n! 0000 101 01 25 12 1101\n1 1.5 2\n2 3 4\n");
    ws.write(d + "1102.01", "1 0.5\n"); // smaller: added over its own cells
    ws.write(d + "1101.02", "1 7\n");
    ws.write(d + "1102.02", "\r\n"); // two characters: no data
    ws.write(d + "1100.02", "1 99\n");
    ws.write(d + "1000.02", "1 99\n");
    ws.write(d + "1200.01", "1 99\n"); // its group has no member: the old sum goes
    RecorderPrompt p;
    ASSERT_EQ(aggregate::sumRegister(session(ws), "101", 3, p), 0);
    EXPECT_EQ(ws.read(d + "1100.01"), "PR_?\r\n! 0000 101 01 25 12 1100\r\n1 2 2\r\n2 3 4\r\n");
    EXPECT_EQ(ws.read(d + "1000.01"), "PR_?\r\n! 0000 101 01 25 12 1000\r\n1 2 2\r\n2 3 4\r\n");
    EXPECT_EQ(ws.read(d + "1100.02"), "PR_?\r\n! 0000 101 02 25 12 1100\r\n1 7\r\n");
    EXPECT_EQ(ws.read(d + "1000.02"), "PR_?\r\n! 0000 101 02 25 12 1000\r\n1 7\r\n");
    EXPECT_FALSE(ws.exists(d + "1200.01"));
    EXPECT_FALSE(ws.exists(d + "1100.03"));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(RegisterSummation, FaultsLeaveEveryFileWholeAndSaySo) {
    TempWorkspace ws;
    RecorderPrompt p;
    EXPECT_EQ(aggregate::sumRegister(session(ws), "101", 1, p), -1);
    const QString d = "DAT/DAT_2512.101/";
    ws.write(d + "1101.01", "1 1\n");
    ws.write(d + "1102.01", "1 1 2\n2 3 4\n"); // larger than the first member
    ws.write(d + "1100.01", "1 5\n");
    EXPECT_EQ(aggregate::sumRegister(session(ws), "101", 1, p), -1);
    EXPECT_EQ(ws.read(d + "1100.01"), "1 5\r\n");
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error, "Нет данных !!!", ""},
                                          {Icon::Error, "Ошибка в формате данных !!!",
                                           ws.file("DAT/DAT_2512.101") + "/1102.01"}}));
}
