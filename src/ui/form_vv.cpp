#include "ui/form_vv.h"

#include <limits>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include "control/formcontrol.h"
#include "control/printpage.h"
#include "core/files.h"
#include "core/lists.h"
#include "core/text.h"
#include "data/loadview.h"
#include "data/protection.h"
#include "data/summaryreport.h"
#include "platform/fileio.h"
#include "platform/mail.h"
#include "query/calcsection.h"
#include "ui/form_vv_grid.h"

namespace mirel::ui {

// The prompt of the entry window: messages and questions go to the prompt it was given;
// progress is shown on the window's own bar, which is drawn whenever the run lets the window
// handle its events (when it asks whether to stop, a few times a second). A long run may be
// stopped with "Прервать" (or by the prompt it reports to); meanwhile the rest of the window takes
// no input, so that nothing else starts in the middle of it.
class EntryPrompt : public platform::Prompt {
public:
    EntryPrompt(platform::Prompt& inner, QProgressBar* bar, QLabel* info, QPushButton* stop,
                std::function<void(bool)> busy)
        : m_inner(inner)
        , m_bar(bar)
        , m_info(info)
        , m_stop(stop)
        , m_busy(std::move(busy)) {}

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override {
        m_inner.message(text, icon, title);
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
    void progressStart(int maximum) override {
        m_stopRequested = false;
        if (m_depth++ == 0) {
            m_busy(true);
            if (m_stop) m_stop->show();
        }
        if (m_bar) {
            m_bar->setRange(0, std::max(0, maximum));
            m_bar->setValue(0);
            m_bar->show();
        }
        m_inner.progressStart(maximum);
    }
    void progressValue(int value) override {
        if (m_bar) m_bar->setValue(value);
        m_inner.progressValue(value);
    }
    void progressEnd() override {
        if (m_bar) m_bar->hide();
        if (m_depth > 0 && --m_depth == 0) {
            if (m_stop) m_stop->hide();
            m_busy(false);
        }
        m_inner.progressEnd();
    }
    void status(const QString& text) override {
        if (m_info) m_info->setText(text);
        m_inner.status(text);
    }
    bool stopRequested() override {
        QCoreApplication::processEvents();
        return m_stopRequested || m_inner.stopRequested();
    }
    void requestStop() { m_stopRequested = true; }

private:
    platform::Prompt& m_inner;
    QPointer<QProgressBar> m_bar;
    QPointer<QLabel> m_info;
    QPointer<QPushButton> m_stop;
    std::function<void(bool)> m_busy;
    bool m_stopRequested = false;
    int m_depth = 0;
};

// The sections of the whole-form control as the window holds them: each one shown in its tab
// (save-on-leave first) and saved with its mark by the window's save.
class FormVVSections : public control::FormSections {
public:
    FormVVSections(Form_VV& window, platform::Prompt& prompt)
        : m_w(window)
        , m_prompt(prompt) {}

    // The section on screen is checked as it stands; the others are read as the window reads
    // a section it shows (computed ones computed again), without turning the tabs.
    const control::SectionCells* load(int section) override {
        m_cells.reset();
        data::SectionGrid* grid = &m_w.m_grid;
        if (section != m_w.m_section) {
            Form_VV::LoadedSection loaded = m_w.readSection(section);
            if (!loaded.structureOk || loaded.loadFailed) return nullptr;
            m_other = std::move(loaded.grid);
            m_otherBytes = std::move(loaded.bytes);
            grid = &m_other;
        } else if (!m_w.m_structureOk || m_w.m_loadFailed) {
            return nullptr;
        }
        m_cells = std::make_unique<control::GridCells>(*grid);
        return m_cells.get();
    }
    bool save(int section, const QString& mark) override {
        const bool current = section == m_w.m_section;
        data::SectionGrid& grid = current ? m_w.m_grid : m_other;
        if (grid.section() != section) return false;
        const bool saved = grid.changed()
                               ? !data::VV_Save(grid, m_w.key(), mark, m_prompt).isEmpty()
                               : markOnly(grid,
                                          current ? platform::readFileBytes(m_w.key().path(section))
                                                  : m_otherBytes,
                                          mark);
        if (current)
            m_w.afterSave(saved);
        else if (saved)
            m_w.setTabCaption(section, grid.caption());
        return saved;
    }
    bool proceed(int section, int count) override {
        if (!m_progress) m_progress = std::make_unique<platform::Progress>(m_prompt, count);
        return m_progress->step(section - 1);
    }
    void finish() { m_progress.reset(); }

private:
    // A section as stored gets its state line and nothing else, as the command marks it (no
    // write at all when the mark is there already); a section without a file gets one.
    bool markOnly(data::SectionGrid& grid, const std::optional<QByteArray>& bytes,
                  const QString& mark) {
        const QString path = m_w.key().path(grid.section());
        if (!bytes || bytes->isEmpty())
            return !data::VV_Save(grid, m_w.key(), mark, m_prompt).isEmpty();
        const QByteArray updated = control::withStateLine(*bytes, mark);
        if (updated != *bytes && !platform::writeFileAtomic(path, updated)) {
            m_prompt.message(QStringLiteral("Ошибка при записи информации !!!"),
                             platform::Icon::Error, path);
            return false;
        }
        QString shown = core::Trim(mark);
        if (shown.startsWith(QLatin1String("PR_"))) shown = shown.mid(3);
        grid.setCaption(data::sectionNumber(grid.section()) + QStringLiteral(": ") + shown);
        return true;
    }

