#include "query/datacache.h"

#include <algorithm>
#include <QFileInfo>
#include <QStringBuilder>

#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/fileio.h"

namespace mirel::query {
namespace {

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

QString joinPath(const QString& folder, const QString& name) {
    return folder.isEmpty() ? name : folder % QLatin1Char('/') % name;
}

} // namespace

DataFile::DataFile(QStringView prepared)
    : exists(true)
    , m_text(prepared) {
    const QChar* const begin = m_text.data();
    const QChar* const end = begin + m_text.size();
    for (const QChar* line = begin; line < end;) {
        m_starts.append(line - begin);
        line = std::find(line, end, QChar(u'\n'));
        if (line < end) ++line;
    }
}

QStringView DataFile::line(int l) const {
    const qsizetype start = m_starts[l];
    qsizetype end = l + 1 < m_starts.size() ? m_starts[l + 1] : m_text.size();
    if (end > start && m_text.at(end - 1) == QLatin1Char('\n')) --end;
    if (end > start && m_text.at(end - 1) == QLatin1Char('\r')) --end;
    return m_text.mid(start, end - start);
}

namespace {

// The numeric value of a first field: plain digits without a detour through a text.
double firstFieldValue(QStringView field) {
    double v = 0;
    for (QChar c : field) {
        if (!core::isDigit(c)) return core::Val(field.toString());
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

// Files of up to this many lines are searched line by line; larger ones get an index.
constexpr int SmallFile = 40;

} // namespace

const DataFile::Index& DataFile::index() const {
    if (m_index) return *m_index;
    m_index = std::make_unique<Index>();
    Index& index = *m_index;
    for (int l = 0; l < m_starts.size(); ++l) {
        const QStringView text = line(l);
        const qsizetype blank = text.indexOf(QChar(u' '));
        if (l > 0 && blank >= 0) {
            const QStringView id = text.left(blank);
            if (!index.byId.contains(id)) index.byId.insert(id, l);
        }
        // Only data lines count for the numeric lookup: the state and header lines would
        // otherwise answer for every identifier whose value is 0.
        if (!text.isEmpty() && core::isDigit(text.at(0))) {
            const double v = firstFieldValue(field(text, 0));
            if (!index.byValue.contains(v)) index.byValue.insert(v, l);
        }
    }
    return index;
}

int DataFile::findRow(const QString& row) const {
    if (m_starts.size() <= SmallFile) {
        // The blank after the identifier is looked at first, in the text itself: it lies in
        // the line when it comes before the start of the next one (a line end is no blank).
        const QStringView id(row);
        const QStringView text = m_text;
        for (int l = 1; l < m_starts.size(); ++l) {
            const qsizetype blank = m_starts[l] + id.size();
            const qsizetype next = l + 1 < m_starts.size() ? m_starts[l + 1] : text.size();
            if (blank < next && text[blank] == QLatin1Char(' ') &&
                std::equal(id.begin(), id.end(), text.begin() + m_starts[l]))
                return l;
        }
        const double v = core::Val(row);
        for (int l = 0; l < m_starts.size(); ++l) {
            const QStringView text = line(l);
            if (!text.isEmpty() && core::isDigit(text.at(0)) && firstFieldValue(field(text, 0)) == v)
                return l;
        }
        return -1;
    }
    const Index& index = this->index();
    if (!row.contains(QLatin1Char(' '))) {
        const auto it = index.byId.constFind(QStringView(row));
        if (it != index.byId.cend()) return it.value();
    } else {
        const QString head = row + QLatin1Char(' ');
        for (int l = 1; l < m_starts.size(); ++l)
            if (line(l).startsWith(head)) return l;
    }
    return index.byValue.value(core::Val(row), -1);
}

QStringView DataFile::value(const QString& row, int column) const {
    if (column < 1) return u"0";
    const int l = findRow(row);
    if (l < 0) return u"0";
    const QStringView v = field(line(l), column);
    return v.isEmpty() ? QStringView(u"0") : v;
}

DataCache::Section& DataCache::section(const QString& folder, int number) {
    auto it = m_folders.constFind(folder);
    if (it == m_folders.cend()) {
        Folder& f = m_folderStore.emplace_back();
        f.path = folder;
        it = m_folders.insert(folder, &f);
    }
    Folder& f = *it.value();
    Section& s = f.sections[number];
    s.folder = &f;
    s.number = number;
    return s;
}

int DataCache::regionNumber(const QString& code) {
    // Room for the regions of a classifier: growing the table as they come costs more.
    if (m_regionNumbers.empty()) m_regionNumbers.reserve(4096);
    const QString trimmed = core::Trim(code);
    const auto [it, added] = m_regionNumbers.try_emplace(trimmed, int(m_regionCodes.size()));
    if (added) m_regionCodes.append(trimmed);
    return it->second;
}

const DataFile& DataCache::file(Section& section, int region) {
    if (section.files.size() <= region) section.files.resize(m_regionCodes.size());
    const DataFile*& slot = section.files[region];
    if (!slot) {
        ++m_count;
        slot =
            &read(*section.folder, data::sectionFileName(m_regionCodes.at(region), section.number));
    }
    return *slot;
}

const DataFile& DataCache::read(Folder& folder, const QString& name) {
    if (!folder.listed) {
        // Nearly every file asked for exists under its own name: it is read without a search.
        // The prepared text of a missing file is that of an empty one.
        const QString path = joinPath(folder.path, name);
        const QString text = data::VV_Memo_Read(path);
        if (text != core::CRLF || QFileInfo(path).isFile()) return keep(text);
    }
    const QString existing = listedPath(folder, name);
    if (existing.isEmpty()) return m_missing;
    return keep(data::VV_Memo_Read(existing));
}

const DataFile& DataCache::keep(const QString& text) {
    // Blocks stay below the size the allocator maps on its own (128 KiB), so that a next
    // computation reuses their memory instead of having it mapped afresh.
    constexpr qsizetype Block = 60000;
    if (m_texts.isEmpty() || m_texts.last().capacity() - m_texts.last().size() < text.size())
        m_texts.emplaceBack().reserve(std::max(Block, text.size()));
    // Within its capacity a block never moves, so the views into it stay valid.
    QString& block = m_texts.last();
    const qsizetype at = block.size();
    block.append(text.constData(), text.size());
    return m_files.emplace_back(QStringView(block).mid(at, text.size()));
}

QString DataCache::listedPath(Folder& folder, const QString& name) {
    if (!folder.listed) {
        // Folders of data files hold thousands of names: list each folder once instead of
        // letting every missing file search it again.
        folder.listed = true;
        const QString resolved = platform::resolvePath(folder.path);
        for (const QString& n : platform::listFiles(folder.path))
            folder.byUpperName.insert(n.toUpper(), resolved + QLatin1Char('/') + n);
    }
    const QString listed = folder.byUpperName.value(name.toUpper());
    if (listed.isEmpty() || platform::nameOf(listed) == name) return listed;
    // Another spelling was listed; the name as written comes first when it exists too.
    const QString exact = joinPath(folder.path, name);
    return QFileInfo(exact).isFile() ? exact : listed;
}

} // namespace mirel::query
