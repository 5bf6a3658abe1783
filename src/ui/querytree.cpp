#include "ui/querytree.h"

#include <algorithm>
#include <cmath>
#include <QAction>
#include <QBitmap>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "core/files.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "ui/form1.h"
#include "ui/frm_mirel.h"
#include "ui/regionselector.h"
#include "ui/resultgrid.h"
#include "ui/settings.h"

namespace mirel::ui {
namespace {

const QString NewQueryText = QStringLiteral("_Новый запрос");
const QString Attention = QStringLiteral("ВНИМАНИЕ !!!");
const QString WriteProtected = QStringLiteral(" существует или защищено от записи !!!");

QString twoBreaks() {
    return core::CRLF + core::CRLF;
}

// A name typed for a file or folder must not reach into another folder.
bool isPlainName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

// Nodes keep the order the tree was built in: sections before queries, each by name without
// regard to case.
bool nodeBefore(const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    const bool aSection = a->data(0, PictureRole).toInt() == PictureSection;
    const bool bSection = b->data(0, PictureRole).toInt() == PictureSection;
    if (aSection != bSection) return aSection;
    const QString an = platform::nameOf(a->data(0, PathRole).toString());
    const QString bn = platform::nameOf(b->data(0, PathRole).toString());
    const int c = an.compare(bn, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : an < bn;
}

} // namespace

bool isQueryFileName(const QString& name) {
    const QString upper = name.toUpper();
    return upper.endsWith(QStringLiteral(".PSP")) || upper.endsWith(QStringLiteral(".LINK"));
}

QString queryNodeText(const QString& fileName) {
    return fileName.left(std::max<qsizetype>(0, fileName.size() - 4));
}

QString queryTemplatePath(const QString& queryPath) {
    if (!queryPath.toUpper().endsWith(QStringLiteral(".PSP"))) return QString();
    return queryPath.chopped(3) + QStringLiteral("HTM");
}

QString newQueryName(const QString& folder) {
    // Compared without regard to case: a file system that ignores case must not get a second
    // file of the same name.
    long long greatest = 0;
    for (const QString& name : platform::listFiles(folder)) {
        if (!name.startsWith(NewQueryText, Qt::CaseInsensitive)) continue;
        const double number = core::Val(name.mid(NewQueryText.size()));
        greatest = std::max(greatest, static_cast<long long>(std::floor(number)) + 1);
    }
    if (greatest <= 0) return NewQueryText;
    return NewQueryText + QLatin1Char(' ') + QString::number(greatest);
}

QueryTree::QueryTree(Frm_mirel& window)
    : QObject(&window)
    , m_window(window)
    , m_tree(window.controls().Tree_Pasp) {
    setObjectName(QStringLiteral("QueryTree"));
    m_grid = new ResultGrid(window);
    m_grid->title = [this] {
        const QTreeWidgetItem* item = m_tree->currentItem();
        return item ? item->text(0) : QString();
    };

    const MainControls& c = window.controls();
    window.connectAction(c.mnu_pasp_calc, [this] { calculate(); });
    window.connectAction(c.mnu_pasp_open, [this] { editQuery(); });
    window.connectAction(c.mnu_pasp_app, [this] { newQuery(); });
    window.connectAction(c.mnu_pasp_ren, [this] { rename(); });
    window.connectAction(c.mnu_pasp_del, [this] { deleteNode(false); });
    window.connectAction(c.mnu_rr_app, [this] { newSection(); });
    window.connectAction(c.mnu_rr_del, [this] { deleteSection(); });
    window.connectAction(c.mnu_rr_ren, [this] { renameSection(); });

    c.Cmd_calc->setEnabled(true);
    // "Выполнить", or "Закрыть таблицу" while a table is shown.
    connect(&window, &Frm_mirel::calcClicked, this, [this] {
        if (m_grid->isShown()) {
            m_grid->close();
            // The closed table's memory goes now, not while the next one is computed.
            m_lastResult = query::QueryResult();
        } else
            calculate();
    });
    connect(c.Combo_REG, &QComboBox::activated, this, [this] { chooseRegion(); });
    c.Combo_REG->installEventFilter(this);

    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setExpandsOnDoubleClick(true);
    m_tree->setAcceptDrops(true);
    m_tree->viewport()->setAcceptDrops(true);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { enterOrCalculate(); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { currentChanged(current); });
    connect(m_tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { nodeClicked(item); });

    const QStringList expanded =
        userSettings()->value(QStringLiteral("queryTree/expanded")).toStringList();
    m_expanded = QSet<QString>(expanded.cbegin(), expanded.cend());
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { keepExpanded(item, true); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { keepExpanded(item, false); });

    dragRunner = [this](QTreeWidgetItem* item, bool copy) { startDrag(item, copy); };
    window.installEventFilter(this);
    connect(&window, &Frm_mirel::loaded, this, [this] { loadQueryTree(); });
    connect(&window, &Frm_mirel::queryViewRequested, this, [this] { loadQueryTree(); });
}

QueryTree::~QueryTree() = default;

platform::Prompt& QueryTree::prompt() const {
    return m_window.prompt();
}

Form1& QueryTree::editor() {
    if (!m_editor) m_editor = new Form1(prompt(), &m_window);
    return *m_editor;
}

// --- pictures and loading -------------------------------------------------------------------

void QueryTree::loadPictures() {
    m_picturesRead = true;
    QString failed;
    m_pictures = readTreePictures(m_window.session().programDir, &failed);
    if (!failed.isEmpty()) // the tree goes without pictures
        prompt().message(QStringLiteral("Ошибка при загрузке :") + core::CRLF + failed);
}

QList<QIcon> readTreePictures(const QString& programDir, QString* failed) {
    QList<QIcon> pictures;
    for (const QString& name : TreePictureNames) {
        const QString path = programDir + QLatin1Char('/') + name;
        QImageReader reader(platform::resolvePath(path));
        QImage image = reader.read();
        if (image.isNull()) {
            if (failed) *failed = path;
            return {};
        }
        QPixmap pixmap = QPixmap::fromImage(image);
        // Pictures without transparency are masked by the colour of their top left pixel.
        if (!image.hasAlphaChannel())
            pixmap.setMask(pixmap.createMaskFromColor(image.pixelColor(0, 0)));
        pictures.append(QIcon(pixmap));
    }
    return pictures;
}

void QueryTree::setPicture(QTreeWidgetItem* item, int picture) const {
    item->setData(0, PictureRole, picture);
    if (picture >= 1 && picture <= m_pictures.size()) item->setIcon(0, m_pictures.at(picture - 1));
}

QTreeWidgetItem* QueryTree::makeNode(const QString& text, const QString& path, const QString& key,
                                     int picture) const {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, PathRole, path);
    item->setData(0, KeyRole, key);
    item->setToolTip(0, path);
    setPicture(item, picture);
    return item;
}

QTreeWidgetItem* QueryTree::makeSectionNode(const QString& path) const {
    return makeNode(platform::nameOf(path), path, path.toUpper(), PictureSection);
}

QTreeWidgetItem* QueryTree::makeQueryNode(const QString& path) const {
    int picture = PictureQuery;
    if (path.toUpper().endsWith(QStringLiteral(".LINK")))
        picture = PictureBatch;
    else if (platform::fileExists(queryTemplatePath(path)))
        picture = PictureTemplate;
    return makeNode(queryNodeText(platform::nameOf(path)), path, path, picture);
}

void QueryTree::loadQueryTree() {
    if (!m_picturesRead) loadPictures();
    m_grid->close();
    m_pressed = nullptr;
    m_dragSource = nullptr;
    m_dropTarget = nullptr;
    m_loading = true;
    m_tree->clear();
    const QString dir = m_window.session().dir(core::DirPASP);
    QTreeWidgetItem* root = makeNode(dir, dir, dir.toUpper(), PictureSection);
    m_tree->addTopLevelItem(root);
    root->setExpanded(true);
    QSet<QString> visited;
    loadFolder(root, dir, visited);
    // The folders the person left open are open again (after another view, in a new session).
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if (m_expanded.contains((*it)->data(0, KeyRole).toString())) (*it)->setExpanded(true);
    m_loading = false;
    m_tree->setCurrentItem(root);
}

void QueryTree::keepExpanded(QTreeWidgetItem* item, bool expanded) {
    if (m_loading || !isActive() || !isSection(item)) return;
    const QString key = item->data(0, KeyRole).toString();
    if (expanded == m_expanded.contains(key)) return;
    if (expanded)
        m_expanded.insert(key);
    else
        m_expanded.remove(key);
    QStringList keys(m_expanded.cbegin(), m_expanded.cend());
    keys.sort();
    userSettings()->setValue(QStringLiteral("queryTree/expanded"), keys);
}

void QueryTree::loadFolder(QTreeWidgetItem* node, const QString& dir, QSet<QString>& visited) {
    // A link back to a folder above would never end.
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    if (visited.contains(canonical)) return;
    visited.insert(canonical);
    const QStringList folders = platform::listDirs(dir);
    QList<QTreeWidgetItem*> sections;
    for (const QString& name : folders) {
        QTreeWidgetItem* section = makeSectionNode(dir + QLatin1Char('/') + name);
        node->addChild(section);
        sections.append(section);
    }
    for (const QString& name : platform::listFiles(dir))
        if (isQueryFileName(name)) node->addChild(makeQueryNode(dir + QLatin1Char('/') + name));
    for (QTreeWidgetItem* section : sections)
        loadFolder(section, section->data(0, PathRole).toString(), visited);
}

void QueryTree::insertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* item) const {
    int at = 0;
    while (at < parent->childCount() && nodeBefore(parent->child(at), item))
        ++at;
    parent->insertChild(at, item);
}

