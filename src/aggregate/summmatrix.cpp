#include "aggregate/summmatrix.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "core/text.h"
#include "core/workahead.h"
#include "data/sectionfile.h"
#include "platform/codec.h"
#include "platform/dirscan.h"
#include "platform/evaluator.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {
namespace {

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
inline bool isDigitByte(char c) {
    return c >= '0' && c <= '9';
}
inline bool isSpaceByte(char c) {
    return isBlank(c) || c == '\r' || c == '\n';
}

// The row number of a data line's first field.
int rowOf(const char* begin, const char* end) {
    if (end - begin <= 9) {
        int v = 0;
        const char* p = begin;
        while (p < end && isDigitByte(*p))
            v = v * 10 + (*p++ - '0');
        if (p == end) return v;
    }
    return data::rowNumber(QString::fromLatin1(begin, end - begin));
}

double slowValue(const char* begin, const char* end) {
    return data::cellValue(QString::fromLatin1(begin, end - begin));
}

// The data lines into the matrix (rows x columns, shape known). Lines end at a CR, an LF or the
// end of the text; none of these is a digit or a blank, so the scans inside a line need no
// bounds of their own (the text ends with the terminating zero every QByteArray has).
template <bool Keep>
ReadStatus parseRows(const char* begin, const char* end, int rows, qint64 columns, double* values,
                     qint32* starts, qint32* lengths, bool& whole, double& bound) {
    qsizetype longest = 0; // digits of the longest plain whole number
    double largest = 0;    // magnitude of the largest other value
    for (const char* p = begin; p < end;) {
        const char* lineStart = p;
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* lineEnd = nl ? nl : end;
        p = nl ? nl + 1 : end;
        if (lineEnd > lineStart && lineEnd[-1] == '\r') --lineEnd;
        const char* q = lineStart;
        while (isBlank(*q))
            ++q;
        if (q >= lineEnd || !isDigitByte(*q)) continue;
        const char* f = q;
        int row = 0;
        while (isDigitByte(*q) && q - f < 9)
            row = row * 10 + (*q++ - '0');
        if (q != lineEnd && !isBlank(*q)) {
            while (q < lineEnd && !isBlank(*q))
                ++q;
            row = rowOf(f, q);
        }
        if (row < 1 || row > rows) return ReadStatus::RowOutside;
        // The values go straight into their row; a line of another length fails the file.
        const size_t at = size_t(row - 1) * size_t(columns);
        double* to = values + at;
        qint64 count = 0;
        for (;;) {
            while (isBlank(*q))
                ++q;
            if (q >= lineEnd) break;
            if (count == columns) return ReadStatus::Unequal;
            const char* start = q;
            const bool negative = *q == '-';
            if (negative) ++q;
            const char* digits = q;
            quint64 v = 0;
            while (isDigitByte(*q))
                v = v * 10 + quint64(*q++ - '0');
            // Plain whole numbers of up to 15 digits, the bulk of all data, are read here.
            if ((q == lineEnd || isBlank(*q)) && q > digits && q - digits <= 15) {
                to[count] = negative ? -double(v) : double(v);
                longest = std::max<qsizetype>(longest, q - digits);
            } else {
                while (q < lineEnd && !isBlank(*q))
                    ++q;
                const double value = slowValue(start, q);
                to[count] = value;
                whole =
                    whole && std::fabs(value) < 1e15 && value == double(static_cast<qint64>(value));
                largest = std::max(largest, std::fabs(value));
            }
            if constexpr (Keep) {
                starts[at + size_t(count)] = qint32(start - begin);
                lengths[at + size_t(count)] = qint32(q - start);
            }
            ++count;
        }
        if (count != columns) return ReadStatus::Unequal;
    }
    bound = std::max(std::pow(10.0, double(longest)), largest + 1);
    return ReadStatus::Ok;
}

// The last line that begins with a digit (after blanks): its first byte and its end.
bool lastDataLine(const char* begin, const char* end, const char*& start, const char*& stop) {
    const char* e = end;
    for (;;) {
        const char* s = e;
        while (s > begin && s[-1] != '\n')
            --s;
        const char* le = e;
        if (le > s && le[-1] == '\r') --le;
        const char* t = s;
        while (t < le && isBlank(*t))
            ++t;
        if (t < le && isDigitByte(*t)) {
            start = t;
            stop = le;
            return true;
        }
        if (s == begin) return false;
        e = s - 1;
    }
}

// Whole numbers below 1E15 are their own 15-digit text (NaN fails the first test): a sum of
// such numbers needs no rounding, and their text is their digits.
inline bool isOwnText(double v) {
    return std::fabs(v) < 1e15 && v == double(static_cast<qint64>(v));
}

QByteArray numberBytes(double v) {
    if (isOwnText(v)) return QByteArray::number(static_cast<qint64>(v));
    return platform::numberText(v).toLatin1();
}

} // namespace

