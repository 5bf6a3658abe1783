#include "ui/dataloadingview.h"

#include <vector>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDirIterator>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTreeWidget>

#include "control/allregions.h"
#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/fileio.h"
#include "ui/frm_mirel.h"
#include "ui/windowprompt.h"

namespace mirel::ui {
namespace {

// An editable selector shows its text from the start (the form code), not scrolled to its end.
void showSelectorFromStart(QComboBox* combo) {
    if (combo->lineEdit()) combo->lineEdit()->setCursorPosition(0);
}

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// A key that types a character, as a key press of the register reacts to (not the arrows, page
// keys, Tab or Escape, which move or leave).
bool typesCharacter(const QKeyEvent* key) {
    if (isEnter(key)) return true;
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

DataLoadingView::DataLoadingView(Frm_mirel& window)
    : QObject(&window)
    , m_w(window) {
    MainControls& c = m_w.controls();
    m_w.connectAction(c.menu_VV_All, [this] { open(); });
    connect(c.Cmd_Load_DD, &QPushButton::clicked, this, [this] { Cmd_Load_DD(); });
    // A choice from the list fills the register; Enter is caught below, so that a typed code
    // that no entry begins with reaches the register's own check.
    c.Combo_FFF->setInsertPolicy(QComboBox::NoInsert);
    connect(c.Combo_FFF, &QComboBox::activated, this, [this] { Cmd_Load_DD(); });
    c.Combo_FFF->installEventFilter(this);
    if (c.Combo_FFF->lineEdit()) c.Combo_FFF->lineEdit()->installEventFilter(this);
    for (QRadioButton* option : {c.Option_VV, c.Option_Corr})
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) optionChanged();
        });
    for (int i = 0; i < 2; ++i)
        connect(c.Txt_Date[i], &QLineEdit::returnPressed, this, [this, i] { periodEntered(i); });
    connect(c.Grid, &QTableWidget::cellDoubleClicked, this, [this] { VVOD_Region(); });
    c.Grid->installEventFilter(this);
    connect(c.Cmd_Summ, &QPushButton::clicked, this, [this] {
        if (m_w.view() == Frm_mirel::View::Load && m_summAction) m_summAction();
    });

    m_registerMenu = new QMenu(&m_w);
    m_registerMenu->setObjectName(QStringLiteral("menu_Register"));
    QMenu* control = m_registerMenu->addMenu(QStringLiteral("Логический контроль"));
    control->setObjectName(QStringLiteral("menu_Log"));
    QAction* all = control->addAction(QStringLiteral("Все регионы"));
    all->setObjectName(QStringLiteral("menu_Log_All"));
    connect(all, &QAction::triggered, this, [this] { controlAllRegions(); });
    c.Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(c.Grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (m_w.view() != Frm_mirel::View::Load || !m_register) return;
        m_registerMenu->popup(m_w.controls().Grid->viewport()->mapToGlobal(pos));
    });
}

void DataLoadingView::controlAllRegions() {
    if (m_w.view() != Frm_mirel::View::Load || !m_register) return;
    reference::Session& session = m_w.session();
    const control::ControlTarget target{session.dir(core::DirDAT),
                                        session.dir(core::DirFORM),
                                        m_register->formCode,
                                        1,
                                        session.year,
                                        session.month,
                                        {}};
    // The register shows what the files hold now: each region's row is updated as soon as the
    // region is done, with the marks of the files as the run read or wrote them; a file it did
    // not read is read again.
    QHash<QString, int> rowOf;
    for (int r = 0; r < m_register->rows.size(); ++r)
        if (!m_register->rows.at(r).code.isEmpty()) rowOf.insert(m_register->rows.at(r).code, r);
    const auto refresh = [&](const control::RegionRun& region) {
        const int row = rowOf.value(region.code, -1);
        if (row < 0 || m_register->missingOnly) return;
        const QStringList marks = data::registerMarks(session, m_register->formCode, region.code,
                                                      m_register->sections, region.fileMarks);
        m_register->rows[row].marks = marks;
        setRowMarks(row, marks);
    };
    // The window's prompt holds other input back while the run goes on; Escape and "Прервать"
    // stop it.
    control::controlAllRegions(session.forms, target, session.regions, m_registerName,
                               QDateTime::currentDateTime(), m_w.prompt(), m_w.browser(), refresh);
}

