// Whole-file writes that fail, symbolic links under written names, owners of replaced files,
// the read-only rule of moves, and the temporary folder when the system's one is gone.
#include <gtest/gtest.h>

#include <csignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/codec.h"
#include "platform/fileio.h"
#include "workspace.h"

using namespace mirel::platform;
using mirel::test::TempWorkspace;

namespace {

// Runs the job in a child process whose files may not grow beyond limit bytes (a full disk in
// small); the job's result is the child's exit status.
int underFileSizeLimit(rlim_t limit, const std::function<bool()>& job) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        _exit(job() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                               QDir::NoDotAndDotDot);
}

} // namespace

TEST(FailedWrite, AFileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
    TempWorkspace ws;
    ws.write("DAT/1102.01", "PR_0++\nold data");
    const QString target = ws.file("DAT/1102.01");
    // Under 16 KiB: the size a buffered writer keeps to itself until it closes the file.
    const QByteArray bytes(8000, '7');
    EXPECT_EQ(underFileSizeLimit(4096,
                                 [&] {
                                     FsError e;
                                     return !writeFileAtomic(target, bytes, &e) && e.number == 57 &&
                                            e.description.startsWith(
                                                QStringLiteral("Ошибка ввода/вывода: "));
                                 }),
              0);
    EXPECT_TRUE(ws.readBytes("DAT/1102.01") == mirel::test::cp1251Crlf("PR_0++\nold data"));
    // A new file is not left behind empty, nor a temporary one.
    EXPECT_EQ(underFileSizeLimit(0, [&] { return !writeFileAtomic(ws.file("DAT/new"), "x"); }), 0);
    EXPECT_EQ(
        underFileSizeLimit(
            0, [&] { return writeNewFile(ws.file("DAT"), "report", ".HTM", "page").isEmpty(); }),
        0);
    EXPECT_EQ(entries(ws.file("DAT")), QStringList{"1102.01"});
    EXPECT_EQ(underFileSizeLimit(100000, [&] { return writeFileAtomic(target, bytes); }), 0);
    EXPECT_EQ(ws.readBytes("DAT/1102.01"), bytes);
    EXPECT_EQ(entries(ws.file("DAT")), QStringList{"1102.01"});
}

TEST(FailedWrite, DataFilesAreNotWrittenThroughSymbolicLinks) {
    TempWorkspace ws;
    ws.write("elsewhere/shif.txt", "1100 Север");
    ws.mkdir("SHIF");
    ASSERT_TRUE(QFile::link(ws.file("elsewhere/shif.txt"), ws.file("SHIF/shif.txt")));
    ASSERT_TRUE(QFile::link(ws.file("elsewhere/none.txt"), ws.file("SHIF/dangling.txt")));
    FsError e;
    EXPECT_FALSE(writeFileAtomic(ws.file("SHIF/shif.txt"), "changed", &e));
    EXPECT_EQ(e.number, 75);
    EXPECT_FALSE(writeFileAtomic(ws.file("SHIF/DANGLING.TXT"), "created", &e));
    EXPECT_EQ(ws.read("elsewhere/shif.txt"), "1100 Север");
    EXPECT_FALSE(ws.exists("elsewhere/none.txt"));
    EXPECT_TRUE(QFileInfo(ws.file("SHIF/shif.txt")).isSymLink());

    // A file the person named himself is written where the link points, the link kept.
    EXPECT_TRUE(writeFileAtomic(ws.file("SHIF/shif.txt"), "changed", nullptr, Links::Follow));
    EXPECT_TRUE(writeFileAtomic(ws.file("SHIF/dangling.txt"), "created", nullptr, Links::Follow));
    EXPECT_EQ(ws.readBytes("elsewhere/shif.txt"), QByteArray("changed"));
    EXPECT_EQ(ws.readBytes("elsewhere/none.txt"), QByteArray("created"));
    EXPECT_TRUE(QFileInfo(ws.file("SHIF/shif.txt")).isSymLink());
}