double SummMatrix::value(int row, int column) const {
    if (row < 1 || row > rows || column < 1 || column > columns) return 0.0;
    return values[size_t(row - 1) * size_t(columns) + size_t(column - 1)];
}

QByteArray SummMatrix::cellBytes(qsizetype index) const {
    if (summed && (added.empty() || added[size_t(index)]))
        return numberBytes(values[size_t(index)]);
    if (!hasTexts() || textStart[size_t(index)] < 0) {
        if (hasTexts()) return QByteArrayLiteral("0");
        return numberBytes(values[size_t(index)]);
    }
    return bytes.mid(textStart[size_t(index)], textLength[size_t(index)]);
}

QString SummMatrix::text(int row, int column) const {
    if (row < 1 || row > rows || column < 1 || column > columns) return QStringLiteral("0");
    return platform::decode1251(cellBytes(qsizetype(row - 1) * columns + (column - 1)));
}

ReadStatus parseSection(const QByteArray& bytes, SummMatrix& m, bool keep) {
    const char* const begin = bytes.constData();
    const char* const end = begin + bytes.size();
    m.rows = m.columns = 0;
    m.summed = false;
    m.added.clear();
    // A kept copy is the file's own size, not the reader's buffer.
    m.bytes = keep ? QByteArray(bytes.constData(), bytes.size()) : QByteArray();
    m.textStart.clear();
    m.textLength.clear();
    m.values.clear();

    const char* lastStart = nullptr;
    const char* lastStop = nullptr;
    if (!lastDataLine(begin, end, lastStart, lastStop)) {
        for (const char* p = begin; p < end; ++p)
            if (!isSpaceByte(*p)) return ReadStatus::NoData;
        return ReadStatus::Empty;
    }
    // The shape: the last data line's row number and field count.
    int rows = 0;
    qint64 fields = 0;
    for (const char* p = lastStart; p < lastStop;) {
        while (p < lastStop && isBlank(*p))
            ++p;
        if (p >= lastStop) break;
        const char* f = p;
        while (p < lastStop && !isBlank(*p))
            ++p;
        if (fields++ == 0) rows = rowOf(f, p);
    }
    const qint64 columns = fields - 1;
    if (rows < 1) return ReadStatus::RowOutside;
    if (qint64(rows) > data::maxCells || qint64(rows) * columns > data::maxCells)
        return ReadStatus::TooLarge;
    m.rows = rows;
    m.columns = int(columns);
    const size_t cells = size_t(rows) * size_t(columns);
    m.values.assign(cells, 0.0);
    if (keep) {
        m.textStart.assign(cells, -1);
        m.textLength.assign(cells, 0);
    }

    m.whole = true;
    if (keep)
        return parseRows<true>(begin, end, rows, columns, m.values.data(), m.textStart.data(),
                               m.textLength.data(), m.whole, m.bound);
    return parseRows<false>(begin, end, rows, columns, m.values.data(), nullptr, nullptr, m.whole,
                            m.bound);
}

void keepTexts(SummMatrix& matrix) {
    if (matrix.hasTexts() || matrix.bytes.isEmpty()) return;
    const QByteArray bytes = matrix.bytes;
    parseSection(bytes, matrix, true);
}

void readFailure(ReadStatus status, const QString& path, platform::Prompt& prompt) {
    QString text;
    switch (status) {
    case ReadStatus::Ok:
    case ReadStatus::Missing:
        return;
    case ReadStatus::Empty:
    case ReadStatus::NoData:
        text = QStringLiteral("При считывании данных обнаружен пустой файл !!!");
        break;
    case ReadStatus::Unequal:
        text =
            QStringLiteral("При считывании данных обнаружено переменное число данных в строке !!!");
        break;
    case ReadStatus::RowOutside:
        text = QStringLiteral("При считывании данных обнаружен номер строки вне раздела !!!");
        break;
    case ReadStatus::TooLarge:
        text = QStringLiteral("При считывании данных обнаружен раздел недопустимого размера !!!");
        break;
    case ReadStatus::Unreadable:
        text = QStringLiteral("Ошибка при чтении файла !!!");
        break;
    }
    platform::showError(prompt, text, path);
}

int F_A_DD(SummMatrix& matrix, const QString& path, platform::Prompt& prompt) {
    QByteArray bytes;
    const QString file = platform::resolvePath(path);
    const int err = platform::readFileInto(platform::localPath(file), bytes);
    if (err == ENOENT || err == ENOTDIR) return -1;
    ReadStatus status = err == 0 ? ReadStatus::Ok : ReadStatus::Unreadable;
    if (status == ReadStatus::Ok) status = parseSection(bytes, matrix, true);
    if (status == ReadStatus::Ok) return 0;
    readFailure(status, path, prompt);
    return -1;
}

