#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "process.h"
#include "workspace.h"

using mirel::test::cp1251;
using mirel::test::runMirel;
using mirel::test::runMirelWithInput;
using mirel::test::RunResult;
using mirel::test::TempWorkspace;

namespace {

// The demo workspace (December 2025) with its own temporary folder (TMPDIR of the child).
struct Demo {
    TempWorkspace ws;
    QByteArray oldTmp = qgetenv("TMPDIR");

    Demo() {
        ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
        ws.mkdir("TMP");
        qputenv("TMPDIR", ws.file("TMP").toLocal8Bit());
    }
    ~Demo() {
        if (oldTmp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTmp);
    }
    RunResult run(QStringList args) {
        args << "--workspace" << ws.path();
        return runMirel(args);
    }
    QString file(const QString& rel) const { return ws.read("DAT/" + rel); }
};

QString zeros(int n) {
    QStringList z;
    for (int i = 0; i < n; ++i)
        z.append("0");
    return z.join(' ');
}

} // namespace

TEST(EnterCommand, AMatrixIsSavedWithTheEntryRules) {
    Demo d;
    // Tabs from a spreadsheet with a thousands blank; a value for a cell that must stay zero.
    d.ws.writeBytes("in.txt", cp1251("1 234\t5\r\n\r\n7 8 9\r\n"));
    QString lines25;
    for (int r = 4; r <= 25; ++r)
        lines25 += "\t\n";
    d.ws.writeBytes("in.txt", d.ws.readBytes("in.txt") + lines25.toUtf8() + "1\t2\t3\t4\t5\t6\n");
    RunResult r = d.run({"enter", "210", "1105", "--section", "1", "--file", d.ws.file("in.txt")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, d.ws.file("DAT/DAT_2512.210/1105.01") + "\n");
    EXPECT_EQ(r.err, "warning: Значение в нулевой клетке не записано : с.26г.2 = 2\n"
                     "warning: Значение в нулевой клетке не записано : с.26г.3 = 3\n"
                     "warning: Значение в нулевой клетке не записано : с.26г.4 = 4\n"
                     "warning: Значение в нулевой клетке не записано : с.26г.6 = 6\n");
    QString expected = "PR_?\r\n! 0000 210 01 25 12 1105\r\n01 1234 5 0 0 0 0\r\n02 " + zeros(6) +
                       "\r\n03 7 8 9 0 0 0\r\n";
    for (int row = 4; row <= 25; ++row)
        expected += QString("%1 ").arg(row, 2, 10, QChar('0')) + zeros(6) + "\r\n";
    expected += "26 1 0 0 0 5 0\r\n";
    EXPECT_EQ(d.ws.readBytes("DAT/DAT_2512.210/1105.01"), cp1251(expected));

    // A section with a calculation is computed before it is saved.
    r = runMirelWithInput({"enter", "210", "1105", "--section", "3", "--workspace", d.ws.path()},
                          "\n5 6\n7 8\n");
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(d.file("DAT_2512.210/1105.03").contains("\r\n01 12 14 0 0 0\r\n02 5 6 0 0 0\r\n"));
}

TEST(EnterCommand, MatricesThatDoNotFitAndProtectedFilesAreRefused) {
    Demo d;
    RunResult r = runMirelWithInput(
        {"enter", "130", "1102", "--section", "1", "--workspace", d.ws.path()}, "1 2 3 4 5\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Строка 1 матрицы : значений 5, граф в разделе : 4\n");
    r = runMirelWithInput({"enter", "130", "1102", "--section", "1", "--workspace", d.ws.path()},
                          "1\n2\n3\n4\n5\n6\n7\n8\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Строк в матрице : 8, в разделе : 7\n");

    const QByteArray before = d.ws.readBytes("DAT/DAT_2512.130/1102.01");
    ASSERT_EQ(d.run({"protect", "130", "1102"}).status, 0);
    r = runMirelWithInput({"enter", "130", "1102", "--section", "1", "--workspace", d.ws.path()},
                          "1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Ошибка при записи информации !!! [" +
                         d.ws.file("DAT/DAT_2512.130/1102.01") + "]\n");
    EXPECT_EQ(d.ws.readBytes("DAT/DAT_2512.130/1102.01"), before);

    EXPECT_EQ(d.run({"enter", "130", "1102"}).status, 2);
    EXPECT_EQ(d.run({"enter", "130", "1102", "--section", "0"}).status, 2);
    r = d.run({"enter", "130", "1102", "--section", "2", "--file", "x"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "mirel enter: form 130 has sections 1 to 1\n");
    r = d.run({"enter", "130", "1102", "--section", "1", "--file", d.ws.file("missing.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Файл отсутствует : " + d.ws.file("missing.txt") + "\n");
}

TEST(ProtectCommand, SetsAndRemovesTheReadOnlyBitOfACompleteForm) {
    Demo d;
    RunResult r = d.run({"protect", "210", "1102"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "info: Защита установлена !!!\n");
    for (const char* s : {"01", "02", "03", "04"})
        EXPECT_FALSE(QFileInfo(d.ws.file(QString("DAT/DAT_2512.210/1102.") + s)).permissions() &
                     QFileDevice::WriteOwner);
    // The whole-form control keeps the marks of protected files and says so.
    r = d.run({"control", "210", "1102"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(d.file("DAT_2512.210/1102.01").section("\r\n", 0, 0), "PR_?");

    r = d.run({"protect", "210", "1102", "--off"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "info: Защита снята !!!\n");
    EXPECT_TRUE(QFileInfo(d.ws.file("DAT/DAT_2512.210/1102.01")).permissions() &
                QFileDevice::WriteOwner);

    QFile::remove(d.ws.file("DAT/DAT_2512.210/1102.03"));
    r = d.run({"protect", "210", "1102"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Отчет сформирован неполностью !!! [Нет раздела 03]\n");
    EXPECT_TRUE(QFileInfo(d.ws.file("DAT/DAT_2512.210/1102.01")).permissions() &
                QFileDevice::WriteOwner);
}

TEST(ExportCommand, WritesThePackageAndReplacesAFileOnlyWithYes) {
    Demo d;
    const QString target = d.ws.file("out/1102_210.txt");
    d.ws.mkdir("out");
    RunResult r = d.run({"export", "210", "1102", target});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "info: Файл экспорта  записан !!!\n");
    QByteArray package;
    for (const char* s : {"01", "02", "03", "04"})
        package += d.ws.readBytes(QString("DAT/DAT_2512.210/1102.") + s) + "\r\n";
    EXPECT_EQ(d.ws.readBytes("out/1102_210.txt"), package);

    d.ws.write("out/1102_210.txt", "старое\n");
    r = d.run({"export", "210", "1102", target});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "warning: Файл экспорта не записан !!! [" + target + "]\n");
    EXPECT_EQ(d.ws.read("out/1102_210.txt"), "старое\r\n");
    r = d.run({"export", "210", "1102", target, "--yes"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(d.ws.readBytes("out/1102_210.txt"), package);

    r = d.run({"export", "210", "1105", target});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Отчет сформирован неполностью !!! [Нет раздела 01]\n");
    EXPECT_EQ(d.run({"export", "210", "1102"}).status, 2);
}

TEST(MailCommand, DryRunPrintsTheCallAndTheRealOneGoesThroughXdgEmail) {
    Demo d;
    RunResult r = d.run({"mail", "210", "1102", "--dry-run"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList call = r.out.trimmed().split(' ');
    ASSERT_EQ(call.size(), 8) << r.out.toStdString();
    EXPECT_EQ(call.mid(0, 3), (QStringList{"xdg-email", "--utf8", "--subject"}));
    EXPECT_EQ(call.mid(3, 3), (QStringList{"'Статистические", "данные'", "--attach"}));
    EXPECT_EQ(QFileInfo(call.at(6)).fileName(), "Mirel_210_2025_12");
    EXPECT_EQ(QFileInfo(call.at(6)).absolutePath().section('/', 0, -2), d.ws.file("TMP"));
    EXPECT_EQ(call.at(7), "svod@krasnopol-stat.example");
    EXPECT_TRUE(r.err.isEmpty());

    r = d.run({"mail", "210", "1102", "--dry-run", "--to", "obl@stat.ru?attach=/etc/passwd"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Неверный адрес электронной почты !!! "
                     "[obl@stat.ru?attach=/etc/passwd]\n");

    // The real hand-off, to a stand-in xdg-email that keeps its arguments.
    d.ws.writeBytes("bin/xdg-email",
                    "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + d.ws.file("args").toUtf8() + "\"\n");
    QFile::setPermissions(d.ws.file("bin/xdg-email"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", d.ws.file("bin").toLocal8Bit() + ":" + path);
    r = d.run({"mail", "210", "1102", "--to", "obl@stat.ru"});
    qputenv("PATH", path);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "info: Сообщение было направлено в папку <ИСХОДЯЩИЕ>. "
                     "[Загрузите Microsoft OutLook и отправьте почту !!!]\n");
    const QStringList args = QString::fromUtf8(d.ws.readBytes("args")).split('|');
    EXPECT_EQ(args.mid(0, 4),
              (QStringList{"--utf8", "--subject", "Статистические данные", "--attach"}));
    EXPECT_EQ(args.at(5), "obl@stat.ru");
}

TEST(SummaryReportCommand, PrintsThePagesWritten) {
    Demo d;
    RunResult r = d.run({"summary-report", "210", "1102"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, d.ws.file("TMP/SVOD210_1102_2512.HTM") + "\n");
    EXPECT_EQ(r.err, "info:  / Записано : / " + d.ws.file("TMP/SVOD210_1102_2512.HTM") + "\n");
    const QString page = d.ws.read("TMP/SVOD210_1102_2512.HTM");
    EXPECT_TRUE(page.contains("charset=windows-1251"));
    EXPECT_TRUE(page.contains("<td align=right>94901</td>"));

    r = d.run({"summary-report", "210", "1105"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Ошибка при определении количества показателей !!!\n");
    r = d.run({"summary-report", "130", "1102"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "warning: Нет шаблонов сводного отчета в файле " +
                         d.ws.file("FORM/2024_01.130/130_2401.TXT") + "\n");
}

TEST(EntryCommands, AreListedInTheHelp) {
    const RunResult r = runMirel({"--help"});
    for (const char* line : {"enter FFF COD --section N [--file FILE]", "protect FFF COD [--off]",
                             "export FFF COD FILE", "mail FFF COD [--to ADDRESS] [--dry-run]",
                             "summary-report FFF COD"})
        EXPECT_TRUE(r.out.contains(line)) << line;
}
