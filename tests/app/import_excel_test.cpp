#include <gtest/gtest.h>

#include "process.h"
#include "workspace.h"

using mirel::test::runMirel;
using mirel::test::RunResult;
using mirel::test::TempWorkspace;

namespace {

const QString Folder = QStringLiteral("Загрузка файлов Excel (КодРегиона_ФФФ_ГГММ.XLS)");

RunResult importExcel(const TempWorkspace& ws, QStringList args) {
    args.prepend("import-excel");
    args << "--workspace" << ws.path();
    return runMirel(args);
}

} // namespace

// The demo's folder: the staging subfolder joins it, bad names are prefixed, form 410 is
// converted with control and its log written; form 210 waits.
TEST(ImportExcelCommand, ListsAndConvertsOneForm) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const RunResult r = importExcel(ws, {"410", "--control"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList tree{
        "210\t2",
        "  01203_210_2512.ods\t1",
        "  1105_210_2512.xls\t1",
        "  1304_210_2512.xlsx\t1",
        "410\t2",
        "  1101_410_2512.xlsx\t1",
        "  1103_410_2512.XLS\t1",
        "  1201_410_2512.ods\t1",
        "  1302_410_2512.xls\t1",
        "510 - нет файлов настроек !!!\t2",
        "  1101_510_2512.xls\t4",
        "Не выделен код региона - 1102.xls\t4",
        "Не выделен код формы - 1102_410.ods\t4",
        "Недействительное значение отчетного периода - 1102_410_2511.xlsx\t4",
        "Не файл Excel - 1102_410_2512.txt\t4",
        "Недействительное значение кода формы - 1102_41_2512.xls\t4",
        "Недействительное значение кода региона - 9999_410_2512.xlsx\t4",
        "Отчет_410_2512.ods\t4",
    };
    const QStringList done{
        "loaded\t1101_410_2512.xlsx\t1101.01 1101.02",
        "loaded\t1103_410_2512.XLS\t1103.01 1103.02",
        "loaded\t1201_410_2512.ods\t1201.01 1201.02",
        "loaded\t1302_410_2512.xls\t1302.01 1302.02",
        "log\t" + ws.file("LOG_2025_12_410.HTM"),
        "rejected\tНе выделен код региона - 1102.xls\tНе выделен код региона",
        "rejected\tНе выделен код формы - 1102_410.ods\tНе выделен код формы",
        "rejected\tНедействительное значение отчетного периода - 1102_410_2511.xlsx\t"
        "Недействительное значение отчетного периода",
        "rejected\tНе файл Excel - 1102_410_2512.txt\tНе файл Excel",
        "rejected\tНедействительное значение кода формы - 1102_41_2512.xls\t"
        "Недействительное значение кода формы",
        "rejected\tНедействительное значение кода региона - 9999_410_2512.xlsx\t"
        "Недействительное значение кода региона",
        "rejected\tОтчет_410_2512.ods\tНечисловой код региона",
    };
    EXPECT_EQ(r.out.split('\n', Qt::SkipEmptyParts), tree + done);
    EXPECT_EQ(r.err, "info: Загрузка завершена !!!\n");
    EXPECT_TRUE(ws.exists(Folder + "/АРХИВ/2025_12/410/1103_410_2512.XLS"));
    EXPECT_FALSE(ws.exists(Folder + "/410_2512/Лесной район.xls"));
    EXPECT_TRUE(ws.exists(Folder + "/1105_210_2512.xls"));
    EXPECT_EQ(ws.read("DAT/DAT_2512.410/1302.02").section("\r\n", 0, 1),
              "PR_0++\r\n! 0000 410 02 25 12 1302");
    EXPECT_TRUE(
        ws.read("LOG_2025_12_410.HTM").contains("<td><b>1302 - Каменский район</b></td></tr>"));

    // A form without settings, and a form with no workbook, are refused.
    for (const char* form : {"510", "999"}) {
        const RunResult refused = importExcel(ws, {form});
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "error: Нет файлов для заданного отчетного периода !!!\n");
    }
    EXPECT_EQ(importExcel(ws, {"410", "410"}).status, 2);
}

// A workbook that cannot be read is reported, stays, and the command fails.
TEST(ImportExcelCommand, UnreadableWorkbookFails) {
    TempWorkspace ws;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    ws.write(Folder + "/1302_410_2512.xls", "не книга\n");
    const RunResult r = importExcel(ws, {"410"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("failed\t1302_410_2512.xls\n"));
    EXPECT_TRUE(r.err.startsWith("error: Ошибка при открытии книги Excel -> " + ws.file(Folder) +
                                 "/1302_410_2512.xls / Файл не является книгой Excel\n"))
        << r.err.toStdString();
    EXPECT_TRUE(ws.exists(Folder + "/1302_410_2512.xls"));
    EXPECT_FALSE(ws.exists("DAT/DAT_2512.410/1302.01"));
}
