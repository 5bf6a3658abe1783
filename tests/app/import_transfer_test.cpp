#include <gtest/gtest.h>

#include <QFile>

#include "process.h"
#include "workspace.h"

using mirel::test::cp1251Crlf;
using mirel::test::runMirel;
using mirel::test::RunResult;
using mirel::test::TempWorkspace;

namespace {

RunResult importTransfer(const TempWorkspace& ws, QStringList args) {
    args.prepend("import-transfer");
    args << "--workspace" << ws.path();
    return runMirel(args);
}

} // namespace

// The demo's transfer file, named inside the import folder: the tree of the load on stdout,
// the duplicate section on stderr, a stored section refused in entry mode; the other demo file
// (a concatenation of section files) replaces a stored section with --correct.
TEST(ImportTransferCommand, DemoFiles) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const QByteArray stored = ws.readBytes("DAT/DAT_2512.510/1101.01");
    RunResult r = importTransfer(ws, {"ПЕРЕДАЧА_2512.TXT"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2512\t2\n"
                     "  форма 510\t2\n"
                     "    1306 - Яблоновский район\t2\n"
                     "      раздел 01\t1\n"
                     "      раздел 02\t1\n"
                     "    1101 - Березовский район\t2\n"
                     "      раздел 01 - ОШИБКА !!! - повторный ввод\t4\n"
                     "  форма 620\t2\n"
                     "    1104 - Озерный район\t2\n"
                     "      раздел 01\t1\n"
                     "    1205 - Степановский район\t2\n"
                     "      раздел 01\t1\n");
    EXPECT_EQ(r.err, "error: Попытка повторного ввода уже загруженных данных !!! [! 0000 620 1 "
                     "2025 12 1205]\n"
                     "info: Загрузка завершена!!!\n");
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.510/1101.01"), stored);
    EXPECT_EQ(ws.read("DAT/DAT_2512.620/1205.01"), "PR_?\r\n"
                                                   "! 0000 620 01 25 12 1205\r\n"
                                                   "1 702.6 21.0 70.2 605.1 6.3\r\n"
                                                   "2 430.9 12.9 47.6 366.4 4.0\r\n"
                                                   "3 271.7 8.1 22.6 238.7 2.3\r\n"
                                                   "4 18.2 0.6 1.9 15.6 0.1\r\n"
                                                   "5 12.7 0.4 1.2 11.0 0.1\r\n"
                                                   "6 640.8 17.5 62.3 555.2 5.8\r\n");

    r = importTransfer(ws, {ws.file("ИМПОРТ/ЮГ.620"), "--correct"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "2512\t2\n"
                     "  форма 620\t2\n"
                     "    1303 - Ольховский район\t2\n"
                     "      раздел 01\t1\n"
                     "    1305 - Солнечный район\t2\n"
                     "      раздел 01\t1\n");
    EXPECT_EQ(ws.read("DAT/DAT_2512.620/1305.01").section("\r\n", 0, 1),
              "PR_?\r\n! 0000 620 01 25 12 1305");
    EXPECT_TRUE(ws.read("DAT/DAT_2512.620/1303.01").endsWith("6 801.7 23.1 66.2 704.9 7.5\r\n"));
}

TEST(ImportTransferCommand, BadUseAndFilesWithoutData) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    EXPECT_EQ(importTransfer(ws, {}).status, 2);
    EXPECT_EQ(importTransfer(ws, {"--correct"}).status, 2);
    const RunResult missing = importTransfer(ws, {"НЕТ.TXT"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.startsWith("info: Файл не найден !!! / ")) << missing.err.toStdString();
    ws.write("ИМПОРТ/ПУСТО.TXT", "   ");
    const RunResult empty = importTransfer(ws, {"ПУСТО.TXT"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "error: Файл для загрузки данных пуст !!! [ВНИМАНИЕ !!!]\n");
    const RunResult letter = importTransfer(ws, {"Письмо.doc"});
    EXPECT_EQ(letter.status, 1);
    EXPECT_EQ(letter.out, "");
    EXPECT_EQ(letter.err, "error: В файле отсутствуют данные для загрузки !!! [ВНИМАНИЕ !!!]\n");
}

// One file by its path: both header forms of one section (the second copy refused), a form code
// padded to three digits, a note line of the body kept in code page 1251 with CR LF, a header
// that is no header, and a protected section in "Коррекция": each is said on stderr with its
// header line or path, and the matrices after it still load.
TEST(ImportTransferCommand, FailuresAreSaidAndTheRestLoads) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const QString stored = "DAT/DAT_2512.620/1101.01";
    const QByteArray before = ws.readBytes(stored);
    ASSERT_TRUE(QFile::setPermissions(ws.file(stored), QFile::ReadOwner | QFile::ReadGroup));
    ws.write("Почта/1104.txt", "! 0000 620 1 25 12 01104\n"
                               "1 5,5\t6;\n"
                               "Примечание: оценка\n"
                               "! 0000 620 01 2512 1104\n"
                               "1 7 8\n"
                               "! 0000 62O 01 2512 1104\n"
                               "1 7 8\n"
                               "! 0000 620 01 2512 1101\n"
                               "1 9 9\n"
                               "! 0000 1 2 2512 1303\n"
                               "1 1\n");
    const RunResult r = importTransfer(ws, {ws.file("Почта/1104.txt"), "--correct"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2512\t2\n"
                     "  форма 620\t2\n"
                     "    1104 - Озерный район\t2\n"
                     "      раздел 01\t1\n"
                     "    1101 - Березовский район\t2\n"
                     "      раздел 01 - ОШИБКА ЗАПИСИ !!!\t4\n"
                     "  форма 001\t2\n"
                     "    1303 - Ольховский район\t2\n"
                     "      раздел 02\t1\n");
    EXPECT_EQ(r.err, "error: Попытка повторного ввода уже загруженных данных !!! [! 0000 620 01 "
                     "2512 1104]\n"
                     "error: Недействительное значение кода формы !!! [! 0000 62O 01 2512 1104]\n"
                     "error: Ошибка при записи информации !!! [" +
                         ws.file(stored) +
                         "]\n"
                         "info: Загрузка завершена!!!\n");
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.620/1104.01"),
              cp1251Crlf("PR_?\n! 0000 620 01 25 12 1104\n1 5,5 6\nПримечание: оценка\n"));
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.001/1303.02"),
              cp1251Crlf("PR_?\n! 0000 001 02 25 12 1303\n1 1\n"));
    EXPECT_EQ(ws.readBytes(stored), before);
    EXPECT_TRUE(ws.exists("Почта/1104.txt"));
}