    Form_VV& m_w;
    platform::Prompt& m_prompt;
    data::SectionGrid m_other;
    std::optional<QByteArray> m_otherBytes; // its file as read
    std::unique_ptr<control::GridCells> m_cells;
    std::unique_ptr<platform::Progress> m_progress;
};

namespace {

const QString Attention = QStringLiteral("ВНИМАНИЕ !!!");

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QAction* barItem(QMenuBar* bar, const char* name, const QString& caption) {
    QAction* item = bar->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

QMenu* barMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

// The lock shown while the data are protected.
QPixmap lockPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPen pen(QColor(120, 80, 0), s / 9);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(s * 0.28, s * 0.08, s * 0.44, s * 0.5), 0, 180 * 16);
    p.drawLine(QPointF(s * 0.28, s * 0.33), QPointF(s * 0.28, s * 0.45));
    p.drawLine(QPointF(s * 0.72, s * 0.33), QPointF(s * 0.72, s * 0.45));
    p.setPen(QPen(QColor(120, 80, 0), s / 16));
    p.setBrush(QColor(230, 180, 40));
    p.drawRoundedRect(QRectF(s * 0.15, s * 0.42, s * 0.7, s * 0.52), s / 12, s / 12);
    p.setBrush(QColor(90, 60, 0));
    p.drawEllipse(QRectF(s * 0.44, s * 0.56, s * 0.12, s * 0.12));
    return pixmap;
}

QString markerPath(const QString& programDir, const char* name) {
    return programDir + QLatin1Char('/') + QLatin1String(name);
}

} // namespace

Form_VV::Form_VV(reference::Session& session, const QString& caption, platform::Prompt& prompt,
                 platform::Browser& browser, platform::Mailer& mailer, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_caption(caption)
    , m_browser(browser)
    , m_mailer(mailer) {
    setObjectName(QStringLiteral("Form_VV"));
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Ввод данных.") : caption);
    createControls();
    m_prompt = std::make_unique<EntryPrompt>(prompt, m_c.Progress_Bar, m_c.Lbl_Info, m_c.Cmd_Stop,
                                             [this](bool busy) { setRunning(busy); });
    createMenus();
    connectActions();
    const bool down = platform::fileExists(markerPath(m_session.programDir, "KEY_DOWN"));
    setMovement(down, false);
}

Form_VV::~Form_VV() {
    // The model points into m_grid, which goes first.
    if (m_model) m_model->setGrid(nullptr);
}

void Form_VV::createControls() {
    auto* layout = new QVBoxLayout(this);
    m_c.menuBar = named(new QMenuBar(this), "Form_VV_menu");
    layout->setMenuBar(m_c.menuBar);

    m_body = new QWidget(this);
    auto* body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_body, 1);

    auto* top = new QHBoxLayout;
    auto* period = new QLabel(QStringLiteral("Отчетный период :"), m_body);
    top->addWidget(period);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int i = 0; i < 2; ++i) {
        m_c.Txt_Date[i] = named(new QLineEdit(m_body), "Txt_Date");
        m_c.Txt_Date[i]->setProperty("index", i);
        m_c.Txt_Date[i]->setReadOnly(true);
        m_c.Txt_Date[i]->setFocusPolicy(Qt::NoFocus);
        m_c.Txt_Date[i]->setAlignment(Qt::AlignRight);
        m_c.Txt_Date[i]->setFixedWidth(digit * (i == 0 ? 7 : 5));
        top->addWidget(m_c.Txt_Date[i]);
    }
    m_c.Lbl_BasePer = named(new QLabel(m_body), "Lbl_BasePer");
    top->addSpacing(digit * 2);
    top->addWidget(m_c.Lbl_BasePer);
    top->addStretch(1);
    m_c.Frame_Move = named(new QGroupBox(QStringLiteral("Движение"), m_body), "Frame_Move");
    auto* move = new QHBoxLayout(m_c.Frame_Move);
    move->setContentsMargins(6, 2, 6, 2);
    m_c.Option_Down =
        named(new QRadioButton(QStringLiteral("Вниз"), m_c.Frame_Move), "Option_Down");
    m_c.Option_Right =
        named(new QRadioButton(QStringLiteral("Вправо"), m_c.Frame_Move), "Option_Right");
    move->addWidget(m_c.Option_Down);
    move->addWidget(m_c.Option_Right);
    top->addWidget(m_c.Frame_Move);
    m_c.Cmd_Matrix = named(new QPushButton(QStringLiteral("Печать"), m_body), "Cmd_Matrix");
    m_c.Cmd_Matrix->setAutoDefault(false);
    top->addWidget(m_c.Cmd_Matrix);
    m_c.Picture_Box = named(new QLabel(m_body), "Picture_Box");
    const int lock = fontMetrics().height() * 2;
    m_c.Picture_Box->setPixmap(lockPicture(lock));
    m_c.Picture_Box->setFixedSize(lock, lock);
    m_c.Picture_Box->setToolTip(QStringLiteral("Данные защищены"));
    m_c.Picture_Box->hide();
    top->addWidget(m_c.Picture_Box);
    body->addLayout(top);

