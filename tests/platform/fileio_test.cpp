#include <gtest/gtest.h>

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <sys/stat.h>

#include "platform/fileio.h"
#include "workspace.h"

using namespace mirel::platform;
using mirel::test::TempWorkspace;

TEST(FileIo, SplitsLinesAtCrLfAndLfAndAcceptsAMissingLastLineEnd) {
    EXPECT_EQ(splitFileLines(QStringLiteral("a\r\nb\nc")), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(splitFileLines(QStringLiteral("a\r\nb\r\n")), (QStringList{"a", "b"}));
    EXPECT_EQ(splitFileLines(QStringLiteral("\r\n\r\nx")), (QStringList{"", "", "x"}));
    EXPECT_TRUE(splitFileLines(QString()).isEmpty());
}

TEST(FileIo, BackslashPathsBecomeNative) {
    EXPECT_EQ(nativePath(QStringLiteral("DAT\\DAT_0112.101\\1100.01")),
              QStringLiteral("DAT/DAT_0112.101/1100.01"));
    EXPECT_TRUE(hasDrivePrefix(QStringLiteral("C:\\MIREL")));
    EXPECT_FALSE(hasDrivePrefix(QStringLiteral("/tmp/x")));
    EXPECT_EQ(parentOf(QStringLiteral("/a/b\\c.psp")), QStringLiteral("/a/b"));
    EXPECT_EQ(nameOf(QStringLiteral("/a/b\\c.psp")), QStringLiteral("c.psp"));
}

TEST(FileIo, ExistingNamesAreFoundWithoutRegardToCase) {
    TempWorkspace ws;
    ws.write(QStringLiteral("SHIF/shif.txt"), QStringLiteral("1 a"));
    ws.write(QStringLiteral("ЗАПРОСЫ/Отчет.psp"), QStringLiteral("x"));
    EXPECT_EQ(resolvePath(ws.file("shif/SHIF.TXT")), ws.file("SHIF/shif.txt"));
    EXPECT_EQ(resolvePath(ws.file("запросы\\ОТЧЕТ.PSP")), ws.file("ЗАПРОСЫ/Отчет.psp"));
    EXPECT_TRUE(fileExists(ws.file("Shif/Shif.Txt")));
    EXPECT_TRUE(dirExists(ws.file("shif")));
    // A missing name keeps its spelling under the resolved folders.
    EXPECT_EQ(resolvePath(ws.file("shif/NEW.TXT")), ws.file("SHIF/NEW.TXT"));
    EXPECT_EQ(readFileBytes(ws.file("SHIF/SHIF.TXT")).value(), QByteArray("1 a"));
    EXPECT_FALSE(readFileBytes(ws.file("SHIF/none.txt")).has_value());
}

TEST(FileIo, ANewFileInAListedFolderIsFoundAtOnce) {
    TempWorkspace ws;
    ws.mkdir("D");
    EXPECT_FALSE(fileExists(ws.file("D/a.TXT"))); // lists D
    ASSERT_TRUE(writeFileAtomic(ws.file("D/A.txt"), "x"));
    EXPECT_TRUE(fileExists(ws.file("D/a.TXT")));
}

TEST(FileIo, AFolderChangedByAnotherProgramIsListedAgain) {
    TempWorkspace ws;
    ws.write("D/one.txt", "1");
    EXPECT_FALSE(fileExists(ws.file("D/TWO.TXT"))); // lists D
    // Written behind the program's back, at once and again after a while: the folder's time
    // stamp tells that the listing is old.
    ws.write("D/two.txt", "2");
    EXPECT_EQ(resolvePath(ws.file("D/TWO.TXT")), ws.file("D/two.txt"));
    QThread::msleep(250);
    EXPECT_FALSE(fileExists(ws.file("D/THREE.TXT")));
    ws.write("D/Three.txt", "3");
    EXPECT_EQ(resolvePath(ws.file("D/THREE.TXT")), ws.file("D/Three.txt"));
    // A name without letters has no other spelling: it is looked for as written.
    ws.write("D/1100.01", "x");
    EXPECT_EQ(resolvePath(ws.file("d/1100.01")), ws.file("D/1100.01"));
    EXPECT_EQ(resolvePath(ws.file("D/1200.01")), ws.file("D/1200.01"));
}

TEST(FileIo, ShortNamesInAChangingFolderFindTheSpellingAListingWouldFind) {
    // Names of a few letters are looked up spelling by spelling while the folder keeps
    // changing; the answer is the listing's: the first by exact text, links included.
    TempWorkspace ws;
    ws.mkdir("P");
    for (int n = 0; n < 1500; ++n) // a folder too large to be listed at every change
        QFile(ws.file("P/" + QString::number(100000 + n))).open(QIODevice::WriteOnly);
    ws.write("P/2_x.Htm", "a");
    ws.write("P/2_X.htm", "b");
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(ws.file("P/L.htm")).constData()), 0);
    EXPECT_EQ(resolvePath(ws.file("P/2_x.HTM")), ws.file("P/2_X.htm"));
    EXPECT_EQ(resolvePath(ws.file("P/l.HTM")), ws.file("P/L.htm"));
    EXPECT_EQ(writeNewFile(ws.file("P"), "2_x", ".HTM", "c"), ws.file("P/2_x_1.HTM"));
    EXPECT_EQ(writeNewFile(ws.file("P"), "l", ".HTM", "d"), ws.file("P/l_1.HTM"));
    // Many letters: the folder is listed, with the same answer.
    ws.write("P/Report.Htm", "e");
    EXPECT_EQ(resolvePath(ws.file("P/REPORT.HTM")), ws.file("P/Report.Htm"));
    // A small folder that has just changed is looked up the same way.
    ws.mkdir("S");
    ws.write("S/1401_101_0506.XLS", "f");
    ws.write("S/a.txt", "g");
    EXPECT_EQ(resolvePath(ws.file("S/1401_101_0506.xls")), ws.file("S/1401_101_0506.XLS"));
    EXPECT_FALSE(movePath(ws.file("S/a.txt"), ws.file("S/1401_101_0506.xls")));
    EXPECT_TRUE(movePath(ws.file("S/a.txt"), ws.file("S/1401_101_0506_1.xls")));
}

