#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace mirel::platform {
class Prompt;
}

namespace mirel::reference {

// The structure of one section of a form version: its designator (the text between the first
// "." of the structure file name and the final "S"), its row lines (each the row identifier,
// trimmed and upper-cased) and its column identifiers.
struct SectionStructure {
    QString designator;
    QStringList rows;
    QStringList columns;
};

// One catalogued version of a form: form code, base period code YYYYMM, and the sections in
// section order (designators sorted as text without regard to case); section number n of the
// form is sections[n - 1].
struct CatalogEntry {
    QString formCode;
    QString basePeriod;
    QList<SectionStructure> sections;
};

// The form catalog a_Form, entries in the order they were found.
using FormCatalog = QList<CatalogEntry>;

// Loads the catalog from the FORM directory. 0 on success; -1 after the message (missing
// directory, empty catalog, broken structure file).
int Load_Form_Catalog(const QString& formDir, FormCatalog& catalog, platform::Prompt& prompt);
// Walks the form folders YYYY_MM.FFF of the FORM directory (in the order listDirs gives) into
// a new catalog. Folders that start with a digit and hold "_" but do not match are reported as
// warnings and skipped. -1 at the first broken structure file.
int Scan_Form_Dir(const QString& formDir, FormCatalog& catalog, platform::Prompt& prompt);
// Splits a form folder name YYYY_MM.FFF into form code and base period YYYYMM; false when the
// name does not match (the year must be four digits).
bool parseFormFolderName(const QString& name, QString& formCode, QString& basePeriod);
// Reads the structure files prefix + designator + "S" of one form folder, in the given
// (sorted) designator order, and stores them in the catalog.
int Read_Form_Sections(FormCatalog& catalog, const QString& formCode, const QString& basePeriod,
                       const QString& pathPrefix, const QStringList& designators,
                       platform::Prompt& prompt);
// Parses the lines of one structure file (as Read_Lines_Upper gives them). 0 on success; -1
// after the message naming the path (column line last, no column identifier). A file without
// a column line gives one empty row and one empty column, with a warning.
int parseStructure(const QStringList& lines, const QString& path, SectionStructure& section,
                   platform::Prompt& prompt);
void New_Catalog_Entry(FormCatalog& catalog, const QString& formCode, const QString& basePeriod,
                       const SectionStructure& first);
void Add_Catalog_Section(CatalogEntry& entry, const SectionStructure& section);
// 1-based position of the entry with this form code and base period; 0 when none.
int Find_Catalog_Entry(const FormCatalog& catalog, const QString& formCode,
                       const QString& basePeriod);

// The entry of the form that applies to the reporting period code: the greatest base period not
// later than it. -1 when none (no message).
int applicableEntry(const FormCatalog& catalog, const QString& formCode, const QString& periodCode);
// The same with the system's message "Форма некаталогизирована для данного отчетного
// периода !!!" (title: the form code) when none. Returns 0 and sets basePeriod and entryIndex
// (0-based), or -1.
int VVOD_Base_Per(const QString& formCode, const QString& periodCode, const FormCatalog& catalog,
                  QString& basePeriod, int& entryIndex, platform::Prompt& prompt);

// The form folder of a base period: formDir + "/" + YYYY + "_" + MM + "." + FFF.
QString formFolder(const QString& formDir, const QString& formCode, const QString& basePeriod);
// formFolder + "/" + FFF + "_" + YYMM: the beginning of every file name of the form folder
// (structure files, description, zero maps, rule files).
QString formFilePrefix(const QString& formDir, const QString& formCode, const QString& basePeriod);
// The description file: formFilePrefix + ".TXT", or formFilePrefix alone when that is missing.
QString descriptionPath(const QString& formDir, const QString& formCode, const QString& basePeriod);
// The periodicity of the "N_PERIOD" line of a description file (its leading digits; 0 when
// none); found tells whether the line exists. A missing file shows "Файл отсутствует : ".
int formPeriodicity(const QString& descriptionFile, bool& found, platform::Prompt& prompt);
// Display name "FFF - title" of a form for the reporting month when it is due; else empty
// (also without an "N_PERIOD" line).
QString VVOD_Name_Form(const QString& formDir, const QString& formCode, const QString& basePeriod,
                       int reportingMonth, platform::Prompt& prompt);
// "Раздел 01. Строк : 12. Граф :  5"
QString S_RR_Info(int section, int rows, int columns);

} // namespace mirel::reference