QTreeWidgetItem* QueryTree::rootNode() const {
    return m_tree->topLevelItem(0);
}

QTreeWidgetItem* QueryTree::nodeByKey(const QString& key) const {
    QList<QTreeWidgetItem*> stack;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        stack.append(m_tree->topLevelItem(i));
    while (!stack.isEmpty()) {
        QTreeWidgetItem* item = stack.takeFirst();
        if (item->data(0, KeyRole).toString() == key) return item;
        for (int i = 0; i < item->childCount(); ++i)
            stack.append(item->child(i));
    }
    return nullptr;
}

bool QueryTree::isActive() const {
    return m_window.view() == Frm_mirel::View::Query;
}

bool QueryTree::isLive(const QTreeWidgetItem* item) const {
    if (!item) return false;
    const QTreeWidgetItem* top = item;
    while (top->parent())
        top = top->parent();
    return m_tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(top)) >= 0;
}

QTreeWidgetItem* QueryTree::addQueryNode(const QString& path) {
    QTreeWidgetItem* folder = nodeByKey(platform::parentOf(path).toUpper());
    if (!folder) return nullptr;
    QTreeWidgetItem* item = makeQueryNode(path);
    insertSorted(folder, item);
    return item;
}

// The root is the node of the query directory itself: it is never renamed, deleted or moved.
bool QueryTree::isRoot(const QTreeWidgetItem* item) const {
    return item && item == rootNode();
}