    m_c.Tab_VV = named(new QTabBar(m_body), "Tab_VV");
    m_c.Tab_VV->setExpanding(false);
    m_c.Tab_VV->setDrawBase(true);
    body->addWidget(m_c.Tab_VV);
    m_c.Grid_VV = new EntryGrid(m_body);
    m_model = new SectionGridModel(this);
    m_model->onEdit = [this](int row, int column, const QString& text) {
        return cellEdited(row, column, text);
    };
    m_c.Grid_VV->setModel(m_model);
    body->addWidget(m_c.Grid_VV, 1);

    auto* bottom = new QHBoxLayout;
    m_c.Lbl_Info = named(new QLabel(this), "Lbl_Info");
    m_c.Lbl_Info->setTextFormat(Qt::PlainText);
    bottom->addWidget(m_c.Lbl_Info, 2);
    m_c.Progress_Bar = named(new QProgressBar(this), "Progress_Bar");
    m_c.Progress_Bar->hide();
    bottom->addWidget(m_c.Progress_Bar, 1);
    m_c.Cmd_Stop = named(new QPushButton(QStringLiteral("Прервать"), this), "Cmd_Stop");
    m_c.Cmd_Stop->setAutoDefault(false);
    m_c.Cmd_Stop->hide();
    bottom->addWidget(m_c.Cmd_Stop);
    // The strip keeps its place while the bar and the button come and go, so that a run does
    // not lay the grid out and repaint it twice.
    for (QWidget* w : std::initializer_list<QWidget*>{m_c.Progress_Bar, m_c.Cmd_Stop}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    layout->addLayout(bottom);

    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        resize(std::max(640, r.width() * 9 / 10), std::max(480, r.height() * 85 / 100));
    }
}

void Form_VV::createMenus() {
    QMenuBar* bar = m_c.menuBar;
    m_c.menu_Forms = barMenu(bar, "menu_Forms", QStringLiteral("Формы"));
    m_c.menu_Save = barItem(bar, "menu_Save", QStringLiteral("Сохранить"));
    m_c.menu_Log = barMenu(bar, "menu_Log", QStringLiteral("Логический контроль"));
    m_c.menu_LogRR = menuItem(m_c.menu_Log, "menu_LogRR", QStringLiteral("Раздела"));
    m_c.menu_LogFFF = menuItem(m_c.menu_Log, "menu_LogFFF", QStringLiteral("Формы"));
    m_c.menu_Protect = barItem(bar, "menu_Protect", QStringLiteral("Защита данных: установить"));
    m_c.menu_Svod = barItem(bar, "menu_Svod", QStringLiteral("Сводный отчет"));
    m_c.menu_Export = barItem(bar, "menu_Export", QStringLiteral("Экспорт"));
    m_c.menu_Del = barMenu(bar, "menu_Del", QStringLiteral("Удалить"));
    m_c.menu_DelRR = menuItem(m_c.menu_Del, "menu_DelRR", QStringLiteral("Раздел"));
    m_c.menu_DelAll = menuItem(m_c.menu_Del, "menu_DelAll", QStringLiteral("Все разделы"));
    m_c.menu_Clear = barItem(bar, "menu_Clear", QStringLiteral("Очистить"));
    m_c.menu_Exit = barItem(bar, "menu_Exit", QStringLiteral("Выход"));
    for (QAction* item : {m_c.menu_Save, m_c.menu_Protect, m_c.menu_Svod, m_c.menu_Export,
                          m_c.menu_Clear, m_c.menu_Del->menuAction(), m_c.menu_Log->menuAction()})
        item->setEnabled(false);
}

