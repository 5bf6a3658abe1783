#include "ui/resultgrid.h"

#include <algorithm>
#include <QCryptographicHash>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <vector>

#include "core/files.h"
#include "core/html.h"
#include "core/text.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "ui/frm_mirel.h"
#include "ui/messageboxprompt.h"
#include "ui/settings.h"

namespace mirel::ui {
namespace {

// A value cell of the result grid: its text and its right alignment are answered, not stored as
// item data, so that a table of a million cells costs one small object per cell.
class ValueItem final : public QTableWidgetItem {
public:
    explicit ValueItem(const QString& text)
        : QTableWidgetItem(UserType)
        , m_text(text) {}

    QVariant data(int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) return m_text;
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
        return QTableWidgetItem::data(role);
    }
    void setData(int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) m_text = value.toString();
        QTableWidgetItem::setData(role, value); // tells the view
    }
    QTableWidgetItem* clone() const override { return new ValueItem(*this); }

private:
    QString m_text;
};

// A row label: its text, and the size of its header section, which the header would otherwise
// measure by laying out the texts of a few hundred labels every time it lays the grid out.
class LabelItem final : public QTableWidgetItem {
public:
    LabelItem(const QString& text, QSize size)
        : QTableWidgetItem(UserType)
        , m_text(text)
        , m_size(size) {}

    QVariant data(int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) return m_text;
        if (role == Qt::SizeHintRole) return m_size;
        return QTableWidgetItem::data(role);
    }
    void setData(int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) m_text = value.toString();
        QTableWidgetItem::setData(role, value);
    }
    QTableWidgetItem* clone() const override { return new LabelItem(*this); }

private:
    QString m_text;
    QSize m_size;
};

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
    grid.rows.reserve(matrix.size());
    for (const QStringList& row : matrix) {
        QStringList cells;
        cells.reserve(grid.columns);
        cells.append(row.value(0));
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
    connect(c.Grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (m_shown && !m_filling) m_resized = true;
    });
}

void ResultGrid::setMapAction(std::function<void()> action) {
    m_mapAction = std::move(action);
    m_window.controls().Cmd_Map->setEnabled(bool(m_mapAction));
}

