#include "query/datacache.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/codec.h"
#include "platform/fileio.h"

namespace mirel::query {
namespace {

// Files of up to this many bytes (some fifty lines of a usual section) are searched line by
// line; larger ones get an index.
constexpr qsizetype SmallFile = 4096;

bool isDigitByte(char c) {
    return c >= '0' && c <= '9';
}

// Field k (0-based) of a line whose fields are separated by runs of blanks.
QByteArrayView field(QByteArrayView line, int k) {
    qsizetype i = 0;
    const qsizetype n = line.size();
    int index = 0;
    while (i < n) {
        while (i < n && line[i] == ' ')
            ++i;
        if (i >= n) break;
        qsizetype j = i;
        while (j < n && line[j] != ' ')
            ++j;
        if (index == k) return line.sliced(i, j - i);
        ++index;
        i = j;
    }
    return QByteArrayView();
}

// Whether the bytes at the start of a text read as the identifier.
bool startsWithText(QByteArrayView bytes, QStringView text) {
    if (bytes.size() < text.size()) return false;
    const char16_t* table = platform::table1251();
    for (qsizetype i = 0; i < text.size(); ++i)
        if (table[static_cast<unsigned char>(bytes[i])] != text[i].unicode()) return false;
    return true;
}

// The numeric value of a first field: plain digits without a detour through a text.
double firstFieldValue(QByteArrayView field) {
    double v = 0;
    for (char c : field) {
        if (!isDigitByte(c)) {
            QString text;
            platform::decode1251(field, text);
            return core::Val(text);
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

const QByteArrayView Zero("0");

} // namespace

void DataFile::assign(QByteArray& raw) {
    // The bytes are prepared where they were read, so that a file costs its size once; raw is
    // left with the memory this file held before.
    QByteArrayView kept = data::memoBytes(raw);
    if (kept.size() > std::numeric_limits<qint32>::max() - 2) kept = QByteArrayView();
    const qsizetype start = kept.isEmpty() ? 0 : kept.data() - raw.constData();
    const qsizetype n = kept.size();
    m_bytes.swap(raw);
    if (start > 0) {
        char* const d = m_bytes.data();
        std::memmove(d, d + start, size_t(n));
    }
    m_bytes.resize(n + 2);
    m_bytes[n] = '\r';
    m_bytes[n + 1] = '\n';
    m_lines.clear();
    m_split = false;
    m_index.reset();
    exists = true;
}

void DataFile::clear() {
    exists = false;
    m_bytes.resize(0); // the memory stays for the next file
    m_lines.clear();
    m_split = false;
    m_index.reset();
}

void DataFile::split() const {
    m_split = true;
    const char* const begin = m_bytes.constData();
    const qsizetype n = m_bytes.size();
    for (qsizetype start = 0; start < n;) {
        const char* end =
            static_cast<const char*>(std::memchr(begin + start, '\n', size_t(n - start)));
        const qsizetype stop = end ? end - begin : n;
        const char* blank =
            static_cast<const char*>(std::memchr(begin + start, ' ', size_t(stop - start)));
        m_lines.append({qint32(start), qint32(blank ? blank - begin - start : -1)});
        start = stop + 1;
    }
}

QByteArrayView DataFile::line(int l) const {
    const qsizetype start = m_lines[l].start;
    qsizetype end = l + 1 < m_lines.size() ? m_lines[l + 1].start - 1 : m_bytes.size();
    if (end > start && m_bytes.at(end - 1) == '\n') --end; // the last line's own end
    if (end > start && m_bytes.at(end - 1) == '\r') --end;
    return QByteArrayView(m_bytes).sliced(start, end - start);
}

// The first field of a line that begins with a digit: up to its first blank.
QByteArrayView DataFile::firstField(int l) const {
    const QByteArrayView text = line(l);
    return m_lines[l].blank >= 0 ? text.first(m_lines[l].blank) : text;
}

int DataFile::findRow(const QString& row) const {
    if (!m_split) split();
    const bool plain = !row.contains(QLatin1Char(' '));
    if (m_bytes.size() <= SmallFile) {
        // The line that begins with the identifier and a blank: for an identifier without
        // blanks, the line whose first blank follows it.
        const QByteArrayView all(m_bytes);
        for (int l = 1; l < m_lines.size(); ++l) {
            if (plain) {
                if (m_lines[l].blank == row.size() &&
                    startsWithText(all.sliced(m_lines[l].start), row))
                    return l;
                continue;
            }
            const QByteArrayView text = line(l);
            if (text.size() > row.size() && text[row.size()] == ' ' && startsWithText(text, row))
                return l;
        }
        const double v = core::Val(row);
        for (int l = 0; l < m_lines.size(); ++l) {
            const QByteArrayView text = line(l);
            if (!text.isEmpty() && isDigitByte(text[0]) && firstFieldValue(firstField(l)) == v)
                return l;
        }
        return -1;
    }
    if (!m_index) {
        m_index = std::make_unique<Index>();
        for (int l = 0; l < m_lines.size(); ++l) {
            const QByteArrayView text = line(l);
            if (l > 0 && m_lines[l].blank >= 0) {
                const QByteArrayView id = text.first(m_lines[l].blank);
                if (!m_index->byId.contains(id)) m_index->byId.insert(id, l);
            }
            // Only data lines count for the numeric lookup: the state and header lines would
            // otherwise answer for every identifier whose value is 0.
            if (!text.isEmpty() && isDigitByte(text[0])) {
                const double v = firstFieldValue(firstField(l));
                if (!m_index->byValue.contains(v)) m_index->byValue.insert(v, l);
            }
        }
    }
    if (plain) {
        const QByteArray id = platform::encode1251(row);
        // An identifier with a character the code page lacks is in no file.
        if (platform::decode1251(id) == row) {
            const auto it = m_index->byId.constFind(QByteArrayView(id));
            if (it != m_index->byId.cend()) return it.value();
        }
    } else {
        for (int l = 1; l < m_lines.size(); ++l) {
            const QByteArrayView text = line(l);
            if (text.size() > row.size() && text[row.size()] == ' ' && startsWithText(text, row))
                return l;
        }
    }
    return m_index->byValue.value(core::Val(row), -1);
}

QByteArrayView DataFile::rawValue(const QString& row, int column) const {
    if (column < 1) return Zero;
    const int l = findRow(row);
    if (l < 0) return Zero;
    const QByteArrayView v = field(line(l), column);
    return v.isEmpty() ? Zero : v;
}

QString DataFile::value(const QString& row, int column) const {
    QString text;
    platform::decode1251(rawValue(row, column), text);
    return text;
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
    // A table asks for the number of every region for every reference: plain digits are
    // looked up by their value, without making or hashing a text.
    qsizetype b = 0;
    qsizetype e = code.size();
    while (b < e && code.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && code.at(e - 1) == QLatin1Char(' '))
        --e;
    quint64 value = 0;
    bool digits = e - b > 0 && e - b <= 17;
    for (qsizetype i = b; i < e && digits; ++i) {
        digits = core::isDigit(code.at(i));
        value = value * 10 + (code.at(i).unicode() - '0');
    }
    const auto add = [this](const QString& trimmed) {
        m_regionCodes.append(trimmed);
        m_keptForGood.push_back(false);
        return int(m_regionCodes.size()) - 1;
    };
    if (digits) {
        const quint64 key = value * 32 + quint64(e - b); // "007" is not "7"
        const auto it = m_digitCodes.constFind(key);
        if (it != m_digitCodes.cend()) return it.value();
        const int number = add(code.mid(b, e - b));
        m_digitCodes.insert(key, number);
        return number;
    }
    const QString trimmed = code.mid(b, e - b);
    const auto it = m_otherCodes.constFind(trimmed);
    if (it != m_otherCodes.cend()) return it.value();
    const int number = add(trimmed);
    m_otherCodes.insert(trimmed, number);
    return number;
}

const DataFile& DataCache::file(Section& section, int region) {
    touch(region);
    if (section.files.size() <= size_t(region)) section.files.resize(m_regionCodes.size());
    DataFile*& slot = section.files[size_t(region)];
    if (!slot) {
        ++m_count;
        slot =
            read(*section.folder, data::sectionFileName(m_regionCodes.at(region), section.number));
        if (!section.cells.isEmpty()) takeCells(section, region, *slot);
    }
    return *slot;
}

void DataCache::keepCell(Section& section, const QString& row, int column) {
    const QPair<QString, int> cell(row, column);
    if (!section.cells.contains(cell)) section.cells.append(cell);
}

void DataCache::takeCells(Section& section, int region, const DataFile& file) {
    if (section.cellRecords.size() <= size_t(region))
        section.cellRecords.resize(m_regionCodes.size(), -1);
    qint32& record = section.cellRecords[size_t(region)];
    if (record != -1) return;
    if (!file.exists) {
        record = -2;
        return;
    }
    QByteArray& bytes = section.cellBytes;
    // Beyond what an offset holds, cells are no longer taken: the files are read instead.
    if (bytes.size() > std::numeric_limits<qint32>::max() / 2) return;
    record = qint32(bytes.size());
    const auto appendNumber = [&bytes](qint32 n) {
        bytes.append(reinterpret_cast<const char*>(&n), sizeof n);
    };
    appendNumber(qint32(section.cells.size()));
    for (const auto& [row, column] : section.cells) {
        const QByteArrayView v = file.rawValue(row, column);
        appendNumber(qint32(v.size()));
        bytes.append(v.data(), v.size());
    }
}

bool DataCache::hasCells(const Section& section, int region) const {
    return section.cellRecords.size() > size_t(region) && section.cellRecords[size_t(region)] != -1;
}

bool DataCache::keptCell(const Section& section, int region, const QString& row, int column,
                         QByteArrayView& value, bool& exists) const {
    if (!hasCells(section, region)) return false;
    const qint32 record = section.cellRecords[size_t(region)];
    exists = record != -2;
    if (!exists) return true;
    const qsizetype index = section.cells.indexOf(QPair<QString, int>(row, column));
    if (index < 0) return false;
    const char* at = section.cellBytes.constData() + record;
    const auto number = [&at] {
        qint32 n;
        std::memcpy(&n, at, sizeof n);
        at += sizeof n;
        return n;
    };
    // Cells wanted after the record was made are not in it.
    if (index >= number()) return false;
    for (qsizetype i = 0; i < index; ++i)
        at += number();
    const qint32 length = number();
    value = QByteArrayView(at, length);
    return true;
}

void DataCache::keepRegion(int region) {
    if (m_keptForGood[size_t(region)]) return;
    m_keptForGood[size_t(region)] = true;
    m_recent.removeOne(region);
}

void DataCache::touch(int region) {
    if (m_keptForGood[size_t(region)] || (!m_recent.isEmpty() && m_recent.last() == region)) return;
    m_recent.removeOne(region);
    m_recent.append(region);
    while (m_recent.size() > KeptRegions)
        release(m_recent.takeFirst());
}

void DataCache::release(int region) {
    for (Folder& folder : m_folderStore)
        for (auto& [number, section] : folder.sections) {
            if (section.files.size() <= size_t(region)) continue;
            DataFile*& slot = section.files[size_t(region)];
            // A missing file stays marked: it costs nothing to keep.
            if (!slot || slot == &m_missing) continue;
            slot->clear();
            m_spare.push_back(slot);
            slot = nullptr;
        }
}

DataFile* DataCache::read(Folder& folder, const QString& name) {
    // The period folder is looked up and opened once; its files are opened by their names.
    if (!folder.files) folder.files = std::make_unique<platform::FolderFiles>(folder.path);
    if (!folder.files->read(name, m_buffer)) return &m_missing;
    DataFile* file = nullptr;
    if (!m_spare.empty()) {
        file = m_spare.back();
        m_spare.pop_back();
    } else {
        file = &m_files.emplace_back();
    }
    file->assign(m_buffer);
    return file;
}

} // namespace mirel::query
