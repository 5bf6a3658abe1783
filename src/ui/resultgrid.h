#pragma once

#include <functional>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace mirel::ui {

class Frm_mirel;

// The contents of the result grid: the texts of the header row (empty texts where the grid
// has none) and, per row, the row label followed by one text per value column. columns counts
// the grid columns, the label column included.
struct GridTable {
    QStringList header;
    QList<QStringList> rows;
    int columns = 1;

    QString cell(int row, int column) const { return rows.value(row).value(column); }
};

// The grid of a result matrix: grid column 0 shows the row label (matrix column 0), grid
// column k the value of query column k (matrix column k + 1); the region code column is not
// shown. The grid has the query columns, and every further value column that the matrix
// holds (side-by-side layouts). headerFormat, when given, holds the header cells separated by
// "|" (the "MULTY_REG X" layout).
GridTable gridTable(const QList<QStringList>& matrix, int queryColumns,
                    const QString& headerFormat = QString());

// The page "Записать HTML" writes for the grid, titled with the query's node text and the
// moment of writing. Lines end with CR LF.
QString gridPage(const GridTable& grid, const QString& title, const QDateTime& now);
// Its file name: the date and time as text with every character but the digits replaced by
// "_", then ".HTM".
QString gridPageName(const QDateTime& now);

// The result grid of the main window (Grid, over the query tree) with its buttons: Cmd_calc
// captioned "Закрыть таблицу" while the grid is shown, Cmd_WriteHTML "Записать HTML" and
// Cmd_Map "Карта".
class ResultGrid : public QObject {
    Q_OBJECT
public:
    explicit ResultGrid(Frm_mirel& window);
    ~ResultGrid() override;

    // Fills the grid; with visible set shows it over the tree with its buttons. The column
    // widths the person set for the same key (the query's path) last time are taken again.
    void fill(const GridTable& table, bool visible, const QString& key = QString());
    // "Закрыть таблицу": hides the grid and its buttons, "Выполнить" again.
    void close();
    bool isShown() const { return m_shown; }
    const GridTable& table() const { return m_table; }
    // Width of the label column: the widest row label followed by two blanks.
    int labelWidth() const { return m_labelWidth; }

    // "Записать HTML": writes the page into the temporary folder and opens it. The path, or
    // empty after "Файл не создан !!!".
    QString writeResultGridAsHTML();

    // The text of the selected query node (the page's title) and the clock (tests set it).
    std::function<QString()> title;
    std::function<QDateTime()> clock;
    // The action of "Карта"; the button stays disabled without one.
    void setMapAction(std::function<void()> action);

private:
    void resetGrid();
    // The widths the person gave the columns of the shown table are kept under its key.
    void keepWidths();

    QString m_key;
    bool m_filling = false;
    bool m_resized = false; // the person changed a column width of the shown table

    Frm_mirel& m_window;
    GridTable m_table;
    bool m_shown = false;
    int m_labelWidth = 0;
    std::function<void()> m_mapAction;
};

} // namespace mirel::ui
