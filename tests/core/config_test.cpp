#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/config.h"
#include "platform/fileio.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::core;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

IniSections sections(const TempWorkspace& ws, const QString& text, RecorderPrompt& p) {
    ws.write("MIREL_WIN.INI", text);
    return Read_Ini_Sections(ws.file("MIREL_WIN.INI"), p);
}

} // namespace

TEST(IniSections, FirstLineIsATitleAndThePreambleFollowsIt) {
    TempWorkspace ws;
    RecorderPrompt p;
    const IniSections cnf = sections(
        ws, "параметры ввода:\n  summ1.txt\n[mirel_win]\n yyyy= 2003\n[DIR_ARM]\n/x\n[EMPTY]", p);
    ASSERT_EQ(cnf.size(), 3);
    EXPECT_EQ(cnf[0].header, QString());
    EXPECT_EQ(cnf[0].lines, QStringList{"SUMM1.TXT"});
    EXPECT_EQ(cnf[1].header, QStringLiteral("[MIREL_WIN]"));
    EXPECT_EQ(cnf[1].lines, QStringList{"YYYY= 2003"});
    EXPECT_EQ(cnf[2].header, QStringLiteral("[DIR_ARM]"));
    EXPECT_EQ(cnf[2].lines, QStringList{"/X"});
    ASSERT_NE(preamble(cnf), nullptr);
    EXPECT_EQ(Ini_Line(cnf, "YYYY"), QStringLiteral("YYYY= 2003"));
}

TEST(IniSections, AHeaderOnTheFirstLineMeansNoPreamble) {
    TempWorkspace ws;
    RecorderPrompt p;
    const IniSections cnf = sections(ws, "[MIREL_WIN]\nIE\n[A]\n[B]\nb", p);
    ASSERT_EQ(cnf.size(), 3);
    EXPECT_EQ(cnf[0].header, QStringLiteral("[MIREL_WIN]"));
    EXPECT_EQ(preamble(cnf), nullptr);
    // A header directly followed by another header has one empty line.
    EXPECT_EQ(cnf[1].header, QStringLiteral("[A]"));
    EXPECT_EQ(cnf[1].lines, QStringList{QString()});
    EXPECT_TRUE(hasIniEntry(cnf, "IE"));
}

TEST(IniSections, OneLineOrNoFileGivesNoSection) {
    TempWorkspace ws;
    RecorderPrompt p;
    EXPECT_TRUE(sections(ws, "[MIREL_WIN]", p).isEmpty());
    EXPECT_TRUE(Read_Ini_Sections(ws.file("none.ini"), p).isEmpty());
    EXPECT_EQ(p.texts(), QStringList{"Файл отсутствует : " + ws.file("none.ini")});
}

TEST(IniSections, BinaryGarbageNeitherCrashesNorFormsASection) {
    TempWorkspace ws;
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919) % 251));
    ws.writeBytes("MIREL_WIN.INI", junk);
    RecorderPrompt p;
    const IniSections cnf = Read_Ini_Sections(ws.file("MIREL_WIN.INI"), p);
    EXPECT_TRUE(Ini_Line(cnf, "YYYY").isEmpty());
}

TEST(IniSections, KeysAreFoundByPrefixFirstMatchWins) {
    TempWorkspace ws;
    RecorderPrompt p;
    const IniSections cnf = sections(ws, "t\n[MIREL_WIN]\nyyyy= 2001\nYYYY=2002\nSHIF2\n", p);
    EXPECT_EQ(Ini_Line(cnf, "YYYY"), QStringLiteral("YYYY= 2001"));
    EXPECT_EQ(Ini_Line(cnf, "SHIF"), QStringLiteral("SHIF2"));
    EXPECT_EQ(Ini_Line(cnf, "MM"), QString());
}