namespace {
// The texts of a grid column most likely to be its widest: the longest ones by characters, each
// text once.
QStringList longestTexts(const GridTable& table, int column) {
    constexpr int Kept = 24;
    std::vector<std::pair<qsizetype, int>> lengths;
    lengths.reserve(table.rows.size());
    for (int r = 0; r < table.rows.size(); ++r) {
        const QStringList& row = table.rows.at(r);
        lengths.emplace_back(column < row.size() ? row.at(column).size() : 0, r);
    }
    const auto keep = lengths.begin() + std::min<qsizetype>(Kept, qsizetype(lengths.size()));
    std::partial_sort(lengths.begin(), keep, lengths.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList out;
    for (auto it = lengths.begin(); it != keep; ++it) {
        const QString text = table.cell(it->second, column);
        if (!out.contains(text)) out.append(text);
    }
    return out;
}
} // namespace

ResultGrid::~ResultGrid() {
    keepWidths();
}

namespace {
QString widthsKey(const QString& key) {
    return QStringLiteral("resultGrid/") +
           QString::fromLatin1(
               QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}
} // namespace

void ResultGrid::keepWidths() {
    if (!m_shown || !m_resized || m_key.isEmpty()) return;
    const QTableWidget* grid = m_window.controls().Grid;
    QVariantList widths;
    for (int k = 0; k < grid->columnCount(); ++k)
        widths.append(grid->columnWidth(k));
    userSettings()->setValue(widthsKey(m_key), widths);
    m_resized = false;
}

void ResultGrid::fill(const GridTable& table, bool visible, const QString& key) {
    keepWidths();
    const QScopedValueRollback<bool> filling(m_filling, true);
    m_key = key;
    m_resized = false;
    m_table = table;
    QTableWidget* grid = m_window.controls().Grid;
    resetGrid();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Columns first: the view lays itself out when they change, and has no rows yet to measure.
    grid->setColumnCount(table.columns - 1);
    grid->setRowCount(int(table.rows.size()));

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
    for (const QString& label : longestTexts(table, 0))
        m_labelWidth =
            std::max(m_labelWidth, metrics.horizontalAdvance(label + QStringLiteral("  ")));
    // The header section draws its own margins around the text.
    const int labelsWidth = m_labelWidth + metrics.horizontalAdvance(QLatin1Char('0')) * 2;
    const QSize labelSize(labelsWidth, labels->defaultSectionSize());
    {
        // Tens of thousands of cells: the view is told once at the end, not for every cell.
        const QSignalBlocker quiet(grid->model());
        for (int r = 0; r < table.rows.size(); ++r) {
            const QStringList& row = table.rows.at(r);
            grid->setVerticalHeaderItem(r, new LabelItem(row.value(0), labelSize));
            const int given = std::min(table.columns, int(row.size()));
            for (int k = 1; k < table.columns; ++k)
                grid->setItem(r, k - 1, new ValueItem(k < given ? row.at(k) : QString()));
        }
    }
    grid->viewport()->update();
    labels->viewport()->update();
    labels->setMinimumWidth(labelsWidth);
    // Each column as wide as its widest text: measured on the longest texts only, which is
    // what decides for figures (measuring every cell of a large table costs more than
    // computing it).
    const QFontMetrics cells(grid->font());
    const int margin =
        2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) +
        cells.horizontalAdvance(QLatin1Char('0'));
    QHeaderView* top = grid->horizontalHeader();
    for (int k = 1; k < table.columns; ++k) {
        int width = top->sectionSizeHint(k - 1);
        for (const QString& text : longestTexts(table, k))
            width = std::max(width, cells.horizontalAdvance(text) + margin);
        grid->setColumnWidth(k - 1, width);
    }
    grid->setProperty("labelWidth", m_labelWidth);
    if (!key.isEmpty()) {
        const QVariantList widths = userSettings()->value(widthsKey(key)).toList();
        if (widths.size() == grid->columnCount())
            for (int k = 0; k < widths.size(); ++k)
                grid->setColumnWidth(k, std::max(1, widths.at(k).toInt()));
    }

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
    keepWidths();
    const MainControls& c = m_window.controls();
    if (m_shown) {
        c.Grid->hide();
        resetGrid();
        c.Grid->clear();
        c.Grid->setRowCount(0);
        c.Grid->setColumnCount(0);
        m_table = GridTable(); // its memory goes now, not while the next table is filled
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
    grid->setRowCount(0); // rows hidden by another view go with them
    QHeaderView* labels = grid->verticalHeader();
    labels->setMinimumWidth(0);
    labels->setDefaultAlignment(Qt::AlignCenter);
    labels->setSectionResizeMode(QHeaderView::Interactive);
    grid->setProperty("labelWidth", QVariant());
}

QString ResultGrid::writeResultGridAsHTML() {
    const QDateTime now = clock();
    const QString dir = platform::tempDir();
    const QString name = gridPageName(now);
    const QString page = core::withCharset(gridPage(m_table, title ? title() : QString(), now));
    // Two pages within one second get the names name, name_1...: none replaces another.
    const QString path = platform::writeNewFile(dir, name.chopped(4), QStringLiteral(".HTM"),
                                                platform::encode1251(page));
    if (path.isEmpty()) {
        platform::showError(m_window.prompt(), QStringLiteral("Файл не создан !!!"),
                            dir + QLatin1Char('/') + name);
        return QString();
    }
    if (!m_window.browser().open(path))
        m_window.prompt().message(pageNotShownText(path), platform::Icon::Warning);
    return path;
}

} // namespace mirel::ui
