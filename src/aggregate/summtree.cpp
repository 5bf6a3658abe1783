#include "aggregate/summtree.h"

#include "core/text.h"
#include "platform/dirscan.h"
#include "platform/fileio.h"

namespace mirel::aggregate {

QString imageFileName(int image) {
    switch (image) {
    case ImageNotSummed:
        return QStringLiteral("NEW.Bmp");
    case ImageSummed:
        return QStringLiteral("CLSDFOLD.ICO");
    case ImageMarked:
        return QStringLiteral("W95mbx01.ico");
    default:
        return QString();
    }
}

QStringList summImageFiles() {
    return {imageFileName(ImageNotSummed), imageFileName(ImageSummed), imageFileName(ImageMarked)};
}

void SummTree::clear() {
    m_nodes.clear();
    m_index.clear();
}

int SummTree::add(int parent, const TreeNode& node) {
    if (m_index.contains(node.key)) return -1;
    TreeNode n = node;
    n.parent = parent;
    if (n.dir.isEmpty() && parent >= 0) n.dir = m_nodes.at(parent).dir;
    m_nodes.append(n);
    const int i = int(m_nodes.size()) - 1;
    m_index.insert(n.key, i);
    return i;
}

QList<int> SummTree::children(int parent) const {
    QList<int> result;
    for (int i = 0; i < m_nodes.size(); ++i)
        if (m_nodes.at(i).parent == parent) result.append(i);
    return result;
}

QList<int> SummTree::displayOrder() const {
    QHash<int, QList<int>> kids;
    for (int i = 0; i < m_nodes.size(); ++i)
        kids[m_nodes.at(i).parent].append(i);
    QList<int> order;
    QList<int> stack;
    const QList<int> top = kids.value(-1);
    for (qsizetype k = top.size() - 1; k >= 0; --k)
        stack.append(top.at(k));
    while (!stack.isEmpty()) {
        const int i = stack.takeLast();
        order.append(i);
        const QList<int> c = kids.value(i);
        for (qsizetype k = c.size() - 1; k >= 0; --k)
            stack.append(c.at(k));
    }
    return order;
}

int SummTree::depth(int i) const {
    int d = 0;
    while (m_nodes.at(i).parent >= 0) {
        i = m_nodes.at(i).parent;
        ++d;
    }
    return d;
}

int SummTree::directoryOf(int i) const {
    while (i >= 0 && m_nodes.at(i).kind != NodeKind::Directory)
        i = m_nodes.at(i).parent;
    return i;
}

QStringList SummTree::lines() const {
    QStringList out;
    for (int i : displayOrder()) {
        const TreeNode& n = m_nodes.at(i);
        QString line = QString(depth(i) * 2, QLatin1Char(' ')) + n.text;
        const QString picture = imageFileName(n.image);
        if (!picture.isEmpty()) line += QLatin1Char('\t') + picture;
        out.append(line);
    }
    return out;
}

bool isPeriodDirName(const QString& name) {
    const QString n = name.toUpper();
    if (n.size() != 12 || !n.startsWith(QLatin1String("DAT_"))) return false;
    for (int i : {4, 5, 6, 7, 9, 10, 11})
        if (!core::isDigit(n.at(i))) return false;
    return true;
}

QList<PeriodDir> periodDirs(const QString& datDir) {
    QList<PeriodDir> dirs;
    for (const QString& name : platform::listDirs(datDir))
        if (isPeriodDirName(name)) dirs.append(PeriodDir{name.toUpper(), name});
    return dirs;
}

bool hasSubfolders(const QString& datDir) {
    return !platform::listDirs(datDir).isEmpty();
}

DirListing listPeriodDir(const QString& dir, const QSet<QByteArray>& summaryCodes) {
    QList<QByteArray> raw;
    platform::listFileNamesRaw(platform::localPath(platform::resolvePath(dir)), raw);
    DirListing listing;
    listing.anyFile = !raw.isEmpty();
    const auto digits = [](const char* p, const char* e) {
        if (p == e) return false;
        for (; p < e; ++p)
            if (*p < '0' || *p > '9') return false;
        return true;
    };
    for (const QByteArray& name : std::as_const(raw)) {
        const qsizetype dot = name.indexOf('.');
        const char* b = name.constData();
        if (dot <= 0 || !digits(b, b + dot) || !digits(b + dot + 1, b + name.size())) continue;
        ++listing.dataFiles;
        listing.dataNames.append(name);
        if (name.size() - dot - 1 != 2 || name.endsWith(".00")) continue;
        const QByteArray code = name.left(dot);
        if (summaryCodes.contains(code))
            listing.summaryFiles.append(
                {QString::fromLatin1(code), QString::fromLatin1(name.mid(dot + 1))});
    }
    return listing;
}

bool splitDataFileName(const QString& name, QString& code, QString& extension) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1) return false;
    const QString c = name.left(dot);
    const QString e = name.mid(dot + 1);
    if (!core::Is_All_Digits(c) || !core::Is_All_Digits(e)) return false;
    code = c;
    extension = e;
    return true;
}

} // namespace mirel::aggregate
