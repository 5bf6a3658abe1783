#pragma once

#include <functional>
#include <QAbstractTableModel>
#include <QColor>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTableView>

#include "data/sectiongrid.h"

namespace mirel::ui {

// The current section of the entry window as a table model: the data cells of a
// data::SectionGrid, with its column titles and row labels as the headers. Zero-map cells are
// shown in the desktop colour and are not editable; cells that the last control run found
// wrong are highlighted. Edits go to the window through onEdit, which applies the entry rules.
class SectionGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SectionGridModel(QObject* parent = nullptr);

    // The grid shown (owned by the window; nullptr for none). Resets the model.
    void setGrid(data::SectionGrid* grid);
    data::SectionGrid* grid() const { return m_grid; }
    // Cells (1-based row, column) highlighted as wrong.
    void setWrongCells(const QSet<std::pair<int, int>>& cells);
    const QSet<std::pair<int, int>>& wrongCells() const { return m_wrong; }
    // Tells the views that the data cells changed (after undo, paste, a computation...).
    void refresh();
    void refreshCell(int row, int column);

    // Called for an edit of the data cell (1-based) with the text typed; returns whether the
    // cell took it.
    std::function<bool(int row, int column, const QString& text)> onEdit;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    static QColor zeroCellColour();
    static QColor wrongCellColour();

private:
    data::SectionGrid* m_grid = nullptr;
    QSet<std::pair<int, int>> m_wrong;
};

// The cell editor Txt: a line edit laid over the current cell. Enter writes the text and asks
// the grid to move by the movement option; the arrow keys write it and move one cell; Esc
// drops the edit; leaving the editor writes the text.
class CellEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text the next editor starts with (the digit typed); empty for the cell's own text.
    void setStartText(const QString& text) { m_startText = text; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

Q_SIGNALS:
    // The editor was closed by Enter (key Qt::Key_Return) or an arrow key, after its text was
    // written.
    void movedOut(int key);

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    mutable QString m_startText;
};

// Grid_VV: the grid of the entry window. A digit key on an editable cell opens the editor with
// that digit, the space key (or a double click) with the cell's text; no other key opens it.
// Ctrl+C, Ctrl+V and Ctrl+Z are passed to the window. Losing the focus to another control of the
// window is reported (the window saves the section then).
class EntryGrid : public QTableView {
    Q_OBJECT
public:
    explicit EntryGrid(QWidget* parent = nullptr);

    CellEditorDelegate* editorDelegate() const { return m_delegate; }
    // True while the cell editor is open.
    bool editorOpen() const;
    // Writes the open editor's text into its cell and closes it.
    void commitEditor();
    // Opens the editor on the current cell with a start text (empty: the cell's own text).
    bool openEditor(const QString& startText);
    // The current data cell (1-based), (0, 0) when none.
    std::pair<int, int> currentCell() const;
    void setCurrentCell(int row, int column);
    // A locked grid takes no keys and no clicks (a long run is using its cells).
    void setLocked(bool locked) { m_locked = locked; }

Q_SIGNALS:
    void copyRequested();
    void pasteRequested();
    void undoRequested();
    // Enter on the grid without an editor: move as after an edit.
    void enterPressed();
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Long row labels take at most a part of the width, so that the figures stay in sight; the
    // label shows whole as the header's tool tip.
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CellEditorDelegate* m_delegate = nullptr;
    bool m_locked = false;
};

} // namespace mirel::ui
