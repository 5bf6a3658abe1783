#include <gtest/gtest.h>
#include <QFile>
#include <unistd.h>

#include "core/files.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::core;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

TEST(LineFiles, ReadersTrimDropEmptyLinesAndUpperCase) {
    TempWorkspace ws;
    ws.write("a.txt", "  yyyy= 2003 \n\n   \n[mirel_win]\nПериод", true);
    RecorderPrompt p;
    EXPECT_EQ(Read_Lines_Upper(ws.file("a.txt"), false, p),
              (QStringList{"YYYY= 2003", "[MIREL_WIN]", "ПЕРИОД"}));
    EXPECT_EQ(Read_Lines(ws.file("a.txt"), false, p),
              (QStringList{"yyyy= 2003", "[mirel_win]", "Период"}));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(LineFiles, BlankFilesAndEmptyFilesReadAlikeAsTheEmptyList) {
    TempWorkspace ws;
    ws.write("blank.txt", "   \n  \n\n", true);
    ws.writeBytes("empty.txt", QByteArray());
    RecorderPrompt p;
    EXPECT_EQ(Read_Lines(ws.file("blank.txt"), false, p), QStringList{QString()});
    EXPECT_EQ(Read_Lines(ws.file("empty.txt"), false, p), QStringList{QString()});
    EXPECT_EQ(Read_First_Line(ws.file("empty.txt"), false, false, p), QString());
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(LineFiles, MissingFilesAreReportedUnlessQuiet) {
    TempWorkspace ws;
    RecorderPrompt p;
    const QString path = ws.file("none.txt");
    EXPECT_EQ(Read_Lines_Upper(path, false, p), QStringList{QString()});
    EXPECT_EQ(Read_First_Line(path, false, true, p), QString());
    EXPECT_EQ(Read_First_Line(path, false, false, p), QString());
    EXPECT_EQ(Read_Whole_File(path, true, p), QString());
    EXPECT_EQ(Read_Whole_File(path, false, p), QString());
    EXPECT_EQ(p.texts(), (QStringList{"Файл отсутствует : " + path, "Файл отсутствует : " + path,
                                      "Файл не найден !!!\r\n" + path}));
}

// A file that is there but cannot be read is not reported missing; a folder under the name is no
// file.
TEST(LineFiles, UnreadableFilesAreToldForWhatTheyAre) {
    TempWorkspace ws;
    RecorderPrompt p;
    ws.mkdir("folder.txt");
    bool found = true;
    EXPECT_EQ(Read_Whole_File(ws.file("folder.txt"), false, p, &found), QString());
    EXPECT_FALSE(found);
    EXPECT_EQ(p.texts(), QStringList{"Файл не найден !!!\r\n" + ws.file("folder.txt")});
    ws.write("locked.txt", "PR_?\n");
    ASSERT_TRUE(QFile::setPermissions(ws.file("locked.txt"), QFileDevice::Permissions()));
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    EXPECT_EQ(Read_Whole_File(ws.file("locked.txt"), false, p, &found), QString());
    EXPECT_FALSE(found);
    EXPECT_EQ(p.texts().last(), "Нет прав на чтение файла !!!\r\n" + ws.file("locked.txt"));
}

TEST(LineFiles, FirstLineAndWholeFile) {
    TempWorkspace ws;
    ws.write("d.txt", "  PR_? \r\n! 0000 101\r\n", true);
    RecorderPrompt p;
    EXPECT_EQ(Read_First_Line(ws.file("d.txt"), false, false, p), QStringLiteral("PR_?"));
    EXPECT_EQ(Read_Whole_File(ws.file("d.txt"), false, p),
              QStringLiteral("  PR_? \r\n! 0000 101\r\n"));
}

TEST(LineFiles, OemFlagConvertsToTheDosCodePage) {
    TempWorkspace ws;
    ws.write("o.txt", "А", true);
    RecorderPrompt p;
    EXPECT_EQ(Read_Lines(ws.file("o.txt"), true, p), QStringList{QStringLiteral("Ђ")});
}

TEST(LineFiles, WriteTextFileWritesCp1251AsGivenAndReportsFailure) {
    TempWorkspace ws;
    RecorderPrompt p;
    EXPECT_EQ(Write_Text_File(ws.file("w.txt"), QStringLiteral("Мирель\r\n"), p), 0);
    EXPECT_EQ(ws.readBytes("w.txt"), QByteArray("\xcc\xe8\xf0\xe5\xeb\xfc\r\n"));
    mirel::platform::setReadOnly(ws.file("w.txt"), true);
    EXPECT_EQ(Write_Text_File(ws.file("w.txt"), QStringLiteral("x"), p), -1);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages.first(),
              (Message{Icon::Error, "Ошибка при записи информации !!!", ws.file("w.txt")}));
    EXPECT_EQ(ws.readBytes("w.txt"), QByteArray("\xcc\xe8\xf0\xe5\xeb\xfc\r\n"));
}