void Form_VV::connectActions() {
    connect(m_c.menu_Save, &QAction::triggered, this, [this] { menu_Save_Click(); });
    connect(m_c.menu_LogRR, &QAction::triggered, this, [this] { menu_LogRR_Click(); });
    connect(m_c.menu_LogFFF, &QAction::triggered, this, [this] { menu_LogFFF_Click(); });
    connect(m_c.menu_Protect, &QAction::triggered, this, [this] { menu_Protect_Click(); });
    connect(m_c.menu_Svod, &QAction::triggered, this, [this] { menu_Svod_Click(); });
    connect(m_c.menu_Export, &QAction::triggered, this, [this] { menu_Export_Click(); });
    connect(m_c.menu_DelRR, &QAction::triggered, this, [this] { menu_DelRR_Click(); });
    connect(m_c.menu_DelAll, &QAction::triggered, this, [this] { menu_DelAll_Click(); });
    connect(m_c.menu_Clear, &QAction::triggered, this, [this] { menu_Clear_Click(); });
    connect(m_c.menu_Exit, &QAction::triggered, this, [this] { close(); });
    connect(m_c.Cmd_Matrix, &QPushButton::clicked, this, [this] { Cmd_Matrix_Click(); });
    connect(m_c.Cmd_Stop, &QPushButton::clicked, this, [this] { m_prompt->requestStop(); });
    connect(m_c.Option_Down, &QRadioButton::toggled, this, [this](bool on) {
        if (on) setMovement(true, true);
    });
    connect(m_c.Option_Right, &QRadioButton::toggled, this, [this](bool on) {
        if (on) setMovement(false, true);
    });
    connect(m_c.Tab_VV, &QTabBar::currentChanged, this, [this](int index) {
        if (m_switching || index < 0) return;
        const int previous = m_section;
        if (m_running || !showTab(index + 1)) {
            const QSignalBlocker blocker(m_c.Tab_VV);
            m_c.Tab_VV->setCurrentIndex(previous - 1);
        }
    });
    EntryGrid* grid = m_c.Grid_VV;
    connect(grid->editorDelegate(), &CellEditorDelegate::movedOut, this,
            [this](int key) { moveAfterEdit(key); });
    connect(grid, &EntryGrid::enterPressed, this, [this] { moveAfterEdit(Qt::Key_Return); });
    connect(grid, &EntryGrid::copyRequested, this, [this] { copySelection(); });
    connect(grid, &EntryGrid::pasteRequested, this, [this] { pasteClipboard(); });
    connect(grid, &EntryGrid::undoRequested, this, [this] { undo(); });
    connect(grid, &EntryGrid::focusLeft, this, [this] {
        // After the focus has settled: a tab click that caused it saves first.
        QTimer::singleShot(0, this, [this, section = m_section] {
            if (!m_form || !m_structureOk || section != m_section || m_running ||
                m_c.Grid_VV->editorOpen())
                return;
            const data::LeaveResult r =
                data::V__Changed(m_grid, key(), m_structureOk, m_loadFailed, *m_prompt);
            if (r != data::LeaveResult::Unchanged) afterSave(r == data::LeaveResult::Saved);
        });
    });
}

void Form_VV::setMovement(bool down, bool remember) {
    {
        const QSignalBlocker a(m_c.Option_Down);
        const QSignalBlocker b(m_c.Option_Right);
        m_c.Option_Down->setChecked(down);
        m_c.Option_Right->setChecked(!down);
    }
    if (!remember) return;
    // The choice is kept for the next run as an empty marker file; a workspace that cannot take
    // it keeps the choice for this run only.
    const QString chosen = markerPath(m_session.programDir, down ? "KEY_DOWN" : "KEY_RIGHT");
    const QString other = markerPath(m_session.programDir, down ? "KEY_RIGHT" : "KEY_DOWN");
    if (!platform::fileExists(chosen)) platform::writeFileAtomic(chosen, QByteArray());
    if (platform::fileExists(other)) platform::removeFile(other);
}

bool Form_VV::load() {
    const core::YearMonth period = data::entryPeriod(m_session);
    m_c.Txt_Date[0]->setText(period.year);
    m_c.Txt_Date[1]->setText(period.month);
    const data::EntryCaption parts = data::parseEntryCaption(m_caption);
    if (!data::checkEntryValues(period.year, period.month, parts.regionCode, *m_prompt))
        return false;
    Mod_Menu_Form();
    if (parts.formCode.isEmpty()) {
        m_c.Lbl_BasePer->hide();
        m_c.Grid_VV->hide();
        m_c.Cmd_Matrix->setEnabled(false);
        m_c.Lbl_Info->setText(QStringLiteral("Выберите форму в меню \"Формы\"."));
        return true;
    }
    return VVOD_FFF();
}

void Form_VV::Mod_Menu_Form() {
    m_c.menu_Forms->clear();
    m_formNames = data::VVOD_Combo_FFF(m_session, *m_prompt);
    for (const QString& name : m_formNames) {
        QString caption = name;
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = m_c.menu_Forms->addAction(caption);
        connect(item, &QAction::triggered, this, [this, name] { chooseForm(name); });
    }
}