void DataLoadingView::setSummAction(std::function<void()> action) {
    m_summAction = std::move(action);
    updateSummButton();
}

void DataLoadingView::updateSummButton() {
    m_w.controls().Cmd_Summ->setEnabled(m_w.session().summEnabled && bool(m_summAction));
}

void DataLoadingView::open() {
    enter(true);
}

void DataLoadingView::periodEntered(int field) {
    if (m_w.view() != Frm_mirel::View::Load) return;
    enter(false);
    MainControls& c = m_w.controls();
    if (field == 0)
        c.Txt_Date[1]->setFocus();
    else
        c.Combo_FFF->setFocus();
}

void DataLoadingView::enter(bool takePreamblePeriod) {
    MainControls& c = m_w.controls();
    reference::Session& session = m_w.session();
    m_w.enterView(Frm_mirel::View::Load);
    m_register.reset();
    m_registerName.clear();
    c.Tree_Pasp->hide();
    c.Grid->hide();

    const data::LoadView view =
        data::enterLoadView(session, takePreamblePeriod, m_w.today(), m_w.prompt());
    if (takePreamblePeriod) m_w.setPeriod(session.year, session.month);

    showRegionGrid(view.regionGrid, session.summEnabled);
    c.Cmd_Summ->setText(QStringLiteral("Алгоритм суммирования"));
    updateSummButton();
    c.Cmd_Summ->show();

    c.Option_VV->setText(QStringLiteral("Все"));
    c.Option_Corr->setText(QStringLiteral("Отсутствующие"));
    setOptionAll();
    c.Option_Log->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{c.Lbl_FFF, c.Combo_FFF, c.Cmd_Load_DD,
                                                      c.Cmd_Summ, c.Frame_Import})
        w->show();
    showFormSelector(view.forms, view.loadEnabled);
    // Ready for a form code to be typed (Enter in a period field moves the focus itself).
    c.Combo_FFF->setFocus();
}

void DataLoadingView::showFormSelector(const QStringList& forms, bool loadEnabled) {
    MainControls& c = m_w.controls();
    m_forms = forms;
    const QSignalBlocker blocker(c.Combo_FFF);
    c.Combo_FFF->clear();
    c.Combo_FFF->addItems(forms);
    if (forms.size() == 1) {
        c.Combo_FFF->setCurrentIndex(0);
    } else {
        c.Combo_FFF->setCurrentIndex(-1);
        c.Combo_FFF->setEditText(QString());
    }
    showSelectorFromStart(c.Combo_FFF);
    int widest = 0;
    for (const QString& name : forms)
        widest = std::max(widest, c.Combo_FFF->fontMetrics().horizontalAdvance(name));
    c.Combo_FFF->view()->setMinimumWidth(widest + 4 * c.Combo_FFF->fontMetrics().height());
    c.Cmd_Load_DD->setEnabled(loadEnabled);
}

void DataLoadingView::Cmd_Load_DD() {
    if (m_w.view() != Frm_mirel::View::Load) return;
    MainControls& c = m_w.controls();
    const int chosen = data::selectFormEntry(c.Combo_FFF->currentText(), m_forms, m_w.prompt());
    if (chosen < 0) return;
    {
        const QSignalBlocker blocker(c.Combo_FFF);
        c.Combo_FFF->setCurrentIndex(chosen);
    }
    showSelectorFromStart(c.Combo_FFF);
    const bool missing = c.Option_Corr->isChecked();
    const std::optional<data::Register> reg =
        data::Cmd_Load_DD(m_w.session(), m_forms.at(chosen).left(3), missing, m_w.prompt());
    if (!reg) return;
    // Every region has reported: the full register is shown under "Все".
    if (missing && !reg->missingOnly) setOptionAll();
    m_registerName = m_forms.at(chosen);
    showRegister(*reg);
}

