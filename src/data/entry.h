#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "core/config.h"
#include "core/periods.h"
#include "data/sectiongrid.h"
#include "reference/session.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::data {

// The rules of data entry that the entry window and the commands share: which form of which
// region and period is entered, how typed and pasted values go into a section, when a section
// is saved on leaving it, and how section files are deleted.

// Region code, region name and form code as the entry window reads them back from its caption
// "COD - NAME. FFF - TITLE" (F_Par_VV): the text before the first "-", the text up to the next
// ".", the text up to the next "-", each trimmed.
struct EntryCaption {
    QString regionCode;
    QString regionName;
    QString formCode;
};
EntryCaption parseEntryCaption(const QString& caption);

// The period of the entry window (Mod_Txt_Date): the period fields of the session, or, where
// a field is empty, the "YYYY" / "MM" key of "[MIREL_WIN]".
core::YearMonth entryPeriod(const reference::Session& session);

// Checks the values the window is opened with: "Нечисловое значение года !!!",
// "Нечисловое значение месяца !!!", "Нечисловое значение отчетного периода !!!" (a month
// outside 1..12 or a year that is not four digits), "Нечисловое значение кода региона !!!"
// (error icon each). False after the first message.
bool checkEntryValues(const QString& year, const QString& month, const QString& regionCode,
                      platform::Prompt& prompt);

// One region's form for one period as data entry works on it: where its files lie, the
// catalogued structure that applies to the period and the caption of the window.
struct EntryForm {
    DataKey key;
    QString formDir;
    QString basePeriod; // YYYYMM of the structure
    reference::CatalogEntry entry;
    QString regionName;
    QString caption; // "COD - NAME. FFF - TITLE"

    int sectionCount() const { return int(entry.sections.size()); }
    QString formCode() const { return key.formCode; }
    QString regionCode() const { return key.regionCode; }
    QString path(int section) const { return key.path(section); }
};

// The entry form for a caption and the session's directories: the period (entryPeriod), the
// values checked (checkEntryValues) and the structure for the period (VV_Base_Per: "Форма
// некаталогизирована для данного отчетного периода !!!"). nullopt after the message.
std::optional<EntryForm> openEntryForm(const reference::Session& session, const QString& caption,
                                       platform::Prompt& prompt);

// The region of the workstation's own entry ("ВВОД"): the first preamble line whose text before
// the first "-" is a number gives the code, and the text after the "-" the name (the name of
// the classifier is preferred by the caller). nullopt without such a line.
struct OwnRegion {
    QString code;
    QString name;
};
std::optional<OwnRegion> ownRegion(const core::IniSections& cnf);

// The section document (its lines caption the columns of the printable page) and the
// calculation of a section, in the form folder of the base period: prefix + "." + RR + ".TXT"
// and ".CALC".
QString sectionDocumentPath(const QString& formDir, const QString& formCode,
                            const QString& basePeriod, int section);
QString calcFilePath(const QString& formDir, const QString& formCode, const QString& basePeriod,
                     int section);

// A typed or pasted value as it goes into a cell: every blank removed (spaces, tabs, the
// non-breaking space of spreadsheets), so "1 234" becomes "1234" and the data line keeps its
// fields.
QString cleanEntry(const QString& typed);

// The values of one line of a matrix (a pasted block, a file or the input of a command):
// separated by tabs when the line holds one (a spreadsheet's copy; blanks inside a value are
// removed), else by runs of blanks.
QStringList splitMatrixLine(const QString& line);
// The lines of a matrix text (CR LF, LF or CR), empty lines at the end dropped.
QList<QStringList> parseMatrix(const QString& text);

// One cell edit, for undo.
struct CellEdit {
    int row = 0;
    int column = 0;
    QString before;
    QString after;
};

// Sets one data cell from a typed value (cleanEntry). Zero-map cells and cells outside the
// section are refused (nullopt); otherwise the edit (before == after when nothing changed).
std::optional<CellEdit> enterValue(SectionGrid& grid, int row, int column, const QString& typed);

// Puts a block of values into the grid with its top left corner at (row, column): zero-map
// cells and cells outside the section are skipped. Returns the cells that changed.
QList<CellEdit> pasteBlock(SectionGrid& grid, int row, int column, const QList<QStringList>& block);

// The cells rows top..bottom x columns left..right as a spreadsheet takes them: values
// separated by tabs, lines ended by "\n".
QString copyBlock(const SectionGrid& grid, int top, int left, int bottom, int right);

// Undoes edits, last first.
void undoEdits(SectionGrid& grid, const QList<CellEdit>& edits);

// True when the grid holds something worth a file: a cell whose value is not zero, or a text
// that is not a number.
bool hasEnteredData(const SectionGrid& grid);

// Save-on-leave (V__Changed) of a section whose editor is closed. A grid not changed since it
// was loaded or saved is left alone. With a data file: when the grid differs from the file it
// is saved with the mark "PR_?". Without one: when the grid is
// visible and holds entered data (hasEnteredData) it is saved with "PR_?". A section whose file
// could not be loaded (loadFailed) is saved only when it was edited, so that a damaged file is
// never replaced by the part of it that was read.
enum class LeaveResult { Unchanged, Saved, Failed };
LeaveResult V__Changed(SectionGrid& grid, const DataKey& key, bool gridVisible, bool loadFailed,
                       platform::Prompt& prompt);

// "Удалить" → "Раздел": with a data file, asks "Удалить раздел ?" (title "ВНИМАНИЕ !!!",
// OK/Cancel) and deletes it: "Раздел удален !!!", or "Раздел не удален !!!" titled
// "ОШИБКА !!!" when it cannot be deleted (a protected file).
enum class DeleteResult { NoFile, Cancelled, Deleted, Failed };
DeleteResult menu_DelRR(const DataKey& key, int section, platform::Prompt& prompt);
// "Все разделы": asks "Удалить все разделы ?" (title "ВНИМАНИЕ !!!") and deletes every data
// file of the form without further messages, except "Раздел не удален !!!" and the path for a
// file that stays. Returns the sections deleted; nullopt when cancelled.
std::optional<QList<int>> menu_DelAll(const DataKey& key, int sectionCount,
                                      platform::Prompt& prompt);

} // namespace mirel::data
