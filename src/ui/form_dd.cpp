#include "ui/form_dd.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/entry.h"
#include "data/sectionfile.h"
#include "platform/prompt.h"

namespace mirel::ui {

Form_DD::Form_DD(platform::Prompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_prompt(prompt) {
    setObjectName(QStringLiteral("Form_DD"));
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    SS_Tab = new QTabBar(this);
    SS_Tab->setObjectName(QStringLiteral("SS_Tab"));
    SS_Tab->setExpanding(false);
    Flex_Grid = new QTableWidget(this);
    Flex_Grid->setObjectName(QStringLiteral("Flex_Grid"));
    Flex_Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Flex_Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Flex_Grid->setTabKeyNavigation(false);
    Txt = new QLineEdit(Flex_Grid->viewport());
    Txt->setObjectName(QStringLiteral("Txt"));
    Txt->setFrame(false);
    Txt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Txt->hide();
    Txt->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SS_Tab);
    layout->addWidget(Flex_Grid, 1);

    connect(SS_Tab, &QTabBar::currentChanged, this, &Form_DD::SS_Tab_Click);
    connect(Flex_Grid, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row == m_row && column == m_column) return;
        leaveCell();
        m_row = row;
        m_column = column;
        enterCell();
    });
    // The editor follows its cell when the grid scrolls or a column is resized.
    connect(Flex_Grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &Form_DD::placeEditor);
    connect(Flex_Grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &Form_DD::placeEditor);
    connect(Flex_Grid->horizontalHeader(), &QHeaderView::sectionResized, this,
            &Form_DD::placeEditor);
    connect(Flex_Grid->verticalHeader(), &QHeaderView::sectionResized, this, &Form_DD::placeEditor);
}

void Form_DD::Form_DD_Show(const data::RegionReport& report, const reference::FormCatalog& forms,
                           const QString& datDir) {
    m_report = report;
    m_datDir = datDir;
    m_grids.clear();
    for (qsizetype i = 0; i < report.sections.size(); ++i)
        m_grids.append(data::displayGrid(report, forms, int(i)));
    m_current = -1;
    const QSignalBlocker block(SS_Tab);
    while (SS_Tab->count() > 0)
        SS_Tab->removeTab(0);
    for (const data::DisplayGrid& g : m_grids)
        SS_Tab->addTab(QStringLiteral("Раздел ") + data::sectionNumber(g.section));
    SS_Tab->setCurrentIndex(0);
    SS_Tab_Click(0);
    show();
}

QString Form_DD::currentSection() const {
    const QString caption = SS_Tab->tabText(SS_Tab->currentIndex());
    return caption.mid(caption.lastIndexOf(QLatin1Char(' ')) + 1);
}

void Form_DD::SS_Tab_Click(int index) {
    leaveCell();
    m_current = -1;
    const int section = currentSection().toInt();
    for (qsizetype i = 0; i < m_grids.size(); ++i)
        if (m_grids.at(i).section == section) m_current = int(i);
    if (index < 0) m_current = -1;
    F_Format_String();
}

// Builds the grid of the current section: column numbers above, row numbers on the left, the
// values in between; the editor over the first cell.
void Form_DD::F_Format_String() {
    m_row = -1;
    m_column = -1;
    Txt->hide();
    const QSignalBlocker block(Flex_Grid);
    Flex_Grid->clear();
    if (m_current < 0) {
        Flex_Grid->setRowCount(0);
        Flex_Grid->setColumnCount(0);
        return;
    }
    const data::DisplayGrid& g = m_grids.at(m_current);
    Flex_Grid->setRowCount(g.rows);
    Flex_Grid->setColumnCount(g.columns);
    QStringList numbers;
    for (int c = 1; c <= g.columns; ++c)
        numbers.append(QString::number(c));
    Flex_Grid->setHorizontalHeaderLabels(numbers);
    numbers.clear();
    for (int r = 1; r <= g.rows; ++r)
        numbers.append(QString::number(r));
    Flex_Grid->setVerticalHeaderLabels(numbers);
    for (int r = 0; r < g.rows; ++r) {
        for (int c = 0; c < g.columns; ++c) {
            auto* item = new QTableWidgetItem(g.cells.at(r).at(c));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Flex_Grid->setItem(r, c, item);
        }
    }
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("_99999999999_"));
    for (int c = 0; c < g.columns; ++c)
        Flex_Grid->setColumnWidth(c, width);
    if (g.rows > 0 && g.columns > 0) {
        Flex_Grid->setCurrentCell(0, 0);
        m_row = 0;
        m_column = 0;
        enterCell();
    }
}