void DataLoadingView::optionChanged() {
    if (m_w.view() != Frm_mirel::View::Load) return;
    MainControls& c = m_w.controls();
    const QString text = c.Combo_FFF->currentText();
    if (core::Trim(text).isEmpty()) {
        data::selectFormEntry(text, m_forms, m_w.prompt()); // "Не выбрана форма !!!"
        setOptionAll();
        c.Cmd_Summ->hide();
        return;
    }
    Cmd_Load_DD();
}

// Selects "Все" without taking it for a change of the option.
void DataLoadingView::setOptionAll() {
    MainControls& c = m_w.controls();
    const QSignalBlocker all(c.Option_VV);
    const QSignalBlocker absent(c.Option_Corr);
    c.Option_VV->setChecked(true);
}

void DataLoadingView::VVOD_Region() {
    if (m_w.view() != Frm_mirel::View::Load || !m_register) return;
    if (!isSignalConnected(QMetaMethod::fromSignal(&DataLoadingView::entryRequested))) return;
    QTableWidget* grid = m_w.controls().Grid;
    const int row = grid->currentRow();
    if (row < 0 || !grid->item(row, 0)) return;
    const QString code = grid->item(row, 0)->text();
    if (!data::opensEntry(code)) return;
    const QString name = grid->item(row, 1) ? grid->item(row, 1)->text() : QString();
    m_w.g_Caption_VV = data::entryCaption(code, name, m_registerName);
    Q_EMIT entryRequested(code);
    // Data entry may have saved sections: the row shows what the files hold now.
    setRowMarks(
        row, data::registerMarks(m_w.session(), m_register->formCode, code, m_register->sections));
}

bool DataLoadingView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || m_w.view() != Frm_mirel::View::Load)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    MainControls& c = m_w.controls();
    if ((watched == c.Combo_FFF || watched == c.Combo_FFF->lineEdit()) && isEnter(key)) {
        Cmd_Load_DD();
        return true;
    }
    if (watched == c.Grid && m_register && typesCharacter(key) &&
        isSignalConnected(QMetaMethod::fromSignal(&DataLoadingView::entryRequested))) {
        VVOD_Region();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// The grid as both tables of the view use it: a header row, fixed columns on the left shaded
// as headers, cells that are read, not edited. textOf(row, column) gives each cell's text: an
// item gets it before it enters the grid, which then has nothing to hear of.
void DataLoadingView::prepareGrid(const QStringList& header, int rows, int fixedColumns,
                                  const std::function<QString(int, int)>& textOf) {
    QTableWidget* grid = m_w.controls().Grid;
    grid->clear();
    // Columns first, rows after: a grid of the old rows would be laid out again for nothing.
    grid->setRowCount(0);
    grid->setColumnCount(int(header.size()));
    grid->setRowCount(rows);
    grid->setHorizontalHeaderLabels(header);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    // One model item per column: each cell is its copy with the cell's text, which shares the
    // column's shade and alignment instead of setting them again.
    std::vector<QTableWidgetItem> columnItems(size_t(header.size()), QTableWidgetItem(QString()));
    for (int k = 0; k < header.size(); ++k) {
        QTableWidgetItem& model = columnItems[size_t(k)];
        model.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (k < fixedColumns) model.setBackground(grid->palette().button());
        if (k >= 2) model.setTextAlignment(Qt::AlignCenter);
    }
    // Tens of thousands of cells: the view is told once (by whoever fills them), not per cell.
    const QSignalBlocker quiet(grid->model());
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < header.size(); ++k) {
            QTableWidgetItem* item = columnItems[size_t(k)].clone();
            item->setText(textOf(r, k));
            grid->setItem(r, k, item);
        }
    }
    const int code = grid->fontMetrics().horizontalAdvance(QStringLiteral("_999999_"));
    grid->setColumnWidth(0, code);
    if (header.size() > 1) grid->setColumnWidth(1, 4 * code);
}

