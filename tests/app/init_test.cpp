#include <gtest/gtest.h>

#include <QDir>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::TempWorkspace;

TEST(InitCommand, WritesTheDefaultConfigurationAndCreatesTheFolders) {
    TempWorkspace ws;
    const auto r = runMirel({"init", "--workspace", ws.path()});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(ws.read("MIREL_WIN.INI").startsWith("параметры ввода:\r\n  SUMM1.TXT\r\n"));
    for (const char* d : {"DAT", "FORM", "MAP", "SHIF", "ЗАПРОСЫ"})
        EXPECT_TRUE(QDir(ws.file(QString::fromUtf8(d))).exists()) << d;
    EXPECT_TRUE(r.out.startsWith("ARM\t" + ws.path() + "\nDAT\t" + ws.path() + "/DAT\n"));
    // A second run changes nothing and succeeds.
    const QByteArray before = ws.readBytes("MIREL_WIN.INI");
    EXPECT_EQ(runMirel({"init", "--workspace", ws.path()}).status, 0);
    EXPECT_TRUE(ws.readBytes("MIREL_WIN.INI") == before);
}

TEST(InitCommand, ReportsAFolderThatCannotBeCreated) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI", "t\n[MIREL_WIN]\nIE\n[DIR_DAT]\nDAT\n");
    ws.write("DAT", "a file in the way");
    const auto r = runMirel({"init", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "info: " + ws.path() + "/DAT / ERROR N=58 / Файл уже существует\n");
}

TEST(CommandLine, UsageErrorsExitWithTwo) {
    TempWorkspace ws;
    EXPECT_EQ(runMirel({"nosuchcommand", "--workspace", ws.path()}).status, 2);
    EXPECT_EQ(runMirel({"init", "--period", "2001", "--workspace", ws.path()}).status, 2);
    EXPECT_EQ(runMirel({"init", "extra", "--workspace", ws.path()}).status, 2);
    const auto help = runMirel({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("init")) << help.out.toStdString();
}
