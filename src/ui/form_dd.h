#pragma once

#include <QDialog>
#include <QList>

#include "data/reports.h"

class QLineEdit;
class QTabBar;
class QTableWidget;

namespace mirel::platform {
class Prompt;
}

namespace mirel::ui {

// The data display window: one region's stored sections of a form for one period, without the
// form's titles. One tab per section (SS_Tab, "Раздел 01"...), a grid (Flex_Grid) whose rows
// and columns are numbered, and the cell editor Txt that always lies over the current cell.
// Enter writes the edited text and moves on, Esc gives the cell's text back, the arrows move
// (Shift with Left or Right to the first or last column) writing the text first, F2 writes the
// section on screen. Edits of every section are kept while the window is open; closing with
// edits not written asks first.
class Form_DD : public QDialog {
    Q_OBJECT
public:
    Form_DD(platform::Prompt& prompt, QWidget* parent = nullptr);

    // Stores the inputs, builds the tabs and the grid of the first section and shows the window.
    void Form_DD_Show(const data::RegionReport& report, const reference::FormCatalog& forms,
                      const QString& datDir);

    QTabBar* SS_Tab = nullptr;
    QTableWidget* Flex_Grid = nullptr;
    QLineEdit* Txt = nullptr;

    // The section of the current tab: the text after the last blank of its caption.
    QString currentSection() const;
    // F2: the editor's text goes into its cell, then the section is written. True on success.
    bool saveSection();
    // The section's grid as edited (tab index).
    const data::DisplayGrid& grid(int index) const { return m_grids.at(index); }

    // Esc outside the editor closes the window as its close box does.
    void reject() override { close(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // SS_Tab_Click: the grid rebuilt for the section of the tab.
    void SS_Tab_Click(int index);
    void F_Format_String();
    // Flex_Grid_EnterCell / Flex_Grid_LeaveCell.
    void enterCell();
    void leaveCell();
    void moveTo(int row, int column);
    void placeEditor();
    bool editorKey(int key, Qt::KeyboardModifiers modifiers);

    platform::Prompt& m_prompt;
    data::RegionReport m_report;
    QString m_datDir;
    QList<data::DisplayGrid> m_grids; // one per tab
    int m_current = -1;               // tab shown
    int m_row = -1;                   // the cell under the editor (grid row and column)
    int m_column = -1;
};

} // namespace mirel::ui
