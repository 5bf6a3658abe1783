#include <QTreeWidget>

#include "platform/fileio.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"

namespace mirel::ui {

void QueryTree::calculate() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!isQuery(item)) return;
}

} // namespace mirel::ui
