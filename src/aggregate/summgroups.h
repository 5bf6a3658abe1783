#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "reference/regions.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::aggregate {

// A summation group: the summary region, its member codes in file order (the summary code
// itself excluded) and the summation file it comes from.
struct SummGroup {
    QString code;
    QStringList members;
    QString file;
};

// The groups of all summation files as the summation window lists them: the files in reverse
// order of the configuration (the last file's groups first), the groups of one file in file
// order. Summation walks the list from its end to its start.
using SummGroups = QList<SummGroup>;

// Reads the groups of one summation file (appended to groups, in file order): a line holding
// ":" is a header whose code is the trimmed text before the ":" (anything after it on the line
// is a comment); its members are the trimmed non-empty lines up to the next header; tabs count
// as blanks; lines before the first header are ignored. A file without any ":" gives
// "Не выделены регионы суммирования !!!" (title: the path) and -1; so does (with its own text)
// a summary code that is not a region code of digits, as it would name the files written.
int readSummGroups(const QString& path, SummGroups& groups, platform::Prompt& prompt);
// The same on the text of a file (path for the messages and the groups).
int parseSummGroups(QString text, const QString& path, SummGroups& groups,
                    platform::Prompt& prompt);

// F_A_Summ: reads the configuration of the workspace again, the summation files of its
// "[MIREL_WIN]" lines beginning "SUM" (in the SHIF directory), the region classifier of its
// "SHIF" line, and then the groups of all files into the list. Fails (-1) after the message of
// the reader (a missing file, no summation file, a file without groups) or of summationOrder
// (a cycle).
int F_A_Summ(SummGroups& groups, reference::Regions& regions, const QString& programDir,
             const QString& shifDir, platform::Prompt& prompt);

// The order in which groups are summed: the walk order given (indexes into groups), changed
// only where a group has a member that is the summary region of another group: that group is
// summed first, so that no sum is made from a stale file. A cycle (a region that sums into
// itself, directly or through other groups) gives "Регионы суммирования образуют цикл : "
// followed by the codes (title: the file of the first group) and an empty list.
QList<int> summationOrder(const SummGroups& groups, const QList<int>& walk,
                          platform::Prompt& prompt);
// The walk of the summation window: from the last group of the list to the first.
QList<int> reverseWalk(const SummGroups& groups);

// The groups of the data-loading view's summation files (a_Summ), in file order, as the
// register's summation walks them; the blank member of a block without members is dropped.
SummGroups groupsOf(const reference::SummList& summ, const QStringList& files = {});

} // namespace mirel::aggregate
