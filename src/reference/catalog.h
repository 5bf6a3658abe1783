#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace mirel::reference {

// The structure of one section of a form version: its designator (the text between the first
// "." of the structure file name and the final "S"), its row lines (each the row identifier,
// trimmed and upper-cased) and its column identifiers.
struct SectionStructure {
    QString designator;
    QStringList rows;
    QStringList columns;
};

// One catalogued version of a form: form code, base period code YYYYMM, and the sections in
// section order (designators sorted as text without regard to case); section number n of the
// form is sections[n - 1].
struct CatalogEntry {
    QString formCode;
    QString basePeriod;
    QList<SectionStructure> sections;
};

// The form catalog a_Form, entries in the order they were found.
using FormCatalog = QList<CatalogEntry>;

} // namespace mirel::reference
