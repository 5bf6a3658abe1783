#include <gtest/gtest.h>

#include <QFile>

#include "data/loadview.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::platform::Icon;
using mirel::reference::Session;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

const QDate Today(2002, 1, 15);

// Forms 101 (monthly, two versions with different titles and periodicities), 102 (quarterly,
// three sections), 103 (yearly); a classifier with a heading, two districts and their sum.
void writeWorkspace(const TempWorkspace& ws) {
    ws.write("MIREL_WIN.INI", "t\nSUMM1.TXT\n[MIREL_WIN]\nYYYY= 2001\nMM= 12\n");
    ws.write("FORM/2000_01.101/101_0001.1S", "Н;1;\n1");
    ws.write("FORM/2000_01.101/101_0001.TXT", "Старое название\nN_PERIOD 1");
    ws.write("FORM/2001_06.101/101_0106.1S", "Н;1;2;\n1\n2");
    ws.write("FORM/2001_06.101/101_0106.TXT", "Сведения о ценах\nN_PERIOD 12");
    for (const char* s : {"1", "2", "3"})
        ws.write(QString("FORM/2001_01.102/102_0101.%1S").arg(s), "Н;1;\n1");
    ws.write("FORM/2001_01.102/102_0101.TXT", "Квартальная\nN_PERIOD 4");
    ws.write("FORM/2001_01.103/103_0101.TXT", "Годовая\nN_PERIOD 1");
    ws.write("FORM/2001_01.103/103_0101.1S", "Н;1;\n1");
    ws.write("SHIF/SHIF.TXT", "Код Наименование\n1100 Север\n1101 Лесной р-н.\n1102 Озерный");
    ws.write("SHIF/SUMM1.TXT", "1100:\n1101\n1102");
}

Session start(const TempWorkspace& ws, RecorderPrompt& p) {
    Session s;
    s.programDir = ws.path();
    EXPECT_EQ(mirel::reference::F_Global(s, Today, p), 0);
    return s;
}

QStringList codes(const Register& reg) {
    QStringList out;
    for (const RegisterRow& row : reg.rows)
        out.append(row.code + ":" + row.marks.join(","));
    return out;
}

} // namespace

TEST(FormsDue, OnlyTheVersionInForceDecidesNameAndPeriodicity) {
    TempWorkspace ws;
    writeWorkspace(ws);
    RecorderPrompt p;
    Session s = start(ws, p);
    EXPECT_EQ(VVOD_Combo_FFF(s, p),
              (QStringList{"101 - Сведения о ценах", "102 - Квартальная", "103 - Годовая"}));
    s.month = "11";
    EXPECT_EQ(VVOD_Combo_FFF(s, p), QStringList{"101 - Сведения о ценах"});
    s.year = "2000";
    s.month = "12";
    EXPECT_EQ(VVOD_Combo_FFF(s, p), QStringList{"101 - Старое название"});
    EXPECT_TRUE(p.messages.isEmpty());
    s.month = "5";
    EXPECT_TRUE(VVOD_Combo_FFF(s, p).isEmpty());
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error,
                                           "Нет форм, каталогизированных для данного отчетного "
                                           "периода !!!",
                                           ""}}));
}

TEST(FormsDue, TheSelectorTextChoosesByItsFirstThreeCharacters) {
    RecorderPrompt p;
    const QStringList names{"101 - А", "102 - Б"};
    EXPECT_EQ(selectFormEntry(" 102", names, p), 1);
    EXPECT_EQ(selectFormEntry("101 - whatever", names, p), 0);
    EXPECT_EQ(selectFormEntry("  ", names, p), -1);
    EXPECT_EQ(selectFormEntry("103", names, p), -1);
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::None, "Не выбрана форма !!!", ""},
                              {Icon::Error, "Недействительное значение кода формы !!!", ""}}));
}

TEST(LoadView, EnteringTheViewReadsClassifierSummationAndForms) {
    TempWorkspace ws;
    writeWorkspace(ws);
    ws.write("MIREL_WIN.INI", "t\nSUMM1.TXT\n2001 6\n[MIREL_WIN]\nYYYY= 2001\nMM= 12\n");
    RecorderPrompt p;
    Session s = start(ws, p);
    const LoadView view = enterLoadView(s, true, Today, p);
    EXPECT_EQ(s.periodCode(), "200106");
    EXPECT_TRUE(s.summEnabled);
    EXPECT_EQ(view.regionGrid.header, (QStringList{"код", "наименование", "", ""}));
    EXPECT_EQ(view.regionGrid.rows, (QList<QStringList>{{"", "", "", ""},
                                                        {"1100", "Север", "сумма", ""},
                                                        {"1101", "Лесной р-н.", "+", ""},
                                                        {"1102", "Озерный", "+", ""}}));
    EXPECT_EQ(view.forms, (QStringList{"101 - Сведения о ценах", "102 - Квартальная"}));
    EXPECT_TRUE(view.loadEnabled);
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(Register, AllRegionsShowTheirMarksAndMissingOnesAreListed) {
    TempWorkspace ws;
    writeWorkspace(ws);
    ws.write("DAT/DAT_0112.102/1101.01", "PR_++\n1 1");
    ws.write("DAT/DAT_0112.102/1101.03", "PR_? \n1 1");
    ws.write("DAT/DAT_0112.102/1100.03", "1 1");
    ws.writeBytes("DAT/DAT_0112.102/1102.02", "");
    RecorderPrompt p;
    Session s = start(ws, p);
    enterLoadView(s, false, Today, p);
    p.clear();
    auto reg = Cmd_Load_DD(s, "102", false, p);
    ASSERT_TRUE(reg);
    EXPECT_EQ(reg->basePeriod, "200101");
    EXPECT_EQ(reg->header, (QStringList{"код", "наименование", "1", "2", "3"}));
    EXPECT_EQ(codes(*reg), (QStringList{":,,", "1100:,,-", "1101:++,,?", "1102:,,"}));
    EXPECT_EQ(s.currentEntry()->formCode, "102");
    EXPECT_EQ(p.progressMaximum, 4);
    EXPECT_EQ(p.progressEnds, 1);

    // An empty file is a file: only the regions without any file are missing.
    ws.write("DAT/DAT_0112.102/1100.03", "PR_0\n1 0");
    reg = Cmd_Load_DD(s, "102", true, p);
    EXPECT_FALSE(reg->missingOnly);
    EXPECT_EQ(reg->rows.size(), 4);
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::Information, "Нет регионов непредставивших отчеты !!!", ""}}));
    ws.mkdir("gone");
    QFile::rename(ws.file("DAT/DAT_0112.102/1100.03"), ws.file("gone/1100.03"));
    reg = Cmd_Load_DD(s, "102", true, p);
    EXPECT_TRUE(reg->missingOnly);
    EXPECT_EQ(codes(*reg), QStringList{"1100:,,"});
    EXPECT_EQ(registerMarks(s, "102", "1101", 3), (QStringList{"++", "", "?"}));

    s.year = "1999";
    EXPECT_FALSE(Cmd_Load_DD(s, "102", false, p));
    EXPECT_EQ(p.messages.last(), (Message{Icon::Error,
                                          "Форма некаталогизирована для данного отчетного "
                                          "периода !!!",
                                          "102"}));
}

TEST(Register, OpeningEntryFromARow) {
    EXPECT_TRUE(opensEntry("1101"));
    EXPECT_FALSE(opensEntry("0"));
    EXPECT_FALSE(opensEntry(""));
    EXPECT_EQ(entryCaption("1101", "Лесной р-н.", "102 - Квартальная"),
              "1101 - Лесной р-н. 102 - Квартальная");
}
