#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "data/sectionfile.h"
#include "reference/catalog.h"
#include "reference/regions.h"

namespace mirel::platform {
class Prompt;
}
namespace mirel::reference {
struct Session;
}

namespace mirel::data {

// The reports tree ("Отчеты."): the period data folders of the data directory shown as forms,
// their periods and the regions that sent data, and the stored sections of one region read
// for the display window and the report pages. The window and the commands share all of it.

// The four-digit year of a short period YYMM: "20" + YY when the short period, compared as
// text, is not greater than "8000", else "19" + YY (7912 is 2079, 8012 is 1980).
QString reportYear(const QString& shortPeriod);

// A period data folder "DAT_" + YYMM + "." + FFF: the form code is the text after the first
// ".", the short period the four digits between "DAT_" and it.
struct ReportFolder {
    QString name; // as on disk
    QString formCode;
    QString shortPeriod;

    QString year() const { return reportYear(shortPeriod); }
    QString month() const { return shortPeriod.mid(2, 2); }
    QString periodCode() const { return year() + month(); } // YYYYMM
};
bool operator==(const ReportFolder& a, const ReportFolder& b);

// nullopt for a name that is not a period data folder ("DAT_" in any case, four digits, ".",
// a form code).
std::optional<ReportFolder> parseReportFolder(const QString& name);
// The period data folders of the data directory in the order of the texts FFF + " " + YYMM,
// each form and period once.
QList<ReportFolder> reportFolders(const QString& datDir);

// A file is data of a region when the parts before and after its last "." are both digits.
bool isRegionDataFile(const QString& fileName);
// The region codes that have data files in a folder, sorted as text, each once.
QStringList regionsWithData(const QString& folderPath);
// The section numbers of a region's data files in a folder, ascending.
QList<int> regionSections(const QString& folderPath, const QString& regionCode);

// Region text of the tree: code + " - " + name, or the code alone when the classifier lacks it.
QString regionText(const reference::Regions& regions, const QString& code);
QString regionText(const QString& code, const QString& name);

// One node of the tree. Keys: "F" + FFF for a form, "D" + FFF + "_" + YYMM for a period,
// the period key + "_" + code for a region, "no_" + the period key for "Нет данных".
struct ReportNode {
    enum class Kind { Form, Period, Region, NoData };
    Kind kind = Kind::Form;
    QString text;
    QString key;
    ReportFolder folder; // period, region and "Нет данных" nodes
    QString regionCode;  // region nodes
    QList<ReportNode> children;
};

// What the window reads when it opens: the working, data, form and classifier directories of
// the configuration, and its own copies of the form catalog and the classifier "shif.txt".
struct ReportsBase {
    QString workDir;
    QString datDir;
    QString formDir;
    QString shifDir;
    reference::FormCatalog forms;
    reference::Regions regions;
};

// Reads the catalog and the classifier. False after the message when the FORM folder is
// missing ("Отсутствует директорий " + path), the catalog cannot be read, or the classifier
// file is missing ("Отсутствует файл " + path, title "ОШИБКА !!!"): the window then closes.
bool loadReportsBase(const reference::Session& session, ReportsBase& base,
                     platform::Prompt& prompt);

// The form and period nodes; a period folder without any region data gets the single child
// "Нет данных". Region nodes are not listed (see regionNodes). A missing data directory gives
// "Отсутствует директорий " + path, no folder at all "Нет данных !!!"; both an empty list.
// Progress goes through the prompt, one step per folder; a stop asked for ends the tree there
// (platform::stoppedText()).
QList<ReportNode> reportsTree(const ReportsBase& base, platform::Prompt& prompt);
// The region nodes of a period folder, sorted by their text; "Нет данных !!!" when none.
QList<ReportNode> regionNodes(const ReportsBase& base, const ReportFolder& folder,
                              platform::Prompt& prompt);
// The whole tree with the regions of every period (the reports command).
QList<ReportNode> fullReportsTree(const ReportsBase& base, platform::Prompt& prompt);

// The stored sections of one region's form for one period, as the display window and the
// report pages take them.
struct RegionReport {
    ReportFolder folder;
    QString regionCode;
    QString regionName; // from the classifier; empty when it lacks the region
    int entry = -1;     // index of the applicable catalog entry, -1 when none
    QString basePeriod; // of that entry
    // One element per section shown: its number and its matrix as read (nullopt when the file
    // is missing or holds no data). The sections of the catalog entry, else the sections the
    // region has files for.
    QList<int> sections;
    QList<std::optional<SectionMatrix>> matrices;

    QString year() const { return folder.year(); }
    QString month() const { return folder.month(); }
    // "ФОРМА " + FFF + " : " + region text + "." + " Отчетный период : " + year + " " + month
    QString caption(const reference::Regions& regions) const;
};

// Reads a region's sections. A form missing from the catalog gives "Форма не каталогизирована
// !!!", a form without a version for the period "Форма не каталогизирована для данного
// отчетного периода!!!" (title "ОШИБКА !!!" both); the sections are read all the same.
RegionReport readRegionReport(const ReportsBase& base, const ReportFolder& folder,
                              const QString& regionCode, platform::Prompt& prompt);

// The grid of one section in the display window: rows x columns value texts, "0" where the
// data have none. The section's structure gives the size, grown to the stored matrix when that
// is larger, so that a save never drops stored values.
struct DisplayGrid {
    int section = 0;
    int rows = 0;
    int columns = 0;
    QList<QStringList> cells; // cells[r - 1][c - 1]
    bool changed = false;

    QString cell(int row, int column) const;
    bool setCell(int row, int column, const QString& text); // false outside; marks changed
};
DisplayGrid displayGrid(const RegionReport& report, const reference::FormCatalog& forms, int index);

// F2 of the display window: writes the grid as the section's data file in the data directory
// (period folder created when missing) with the state mark "?" and the row numbers as row
// labels. The writer refuses a protected file. Shows "Записано !!!" on success; after a failed
// write (the writer's message names the file) "Ошибка при записи данных !!!". True on success.
bool saveDisplayGrid(DisplayGrid& grid, const QString& datDir, const RegionReport& report,
                     platform::Prompt& prompt);

} // namespace mirel::data
