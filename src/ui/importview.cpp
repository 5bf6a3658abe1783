#include "ui/importview.h"

#include <functional>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <utility>

#include "core/text.h"
#include "exchange/excelconvert.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"
#include "ui/windowprompt.h"

namespace mirel::ui {
namespace {

const QString LogCaption = QStringLiteral("Логический контроль");

// Shows a conversion in the window as it goes: the section being written in the caption of
// Option_Log, the workbook being converted selected, a converted one marked "Загружен - ".
// During a run the window is drawn only now and then (and under the boxes it shows): what
// changed is shown when it is about to be drawn, and at the end, instead of selecting,
// scrolling and laying out the tree again at every workbook.
class TreeObserver : public exchange::ImportObserver {
public:
    TreeObserver(QTreeWidget* tree, QCheckBox* option, WindowPrompt& prompt)
        : m_tree(tree)
        , m_option(option)
        , m_prompt(prompt) {
        for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
            m_items.insert((*it)->data(0, ImportView::KeyRole).toString(), *it);
        m_prompt.setBeforeDrawing([this] { show(); });
    }
    ~TreeObserver() override { m_prompt.setBeforeDrawing({}); }
    TreeObserver(const TreeObserver&) = delete;
    TreeObserver& operator=(const TreeObserver&) = delete;

    void sectionWriting(const QString& cod, const QString& formCode, const QString& rr) override {
        m_caption = cod + QStringLiteral(" -> ") + formCode + QLatin1Char(' ') + rr;
    }
    void workbookStarted(const QString& path) override { m_current = path; }
    void workbookArchived(const QString& path) override { m_archived.append(path); }

