// .xls workbooks: FreeXL for the cells, and a small reader of the compound file and its BIFF
// records for the workbook stream FreeXL is given and for what it leaves out: the stored results
// of formulas.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <freexl.h>
#include <limits>
#include <QList>
#include <QSet>
#include <QtEndian>
#include <QVarLengthArray>
#include <utility>

#include "platform/codec.h"
#include "platform/evaluator.h"
#include "platform/spreadsheet_p.h"

namespace mirel::platform::sheets {
namespace {

// FreeXL reads only files, by name. The build links a copy of it whose one fopen is
// mirel_xls_fopen below: the adapter hands it a compound file of the workbook stream it has
// already read and checked, so a workbook is read from disk once, and FreeXL parses exactly what
// the checks passed.
thread_local const QByteArray* t_bytesToOpen = nullptr;

struct OpenBytes {
    QByteArray bytes;
    qint64 at = 0;
};

ssize_t readBytes(void* cookie, char* buffer, size_t size) {
    auto* open = static_cast<OpenBytes*>(cookie);
    const qint64 n = std::min<qint64>(qint64(size), open->bytes.size() - open->at);
    if (n <= 0) return 0;
    std::memcpy(buffer, open->bytes.constData() + open->at, size_t(n));
    open->at += n;
    return ssize_t(n);
}

// As on a file: a place past the end may be sought, and reads there find nothing.
int seekBytes(void* cookie, off64_t* offset, int whence) {
    auto* open = static_cast<OpenBytes*>(cookie);
    const qint64 base = whence == SEEK_SET   ? 0
                        : whence == SEEK_CUR ? open->at
                        : whence == SEEK_END ? open->bytes.size()
                                             : -1;
    if (base < 0 || *offset < -base || *offset > std::numeric_limits<qint64>::max() - base)
        return -1;
    open->at = base + *offset;
    *offset = open->at;
    return 0;
}

int closeBytes(void* cookie) {
    delete static_cast<OpenBytes*>(cookie);
    return 0;
}

} // namespace
} // namespace mirel::platform::sheets

extern "C" FILE* mirel_xls_fopen(const char* path, const char* mode) {
    using namespace mirel::platform::sheets;
    const QByteArray* bytes = std::exchange(t_bytesToOpen, nullptr);
    if (!bytes) return std::fopen(path, mode); // FreeXL called directly, as a benchmark does
    auto* open = new OpenBytes{*bytes};
    FILE* file = fopencookie(open, "rb", {readBytes, nullptr, seekBytes, closeBytes});
    if (!file) delete open;
    return file;
}

namespace mirel::platform::sheets {
namespace {

quint16 u16(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 2 > b.size()) return 0;
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}
quint32 u32(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 4 > b.size()) return 0;
    return quint32(u16(b, at)) | (quint32(u16(b, at + 2)) << 16);
}

constexpr quint32 EndOfChain = 0xFFFFFFFE;

// The streams of a compound file, read with every index checked against the file.
class CompoundFile {
public:
    explicit CompoundFile(const QByteArray& file)
        : m_file(file) {
        if (file.size() < 512) return;
        const int shift = u16(file, 0x1E);
        if (shift != 9 && shift != 12) return;
        m_sector = qsizetype(1) << shift;
        const int miniShift = u16(file, 0x20);
        if (miniShift != 6) return;
        m_miniCutoff = u32(file, 0x38);

        // The sectors of the allocation table: 109 in the header, the rest in a chain.
        QList<quint32> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const quint32 s = u32(file, 0x4C + i * 4);
            if (s < EndOfChain - 2) fatSectors.append(s);
        }
        quint32 difat = u32(file, 0x44);
        QSet<quint32> seen;
        while (difat < EndOfChain - 2 && !seen.contains(difat) && sectorValid(difat)) {
            seen.insert(difat);
            const qsizetype at = offset(difat);
            const int entries = int(m_sector / 4) - 1;
            for (int i = 0; i < entries; ++i) {
                const quint32 s = u32(file, at + i * 4);
                if (s < EndOfChain - 2) fatSectors.append(s);
            }
            difat = u32(file, at + entries * 4);
        }
        // The table is read where it lies, entry by entry, when a chain is followed.
        for (quint32 s : fatSectors)
            if (sectorValid(s)) m_fatSectors.append(s);
        // Directory entries.
        const QByteArray dir = chain(u32(file, 0x30), -1);
        for (qsizetype at = 0; at + 128 <= dir.size(); at += 128) {
            Entry e;
            if (u16(dir, at + 0x40) > 64) m_namesValid = false;
            const int nameBytes = std::min<int>(u16(dir, at + 0x40), 64);
            for (int i = 0; i + 1 < nameBytes - 1; i += 2)
                e.name.append(QChar(u16(dir, at + i)));
            e.type = quint8(dir[at + 0x42]);
            e.start = u32(dir, at + 0x74);
            e.size = u32(dir, at + 0x78);
            m_entries.append(e);
        }
        if (!m_entries.isEmpty() && m_entries.first().type == 5) {
            m_miniStream = chain(m_entries.first().start, m_entries.first().size);
            const QByteArray miniFat = chain(u32(file, 0x3C), -1);
            for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4)
                m_miniFat.append(u32(miniFat, i));
        }
    }

    bool hasStream(const QString& name) const { return find(name) >= 0; }
    // Whether the directory could be read: it has the root's entry at least.
    bool hasDirectory() const { return !m_entries.isEmpty(); }
    // False when a directory entry claims a name longer than its 64 bytes (FreeXL would read
    // past it).
    bool namesValid() const { return m_namesValid; }

    // The stream's bytes; whole is set to whether the chain holds as many as the directory
    // says the stream has.
    QByteArray stream(const QString& name, bool* whole = nullptr) const {
        const int i = find(name);
        if (whole) *whole = false;
        if (i < 0) return {};
        const Entry& e = m_entries.at(i);
        QByteArray out =
            e.size < m_miniCutoff ? miniChain(e.start, e.size) : chain(e.start, e.size);
        if (whole) *whole = out.size() == qsizetype(e.size);
        return out;
    }

