#pragma once

#include <functional>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>

#include "query/runquery.h"

class QKeyEvent;
class QTreeWidget;
class QTreeWidgetItem;

namespace mirel::platform {
class Prompt;
}

namespace mirel::ui {

class Form1;
class Frm_mirel;
class ResultGrid;

// The four pictures of the query tree, loaded from the program folder in this order: a query
// without template, a section, a query with a template, a batch list.
inline const QStringList TreePictureNames{QStringLiteral("NEW.Bmp"), QStringLiteral("CLSDFOLD.ICO"),
                                          QStringLiteral("note01.ICO"),
                                          QStringLiteral("W95mbx01.ico")};
// The pictures of the trees, read from the program folder (image list entries 1 to 4); empty,
// with the path that could not be read in failed, when one is missing.
QList<QIcon> readTreePictures(const QString& programDir, QString* failed = nullptr);
enum TreePicture { PictureQuery = 1, PictureSection = 2, PictureTemplate = 3, PictureBatch = 4 };

// Data of a node: its key (upper-cased path for the root and the sections, the path for a
// query), its path on disk, and the number of its picture.
enum QueryNodeRole { KeyRole = 0x0101, PathRole, PictureRole };

// Drags of the query tree carry this format and no data: the tree keeps the dragged node.
inline const QString QueryNodeMime = QStringLiteral("application/x-mirel-query-node");

// True for the names of query files and batch lists (".PSP", ".LINK", compared in upper case).
bool isQueryFileName(const QString& name);
// The node text of a query file: its name less the last four characters.
QString queryNodeText(const QString& fileName);
// The template of a query: its path with the last three characters replaced by "HTM". Empty
// for a batch list, whose ".HTM" companion is the written batch page, not a template.
QString queryTemplatePath(const QString& queryPath);
// The name for a new query in the folder: "_Новый запрос", followed by a blank and one more
// than the greatest number written after that text in the names of the folder's files.
QString newQueryName(const QString& folder);

// The query view of the main window: the tree of query folders and files under the query
// directory (Tree_Pasp), its menus "Регламентный запрос" and "Раздел", keys, double click,
// drag and drop, the region selector Combo_REG filled on a node click, the query text editor,
// and the result grid of a computed query. Every command acts on the file system first and
// then updates the node; failures leave the tree as it was, with the system's message.
class QueryTree : public QObject {
    Q_OBJECT
public:
    explicit QueryTree(Frm_mirel& window);
    ~QueryTree() override;

    // Clears and rebuilds the tree from the query directory; the root is expanded and
    // selected. The pictures are read from the program folder on the first call.
    void loadQueryTree();
    // Adds the node of a query file under the node of its folder (sorted among the queries).
    QTreeWidgetItem* addQueryNode(const QString& path);

    QTreeWidgetItem* rootNode() const;
    QTreeWidgetItem* nodeByKey(const QString& key) const;
    bool hasPictures() const { return !m_pictures.isEmpty(); }

    // The commands, acting on the selected node.
    void newQuery();
    void editQuery();
    void calculate();
    // Deletes a query with its template, or moves a section into the program folder; with ask
    // set the person confirms first ("Удалить?").
    void deleteNode(bool ask);
    // F2 and "Регламентный запрос" / "Переименовать": a query, or else a section.
    void rename();
    void renameQuery();
    void renameSection();
    void newSection();
    void deleteSection();

    // Drag and drop: the dragged node and the copy flag are recorded when a drag starts; a drop
    // onto a section moves the dragged section, or moves or copies the dragged query.
    void beginDrag(QTreeWidgetItem* item, bool copy);
    bool canDropOn(const QTreeWidgetItem* target) const;
    void dropOn(QTreeWidgetItem* target);
    void endDrag();
    // Runs a drag once it has started (the default starts a QDrag); tests replace it.
    std::function<void(QTreeWidgetItem* item, bool copy)> dragRunner;

    // Reads the query of the node and shows the region selector filled from its classifier
    // when the query has a "cod" line; hides it otherwise.
    void fillRegionSelector(QTreeWidgetItem* item);

    // When set and returning true, Enter and double click were taken by another mode of the
    // window (the import mode) instead of calculating.
    std::function<bool()> enterOverride;
    // Draws a map query (its path holds "КАРТА"); when unset or returning false the table is
    // shown like any other.
    std::function<bool(const query::QueryResult&)> drawMap;
    // What the last computation produced (the table behind the grid and "Карта").
    const query::QueryResult& lastResult() const { return m_lastResult; }
    // The region selector as the computation sees it.
    query::RegionSelector regionSelector() const;

    // The query text editor, made on first use.
    Form1& editor();
    ResultGrid& resultGrid() { return *m_grid; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadPictures();
    void loadFolder(QTreeWidgetItem* node, const QString& dir, QSet<QString>& visited);
    void keepExpanded(QTreeWidgetItem* item, bool expanded);
    QTreeWidgetItem* makeNode(const QString& text, const QString& path, const QString& key,
                              int picture) const;
    QTreeWidgetItem* makeSectionNode(const QString& path) const;
    QTreeWidgetItem* makeQueryNode(const QString& path) const;
    void setPicture(QTreeWidgetItem* item, int picture) const;
    void insertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* item) const;
    void rebase(QTreeWidgetItem* item, const QString& path) const;
    bool isRoot(const QTreeWidgetItem* item) const;
    bool isSection(const QTreeWidgetItem* item) const;
    bool isQuery(const QTreeWidgetItem* item) const;
    void moveNode(QTreeWidgetItem* item, QTreeWidgetItem* target, const QString& path);
    // The editor follows a query file or folder that moved.
    void followInEditor(const QString& from, const QString& to);
    void highlightDropTarget(QTreeWidgetItem* item);
    void startDrag(QTreeWidgetItem* item, bool copy);
    bool handleTreeKey(QKeyEvent* key);
    bool handleViewportEvent(QEvent* event);
    bool isLive(const QTreeWidgetItem* item) const;
    // The tree shows the queries (not the catalog of another view).
    bool isActive() const;
    void enterOrCalculate();
    void currentChanged(QTreeWidgetItem* current);
    void nodeClicked(QTreeWidgetItem* item);
    void chooseRegion();

    platform::Prompt& prompt() const;

    Frm_mirel& m_window;
    QTreeWidget* m_tree;
    QList<QIcon> m_pictures;
    bool m_picturesRead = false;
    ResultGrid* m_grid = nullptr;
    QPointer<Form1> m_editor;
    query::QueryResult m_lastResult;

    QTreeWidgetItem* m_pressed = nullptr;
    QPoint m_pressPos;
    QTreeWidgetItem* m_dragSource = nullptr;
    bool m_dragCopy = false;
    bool m_dragIsSection = false;
    QTreeWidgetItem* m_dropTarget = nullptr;
    bool m_filledByPress = false;
    QSet<QString> m_missingClassifierTold; // queries whose missing classifier was reported
    QSet<QString> m_expanded;              // keys of the sections the person left open
    bool m_loading = false;
};

} // namespace mirel::ui
