#include "reference/catalogtree.h"

#include <QMap>

namespace mirel::reference {
namespace {

QList<CatalogNode> sectionNodes(const CatalogEntry& entry) {
    QList<CatalogNode> nodes;
    for (int i = 0; i < entry.sections.size(); ++i) {
        const SectionStructure& s = entry.sections.at(i);
        nodes.append({S_RR_Info(i + 1, int(s.rows.size()), int(s.columns.size())), {}});
    }
    return nodes;
}

QString periodText(const QString& basePeriod) {
    return basePeriod.left(4) + QLatin1Char(' ') + basePeriod.mid(4, 2);
}

QString formText(const QString& formCode) {
    return QStringLiteral("Форма ") + formCode;
}

// Entries grouped by one key and ordered inside by the other, both as text.
using Grouped = QMap<QString, QMap<QString, const CatalogEntry*>>;

} // namespace

bool operator==(const CatalogNode& a, const CatalogNode& b) {
    if (a.text != b.text || a.children.size() != b.children.size()) return false;
    for (int i = 0; i < a.children.size(); ++i)
        if (!(a.children.at(i) == b.children.at(i))) return false;
    return true;
}

QList<CatalogNode> catalogByCode(const FormCatalog& catalog) {
    Grouped groups;
    for (const CatalogEntry& e : catalog)
        groups[e.formCode].insert(e.basePeriod, &e);
    QList<CatalogNode> tree;
    for (auto form = groups.cbegin(); form != groups.cend(); ++form) {
        CatalogNode node{formText(form.key()), {}};
        for (const CatalogEntry* e : form.value())
            node.children.append(
                {QStringLiteral("Дата начала эксплуатации : ") + periodText(e->basePeriod),
                 sectionNodes(*e)});
        tree.append(node);
    }
    return tree;
}

QList<CatalogNode> catalogByPeriod(const FormCatalog& catalog) {
    Grouped groups;
    for (const CatalogEntry& e : catalog)
        groups[e.basePeriod].insert(e.formCode, &e);
    QList<CatalogNode> tree;
    for (auto period = groups.cbegin(); period != groups.cend(); ++period) {
        CatalogNode node{periodText(period.key()), {}};
        for (const CatalogEntry* e : period.value())
            node.children.append({formText(e->formCode), sectionNodes(*e)});
        tree.append(node);
    }
    return tree;
}

bool singleFormVersion(const FormCatalog& catalog) {
    return catalog.size() == 1;
}

} // namespace mirel::reference