private:
    struct Entry {
        QString name;
        int type = 0;
        quint32 start = 0;
        quint32 size = 0;
    };

    int find(const QString& name) const {
        for (int i = 0; i < m_entries.size(); ++i)
            if (m_entries.at(i).type == 2 &&
                m_entries.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    qsizetype offset(quint32 sector) const { return (qsizetype(sector) + 1) * m_sector; }
    bool sectorValid(quint32 sector) const {
        return m_sector > 0 && offset(sector) + m_sector <= m_file.size();
    }
    // The bytes of a chain of sectors, cut to size (the whole chain when size is negative).
    QByteArray chain(quint32 start, qint64 size) const {
        QByteArray out;
        if (size > 0) out.reserve(qsizetype(std::min<qint64>(size, m_file.size())));
        quint32 s = start;
        const qsizetype fatSize = m_fatSectors.size() * (m_sector / 4);
        for (qsizetype steps = 0; s < EndOfChain - 2 && steps <= fatSize; ++steps) {
            if (!sectorValid(s)) break;
            out.append(m_file.constData() + offset(s), m_sector);
            if (size >= 0 && out.size() >= size) break;
            if (s >= quint32(fatSize)) break;
            s = fatEntry(s);
        }
        if (size >= 0 && out.size() > size) out.truncate(size);
        return out;
    }
    QByteArray miniChain(quint32 start, qint64 size) const {
        QByteArray out;
        quint32 s = start;
        for (qsizetype steps = 0; s < EndOfChain - 2 && steps <= m_miniFat.size(); ++steps) {
            const qsizetype at = qsizetype(s) * 64;
            if (at + 64 > m_miniStream.size()) break;
            out.append(m_miniStream.constData() + at, 64);
            if (out.size() >= size) break;
            if (s >= quint32(m_miniFat.size())) break;
            s = m_miniFat.at(s);
        }
        if (out.size() > size) out.truncate(size);
        return out;
    }

    const QByteArray& m_file;
    qsizetype m_sector = 0;
    quint32 m_miniCutoff = 4096;
    // The entry of the allocation table for a sector (below the table's size).
    quint32 fatEntry(quint32 sector) const {
        const qsizetype perSector = m_sector / 4;
        return u32(m_file, offset(m_fatSectors.at(sector / perSector)) + (sector % perSector) * 4);
    }

    QList<quint32> m_fatSectors; // the sectors of the allocation table

    QList<quint32> m_miniFat;
    QByteArray m_miniStream;
    QList<Entry> m_entries;
    bool m_namesValid = true;
};

QString errorText(int code) {
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    default:
        return QStringLiteral("#N/A");
    }
}

// One BIFF record of the workbook stream.
struct Record {
    quint16 id = 0;
    QByteArray data;
    qsizetype next = 0; // offset of the record after it
};

bool readRecord(const QByteArray& stream, qsizetype at, Record& r) {
    if (at < 0 || at + 4 > stream.size()) return false;
    r.id = u16(stream, at);
    const quint16 length = u16(stream, at + 2);
    if (at + 4 + length > stream.size()) return false;
    r.data = QByteArray::fromRawData(stream.constData() + at + 4, length);
    r.next = at + 4 + length;
    return true;
}

