#include "ui/form_vsumm.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QTableWidget>

#include "core/text.h"

namespace mirel::ui {
namespace {

// The captions of one part of a format string: "|^  гр.1   |^  гр.2   " gives "гр.1", "гр.2"
// ("^" centres a column; the blanks only widen it).
QStringList captions(const QString& part) {
    QStringList result;
    const QStringList pieces = part.split(QLatin1Char('|'));
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        QString caption = pieces.at(i);
        if (caption.startsWith(QLatin1Char('^')) || caption.startsWith(QLatin1Char('<')) ||
            caption.startsWith(QLatin1Char('>')))
            caption.remove(0, 1);
        result.append(core::Trim(caption));
    }
    return result;
}

} // namespace

Form_VSumm::Form_VSumm(const aggregate::DiffGrid& grid, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Form_VSumm"));
    setWindowTitle(
        QStringLiteral("Разность между  просчитанным значением суммы и записанным в базе."));
    Flex_Grid = new QTableWidget(this);
    Flex_Grid->setObjectName(QStringLiteral("Flex_Grid"));
    Flex_Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    const qsizetype split = grid.g_Format_String.indexOf(QLatin1Char(';'));
    const QStringList columns = captions(grid.g_Format_String.left(split));
    const QStringList rows = captions(split < 0 ? QString() : grid.g_Format_String.mid(split + 1));
    Flex_Grid->setColumnCount(int(columns.size()));
    Flex_Grid->setRowCount(int(rows.size()));
    Flex_Grid->setHorizontalHeaderLabels(columns);
    Flex_Grid->setVerticalHeaderLabels(rows);
    Flex_Grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);

    const QStringList lines = grid.g_DD_String.split(core::CRLF);
    for (int i = 0; i < rows.size() && i < lines.size(); ++i) {
        const QStringList values = lines.at(i).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int j = 0; j < columns.size() && j < values.size(); ++j) {
            auto* cell = new QTableWidgetItem(values.at(j));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // A cell that differs stands out.
            if (values.at(j) != QLatin1String("0")) {
                QFont bold = cell->font();
                bold.setBold(true);
                cell->setFont(bold);
            }
            Flex_Grid->setItem(i, j, cell);
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Flex_Grid);
    resize(720, 420);
}

} // namespace mirel::ui
