#pragma once

#include <optional>
#include <QList>
#include <QString>

#include "query/blocks.h"
#include "query/formulas.h"
#include "query/references.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// The section a ".CALC" text computes: form, section number, the period of the entry window
// and the region being entered.
struct CalcSection {
    QString form;
    int section = 0;
    QString year;
    QString month;
    QString region;
};

// A parsed ".CALC" text: references (reference 1 is the grid being edited), row blocks and
// their compiled formulas, and the shared tables (DEC applies).
struct CalcQuery {
    ReferenceTable refs;
    QList<RowBlock> blocks;
    QList<QList<CompiledFormula>> rows;
    QueryTables tables;
};

// Parses ".CALC" text with the query rules: upper-cased, N_PERIOD replaced, lines normalised,
// brackets checked, reference lines parsed (without any, reference 1 is the section being
// edited), "STR" blocks cut and parsed, short names expanded, references tokenised. A row
// identifier containing "I" stands for every row of the grid. nullopt after the message.
std::optional<CalcQuery> parseCalc(const QString& text, const CalcSection& section,
                                   const reference::FormCatalog& forms, platform::Prompt& prompt);

// Evaluates the parsed formulas into the grid, block by block and row by row, so that later
// formulas see the cells computed before them. Cells whose data are missing are left as they
// are. 0 on success, -1 when an evaluation failed (after its message).
int evaluateCalc(const CalcQuery& calc, CellGrid& grid, const CalcSection& section,
                 const QString& datDir, const reference::FormCatalog& forms,
                 platform::Prompt& prompt);

} // namespace mirel::query