// The text of a STRING record (the result of a text formula), continued in CONTINUE records.
QString stringRecord(const QByteArray& stream, const Record& first, bool biff8) {
    const int count = u16(first.data, 0);
    if (!biff8) {
        return decode1251(first.data.mid(2, count));
    }
    QString text;
    Record r = first;
    qsizetype at = 2;
    bool wide = at < r.data.size() && (quint8(r.data[at]) & 1) != 0;
    ++at;
    while (text.size() < count) {
        if (at >= r.data.size()) {
            Record cont;
            if (!readRecord(stream, r.next, cont) || cont.id != 0x003C) break;
            r = cont;
            wide = !r.data.isEmpty() && (quint8(r.data[0]) & 1) != 0;
            at = 1;
            continue;
        }
        if (wide) {
            if (at + 2 > r.data.size()) break;
            text.append(QChar(u16(r.data, at)));
            at += 2;
        } else {
            text.append(QChar(quint8(r.data[at])));
            ++at;
        }
    }
    return text;
}

} // namespace

// Whether the workbook stream says it is encrypted (a FILEPASS record among the globals).
static bool hasFilePass(const QByteArray& stream) {
    Record r;
    for (qsizetype at = 0; readRecord(stream, at, r); at = r.next) {
        if (r.id == 0x002F) return true;
        if (r.id == 0x000A) break;
    }
    return false;
}

// FreeXL's reading of the shared strings (the SST record and the CONTINUE records after it),
// followed step by step to learn whether it would read outside a record: it takes the fields
// of a string where the lengths before them say, and skips what they say to skip, without
// looking at the record's end first; a damaged length sends it anywhere in memory. Its errors
// (a count above a million, an empty string, a bad character) stop it, and are taken here as
// if it went on, which only looks at more.
class SharedStringsWalk {
public:
    // False when FreeXL would read outside this record of the strings.
    bool record(const uchar* r, quint64 size, bool first) {
        quint64 at = 0;
        if (first && !m_begun) {
            if (size < 8) return false;
            m_count = qFromLittleEndian<quint32>(r + 4);
            if (m_count > 1024 * 1024) m_count = 0; // FreeXL stops there
            m_begun = true;
            at = 8;
        } else if (m_pending > 0) {
            // The rest of a string begun in the record before.
            if (size < 1) return false;
            const bool wide = (r[0] & 0x01) != 0;
            at = 1;
            const quint64 rest = m_pending - m_done;
            if (wide) {
                if (at + 2 * rest > size) return false;
                at += 2 * rest;
            } else {
                at = std::min(at + rest, size); // read byte by byte up to the end
            }
            at += m_skip;
            m_skip = at >= size ? quint32(at - size) : 0;
            m_next = 0;
            m_pending = 0;
            m_done = 0;
            ++m_index;
        }
        for (; m_index < m_count; ++m_index) {
            if (quint32(at) >= size) return true; // FreeXL cuts the place to 32 bits
            at += m_next;
            if (at + 3 > size) return false; // the length and the flags
            const quint32 length = qFromLittleEndian<quint16>(r + at);
            const uchar flags = r[at + 2];
            at += 3;
            quint32 skip = 0;
            if (flags & 0x08) { // formatting runs: their count
                if (at + 2 > size) return false;
                skip = quint32(qFromLittleEndian<quint16>(r + at)) * 4;
                at += 2;
            }
            if (flags & 0x04) { // phonetic data: its size
                if (at + 4 > size) return false;
                skip += qFromLittleEndian<quint32>(r + at);
                at += 4;
            }
            if (at > size) return false;
            const bool wide = (flags & 0x01) != 0;
            const quint64 required = wide ? 2 * quint64(length) : length;
            m_skip = skip;
            m_next = 0;
            if (required > size - at) { // continued in the next record
                m_pending = length;
                m_done = wide ? (size - at) / 2 : size - at;
                return true;
            }
            at += required + m_skip;
            m_next = at >= size ? quint32(at - size) : 0;
            m_skip = 0;
        }
        return true;
    }

private:
    bool m_begun = false;
    quint32 m_count = 0;
    quint32 m_index = 0;
    quint32 m_pending = 0; // the characters of a string begun in the record before
    quint64 m_done = 0;    // of them, those read there
    quint32 m_skip = 0;    // what follows the string being read
    quint32 m_next = 0;    // what the next record begins with that belongs to the last string
};

// Whether a BOUNDSHEET record's data (6 bytes at least) lists a worksheet: its sheet type, after
// the place and the visibility, is 0; chart sheets (2), macro sheets (1) and modules (6) are no
// worksheets and take no number.
static bool listsWorksheet(const uchar* boundSheet) {
    return boundSheet[5] == 0;
}