bool QueryTree::isSection(const QTreeWidgetItem* item) const {
    return item && !isRoot(item) && platform::dirExists(item->data(0, PathRole).toString());
}

bool QueryTree::isQuery(const QTreeWidgetItem* item) const {
    return item && platform::fileExists(item->data(0, PathRole).toString());
}

// Gives a node and everything below it the paths under a new folder path.
void QueryTree::rebase(QTreeWidgetItem* item, const QString& path) const {
    const bool section = item->data(0, PictureRole).toInt() == PictureSection;
    item->setData(0, PathRole, path);
    item->setData(0, KeyRole, section ? path.toUpper() : path);
    item->setToolTip(0, path);
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        rebase(child,
               path + QLatin1Char('/') + platform::nameOf(child->data(0, PathRole).toString()));
    }
}

// --- commands -------------------------------------------------------------------------------

void QueryTree::newQuery() {
    QTreeWidgetItem* item = m_tree->currentItem();
    QString folder;
    if (item) {
        folder = item->data(0, PathRole).toString();
        if (platform::fileExists(folder)) folder = platform::parentOf(folder);
    }
    if (folder.isEmpty() || !platform::dirExists(folder)) {
        prompt().message(
            QStringLiteral("Определите раздел, в котором необходимо создать новый запрос !!!"));
        return;
    }
    QString path = folder + QLatin1Char('/') + newQueryName(folder) + QStringLiteral(".PSP");
    if (platform::fileExists(path)) return; // never over an existing file
    if (core::Write_Text_File(path, core::CRLF, prompt()) != 0) return;
    QTreeWidgetItem* node = addQueryNode(path);
    if (node) m_tree->setCurrentItem(node);
}

void QueryTree::editQuery() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!isQuery(item)) {
        prompt().message(QStringLiteral("Отметьте запрос, который Вы хотите редактировать !!!"));
        return;
    }
    Form1& form = editor();
    form.Pasp_Edit(item->data(0, PathRole).toString());
    form.show();
    form.raise();
    form.activateWindow();
}

