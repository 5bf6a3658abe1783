#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "aggregate/dirsum.h"
#include "aggregate/summation.h"
#include "fixture.h"
#include "platform/fileio.h"

using namespace mirel::aggregate;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::StoppingPrompt;
using mirel::test::TempWorkspace;

namespace {

const mirel::reference::FormCatalog NoForms;

SummPlace placeOf(const TempWorkspace& ws) {
    return SummPlace{ws.path(), ws.file("DAT"), ws.file("SHIF"), ws.file("FORM")};
}

int imageOf(const Summation& s, const QString& key) {
    const int i = s.tree().find(key);
    return i < 0 ? -1 : s.tree().node(i).image;
}

} // namespace

TEST(SummationWindow, WhatASingleRunNeeds) {
    TempWorkspace ws;
    mirel::test::writeSummWorkspace(ws);
    RecorderPrompt p;
    Summation none(placeOf(ws), SummMode::Summation, NoForms, p);
    EXPECT_FALSE(none.open()); // no period data at all
    ws.mkdir("DAT/DAT_2512.101");
    ws.write("DAT/DAT_2512.102/1101.01", "1 1\n");
    ws.write("DAT/DAT_2512.102/1100.01", "1 0\n");
    Summation s(placeOf(ws), SummMode::Summation, NoForms, p);
    ASSERT_TRUE(s.open());
    EXPECT_EQ(s.Summ_Dir(""), -1);
    EXPECT_EQ(s.Summ_Dir("DAT_2512.999"), -1);
    EXPECT_EQ(s.Summ_Dir("DAT_2512.101"), -1);
    ASSERT_TRUE(mirel::platform::setReadOnly(ws.file("DAT/DAT_2512.102/1100.01"), true));
    EXPECT_EQ(s.Summ_Dir("DAT_2512.102"), -1);
    EXPECT_EQ(ws.read("DAT/DAT_2512.102/1100.01"), "1 0\r\n");
    const QString none2 = "Не задан глобальный режим и не выделен отчетный период !!!";
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error, "Нет данных !!!", ""},
                              {Icon::Error, none2, ""},
                              {Icon::Error, none2, ""},
                              {Icon::Error, "Нет данных !!!", ""},
                              {Icon::Error, "Данные защищены от суммирования !!!", ""}}));
}

TEST(SummationWindow, ProtectionSetsAndRemovesTheWriteBit) {
    TempWorkspace ws;
    mirel::test::writeSummWorkspace(ws);
    ws.write("DAT/DAT_2512.101/1101.01", "1 1\n");
    ws.write("DAT/DAT_2512.101/1100.01", "1 1\n");
    ws.write("DAT/DAT_2512.102/1101.01", "1 1\n");
    RecorderPrompt p;
    Summation s(placeOf(ws), SummMode::Summation, NoForms, p);
    ASSERT_TRUE(s.open());
    EXPECT_EQ(imageOf(s, "DAT_2512.101"), ImageSummed);
    EXPECT_EQ(imageOf(s, "DAT_2512.102"), ImageNotSummed);
    EXPECT_EQ(s.ReadOnly_Dir("", true), -1);
    ASSERT_EQ(s.ReadOnly_Dir("DAT_2512.101", true), 0);
    EXPECT_TRUE(mirel::platform::isReadOnly(ws.file("DAT/DAT_2512.101/1101.01")));
    EXPECT_TRUE(mirel::platform::isReadOnly(ws.file("DAT/DAT_2512.101/1100.01")));
    EXPECT_FALSE(mirel::platform::isReadOnly(ws.file("DAT/DAT_2512.102/1101.01")));
    EXPECT_EQ(imageOf(s, "DAT_2512.101"), ImageMarked);
    EXPECT_EQ(imageOf(s, "DAT_2512.1011100"), ImageMarked);
    ASSERT_EQ(s.ReadOnly_Global(false), 0);
    EXPECT_FALSE(mirel::platform::isReadOnly(ws.file("DAT/DAT_2512.101/1100.01")));
    EXPECT_EQ(imageOf(s, "DAT_2512.101"), ImageSummed);
    EXPECT_EQ(p.texts(), (QStringList{"Не задан глобальный режим и не выделен отчетный период !!!",
                                      "Процедура завершена !!!", "Процедура завершена !!!"}));
}