    // Shows what changed since the last time.
    void show() {
        if (!m_caption.isEmpty()) m_option->setText(std::exchange(m_caption, QString()));
        for (const QString& path : std::as_const(m_archived))
            if (QTreeWidgetItem* item = m_items.value(path))
                item->setText(0, exchange::LoadedPrefix + item->text(0));
        m_archived.clear();
        if (m_current.isEmpty()) return;
        if (QTreeWidgetItem* item = m_items.value(std::exchange(m_current, QString())))
            m_tree->setCurrentItem(item);
    }

private:
    QTreeWidget* m_tree;
    QCheckBox* m_option;
    WindowPrompt& m_prompt;
    QHash<QString, QTreeWidgetItem*> m_items; // by path; the tree does not change during a run
    QString m_caption;
    QString m_current;
    QStringList m_archived;
};

// Shows a transfer load as it goes: the tree cleared when the load begins, each node added
// under its parent, every node open at the end and the last one shown; "Загрузить" is off once
// the tree no longer lists files.
class TransferTree : public exchange::TransferObserver {
public:
    TransferTree(QTreeWidget* tree, QPushButton* load,
                 std::function<QTreeWidgetItem*(const exchange::TransferNode&)> make)
        : m_tree(tree)
        , m_load(load)
        , m_make(std::move(make)) {}
    void loadStarted() override {
        m_tree->clear();
        m_items.clear();
        m_load->setEnabled(false);
    }
    void nodeAdded(const QList<exchange::TransferNode>& nodes, int index) override {
        const exchange::TransferNode& node = nodes.at(index);
        QTreeWidgetItem* item = m_make(node);
        if (node.parent < 0)
            m_tree->addTopLevelItem(item);
        else
            m_items.at(node.parent)->addChild(item);
        // Periods and forms open as they come, regions at the end of the load: every
        // open node makes each relayout of the tree during the load longer.
        if (node.level == exchange::TransferNode::Level::Period ||
            node.level == exchange::TransferNode::Level::Form)
            item->setExpanded(true);
        m_items.append(item);
    }
    // Opens every node and shows the last one.
    void loadFinished() override {
        m_tree->expandAll();
        if (!m_items.isEmpty()) m_tree->scrollToItem(m_items.last());
    }

private:
    QTreeWidget* m_tree;
    QPushButton* m_load;
    std::function<QTreeWidgetItem*(const exchange::TransferNode&)> m_make;
    QList<QTreeWidgetItem*> m_items; // by node index
};

bool typesCharacter(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

ImportView::ImportView(Frm_mirel& window)
    : QObject(&window)
    , m_w(window) {
    MainControls& c = m_w.controls();
    m_w.connectAction(c.menu_XLS, [this] { menu_XLS_Click(); });
    connect(c.Cmd_Import, &QPushButton::clicked, this, [this] { Cmd_Import_Click(); });
    connect(c.Tree_Pasp, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (m_mode == Mode::Excel) Cnv_Xls(item);
    });
    c.Tree_Pasp->installEventFilter(this);
    // The entries of the import menu exist once the configuration has been read.
    connect(&window, &Frm_mirel::loaded, this, [this] {
        const QList<QAction*>& entries = m_w.controls().menu_Imp_Dir;
        for (int i = 0; i < entries.size(); ++i)
            m_w.connectAction(entries.at(i), [this, i] { menu_Imp_Dir_Click(i); });
    });
    connect(&window, &Frm_mirel::queryViewRequested, this, [this] { left(); });
}

void ImportView::Mod_Ctrl_Imp() {
    MainControls& c = m_w.controls();
    m_w.enterView(Frm_mirel::View::Import);
    c.Grid->hide();
    c.Option_VV->setText(QStringLiteral("Ввод"));
    c.Option_Corr->setText(QStringLiteral("Коррекция"));
    c.Cmd_Import->setEnabled(true);
    c.Cmd_Import->show();
    c.Frame_Import->show();
    c.Tree_Pasp->show();
}

void ImportView::Mod_Ctrl_XLS() {
    MainControls& c = m_w.controls();
    Mod_Ctrl_Imp();
    m_mode = Mode::Excel;
    // Every node of the folder's tree is one line of text beside a picture: rows of one height
    // spare the tree measuring each row again when a workbook's node is marked "Загружен - ".
    c.Tree_Pasp->setUniformRowHeights(true);
    c.Frame_Import->hide();
    c.Option_Log->setText(LogCaption);
    c.Option_Log->show();
}

void ImportView::left() {
    MainControls& c = m_w.controls();
    m_mode = Mode::None;
    c.Tree_Pasp->setUniformRowHeights(false);
    c.Option_Log->hide();
    c.Option_Log->setText(LogCaption);
}

void ImportView::menu_XLS_Click() {
    const reference::Session& session = m_w.session();
    const QString year = core::Trim(session.year);
    const QString month = core::Trim(session.month);
    const exchange::Listing listing =
        exchange::listImportFolder(session, year, month, m_w.prompt());
    if (listing.status == exchange::Listing::Status::NoFiles) return;
    Mod_Ctrl_XLS();
    if (listing.status == exchange::Listing::Status::NoneForPeriod) {
        m_w.leaveView();
        return;
    }
    m_year = year;
    m_month = month;
    showNodes(listing.nodes);
}

void ImportView::showNodes(const QList<exchange::ImportNode>& nodes) {
    QTreeWidget* tree = m_w.controls().Tree_Pasp;
    loadPictures();
    tree->clear();
    for (const exchange::ImportNode& node : nodes) {
        QTreeWidgetItem* item = makeNode(node);
        for (const exchange::ImportNode& child : node.children)
            item->addChild(makeNode(child));
        tree->addTopLevelItem(item);
    }
    tree->expandAll();
    if (tree->topLevelItemCount() > 0) tree->setCurrentItem(tree->topLevelItem(0));
}

// The tree's pictures; without them the nodes go without (the query tree has said so).
void ImportView::loadPictures() {
    if (m_pictures.isEmpty()) m_pictures = readTreePictures(m_w.session().programDir);
}

QTreeWidgetItem* ImportView::makeNode(const exchange::ImportNode& node) const {
    return makeItem(node.key, node.text, node.picture);
}

QTreeWidgetItem* ImportView::makeItem(const QString& key, const QString& text, int picture) const {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, KeyRole, key);
    item->setData(0, PictureRole, picture);
    if (picture >= 1 && picture <= m_pictures.size()) item->setIcon(0, m_pictures.at(picture - 1));
    return item;
}

void ImportView::Cmd_Import_Click() {
    if (m_mode == Mode::None) return;
    QTreeWidgetItem* node = m_w.controls().Tree_Pasp->currentItem();
    if (!node) {
        platform::showInfo(m_w.prompt(), QStringLiteral("Не выбран файл для загрузки данных !!!"),
                           QStringLiteral("ВНИМАНИЕ !!!"));
        return;
    }
    if (m_mode == Mode::Transfer)
        loadTransfer(node);
    else
        Cnv_Xls(node);
}

void ImportView::menu_Imp_Dir_Click(int entry) {
    const exchange::TransferListing listing =
        exchange::listTransferDir(m_w.session(), entry, m_w.prompt());
    if (listing.status != exchange::TransferListing::Status::Listed) return;
    MainControls& c = m_w.controls();
    Mod_Ctrl_Imp();
    m_mode = Mode::Transfer;
    c.Option_VV->setChecked(true); // nothing stored is replaced unless the person says so
    loadPictures();
    c.Tree_Pasp->clear();
    for (const QString& name : listing.files)
        c.Tree_Pasp->addTopLevelItem(
            makeItem(listing.dir + QLatin1Char('/') + name, name, exchange::PictureTransferFile));
    c.Tree_Pasp->setFocus();
}

void ImportView::loadTransfer(QTreeWidgetItem* node) {
    if (!node || m_mode != Mode::Transfer) return;
    MainControls& c = m_w.controls();
    const QString path = node->data(0, KeyRole).toString();
    const exchange::TransferMode mode = c.Option_Corr->isChecked()
                                            ? exchange::TransferMode::Correction
                                            : exchange::TransferMode::Entry;
    TransferTree tree(c.Tree_Pasp, c.Cmd_Import, [this](const exchange::TransferNode& n) {
        return makeItem(n.key, n.text, n.picture);
    });
    exchange::loadTransferFile(m_w.session(), path, mode, m_w.prompt(), &tree);
}

void ImportView::Cnv_Xls(QTreeWidgetItem* node) {
    if (!node || m_mode != Mode::Excel) return;
    MainControls& c = m_w.controls();
    platform::Prompt& prompt = m_w.prompt();
    const QString key = node->data(0, KeyRole).toString();
    const exchange::ImportJob job{m_w.session(), m_year, m_month, c.Option_Log->isChecked()};
    TreeObserver observer(c.Tree_Pasp, c.Option_Log, m_w.windowPrompt());
    if (platform::fileExists(key)) {
        if (node->data(0, PictureRole).toInt() == exchange::PictureRejected) {
            platform::showError(prompt, QStringLiteral("Ошибка конвертирования !!!"));
        } else if (exchange::isWorkbookName(platform::nameOf(key).toLower()) && node->parent()) {
            exchange::Cnv_Xls_(job, node->parent()->text(0), key, prompt, m_w.browser(), &observer);
        } else {
            platform::showError(prompt, QStringLiteral("Зто не файл Excel !!!"));
        }
    } else if (node->text(0).size() != 3) {
        platform::showError(prompt,
                            QStringLiteral("Нет файлов для заданного отчетного периода !!!"));
    } else {
        // Workbooks converted before are in the archive now: only those still waiting go.
        QStringList paths;
        for (int i = 0; i < node->childCount(); ++i) {
            const QString path = node->child(i)->data(0, KeyRole).toString();
            if (platform::fileExists(path)) paths.append(path);
        }
        exchange::Cnv_XLS_All(job, node->text(0), paths, prompt, m_w.browser(), &observer);
    }
    observer.show();
    c.Option_Log->setText(LogCaption);
}

bool ImportView::eventFilter(QObject* watched, QEvent* event) {
    if (m_mode == Mode::Excel && watched == m_w.controls().Tree_Pasp &&
        event->type() == QEvent::KeyPress && typesCharacter(static_cast<QKeyEvent*>(event))) {
        Cnv_Xls(m_w.controls().Tree_Pasp->currentItem());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mirel::ui
