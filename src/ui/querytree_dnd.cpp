#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeWidget>

#include "platform/fileio.h"
#include "platform/prompt.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"

namespace mirel::ui {
void QueryTree::beginDrag(QTreeWidgetItem* item, bool copy) {
    m_dragSource = nullptr;
    if (!isLive(item) || isRoot(item)) return;
    m_dragSource = item;
    m_dragCopy = copy;
    m_dragIsSection = platform::dirExists(item->data(0, PathRole).toString());
}

void QueryTree::endDrag() {
    highlightDropTarget(nullptr);
    m_dragSource = nullptr;
    m_dragCopy = false;
}

bool QueryTree::canDropOn(const QTreeWidgetItem* target) const {
    if (!isLive(m_dragSource) || !isLive(target)) return false;
    const QString to = target->data(0, PathRole).toString();
    if (!platform::dirExists(to)) return false;
    if (!m_dragIsSection) return true;
    // A section cannot go into itself or into a section inside it.
    for (const QTreeWidgetItem* up = target; up; up = up->parent())
        if (up == m_dragSource) return false;
    return true;
}

void QueryTree::highlightDropTarget(QTreeWidgetItem* item) {
    if (m_dropTarget == item) return;
    if (isLive(m_dropTarget)) m_dropTarget->setData(0, Qt::BackgroundRole, QVariant());
    m_dropTarget = item;
    if (item) {
        QColor colour = m_tree->palette().color(QPalette::Highlight);
        colour.setAlpha(90);
        item->setData(0, Qt::BackgroundRole, colour);
    }
}

// Moves a node under another one after its folder or file moved to path.
void QueryTree::moveNode(QTreeWidgetItem* item, QTreeWidgetItem* target, const QString& path) {
    const bool expanded = item->isExpanded();
    item->parent()->removeChild(item);
    rebase(item, path);
    insertSorted(target, item);
    item->setExpanded(expanded);
    target->setExpanded(true);
    m_tree->setCurrentItem(item);
}

void QueryTree::dropOn(QTreeWidgetItem* target) {
    if (!canDropOn(target)) {
        endDrag();
        return;
    }
    QTreeWidgetItem* source = m_dragSource;
    const bool copy = m_dragCopy && !m_dragIsSection;
    endDrag();
    const QString from = source->data(0, PathRole).toString();
    const QString folder = target->data(0, PathRole).toString();
    const QString to = folder + QLatin1Char('/') + platform::nameOf(from);
    const QString templ = queryTemplatePath(from);
    const bool withTemplate = !templ.isEmpty() && platform::fileExists(templ);
    const QString toTempl = withTemplate ? queryTemplatePath(to) : QString();
    if (platform::pathExists(to) || (withTemplate && platform::pathExists(toTempl))) {
        prompt().message(QStringLiteral("Раздел или файл существует !!!"));
        return;
    }
    const auto failed = [this] {
        prompt().message(QStringLiteral("Ошибка при переносе или копировании запроса"));
    };
    // A query goes with its template or not at all.
    QList<QPair<QString, QString>> steps{{from, to}};
    if (withTemplate) steps.append({templ, toTempl});
    if (copy) {
        if (!platform::copyFiles(steps)) return failed();
        QTreeWidgetItem* node = addQueryNode(to);
        target->setExpanded(true);
        if (node) m_tree->setCurrentItem(node);
        return;
    }
    if (!platform::movePaths(steps)) return failed();
    followInEditor(from, to);
    moveNode(source, target, to);
}

void QueryTree::startDrag(QTreeWidgetItem* item, bool copy) {
    beginDrag(item, copy);
    if (!m_dragSource) return;
    auto* drag = new QDrag(m_tree);
    auto* data = new QMimeData;
    data->setData(QueryNodeMime, QByteArray());
    drag->setMimeData(data);
    if (!item->icon(0).isNull()) drag->setPixmap(item->icon(0).pixmap(16, 16));
    // The drop itself runs once the drag is over (queued by the drop event).
    if (drag->exec(Qt::MoveAction | Qt::CopyAction, copy ? Qt::CopyAction : Qt::MoveAction) ==
        Qt::IgnoreAction)
        endDrag();
    highlightDropTarget(nullptr);
}

bool QueryTree::handleViewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressed = nullptr;
        if (mouse->button() == Qt::LeftButton) {
            m_pressed = m_tree->itemAt(mouse->position().toPoint());
            m_pressPos = mouse->position().toPoint();
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || !isLive(m_pressed)) return false;
        if ((mouse->position().toPoint() - m_pressPos).manhattanLength() <
            QApplication::startDragDistance())
            return false;
        QTreeWidgetItem* item = m_pressed;
        m_pressed = nullptr;
        dragRunner(item, mouse->modifiers() & Qt::ControlModifier);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_pressed = nullptr;
        return false;
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (!drag->mimeData()->hasFormat(QueryNodeMime) || !isLive(m_dragSource)) return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!drag->mimeData()->hasFormat(QueryNodeMime)) return false;
        QTreeWidgetItem* target = m_tree->itemAt(drag->position().toPoint());
        if (canDropOn(target)) {
            highlightDropTarget(target);
            drag->acceptProposedAction();
        } else {
            highlightDropTarget(nullptr);
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        highlightDropTarget(nullptr);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasFormat(QueryNodeMime)) return false;
        QTreeWidgetItem* target = m_tree->itemAt(drop->position().toPoint());
        highlightDropTarget(nullptr);
        if (!canDropOn(target)) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        // File operations and their messages wait until the drag has ended.
        QTimer::singleShot(0, this, [this, target] {
            if (isLive(target)) dropOn(target);
        });
        return true;
    }
    default:
        return false;
    }
}

} // namespace mirel::ui
