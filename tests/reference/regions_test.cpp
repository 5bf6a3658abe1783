#include <gtest/gtest.h>

#include "core/config.h"
#include "recorderprompt.h"
#include "reference/regions.h"
#include "workspace.h"

using namespace mirel::reference;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

QStringList codes(const Regions& regions) {
    QStringList out;
    for (const auto& r : regions)
        out.append(r ? r->code + "=" + r->name : QString("-"));
    return out;
}

mirel::core::IniSections config(const TempWorkspace& ws, const QString& text, RecorderPrompt& p) {
    ws.write("MIREL_WIN.INI", text);
    return mirel::core::Read_Ini_Sections(ws.file("MIREL_WIN.INI"), p);
}

} // namespace

TEST(Classifier, HeadingsZeroCodesAndLeadingZerosFollowTheLineRules) {
    TempWorkspace ws;
    ws.write("SHIF/shif.txt", "Код  Наименование\n\n1100  Северная зона\n0  Итого\n01 Первый\n1\n"
                              "  1200    Центр  \nпримечание\n");
    RecorderPrompt p;
    Regions regions;
    EXPECT_EQ(Load_Regions(regions, ws.file("SHIF"), QString(), p), 0);
    // Slots follow the non-empty lines; the list ends at the last region line.
    EXPECT_EQ(codes(regions),
              (QStringList{"-", "1100=Северная зона", "-", "01=Первый", "1=", "1200=Центр"}));
    EXPECT_TRUE(In_A_Reg(regions, "01"));
    EXPECT_FALSE(In_A_Reg(regions, "0"));
    EXPECT_EQ(regionIndex(regions, "1"), 4);
    EXPECT_EQ(regionName(regions, "1200"), "Центр");
    EXPECT_EQ(regionName(regions, "9999"), QString());
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(Classifier, TheConfiguredNameGetsTxtAndFallsBackToShifTxt) {
    TempWorkspace ws;
    ws.write("SHIF/shif.txt", "1 Default");
    ws.write("SHIF/SHIF2.TXT", "2 Second");
    RecorderPrompt p;
    Regions regions;
    for (const char* name : {"SHIF2", "SHIF2.TXT"}) {
        Load_Regions(regions, ws.file("SHIF"), name, p);
        EXPECT_EQ(codes(regions), QStringList{"2=Second"}) << name;
    }
    Load_Regions(regions, ws.file("SHIF"), "SHIF3", p);
    EXPECT_EQ(codes(regions), QStringList{"1=Default"});
    // A new classifier replaces the old one whole, even when it is shorter.
    ws.write("SHIF/long.TXT", "x\ny\n5 Five");
    Load_Regions(regions, ws.file("SHIF"), "long", p);
    Load_Regions(regions, ws.file("SHIF"), "SHIF2", p);
    EXPECT_EQ(codes(regions), QStringList{"2=Second"});
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(Classifier, MissingOrEmptyFilesLeaveTheClassifierAndSaySo) {
    TempWorkspace ws;
    ws.mkdir("SHIF");
    RecorderPrompt p;
    Regions regions{Region{"7", "Old"}};
    Load_Regions(regions, ws.file("SHIF"), QString(), p);
    ws.write("SHIF/shif.txt", "  \n\n");
    Load_Regions(regions, ws.file("SHIF"), QString(), p);
    EXPECT_EQ(codes(regions), QStringList{"7=Old"});
    EXPECT_EQ(p.messages,
              (QList<Message>{{Icon::None, "Файл отсутствует : " + ws.file("SHIF/shif.txt"), ""},
                              {Icon::Warning, "Справочник регионов не сформирован !!!", ""},
                              {Icon::Warning, "Справочник регионов не сформирован !!!", ""}}));
}

TEST(Classifier, DuplicateCodesAreReportedAndTheFirstLineWins) {
    TempWorkspace ws;
    ws.write("SHIF/shif.txt", "1100 А\n1200 Б\n1100 В\n1100 Г");
    RecorderPrompt p;
    Regions regions;
    Load_Regions(regions, ws.file("SHIF"), QString(), p);
    EXPECT_EQ(regions.size(), 4);
    EXPECT_EQ(regionName(regions, "1100"), "А");
    EXPECT_EQ(
        p.messages,
        (QList<Message>{{Icon::Warning, "Код региона 1100 повторяется в справочнике регионов !!!",
                         ws.file("SHIF/shif.txt")},
                        {Icon::Warning, "Код региона 1100 повторяется в справочнике регионов !!!",
                         ws.file("SHIF/shif.txt")}}));
}

TEST(Classifier, EntryModeClassifierIsNamedByThePreamble) {
    TempWorkspace ws;
    ws.write("SHIF/SHIF.TXT", "1 Default");
    ws.write("SHIF/SHIF_R.TXT", "2 Raion");
    RecorderPrompt p;
    auto cnf = config(ws, "t\nSUMM1.TXT\nfile shif_r\n[MIREL_WIN]\nIE", p);
    EXPECT_EQ(codes(VVOD_A_Reg(cnf, ws.file("SHIF"), p)), QStringList{"2=Raion"});
    cnf = config(ws, "t\n1100-Область\n[MIREL_WIN]\nIE", p);
    EXPECT_EQ(codes(VVOD_A_Reg(cnf, ws.file("SHIF"), p)), QStringList{"1=Default"});
    cnf = config(ws, "[MIREL_WIN]\nSHIF_R\n[DIR_ARM]\nx", p);
    EXPECT_TRUE(VVOD_A_Reg(cnf, ws.file("SHIF"), p).isEmpty());
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(Summation, BlocksFollowTheHeaderLines) {
    TempWorkspace ws;
    ws.write("SHIF/SUMM1.TXT", "ignored\n1100: Север\n1101\n 1102 \n1200:\n1300 :\n1301\n1400:");
    RecorderPrompt p;
    const SummFile blocks = readSummFile(ws.file("SHIF/SUMM1.TXT"), p);
    ASSERT_EQ(blocks.size(), 3);
    EXPECT_EQ(blocks[0].code, "1100");
    EXPECT_EQ(blocks[0].members, (QStringList{"1101", "1102"}));
    EXPECT_EQ(blocks[1].code, "1200");
    EXPECT_EQ(blocks[1].members, QStringList{" "});
    EXPECT_EQ(blocks[2].code, "1300");
    EXPECT_EQ(VVOD_Sign_Summ(blocks, "1100"), "сумма");
    EXPECT_EQ(VVOD_Sign_Summ(blocks, "1102"), "+");
    EXPECT_EQ(VVOD_Sign_Summ(blocks, "1400"), QString());
    // The first block that matches decides.
    const SummFile twice{{"1", {"2"}}, {"2", {"3"}}};
    EXPECT_EQ(VVOD_Sign_Summ(twice, "2"), "+");
}

TEST(Summation, PreambleFilesAreReadAndCheckedAgainstTheClassifier) {
    TempWorkspace ws;
    ws.write("SHIF/SUMM1.TXT", "1100:\n1101\n1102");
    ws.write("SHIF/SUMM2", "1000:\n1100");
    ws.write("SHIF/SUMM3.TXT", "1000:\n1100\n9999:\n1");
    const Regions regions{Region{"1000", "Все"}, Region{"1100", "Север"}, Region{"1101", "А"}};
    RecorderPrompt p;
    bool enabled = false;
    auto cnf = config(ws, "t\nSUMM1.TXT\nSUMM2\nSUMM9\n[MIREL_WIN]\nIE", p);
    SummList list = VVOD_Summ(cnf, regions, ws.file("SHIF"), enabled, p);
    EXPECT_TRUE(enabled);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[1].first().code, "1000");
    EXPECT_EQ(p.messages, (QList<Message>{{Icon::Error, "Не найден файл суммирования !!!",
                                           ws.file("SHIF") + "/SUMM9"}}));

    // A summary code outside the classifier empties the whole list.
    p.clear();
    cnf = config(ws, "t\nSUMM1.TXT\nSUMM3.TXT\nSUMM2\n[MIREL_WIN]\nIE", p);
    list = VVOD_Summ(cnf, regions, ws.file("SHIF"), enabled, p);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(
        p.messages,
        (QList<Message>{{Icon::Error, "9999 - Код суммирования не найден в классификаторе !!!",
                         ws.file("SHIF") + "/SUMM3.TXT"},
                        {Icon::Error, "Не заданы условия суммирования !!!",
                         "Суммарные данные будут записаны в матрицы с кодом 0."}}));
}
