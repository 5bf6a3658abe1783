#pragma once

#include <functional>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "aggregate/summtree.h"

namespace mirel::platform {
class Progress;
class Prompt;
} // namespace mirel::platform

namespace mirel::aggregate {

// The replacement list "CORR_COD.TXT" of the SHIF directory.
QString corrCodPath(const QString& shifDir);
// Is_CorrCod: the list exists.
bool Is_CorrCod(const QString& shifDir);
// Menu_CorrCod_Click's test: false after "Файл CORR_COD.TXT пуст !!!" when the list is empty
// (or gone).
bool corrCodListReady(const QString& shifDir, platform::Prompt& prompt);

// F_A_Cods: the old and the new codes of the list, item k of one belonging to item k of the
// other, in file order (lines upper-cased and trimmed, tabs as blanks; the old code is the text
// before the first blank, the new one the trimmed rest; a line without a blank is ignored; an
// old code given twice keeps its first line). A code that is not all digits: "Ошибка в файле "
// + path (title "ВЫХОД !!!") and -1; a list without any line: "Файл CORR_COD.TXT пуст !!!" and
// -1.
int F_A_Cods(const QString& path, QStringList& oldCodes, QStringList& newCodes,
             platform::Prompt& prompt);
// The same on the lines of the list as Read_Lines_Upper gives them (path for the messages).
int parseCodeList(const QStringList& lines, const QString& path, QStringList& oldCodes,
                  QStringList& newCodes, platform::Prompt& prompt);

// The archive folder of a run at that moment: "Замена кодов-YYYYMMDD.H-M-S" (hour, minute and
// second without leading zeros).
QString archiveName(const QDateTime& now);

// The code replacement window (Form_CorrCod) without its widgets: the tree of period data
// directories and the run of "Старт".
//
// The run: the list is read and every replacement planned first, so that a bad code, a
// read-only (protected) target or two old codes meeting in one new file stop it before
// anything is touched; then every period data directory is copied whole into the archive
// folder in the program folder; then, in every directory, each data file of an old code is
// copied from the archive under the new code (so chains and swaps act on the data as they were
// before the run); the files of the old codes stay. A failure or a stop while files are
// replaced puts back every file replaced so far (from the archive) and leaves the list in
// place: the data are as before and the run can be made again. At the end the list is moved
// into the archive ("Файл CORR_COD.TXT перемещен в архив !!!"), so that it cannot run twice.
class CodeReplacement {
public:
    CodeReplacement(const QString& programDir, const QString& datDir, const QString& shifDir,
                    platform::Prompt& prompt);

    // Opening: "Нет данных !!!" and false ("Старт" disabled) when the data directory has no
    // sub-folder; the tree of directories.
    bool open();
    const SummTree& tree() const { return m_tree; }
    // Corr_Cod: the run at the given moment (the archive's name). With dryRun only the plan:
    // the tree shows what would be replaced, nothing is written. 0 on success, -1 after the
    // message.
    int Corr_Cod(const QDateTime& now, bool dryRun = false);
    // The archive folder of the last run (empty before).
    QString archiveDir() const { return m_archive; }

    std::function<void(const QString& dirKey)> onDirectory;

private:
    struct Replacement {
        QString dirKey;
        QString oldCode;
        QString newCode;
        QString extension;
    };
    void scan();
    bool plan(const QStringList& oldCodes, const QStringList& newCodes,
              QList<Replacement>& replacements);
    bool archive(const QString& archive, int& step, platform::Progress& progress);
    bool replace(const QList<Replacement>& replacements, const QString& archive, int& step,
                 platform::Progress& progress);
    QString dirPath(const QString& dirKey) const;

    QString m_programDir;
    QString m_datDir;
    QString m_shifDir;
    platform::Prompt& m_prompt;
    SummTree m_tree;
    QString m_archive;
};

} // namespace mirel::aggregate
