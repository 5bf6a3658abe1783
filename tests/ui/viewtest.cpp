#include "viewtest.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "ui/frm_mirel.h"

namespace mirel::test {
namespace {

void addTreeLines(const QTreeWidgetItem* item, int level, QStringList& out) {
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* child = item->child(i);
        out.append(QString(2 * level, QLatin1Char(' ')) + child->text(0));
        addTreeLines(child, level + 1, out);
    }
}

} // namespace

std::unique_ptr<LoadedWindow> loadWindow(const TempWorkspace& ws, const QDate& today) {
    auto loaded = std::make_unique<LoadedWindow>();
    loaded->window = std::make_unique<ui::Frm_mirel>(ws.path(), loaded->prompt, loaded->browser);
    if (loaded->window->load(today) != 0) {
        loaded->window.reset();
        return loaded;
    }
    loaded->window->show();
    loaded->window->activateWindow();
    if (!QTest::qWaitForWindowActive(loaded->window.get())) loaded->window.reset();
    return loaded;
}

QStringList enabledMenus(ui::Frm_mirel& w) {
    QStringList out;
    for (QAction* a : w.menuBar()->actions()) {
        // "Справка" is there in every view; its own test looks at it.
        if (!a->isEnabled() || a->objectName() == QLatin1String("mnu_help")) continue;
        out.append(a->objectName());
        if (!a->menu()) continue;
        for (QAction* item : a->menu()->actions())
            if (!item->isSeparator() && item->isEnabled()) out.append(item->objectName());
    }
    return out;
}

QStringList gridRow(const QTableWidget* grid, int row) {
    QStringList out;
    for (int k = 0; k < grid->columnCount(); ++k)
        out.append(grid->item(row, k) ? grid->item(row, k)->text() : QString());
    return out;
}

QStringList gridHeader(const QTableWidget* grid) {
    QStringList out;
    for (int k = 0; k < grid->columnCount(); ++k) {
        const QTableWidgetItem* item = grid->horizontalHeaderItem(k);
        out.append(item ? item->text() : QString());
    }
    return out;
}

QStringList treeLines(const QTreeWidget* tree) {
    QStringList out;
    addTreeLines(tree->invisibleRootItem(), 0, out);
    return out;
}

} // namespace mirel::test