// "Ввод" writes what is new and refuses what is stored, leaving it byte for byte; "Коррекция"
// replaces it, and the state becomes "?" whatever it was.
TEST(ImportTransferCommand, EntryRefusesCorrectionReplaces) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    ws.write("ИМПОРТ/1104", "! 0000 620 01 2512 1104\n1 1 2\n! 0000 510 01 2512 1104\n1 3 4\n");
    const QString existing = "DAT/DAT_2512.510/1104.01";
    const QByteArray before = ws.readBytes(existing);
    ASSERT_TRUE(before.startsWith("PR_"));

    RunResult r = importTransfer(ws, {"1104"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2512\t2\n"
                     "  форма 620\t2\n"
                     "    1104 - Озерный район\t2\n"
                     "      раздел 01\t1\n"
                     "  форма 510\t2\n"
                     "    1104 - Озерный район\t2\n"
                     "      раздел 01 - ОШИБКА !!! - повторный ввод\t4\n");
    EXPECT_EQ(r.err, "info: Загрузка завершена!!!\n");
    EXPECT_EQ(ws.readBytes(existing), before);
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.620/1104.01"),
              cp1251Crlf("PR_?\n! 0000 620 01 25 12 1104\n1 1 2\n"));

    // A second entry of the same file refuses both; the state of what it wrote stays.
    ws.write("DAT/DAT_2512.620/1104.01", "PR_++\n! 0000 620 01 25 12 1104\n1 1 2\n");
    r = importTransfer(ws, {"1104"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.count("повторный ввод"), 2);
    EXPECT_TRUE(ws.read("DAT/DAT_2512.620/1104.01").startsWith("PR_++\r\n"));

    r = importTransfer(ws, {"1104", "--correct"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count("повторный ввод"), 0);
    EXPECT_EQ(r.err, "info: Загрузка завершена!!!\n");
    EXPECT_EQ(ws.readBytes(existing), cp1251Crlf("PR_?\n! 0000 510 01 25 12 1104\n1 3 4\n"));
    EXPECT_EQ(ws.readBytes("DAT/DAT_2512.620/1104.01"),
              cp1251Crlf("PR_?\n! 0000 620 01 25 12 1104\n1 1 2\n"));
}
