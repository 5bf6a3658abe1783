#pragma once

#include <QStyledItemDelegate>

namespace mirel::ui {

// Draws the cells of the shared grid as the style's own delegate does, at a third of the cost
// for the common cell: one line of plain text that fits its column, neither selected nor
// current, without check box or icon, is laid out once instead of three times. Every other cell
// is drawn by the style's delegate.
class PlainCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace mirel::ui
