#pragma once

// Data lines read from a section file's bytes (code page 1251) without copying them: lines split
// at LF with a CR before it dropped, blanks and tabs around a data line trimmed, fields separated
// by blanks or tabs. The readers of section files share these so that a file of any size costs
// its bytes and the cells kept, never a list of every line or field.
#include <QByteArrayView>
#include <QString>

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

inline qsizetype fieldCount(QByteArrayView line) {
    Fields fields(line);
    QByteArrayView f;
    qsizetype n = 0;
    while (fields.next(f))
        ++n;
    return n;
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
