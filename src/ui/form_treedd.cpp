#include "ui/form_treedd.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "data/reportpages.h"
#include "reference/session.h"
#include "ui/form_dd.h"
#include "ui/frm_mirel.h"
#include "ui/messageboxprompt.h"
#include "ui/windowprompt.h"

namespace mirel::ui {
namespace {

// What a tree item keeps of its node.
enum Role {
    KeyRole = Qt::UserRole,
    KindRole,
    FolderRole,
    FormRole,
    PeriodRole,
    RegionRole,
    ListedRole, // a period whose regions were listed
};

data::ReportFolder folderOf(const QTreeWidgetItem* item) {
    data::ReportFolder f;
    f.name = item->data(0, FolderRole).toString();
    f.formCode = item->data(0, FormRole).toString();
    f.shortPeriod = item->data(0, PeriodRole).toString();
    return f;
}

data::ReportNode::Kind kindOf(const QTreeWidgetItem* item) {
    return data::ReportNode::Kind(item->data(0, KindRole).toInt());
}

} // namespace

Form_TreeDD::Form_TreeDD(const reference::Session& session, platform::Prompt& prompt,
                         platform::Browser& browser, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_browser(browser) {
    setObjectName(QStringLiteral("Form_TreeDD"));
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Отчеты."));
    TreeView = new QTreeWidget(this);
    TreeView->setObjectName(QStringLiteral("TreeView"));
    TreeView->setHeaderHidden(true);
    Lbl_Info = new QLabel(this);
    Lbl_Info->setObjectName(QStringLiteral("Lbl_Info"));
    Progress_Bar = new QProgressBar(this);
    Progress_Bar->setObjectName(QStringLiteral("Progress_Bar"));
    Progress_Bar->hide();
    Cmd_Stop = new QPushButton(QStringLiteral("Прервать"), this);
    Cmd_Stop->setObjectName(QStringLiteral("Cmd_Stop"));
    Cmd_Stop->setToolTip(QStringLiteral("Остановить выполнение (Esc)"));
    m_prompt = std::make_unique<WindowPrompt>(prompt, this, Progress_Bar, Lbl_Info, Cmd_Stop);

    // The tree takes all but two heights of the progress bar at the bottom.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TreeView, 1);
    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(2 * Progress_Bar->sizeHint().height());
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Lbl_Info);
    row->addWidget(Progress_Bar, 1);
    row->addWidget(Cmd_Stop);
    layout->addWidget(bottom);

    connect(TreeView, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { nodeClicked(item); });
    // Opening a period by its arrow lists its regions as a click does.
    connect(TreeView, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (kindOf(item) == data::ReportNode::Kind::Period) listRegions(item);
    });
    TreeView->installEventFilter(this);
}

Form_TreeDD::~Form_TreeDD() = default;

bool Form_TreeDD::Form_Load() {
    if (!data::loadReportsBase(m_session, m_base, *m_prompt)) return false;
    // The whole screen, with the window's frame on it.
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    TreeView->clear();
    addNodes(nullptr, data::reportsTree(m_base, *m_prompt));
    // The forms open with their periods in view; a period lists its regions when clicked.
    for (int i = 0; i < TreeView->topLevelItemCount(); ++i)
        TreeView->topLevelItem(i)->setExpanded(true);
    return true;
}

void Form_TreeDD::addNodes(QTreeWidgetItem* parent, const QList<data::ReportNode>& nodes) {
    for (const data::ReportNode& node : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView);
        item->setText(0, node.text);
        item->setData(0, KeyRole, node.key);
        item->setData(0, KindRole, int(node.kind));
        item->setData(0, FolderRole, node.folder.name);
        item->setData(0, FormRole, node.folder.formCode);
        item->setData(0, PeriodRole, node.folder.shortPeriod);
        item->setData(0, RegionRole, node.regionCode);
        if (node.kind == data::ReportNode::Kind::Period && node.children.isEmpty())
            item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        addNodes(item, node.children);
    }
}

void Form_TreeDD::nodeClicked(QTreeWidgetItem* item) {
    if (!item) return;
    switch (kindOf(item)) {
    case data::ReportNode::Kind::Period:
        listRegions(item);
        break;
    case data::ReportNode::Kind::Region:
        showRegion(folderOf(item), item->data(0, RegionRole).toString());
        break;
    default:
        break;
    }
}

void Form_TreeDD::listRegions(QTreeWidgetItem* period) {
    if (period->childCount() > 0 || period->data(0, ListedRole).toBool()) return;
    period->setData(0, ListedRole, true);
    const QList<data::ReportNode> regions = data::regionNodes(m_base, folderOf(period), *m_prompt);
    period->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    addNodes(period, regions);
    period->setExpanded(true);
}

void Form_TreeDD::showRegion(const data::ReportFolder& folder, const QString& regionCode) {
    platform::Prompt& prompt = *m_prompt;
    const data::RegionReport report = data::readRegionReport(m_base, folder, regionCode, prompt);
    const QStringList templates = data::reportTemplates(m_base.formDir, report, m_base.forms);
    if (!templates.isEmpty() && prompt.askOkCancel(QStringLiteral("Записать в HTML ?"))) {
        const data::WrittenPages written =
            data::writeReportPages(m_base.workDir, report, templates, prompt);
        if (!written.pages.isEmpty()) {
            prompt.message(data::writtenPagesText(written.pages), platform::Icon::Information);
            if (written.complete && !m_browser.open(written.pages.first()))
                prompt.message(pageNotShownText(written.pages.first()), platform::Icon::Warning);
        }
    }
    if (m_display) m_display->close();
    auto* display = new Form_DD(prompt, this);
    display->setAttribute(Qt::WA_DeleteOnClose);
    display->setWindowModality(Qt::ApplicationModal);
    display->setWindowTitle(report.caption(m_base.regions));
    display->setGeometry(geometry());
    display->setWindowState(windowState());
    m_display = display;
    display->Form_DD_Show(report, m_base.forms, m_base.datDir);
}

bool Form_TreeDD::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a node does what a click does.
    if (watched == TreeView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            nodeClicked(TreeView->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

ReportsView::ReportsView(Frm_mirel& window)
    : QObject(&window)
    , m_window(window) {
    setObjectName(QStringLiteral("ReportsView"));
    window.connectAction(window.controls().mnu_Otchet, [this] { mnu_Otchet_Click(); });
}

void ReportsView::mnu_Otchet_Click() {
    m_window.controls().Combo_REG->hide();
    if (m_tree) m_tree->close();
    auto* tree =
        new Form_TreeDD(m_window.session(), m_window.prompt(), m_window.browser(), &m_window);
    tree->setAttribute(Qt::WA_DeleteOnClose);
    if (!tree->Form_Load()) {
        delete tree;
        return;
    }
    m_tree = tree;
    tree->setWindowModality(Qt::ApplicationModal);
    tree->show();
}

} // namespace mirel::ui
