#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "reference/catalog.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// One head reference line of a query ("1: 101 01 -1"): the seven fields of the reference
// table, followed by what the computation resolves from them for the period it runs in.
struct Reference {
    QString number;   // reference number (digits)
    QString form;     // form code
    QString section;  // section identifier (designator of the catalogue)
    QString year;     // year as written: explicit year, +n / -n, "YEAR" or "LAST"
    QString month;    // month as written: explicit month, +n / -n or "MOUNTH"
    QString position; // catalogue entry (1-based) and section number, "e s"
    QString fix;      // "FIX" for a fixed-width line

    // Resolved for the current period (resolvePeriods).
    QString resolvedYear;
    QString resolvedMonth;
    int entry = -1;    // 0-based index of the catalogue entry, -1 when none applies
    int sectionNo = 0; // 1-based section number within that entry, 0 when not found

    // The section structure of the resolved version, nullptr when none.
    const reference::SectionStructure* structure(const reference::FormCatalog& forms) const;
};
using ReferenceTable = QList<Reference>;

// The current reporting period as the two fields hold it.
struct Period {
    QString year;
    QString month;
};

// Resolves a year or month as written in a reference line against the current field value: the
// words ("YEAR", "LAST", "MOUNTH") and signed offsets become numbers written as decimal text;
// anything else stays as written. An empty text counts as the current value.
QString resolveYear(const QString& given, const QString& currentYear);
QString resolveMonth(const QString& given, const QString& currentMonth);

// The position of a section identifier in a catalogue entry (1-based), 0 when absent.
int sectionIndex(const reference::CatalogEntry& entry, const QString& section);

// Parses every line that contains ":" into the reference table, checking each against the
// catalogue for the current period. False after the first message.
bool parseReferenceLines(const QStringList& lines, const reference::FormCatalog& forms,
                         const Period& period, ReferenceTable& table, platform::Prompt& prompt);

// Rewrites the resolved period, catalogue entry and section number of every reference for the
// current period.
void resolvePeriods(ReferenceTable& table, const reference::FormCatalog& forms,
                    const Period& period);

// Index of the reference with this number, -1 when none.
int findReference(const ReferenceTable& table, const QString& number);

} // namespace mirel::query
