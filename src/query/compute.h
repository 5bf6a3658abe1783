#pragma once

#include <functional>
#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "query/blocks.h"
#include "query/datacache.h"
#include "query/references.h"
#include "reference/session.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// A result matrix: column 0 the row label, column 1 the region code, column c + 1 the value of
// query column c.
using Matrix = QList<QStringList>;

// The region selector of the main window as a query sees it: hidden, showing a chosen region
// (code and the text shown), or shown but empty.
struct RegionSelector {
    enum class State { Hidden, Chosen, Empty };
    State state = State::Hidden;
    QString code;
    QString text;
};

// What the caller supplies besides the session: the region selector and the window caption
// (shown while "MULTY_REG" computes region after region).
struct RunOptions {
    RegionSelector selector;
    std::function<void(const QString&)> caption;
};

// A computed table: the matrix, the number of query columns, the layout word of the MULTY
// settings ("MULTY_X", "MULTY_Y", "MULTY_REG X", "MULTY_REG Y" or empty), the header text of
// the grid for "MULTY_REG X", and the region of a row table (code and name).
struct Table {
    Matrix matrix;
    int columns = 0;
    QString layout;
    QString header;
    QString regionCode;
    QString regionName;
    bool stopped = false; // a row failed; the rows before it are kept
    int blockRows = 0;    // "MULTY_REG Y": rows per region block, its name row included
};

// Everything one computation shares: the session (its year field is changed by MULTY_ and
// restored), the prompt, the options and the data files read so far.
struct Computation {
    reference::Session& session;
    platform::Prompt& prompt;
    const RunOptions& options;
    DataCache cache;
    bool cancelled = false; // the person stopped the run: nothing of it is to be shown
};

// Computes a region table (kind 1) or a row table (kind 2) from the query lines, with every
// layout setting applied. nullopt when nothing is to be shown (after the message); a run the
// person stopped sets computation.cancelled and leaves the stop message to the caller.
std::optional<Table> computeRegionTable(const QStringList& lines, Computation& computation);
std::optional<Table> computeRowTable(const QStringList& lines, Computation& computation);

// Post-processing of region tables, in matrix terms.
// RANG (ascending) or IND (descending) places of entry.column written to entry.second.
void applyRanking(Matrix& matrix, const ColumnEntry& entry, bool descending);
// Orders the rows by the value of a query column: "-" descending, else ascending; rows without
// a number in that column follow, in their previous order.
void applySort(Matrix& matrix, int column, const QString& direction);
// Removes the rows whose listed columns (all value columns for {0}) hold zero.
void applyDel(Matrix& matrix, const QList<int>& columns, int columnCount);

// The classifier regions in order (empty slots skipped).
QList<reference::Region> regionList(const reference::Regions& regions);

} // namespace mirel::query