double addNumbers(double a, double b) {
    const double s = a + b;
    if (isOwnText(s)) return s;
    return core::Val(platform::numberText(s));
}

bool addInto(SummMatrix& sum, const SummMatrix& member, Fit fit) {
    int rows = sum.rows;
    int columns = sum.columns;
    if (fit == Fit::SumShape) {
        if (member.rows < sum.rows || member.columns < sum.columns) return false;
    } else {
        if (member.rows > sum.rows || member.columns > sum.columns) return false;
        rows = member.rows;
        columns = member.columns;
    }
    const bool all = rows == sum.rows && columns == sum.columns;
    if (!all && sum.added.empty()) sum.added.assign(sum.values.size(), sum.summed ? 1 : 0);
    // Whole numbers whose sums stay below 1E15 add up exactly, with no rounding to check.
    const bool plain = sum.whole && member.whole && sum.bound + member.bound < 1e15;
    if (plain && all && member.columns == sum.columns) {
        // The common case: same shapes, exact sums; one pass over all cells.
        double* to = sum.values.data();
        const double* from = member.values.data();
        const size_t cells = sum.values.size();
        for (size_t i = 0; i < cells; ++i)
            to[i] += from[i];
        std::fill(sum.added.begin(), sum.added.end(), char(1));
        sum.bound += member.bound;
        sum.summed = true;
        return true;
    }
    for (int r = 0; r < rows; ++r) {
        double* to = sum.values.data() + size_t(r) * size_t(sum.columns);
        const double* from = member.values.data() + size_t(r) * size_t(member.columns);
        if (plain) {
            for (int c = 0; c < columns; ++c)
                to[c] += from[c];
        } else {
            for (int c = 0; c < columns; ++c) {
                const double v = to[c] + from[c];
                to[c] = isOwnText(v) ? v : addNumbers(to[c], from[c]);
            }
        }
        if (!sum.added.empty())
            std::fill_n(sum.added.begin() + qsizetype(r) * sum.columns, columns, char(1));
    }
    sum.whole = plain;
    sum.bound += member.bound;
    sum.summed = true;
    return true;
}

QString summaryHeader(const QString& formCode, const QString& section, const QString& yy,
                      const QString& mm, const QString& code) {
    return data::g_PR_Matrix + formCode + QLatin1Char(' ') + section + QLatin1Char(' ') + yy +
           QLatin1Char(' ') + mm + QLatin1Char(' ') + code;
}

QByteArray summaryFileBytes(const QString& stateLine, const QString& header,
                            const SummMatrix& matrix) {
    QByteArray out;
    out.reserve(64 + qsizetype(matrix.values.size()) * 8);
    out += platform::encode1251(stateLine);
    out += "\r\n";
    out += platform::encode1251(header);
    out += "\r\n";
    char digits[32];
    const auto appendNumber = [&](qint64 n) {
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        out.append(digits, end - digits);
    };
    for (int r = 0; r < matrix.rows; ++r) {
        appendNumber(r + 1);
        for (int c = 0; c < matrix.columns; ++c) {
            const qsizetype i = qsizetype(r) * matrix.columns + c;
            out += ' ';
            const double v = matrix.values[size_t(i)];
            const bool sum = matrix.summed && (matrix.added.empty() || matrix.added[size_t(i)]);
            if (sum && isOwnText(v))
                appendNumber(static_cast<qint64>(v));
            else if (!sum && matrix.hasTexts() && matrix.textStart[size_t(i)] >= 0)
                out.append(matrix.bytes.constData() + matrix.textStart[size_t(i)],
                           matrix.textLength[size_t(i)]);
            else
                out += matrix.cellBytes(i);
        }
        out += "\r\n";
    }
    return out;
}

bool writeSummaryFile(const QString& path, const QByteArray& bytes) {
    QByteArray existing;
    if (platform::readFileInto(platform::localPath(path), existing) == 0 && existing == bytes)
        return true;
    return platform::writeFileAtomic(path, bytes);
}

void writeSummaryFiles(std::vector<SummaryWrite>& writes) {
    const int count = int(writes.size());
    core::WorkAhead<char> written(count, std::max(count, 1), true, [&](int i, char& ok, int) {
        ok = writeSummaryFile(writes[size_t(i)].path, writes[size_t(i)].bytes);
    });
    for (int i = 0; i < count; ++i)
        writes[size_t(i)].written = written.take(i);
}

} // namespace mirel::aggregate
