#pragma once

#include <QList>
#include <QString>

#include "reference/catalog.h"

namespace mirel::reference {

// One node of the catalog view's tree: its text and its children in display order.
struct CatalogNode {
    QString text;
    QList<CatalogNode> children;
};
bool operator==(const CatalogNode& a, const CatalogNode& b);

// "Упорядочить по коду": forms in code order ("Форма " + code), under each its base periods
// in time order ("Дата начала эксплуатации : " + year + " " + month), under each its sections
// (S_RR_Info).
QList<CatalogNode> catalogByCode(const FormCatalog& catalog);
// "По дате начала эксплуатации": base periods at the top (year + " " + month), the forms of
// each under it in code order, their sections under them.
QList<CatalogNode> catalogByPeriod(const FormCatalog& catalog);
// True when the catalog holds one form with one base period only: the view then disables both
// orderings and shows that form directly.
bool singleFormVersion(const FormCatalog& catalog);

} // namespace mirel::reference