void QueryTree::deleteNode(bool ask) {
    QTreeWidgetItem* item = m_tree->currentItem();
    const bool query = isQuery(item);
    if (!query && !isSection(item)) return;
    if (ask && !prompt().askOkCancel(QStringLiteral("Удалить?"), Attention)) return;
    const QString path = item->data(0, PathRole).toString();
    const auto failed = [this](const QString& from, const QString& target) {
        prompt().message(QStringLiteral("Ошибка при удалении") + twoBreaks() + from + twoBreaks() +
                         target + WriteProtected);
    };
    if (query) {
        if (!platform::removeFile(path)) {
            failed(path, path);
            return;
        }
        delete item;
        const QString templ = queryTemplatePath(path);
        if (!templ.isEmpty() && platform::fileExists(templ) && !platform::removeFile(templ))
            failed(templ, templ);
        return;
    }
    // A section is not destroyed: it goes into the program folder under its own name.
    const QString target =
        m_window.session().programDir + QLatin1Char('/') + platform::nameOf(path);
    if (!platform::movePath(path, target)) {
        failed(path, target);
        return;
    }
    delete item;
}

void QueryTree::rename() {
    if (isQuery(m_tree->currentItem()))
        renameQuery();
    else
        renameSection();
}

void QueryTree::renameQuery() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!isQuery(item)) return;
    const auto answer =
        prompt().inputBox(QString(), QStringLiteral("Переименовать"), item->text(0));
    if (!answer || answer->isEmpty()) return;
    const QString path = item->data(0, PathRole).toString();
    const QString folder = platform::parentOf(path);
    // A batch list stays a batch list.
    const QString extension =
        path.toUpper().endsWith(QStringLiteral(".LINK")) ? path.right(5) : QStringLiteral(".PSP");
    const QString target = folder + QLatin1Char('/') + *answer + extension;
    const auto failed = [this](const QString& from, const QString& to) {
        prompt().message(QStringLiteral("Ошибка при переименовании") + twoBreaks() + from +
                         twoBreaks() + to + WriteProtected);
    };
    if (!isPlainName(*answer)) {
        failed(path, target);
        return;
    }
    if (platform::pathExists(target)) {
        prompt().message(QStringLiteral("Запрос с данным именем уже существует !!!"));
        return;
    }
    // The query and its template move together or not at all.
    QList<QPair<QString, QString>> moves{{path, target}};
    const QString templ = queryTemplatePath(path);
    if (!templ.isEmpty() && platform::fileExists(templ))
        moves.append({templ, queryTemplatePath(target)});
    int failedAt = 0;
    if (!platform::movePaths(moves, nullptr, &failedAt)) {
        failed(moves.at(failedAt).first, moves.at(failedAt).second);
        return;
    }
    followInEditor(path, target);
    QTreeWidgetItem* parent = item->parent();
    parent->removeChild(item);
    delete item;
    QTreeWidgetItem* node = makeQueryNode(target);
    insertSorted(parent, node);
    m_tree->setCurrentItem(node);
}

void QueryTree::renameSection() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || !platform::dirExists(item->data(0, PathRole).toString())) {
        prompt().message(QStringLiteral("Укажите раздел !!!"));
        return;
    }
    const QString notRenamed = QStringLiteral("Раздел не переименован !!!");
    if (isRoot(item)) {
        prompt().message(notRenamed);
        return;
    }
    const auto answer =
        prompt().inputBox(QString(), QStringLiteral("Переименовать раздел"), item->text(0));
    if (!answer || answer->isEmpty() || *answer == item->text(0)) {
        prompt().message(notRenamed);
        return;
    }
    const QString path = item->data(0, PathRole).toString();
    const QString target = platform::parentOf(path) + QLatin1Char('/') + *answer;
    const auto failed = [this, &path] {
        prompt().message(QStringLiteral("Ошибка при переименовании раздела") + twoBreaks() + path);
    };
    if (!isPlainName(*answer)) {
        failed();
        return;
    }
    if (platform::pathExists(target)) {
        prompt().message(QStringLiteral("Раздел с данным именем уже существует !!!"));
        return;
    }
    if (!platform::movePath(path, target)) {
        failed();
        return;
    }
    followInEditor(path, target);
    QTreeWidgetItem* parent = item->parent();
    const bool expanded = item->isExpanded();
    parent->removeChild(item);
    item->setText(0, *answer);
    rebase(item, target);
    insertSorted(parent, item);
    item->setExpanded(expanded);
    m_tree->setCurrentItem(item);
}

