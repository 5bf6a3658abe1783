#include <gtest/gtest.h>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::TempWorkspace;

// The window is not opened for a bad command line: each mistake gets its line on stderr and
// the usage status, and nothing is written into the workspace.
TEST(WindowCommandLine, RefusesWhatTheWindowCannotUse) {
    TempWorkspace ws;
    const struct {
        QStringList args;
        const char* error;
    } cases[] = {
        {{"--workspace", ws.file("missing")}, "mirel: the workspace folder does not exist\n"},
        {{"--workspace"}, "mirel: option needs a value (see mirel --help)\n"},
        {{"--workspace", ws.path(), "--bogus"}, "mirel: unknown option (see mirel --help)\n"},
        {{"--workspace", ws.path(), "--period", "200112"},
         "mirel: --period and --yes belong to the commands; the window takes its period from "
         "MIREL_WIN.INI (see mirel --help)\n"},
    };
    for (const auto& c : cases) {
        const auto r = runMirel(c.args, 30000);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err.toStdString(), c.error);
    }
    EXPECT_FALSE(ws.exists("MIREL_WIN.INI"));
    EXPECT_FALSE(ws.exists("missing"));
}

TEST(WindowCommandLine, HelpDescribesTheWindowAndTheWorkspace) {
    const auto r = runMirel({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(
        r.out.contains("mirel [--workspace DIR]                open the workstation window"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("MIREL_WIN.INI"));
    EXPECT_TRUE(r.err.isEmpty());
}
