#pragma once

#include <QList>
#include <QObject>

#include "reference/catalogtree.h"

namespace mirel::ui {

class Frm_mirel;

// The catalog view of the main window ("Каталог форм"): the form catalog in the tree, by form
// code or by base period. The trees come from reference/catalogtree.h. Opening the menu offers
// both orderings, or, when the catalog holds one version of one form only, shows that form at
// once with both orderings disabled. "Выход" on Cmd_calc returns to the query view.
class CatalogView : public QObject {
    Q_OBJECT
public:
    explicit CatalogView(Frm_mirel& window);

    // The menu "Каталог форм" opens.
    void menu_FFF_Click();
    // "Упорядочить по коду" and "По дате начала эксплуатации".
    void menu_FFF_cod_Click();
    void menu_FFF_per_Click();

private:
    void showCatalog(const QList<reference::CatalogNode>& tree, bool expanded);

    Frm_mirel& m_w;
};

} // namespace mirel::ui
