#include "ui/dataloadingview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTreeWidget>

#include "control/allregions.h"
#include "core/text.h"
#include "ui/frm_mirel.h"

namespace mirel::ui {
namespace {

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

// The prompt of a long run of the view: the window's own, and the Escape key asks the run to
// stop. While it lives, every other input to the program is held back, so that nothing else
// can start in the middle of the run.
class EscapeStops : public QObject, public platform::Prompt {
public:
    explicit EscapeStops(platform::Prompt& inner)
        : m_inner(inner) {
        qApp->installEventFilter(this);
    }
    ~EscapeStops() override { qApp->removeEventFilter(this); }

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override {
        // A message box of its own is answered by the person: let input through meanwhile.
        qApp->removeEventFilter(this);
        m_inner.message(text, icon, title);
        qApp->installEventFilter(this);
    }
    bool askYesNo(const QString& text, const QString& title = QString()) override {
        return m_inner.askYesNo(text, title);
    }
    bool askOkCancel(const QString& text, const QString& title = QString()) override {
        return m_inner.askOkCancel(text, title);
    }
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override {
        return m_inner.inputBox(text, title, proposal);
    }
    void progressStart(int maximum) override { m_inner.progressStart(maximum); }
    void progressValue(int value) override { m_inner.progressValue(value); }
    void progressEnd() override { m_inner.progressEnd(); }
    void status(const QString& text) override { m_inner.status(text); }
    bool stopRequested() override {
        QCoreApplication::processEvents();
        return m_escape || m_inner.stopRequested();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) m_escape = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    platform::Prompt& m_inner;
    bool m_escape = false;
};

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
    control::AllRegionsRun run;
    {
        EscapeStops prompt(m_w.prompt());
        run = control::controlAllRegions(session.forms, target, session.regions, m_registerName,
                                         QDateTime::currentDateTime(), prompt, m_w.browser());
    }
    // The register shows what the files hold now.
    QHash<QString, int> rowOf;
    for (int r = 0; r < m_register->rows.size(); ++r)
        if (!m_register->rows.at(r).code.isEmpty()) rowOf.insert(m_register->rows.at(r).code, r);
    for (const control::RegionRun& region : run.regions) {
        const int row = rowOf.value(region.code, -1);
        if (row < 0 || m_register->missingOnly) continue;
        const QStringList marks =
            data::registerMarks(session, m_register->formCode, region.code, m_register->sections);
        m_register->rows[row].marks = marks;
        setRowMarks(row, marks);
    }
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
    c.Cmd_Summ->setEnabled(session.summEnabled);
    c.Cmd_Summ->show();

    c.Option_VV->setText(QStringLiteral("Все"));
    c.Option_Corr->setText(QStringLiteral("Отсутствующие"));
    setOptionAll();
    c.Option_Log->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{c.Lbl_FFF, c.Combo_FFF, c.Cmd_Load_DD,
                                                      c.Cmd_Summ, c.Frame_Import})
        w->show();
    showFormSelector(view.forms, view.loadEnabled);
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
    if (watched == c.Grid && m_register && typesCharacter(key)) {
        VVOD_Region();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// The grid as both tables of the view use it: a header row, fixed columns on the left shaded
// as headers, cells that are read, not edited.
void DataLoadingView::prepareGrid(const QStringList& header, int rows, int fixedColumns) {
    QTableWidget* grid = m_w.controls().Grid;
    grid->clear();
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
    const QBrush shade = grid->palette().button();
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < header.size(); ++k) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (k < fixedColumns) item->setBackground(shade);
            if (k >= 2) item->setTextAlignment(Qt::AlignCenter);
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
    prepareGrid(table.header, int(table.rows.size()), columns - 1);
    // The two columns after the name as wide as the code; the further ones only when summation
    // columns are shown.
    const int code = grid->columnWidth(0);
    for (int k = 2; k < columns; ++k)
        if (k < 4 || summEnabled) grid->setColumnWidth(k, code);
    for (int r = 0; r < table.rows.size(); ++r)
        for (int k = 0; k < columns && k < table.rows.at(r).size(); ++k)
            setCell(r, k, table.rows.at(r).at(k));
}

void DataLoadingView::showRegister(const data::Register& reg) {
    MainControls& c = m_w.controls();
    QTableWidget* grid = c.Grid;
    // The register keeps one row per classifier slot; "Отсутствующие" lists its regions from
    // the top and leaves the other rows empty.
    prepareGrid(reg.header, int(m_w.session().regions.size()), 2);
    const int section = grid->fontMetrics().horizontalAdvance(QStringLiteral("_999_"));
    for (int k = 2; k < reg.header.size(); ++k)
        grid->setColumnWidth(k, section);
    m_register = reg;
    for (int r = 0; r < reg.rows.size() && r < grid->rowCount(); ++r) {
        const data::RegisterRow& row = reg.rows.at(r);
        setCell(r, 0, row.code);
        setCell(r, 1, row.name);
        if (!reg.missingOnly) setRowMarks(r, row.marks);
    }
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
