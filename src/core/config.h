#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace mirel::platform {
class Prompt;
}

namespace mirel::core {

// One section of a sectioned configuration file: the upper-cased header line ("" for the
// preamble) and its lines in file order.
struct IniSection {
    QString header;
    QStringList lines;
};
using IniSections = QList<IniSection>; // a_Cnf

// The directory set a_Dir: nine slots, 0..6 filled at start-up.
enum DirSlot {
    DirARM = 0,
    DirDAT = 1,
    DirFORM = 2,
    DirMAP = 3,
    DirPASP = 4,
    DirSHIF = 5,
    DirIMPORT = 6
};
inline constexpr int DirSlotCount = 9;
using DirSet = QStringList;
inline DirSet emptyDirSet() {
    return DirSet(DirSlotCount);
}

inline const QString IniFileName = QStringLiteral("MIREL_WIN.INI");
// g_s_Import_XLS: name of the Excel import folder and title of the Excel import.
inline const QString g_s_Import_XLS =
    QStringLiteral("Загрузка файлов Excel (КодРегиона_ФФФ_ГГММ.XLS)");

// Reads a sectioned file: lines trimmed, upper-cased, empty ones dropped. The first line
// belongs to no section; when it is not a header the lines up to the first header form the
// preamble (empty header); a header on the last line forms no section; a header directly
// followed by another header has one empty line. Empty result when no section was formed or
// the file is not text (holds NUL characters). A file that reads as UTF-8 with letters outside
// ASCII is read all the same, after a warning (titled with the path).
IniSections Read_Ini_Sections(const QString& path, platform::Prompt& prompt);

// The first line beginning with the key in the "[MIREL_WIN]" sections; empty when none.
QString Ini_Line(const IniSections& cnf, const QString& key);
// True when a "[MIREL_WIN]" line equals the text.
bool hasIniEntry(const IniSections& cnf, const QString& entry);
// The preamble section, or nullptr.
const IniSection* preamble(const IniSections& cnf);

// Resolves the directory of "[DIR_" + name + "]" (defaults beside the program folder,
// missing folders created one level). 0 on success; -1 after the directory error message.
int Ini_Dir(const IniSections& cnf, const QString& name, QString& dir, const QString& programDir,
            platform::Prompt& prompt);
// The folder of an entry of the import menu: the trimmed text after the first "->" of the
// caption ("Caption -> folder"), else the caption itself; relative folders lie in the program
// folder, "\" paths are read as native ones.
QString importMenuDir(const QString& caption, const QString& programDir);
// Replaces the list by the lines of the last "[DIR_" + name + "]" section; 0 always.
int Ini_Section_Lines(const IniSections& cnf, const QString& name, QStringList& lines);
// Summation files named by "[MIREL_WIN]" lines beginning "SUM"; the list comes in as one
// single blank. 0 when at least one was added, -1 otherwise or on a missing file.
int Summ_Files(const IniSections& cnf, QStringList& list, const QString& dir,
               platform::Prompt& prompt);
// Fills the directory set (ARM, FORM, DAT, MAP, PASP, SHIF, IMPORT) and the captions of the
// import menu. 0 on success, -1 at the first directory that fails.
int Ini_A_Dir(const IniSections& cnf, DirSet& dirs, QStringList& importMenu,
              const QString& programDir, platform::Prompt& prompt);

// The default configuration, written only when the file does not exist or is empty (0 bytes;
// the previous calendar month of "today" as period). Returns false when it was needed and
// could not be written.
bool V_File_Ini(const QString& programDir, const QDate& today, platform::Prompt& prompt);
QString defaultIniText(const QString& programDir, const QDate& today);

// The year and month lines that the period dialog reads and rewrites: the last line with
// "YYYY" and "=", the last with "MM" and "="; neither may be the first line.
struct PeriodLines {
    bool found = false;
    QString year;
    QString month;
};
PeriodLines readPeriodLines(const QString& iniPath, platform::Prompt& prompt);
// Rewrites the configuration with a new period: all lines upper-cased, non-header lines
// indented by one blank. 0 on success; -1 after its message.
int rewritePeriodLines(const QString& iniPath, const QString& year, const QString& month,
                       platform::Prompt& prompt);

} // namespace mirel::core