TEST(SummationWindow, AStopBetweenFilesWritesNothingOfThatDirectory) {
    TempWorkspace ws;
    mirel::test::writeSummWorkspace(ws);
    for (const QString dir : {"DAT_2512.101", "DAT_2512.102"}) {
        ws.write("DAT/" + dir + "/1101.01", "1 1\n");
        ws.write("DAT/" + dir + "/1102.01", "1 2\n");
        ws.write("DAT/" + dir + "/1201.01", "1 5\n");
    }
    StoppingPrompt p;
    Summation s(placeOf(ws), SummMode::Summation, NoForms, p);
    ASSERT_TRUE(s.open());
    s.onDirectory = [&](const QString& key) {
        if (key == "DAT_2512.102") p.arm();
    };
    EXPECT_EQ(s.Summ_Global(), -1);
    EXPECT_EQ(ws.read("DAT/DAT_2512.101/1100.01"), "PR_? \r\n! 0000 101 01 25 12 1100\r\n1 3\r\n");
    EXPECT_TRUE(ws.exists("DAT/DAT_2512.101/1200.01"));
    EXPECT_FALSE(ws.exists("DAT/DAT_2512.102/1100.01"));
    EXPECT_FALSE(ws.exists("DAT/DAT_2512.102/1200.01"));
    // The walk sums 1200 first, then 1100.
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Information, "Выполнение прервано пользователем !!!",
                               "Последняя просуммированная группа : 1100 "
                               "(DAT_2512.101)"}}));
}

TEST(SummationWindow, ChecksRunAgainOnlyGlobally) {
    TempWorkspace ws;
    mirel::test::writeSummWorkspace(ws);
    ws.write("DAT/DAT_2512.101/1101.01", "1 1\n");
    ws.write("DAT/DAT_2512.101/1100.01", "1 2\n");
    RecorderPrompt p;
    Summation s(placeOf(ws), SummMode::SumCheck, NoForms, p);
    ASSERT_TRUE(s.open());
    ASSERT_EQ(s.VSumm_Dir("DAT_2512.101"), 0);
    const QStringList once = s.tree().lines();
    EXPECT_EQ(s.VSumm_Dir("DAT_2512.101"), -1);
    EXPECT_EQ(s.VSumm_Global(), 0);
    EXPECT_EQ(s.VSumm_Global(), 0);
    EXPECT_EQ(s.tree().lines(), once);
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Information, "Процедура завершена !!!", ""},
                                          {Icon::Information, "Данные уже проверены !!!",
                                           "DAT_2512.101 ---> проверен"},
                                          {Icon::Information, "Процедура завершена !!!", ""},
                                          {Icon::Information, "Процедура завершена !!!", ""}}));
}

TEST(SummationWindow, DifferenceGridOfAWrongSum) {
    TempWorkspace ws;
    mirel::test::writeSummWorkspace(ws);
    ws.write("DAT/DAT_2512.101/1101.01", "1 1 2\n2 3 4\n3 5 6\n");
    ws.write("DAT/DAT_2512.101/1102.01", "1 1 1\n2 1 1\n3 1 1\n");
    ws.write("DAT/DAT_2512.101/1100.01", "1 2 3\n2 4 5.5\n3 6 7\n");
    ws.write("DAT/DAT_2512.101/1201.01", "1 5\n");
    ws.write("DAT/DAT_2512.101/1200.01", "1 5.0\n");
    RecorderPrompt p;
    Summation s(placeOf(ws), SummMode::SumCheck, NoForms, p);
    ASSERT_TRUE(s.open());
    ASSERT_EQ(s.VSumm_Global(), 0);
    p.clear();
    const auto grid = s.Tree_View_DblClick("DAT_2512.1011100_01");
    ASSERT_TRUE(grid.has_value());
    EXPECT_EQ(grid->g_Format_String, "|^  гр.1   |^  гр.2   ;|стр.1|стр.2|стр.3");
    EXPECT_EQ(grid->g_DD_String, "0 0\r\n0 -0.5\r\n0 0\r\n");
    // "5" and "5.0" differ as texts, not as numbers: there is nothing to show.
    EXPECT_FALSE(s.Tree_View_DblClick("DAT_2512.1011200_01").has_value());
    EXPECT_FALSE(s.Tree_View_DblClick("DAT_2512.1011100").has_value());
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Information, "Здесь нет ошибок !!!", ""},
                              {Icon::Error, "Выберите раздел, где найдены неверные суммы.", ""}}));
}

TEST(SummationWindow, WithoutPicturesTheTreeHasNoRegionNodes) {
    TempWorkspace ws;
    mirel::test::writeSummWorkspace(ws);
    ws.write("DAT/DAT_2512.101/1100.01", "1 1\n");
    RecorderPrompt p;
    Summation s(placeOf(ws), SummMode::Summation, NoForms, p);
    ASSERT_TRUE(s.open(false));
    EXPECT_EQ(s.tree().lines(), (QStringList{"DAT_2512.101"}));
}

