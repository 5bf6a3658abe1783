#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

namespace mirel::aggregate {

// The pictures of the summation window's tree, by number, and their files in the program
// folder.
enum SummImage {
    ImageNone = 0,
    ImageNotSummed = 1, // "NEW.Bmp": no summary region found
    ImageSummed = 2,    // "CLSDFOLD.ICO": summed, or a section that is in order
    ImageMarked = 3,    // "W95mbx01.ico": empty, protected, or something found
};
QString imageFileName(int image);
// The files of the pictures the tree shows (1..3).
QStringList summImageFiles();

// What a node stands for.
enum class NodeKind {
    Directory, // a period data directory
    NoData,    // "Нет данных"
    NotSummed, // "Данные не просуммированы"
    Region,    // a summary region found in the directory
    WrongSum,  // "раздел RR - неверная сумма !!!"
    WrongShape, // "раздел RR - неверное количество строк / граф !!!"
    NoMembers, // " - нет данных для суммирования - " + name
    Section,   // a section of the format check
    FileShape, // a file of a wrong shape (format check)
    Code,      // a region code seen by code replacement
};

struct TreeNode {
    QString key;
    QString text;
    int image = ImageNone;
    int parent = -1;
    NodeKind kind = NodeKind::Directory;
    QString dir;     // the directory name (DAT_YYMM.FFF) the node belongs to
    QString code;    // summary region or region code, when the node has one
    QString section; // RR, when the node has one
};

// The tree of the summation and code replacement windows as plain nodes in the order they were
// added (children after their parent). Keys are unique.
class SummTree {
public:
    void clear();
    // Adds a node under parent (-1 for the top level); -1 when the key is taken.
    int add(int parent, const TreeNode& node);
    int find(const QString& key) const { return m_index.value(key, -1); }
    int size() const { return int(m_nodes.size()); }
    const TreeNode& node(int i) const { return m_nodes.at(i); }
    TreeNode& node(int i) { return m_nodes[i]; }
    QList<int> children(int parent) const;
    // The nodes in display order (each parent followed by its subtree).
    QList<int> displayOrder() const;
    int depth(int i) const;
    // The directory node of any node (itself for a directory), -1 when none.
    int directoryOf(int i) const;
    // One line per node in display order: two blanks per level, the text and, after a tab, the
    // picture's file name when the node has a picture.
    QStringList lines() const;

private:
    QList<TreeNode> m_nodes;
    QHash<QString, int> m_index;
};

// Period data directories: the upper-cased name has twelve characters, begins "DAT_" and has
// digits in positions 5-8 and 10-12.
bool isPeriodDirName(const QString& name);
// The listed period data directories of the data directory (upper-cased names, in folder
// order) with their names on disk.
struct PeriodDir {
    QString key;  // the name upper-cased
    QString name; // as on disk
};
QList<PeriodDir> periodDirs(const QString& datDir);
// True when the data directory has at least one sub-folder.
bool hasSubfolders(const QString& datDir);
// What one pass over the names of a period directory tells (it may hold tens of thousands of
// files): whether it holds any file, how many data files (code + "." + extension, both all
// digits), and which section files (code + "." + "01".."99") the given summary codes have.
struct DirListing {
    bool anyFile = false;
    int dataFiles = 0;
    QList<QByteArray> dataNames;                 // the data files' names, in no particular order
    QList<QPair<QString, QString>> summaryFiles; // (code, section)
};
DirListing listPeriodDir(const QString& dir, const QSet<QByteArray>& summaryCodes = {});
// A data file name of the kind code + "." + extension, both parts all digits; sets them.
bool splitDataFileName(const QString& name, QString& code, QString& extension);

} // namespace mirel::aggregate
