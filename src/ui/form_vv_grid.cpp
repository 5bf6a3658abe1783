#include "ui/form_vv_grid.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

namespace mirel::ui {

SectionGridModel::SectionGridModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void SectionGridModel::setGrid(data::SectionGrid* grid) {
    beginResetModel();
    m_grid = grid;
    m_wrong.clear();
    endResetModel();
}

void SectionGridModel::setWrongCells(const QSet<std::pair<int, int>>& cells) {
    m_wrong = cells;
    refresh();
}

void SectionGridModel::refresh() {
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void SectionGridModel::refreshCell(int row, int column) {
    const QModelIndex i = index(row - 1, column - 1);
    if (i.isValid()) Q_EMIT dataChanged(i, i);
}

int SectionGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_grid ? 0 : m_grid->rows();
}

int SectionGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_grid ? 0 : m_grid->columns();
}

QColor SectionGridModel::zeroCellColour() {
    return QApplication::palette().color(QPalette::Mid);
}

QColor SectionGridModel::wrongCellColour() {
    return QColor(255, 190, 190);
}

QVariant SectionGridModel::data(const QModelIndex& index, int role) const {
    if (!m_grid || !index.isValid()) return {};
    const int row = index.row() + 1;
    const int column = index.column() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid->cell(row, column);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (m_grid->isZeroCell(row, column)) return zeroCellColour();
        if (m_wrong.contains({row, column})) return wrongCellColour();
        return {};
    default:
        return {};
    }
}

bool SectionGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!m_grid || !index.isValid() || role != Qt::EditRole || !onEdit) return false;
    return onEdit(index.row() + 1, index.column() + 1, value.toString());
}

QVariant SectionGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!m_grid) return {};
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? m_grid->cell(0, section + 1)
                                             : m_grid->cell(section + 1, 0);
    if (role == Qt::TextAlignmentRole && orientation == Qt::Vertical)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && orientation == Qt::Vertical) return m_grid->cell(section + 1, 0);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags SectionGridModel::flags(const QModelIndex& index) const {
    if (!m_grid || !index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!m_grid->isZeroCell(index.row() + 1, index.column() + 1)) f |= Qt::ItemIsEditable;
    return f;
}

QWidget* CellEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("Txt"));
    editor->setFrame(false);
    editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return editor;
}

void CellEditorDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    if (!m_startText.isEmpty()) {
        line->setText(m_startText);
        m_startText.clear();
        line->deselect();
        line->setCursorPosition(int(line->text().size()));
        return;
    }
    line->setText(index.data(Qt::EditRole).toString());
    line->selectAll();
}

bool CellEditorDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QLineEdit*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        switch (key) {
        case Qt::Key_Escape:
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
            Q_EMIT movedOut(key == Qt::Key_Enter ? int(Qt::Key_Return) : key);
            return true;
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

EntryGrid::EntryGrid(QWidget* parent)
    : QTableView(parent)
    , m_delegate(new CellEditorDelegate(this)) {
    setObjectName(QStringLiteral("Grid_VV"));
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(
        fontMetrics().horizontalAdvance(QStringLiteral("_9999999999_")));
}

bool EntryGrid::editorOpen() const {
    return state() == QAbstractItemView::EditingState;
}

void EntryGrid::commitEditor() {
    if (!editorOpen()) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        Q_EMIT m_delegate->commitData(editor);
        Q_EMIT m_delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        return;
    }
    // The editor sits on the cell it was opened on, which stays current while it is open.
    for (QWidget* w : viewport()->findChildren<QLineEdit*>(QStringLiteral("Txt"))) {
        Q_EMIT m_delegate->commitData(w);
        Q_EMIT m_delegate->closeEditor(w, QAbstractItemDelegate::NoHint);
    }
}

bool EntryGrid::openEditor(const QString& startText) {
    const QModelIndex index = currentIndex();
    if (!index.isValid() || !(model()->flags(index) & Qt::ItemIsEditable)) return false;
    m_delegate->setStartText(startText);
    const bool opened = edit(index, QAbstractItemView::AllEditTriggers, nullptr);
    if (!opened) {
        m_delegate->setStartText(QString());
        return false;
    }
    // The view selects the text of a new line editor: a typed digit is the start of the value,
    // not a text to be typed over.
    if (!startText.isEmpty())
        if (auto* line = qobject_cast<QLineEdit*>(indexWidget(index))) {
            line->deselect();
            line->end(false);
        }
    return true;
}

std::pair<int, int> EntryGrid::currentCell() const {
    const QModelIndex index = currentIndex();
    if (!index.isValid()) return {0, 0};
    return {index.row() + 1, index.column() + 1};
}

void EntryGrid::setCurrentCell(int row, int column) {
    const QModelIndex index = model() ? model()->index(row - 1, column - 1) : QModelIndex();
    if (index.isValid()) setCurrentIndex(index);
}

void EntryGrid::keyPressEvent(QKeyEvent* event) {
    if (m_locked) return;
    if (event->matches(QKeySequence::Copy)) {
        Q_EMIT copyRequested();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        Q_EMIT pasteRequested();
        return;
    }
    if (event->matches(QKeySequence::Undo)) {
        Q_EMIT undoRequested();
        return;
    }
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const QString text = event->text();
    if (mods == Qt::NoModifier && text.size() == 1) {
        const QChar c = text.at(0);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            openEditor(text);
            return;
        }
        if (c == QLatin1Char(' ')) {
            openEditor(QString());
            return;
        }
    }
    if (mods == Qt::NoModifier &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        Q_EMIT enterPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

void EntryGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
    // The editor taking the focus is no leaving.
    const QWidget* now = QApplication::focusWidget();
    if (now && (now == this || isAncestorOf(now))) return;
    Q_EMIT focusLeft();
}

void EntryGrid::resizeEvent(QResizeEvent* event) {
    verticalHeader()->setMaximumWidth(
        std::max(fontMetrics().averageCharWidth() * 16, width() * 2 / 5));
    QTableView::resizeEvent(event);
}

void EntryGrid::mousePressEvent(QMouseEvent* event) {
    if (!m_locked) QTableView::mousePressEvent(event);
}

void EntryGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_locked) return;
    QTableView::mouseDoubleClickEvent(event);
    if (currentIndex().isValid() && !editorOpen()) openEditor(QString());
}

} // namespace mirel::ui