TEST(FileIo, OnlyRegularFilesAreReadAndHeadsAreCut) {
    TempWorkspace ws;
    ws.writeBytes("Data/a.txt", "0123456789");
    QByteArray buffer("old contents");
    EXPECT_TRUE(readFileBytes(ws.file("DATA/A.TXT"), buffer));
    EXPECT_EQ(buffer, QByteArray("0123456789"));
    EXPECT_FALSE(readFileBytes(ws.file("Data/none"), buffer));
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(readFileHead(ws.file("data/a.txt"), 4).value(), QByteArray("0123"));
    EXPECT_EQ(readFileHead(ws.file("Data/a.txt"), 100).value(), QByteArray("0123456789"));
    EXPECT_FALSE(readFileHead(ws.file("Data/none"), 4).has_value());
    // A folder and a named pipe are no files: refused at once, the pipe without waiting for a
    // writer.
    EXPECT_FALSE(readFileBytes(ws.file("Data")).has_value());
    const QByteArray fifo = QFile::encodeName(ws.file("Data/pipe"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(readFileBytes(ws.file("Data/pipe")).has_value());
    EXPECT_FALSE(fileExists(ws.file("Data/pipe")));
}

TEST(FileIo, WriteReplacesTheWholeFileUnderItsExistingSpelling) {
    TempWorkspace ws;
    ws.write("DAT/Data.TXT", "old old old");
    ASSERT_TRUE(writeFileAtomic(ws.file("dat/DATA.txt"), "new"));
    EXPECT_EQ(ws.readBytes("DAT/Data.TXT"), QByteArray("new"));
    EXPECT_EQ(QDir(ws.file("DAT")).entryList(QDir::Files), QStringList{"Data.TXT"});
}

// A name with no letters (every data file) is written and moved under its name as written; the
// folders above it are still found in any case, and a move still refuses a name taken in
// another case.
TEST(FileIo, NamesAsWrittenStillFindFoldersAndNamesSpeltOtherwise) {
    TempWorkspace ws;
    ws.mkdir("DAT/DAT_0506.101");
    ASSERT_TRUE(writeFileAtomic(ws.file("dat/dat_0506.101/1401.01"), "new"));
    EXPECT_EQ(ws.readBytes("DAT/DAT_0506.101/1401.01"), QByteArray("new"));
    EXPECT_FALSE(ws.exists("dat"));
    FsError error;
    EXPECT_FALSE(writeFileAtomic(ws.file("DAT/NONE/1401.01"), "x", &error));
    EXPECT_EQ(error.number, 76);

    ws.write("Arch/1401_101_0506.XLS", "old");
    ws.write("in/1401_101_0506.xls", "new");
    EXPECT_FALSE(movePath(ws.file("IN/1401_101_0506.XLS"), ws.file("arch/1401_101_0506.xls")));
    EXPECT_TRUE(movePath(ws.file("IN/1401_101_0506.XLS"), ws.file("arch/1401_101_0506_1.xls")));
    EXPECT_EQ(ws.readBytes("Arch/1401_101_0506_1.xls"), QByteArray("new"));
    EXPECT_EQ(ws.readBytes("Arch/1401_101_0506.XLS"), QByteArray("old"));
    // The caller that keeps a folder's names moves under the name as written alone.
    ws.write("in/1402.xls", "2");
    EXPECT_TRUE(
        movePath(ws.file("in/1402.xls"), ws.file("Arch/1402.xls"), nullptr, Spellings::Checked));
    EXPECT_TRUE(ws.exists("Arch/1402.xls"));
    ws.write("in/1402.xls", "again");
    EXPECT_FALSE(
        movePath(ws.file("in/1402.xls"), ws.file("Arch/1402.xls"), &error, Spellings::Checked));
    EXPECT_EQ(error.number, 58);
    EXPECT_EQ(ws.readBytes("Arch/1402.xls"), QByteArray("2"));
    EXPECT_EQ(ws.readBytes("in/1402.xls"), QByteArray("again"));
    EXPECT_FALSE(movePath(ws.file("in/none.xls"), ws.file("Arch/none.xls"), &error));
    EXPECT_EQ(error.number, 53);
}

TEST(FileIo, AFailedWriteLeavesTheOldFileWhole) {
    TempWorkspace ws;
    ws.write("a.txt", "keep me");
    // A folder in place of the temporary file's folder: the target folder is missing.
    FsError error;
    EXPECT_FALSE(writeFileAtomic(ws.file("missing/a.txt"), "x", &error));
    EXPECT_EQ(error.number, 76);
    // Writing into a folder that refuses new files fails before the old file is touched.
    if (!mirel::test::runningAsRoot()) {
        QFile::setPermissions(ws.file(""), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(writeFileAtomic(ws.file("a.txt"), "new text"));
        QFile::setPermissions(ws.file(""), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
    }
    EXPECT_EQ(ws.readBytes("a.txt"), QByteArray("keep me"));
    EXPECT_TRUE(QDir(ws.path()).entryList(QDir::Files) == QStringList{"a.txt"});
}

TEST(FileIo, ReadOnlyFilesAreNeverRewrittenEvenByRoot) {
    TempWorkspace ws;
    ws.write("1100.01", "PR_?");
    ASSERT_TRUE(setReadOnly(ws.file("1100.01"), true));
    EXPECT_TRUE(isReadOnly(ws.file("1100.01")));
    FsError error;
    EXPECT_FALSE(writeFileAtomic(ws.file("1100.01"), "changed", &error));
    EXPECT_EQ(error.number, 70);
    EXPECT_FALSE(removeFile(ws.file("1100.01")));
    EXPECT_EQ(ws.readBytes("1100.01"), QByteArray("PR_?"));
    ASSERT_TRUE(setReadOnly(ws.file("1100.01"), false));
    EXPECT_TRUE(writeFileAtomic(ws.file("1100.01"), "changed"));
}

// A caller that listed the folder writes a name it did not see without a look first; a file
// that is there all the same is still replaced, refused or kept exactly as when nothing is known.
TEST(FileIo, ANameSaidToBeAbsentIsLookedAtWhenItIsThereAfterAll) {
    TempWorkspace ws;
    ws.mkdir("DAT");
    ASSERT_TRUE(
        writeFileAtomic(ws.file("DAT/1401.01"), "new", nullptr, Links::Refuse, Known::Absent));
    EXPECT_EQ(ws.readBytes("DAT/1401.01"), QByteArray("new"));

    ws.write("DAT/1401.02", "old");
    ASSERT_TRUE(QFile::setPermissions(ws.file("DAT/1401.02"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(
        writeFileAtomic(ws.file("DAT/1401.02"), "replaced", nullptr, Links::Refuse, Known::Absent));
    EXPECT_EQ(ws.readBytes("DAT/1401.02"), QByteArray("replaced"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(ws.file("DAT/1401.02")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    ws.write("DAT/1401.03", "kept");
    ASSERT_TRUE(setReadOnly(ws.file("DAT/1401.03"), true));
    FsError error;
    EXPECT_FALSE(
        writeFileAtomic(ws.file("DAT/1401.03"), "x", &error, Links::Refuse, Known::Absent));
    EXPECT_EQ(error.number, 70);
    EXPECT_EQ(ws.readBytes("DAT/1401.03"), QByteArray("kept"));

    ws.write("elsewhere.txt", "theirs");
    ASSERT_TRUE(QFile::link(ws.file("elsewhere.txt"), ws.file("DAT/1401.04")));
    EXPECT_FALSE(
        writeFileAtomic(ws.file("DAT/1401.04"), "x", &error, Links::Refuse, Known::Absent));
    EXPECT_EQ(error.number, 75);
    EXPECT_EQ(ws.readBytes("elsewhere.txt"), QByteArray("theirs"));
    EXPECT_EQ(QDir(ws.file("DAT")).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList{"1401.01", "1401.02", "1401.03", "1401.04"}));
}

TEST(FileIo, MakeDirCreatesOneLevelOnly) {
    TempWorkspace ws;
    FsError error;
    EXPECT_TRUE(makeDir(ws.file("MAP"), &error));
    EXPECT_TRUE(makeDir(ws.file("MAP"))); // already there
    EXPECT_FALSE(makeDir(ws.file("A/B"), &error));
    EXPECT_EQ(error.number, 76);
    ws.write("FILE", "x");
    EXPECT_FALSE(makeDir(ws.file("FILE"), &error));
    EXPECT_EQ(error.number, 58);
}

TEST(FileIo, ListingsAreSortedWithoutRegardToCase) {
    TempWorkspace ws;
    for (const char* n : {"b.psp", "A.psp", "c.PSP", "a.psp"})
        ws.write(QString::fromLatin1(n), "x");
    ws.mkdir("Zeta");
    ws.mkdir("alpha");
    EXPECT_EQ(listFiles(ws.path()), (QStringList{"A.psp", "a.psp", "b.psp", "c.PSP"}));
    EXPECT_EQ(listDirs(ws.path()), (QStringList{"alpha", "Zeta"}));
    EXPECT_TRUE(listFiles(ws.file("none")).isEmpty());
}

TEST(FileIo, ListingsTakeEveryKindOfEntryAsTheFolderObjectDoes) {
    // Links to files and folders, a dangling link, a pipe, hidden names: each lands where the
    // folder object of the toolkit puts it.
    TempWorkspace ws;
    ws.write("D/plain.txt", "x");
    ws.write("D/.hidden", "x");
    ws.mkdir("D/Sub");
    ws.mkdir("D/.sub");
    const auto link = [&](const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, QFile::encodeName(ws.file(name)).constData()), 0);
    };
    link("plain.txt", "D/to-file");
    link("Sub", "D/to-dir");
    link("nowhere", "D/dangling");
    ASSERT_EQ(::mkfifo(QFile::encodeName(ws.file("D/pipe")).constData(), 0600), 0);
    const QDir d(ws.file("D"));
    const auto sorted = [](QStringList names) {
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        });
        return names;
    };
    EXPECT_EQ(listFiles(ws.file("d")),
              sorted(d.entryList(QDir::Files | QDir::Hidden | QDir::System)));
    EXPECT_EQ(listDirs(ws.file("d")),
              sorted(d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)));
    EXPECT_EQ(listFiles(ws.file("D")),
              (QStringList{".hidden", "dangling", "pipe", "plain.txt", "to-file"}));
    EXPECT_EQ(listDirs(ws.file("D")), (QStringList{".sub", "Sub", "to-dir"}));
}

TEST(FileIo, MoveAndCopyNeverOverwrite) {
    TempWorkspace ws;
    ws.write("a.psp", "a");
    ws.write("b.psp", "b");
    EXPECT_FALSE(movePath(ws.file("a.psp"), ws.file("b.psp")));
    EXPECT_FALSE(copyFile(ws.file("a.psp"), ws.file("b.psp")));
    EXPECT_TRUE(copyFile(ws.file("a.psp"), ws.file("c.psp")));
    EXPECT_TRUE(movePath(ws.file("c.psp"), ws.file("d.psp")));
    EXPECT_EQ(ws.readBytes("d.psp"), QByteArray("a"));
    EXPECT_FALSE(ws.exists("c.psp"));
}

TEST(FileIo, RecursiveRemovalRefusesProtectedContent) {
    TempWorkspace ws;
    ws.write("S/sub/q.psp", "x");
    ASSERT_TRUE(setReadOnly(ws.file("S/sub/q.psp"), true));
    EXPECT_FALSE(removeDirRecursively(ws.file("S")));
    EXPECT_TRUE(ws.exists("S/sub/q.psp"));
    setReadOnly(ws.file("S/sub/q.psp"), false);
    EXPECT_TRUE(removeDirRecursively(ws.file("S")));
    EXPECT_FALSE(ws.exists("S"));
}

#include <csignal>
#include <QThread>
#include <sys/wait.h>
#include <unistd.h>

TEST(FileIo, AWriteKilledHalfwayLeavesTheOldFileWhole) {
    TempWorkspace ws;
    ws.write("1100.01", "old content");
    const QString target = ws.file("1100.01");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const QByteArray big(512 * 1024 * 1024, 'x');
        const char go = 1;
        (void)!write(ready[1], &go, 1);
        writeFileAtomic(target, big);
        _exit(0);
    }
    char go = 0;
    ASSERT_EQ(read(ready[0], &go, 1), 1);
    QThread::msleep(30);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer finished before it could be interrupted";
    const QByteArray after = ws.readBytes("1100.01");
    EXPECT_TRUE(after == QByteArray("old content")) << after.size() << " bytes";
}

TEST(FileIo, NewFilesTakeANameNobodyHoldsAndNeverFollowALink) {
    TempWorkspace ws;
    ws.write(QStringLiteral("T/1.HTM"), QStringLiteral("old"));
    const QString target = ws.file("outside.txt");
    ASSERT_TRUE(QFile::link(target, ws.file("T/1_1.HTM"))); // dangling link under the next name
    FsError e;
    const QString path = writeNewFile(ws.file("T"), QStringLiteral("1"), QStringLiteral(".HTM"),
                                      QByteArray("new"), &e);
    EXPECT_EQ(path, ws.file("T/1_2.HTM"));
    EXPECT_EQ(ws.readBytes("T/1_2.HTM"), QByteArray("new"));
    EXPECT_EQ(ws.readBytes("T/1.HTM"), QByteArray("old"));
    EXPECT_FALSE(QFileInfo::exists(target));

    EXPECT_TRUE(
        writeNewFile(ws.file("missing"), QStringLiteral("x"), QString(), "x", &e).isEmpty());
    EXPECT_EQ(e.number, 76);
}

// The names of a folder's files for a question without regard to case: folders are not among
// them, names in any case (and outside ASCII) are found, missing ones are not.
TEST(FileIo, FileNamesAnswerWithoutRegardToCase) {
    TempWorkspace ws;
    ws.write("D/1401.01", "1");
    ws.write("D/Отчет.psp", "x");
    ws.write("D/query.Txt", "x");
    ws.mkdir("D/1402.01");
    ASSERT_EQ(::symlink("1401.01", QFile::encodeName(ws.file("D/link.01")).constData()), 0);
    const FileNames names(ws.file("d"));
    EXPECT_EQ(names.size(), 4);
    EXPECT_TRUE(names.contains("1401.01"));
    EXPECT_TRUE(names.contains("ОТЧЕТ.PSP"));
    EXPECT_TRUE(names.contains("QUERY.TXT"));
    EXPECT_TRUE(names.contains("Link.01"));
    EXPECT_FALSE(names.contains("1402.01"));
    EXPECT_FALSE(names.contains("1401.02"));
    EXPECT_EQ(FileNames(ws.file("none")).size(), 0);
}