// Whether the text whose length stands at `at` in a record lies within the record, as FreeXL
// reads it: in BIFF8 a flags byte follows the length (wide characters, a count of formatting
// runs, a size of phonetic data), then the characters; in BIFF5 the characters follow at once.
static bool textFits(const uchar* record, qsizetype size, qsizetype at, bool biff8) {
    if (at + 2 > size) return false;
    const qsizetype length = qFromLittleEndian<quint16>(record + at);
    at += 2;
    if (!biff8) return at + length <= size;
    if (at + 1 > size) return false;
    const uchar flags = record[at];
    at += 1 + (flags & 0x08 ? 2 : 0) + (flags & 0x04 ? 4 : 0);
    return at + (flags & 0x01 ? 2 * length : length) <= size;
}

// Whether FreeXL reads the workbook stream within its records and makes the cell table of
// every DIMENSION record. It refuses a table above 256 MB, and when the worksheet has one
// already (a second DIMENSION record) it then frees the old table by the new size, far past its
// end (a second table it can make takes the first one's place, which is lost); a short record it
// completes with the bytes of the record before. Real workbooks stay well below the size (65536
// rows of 256 columns at most) and give each worksheet one DIMENSION record, so any other is
// damage; and so are texts and shared strings that would have FreeXL read outside their
// records, and more cell formats than it keeps. The stream is read where FreeXL reads it, in its
// plain compound file: FreeXL completes a last record that runs past the stream's end with the
// bytes that fill the stream's last sector, and ends there.
// A listed sheet that gets no DIMENSION record FreeXL sizes by its cells after reading the
// stream, but makes the table in the place of the sheet it read last: that one's cells are lost
// and it reads empty. So every listed sheet but the one read last must have its DIMENSION record
// (Excel's chart sheets have none: they are left out before, see worksheetsOnly).
// others, when given, is set when the stream holds what FreeXL should not be given: a substream
// inside another (a BOF record before the EOF record of the one before), or a sheet that is not
// a worksheet.
static bool fitsFreeXL(const QByteArray& plain, qsizetype size, bool* others = nullptr) {
    // Walked on the raw bytes, as FreeXL walks them: every record of every workbook passes here.
    const qsizetype sector = qsizetype(1) << qFromLittleEndian<quint16>(plain.constData() + 0x1E);
    const auto* const bytes = reinterpret_cast<const uchar*>(plain.constData() + 2 * sector);
    const qsizetype filled = (size + sector - 1) / sector * sector;
    const auto at16 = [bytes](qsizetype at) { return qFromLittleEndian<quint16>(bytes + at); };
    if (size < 6 || at16(0) != 0x0809) return true; // FreeXL refuses it at once
    const quint16 version = at16(4);
    if (version != 0x0500 && version != 0x0600) return true; // the same
    const bool biff8 = version == 0x0600;
    SharedStringsWalk strings;
    quint16 previous = 0;
    int formats = 0;
    bool dimensioned = false;            // the substream has had its DIMENSION record
    bool ended = false;                  // the substream before has ended (EOF)
    QVarLengthArray<quint32, 16> listed; // where each listed sheet begins, as FreeXL lists them
    QVarLengthArray<bool, 16> sized;     // whether it has had its DIMENSION record
    qsizetype reading = -1;              // the listed sheet being read, -1 for none
    for (qsizetype at = 4 + at16(2); at + 4 <= size;) {
        const quint16 id = at16(at);
        const qsizetype length = at16(at + 2);
        const qsizetype data = at + 4;
        // FreeXL ends the stream at an empty record of type 0, at one longer than its buffer,
        // and at one that runs past the last sector.
        if ((id == 0 && length == 0) || length > 8224 || data + length > filled) break;
        at = data + length;
        if (at > size) at = filled; // the last record FreeXL reads
        if (id == 0x003C) {         // CONTINUE
            if (previous == 0x00FC && !strings.record(bytes + data, quint64(length), false))
                return false;
            continue;
        }
        previous = id;
        if (id == 0x00FC && !strings.record(bytes + data, quint64(length), true)) return false;
        // A cell's text (LABEL) and a number format's (FORMAT) are read as long as they say.
        if (id == 0x0204 && !textFits(bytes + data, length, 6, biff8)) return false;
        if (id == 0x041E && biff8 && !textFits(bytes + data, length, 2, true)) return false;
        // FreeXL keeps 8192 cell formats (XF) but counts on, and then looks a cell's format up
        // past its table; Excel makes some four thousand at most.
        if (id == 0x00E0 && ++formats > 8192) return false;
        // A substream begins at a BOF record after an EOF record; FreeXL takes one inside a
        // substream (an embedded chart's) for nothing, and the worksheet goes on.
        if (id == 0x000A) ended = true;
        if (id == 0x0809) {
            if (std::exchange(ended, false)) {
                dimensioned = false;
                // FreeXL reads into the first listed sheet that begins here, if any.
                const auto* const found =
                    std::find(listed.cbegin(), listed.cend(), quint32(data - 4));
                reading = found == listed.cend() ? -1 : found - listed.cbegin();
            } else if (others) {
                *others = true;
            }
        }
        if (id == 0x0085) { // BOUNDSHEET: a listed sheet, wherever FreeXL meets it
            if (length < 8) return false;
            listed.append(qFromLittleEndian<quint32>(bytes + data));
            sized.append(false);
            if (others && !listsWorksheet(bytes + data)) *others = true;
        }
        if (id != 0x0200) continue;
        // A second table for one worksheet: FreeXL loses the first, with whatever it holds.
        if (std::exchange(dimensioned, true)) return false;
        if (reading >= 0) sized[reading] = true;
        if (length < (biff8 ? 12 : 8)) return false;
        const double rows = biff8 ? qFromLittleEndian<quint32>(bytes + data + 4) : at16(data + 2);
        const double columns = at16(data + (biff8 ? 10 : 6));
        if (16.0 * rows * columns > 256.0 * 1024 * 1024) return false;
    }
    for (qsizetype i = 0; i < listed.size(); ++i)
        if (!sized[i] && i != reading) return false;
    return true;
}

