#include "ui/resultgrid.h"

#include <algorithm>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "core/files.h"
#include "core/text.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "ui/frm_mirel.h"

namespace mirel::ui {
namespace {

const QString CloseCaption = QStringLiteral("Закрыть таблицу");
const QString RunCaption = QStringLiteral("Выполнить");

// Cell texts come from data files and classifiers: never let them read as markup.
QString escaped(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    t.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    t.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    return t;
}

} // namespace

GridTable gridTable(const QList<QStringList>& matrix, int queryColumns,
                    const QString& headerFormat) {
    GridTable grid;
    qsizetype width = 0;
    for (const QStringList& row : matrix)
        width = std::max(width, row.size());
    const int values = std::max<int>(std::max(queryColumns, 0), int(width) - 2);
    grid.columns = values + 1;
    for (const QStringList& row : matrix) {
        QStringList cells{row.value(0)};
        for (int k = 1; k <= values; ++k)
            cells.append(row.value(k + 1));
        grid.rows.append(cells);
    }
    grid.header = QStringList(grid.columns);
    if (!headerFormat.isEmpty()) {
        const QStringList parts = headerFormat.split(QLatin1Char('|'));
        for (int k = 0; k < grid.columns && k < parts.size(); ++k)
            grid.header[k] = parts.at(k);
    }
    return grid;
}

QString gridPageName(const QDateTime& now) {
    QString name = now.toString(QStringLiteral("dd.MM.yyyy H:mm:ss"));
    for (QChar& c : name)
        if (!c.isDigit()) c = QLatin1Char('_');
    return name + QStringLiteral(".HTM");
}

QString gridPage(const GridTable& grid, const QString& title, const QDateTime& now) {
    const QString br = core::CRLF;
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QTime time = now.time();
    QString page;
    for (const char* line : {"<html>", "<head>", "<title>", "Отчет", "</title>", "</head>",
                             "<body bgcolor='white'>", "<font face='Arial, Helvetica'>"})
        page += QString::fromUtf8(line) + br;
    page += QStringLiteral("<p aline= center><b>") + escaped(title) + QStringLiteral(" ( ") +
            russian.toString(now.date(), QStringLiteral("d MMMM yyyy")) + QStringLiteral(" г. ") +
            QStringLiteral("%1.%2.%3 )").arg(time.hour()).arg(time.minute()).arg(time.second()) +
            QStringLiteral("</b><br>") + br;
    for (const char* line : {"</font>", "<hr>", "<center>", "<font face='Courier New, Courier'>",
                             "<table border>", "<tr>"})
        page += QString::fromUtf8(line) + br;
    for (int k = 0; k < grid.columns; ++k) {
        QString text = grid.header.value(k);
        if (text.isEmpty())
            text =
                k == 0 ? QStringLiteral("Боковина") : QStringLiteral("Графа ") + QString::number(k);
        page += QStringLiteral("<td><b>") + escaped(text) + QStringLiteral("</b></td>");
    }
    page += QStringLiteral("</tr>") + br;
    for (const QStringList& row : grid.rows) {
        page += br + QStringLiteral("<tr>");
        for (int k = 0; k < grid.columns; ++k) {
            QString text = row.value(k);
            if (text.startsWith(QLatin1Char('*'))) text = QStringLiteral("*******");
            page += (k == 0 ? QStringLiteral("<td align=left> ")
                            : QStringLiteral("<td align=right> ")) +
                    escaped(text) + QStringLiteral("</td>");
        }
        page += br + QStringLiteral("</tr>");
    }
    for (const char* line : {"</table>", "</font>", "</center>", "</body>", "</html>"})
        page += br + QString::fromUtf8(line);
    return page;
}

ResultGrid::ResultGrid(Frm_mirel& window)
    : QObject(&window)
    , m_window(window) {
    setObjectName(QStringLiteral("ResultGrid"));
    clock = [] { return QDateTime::currentDateTime(); };
    const MainControls& c = window.controls();
    c.Cmd_Map->setEnabled(false);
    connect(c.Cmd_WriteHTML, &QPushButton::clicked, this, [this] { writeResultGridAsHTML(); });
    connect(c.Cmd_Map, &QPushButton::clicked, this, [this] {
        if (m_mapAction) m_mapAction();
    });
}

void ResultGrid::setMapAction(std::function<void()> action) {
    m_mapAction = std::move(action);
    m_window.controls().Cmd_Map->setEnabled(bool(m_mapAction));
}

void ResultGrid::fill(const GridTable& table, bool visible) {
    m_table = table;
    QTableWidget* grid = m_window.controls().Grid;
    resetGrid();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid->setRowCount(int(table.rows.size()));
    grid->setColumnCount(table.columns - 1);

    // The header row and the label column stay in place while the values scroll.
    QStringList header;
    for (int k = 1; k < table.columns; ++k) {
        const QString text = table.header.value(k);
        header.append(text.isEmpty() ? QStringLiteral("Графа ") + QString::number(k) : text);
    }
    grid->setHorizontalHeaderLabels(header);
    QHeaderView* labels = grid->verticalHeader();
    labels->setVisible(true);
    labels->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    labels->setSectionResizeMode(QHeaderView::Fixed);
    labels->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);

