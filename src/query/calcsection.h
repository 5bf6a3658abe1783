#pragma once

#include <QString>

#include "data/entry.h"
#include "data/sectiongrid.h"
#include "query/calc.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// Computes a section of the entry window from its ".CALC" text (parseCalc, then evaluateCalc on
// the grid itself) for the region and period of `section`. Cells that a formula computes get
// its text; the others stay as they are. False after the message of a fault; the grid may then
// hold the cells computed before it.
bool computeSection(data::SectionGrid& grid, const QString& calcText, const CalcSection& section,
                    const QString& datDir, const reference::FormCatalog& forms,
                    platform::Prompt& prompt);

// A computed section of the entry form (its ".CALC" file in the form folder) computed again for
// the form's region and period. NoCalc: the section has no calculation. Same: every computed
// cell equals (as a number) what the grid holds. Changed: the grid now holds the computed
// values and counts as changed. Failed: the calculation stopped after its message; the grid is
// unchanged.
enum class Recalc { NoCalc, Same, Changed, Failed };
Recalc recalcSection(data::SectionGrid& grid, const data::EntryForm& form,
                     const reference::FormCatalog& forms, platform::Prompt& prompt);

} // namespace mirel::query