void DataLoadingView::setCell(int row, int column, const QString& text) {
    if (QTableWidgetItem* item = m_w.controls().Grid->item(row, column)) item->setText(text);
}

void DataLoadingView::showRegionGrid(const data::TextTable& table, bool summEnabled) {
    QTableWidget* grid = m_w.controls().Grid;
    const int columns = int(table.header.size());
    prepareGrid(table.header, int(table.rows.size()), columns - 1, [&](int r, int k) {
        const QStringList& row = table.rows.at(r);
        return k < row.size() ? row.at(k) : QString();
    });
    // The two columns after the name as wide as the code; the further ones only when summation
    // columns are shown.
    const int code = grid->columnWidth(0);
    for (int k = 2; k < columns; ++k)
        if (k < 4 || summEnabled) grid->setColumnWidth(k, code);
    grid->viewport()->update();
    hideEmptyRows();
}

// Slots of the classifier that hold no region (its heading line) keep their rows, hidden.
void DataLoadingView::hideEmptyRows() {
    QTableWidget* grid = m_w.controls().Grid;
    for (int r = 0; r < grid->rowCount(); ++r) {
        const QTableWidgetItem* code = grid->item(r, 0);
        grid->setRowHidden(r, !code || code->text().isEmpty());
    }
}

// A period for which the form has no data file at all says so in the status strip.
void DataLoadingView::sayWhetherDataExist(const data::Register& reg) {
    bool any = false;
    for (const data::RegisterRow& row : reg.rows)
        for (const QString& mark : row.marks)
            if (!mark.isEmpty()) any = true;
    if (!any) {
        const reference::Session& session = m_w.session();
        const QString dir = platform::resolvePath(data::periodDataDir(
            session.dir(core::DirDAT), session.year, session.month, reg.formCode));
        QDirIterator files(dir, QDir::Files);
        any = files.hasNext();
    }
    if (any)
        m_w.windowPrompt().status(QString());
    else
        m_w.windowPrompt().warning(QStringLiteral("Нет данных за отчетный период"));
}

void DataLoadingView::showRegister(const data::Register& reg) {
    MainControls& c = m_w.controls();
    QTableWidget* grid = c.Grid;
    // The register keeps one row per classifier slot; "Отсутствующие" lists its regions from
    // the top and leaves the other rows empty.
    prepareGrid(reg.header, int(m_w.session().regions.size()), 2, [&](int r, int k) {
        if (r >= reg.rows.size()) return QString();
        const data::RegisterRow& row = reg.rows.at(r);
        if (k == 0) return row.code;
        if (k == 1) return row.name;
        return !reg.missingOnly && k - 2 < row.marks.size() ? row.marks.at(k - 2) : QString();
    });
    const int section = grid->fontMetrics().horizontalAdvance(QStringLiteral("_999_"));
    for (int k = 2; k < reg.header.size(); ++k)
        grid->setColumnWidth(k, section);
    m_register = reg;
    grid->viewport()->update();
    hideEmptyRows();
    sayWhetherDataExist(reg);
    grid->show();
    // The cursor starts on the first region, ready for Enter.
    for (int r = 0; r < reg.rows.size(); ++r) {
        if (!reg.rows.at(r).code.isEmpty()) {
            grid->setCurrentCell(r, 0);
            break;
        }
    }
    grid->setFocus();
    c.Cmd_Summ->setText(QStringLiteral("Суммировать"));
    c.Cmd_Summ->show();
}

void DataLoadingView::setRowMarks(int row, const QStringList& marks) {
    for (int s = 0; s < marks.size(); ++s)
        setCell(row, 2 + s, marks.at(s));
}

} // namespace mirel::ui
