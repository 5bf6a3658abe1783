#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::RunResult;
using mirel::test::TempWorkspace;

namespace {

// The demo workspace with its own temporary folder for the reports (TMPDIR of the child).
struct DemoWorkspace {
    TempWorkspace ws;
    QByteArray oldTmp = qgetenv("TMPDIR");

    DemoWorkspace() {
        ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
        ws.mkdir("TMP");
        qputenv("TMPDIR", ws.file("TMP").toLocal8Bit());
    }
    ~DemoWorkspace() {
        if (oldTmp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTmp);
    }
    RunResult control(QStringList args) {
        args.prepend("control");
        args << "--workspace" << ws.path();
        return runMirel(args);
    }
    QString mark(const QString& file) const { return ws.read("DAT/" + file).section("\r\n", 0, 0); }
    QString report(const RunResult& r) const {
        const QString path = r.out.trimmed();
        if (QFileInfo(path).absolutePath() != ws.file("TMP")) return QString();
        return ws.read("TMP/" + QFileInfo(path).fileName());
    }
};

} // namespace

TEST(ControlCommand, SingleSectionPrintsThePageOrNoErrors) {
    DemoWorkspace d;
    RunResult r = d.control({"210", "1102", "--section", "1"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QString page = d.report(r);
    EXPECT_TRUE(page.contains("<td><b>210 01 2025 12 1102</b></td></tr>"));
    EXPECT_TRUE(page.contains("<p><font size=\"2\">Не выполнено условие : "
                              "с.1г.1=с.2г.1+с.3г.1+с.22г.1+с.23г.1</p>"
                              "<p><font size=\"2\">94901<>8310+68030+15507+2804</p>"));
    // The single-section run leaves the state mark alone.
    EXPECT_EQ(d.mark("DAT_2512.210/1102.01"), "PR_?");

    r = d.control({"210", "1101", "--section", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, "info: Нет ошибок !!!\n");
}

TEST(ControlCommand, WholeFormWritesTheStateMarks) {
    DemoWorkspace d;
    const QString before = d.ws.read("DAT/DAT_2512.210/1102.02");
    RunResult r = d.control({"210", "1102"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(d.mark("DAT_2512.210/1102.01"), "PR_??");
    for (const char* s : {"02", "03", "04"})
        EXPECT_EQ(d.mark(QString("DAT_2512.210/1102.") + s), "PR_++") << s;
    const QString page = d.report(r);
    EXPECT_TRUE(page.contains("<td><b>1102 - Верхнекамский район. 210 - Основные показатели "
                              "социально-экономического положения района</b></td></tr>"));
    EXPECT_TRUE(page.contains("<td><b>РАЗДЕЛ 01</b></td>"));
    EXPECT_FALSE(page.contains("РАЗДЕЛ 02"));
    // The data lines are written back as they were.
    EXPECT_EQ(d.ws.read("DAT/DAT_2512.210/1102.02").section("\r\n", 1), before.section("\r\n", 1));

    // Quarterly investments in December refer to September, for which there are no data.
    r = d.control({"510", "1101"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(d.mark("DAT_2512.510/1101.01"), "PR_??");
    EXPECT_EQ(d.mark("DAT_2512.510/1101.02"), "PR_++");
    EXPECT_TRUE(d.report(r).contains("НЕПОЛНЫЙ ЛОГИЧЕСКИЙ КОНТРОЛЬ : ОТСУТСТВУЮТ ДАННЫЕ ПО РАЗДЕЛУ "
                                     "01, ФОРМЫ 510 ЗА ОТЧЕТНЫЙ ПЕРИОД 2509"));
}

TEST(ControlCommand, RuleFaultsStopWithoutReportOrMark) {
    DemoWorkspace d;
    d.ws.write("FORM/2024_01.130/130_2401.01.LOG", "1: 130\n\n// Итог\n1\\0\\1=0\n");
    const QString before = d.mark("DAT_2512.130/1102.01");
    RunResult r = d.control({"130", "1102"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("error: Номер строки = 0 !!! [Выход !!!]\n"))
        << r.err.toStdString();
    // The whole-form page is still written, without the stopped section; its mark stays.
    EXPECT_EQ(d.mark("DAT_2512.130/1102.01"), before);
    EXPECT_FALSE(d.report(r).contains("РАЗДЕЛ"));

    r = d.control({"130", "1102", "--section", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, "error: Номер строки = 0 !!! [Выход !!!]\n");
}

TEST(ControlCommand, BadArgumentsAndMissingRules) {
    DemoWorkspace d;
    EXPECT_EQ(d.control({"210"}).status, 2);
    EXPECT_EQ(d.control({"210", "1101", "--section"}).status, 2);
    EXPECT_EQ(d.control({"210", "1101", "--section", "x"}).status, 2);
    RunResult r = d.control({"210", "1101", "--section", "5"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "mirel control: form 210 has sections 1 to 4\n");
    r = d.control({"210", "11x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Нечисловое значение кода региона !!!\n");
    r = d.control({"210", "9999"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Код региона отсутствует в классификаторе : 9999\n");
    r = d.control({"999", "1101"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Недействительное значение кода формы !!!\n");
    // Quarterly investments are not due in November.
    r = d.control({"510", "1101", "--period", "202511"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Недействительное значение кода формы !!!\n");
    EXPECT_FALSE(d.ws.exists("DAT/DAT_2511.510"));
    QFile::remove(d.ws.file("FORM/2024_01.130/130_2401.01.LOG"));
    r = d.control({"130", "1101", "--section", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "warning: Отсутствует файл логического контроля : " + d.ws.path() +
                         "/FORM/2024_01.130/130_2401.01.LOG\n");
    r = d.control({"130", "1101"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "warning: Отсутствуют файлы логического контроля формы 130 : " + d.ws.path() +
                         "/FORM/2024_01.130\n");
    EXPECT_TRUE(QDir(d.ws.file("TMP")).isEmpty());
}

TEST(ControlCommand, ACellThatIsNotANumberFailsItsFormulas) {
    DemoWorkspace d;
    // "64О" with a Cyrillic О for the zero: not checked as 64.
    QByteArray data = d.ws.readBytes("DAT/DAT_2512.130/1101.01");
    data.replace("1 640 117", "1 64\xce 117");
    d.ws.writeBytes("DAT/DAT_2512.130/1101.01", data);
    const QString message =
        "error: Script_Control_Eval / Недопустимое число / Ячейка с.1г.1 : \"64О\" "
        "[1\\1\\1=1\\2\\1+1\\3\\1]\n";
    RunResult r = d.control({"130", "1101", "--section", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message);
    EXPECT_TRUE(d.report(r).contains("<p><font size=\"2\">Не выполнено условие : "
                                     "с.1г.1=с.2г.1+с.3г.1</p><p><font size=\"2\">\"64О\"<>313+327"
                                     "</p>"));
    EXPECT_EQ(d.mark("DAT_2512.130/1101.01"), "PR_++");

    r = d.control({"130", "1101"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(d.mark("DAT_2512.130/1101.01"), "PR_??");
    EXPECT_TRUE(d.report(r).contains("<td><b>РАЗДЕЛ 01</b></td>"));
    // Only the state line was written.
    EXPECT_TRUE(d.ws.readBytes("DAT/DAT_2512.130/1101.01") ==
                QByteArray(data).replace("PR_++", "PR_??"));
}

TEST(ControlCommand, AnUnreadableRelationFailsAloneAndTheRunGoesOn) {
    DemoWorkspace d;
    const QString rules = d.ws.read("FORM/2024_01.210/210_2401.03.LOG");
    d.ws.write("FORM/2024_01.210/210_2401.03.LOG", "// Разные\r\n1\\1\\1!=1\\1\\2\r\n\r\n" + rules,
               true);
    RunResult r = d.control({"210", "1101"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Script_Control_Eval / Недопустимый символ [1\\1\\1!=1\\1\\2]\n");
    EXPECT_EQ(d.mark("DAT_2512.210/1101.03"), "PR_??");
    for (const char* s : {"01", "02", "04"})
        EXPECT_EQ(d.mark(QString("DAT_2512.210/1101.") + s), "PR_++") << s;
    const QString page = d.report(r);
    EXPECT_TRUE(page.contains("<td><b><font size=\"2\">// РАЗНЫЕ</b><p><font size=\"2\"></p>"
                              "<p><font size=\"2\">Не выполнено условие : с.1г.1!=с.1г.2</p>"));

    // The control of the section alone: its page, no mark.
    r = d.control({"210", "1102", "--section", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Script_Control_Eval / Недопустимый символ [1\\1\\1!=1\\1\\2]\n");
    EXPECT_TRUE(d.report(r).contains("<td><b>210 03 2025 12 1102</b></td></tr>"));
    EXPECT_EQ(d.mark("DAT_2512.210/1102.03"), "PR_?");
}

TEST(ControlCommand, DataThatCannotBeReadIsLeftAsItWas) {
    DemoWorkspace d;
    QByteArray data = d.ws.readBytes("DAT/DAT_2512.210/1102.02");
    data.replace("\r\n", "\r");
    d.ws.writeBytes("DAT/DAT_2512.210/1102.02", data);
    RunResult r = d.control({"210", "1102"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Ошибка в формате данных !!! / В файле нет ни одной строки данных [" +
                         d.ws.path() + "/DAT/DAT_2512.210/1102.02]\n");
    EXPECT_TRUE(d.ws.readBytes("DAT/DAT_2512.210/1102.02") == data);
    EXPECT_EQ(d.mark("DAT_2512.210/1102.01"), "PR_??");
    EXPECT_EQ(d.mark("DAT_2512.210/1102.03"), "PR_++");

    // A rule file that is no text is refused, not taken for "no rules".
    d.ws.writeBytes("FORM/2024_01.210/210_2401.04.LOG", QByteArray("\xff\xfe/\0/\0", 6));
    r = d.control({"210", "1101", "--section", "4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: Файл логического контроля не является текстовым файлом !!! [" +
                         d.ws.path() + "/FORM/2024_01.210/210_2401.04.LOG]\n");
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(ControlCommand, AllRegionsThatSentTheForm) {
    DemoWorkspace d;
    d.ws.write("DAT/DAT_2512.210/1101.01",
               d.ws.read("DAT/DAT_2512.210/1101.01").replace("PR_++", "PR_?"));
    RunResult r = d.control({"210", "--all"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    QStringList lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 19) << r.out.toStdString();
    EXPECT_EQ(lines.takeLast(), "");
    const QString summary = lines.takeLast();
    EXPECT_TRUE(
        summary.startsWith("Проверено регионов : 17, с замечаниями : 1\t" + d.ws.file("TMP/")))
        << summary.toStdString();
    QStringList codes;
    for (const QString& line : lines) {
        const QStringList fields = line.split('\t');
        ASSERT_EQ(fields.size(), 6) << line.toStdString();
        codes << fields.first();
        if (fields.first() == "1102") {
            EXPECT_EQ(fields.mid(1, 4), (QStringList{"??", "++", "++", "++"}));
            EXPECT_TRUE(fields.last().endsWith("_1102.HTM")) << line.toStdString();
            EXPECT_TRUE(d.ws.read("TMP/" + QFileInfo(fields.last()).fileName())
                            .contains("<td><b>РАЗДЕЛ 01</b></td>"));
        } else if (fields.first() == "1203") {
            EXPECT_EQ(fields.mid(1), (QStringList{"++", "++", "", "", ""})); // 3 and 4 not sent
        } else {
            EXPECT_EQ(fields.mid(1), (QStringList{"++", "++", "++", "++", ""}))
                << line.toStdString();
        }
    }
    EXPECT_EQ(codes,
              (QStringList{"1101", "1102", "1103", "1104", "1106", "1201", "1202", "1203", "1204",
                           "1205", "1206", "1301", "1302", "1303", "1305", "1306", "1307"}));
    EXPECT_EQ(d.mark("DAT_2512.210/1101.01"), "PR_++");
    EXPECT_EQ(d.mark("DAT_2512.210/1102.01"), "PR_??");
    EXPECT_EQ(QDir(d.ws.file("TMP")).entryList(QDir::Files).size(), 2);

    EXPECT_EQ(d.control({"210", "1101", "--all"}).status, 2);
    EXPECT_EQ(d.control({"210", "--all", "--section", "1"}).status, 2);
    EXPECT_EQ(d.control({"--all"}).status, 2);
}
