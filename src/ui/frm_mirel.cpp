#include "ui/frm_mirel.h"

#include <algorithm>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QTreeWidget>

#include "core/text.h"
#include "platform/fileio.h"
#include "ui/celldelegate.h"
#include "ui/form_yyyymm.h"
#include "ui/messageboxprompt.h"
#include "ui/windowprompt.h"

namespace mirel::ui {
namespace {

// Margins of the window's design, in twips.
constexpr double LeftTwips = 120;
constexpr double TopTwips = 120;
constexpr double TreeRightTwips = 111;
constexpr double TreeBottomTwips = 666;
constexpr double GapTwips = 90;

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

bool Is_VVOD_Reg(const core::IniSections& cnf) {
    const core::IniSection* pre = core::preamble(cnf);
    if (!pre) return false;
    for (QString line : pre->lines) {
        const QString before = core::Cut_Before(line, QStringLiteral("-"));
        if (core::IsNumeric(core::Trim(before))) return true;
    }
    return false;
}

bool V_Otchet(const core::IniSections& cnf) {
    return core::hasIniEntry(cnf, QStringLiteral("OTCHET")) ||
           core::hasIniEntry(cnf, QStringLiteral("ОТЧЕТ"));
}

Frm_mirel::Frm_mirel(const QString& workspace, platform::Prompt& prompt, platform::Browser& browser,
                     QWidget* parent)
    : QMainWindow(parent)
    , m_browser(browser) {
    m_session.programDir = workspace;
    setObjectName(QStringLiteral("Frm_mirel"));
    setWindowTitle(MirelCaption);
    createControls();
    m_prompt =
        std::make_unique<WindowPrompt>(prompt, this, m_c.Progress_Bar, m_c.Lbl_Info, m_c.Cmd_Stop);
    createMenus();
    connectAction(m_c.Menu_YYYYMM, [this] { openPeriodDialog(); });
    connectAction(m_c.mnu_exit, [this] { close(); });
    // "Выход" on the button belongs to the open view; any other caption to the query view.
    connect(m_c.Cmd_calc, &QPushButton::clicked, this, [this] {
        if (m_view != View::Query)
            leaveView();
        else
            Q_EMIT calcClicked();
    });
    createViews();
}

Frm_mirel::~Frm_mirel() {
    // The views watch the window's widgets and use the window: they go first, while the window
    // is whole, and nothing watches the widgets that the base class destroys afterwards.
    m_area->removeEventFilter(this);
    m_periodRow->removeEventFilter(this);
    const QObjectList children = this->children();
    for (QObject* child : children)
        if (!child->isWidgetType() && !qobject_cast<QLayout*>(child) && child != m_prompt.get())
            delete child;
}

platform::Prompt& Frm_mirel::prompt() {
    return *m_prompt;
}

void Frm_mirel::createControls() {
    m_area = named(new QWidget(this), "Frm_mirel_area");
    setCentralWidget(m_area);

    m_periodRow = named(new QWidget(m_area), "Frm_mirel_periodRow");
    auto* row = new QHBoxLayout(m_periodRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(twipsX(60));

    m_c.Lbl_date = named(new QLabel(QStringLiteral("Отчетный период :"), m_periodRow), "Lbl_date");
    const char* design[2] = {"2001", "12"};
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int i = 0; i < 2; ++i) {
        QLineEdit* field =
            named(new QLineEdit(QString::fromLatin1(design[i]), m_periodRow), "Txt_Date");
        field->setProperty("index", i);
        field->setAlignment(Qt::AlignRight);
        field->setFixedWidth(digit * (i == 0 ? 7 : 5));
        m_c.Txt_Date[i] = field;
    }
    m_c.Lbl_date->setBuddy(m_c.Txt_Date[0]);
    connect(m_c.Txt_Date[0], &QLineEdit::textChanged, this,
            [this](const QString& text) { m_session.year = text; });
    connect(m_c.Txt_Date[1], &QLineEdit::textChanged, this,
            [this](const QString& text) { m_session.month = text; });

    m_c.Cmd_calc = named(new QPushButton(QStringLiteral("Выполнить"), m_periodRow), "Cmd_calc");
    m_c.Cmd_calc->setMinimumWidth(
        m_c.Cmd_calc->fontMetrics().horizontalAdvance(QStringLiteral("_Выполнить_")) + digit * 2);
    m_c.Cmd_calc->setEnabled(false);
    m_c.Cmd_Import = named(new QPushButton(QStringLiteral("Загрузить"), m_periodRow), "Cmd_Import");
    m_c.Combo_REG = named(new QComboBox(m_periodRow), "Combo_REG");
    m_c.Combo_REG->setMinimumContentsLength(30);
    m_c.Lbl_FFF = named(new QLabel(QStringLiteral("Форма :"), m_periodRow), "Lbl_FFF");
    m_c.Combo_FFF = named(new QComboBox(m_periodRow), "Combo_FFF");
    m_c.Combo_FFF->setEditable(true);
    // The selector takes the room the row leaves (the whole title on a wide screen, the code
    // and the start of the title at 1024 pixels); its drop-down shows the titles whole.
    m_c.Combo_FFF->setMinimumContentsLength(12);
    m_c.Combo_FFF->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_c.Combo_FFF->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_c.Combo_FFF->setMaximumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 64);
    m_c.Lbl_FFF->setBuddy(m_c.Combo_FFF);
    m_c.Cmd_Load_DD =
        named(new QPushButton(QStringLiteral("Загрузить данные"), m_periodRow), "Cmd_Load_DD");
    m_c.Cmd_Summ =
        named(new QPushButton(QStringLiteral("Алгоритм суммирования"), m_periodRow), "Cmd_Summ");
    m_c.Frame_Import =
        named(new QGroupBox(QStringLiteral("Режим загрузки данных"), m_periodRow), "Frame_Import");
    auto* options = new QHBoxLayout(m_c.Frame_Import);
    options->setContentsMargins(4, 2, 4, 2);
    options->setSpacing(4);
    m_c.Option_VV = named(new QRadioButton(QStringLiteral("Ввод"), m_c.Frame_Import), "Option_VV");
    m_c.Option_Corr =
        named(new QRadioButton(QStringLiteral("Коррекция"), m_c.Frame_Import), "Option_Corr");
    m_c.Option_VV->setChecked(true);
    options->addWidget(m_c.Option_VV);
    options->addWidget(m_c.Option_Corr);
    m_c.Option_Log =
        named(new QCheckBox(QStringLiteral("Логический контроль"), m_periodRow), "Option_Log");
    m_c.Cmd_WriteHTML =
        named(new QPushButton(QStringLiteral("Записать HTML"), m_periodRow), "Cmd_WriteHTML");
    m_c.Cmd_Map = named(new QPushButton(QStringLiteral("Карта"), m_periodRow), "Cmd_Map");

