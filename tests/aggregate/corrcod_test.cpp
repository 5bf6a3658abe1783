#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>

#include "aggregate/corrcod.h"
#include "fixture.h"

using namespace mirel::aggregate;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::StoppingPrompt;
using mirel::test::TempWorkspace;

namespace {

const QDateTime Moment(QDate(2025, 12, 8), QTime(9, 5, 30));

int codeList(const QString& text, QStringList& oldCodes, QStringList& newCodes, RecorderPrompt& p) {
    TempWorkspace ws;
    ws.write("CORR_COD.TXT", text);
    return F_A_Cods(ws.file("CORR_COD.TXT"), oldCodes, newCodes, p);
}

QStringList archives(const TempWorkspace& ws) {
    return QDir(ws.path()).entryList({"Замена кодов*"}, QDir::Dirs);
}

} // namespace

TEST(CodeList, LinesCodesAndFaults) {
    RecorderPrompt p;
    QStringList o, n;
    ASSERT_EQ(codeList("  0101\t 1401\n1101 1102\nзаголовок\n\n1101 1999\n", o, n, p), 0);
    EXPECT_EQ(o, (QStringList{"0101", "1101"}));
    EXPECT_EQ(n, (QStringList{"1401", "1102"}));
    EXPECT_EQ(codeList("1101 1102\n1201 12O1\n", o, n, p), -1);
    EXPECT_TRUE(o.isEmpty());
    EXPECT_EQ(codeList("1101 1102 1103\n", o, n, p), -1);
    EXPECT_EQ(codeList("\n  \n", o, n, p), -1);
    ASSERT_EQ(p.messages.size(), 3);
    EXPECT_EQ(p.messages.at(0).text.left(15), "Ошибка в файле ");
    EXPECT_TRUE(p.messages.at(0).text.endsWith("/CORR_COD.TXT"));
    EXPECT_EQ(p.messages.at(0).title, "ВЫХОД !!!");
    EXPECT_EQ(p.messages.at(2), (Message{Icon::Error, "Файл CORR_COD.TXT пуст !!!", ""}));
    EXPECT_EQ(archiveName(Moment), "Замена кодов-20251208.9-5-30");
    EXPECT_EQ(archiveName(QDateTime(QDate(2025, 1, 2), QTime(23, 59, 0))),
              "Замена кодов-20250102.23-59-0");
}

TEST(CodeReplacementRun, TwoCodesIntoOneFileStopBeforeAnything) {
    TempWorkspace ws;
    ws.write("SHIF/CORR_COD.TXT", "1101 1500\n1102 1500\n");
    ws.write("DAT/DAT_2511.101/1101.01", "1 1\n"); // one of them only: no conflict here
    ws.write("DAT/DAT_2512.101/1101.01", "1 1\n");
    ws.write("DAT/DAT_2512.101/1102.01", "1 2\n");
    RecorderPrompt p;
    CodeReplacement r(ws.path(), ws.file("DAT"), ws.file("SHIF"), p);
    ASSERT_TRUE(r.open());
    EXPECT_EQ(r.Corr_Cod(Moment), -1);
    EXPECT_FALSE(ws.exists("DAT/DAT_2511.101/1500.01"));
    EXPECT_TRUE(archives(ws).isEmpty());
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error,
                               "Коды 1101 и 1102 заменяются одним кодом 1500 : DAT_2512.101 !!!",
                               "ВЫХОД !!!"}}));
}

TEST(CodeReplacementRun, PlanOnlyWritesNothing) {
    TempWorkspace ws;
    ws.write("SHIF/CORR_COD.TXT", "1101 1102\n");
    ws.write("DAT/DAT_2512.101/1101.01", "1 1\n");
    RecorderPrompt p;
    CodeReplacement r(ws.path(), ws.file("DAT"), ws.file("SHIF"), p);
    ASSERT_TRUE(r.open());
    EXPECT_EQ(r.tree().lines(), (QStringList{"DAT_2512.101"}));
    ASSERT_EQ(r.Corr_Cod(Moment, true), 0);
    EXPECT_EQ(r.tree().lines(), (QStringList{"DAT_2512.101", "  1102 (старый код= 1101)"}));
    EXPECT_FALSE(ws.exists("DAT/DAT_2512.101/1102.01"));
    EXPECT_TRUE(ws.exists("SHIF/CORR_COD.TXT"));
    EXPECT_TRUE(archives(ws).isEmpty());
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(CodeReplacementRun, AStopPutsEveryReplacedFileBack) {
    TempWorkspace ws;
    ws.write("SHIF/CORR_COD.TXT", "1101 1102\n1102 1101\n");
    for (const QString dir : {"DAT_2511.101", "DAT_2512.101"}) {
        ws.write("DAT/" + dir + "/1101.01", "1 1\n");
        ws.write("DAT/" + dir + "/1102.01", "1 2\n");
    }
    StoppingPrompt p;
    CodeReplacement r(ws.path(), ws.file("DAT"), ws.file("SHIF"), p);
    ASSERT_TRUE(r.open());
    int seen = 0;
    // The second directory of the replacement (after the two of the archive).
    r.onDirectory = [&](const QString&) {
        if (++seen == 4) p.arm();
    };
    EXPECT_EQ(r.Corr_Cod(Moment), -1);
    for (const QString dir : {"DAT_2511.101", "DAT_2512.101"}) {
        EXPECT_EQ(ws.read("DAT/" + dir + "/1101.01"), "1 1\r\n");
        EXPECT_EQ(ws.read("DAT/" + dir + "/1102.01"), "1 2\r\n");
    }
    EXPECT_TRUE(ws.exists("SHIF/CORR_COD.TXT"));
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Information, "Выполнение прервано пользователем !!!",
                               "Данные не изменены"}}));
}

TEST(CodeReplacementRun, AListIsUsedOnce) {
    TempWorkspace ws;
    ws.write("SHIF/CORR_COD.TXT", "1101 1102\n");
    ws.write("DAT/DAT_2512.101/1101.01", "1 1\n");
    RecorderPrompt p;
    ASSERT_TRUE(Is_CorrCod(ws.file("SHIF")));
    ASSERT_TRUE(corrCodListReady(ws.file("SHIF"), p));
    CodeReplacement r(ws.path(), ws.file("DAT"), ws.file("SHIF"), p);
    ASSERT_TRUE(r.open());
    ASSERT_EQ(r.Corr_Cod(Moment), 0);
    EXPECT_EQ(r.archiveDir(), ws.path() + "/Замена кодов-20251208.9-5-30");
    EXPECT_FALSE(Is_CorrCod(ws.file("SHIF")));
    EXPECT_FALSE(corrCodListReady(ws.file("SHIF"), p));
    EXPECT_EQ(r.Corr_Cod(Moment.addSecs(1)), -1);
    EXPECT_EQ(archives(ws).size(), 1);
    EXPECT_EQ(p.texts(), (QStringList{"Файл CORR_COD.TXT перемещен в архив !!!",
                                      "Файл CORR_COD.TXT пуст !!!", "Файл CORR_COD.TXT пуст !!!"}));
}