TEST(SummationWindow, AnUnchangedSumIsNotWrittenAgain) {
    TempWorkspace ws;
    mirel::test::writeSummWorkspace(ws);
    ws.write("DAT/DAT_2512.101/1101.01", "1 1\n");
    ws.write("DAT/DAT_2512.101/1102.01", "1 2\n");
    RecorderPrompt p;
    Summation s(placeOf(ws), SummMode::Summation, NoForms, p);
    ASSERT_TRUE(s.open());
    ASSERT_EQ(s.Summ_Dir("DAT_2512.101"), 0);
    const QString sum = ws.file("DAT/DAT_2512.101/1100.01");
    const QDateTime old(QDate(2020, 1, 1), QTime(0, 0));
    {
        QFile f(sum);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(s.Summ_Dir("DAT_2512.101"), 0);
    EXPECT_EQ(QFileInfo(sum).lastModified(), old);
    ws.write("DAT/DAT_2512.101/1102.01", "1 5\n");
    ASSERT_EQ(s.Summ_Dir("DAT_2512.101"), 0);
    EXPECT_EQ(ws.read("DAT/DAT_2512.101/1100.01"), "PR_? \r\n! 0000 101 01 25 12 1100\r\n1 6\r\n");
}

TEST(DirectorySum, FilesInByteOrderAndASummaryCodesRange) {
    TempWorkspace ws;
    // Names shorter and longer than eight bytes, sharing their first eight, and a name that is
    // not a data file.
    const QList<QByteArray> names{"1200.01",    "1.01",        "10000000.02", "100000001.01",
                                  "10000000.1", "1100.01",     "1100.02",     "110.01",
                                  "11000.01",   "99999999.99", "1100.1",      "2.1"};
    for (const QByteArray& name : names)
        ws.write("DAT/" + QString::fromLatin1(name), "1 1\n");
    ws.write("DAT/1100.LOG", "x\n");
    const SummGroups groups;
    DirectorySum sums(ws.file("DAT"), groups, DirectorySum::Mode::Summation);
    ASSERT_EQ(sums.fileCount(), names.size());
    QList<QByteArray> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sums.files(), sorted);
    const auto [first, last] = sums.filesStartingWith("1100.");
    EXPECT_EQ(sums.files().mid(first, last - first),
              (QList<QByteArray>{"1100.01", "1100.02", "1100.1"}));
    const auto [none, noneEnd] = sums.filesStartingWith("1300.");
    EXPECT_EQ(none, noneEnd);
}

// A folder large enough for the files to be read ahead on a second thread, through every place
// of the reader's ring several times: the sums are those of the files in folder order, a
// malformed file stops the run at itself, and so does a stop.
TEST(DirectorySum, AFolderReadAheadGivesTheSumsAndStopsWhereItShould) {
    TempWorkspace ws;
    constexpr int Regions = 1300;
    SummGroups groups{{"9001", {}, "SUMM1.TXT"}, {"9002", {}, "SUMM1.TXT"}};
    qint64 expected[2][2] = {};
    for (int k = 0; k < Regions; ++k) {
        const QString code = QString::number(10000 + k);
        groups[k % 2].members.append(code);
        for (int s = 1; s <= 2; ++s) {
            ws.write("DAT/" + code + ".0" + QString::number(s),
                     "PR_?\n1 " + QString::number(k * s) + " 1\n");
            expected[k % 2][s - 1] += k * s;
        }
    }
    {
        RecorderPrompt p;
        DirectorySum sums(ws.file("DAT"), groups, DirectorySum::Mode::Summation);
        ASSERT_EQ(sums.read(p, {}), DirectorySum::Status::Ok);
        for (int g = 0; g < 2; ++g)
            for (int s = 1; s <= 2; ++s) {
                const SummMatrix& m = sums.sums(g).at("0" + QString::number(s));
                EXPECT_EQ(m.value(1, 1), double(expected[g][s - 1])) << g << s;
                EXPECT_EQ(m.value(1, 2), double(Regions / 2)) << g << s;
            }
    }
    {
        int taken = 0;
        RecorderPrompt p;
        DirectorySum sums(ws.file("DAT"), groups, DirectorySum::Mode::Summation);
        EXPECT_EQ(sums.read(p, [&] { return ++taken < 1500; }), DirectorySum::Status::Stopped);
        EXPECT_EQ(taken, 1500);
    }
    ws.write("DAT/10900.01", "PR_?\n1 1 1\n2 1\n");
    RecorderPrompt p;
    DirectorySum sums(ws.file("DAT"), groups, DirectorySum::Mode::Summation);
    EXPECT_EQ(sums.read(p, {}), DirectorySum::Status::Failed);
    EXPECT_EQ(sums.failedPath(), ws.file("DAT/10900.01"));
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Error,
                               "При считывании данных обнаружено переменное число данных в "
                               "строке !!!",
                               ws.file("DAT/10900.01")}}));
}