    row->addWidget(m_c.Lbl_date);
    row->addWidget(m_c.Txt_Date[0]);
    row->addWidget(m_c.Txt_Date[1]);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_c.Cmd_calc, m_c.Cmd_Import, m_c.Combo_REG, m_c.Lbl_FFF, m_c.Combo_FFF,
             m_c.Cmd_Load_DD, m_c.Cmd_Summ, m_c.Frame_Import, m_c.Option_Log, m_c.Cmd_WriteHTML,
             m_c.Cmd_Map})
        row->addWidget(w);
    row->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_c.Cmd_Import, m_c.Combo_REG, m_c.Lbl_FFF, m_c.Combo_FFF, m_c.Cmd_Load_DD,
             m_c.Cmd_Summ, m_c.Frame_Import, m_c.Option_Log, m_c.Cmd_WriteHTML, m_c.Cmd_Map})
        w->hide();

    m_c.Tree_Pasp = named(new QTreeWidget(m_area), "Tree_Pasp");
    m_c.Tree_Pasp->setHeaderHidden(true);
    m_c.Tree_Pasp->setColumnCount(1);
    m_c.Grid = named(new QTableWidget(m_area), "Grid");
    // The grid covers the tree: an opaque grid spares drawing the tree beneath it.
    m_c.Grid->setAutoFillBackground(true);
    m_c.Grid->setItemDelegate(new PlainCellDelegate(m_c.Grid));
    m_c.Grid->hide();

    m_c.Lbl_Info = named(new QLabel(m_area), "Lbl_Info");
    m_c.Lbl_Info->setTextFormat(Qt::PlainText);
    m_c.Progress_Bar = named(new QProgressBar(m_area), "Progress_Bar");
    m_c.Progress_Bar->hide();
    m_c.Cmd_Stop = named(new QPushButton(QStringLiteral("Прервать"), m_area), "Cmd_Stop");
    m_c.Cmd_Stop->setToolTip(QStringLiteral("Остановить выполнение (Esc)"));
    m_c.Cmd_Stop->hide();

    m_area->installEventFilter(this);
    m_periodRow->installEventFilter(this);
}

bool Frm_mirel::eventFilter(QObject* watched, QEvent* event) {
    // The tree follows the size of the window; the period row changes its height when a view
    // shows its controls in it.
    if ((watched == m_area && event->type() == QEvent::Resize) ||
        (watched == m_periodRow && event->type() == QEvent::LayoutRequest))
        layoutControls();
    return QMainWindow::eventFilter(watched, event);
}

int Frm_mirel::twipsX(double twips) const {
    return qRound(twips * logicalDpiX() / 1440.0);
}
int Frm_mirel::twipsY(double twips) const {
    return qRound(twips * logicalDpiY() / 1440.0);
}

void Frm_mirel::Ini_Me() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect r = screen->availableGeometry();
    move(r.topLeft());
    resize(r.width(), qRound(r.height() * 0.95));
    layoutControls();
}

