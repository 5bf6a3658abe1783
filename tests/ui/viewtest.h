#pragma once

#include <memory>
#include <QStringList>

#include "uitest.h"

class QTableWidget;
class QTreeWidget;

namespace mirel::test {

// A main window loaded on a workspace, with the prompt and browser it reports to.
struct LoadedWindow {
    RecorderPrompt prompt;
    RecorderBrowser browser;
    std::unique_ptr<ui::Frm_mirel> window;
};
// Loads the window on the workspace for the given date and shows it; nullptr window when
// start-up failed.
std::unique_ptr<LoadedWindow> loadWindow(const TempWorkspace& ws, const QDate& today);

// What can be chosen: the enabled menu bar entries and the enabled items of enabled menus, by
// name, in bar order ("Справка", always there, left out).
QStringList enabledMenus(ui::Frm_mirel& w);

// The texts of one grid row, and of the header row.
QStringList gridRow(const QTableWidget* grid, int row);
QStringList gridHeader(const QTableWidget* grid);

// The tree as indented lines: two blanks per level before each node text.
QStringList treeLines(const QTreeWidget* tree);

} // namespace mirel::test
