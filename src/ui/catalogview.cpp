#include "ui/catalogview.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>

#include "ui/frm_mirel.h"

namespace mirel::ui {
namespace {

void addNodes(QTreeWidgetItem* parent, const QList<reference::CatalogNode>& nodes,
              const QIcon& folder, const QIcon& leaf) {
    for (const reference::CatalogNode& node : nodes) {
        auto* item = new QTreeWidgetItem(parent, QStringList{node.text});
        item->setIcon(0, node.children.isEmpty() ? leaf : folder);
        addNodes(item, node.children, folder, leaf);
    }
}

} // namespace

CatalogView::CatalogView(Frm_mirel& window)
    : QObject(&window)
    , m_w(window) {
    MainControls& c = m_w.controls();
    connect(c.menu_FFF, &QMenu::aboutToShow, this, [this] { menu_FFF_Click(); });
    m_w.connectAction(c.menu_FFF_cod, [this] { menu_FFF_cod_Click(); });
    m_w.connectAction(c.menu_FFF_per, [this] { menu_FFF_per_Click(); });
}

void CatalogView::menu_FFF_Click() {
    MainControls& c = m_w.controls();
    c.Combo_REG->hide();
    const bool single = reference::singleFormVersion(m_w.session().forms);
    m_w.setItemEnabled(c.menu_FFF_cod, !single);
    m_w.setItemEnabled(c.menu_FFF_per, !single);
    if (single) showCatalog(reference::catalogByCode(m_w.session().forms), true);
}

void CatalogView::menu_FFF_cod_Click() {
    showCatalog(reference::catalogByCode(m_w.session().forms), false);
}

void CatalogView::menu_FFF_per_Click() {
    showCatalog(reference::catalogByPeriod(m_w.session().forms), false);
}

void CatalogView::showCatalog(const QList<reference::CatalogNode>& tree, bool expanded) {
    MainControls& c = m_w.controls();
    m_w.enterView(Frm_mirel::View::Catalog);
    // A computed table may cover the tree.
    c.Grid->hide();
    QTreeWidget* view = c.Tree_Pasp;
    view->clear();
    const QIcon folder = view->style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon leaf = view->style()->standardIcon(QStyle::SP_FileIcon);
    addNodes(view->invisibleRootItem(), tree, folder, leaf);
    if (expanded) view->expandAll();
    view->show();
}

} // namespace mirel::ui