void Form_DD::enterCell() {
    if (m_current < 0 || m_row < 0 || m_column < 0) {
        Txt->hide();
        return;
    }
    Txt->setText(m_grids.at(m_current).cell(m_row + 1, m_column + 1));
    Txt->selectAll();
    placeEditor();
    Txt->show();
    Txt->setFocus();
}

void Form_DD::leaveCell() {
    if (m_current < 0 || m_row < 0 || m_column < 0 || Txt->isHidden()) return;
    // A value never holds a blank (a spreadsheet's no-break space included): the data line
    // would fall apart. The entry window's rule.
    const QString text = data::cleanEntry(Txt->text());
    data::DisplayGrid& g = m_grids[m_current];
    if (g.cell(m_row + 1, m_column + 1) == text) return;
    g.setCell(m_row + 1, m_column + 1, text);
    if (QTableWidgetItem* item = Flex_Grid->item(m_row, m_column)) item->setText(text);
}

void Form_DD::moveTo(int row, int column) {
    const data::DisplayGrid& g = m_grids.at(m_current);
    row = std::clamp(row, 0, g.rows - 1);
    column = std::clamp(column, 0, g.columns - 1);
    if (row == m_row && column == m_column) {
        enterCell(); // the cell's text shown again, as written
        return;
    }
    Flex_Grid->setCurrentCell(row, column);
}

void Form_DD::placeEditor() {
    if (m_row < 0 || m_column < 0) return;
    QTableWidgetItem* item = Flex_Grid->item(m_row, m_column);
    if (!item) return;
    Txt->setGeometry(Flex_Grid->visualItemRect(item));
}

bool Form_DD::editorKey(int key, Qt::KeyboardModifiers modifiers) {
    if (m_current < 0 || m_row < 0) return false;
    const data::DisplayGrid& g = m_grids.at(m_current);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        leaveCell();
        if (m_column + 1 < g.columns)
            moveTo(m_row, m_column + 1);
        else if (m_row + 1 < g.rows)
            moveTo(m_row + 1, 0);
        else
            moveTo(m_row, m_column);
        return true;
    case Qt::Key_Escape:
        Txt->setText(g.cell(m_row + 1, m_column + 1));
        Txt->selectAll();
        return true;
    case Qt::Key_Left:
        leaveCell();
        moveTo(m_row, (modifiers & Qt::ShiftModifier) ? 0 : m_column - 1);
        return true;
    case Qt::Key_Right:
        leaveCell();
        moveTo(m_row, (modifiers & Qt::ShiftModifier) ? g.columns - 1 : m_column + 1);
        return true;
    case Qt::Key_Up:
        leaveCell();
        moveTo(m_row - 1, m_column);
        return true;
    case Qt::Key_Down:
        leaveCell();
        moveTo(m_row + 1, m_column);
        return true;
    case Qt::Key_F2:
        saveSection();
        return true;
    default:
        return false;
    }
}

bool Form_DD::saveSection() {
    if (m_current < 0) return false;
    leaveCell();
    return data::saveDisplayGrid(m_grids[m_current], m_datDir, m_report, m_prompt);
}

bool Form_DD::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Txt && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (editorKey(key->key(), key->modifiers())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Form_DD::closeEvent(QCloseEvent* event) {
    leaveCell();
    const bool changed = std::any_of(m_grids.begin(), m_grids.end(),
                                     [](const data::DisplayGrid& g) { return g.changed; });
    if (changed && !m_prompt.askYesNo(QStringLiteral("Данные  изменены !!!"),
                                      QStringLiteral("Выйти без сохранения ?"))) {
        event->ignore();
        return;
    }
    event->accept();
}

// F2 writes the section also while the tabs or the grid have the focus.
void Form_DD::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        saveSection();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form_DD::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeEditor();
}

} // namespace mirel::ui
