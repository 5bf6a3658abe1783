// Commands on a full disk, on broken or hostile workspaces: failed writes exit 1 and change
// nothing, links are not followed, a missing temporary folder or period is handled.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::RunResult;
using mirel::test::snapshotFiles;
using mirel::test::TempWorkspace;

namespace {

// Runs mirel with files limited to limit blocks of 512 bytes (0: no file may grow at all).
RunResult runLimited(int limit, const QStringList& args, const QString& tmp) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", tmp);
    p.setProcessEnvironment(env);
    p.start("/bin/sh",
            QStringList{"-c", "ulimit -f " + QString::number(limit) + "; exec \"$0\" \"$@\"",
                        MIREL_EXE} +
                args);
    RunResult r;
    if (!p.waitForFinished(120000)) return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

RunResult runWithTmp(const QStringList& args, const QString& tmp) {
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.toLocal8Bit());
    const RunResult r = runMirel(args);
    if (saved.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", saved);
    return r;
}

void queryWorkspace(TempWorkspace& ws) {
    ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\nYYYY= 2025\nMM= 12\n[DIR_PASP]\nЗАПРОСЫ\n");
    ws.write("FORM/2020_01.101/101_2001.1S", "Строка;1;2;\n1\n2\n");
    ws.write("FORM/2020_01.101/101_2001.TXT", "Форма 101\nN_PERIOD 12\n");
    ws.write("SHIF/shif.txt", "1100 Север\n1200 Юг\n1300 Запад\n");
    ws.write("DAT/DAT_2512.101/1100.01", "PR_?\n! 0000 101 01 25 12 1100\n1 5 6\n");
    ws.write("DAT/DAT_2512.101/1200.01", "PR_?\n! 0000 101 01 25 12 1200\n1 1e400 1\n");
    ws.write("DAT/DAT_2512.101/1300.01", "PR_?\n! 0000 101 01 25 12 1300\n1 4 1\n");
    ws.write("ЗАПРОСЫ/Таблица.PSP", "1: 101 1\nDAT\n1=1\\1\\1\n");
    ws.write("ЗАПРОСЫ/Вторая.PSP", "1: 101 1\nDAT\n1=1\\1\\2\n");
}

} // namespace

TEST(FullDisk, AControlRunThatCannotWriteExitsOneAndChangesNothing) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    ws.mkdir("TMP");
    const auto before = snapshotFiles(ws.path());
    const RunResult r =
        runLimited(0, {"control", "210", "1102", "--workspace", ws.path()}, ws.file("TMP"));
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("error: Ошибка при записи информации !!! [" + ws.path() + "/DAT/"))
        << r.err.toStdString();
    EXPECT_TRUE(snapshotFiles(ws.path()) == before);
    EXPECT_TRUE(QDir(ws.file("TMP")).isEmpty());
}