void Frm_mirel::layoutControls() {
    if (!m_area || !m_periodRow) return;
    const int left = twipsX(LeftTwips);
    const int rowHeight = m_periodRow->sizeHint().height();
    m_periodRow->setGeometry(left, twipsY(TopTwips), std::max(1, m_area->width() - 2 * left),
                             rowHeight);
    if (m_periodRow->layout()) m_periodRow->layout()->activate();

    // The tree starts 1.3 field heights below the top of the year field and keeps its margins
    // to the right and bottom edges; a size below 1 leaves the tree as it is.
    const QLineEdit* year = m_c.Txt_Date[0];
    const int fieldTop = year->mapTo(m_area, QPoint(0, 0)).y();
    const int fieldHeight = year->height();
    const int top = fieldTop + qRound(1.3 * fieldHeight);
    QRect tree = m_c.Tree_Pasp->geometry();
    tree.moveTopLeft(QPoint(left, top));
    const int width = m_area->width() - left - twipsX(TreeRightTwips);
    const int height = m_area->height() - top - twipsY(TreeBottomTwips);
    if (width >= 1) tree.setWidth(width);
    if (height >= 1) tree.setHeight(height);
    m_c.Tree_Pasp->setGeometry(tree);

    // The grid covers the tree, below the period row when that has grown taller.
    QRect grid = tree;
    const int rowBottom = m_periodRow->geometry().bottom() + twipsY(GapTwips);
    if (rowBottom > grid.top()) grid.setTop(std::min(rowBottom, grid.bottom()));
    m_c.Grid->setGeometry(grid);

    // Progress and status in the strip under the tree.
    const int stripTop = tree.bottom() + 1 + twipsY(GapTwips);
    const int stopWidth = m_c.Cmd_Stop->sizeHint().width();
    const int stripHeight =
        std::max(1, std::min(std::max(fieldHeight, m_c.Cmd_Stop->sizeHint().height()),
                             m_area->height() - stripTop));
    const int barWidth = std::max(1, tree.width() / 3 - stopWidth);
    const int gap = twipsX(GapTwips);
    m_c.Lbl_Info->setGeometry(
        left, stripTop, std::max(1, tree.width() - barWidth - stopWidth - 2 * gap), stripHeight);
    m_c.Cmd_Stop->setGeometry(tree.right() + 1 - stopWidth, stripTop, stopWidth, stripHeight);
    m_c.Progress_Bar->setGeometry(tree.right() + 1 - stopWidth - gap - barWidth, stripTop, barWidth,
                                  stripHeight);
}

int Frm_mirel::load(const QDate& today) {
    m_today = today;
    Ini_Me();
    if (reference::F_Global(m_session, today, prompt()) != 0) return -1;
    m_c.Txt_Date[0]->setText(m_session.year);
    m_c.Txt_Date[1]->setText(m_session.month);
    createImportEntries();
    V_VVOD_Reg();
    Q_EMIT loaded();

    const QString shif = m_session.dir(core::DirSHIF);
    setItemEnabled(m_c.Menu_CorrCod, platform::fileExists(shif + QStringLiteral("/CORR_COD.TXT")));
    QStringList summFiles{QStringLiteral(" ")};
    const bool summ = core::Summ_Files(m_session.cnf, summFiles, shif, prompt()) == 0;
    setItemEnabled(m_c.Menu_Summ, summ);
    setItemEnabled(m_c.Menu_VSumm, summ);

    setPeriod(core::Trim(m_c.Txt_Date[0]->text()), core::Trim(m_c.Txt_Date[1]->text()));
    return 0;
}

void Frm_mirel::V_VVOD_Reg() {
    const core::IniSections& cnf = m_session.cnf;
    m_c.mnu_Otchet->setVisible(false);
    if (Is_VVOD_Reg(cnf)) {
        m_c.menu_VV_All->setVisible(false);
        m_c.mnu_VV->setVisible(true);
    } else {
        m_c.mnu_VV->setVisible(false);
        m_c.menu_VV_All->setVisible(core::preamble(cnf) != nullptr);
    }
    if (V_Otchet(cnf)) m_c.mnu_Otchet->setVisible(true);
}

void Frm_mirel::setPeriod(const QString& year, const QString& month) {
    m_c.Txt_Date[0]->setText(year);
    m_c.Txt_Date[1]->setText(month);
}

void Frm_mirel::openPeriodDialog() {
    Form_YYYYMM dialog(m_session.iniPath(), prompt(), this);
    if (dialog.exec() == QDialog::Accepted) setPeriod(dialog.year(), dialog.month());
}

void Frm_mirel::connectAction(QAction* action, std::function<void()> handler) {
    m_unbuilt.remove(action);
    action->setEnabled(true);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
}

void Frm_mirel::setItemEnabled(QAction* item, bool enabled) {
    item->setEnabled(enabled && !m_unbuilt.contains(item));
}

} // namespace mirel::ui