TEST(FailedWrite, AReplacedFileKeepsItsPermissionsOwnerAndGroup) {
    TempWorkspace ws;
    ws.write("1102.01", "old");
    const QByteArray path = QFile::encodeName(ws.file("1102.01"));
    ASSERT_EQ(chmod(path.constData(), 0640), 0);
    const bool root = mirel::test::runningAsRoot();
    if (root) { // another user's workspace
        ASSERT_EQ(chown(path.constData(), 65534, 65534), 0);
    }
    ASSERT_TRUE(writeFileAtomic(ws.file("1102.01"), "new"));
    struct stat st;
    ASSERT_EQ(stat(path.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
    EXPECT_EQ(ws.readBytes("1102.01"), QByteArray("new"));
    EXPECT_EQ(entries(ws.path()), QStringList{"1102.01"});
    EXPECT_FALSE(isWriterTemporary("1102.01"));
    EXPECT_TRUE(isWriterTemporary(".1102.01.~ab12cd"));
}

TEST(NewFiles, ANameTakenInAnotherCaseIsPassedOverAndPairsShareAStem) {
    TempWorkspace ws;
    ws.write("Q/Зерно.psp", "mine");
    ws.write("Q/Картофель_1.HTM", "mine");
    EXPECT_EQ(writeNewFile(ws.file("Q"), "ЗЕРНО", ".PSP", "new"), ws.file("Q/ЗЕРНО_1.PSP"));
    FsError e;
    // The query's name is free, its template's is not: both take the next stem.
    EXPECT_EQ(writeNewFiles(ws.file("Q"), "Картофель", {{".PSP", "q"}, {".HTM", "t"}}, &e),
              "Картофель");
    EXPECT_EQ(writeNewFiles(ws.file("Q"), "Картофель", {{".PSP", "q"}, {".HTM", "t"}}, &e),
              "Картофель_2");
    EXPECT_EQ(ws.readBytes("Q/Зерно.psp"), QByteArray("mine"));
    EXPECT_EQ(ws.readBytes("Q/Картофель_1.HTM"), QByteArray("mine"));
    EXPECT_FALSE(ws.exists("Q/Картофель_1.PSP"));
    EXPECT_EQ(ws.readBytes("Q/Картофель_2.HTM"), QByteArray("t"));
}

TEST(Moves, ReadOnlyFilesAndFoldersAreNeitherMovedNorRenamed) {
    TempWorkspace ws;
    ws.write("Q/a.psp", "a");
    ws.mkdir("Q/Раздел");
    ASSERT_TRUE(setReadOnly(ws.file("Q/a.psp"), true));
    FsError e;
    EXPECT_FALSE(movePath(ws.file("Q/a.psp"), ws.file("Q/b.psp"), &e));
    EXPECT_EQ(e.number, 70);
    ASSERT_EQ(chmod(QFile::encodeName(ws.file("Q/Раздел")).constData(), 0555), 0);
    EXPECT_FALSE(movePath(ws.file("Q/Раздел"), ws.file("Q/Другой"), &e));
    EXPECT_TRUE(ws.exists("Q/a.psp"));
    EXPECT_TRUE(QFileInfo(ws.file("Q/Раздел")).isDir());
    chmod(QFile::encodeName(ws.file("Q/Раздел")).constData(), 0755);
    // A dangling link is a name taken as well.
    ASSERT_TRUE(QFile::link(ws.file("nowhere"), ws.file("Q/c.psp")));
    ws.write("Q/d.psp", "d");
    EXPECT_FALSE(movePath(ws.file("Q/d.psp"), ws.file("Q/c.psp"), &e));
    EXPECT_EQ(e.number, 58);
    EXPECT_FALSE(copyFile(ws.file("Q/d.psp"), ws.file("Q/c.psp")));
    EXPECT_FALSE(QFileInfo::exists(ws.file("nowhere")));
}

TEST(Moves, AFailedStepUndoesTheStepsBeforeIt) {
    TempWorkspace ws;
    ws.write("Q/a.PSP", "query");
    ws.write("Q/a.HTM", "template");
    ws.write("T/a.HTM", "another template");
    int failedAt = -1;
    EXPECT_FALSE(movePaths(
        {{ws.file("Q/a.PSP"), ws.file("T/a.PSP")}, {ws.file("Q/a.HTM"), ws.file("T/a.HTM")}},
        nullptr, &failedAt));
    EXPECT_EQ(failedAt, 1);
    EXPECT_EQ(ws.read("Q/a.PSP"), "query");
    EXPECT_FALSE(ws.exists("T/a.PSP"));
    EXPECT_FALSE(copyFiles(
        {{ws.file("Q/a.PSP"), ws.file("T/a.PSP")}, {ws.file("Q/a.HTM"), ws.file("T/a.HTM")}}));
    EXPECT_FALSE(ws.exists("T/a.PSP"));
    EXPECT_EQ(ws.read("T/a.HTM"), "another template");
    EXPECT_TRUE(movePaths(
        {{ws.file("Q/a.PSP"), ws.file("T/b.PSP")}, {ws.file("Q/a.HTM"), ws.file("T/b.HTM")}}));
    EXPECT_EQ(ws.read("T/b.HTM"), "template");
}

TEST(TempFolder, AMissingSystemFolderGivesTheProgramFolder) {
    TempWorkspace ws;
    const QByteArray saved = qgetenv("TMPDIR");
    setProgramFolder(ws.path());
    qputenv("TMPDIR", QFile::encodeName(ws.file("gone")));
    EXPECT_EQ(tempDir(), ws.path());
    qputenv("TMPDIR", QFile::encodeName(ws.path()));
    EXPECT_EQ(tempDir(), QDir(ws.path()).canonicalPath());
    if (saved.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", saved);
    setProgramFolder(QString());
}

TEST(Codec, UtfEightTextWithCyrillicIsRecognised) {
    EXPECT_TRUE(looksLikeUtf8(QStringLiteral("[DIR_PASP]\r\n  Запросы").toUtf8()));
    EXPECT_FALSE(looksLikeUtf8(encode1251(QStringLiteral("[DIR_PASP]\r\n  Запросы"))));
    EXPECT_FALSE(looksLikeUtf8("[DIR_PASP]\r\n  QUERIES"));
}