// The workbook stream with its worksheets only: without the sheets of other kinds (chart sheets,
// macro sheets), their BOUNDSHEET records in the globals, and without the substreams inside a
// worksheet's (the charts embedded in it, each from its BOF record to its EOF record); the
// worksheets' places in the globals moved to match. A chart sheet is no worksheet (the
// worksheets are numbered without it) and FreeXL would lose the last worksheet's cells for it
// (see fitsFreeXL); after a chart embedded in a worksheet FreeXL takes the worksheet's next
// record for a misplaced one and gives up on the whole workbook. A sheet left out reaches from
// its place to the next sheet's: Gnumeric ends a chart sheet without its own EOF record, after
// the chart's. The stream as it is when there is nothing to take out or its records do not hold
// together.
static QByteArray worksheetsOnly(const QByteArray& stream) {
    const auto* const bytes = reinterpret_cast<const uchar*>(stream.constData());
    const qsizetype size = stream.size();
    QList<std::pair<qsizetype, qsizetype>> cuts; // where, how long; in order
    // The globals: where each sheet begins and whether it is left out.
    QVarLengthArray<std::pair<quint32, bool>, 16> places;
    qsizetype at = 0;
    while (at + 4 <= size) {
        const quint16 id = qFromLittleEndian<quint16>(bytes + at);
        const qsizetype next = at + 4 + qFromLittleEndian<quint16>(bytes + at + 2);
        if (next > size) return stream;
        if (id == 0x0085 && next - at >= 4 + 6) {
            const bool other = !listsWorksheet(bytes + at + 4);
            places.append({qFromLittleEndian<quint32>(bytes + at + 4), other});
            if (other) cuts.append({at, next - at});
        }
        at = next;
        if (id == 0x000A) break;
    }
    // The sheets, each from its place on (the first listed of those that share one counts, as
    // for FreeXL).
    std::stable_sort(places.begin(), places.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto* nextPlace = places.cbegin();
    bool leftOut = false; // the sheet being read is left out, from cutStart on
    qsizetype cutStart = 0;
    int depth = 0; // of the substreams in the worksheet being read
    for (; at + 4 <= size;) {
        const quint16 id = qFromLittleEndian<quint16>(bytes + at);
        const qsizetype next = at + 4 + qFromLittleEndian<quint16>(bytes + at + 2);
        if (next > size) return stream;
        while (nextPlace != places.cend() && nextPlace->first < at)
            ++nextPlace;
        if (nextPlace != places.cend() && nextPlace->first == at) {
            if (leftOut) cuts.append({cutStart, at - cutStart});
            leftOut = nextPlace->second;
            cutStart = at;
            depth = 0;
        }
        if (!leftOut && id == 0x0809 && ++depth == 2) cutStart = at;
        if (!leftOut && id == 0x000A && depth > 0 && depth-- == 2)
            cuts.append({cutStart, next - cutStart});
        at = next;
    }
    if (leftOut) cuts.append({cutStart, size - cutStart});
    if (cuts.isEmpty()) return stream;
    QByteArray out;
    out.reserve(size);
    qsizetype from = 0;
    for (const auto& [where, length] : cuts) {
        if (where < from) return stream; // they lie in order and apart; a guard all the same
        out.append(stream.constData() + from, where - from);
        from = where + length;
    }
    out.append(stream.constData() + from, size - from);
    // Each worksheet's BOUNDSHEET record in the globals says where its BOF record is.
    auto* const data = reinterpret_cast<uchar*>(out.data());
    for (qsizetype at = 0; at + 4 <= out.size();) {
        const quint16 id = qFromLittleEndian<quint16>(data + at);
        const quint16 length = qFromLittleEndian<quint16>(data + at + 2);
        if (id == 0x000A) break; // the end of the globals
        if (id == 0x0085 && length >= 4 && at + 8 <= out.size()) {
            const quint32 place = qFromLittleEndian<quint32>(data + at + 4);
            quint32 moved = place;
            for (const auto& [where, cut] : cuts)
                if (where < qsizetype(place)) moved -= quint32(cut);
            qToLittleEndian<quint32>(moved, data + at + 4);
        }
        at += 4 + length;
    }
    return out;
}

// A compound file that holds nothing but the workbook stream, laid out plainly: the header, one
// directory sector (the root and "Workbook"), the stream's sectors in order, then the allocation
// table. FreeXL is handed this instead of the file the stream came from, so that it parses the
// very stream the checks here have read: it follows a file's own layout less carefully than the
// reader above (a directory sector taken without the allocation table, sector places computed in
// 32 bits, names converted by the length they claim). Empty when the stream is too large for an
// allocation table the header can list.
QByteArray plainCompoundFile(const QByteArray& stream) {
    constexpr quint32 FreeSector = 0xFFFFFFFF;
    constexpr quint32 TableSector = 0xFFFFFFFD;
    const auto put16 = [](char* at, quint16 v) { qToLittleEndian(v, at); };
    const auto put32 = [](char* at, quint32 v) { qToLittleEndian(v, at); };
    for (const int shift : {9, 12}) {
        const qsizetype sector = qsizetype(1) << shift;
        const qsizetype perTable = sector / 4;
        const qsizetype data = (stream.size() + sector - 1) / sector;
        // The table lists the directory, the stream's sectors and its own.
        const qsizetype table = (1 + data + perTable - 2) / (perTable - 1);
        if (table > 109) continue;
        const qsizetype sectors = 1 + data + table;
        QByteArray file((1 + sectors) * sector, '\0'); // the header takes the first sector's room
        char* const d = file.data();
        std::memcpy(d, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        put16(d + 0x18, 0x003E);
        put16(d + 0x1A, shift == 9 ? 3 : 4);
        put16(d + 0x1C, 0xFFFE);
        put16(d + 0x1E, quint16(shift));
        put16(d + 0x20, 6);
        put32(d + 0x28, shift == 9 ? 0 : 1);
        put32(d + 0x2C, quint32(table));
        put32(d + 0x30, 0);
        // No mini stream: the stream lies in whole sectors whatever its size, and a cutoff of 0
        // says so to a reader that looks for small streams in the mini stream.
        put32(d + 0x38, 0);
        put32(d + 0x3C, EndOfChain);
        put32(d + 0x44, EndOfChain);
        for (int i = 0; i < 109; ++i)
            put32(d + 0x4C + i * 4, i < table ? quint32(1 + data + i) : FreeSector);
        // The directory: the root, then the stream.
        const qsizetype dir = sector;
        const auto entry = [&](qsizetype at, const char* name, quint8 type, quint32 child,
                               quint32 start, quint32 size) {
            const qsizetype length = qsizetype(std::strlen(name));
            for (qsizetype i = 0; i < length; ++i)
                put16(d + at + 2 * i, quint16(name[i]));
            put16(d + at + 0x40, quint16(2 * (length + 1)));
            d[at + 0x42] = char(type);
            d[at + 0x43] = 1; // black
            put32(d + at + 0x44, FreeSector);
            put32(d + at + 0x48, FreeSector);
            put32(d + at + 0x4C, child);
            put32(d + at + 0x74, start);
            put32(d + at + 0x78, size);
        };
        for (qsizetype at = dir; at < dir + sector; at += 128) {
            put32(d + at + 0x44, FreeSector);
            put32(d + at + 0x48, FreeSector);
            put32(d + at + 0x4C, FreeSector);
        }
        entry(dir, "Root Entry", 5, 1, EndOfChain, 0);
        entry(dir + 128, "Workbook", 2, FreeSector, data > 0 ? 1 : EndOfChain,
              quint32(stream.size()));
        std::memcpy(d + 2 * sector, stream.constData(), size_t(stream.size()));
        // The allocation table.
        const qsizetype tableAt = (2 + data) * sector;
        for (qsizetype i = 0; i < table * perTable; ++i) {
            quint32 next = FreeSector;
            if (i == 0)
                next = EndOfChain;
            else if (i <= data)
                next = i < data ? quint32(i + 1) : EndOfChain;
            else if (i <= data + table)
                next = TableSector;
            put32(d + tableAt + i * 4, next);
        }
        return file;
    }
    return {};
}

void XlsFormulas::read(const QByteArray& stream) {
    m_cells.clear();
    Record r;
    if (!readRecord(stream, 0, r) || (r.id != 0x0809 && r.id != 0x0409)) return;
    const bool biff8 = u16(r.data, 0) == 0x0600;

    // The globals: where each worksheet's records begin.
    QList<qsizetype> sheetStarts;
    for (qsizetype at = r.next; readRecord(stream, at, r); at = r.next) {
        if (r.id == 0x000A) break;
        if (r.id == 0x0085 && r.data.size() >= 6 &&
            listsWorksheet(reinterpret_cast<const uchar*>(r.data.constData())))
            sheetStarts.append(qsizetype(u32(r.data, 0)));
    }
    for (int sheet = 0; sheet < sheetStarts.size(); ++sheet) {
        qsizetype at = sheetStarts.at(sheet);
        if (!readRecord(stream, at, r) || r.id != 0x0809) continue;
        int pendingRow = -1, pendingColumn = -1;
        for (at = r.next; readRecord(stream, at, r); at = r.next) {
            if (r.id == 0x000A || r.id == 0x0809) break;
            if (r.id == 0x0207 && pendingRow >= 0) {
                m_cells.insert(cellKey(sheet, pendingRow, pendingColumn),
                               stringRecord(stream, r, biff8));
                pendingRow = -1;
                continue;
            }
            if (r.id != 0x0006 || r.data.size() < 14) continue;
            pendingRow = -1;
            const int row = u16(r.data, 0);
            const int column = u16(r.data, 2);
            const QByteArray result = r.data.mid(6, 8);
            QString text;
            if (u16(result, 6) == 0xFFFF) {
                switch (quint8(result[0])) {
                case 0: // the text follows in a STRING record
                    pendingRow = row;
                    pendingColumn = column;
                    continue;
                case 1:
                    text = QString::number(quint8(result[2]) ? 1 : 0);
                    break;
                case 2:
                    text = errorText(quint8(result[2]));
                    break;
                default:
                    break; // an empty text
                }
            } else {
                double value = 0;
                std::memcpy(&value, result.constData(), sizeof value);
                text = numberText(value);
            }
            m_cells.insert(cellKey(sheet, row, column), text);
        }
    }
}

bool XlsFormulas::find(int sheet, int row, int column, QString& text) const {
    const auto it = m_cells.constFind(cellKey(sheet, row, column));
    if (it == m_cells.constEnd()) return false;
    text = *it;
    return true;
}

namespace {

class XlsBook;

class XlsSheet : public Worksheet {
public:
    XlsSheet(XlsBook& book, int index)
        : m_book(book)
        , m_index(index) {}
    QString cellText(int row, int column) const override;
    void cellContent(int row, int column, CellContent& content) const override;

private:
    XlsBook& m_book;
    int m_index;
};

class XlsBook : public Workbook {
public:
    XlsBook(const void* handle, const QByteArray& stream, int count)
        : m_handle(handle)
        , m_stream(stream) {
        for (int i = 0; i < count; ++i)
            m_sheets.push_back(std::make_unique<XlsSheet>(*this, i));
    }
    ~XlsBook() override { freexl_close(m_handle); }

    int sheetCount() const override { return int(m_sheets.size()); }
    const Worksheet* sheet(int number) override {
        if (number < 1 || number > sheetCount()) return nullptr;
        return m_sheets.at(size_t(number - 1)).get();
    }

    QString cellText(int index, int row, int column) {
        CellContent content;
        cellContent(index, row, column, content);
        return content.isNumber ? numberText(content.number) : content.text;
    }

    void cellContent(int index, int row, int column, CellContent& content) {
        content.isNumber = false;
        FreeXL_CellValue value;
        if (cellValue(index, row, column, value)) {
            switch (value.type) {
            case FREEXL_CELL_INT: // its text, QString::number, is numberText of its value
                content.isNumber = true;
                content.number = double(value.value.int_value);
                return;
            case FREEXL_CELL_DOUBLE:
                content.isNumber = true;
                content.number = value.value.double_value;
                return;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                content.text = QString::fromUtf8(value.value.text_value);
                return;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                content.text = dateText(value.type, value.value.text_value);
                return;
            default:
                break;
            }
        }
        content.text = formulaText(index, row, column);
    }

private:
    // False when the sheet or the cell cannot be had.
    bool cellValue(int index, int row, int column, FreeXL_CellValue& value) {
        if (m_active != index) {
            if (freexl_select_active_worksheet(m_handle, quint16(index)) != FREEXL_OK) return false;
            m_active = index;
        }
        return row >= 0 && column >= 0 && column <= 0xFFFF &&
               freexl_get_cell_value(m_handle, quint32(row), quint16(column), &value) == FREEXL_OK;
    }

    // FreeXL gives formula cells as empty: their stored result is read from the file.
    QString formulaText(int index, int row, int column) {
        if (!m_formulasRead) {
            m_formulas.read(m_stream);
            m_formulasRead = true;
        }
        QString text;
        m_formulas.find(index, row, column, text);
        return text;
    }

    static QString dateText(int type, const char* text) {
        const QString t = QString::fromUtf8(text);
        if (type == FREEXL_CELL_TIME)
            return dateTimeText(QDate(1899, 12, 30),
                                QTime::fromString(t, QStringLiteral("HH:mm:ss")));
        const QDate date = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime time = type == FREEXL_CELL_DATETIME
                               ? QTime::fromString(t.mid(11, 8), QStringLiteral("HH:mm:ss"))
                               : QTime(0, 0);
        if (!date.isValid()) return t;
        return dateTimeText(date, time.isValid() ? time : QTime(0, 0));
    }

    const void* m_handle;
    QByteArray m_stream; // the workbook stream, for the formulas' results
    std::vector<std::unique_ptr<XlsSheet>> m_sheets;
    int m_active = -1;
    XlsFormulas m_formulas;
    bool m_formulasRead = false;
};

QString XlsSheet::cellText(int row, int column) const {
    return m_book.cellText(m_index, row, column);
}

void XlsSheet::cellContent(int row, int column, CellContent& content) const {
    m_book.cellContent(m_index, row, column, content);
}

} // namespace

std::unique_ptr<Workbook> openXls(const QByteArray& bytes, QString* error) {
    auto fail = [error](const QString& reason) -> std::unique_ptr<Workbook> {
        if (error) *error = reason;
        return nullptr;
    };
    const CompoundFile compound(bytes);
    if (compound.hasStream(QStringLiteral("EncryptedPackage"))) return fail(ProtectedWorkbook);
    if (!compound.namesValid()) return fail(DamagedWorkbook);
    const QString name = compound.hasStream(QStringLiteral("Workbook")) ? QStringLiteral("Workbook")
                                                                        : QStringLiteral("Book");
    // A file whose directory cannot be read is cut short or damaged; one that lists no workbook
    // is another kind of document.
    if (!compound.hasStream(name))
        return fail(compound.hasDirectory() ? NotAWorkbook : DamagedWorkbook);
    bool whole = false;
    const QByteArray stream = compound.stream(name, &whole);
    // A stream cut short by its chain would read as a workbook with cells missing.
    if (!whole || stream.isEmpty()) return fail(DamagedWorkbook);
    // FreeXL reads the worksheets alone, without chart sheets and embedded charts; the formulas'
    // results are read from the stream as it is. (The stream is walked once when it holds
    // worksheets only, as most do.)
    QByteArray plain = plainCompoundFile(stream);
    bool others = false;
    bool fits = !plain.isEmpty() && fitsFreeXL(plain, stream.size(), &others);
    if (others) {
        const QByteArray sheets = worksheetsOnly(stream);
        plain = plainCompoundFile(sheets);
        fits = !plain.isEmpty() && fitsFreeXL(plain, sheets.size());
    }
    // (Past a FILEPASS record the records are enciphered and read as damage.)
    if (!fits) return fail(hasFilePass(stream) ? ProtectedWorkbook : DamagedWorkbook);
    const void* handle = nullptr;
    // The name is never opened: were FreeXL linked without the renamed fopen, no file would be.
    t_bytesToOpen = &plain;
    const int status = freexl_open("", &handle);
    t_bytesToOpen = nullptr;
    if (status != FREEXL_OK) {
        if (handle) freexl_close(handle);
        return fail(hasFilePass(stream) ? ProtectedWorkbook : DamagedWorkbook);
    }
    unsigned int password = FREEXL_BIFF_PLAIN;
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
        freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        freexl_close(handle);
        return fail(hasFilePass(stream) ? ProtectedWorkbook : DamagedWorkbook);
    }
    if (password == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(handle);
        return fail(ProtectedWorkbook);
    }
    return std::make_unique<XlsBook>(handle, stream, int(std::min(count, 0xFFFFu)));
}

} // namespace mirel::platform::sheets