bool Form_VV::VVOD_FFF() {
    std::optional<data::EntryForm> form = data::openEntryForm(m_session, m_caption, *m_prompt);
    if (!form) return false;
    m_model->setGrid(nullptr);
    m_form = std::move(form);
    const QString base = m_form->basePeriod;
    m_c.Lbl_BasePer->setText(base.left(4) + QLatin1Char(' ') + base.mid(4, 2) +
                             QStringLiteral(" - последнее изменение формы"));
    m_c.Lbl_BasePer->show();
    m_c.Lbl_Info->clear();
    const int count = m_form->sectionCount();
    m_changed = QList<bool>(count, false);
    m_wrong.clear();
    {
        const QSignalBlocker blocker(m_c.Tab_VV);
        while (m_c.Tab_VV->count() > 0)
            m_c.Tab_VV->removeTab(0);
        for (int s = 1; s <= count; ++s) {
            const QString mark = data::registerMark(m_form->path(s));
            m_c.Tab_VV->addTab(mark.isEmpty()
                                   ? data::sectionNumber(s)
                                   : data::sectionNumber(s) + QStringLiteral(": ") + mark);
        }
        m_c.Tab_VV->setCurrentIndex(0);
    }
    m_c.Picture_Box->hide();
    m_c.menu_Export->setEnabled(false);
    m_c.menu_Clear->setEnabled(true);
    m_c.menu_Save->setEnabled(true);
    m_c.menu_Svod->setEnabled(true);
    m_c.menu_Forms->menuAction()->setEnabled(true);
    loadSection(1);
    return true;
}

Form_VV::LoadedSection Form_VV::readSection(int section) {
    LoadedSection out;
    const reference::SectionStructure& structure = m_form->entry.sections.at(section - 1);
    if (structure.rows.isEmpty() || structure.columns.isEmpty()) {
        m_prompt->message(QStringLiteral("Ошибка при чтении структурного файла !!!"),
                          platform::Icon::None, QStringLiteral("ВЫХОД !!!"));
        return out;
    }
    out.structureOk = true;
    out.grid = data::SectionGrid::fromStructure(section, structure);
    const QString& formDir = m_form->formDir;
    data::applyZeroMap(
        out.grid, data::F_A_Zero(formDir, m_form->formCode(), section, m_form->basePeriod),
        data::zeroMapPath(formDir, m_form->formCode(), section, m_form->basePeriod), *m_prompt);
    const QString path = m_form->path(section);
    out.bytes = platform::readFileBytes(path);
    out.loadFailed = (out.bytes ? data::Load_DD_Bytes(out.grid, *out.bytes, path, false, *m_prompt)
                                : data::Load_DD(out.grid, path, false, *m_prompt)) != 0;
    // What a failed load put into the grid is not an edit of the person.
    out.grid.setChanged(false);
    if (out.loadFailed) return out;
    out.recalc = query::recalcSection(out.grid, *m_form, m_session.forms, *m_prompt);
    if (out.recalc == query::Recalc::Changed)
        m_prompt->message(QStringLiteral("Данные были изменены при пересчете раздела !!!"),
                          platform::Icon::Warning, QStringLiteral("Внимание !!!"));
    return out;
}

void Form_VV::loadSection(int section) {
    m_model->setGrid(nullptr);
    m_section = section;
    m_undo.clear();
    LoadedSection loaded = readSection(section);
    m_grid = std::move(loaded.grid);
    m_structureOk = loaded.structureOk;
    m_loadFailed = loaded.loadFailed;
    m_computed = loaded.recalc != query::Recalc::NoCalc;
    m_c.Grid_VV->setVisible(m_structureOk);
    if (m_structureOk) {
        m_model->setGrid(&m_grid);
        m_model->setWrongCells(m_wrong.value(section));
        setTabCaption(section, m_grid.caption());
        if (loaded.recalc == query::Recalc::Changed) {
            markChanged(true);
            m_c.menu_Forms->menuAction()->setEnabled(false);
            m_c.menu_Save->setEnabled(true);
        }
        m_c.Grid_VV->setCurrentCell(1, 1);
    }
    Log_Enable();
    Mod_MenuProtect();
    Mod_MenuDel();
    const QString document =
        data::sectionDocumentPath(m_form->formDir, m_form->formCode(), m_form->basePeriod, section);
    m_c.Cmd_Matrix->setText(platform::fileExists(document) ? QStringLiteral("Документ")
                                                           : QStringLiteral("Печать"));
    m_c.Cmd_Matrix->setEnabled(m_structureOk);
}

bool Form_VV::showTab(int section) {
    if (!m_form || section < 1 || section > m_form->sectionCount()) return false;
    m_c.Grid_VV->commitEditor();
    if (section == m_section) return true;
    if (!leaveSection()) return false;
    {
        m_switching = true;
        m_c.Tab_VV->setCurrentIndex(section - 1);
        m_switching = false;
    }
    loadSection(section);
    return true;
}

bool Form_VV::leaveSection() {
    if (!m_form || !m_structureOk) return true;
    const data::LeaveResult r =
        data::V__Changed(m_grid, key(), m_structureOk, m_loadFailed, *m_prompt);
    if (r == data::LeaveResult::Saved) afterSave(true);
    if (r != data::LeaveResult::Failed) {
        markChanged(false);
        return true;
    }
    afterSave(false);
    // The typed values are still on screen: they are dropped only when the person says so.
    if (!m_prompt->askYesNo(QStringLiteral("Данные  изменены !!!"),
                            QStringLiteral("Выйти без сохранения ?")))
        return false;
    markChanged(false);
    return true;
}

