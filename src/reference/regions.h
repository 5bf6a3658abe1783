#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "core/config.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::reference {

// One region of a classifier: its code (digits, leading zeros significant) and name.
struct Region {
    QString code;
    QString name;
};

// The classifier a_reg: one slot per non-empty line of the classifier file, in file order;
// the slot of a line that is not a region is empty. The list ends at the last region line.
using Regions = QList<std::optional<Region>>;

// One block of a summation file: the summary region and its members.
struct SummBlock {
    QString code;
    QStringList members;
};
using SummFile = QList<SummBlock>;
// a_Summ: one element per summation file read.
using SummList = QList<SummFile>;

// Loads a classifier from the SHIF directory: fileName (".TXT" appended when it does not end
// so) when given and existing, else "shif.txt". An empty or missing file shows
// "Справочник регионов не сформирован !!!" and leaves the classifier unchanged; otherwise the
// file replaces the classifier whole. A code given on more than one line is reported as a
// warning (lookups find its first line). Returns 0.
int Load_Regions(Regions& regions, const QString& shifDir, const QString& fileName,
                 platform::Prompt& prompt);

// The classifier of the single-region entry mode (named by the preamble); empty without a
// preamble.
Regions VVOD_A_Reg(const core::IniSections& cnf, const QString& shifDir, platform::Prompt& prompt);

// True when a region slot has exactly this code.
bool In_A_Reg(const Regions& regions, const QString& code);

// 0-based slot of the region with this code, -1 when none.
int regionIndex(const Regions& regions, const QString& code);
// Name of the region with this code; empty when none.
QString regionName(const Regions& regions, const QString& code);

// Reads the summation files named by the preamble; sets enabled when at least one was read
// (else shows "Не заданы условия суммирования !!!").
SummList VVOD_Summ(const core::IniSections& cnf, const Regions& regions, const QString& shifDir,
                   bool& enabled, platform::Prompt& prompt);
// The blocks of one summation file (lines upper-cased; a line with ":" opens a block, a block
// without members holds one single blank; a header on the last line forms no block).
SummFile readSummFile(const QString& path, platform::Prompt& prompt);
// Reads one summation file and appends it; -1 (after the message) when a summary code is not
// in the classifier.
int VVOD_A_Summ(SummList& list, const QString& path, const Regions& regions,
                platform::Prompt& prompt);
// "сумма" for a summary code, "+" for a member, empty otherwise; the first matching block
// decides.
QString VVOD_Sign_Summ(const SummFile& blocks, const QString& code);

} // namespace mirel::reference