void QueryTree::newSection() {
    QTreeWidgetItem* item = m_tree->currentItem();
    QTreeWidgetItem* folderNode = isQuery(item) ? item->parent() : item;
    const QString folder = folderNode ? folderNode->data(0, PathRole).toString() : QString();
    if (!folderNode || !platform::dirExists(folder)) {
        prompt().message(QStringLiteral("Укажите раздел !!!"));
        return;
    }
    const auto answer = prompt().inputBox(QStringLiteral("Создать раздел :"), QString(),
                                          QStringLiteral("_Новый раздел"));
    if (!answer || answer->isEmpty()) return;
    const QString target = folder + QLatin1Char('/') + *answer;
    if (isPlainName(*answer) && platform::pathExists(target)) {
        prompt().message(QStringLiteral("Данный раздел уже существует !!!"));
        return;
    }
    if (!isPlainName(*answer) || !platform::makeDir(target)) {
        prompt().message(QStringLiteral("Ошибка при создании раздела") + twoBreaks() + target);
        return;
    }
    QTreeWidgetItem* node = makeSectionNode(target);
    insertSorted(folderNode, node);
    folderNode->setExpanded(true);
    m_tree->setCurrentItem(node);
}

void QueryTree::deleteSection() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || isRoot(item) || platform::fileExists(item->data(0, PathRole).toString())) {
        prompt().message(QStringLiteral("Укажите раздел !!!"));
        return;
    }
    // Unlike "Удалить" of the query menu this deletes the folder for good: ask first.
    if (!prompt().askOkCancel(QStringLiteral("Удалить?"), Attention)) return;
    const QString path = item->data(0, PathRole).toString();
    if (!platform::removeDirRecursively(path)) {
        prompt().message(QStringLiteral("Ошибка при удалении раздела") + twoBreaks() + path);
        return;
    }
    delete item;
    m_tree->setCurrentItem(rootNode());
    m_tree->scrollToTop();
}

void QueryTree::followInEditor(const QString& from, const QString& to) {
    if (m_editor) m_editor->fileMoved(from, to);
}

// --- region selector ------------------------------------------------------------------------

void QueryTree::fillRegionSelector(QTreeWidgetItem* item) {
    QComboBox* combo = m_window.controls().Combo_REG;
    if (!isQuery(item)) {
        combo->hide();
        return;
    }
    // A missing classifier is told once per query: walking the tree with the arrow keys must
    // not stop at a box on every step.
    const QString path = item->data(0, PathRole).toString();
    if (!ui::fillRegionSelector(combo, path, m_window.session(), prompt(),
                                m_missingClassifierTold.contains(path)))
        m_missingClassifierTold.insert(path);
}

// The selector follows the selected query, whether it was chosen by the mouse or the keys; a
// click on the selected query reads it again (it may have been edited meanwhile).
void QueryTree::currentChanged(QTreeWidgetItem* current) {
    m_filledByPress = false;
    if (!isActive()) return;
    if (!current) {
        m_window.controls().Combo_REG->hide();
        return;
    }
    fillRegionSelector(current);
    m_filledByPress = QGuiApplication::mouseButtons() != Qt::NoButton;
}

void QueryTree::nodeClicked(QTreeWidgetItem* item) {
    if (!isActive()) return;
    if (m_filledByPress) {
        m_filledByPress = false;
        return;
    }
    fillRegionSelector(item);
}

void QueryTree::chooseRegion() {
    QComboBox* combo = m_window.controls().Combo_REG;
    if (combo->currentIndex() < 0 || combo->currentText().isEmpty()) {
        platform::showError(prompt(), QStringLiteral("Не выбран регион !!!"), Attention);
        return;
    }
    calculate();
}

void QueryTree::enterOrCalculate() {
    if (enterOverride && enterOverride()) return;
    calculate();
}

// --- keys -----------------------------------------------------------------------------------

bool QueryTree::handleTreeKey(QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Insert:
        newQuery();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        enterOrCalculate();
        return true;
    case Qt::Key_Delete:
        deleteNode(!(key->modifiers() & Qt::AltModifier));
        return true;
    case Qt::Key_F2:
        rename();
        return true;
    default:
        return false;
    }
}

bool QueryTree::eventFilter(QObject* watched, QEvent* event) {
    // In the other views the tree shows the form catalog: nothing of the queries applies.
    if ((watched == m_tree || watched == m_tree->viewport()) && !isActive()) return false;
    if (watched == m_tree && event->type() == QEvent::KeyPress)
        return handleTreeKey(static_cast<QKeyEvent*>(event));
    if (watched == m_window.controls().Combo_REG && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseRegion();
            return true;
        }
        return false;
    }
    if (watched == m_tree->viewport()) return handleViewportEvent(event);
    // The editor is a window of its own: a changed query is offered for saving before the
    // program ends, and the program stays when that saving failed.
    if (watched == &m_window && event->type() == QEvent::Close && m_editor &&
        m_editor->isVisible() && !m_editor->close()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mirel::ui
