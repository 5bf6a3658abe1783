#include "query/datacache.h"

#include <QFileInfo>

#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/fileio.h"

namespace mirel::query {
namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Field k (0-based) of a line whose fields are separated by runs of blanks.
QStringView field(QStringView line, int k) {
    qsizetype i = 0;
    const qsizetype n = line.size();
    int index = 0;
    while (i < n) {
        while (i < n && line.at(i) == QLatin1Char(' '))
            ++i;
        if (i >= n) break;
        qsizetype j = i;
        while (j < n && line.at(j) != QLatin1Char(' '))
            ++j;
        if (index == k) return line.mid(i, j - i);
        ++index;
        i = j;
    }
    return QStringView();
}

} // namespace

DataFile::DataFile(const QString& prepared)
    : exists(true)
    , m_text(prepared) {
    const QStringView text(m_text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        if (end < 0) end = text.size();
        if (end > start && text.at(end - 1) == QLatin1Char('\r')) --end;
        m_starts.append(start);
        m_ends.append(end);
        start = next;
    }
}

QStringView DataFile::line(int l) const {
    return QStringView(m_text).mid(m_starts.at(l), m_ends.at(l) - m_starts.at(l));
}

namespace {

// The numeric value of a first field: plain digits without a detour through a text.
double firstFieldValue(QStringView field) {
    double v = 0;
    for (QChar c : field) {
        if (!isDigit(c)) return core::Val(field.toString());
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

// Files of up to this many lines are searched line by line; larger ones get an index.
constexpr int SmallFile = 40;

} // namespace

void DataFile::buildIndex() const {
    m_indexed = true;
    for (int l = 0; l < m_starts.size(); ++l) {
        const QStringView text = line(l);
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        if (l > 0 && blank >= 0) {
            const QStringView id = text.left(blank);
            if (!m_byId.contains(id)) m_byId.insert(id, l);
        }
        // Only data lines count for the numeric lookup: the state and header lines would
        // otherwise answer for every identifier whose value is 0.
        if (!text.isEmpty() && isDigit(text.at(0))) {
            const double v = firstFieldValue(field(text, 0));
            if (!m_byValue.contains(v)) m_byValue.insert(v, l);
        }
    }
}

int DataFile::findRow(const QString& row) const {
    if (m_starts.size() <= SmallFile) {
        const QStringView id(row);
        for (int l = 1; l < m_starts.size(); ++l) {
            const QStringView text = line(l);
            if (text.size() > id.size() && text.startsWith(id) &&
                text.at(id.size()) == QLatin1Char(' '))
                return l;
        }
        const double v = core::Val(row);
        for (int l = 0; l < m_starts.size(); ++l) {
            const QStringView text = line(l);
            if (!text.isEmpty() && isDigit(text.at(0)) && firstFieldValue(field(text, 0)) == v)
                return l;
        }
        return -1;
    }
    if (!m_indexed) buildIndex();
    if (!row.contains(QLatin1Char(' '))) {
        const auto it = m_byId.constFind(QStringView(row));
        if (it != m_byId.cend()) return it.value();
    } else {
        const QString head = row + QLatin1Char(' ');
        for (int l = 1; l < m_starts.size(); ++l)
            if (line(l).startsWith(head)) return l;
    }
    return m_byValue.value(core::Val(row), -1);
}

QString DataFile::value(const QString& row, int column) const {
    if (column < 1) return QStringLiteral("0");
    const int l = findRow(row);
    if (l < 0) return QStringLiteral("0");
    const QStringView line = QStringView(m_text).mid(m_starts.at(l), m_ends.at(l) - m_starts.at(l));
    const QStringView v = field(line, column);
    return v.isEmpty() ? QStringLiteral("0") : v.toString();
}

QString DataCache::existingPath(const QString& path) {
    if (QFileInfo(path).isFile()) return path;
    // Folders of data files hold thousands of names: list each folder once instead of letting
    // every missing file search it again.
    const QString folder = platform::parentOf(path);
    auto it = m_folders.find(folder);
    if (it == m_folders.end()) {
        QHash<QString, QString> names;
        const QString resolved = platform::resolvePath(folder);
        for (const QString& name : platform::listFiles(folder))
            names.insert(name.toUpper(), resolved + QLatin1Char('/') + name);
        it = m_folders.insert(folder, names);
    }
    return it.value().value(platform::nameOf(path).toUpper());
}

const DataFile& DataCache::file(const QString& path) {
    auto it = m_files.constFind(path);
    if (it != m_files.cend()) return *it.value();
    std::shared_ptr<DataFile> f;
    const QString existing = existingPath(path);
    if (!existing.isEmpty())
        f = std::make_shared<DataFile>(data::VV_Memo_Read(existing));
    else
        f = std::make_shared<DataFile>();
    m_files.insert(path, f);
    return *f;
}

} // namespace mirel::query