    const QFontMetrics metrics(labels->font());
    m_labelWidth = 0;
    for (int r = 0; r < table.rows.size(); ++r) {
        const QString label = table.cell(r, 0);
        m_labelWidth =
            std::max(m_labelWidth, metrics.horizontalAdvance(label + QStringLiteral("  ")));
        grid->setVerticalHeaderItem(r, new QTableWidgetItem(label));
        for (int k = 1; k < table.columns; ++k) {
            auto* item = new QTableWidgetItem(table.cell(r, k));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(r, k - 1, item);
        }
    }
    // The header section draws its own margins around the text.
    labels->setMinimumWidth(m_labelWidth + metrics.horizontalAdvance(QLatin1Char('0')) * 2);
    grid->resizeColumnsToContents();
    grid->setProperty("labelWidth", m_labelWidth);

    if (!visible) return;
    m_shown = true;
    const MainControls& c = m_window.controls();
    grid->show();
    grid->raise();
    grid->setFocus();
    c.Cmd_calc->setText(CloseCaption);
    c.Cmd_WriteHTML->show();
    c.Cmd_Map->show();
}

void ResultGrid::close() {
    const MainControls& c = m_window.controls();
    if (m_shown) {
        c.Grid->hide();
        resetGrid();
        c.Grid->clear();
        c.Grid->setRowCount(0);
        c.Grid->setColumnCount(0);
    }
    m_shown = false;
    c.Cmd_calc->setText(RunCaption);
    c.Cmd_WriteHTML->hide();
    c.Cmd_Map->hide();
    c.Tree_Pasp->setFocus();
}

// The grid is shared with the other views: leave its headers as they were made.
void ResultGrid::resetGrid() {
    QTableWidget* grid = m_window.controls().Grid;
    grid->clear();
    QHeaderView* labels = grid->verticalHeader();
    labels->setMinimumWidth(0);
    labels->setDefaultAlignment(Qt::AlignCenter);
    labels->setSectionResizeMode(QHeaderView::Interactive);
    grid->setProperty("labelWidth", QVariant());
}

QString ResultGrid::writeResultGridAsHTML() {
    const QDateTime now = clock();
    const QString name = gridPageName(now);
    const QString page = gridPage(m_table, title ? title() : QString(), now);
    // A name nobody holds in the shared temporary folder, never a link planted there.
    const QString path = platform::writeNewFile(platform::tempDir(), name.chopped(4), name.right(4),
                                                platform::encode1251(page));
    if (path.isEmpty()) {
        platform::showError(m_window.prompt(), QStringLiteral("Файл не создан !!!"),
                            platform::tempDir() + QLatin1Char('/') + name);
        return QString();
    }
    m_window.browser().open(path);
    return path;
}

} // namespace mirel::ui
