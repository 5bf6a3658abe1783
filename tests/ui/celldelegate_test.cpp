#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "ui/celldelegate.h"

namespace {

// The grid drawn by the style's own delegate and by the plain one.
std::pair<QImage, QImage> drawnBoth(QTableWidget& grid) {
    grid.resize(520, 330);
    grid.show();
    QStyledItemDelegate styled;
    mirel::ui::PlainCellDelegate plain;
    grid.setItemDelegate(&styled);
    const QImage expected = grid.grab().toImage();
    grid.setItemDelegate(&plain);
    const QImage drawn = grid.grab().toImage();
    grid.setItemDelegate(nullptr);
    return {expected, drawn};
}

QTableWidgetItem* cell(QTableWidget& grid, int row, int column, const QString& text,
                       Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    grid.setItem(row, column, item);
    return item;
}

} // namespace

// Every kind of cell looks as the style draws it: figures and labels that fit, texts too long
// (elided), lines, check boxes, colours, the current and the selected cells, in two fonts.
TEST(PlainCellDelegate, DrawsEveryCellAsTheStyleDoes) {
    for (const qreal points : {9.0, 12.5}) {
        QTableWidget grid(12, 4);
        QFont font = grid.font();
        font.setPointSizeF(points);
        grid.setFont(font);
        for (int r = 0; r < 12; ++r)
            for (int k = 0; k < 4; ++k)
                cell(grid, r, k, QString::number((r * 7919 + k * 104729) % 100003) + ".5");
        cell(grid, 0, 0, "Северная зона", Qt::AlignLeft | Qt::AlignVCenter);
        cell(grid, 0, 1, "Центр", Qt::AlignCenter);
        cell(grid, 0, 2, "вверху", Qt::AlignLeft | Qt::AlignTop);
        cell(grid, 0, 3, "");
        cell(grid, 1, 0, "Текст, который не помещается в графу");
        cell(grid, 1, 1, "две\nстроки");
        cell(grid, 1, 2, "1 234 567 890 123");
        cell(grid, 2, 0, "-0.001");
        cell(grid, 2, 1, "отмечено")->setCheckState(Qt::Checked);
        cell(grid, 2, 2, "фон")->setBackground(QColor(255, 255, 160));
        cell(grid, 2, 3, "цвет")->setForeground(QColor(160, 0, 0));
        QFont bold = font;
        bold.setBold(true);
        cell(grid, 3, 0, "жирный")->setFont(bold);
        cell(grid, 3, 1, "выключено")->setFlags(Qt::ItemIsSelectable);
        grid.setColumnWidth(2, 60);
        grid.setCurrentCell(4, 1);
        grid.setRangeSelected(QTableWidgetSelectionRange(5, 0, 6, 2), true);

        auto [expected, drawn] = drawnBoth(grid);
        EXPECT_TRUE(drawn == expected) << "font of " << points << " points";
        grid.setWordWrap(false);
        std::tie(expected, drawn) = drawnBoth(grid);
        EXPECT_TRUE(drawn == expected) << "without word wrap, " << points << " points";
    }
}
