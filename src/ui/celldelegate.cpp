#include "ui/celldelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace mirel::ui {

void PlainCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // The style keeps this margin between the text and the cell's sides.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    bool plain =
        !(opt.features &
          (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration)) &&
        !(opt.state & (QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Editing)) &&
        opt.backgroundBrush.style() == Qt::NoBrush && opt.direction == Qt::LeftToRight &&
        !opt.text.contains(QLatin1Char('\n')) && !opt.text.contains(QChar::LineSeparator);
    QTextLayout layout;
    if (plain && !opt.text.isEmpty()) {
        layout.setText(opt.text);
        layout.setFont(opt.font);
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::ManualWrap);
        textOption.setTextDirection(opt.direction);
        textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
        layout.setTextOption(textOption);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        // A text wider than its cell is elided: the style's delegate does that.
        plain = line.naturalTextWidth() <= textRect.width();
    }
    if (!plain) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->setClipRect(opt.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    if (!opt.text.isEmpty()) {
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : !(opt.state & QStyle::State_Active)
                                               ? QPalette::Inactive
                                               : QPalette::Normal;
        painter->setPen(opt.palette.color(group, QPalette::Text));
        // The line stands where the style puts it: its height centred (or aligned) in the cell.
        const QSize size(textRect.width(), qRound(layout.lineAt(0).height()));
        const QRect at = QStyle::alignedRect(opt.direction, opt.displayAlignment, size, textRect);
        layout.draw(painter, QPointF(textRect.x(), at.y()));
    }
    painter->restore();
}

} // namespace mirel::ui