TEST(IniDir, DefaultsBesideTheProgramAreCreated) {
    TempWorkspace ws;
    RecorderPrompt p;
    const IniSections cnf = sections(ws, "t\n[MIREL_WIN]\nIE", p);
    QString dir;
    EXPECT_EQ(Ini_Dir(cnf, "ARM", dir, ws.path(), p), 0);
    EXPECT_EQ(dir, ws.path());
    EXPECT_EQ(Ini_Dir(cnf, "MAP", dir, ws.path(), p), 0);
    EXPECT_EQ(dir, ws.file("MAP"));
    EXPECT_TRUE(QDir(ws.file("MAP")).exists());
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(IniDir, ConfiguredDirectoriesAreResolvedWithoutRegardToCaseAndLastSectionWins) {
    TempWorkspace ws;
    ws.mkdir("Data/Dat");
    RecorderPrompt p;
    const IniSections cnf = sections(
        ws, "t\n[DIR_DAT]\n" + ws.file("other") + "\n[DIR_DAT]\n" + ws.file("data/dat"), p);
    QString dir;
    EXPECT_EQ(Ini_Dir(cnf, "DAT", dir, ws.path(), p), 0);
    EXPECT_EQ(dir, ws.file("Data/Dat"));
    EXPECT_FALSE(QDir(ws.file("other")).exists());
}

TEST(IniDir, WindowsPathsAreReadWithBackslashesAndDrivesAreMissingDirectories) {
    TempWorkspace ws;
    ws.mkdir("FORM");
    RecorderPrompt p;
    const QString winStyle = QString(ws.path()).replace('/', '\\') + "\\form";
    IniSections cnf = sections(ws, "t\n[DIR_FORM]\n" + winStyle + "\n[DIR_DAT]\nC:\\MIREL\\DAT", p);
    QString dir;
    EXPECT_EQ(Ini_Dir(cnf, "FORM", dir, ws.path(), p), 0);
    EXPECT_EQ(dir, ws.file("FORM"));
    EXPECT_EQ(Ini_Dir(cnf, "DAT", dir, ws.path(), p), -1);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0].text, QStringLiteral("C:\\MIREL\\DAT\r\nERROR N=76\r\nПуть не найден"));
    EXPECT_TRUE(QDir(ws.path()).entryList(QStringList{"C*"}, QDir::Dirs).isEmpty());
}

TEST(IniDir, AFileInTheWayIsReported) {
    TempWorkspace ws;
    ws.write("MAP", "not a folder");
    RecorderPrompt p;
    const IniSections cnf = sections(ws, "t\n[MIREL_WIN]\nIE", p);
    QString dir;
    EXPECT_EQ(Ini_Dir(cnf, "MAP", dir, ws.path(), p), -1);
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0].text, ws.file("MAP") + "\r\nERROR N=58\r\nФайл уже существует");
}

TEST(IniDir, ImportLinesWithArrowsAreCaptionAndFolder) {
    TempWorkspace ws;
    RecorderPrompt p;
    const IniSections cnf = sections(
        ws, "t\n[DIR_IMPORT]\nИз области -> " + ws.file("incoming") + "\nВторой -> /elsewhere", p);
    DirSet dirs = emptyDirSet();
    QStringList menu;
    ASSERT_EQ(Ini_A_Dir(cnf, dirs, menu, ws.path(), p), 0);
    // The folder after "->" is neither tested nor created.
    EXPECT_EQ(dirs[DirIMPORT], ws.file("INCOMING"));
    EXPECT_FALSE(QDir(dirs[DirIMPORT]).exists());
    EXPECT_EQ(menu, (QStringList{"ИЗ ОБЛАСТИ -> " + ws.file("incoming").toUpper(),
                                 "ВТОРОЙ -> /ELSEWHERE"}));
    EXPECT_EQ(dirs[DirARM], ws.path());
    for (int slot : {DirDAT, DirFORM, DirMAP, DirPASP, DirSHIF})
        EXPECT_TRUE(QDir(dirs[slot]).exists()) << slot;
    EXPECT_TRUE(dirs[7].isEmpty() && dirs[8].isEmpty());
}

TEST(IniDir, WithoutAnImportSectionTheMenuShowsTheImportFolder) {
    TempWorkspace ws;
    RecorderPrompt p;
    const IniSections cnf = sections(ws, "t\n[MIREL_WIN]\nIE", p);
    DirSet dirs = emptyDirSet();
    QStringList menu;
    ASSERT_EQ(Ini_A_Dir(cnf, dirs, menu, ws.path(), p), 0);
    EXPECT_EQ(menu, QStringList{ws.file("IMPORT")});
}

TEST(SummFiles, ExistingSummationFilesAreListed) {
    TempWorkspace ws;
    ws.write("SHIF/SUMM1.TXT", "1000:\n1100");
    RecorderPrompt p;
    IniSections cnf = sections(ws, "t\n[MIREL_WIN]\nSUMM1.TXT\nSU\nIE", p);
    QStringList list{" "};
    EXPECT_EQ(Summ_Files(cnf, list, ws.file("SHIF"), p), 0);
    EXPECT_EQ(list, QStringList{"SUMM1.TXT"});
    cnf = sections(ws, "t\n[MIREL_WIN]\nSUMM1.TXT\nSUMM9.TXT", p);
    list = QStringList{" "};
    EXPECT_EQ(Summ_Files(cnf, list, ws.file("SHIF"), p), -1);
    EXPECT_EQ(list, QStringList{" "});
    EXPECT_EQ(p.messages.last(),
              (Message{Icon::Error, "Отсутствует файл суммирования !!!", "SUMM9.TXT"}));
    cnf = sections(ws, "t\n[MIREL_WIN]\nIE", p);
    EXPECT_EQ(Summ_Files(cnf, list, ws.file("SHIF"), p), -1);
}

