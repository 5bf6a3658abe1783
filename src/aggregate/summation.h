#pragma once

#include <functional>
#include <optional>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "aggregate/summgroups.h"
#include "aggregate/summmatrix.h"
#include "aggregate/summtree.h"
#include "platform/prompt.h"
#include "reference/catalog.h"
#include "reference/regions.h"

namespace mirel::aggregate {

class DirectorySum;

// The three modes of the summation window: summation ("Суммирование данных."), the sum check
// ("Проверка сумм.") and the format check ("Форматный контроль данных.").
enum class SummMode { Summation, SumCheck, FormatCheck };

// The folders the window works in, as the main window hands them over (the program folder,
// g_dir_Dat, g_Dir_Shif, g_Dir_Form).
struct SummPlace {
    QString programDir;
    QString datDir;
    QString shifDir;
    QString formDir;
};

// What the difference grid (Form_VSumm) shows: its layout text g_Format_String ("|^  гр.1   "
// per column, ";", "|стр.1" per row) and the differences g_DD_String (recomputed minus stored,
// values separated by blanks, rows ended by CR LF).
struct DiffGrid {
    QString g_Format_String;
    QString g_DD_String;
};

// The summation window without its widgets: the tree of period data directories and the runs
// behind its buttons, with every message through the prompt. The window and the commands
// render tree(); a run that moves on to a directory calls onDirectory with its key.
//
// Runs report progress and may be stopped (platform::Progress): a stopped run writes nothing
// half-done (every summary file is written whole or not at all, a directory's files only after
// all of them were read), says platform::stoppedText() with the last directory and group done
// as title, and returns -1. Runs return 0 when everything went well, -1 after a failure that
// has been reported (the tree shows where).
class Summation {
public:
    Summation(const SummPlace& place, SummMode mode, const reference::FormCatalog& forms,
              platform::Prompt& prompt);
    ~Summation();

    // Opening the window: "Нет данных !!!" and false when the data directory has no sub-folder;
    // the groups (F_A_Summ, not for the format check); the tree, with the summary region nodes
    // only when withRegions (the window's pictures loaded). False also when the groups cannot
    // be read: summation is then disabled.
    bool open(bool withRegions = true);
    SummMode mode() const { return m_mode; }
    const SummTree& tree() const { return m_tree; }
    const SummGroups& groups() const { return m_groups; }
    // Scan_Folders: the tree again from the disk, without the marks of earlier checks.
    void Scan_Folders();
    // The key of the directory a node belongs to (empty for none).
    QString directoryKey(int node) const;

    // "Суммировать" for one directory (the key of the selected node's directory; empty when
    // nothing is selected) and "Глобально". The tree is built again afterwards.
    int Summ_Dir(const QString& dirKey);
    int Summ_Global();
    // "Установить" (readOnly) and "Снять защиту данных" for one directory or all.
    int ReadOnly_Dir(const QString& dirKey, bool readOnly);
    int ReadOnly_Global(bool readOnly);
    // "Проверить суммы" for one directory or all; the marks stay in the tree.
    int VSumm_Dir(const QString& dirKey);
    int VSumm_Global();
    // "Проверить формат": every directory; the marks stay in the tree.
    int V_Format();
    // Double click on a node: the differences of a wrong sum, or nullopt after the message
    // that tells why there is nothing to show.
    std::optional<DiffGrid> Tree_View_DblClick(const QString& key);

    std::function<void(const QString& dirKey)> onDirectory;

private:
    enum class Outcome { Ok, Failed, Stopped };
    // Progress of one run and what it has done so far, for the message of a stop.
    struct RunState {
        platform::Progress* progress = nullptr;
        int value = 0;
        QString lastDir;      // the last directory done whole
        QString lastGroupDir; // the directory of the last group written
        QString lastGroup;
        bool step() { return !progress || progress->step(++value); }
        bool stopRequested() const { return progress && progress->stopped(); }
    };
    bool readGroups();
    QString dirPath(const QString& dirKey) const;
    bool hasDataFiles(const QString& dirKey) const;
    bool isProtected(const QString& dirKey) const;
    void scanDirectory(const PeriodDir& dir);
    int regionNode(int dirNode, const QString& code);
    void markFormatError(const QString& dirKey);
    void restoreMarks();
    Outcome sumDirectory(const PeriodDir& dir, RunState& run);
    bool writeGroup(const QString& dirKey, int group, const DirectorySum& sums);
    struct KeepListings;
    Outcome checkDirectory(const PeriodDir& dir, RunState& run);
    bool Compare_Summ(const QString& path, const SummMatrix& sum, const SummMatrix* stored,
                      int dirNode, int group, const QString& section);
    Outcome formatDirectory(const PeriodDir& dir, RunState& run);
    void V_Format_RR(const PeriodDir& dir, int dirNode, const QString& section, int rows,
                     int columns, bool multi);
    int totalFiles(const QList<PeriodDir>& dirs) const;
    DirListing listing(const QString& dirKey) const;
    void stopped(const RunState& run);
    QString regionText(const QString& code) const;

    SummPlace m_place;
    SummMode m_mode;
    const reference::FormCatalog& m_forms;
    platform::Prompt& m_prompt;
    SummGroups m_groups;
    QList<int> m_order;
    reference::Regions m_regions;
    QSet<QByteArray> m_summaryCodes;
    bool m_groupsRead = false;
    bool m_withRegions = true;
    SummTree m_tree;
    QHash<QString, QString> m_formatErrors; // directory key -> its marked text, kept on rebuilds
    // During a summation run: the listings taken before it, kept up to date with what the run
    // writes and deletes, so that a directory of thousands of files is listed once.
    mutable QHash<QString, DirListing> m_listings;
    bool m_keepListings = false;
};

// The text of a directory whose data could not be read for summation.
QString formatErrorText(const QString& dirKey);

} // namespace mirel::aggregate