data::DataKey Form_VV::key() const {
    return m_form ? m_form->key : data::DataKey();
}

bool Form_VV::sectionChanged(int section) const {
    return section >= 1 && section <= m_changed.size() && m_changed.at(section - 1);
}

bool Form_VV::anyChanged() const {
    return m_changed.contains(true);
}

void Form_VV::markChanged(bool changed) {
    if (m_section >= 1 && m_section <= m_changed.size()) m_changed[m_section - 1] = changed;
    if (!anyChanged() && m_form) m_c.menu_Forms->menuAction()->setEnabled(true);
}

void Form_VV::setTabCaption(int section, const QString& caption) {
    if (section >= 1 && section <= m_c.Tab_VV->count() &&
        m_c.Tab_VV->tabText(section - 1) != caption)
        m_c.Tab_VV->setTabText(section - 1, caption);
}

void Form_VV::afterSave(bool saved) {
    if (!saved) {
        // The protection item stays as the files are: when they are protected, removing the
        // protection is how the typed values still get saved.
        m_c.menu_Del->menuAction()->setEnabled(false);
        Mod_MenuProtect();
        return;
    }
    setTabCaption(m_section, m_grid.caption());
    m_undo.clear();
    markChanged(false);
    Mod_MenuProtect();
    Mod_MenuDel();
}

void Form_VV::Mod_MenuProtect() {
    if (!m_form) return;
    const data::ProtectionState state = data::protectionState(key(), m_form->sectionCount());
    m_c.menu_Protect->setText(data::protectCaption(state.isProtected));
    m_c.menu_Protect->setEnabled(state.complete);
    m_c.Picture_Box->setVisible(state.isProtected);
    if (!state.complete) m_c.menu_Del->menuAction()->setEnabled(false);
}

void Form_VV::Mod_MenuDel() {
    if (!m_form) return;
    const bool exists = platform::fileExists(m_form->path(m_section));
    const bool locked = m_c.Picture_Box->isVisibleTo(this);
    m_c.menu_Del->menuAction()->setEnabled(exists && !locked);
}

void Form_VV::Log_Enable() {
    const control::LogMenu menu = control::Log_Enable(
        m_form->formDir, m_form->formCode(), m_form->basePeriod, m_section, m_form->sectionCount());
    m_c.menu_Log->menuAction()->setEnabled(menu.control);
    m_c.menu_LogRR->setEnabled(menu.section && m_structureOk);
    m_c.menu_LogFFF->setEnabled(menu.form);
}

bool Form_VV::cellEdited(int row, int column, const QString& text) {
    const std::optional<data::CellEdit> edit = data::enterValue(m_grid, row, column, text);
    if (!edit) return false;
    if (edit->before != edit->after) {
        m_undo.append({*edit});
        markChanged(true);
        if (m_wrong[m_section].remove({row, column}))
            m_model->setWrongCells(m_wrong.value(m_section));
    }
    m_model->refreshCell(row, column);
    return true;
}