TEST(DefaultIni, BytesForTheFifteenthOfJanuary2002) {
    TempWorkspace ws;
    RecorderPrompt p;
    ASSERT_TRUE(V_File_Ini(ws.path(), QDate(2002, 1, 15), p));
    const QString P = ws.path();
    const QString expected = "параметры ввода:\r\n"
                             "  SUMM1.TXT\r\n"
                             "  SUMM2.TXT\r\n"
                             "[MIREL_WIN]\r\n"
                             "  YYYY= 2001\r\n"
                             "  MM= 12\r\n"
                             "  IE\r\n"
                             "  отчет\r\n"
                             "[DIR_ARM]\r\n"
                             "  " +
                             P +
                             "\r\n"
                             "[DIR_PASP]\r\n"
                             "  " +
                             P +
                             "/ЗАПРОСЫ\r\n"
                             "[DIR_IMPORT]\r\n"
                             "  " +
                             P + "/Загрузка файлов Excel (КодРегиона_ФФФ_ГГММ.XLS)\r\n";
    EXPECT_EQ(ws.readBytes("MIREL_WIN.INI"), mirel::test::cp1251(expected));
    // An existing file is never replaced.
    ws.write("MIREL_WIN.INI", "mine");
    ASSERT_TRUE(V_File_Ini(ws.path(), QDate(2003, 5, 1), p));
    EXPECT_EQ(ws.read("MIREL_WIN.INI"), QStringLiteral("mine"));
    EXPECT_TRUE(defaultIniText(P, QDate(2003, 5, 1)).contains("  MM= 4\r\n"));
}

TEST(PeriodLines, DialogReadsTheLastLinesAndRewritesTheWholeFile) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI",
             "параметры:\n  summ1.txt\n\n[MIREL_WIN]\n  yyyy= 2001\n  YYYY= 2002\n  mm= 7\n  ie");
    RecorderPrompt p;
    const PeriodLines lines = readPeriodLines(ws.file("MIREL_WIN.INI"), p);
    ASSERT_TRUE(lines.found);
    EXPECT_EQ(lines.year, QStringLiteral("2002"));
    EXPECT_EQ(lines.month, QStringLiteral("7"));
    ASSERT_EQ(rewritePeriodLines(ws.file("MIREL_WIN.INI"), "2003", " 5 ", p), 0);
    EXPECT_EQ(ws.read("MIREL_WIN.INI"),
              QStringLiteral(" ПАРАМЕТРЫ:\r\n SUMM1.TXT\r\n[MIREL_WIN]\r\n"
                             " YYYY= 2001\r\n YYYY= 2003\r\n MM= 5\r\n IE\r\n"));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(PeriodLines, MissingOrFirstLineKeysAreReported) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI", "MM= 5\n[MIREL_WIN]\nYYYY= 2001");
    RecorderPrompt p;
    EXPECT_FALSE(readPeriodLines(ws.file("MIREL_WIN.INI"), p).found);
    EXPECT_EQ(rewritePeriodLines(ws.file("MIREL_WIN.INI"), "2003", "5", p), -1);
    const Message m{Icon::Error, "В файле MIREL_WIN.INI отсутствуют параметры : YYYY= или MM= !!!",
                    "ВЫХОД !!!"};
    EXPECT_EQ(p.messages, (QList<Message>{m, m}));
    EXPECT_EQ(ws.read("MIREL_WIN.INI"), QStringLiteral("MM= 5\r\n[MIREL_WIN]\r\nYYYY= 2001"));
}

TEST(PeriodLines, AReadOnlyConfigurationIsNotRewritten) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI", "t\n[MIREL_WIN]\nYYYY= 2001\nMM= 12");
    mirel::platform::setReadOnly(ws.file("MIREL_WIN.INI"), true);
    RecorderPrompt p;
    EXPECT_EQ(rewritePeriodLines(ws.file("MIREL_WIN.INI"), "2003", "5", p), -1);
    EXPECT_EQ(p.texts(), (QStringList{"Ошибка при записи информации !!!",
                                      "Ошибка перезаписи файла MIREL_WIN.INI !!!"}));
    EXPECT_EQ(ws.read("MIREL_WIN.INI"), QStringLiteral("t\r\n[MIREL_WIN]\r\nYYYY= 2001\r\nMM= 12"));
}