TEST(FullDisk, InitWritesNoEmptyConfigurationAndRepairsOne) {
    TempWorkspace ws;
    ws.mkdir("TMP");
    RunResult r = runLimited(0, {"init", "--workspace", ws.path()}, ws.file("TMP"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("error: Ошибка при записи информации !!! [" + ws.path() +
                                 "/MIREL_WIN.INI]\n"))
        << r.err.toStdString();
    EXPECT_FALSE(ws.exists("MIREL_WIN.INI"));

    ws.writeBytes("MIREL_WIN.INI", QByteArray()); // what an earlier full disk left behind
    r = runMirel({"init", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(ws.read("MIREL_WIN.INI").startsWith("параметры ввода:\r\n"));
}

TEST(QueryCommand, AnEvaluationErrorFailsTheCommandAndWritesNoPage) {
    TempWorkspace ws;
    queryWorkspace(ws);
    RunResult r = runMirel({"query", "Таблица.PSP", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Север\t1100\t5\n"); // the rows before the failing one
    EXPECT_TRUE(r.err.startsWith("error: ")) << r.err.toStdString();
    r = runMirel({"query", "Таблица.PSP", "--html", ws.file("page.htm"), "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(ws.exists("page.htm"));
    // A table without failure exits 0; its page goes where a link named by the person points.
    ws.write("pages/kept.htm", "old");
    ASSERT_TRUE(QFile::link(ws.file("pages/kept.htm"), ws.file("link.htm")));
    r = runMirel({"query", "Вторая.PSP", "--html", ws.file("link.htm"), "--workspace", ws.path()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(ws.read("pages/kept.htm").contains(">1<"));
    EXPECT_TRUE(QFileInfo(ws.file("link.htm")).isSymLink());
}

TEST(Period, CommandsSayWhenThePeriodIsMissingOrWrong) {
    TempWorkspace ws;
    queryWorkspace(ws);
    ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\nIE\n[DIR_PASP]\nЗАПРОСЫ\n");
    RunResult r = runMirel({"query", "Вторая.PSP", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: В файле MIREL_WIN.INI отсутствуют параметры : YYYY= или MM= !!! "
                     "[ВЫХОД !!!]\n");
    EXPECT_TRUE(r.out.isEmpty());
    // --period stands in for the configuration; the catalog needs no period.
    EXPECT_EQ(
        runMirel({"query", "Вторая.PSP", "--period", "202512", "--workspace", ws.path()}).status,
        0);
    EXPECT_EQ(runMirel({"catalog", "--workspace", ws.path()}).status, 0);

    ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\nYYYY= 1e300\nMM= 12\n");
    r = runMirel({"register", "101", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Неправильно введен год отчетного периода !!!\n");
    ws.write("MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\nYYYY= 2025\nMM= 123\n");
    r = runMirel({"register", "101", "--workspace", ws.path()});
    EXPECT_EQ(r.err, "error: Неправильно введен месяц отчетного периода !!!\n");
}

TEST(Configuration, AUtf8ConfigurationIsWarnedAbout) {
    TempWorkspace ws;
    queryWorkspace(ws);
    ws.writeBytes("MIREL_WIN.INI",
                  QStringLiteral("Мирель\r\n[MIREL_WIN]\r\nYYYY= 2025\r\nMM= 12\r\n").toUtf8());
    const RunResult r = runMirel({"catalog", "--workspace", ws.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.startsWith("warning: Файл MIREL_WIN.INI записан в кодировке UTF-8: "
                                 "русские буквы в нем читаются неверно. Сохраните его в "
                                 "кодировке Windows-1251 !!! [" +
                                 ws.file("MIREL_WIN.INI") + "]\n"))
        << r.err.toStdString();
}

TEST(TempFolder, ReportsGoToTheWorkspaceWhenTheTemporaryFolderIsGone) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const RunResult r = runWithTmp(
        {"control", "210", "1102", "--section", "1", "--workspace", ws.path()}, ws.file("gone"));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(r.out.trimmed()).absolutePath(), ws.path());
    EXPECT_TRUE(r.out.trimmed().endsWith(".HTM"));
}

TEST(TempFolder, AReportNeverFollowsALinkPlantedUnderItsName) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    ws.mkdir("TMP");
    ws.write("victim.txt", "keep");
    // Links under the next names the reports of the coming seconds could take.
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 5; ++s) {
        QString stem = now.addSecs(s).toString("dd.MM.yyyy hh:mm:ss");
        for (QChar& c : stem)
            if (!c.isDigit()) c = '_';
        QFile::link(ws.file("victim.txt"), ws.file("TMP/" + stem + ".HTM"));
    }
    const RunResult r = runWithTmp(
        {"control", "210", "1102", "--section", "1", "--workspace", ws.path()}, ws.file("TMP"));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(ws.read("victim.txt"), "keep");
    EXPECT_FALSE(QFileInfo(r.out.trimmed()).isSymLink());
}