void Form_VV::moveAfterEdit(int key) {
    if (!m_structureOk) return;
    auto [row, column] = m_c.Grid_VV->currentCell();
    if (row == 0) return;
    const int rows = m_grid.rows();
    const int columns = m_grid.columns();
    switch (key) {
    case Qt::Key_Return:
        if (m_c.Option_Right->isChecked()) {
            if (column < columns)
                ++column;
            else if (row < rows) {
                ++row;
                column = 1;
            }
        } else if (row < rows) {
            ++row;
        }
        break;
    case Qt::Key_Up:
        row = std::max(1, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(rows, row + 1);
        break;
    case Qt::Key_Left:
        column = std::max(1, column - 1);
        break;
    case Qt::Key_Right:
        column = std::min(columns, column + 1);
        break;
    default:
        break;
    }
    m_c.Grid_VV->setCurrentCell(row, column);
    if (key == Qt::Key_Return && m_computed) {
        const query::Recalc r = query::recalcSection(m_grid, *m_form, m_session.forms, *m_prompt);
        if (r == query::Recalc::Changed) {
            m_model->refresh();
            markChanged(true);
        }
    }
}

void Form_VV::copySelection() {
    if (!m_structureOk) return;
    const QModelIndexList selected = m_c.Grid_VV->selectionModel()->selectedIndexes();
    auto [top, left] = m_c.Grid_VV->currentCell();
    int bottom = top;
    int right = left;
    if (!selected.isEmpty()) {
        top = left = std::numeric_limits<int>::max();
        bottom = right = 0;
        for (const QModelIndex& i : selected) {
            top = std::min(top, i.row() + 1);
            left = std::min(left, i.column() + 1);
            bottom = std::max(bottom, i.row() + 1);
            right = std::max(right, i.column() + 1);
        }
    }
    if (top < 1) return;
    QApplication::clipboard()->setText(data::copyBlock(m_grid, top, left, bottom, right));
}

void Form_VV::pasteClipboard() {
    if (!m_structureOk) return;
    const auto [row, column] = m_c.Grid_VV->currentCell();
    if (row == 0) return;
    const QList<data::CellEdit> edits =
        data::pasteBlock(m_grid, row, column, data::parseMatrix(QApplication::clipboard()->text()));
    if (edits.isEmpty()) return;
    m_undo.append(edits);
    for (const data::CellEdit& e : edits)
        m_wrong[m_section].remove({e.row, e.column});
    m_model->setWrongCells(m_wrong.value(m_section));
    markChanged(true);
}

void Form_VV::undo() {
    if (m_undo.isEmpty() || !m_structureOk) return;
    data::undoEdits(m_grid, m_undo.takeLast());
    m_model->refresh();
    markChanged(true);
}

void Form_VV::setWrongCells(int section, const QList<std::pair<int, int>>& cells) {
    QSet<std::pair<int, int>> set(cells.begin(), cells.end());
    m_wrong[section] = set;
    if (section == m_section) m_model->setWrongCells(set);
}

void Form_VV::menu_Save_Click() {
    if (!m_form || !m_structureOk) return;
    m_c.Grid_VV->commitEditor();
    afterSave(!data::VV_Save(m_grid, key(), QString(), *m_prompt).isEmpty());
}

void Form_VV::menu_LogRR_Click() {
    if (!m_form || !m_structureOk) return;
    m_c.Grid_VV->commitEditor();
    const control::ControlTarget target{m_form->key.datDir,  m_form->formDir,  m_form->formCode(),
                                        m_section,           m_form->key.year, m_form->key.month,
                                        m_form->regionCode()};
    const control::GridCells cells(m_grid);
    const control::SectionControl run = control::controlSection(
        m_session.forms, target, cells, QDateTime::currentDateTime(), *m_prompt, m_browser);
    if (run.run.checked()) setWrongCells(m_section, run.run.wrongCells);
}

void Form_VV::menu_LogFFF_Click() {
    if (!m_form) return;
    m_c.Grid_VV->commitEditor();
    if (!leaveSection()) return;
    const control::ControlTarget target{
        m_form->key.datDir, m_form->formDir,   m_form->formCode(),  1,
        m_form->key.year,   m_form->key.month, m_form->regionCode()};
    FormVVSections sections(*this, *m_prompt);
    const control::FormControl run =
        control::controlForm(m_session.forms, target, sections, m_caption,
                             QDateTime::currentDateTime(), *m_prompt, m_browser);
    sections.finish();
    for (const control::SectionOutcome& s : run.sections)
        if (s.run.checked()) setWrongCells(s.section, s.run.wrongCells);
    if (run.stopped) m_prompt->message(platform::stoppedText());
    const data::ProtectionState state = data::protectionState(key(), m_form->sectionCount());
    if (run.ran && !run.stopped && state.complete && !state.isProtected) {
        m_c.menu_Protect->setText(data::protectCaption(false));
        m_c.menu_Protect->setEnabled(true);
        m_c.menu_Export->setEnabled(true);
    }
}

void Form_VV::menu_Protect_Click() {
    if (!m_form) return;
    m_c.Grid_VV->commitEditor();
    QString caption = m_c.menu_Protect->text();
    core::Cut_Before(caption, QStringLiteral(":"));
    const bool on = core::Trim(caption) == QStringLiteral("установить");
    const bool lock = data::setProtection(key(), m_form->sectionCount(), on, *m_prompt);
    Mod_MenuProtect();
    m_c.Picture_Box->setVisible(lock);
    Mod_MenuDel();
}

void Form_VV::menu_Svod_Click() {
    if (!m_form) return;
    m_c.Grid_VV->commitEditor();
    if (!leaveSection()) return;
    const std::optional<QStringList> written = data::VV__Svod(*m_form, *m_prompt, m_browser);
    if (!written) return;
    if (!m_prompt->askOkCancel(QStringLiteral("Вы сохранили все данные ?"), Attention)) return;
    if (!m_prompt->askOkCancel(QStringLiteral("Отправить по электронной почте ?"))) return;
    const std::optional<QString> to = data::E_Mail(m_session.cnf, *m_prompt);
    if (!to) return;
    data::E__Mail(*to, key(), m_form->sectionCount(), m_mailer, *m_prompt);
}

void Form_VV::menu_Export_Click() {
    if (!m_form) return;
    m_c.Grid_VV->commitEditor();
    const QString proposal =
        m_form->regionCode() + QLatin1Char('_') + m_form->formCode() + QStringLiteral(".txt");
    std::optional<QString> file;
    if (chooseExportFile) {
        file = chooseExportFile(proposal);
    } else {
        const QString chosen = QFileDialog::getSaveFileName(
            this, QStringLiteral("Экспорт"), QDir::home().filePath(proposal),
            QStringLiteral("All Files (*)"), nullptr, QFileDialog::DontConfirmOverwrite);
        if (!chosen.isEmpty()) file = chosen;
    }
    if (!file) {
        data::exportCancelled(*m_prompt);
        return;
    }
    data::DD_Export(key(), m_form->sectionCount(), *file, *m_prompt);
}

void Form_VV::menu_DelRR_Click() {
    if (!m_form) return;
    m_c.Grid_VV->commitEditor();
    if (data::menu_DelRR(key(), m_section, *m_prompt) != data::DeleteResult::Deleted) return;
    m_grid.clearData();
    m_grid.setCaption(data::sectionNumber(m_section));
    setTabCaption(m_section, m_grid.caption());
    m_wrong.remove(m_section);
    m_model->setWrongCells({});
    m_undo.clear();
    markChanged(false);
    m_loadFailed = false;
    Mod_MenuProtect();
    m_c.menu_Del->menuAction()->setEnabled(false);
}

void Form_VV::menu_DelAll_Click() {
    if (!m_form) return;
    m_c.Grid_VV->commitEditor();
    const std::optional<QList<int>> deleted =
        data::menu_DelAll(key(), m_form->sectionCount(), *m_prompt);
    if (!deleted) return;
    for (int s : *deleted) {
        setTabCaption(s, data::sectionNumber(s));
        m_wrong.remove(s);
        if (s - 1 < m_changed.size()) m_changed[s - 1] = false;
    }
    if (deleted->contains(m_section)) {
        m_grid.clearData();
        m_grid.setCaption(data::sectionNumber(m_section));
        m_model->setWrongCells({});
        m_undo.clear();
        m_loadFailed = false;
    }
    markChanged(false);
    Mod_MenuProtect();
    Mod_MenuDel();
}

void Form_VV::menu_Clear_Click() {
    if (!m_form || !m_structureOk) return;
    m_c.Grid_VV->commitEditor();
    if (!m_prompt->askOkCancel(QStringLiteral("Очистить раздел ?"), Attention)) return;
    QList<data::CellEdit> edits;
    for (int r = 1; r <= m_grid.rows(); ++r) {
        for (int c = 1; c <= m_grid.columns(); ++c) {
            const QString before = m_grid.cell(r, c);
            if (before == QLatin1String("0")) continue;
            m_grid.setCell(r, c, QStringLiteral("0"));
            edits.append({r, c, before, QStringLiteral("0")});
        }
    }
    if (!edits.isEmpty()) m_undo.append(edits);
    m_model->refresh();
    markChanged(true);
}

void Form_VV::Cmd_Matrix_Click() {
    if (!m_form || !m_structureOk || m_running) return;
    m_c.Grid_VV->commitEditor();
    const QString document = data::sectionDocumentPath(m_form->formDir, m_form->formCode(),
                                                       m_form->basePeriod, m_section);
    const QStringList lines = platform::fileExists(document)
                                  ? core::Read_Lines(document, false, *m_prompt)
                                  : QStringList();
    const QString title =
        control::matrixTitle(m_form->regionCode(), m_form->regionName, m_form->formCode(),
                             m_section, m_form->key.year, m_form->key.month);
    control::Cmd_Matrix(m_grid, title, m_caption, core::isEmptyList(lines) ? QStringList() : lines,
                        QDateTime::currentDateTime(), *m_prompt, m_browser);
}

void Form_VV::chooseForm(const QString& formName) {
    m_c.Grid_VV->commitEditor();
    if (anyChanged() && !m_prompt->askYesNo(QStringLiteral("Данные  изменены !!!"),
                                            QStringLiteral("Выйти без сохранения ?")))
        return;
    const qsizetype dot = m_caption.indexOf(QLatin1Char('.'));
    const QString head = dot < 0 ? m_caption + QLatin1Char('.') : m_caption.left(dot + 1);
    const QString previous = m_caption;
    m_caption = head + QLatin1Char(' ') + formName;
    if (!data::openEntryForm(m_session, m_caption, *m_prompt)) {
        m_caption = previous;
        return;
    }
    m_changed.fill(false);
    setWindowTitle(m_caption);
    m_c.Grid_VV->show();
    VVOD_FFF();
}

void Form_VV::setRunning(bool running) {
    // The grid and the tabs stay as they are drawn (a long run must not pay for repainting the
    // window twice); they only take no input until the run ends.
    m_running = running;
    m_c.menuBar->setEnabled(!running);
    m_c.Grid_VV->setLocked(running);
    for (QWidget* w : std::initializer_list<QWidget*>{m_c.Tab_VV, m_c.Frame_Move, m_c.Cmd_Matrix})
        w->setAttribute(Qt::WA_TransparentForMouseEvents, running);
    if (running)
        m_c.Cmd_Stop->setFocus();
    else
        m_c.Grid_VV->setFocus();
}

bool Form_VV::mayClose() {
    return !m_running && !m_c.Grid_VV->editorOpen() && leaveSection();
}

void Form_VV::reject() {
    if (mayClose()) QDialog::reject();
}

void Form_VV::closeEvent(QCloseEvent* event) {
    if (!isVisible()) {
        event->accept();
        return;
    }
    if (!mayClose()) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::reject();
}

} // namespace mirel::ui
