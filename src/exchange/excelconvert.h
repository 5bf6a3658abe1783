#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/cnvsettings.h"
#include "exchange/importlog.h"
#include "reference/session.h"

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::exchange {

// Value to number text: the number a cell's text stands for, as the data files hold it.
// Trimmed; empty gives "0"; a number gives its value written plainly (a decimal comma gives
// the parts before and after it joined by "."); any other text goes to Mod_DD_XLS.
QString cellNumber(const QString& text);
// Whether cellNumber gives a number text as platform::numberChars writes it back as it is: one
// with no exponent and at most 15 digits, as most number cells' texts are.
bool isCellNumber(QLatin1StringView text);
// Mod_DD_XLS: the number at the start of a text such as "12 345,6 руб.": blanks removed, a
// leading "-" kept as the sign, digits taken up to the first character that is neither a digit
// nor a separator followed by a digit; of several separators the last is the decimal point.
// "0" when no digit is found.
QString Mod_DD_XLS(const QString& text);

// What a conversion works on: the session (folders, catalog, classifier), the period that the
// workbooks were listed for, and whether each written section goes through logical control.
struct ImportJob {
    const reference::Session& session;
    QString year;
    QString month;
    bool control = false;
    QDateTime now = QDateTime::currentDateTime();
};

// Hears of a conversion as it goes, so that the window can show it.
class ImportObserver {
public:
    virtual ~ImportObserver() = default;
    // A section is being written (the window shows COD + " -> " + FFF + " " + RR).
    virtual void sectionWriting(const QString& cod, const QString& formCode, const QString& rr) {
        (void)cod, (void)formCode, (void)rr;
    }
    // A workbook of a whole-form run is taken up.
    virtual void workbookStarted(const QString& path) { (void)path; }
    // A workbook has been converted and moved into the archive.
    virtual void workbookArchived(const QString& path) { (void)path; }
};

// The outcome of one workbook.
struct WorkbookOutcome {
    QString path;
    QString cod;
    bool converted = false;   // every section written
    bool archived = false;    // moved into the archive
    QStringList sectionFiles; // the section data files written
    int nextSection = 1;      // the section number after the last one converted
    QString stem;             // the data file stem: period data directory + "/" + COD
};

// Cnv_Xls_: converts one workbook of the form. The cells of all settings are read first; only
// when every one could be read are the sections written, each file whole, after a check that
// none of them is protected. With control each section is checked as it is written and the
// log (opened here) gets its rows; the log is shown at the end. Then "Информация загружена !!!",
// an empty line and the path (title: the data file stem + "." + the next section number), and
// the workbook goes to the archive. A failure is shown once and leaves the workbook in place.
WorkbookOutcome Cnv_Xls_(const ImportJob& job, const QString& formCode, const QString& path,
                         platform::Prompt& prompt, platform::Browser& browser,
                         ImportObserver* observer = nullptr);

// The outcome of a whole form.
struct FormOutcome {
    bool settingsLoaded = false;
    bool stopped = false; // the person stopped the run before its last workbooks
    QList<WorkbookOutcome> workbooks;
    QString logPath; // empty without control
};

// Cnv_XLS_All: converts the workbooks of a form in order; a failing workbook stays and the run
// goes on. Progress runs over the workbooks and may be stopped between two of them: the
// workbooks already begun on the second core are finished (loaded, logged and archived), the
// rest are left untouched, and platform::stoppedText() is shown instead of the closing message.
// With control the log is started afresh and shown at the end. Ends with "Загрузка завершена !!!".
FormOutcome Cnv_XLS_All(const ImportJob& job, const QString& formCode, const QStringList& workbooks,
                        platform::Prompt& prompt, platform::Browser& browser,
                        ImportObserver* observer = nullptr);

// Copy_XLS_Arch: moves a converted workbook into "АРХИВ/YYYY_MM/FFF" beside it (each level made
// when missing). An older workbook of the same name there is kept: the new one gets "_1",
// "_2"... Returns the archived path; empty after a message when the move failed.
QString Copy_XLS_Arch(const QString& path, const QString& formCode, const QString& year,
                      const QString& month, platform::Prompt& prompt);

// The message of a cell that cannot be read.
QString cellErrorText(const QString& reason, const QString& reference);

} // namespace mirel::exchange
