#pragma once

// Data lines read from a section file's bytes (code page 1251) without copying them: lines split
// at LF with a CR before it dropped, blanks and tabs around a data line trimmed, fields separated
// by blanks or tabs. The readers of section files share these so that a file of any size costs
// its bytes and the cells kept, never a list of every line or field.
#include <algorithm>
#include <bit>
#include <QByteArrayView>
#include <QString>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mirel::data {

// One line of a file's bytes at a time; a last line without its end is accepted.
class ByteLines {
public:
    explicit ByteLines(QByteArrayView bytes)
        : m_bytes(bytes) {}
    bool next(QByteArrayView& line) {
        if (m_at >= m_bytes.size()) return false;
        const qsizetype end = m_bytes.indexOf('\n', m_at);
        const qsizetype stop = end < 0 ? m_bytes.size() : end;
        line = m_bytes.sliced(m_at, stop - m_at);
        if (end >= 0 && line.endsWith('\r')) line.chop(1);
        m_at = stop + 1;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

inline bool isBlankByte(char c) {
    return c == ' ' || c == '\t'; // tabs count as blanks in data lines
}

// A data line trimmed of blanks, or an empty view when the line does not begin with a digit.
inline QByteArrayView dataLine(QByteArrayView line) {
    qsizetype b = 0;
    qsizetype e = line.size();
    while (b < e && isBlankByte(line[b]))
        ++b;
    while (e > b && isBlankByte(line[e - 1]))
        --e;
    if (b == e || line[b] < '0' || line[b] > '9') return {};
    return line.sliced(b, e - b);
}

// The fields of a data line, one after another, without making a list of them.
class Fields {
public:
    explicit Fields(QByteArrayView line)
        : m_line(line) {}
    bool next(QByteArrayView& field) {
        const qsizetype n = m_line.size();
        while (m_at < n && isBlankByte(m_line[m_at]))
            ++m_at;
        if (m_at >= n) return false;
        const qsizetype start = m_at;
        while (m_at < n && !isBlankByte(m_line[m_at]))
            ++m_at;
        field = m_line.sliced(start, m_at - start);
        return true;
    }

private:
    QByteArrayView m_line;
    qsizetype m_at = 0;
};

// Calls onField(field) for each field of a data line, in order, and returns their number. The
// blanks are found sixteen bytes at a time, so that a line costs its fields more than its bytes.
template <typename OnField>
qsizetype forEachField(QByteArrayView line, OnField&& onField) {
    const char* d = line.data();
    const qsizetype n = line.size();
    qsizetype count = 0;
    qsizetype start = -1; // the field under way, -1 between fields
    for (qsizetype base = 0; base < n; base += 16) {
        // Bit k: byte base + k is a blank (or beyond the line, which ends a field).
        quint32 blank = 0;
#if defined(__SSE2__)
        if (n - base >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + base));
            blank = quint32(_mm_movemask_epi8(_mm_or_si128(
                _mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t')))));
        } else
#endif
        {
            const qsizetype end = std::min<qsizetype>(n - base, 16);
            for (qsizetype k = 0; k < end; ++k)
                if (isBlankByte(d[base + k])) blank |= 1u << k;
            blank |= 0xFFFFu & ~((1u << end) - 1);
        }
        int pos = 0;
        while (pos < 16) {
            const quint32 from = 0xFFFFu & (0xFFFFu << pos);
            if (start < 0) {
                const quint32 text = ~blank & from;
                if (!text) break;
                pos = std::countr_zero(text);
                start = base + pos;
            } else {
                const quint32 blanks = blank & from;
                if (!blanks) break;
                pos = std::countr_zero(blanks);
                onField(QByteArrayView(d + start, base + pos - start));
                ++count;
                start = -1;
            }
        }
    }
    if (start >= 0) { // a field up to the end of a line of whole sixteens
        onField(QByteArrayView(d + start, n - start));
        ++count;
    }
    return count;
}

inline qsizetype fieldCount(QByteArrayView line) {
    return forEachField(line, [](QByteArrayView) {});
}

// Whether any line of the bytes is a data line.
inline bool hasDataLine(QByteArrayView bytes) {
    ByteLines lines(bytes);
    QByteArrayView line;
    while (lines.next(line))
        if (!dataLine(line).isEmpty()) return true;
    return false;
}

// The text of bytes in code page 1251.
QString text1251(QByteArrayView bytes);

} // namespace mirel::data
