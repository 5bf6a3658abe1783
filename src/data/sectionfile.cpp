#include "data/sectionfile.h"

#include "data/datalines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <QStringBuilder>

#include "core/files.h"
#include "core/periods.h"
#include "core/text.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "reference/catalog.h"

namespace mirel::data {
namespace {

const QChar Blank = QLatin1Char(' ');

bool startsWithDigit(const QString& text) {
    return !text.isEmpty() && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
}

// A value as written: no blank may remain inside it, or the row would gain a field.
QString cleanValue(const QString& value) {
    // Mostly there is nothing to drop: the value itself is written.
    bool clean = !value.isEmpty();
    for (const QChar c : value)
        if (c == Blank || c == QLatin1Char('\t')) {
            clean = false;
            break;
        }
    if (clean) return value;
    QString v;
    v.reserve(value.size());
    for (QChar c : value)
        if (c != Blank && c != QLatin1Char('\t')) v.append(c);
    return v.isEmpty() ? QStringLiteral("0") : v;
}

void formatWarning(platform::Prompt& prompt, const QString& path, const QString& detail) {
    prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF + detail,
                   platform::Icon::Warning, path);
}

} // namespace

QString SectionMatrix::value(int row, int column) const {
    if (row < 1 || row > cells.size() || column < 1 || column > cells.at(row - 1).size())
        return QStringLiteral("0");
    return cells.at(row - 1).at(column - 1);
}

QString sectionNumber(int section) {
    // Written digit by digit: a query names the file of every region and reference with it.
    if (section >= 0 && section <= 99) {
        const QChar digits[2] = {QChar(u'0' + section / 10), QChar(u'0' + section % 10)};
        return QString(digits, 2);
    }
    return (QStringLiteral("0") + QString::number(section)).right(2);
}

QString periodDataDir(const QString& datDir, const QString& year, const QString& month,
                      const QString& formCode) {
    return datDir % QLatin1String("/DAT_") % core::shortPeriod(year, month) % QLatin1Char('.') %
           formCode;
}

QString sectionFileName(const QString& regionCode, int section) {
    return core::Trim(regionCode) % QLatin1Char('.') % sectionNumber(section);
}

QString sectionFilePath(const QString& datDir, const QString& year, const QString& month,
                        const QString& formCode, const QString& regionCode, int section) {
    return periodDataDir(datDir, year, month, formCode) % QLatin1Char('/') %
           sectionFileName(regionCode, section);
}

bool DD_Exist(const DataKey& key, int section) {
    return platform::fileExists(key.path(section));
}

bool All_FileExists(const DataKey& key, int sectionCount) {
    if (sectionCount < 1) return false;
    for (int s = 1; s <= sectionCount; ++s)
        if (!DD_Exist(key, s)) return false;
    return true;
}

double cellValue(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return core::Val(t);
}

QStringList splitDataLine(const QString& line) {
    QString t = line;
    core::Tabs_To_Spaces(t);
    return t.split(Blank, Qt::SkipEmptyParts);
}

int rowNumber(const QString& field) {
    const double v = std::trunc(core::Val(field));
    if (!(v >= 0)) // negative or not a number
        return v < 0 ? -1 : 0;
    if (v > double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return int(v);
}

QString text1251(QByteArrayView bytes) {
    QString text;
    platform::decode1251(bytes, text);
    return text;
}

bool A_DD_Read(const QString& path, SectionMatrix& matrix, platform::Prompt& prompt) {
    // The shape is taken before any line is split, so that the memory taken is that of the
    // file's bytes and of the cells kept, whatever the file holds.
    QByteArray bytes;
    if (!platform::readFileBytes(path, bytes) || bytes.isEmpty()) return false;
    QByteArrayView last;
    {
        ByteLines lines(bytes);
        QByteArrayView line;
        while (lines.next(line)) {
            const QByteArrayView data = dataLine(line);
            if (!data.isEmpty()) last = data;
        }
    }
    if (last.isEmpty()) return false;
    QByteArrayView first;
    Fields(last).next(first);
    const int rows = rowNumber(text1251(first));
    const qint64 columns = qint64(fieldCount(last)) - 1;
    if (qint64(rows) > maxCells || qint64(rows) * columns > maxCells) {
        formatWarning(prompt, path,
                      QStringLiteral("Строк : ") + QString::number(rows) +
                          QStringLiteral(", граф : ") + QString::number(columns) +
                          QStringLiteral(" - размер раздела недопустим, данные не считаны"));
        return false;
    }
    SectionMatrix result;
    result.rows = rows;
    result.columns = int(columns);
    result.cells = QList<QStringList>(rows, QStringList(columns, QStringLiteral("0")));
    // A damaged file may have thousands of bad lines: each kind is reported once per file.
    bool unequalReported = false;
    bool outsideReported = false;
    ByteLines lines(bytes);
    QByteArrayView line;
    while (lines.next(line)) {
        const QByteArrayView data = dataLine(line);
        if (data.isEmpty()) continue;
        if (fieldCount(data) != columns + 1) {
            if (!unequalReported)
                prompt.message(QStringLiteral("При считывании данных обнаружено переменное число "
                                              "данных в строке !!!"),
                               platform::Icon::Error, path);
            unequalReported = true;
            continue;
        }
        Fields fields(data);
        QByteArrayView field;
        fields.next(field);
        const QString head = text1251(field);
        const int row = rowNumber(head);
        if (row < 1 || row > rows) {
            if (!outsideReported)
                formatWarning(prompt, path,
                              QStringLiteral("Строка с номером ") + head +
                                  QStringLiteral(" вне раздела (строк : ") + QString::number(rows) +
                                  QStringLiteral(") пропущена"));
            outsideReported = true;
            continue;
        }
        QStringList values;
        values.reserve(columns);
        while (fields.next(field))
            values.append(text1251(field));
        result.cells[row - 1] = values;
    }
    matrix = result;
    return true;
}

QByteArrayView memoBytes(QByteArrayView bytes) {
    qsizetype start = 0;
    while (start < bytes.size() && bytes[start] == ' ')
        ++start;
    qsizetype end = bytes.size();
    while (end > start && !(bytes[end - 1] >= '0' && bytes[end - 1] <= '9'))
        --end;
    return bytes.sliced(start, end - start);
}

QString VV_Memo_Read(const QString& path) {
    QByteArray bytes;
    platform::readFileBytes(path, bytes);
    QString text;
    const QByteArrayView kept = memoBytes(bytes);
    text.reserve(kept.size() + 2);
    platform::decode1251(kept, text);
    text.append(core::CRLF);
    return text;
}

namespace {

// The first line of a file's first bytes as the readers split lines (at LF, a CR before it
// dropped).
QByteArrayView firstLineOf(QByteArrayView head) {
    QByteArrayView line;
    ByteLines(head).next(line);
    return line;
}

} // namespace

namespace {
// The first bytes of a file that its state line is looked for in.
constexpr qint64 HeadBytes = 4096;
} // namespace

std::optional<QString> stateMarkOf(QByteArrayView head) {
    // A line that still holds a CR is none: a file with CR alone between its lines is one line to
    // every reader, its data included.
    const QByteArrayView first = firstLineOf(head);
    if (first.contains('\r')) return std::nullopt;
    const QString line = core::Trim(text1251(first));
    if (!line.startsWith(QLatin1String("PR_"))) return std::nullopt;
    return core::Trim(line.mid(3));
}

std::optional<QString> readFirstLine(const QString& path) {
    const std::optional<QByteArray> head = platform::readFileHead(path, HeadBytes);
    if (!head) return std::nullopt;
    return text1251(firstLineOf(*head));
}

QString stateMark(const QString& path) {
    const std::optional<QByteArray> head = platform::readFileHead(path, HeadBytes);
    return head ? stateMarkOf(*head).value_or(QString()) : QString();
}

QString registerMark(const QString& path) {
    const std::optional<QByteArray> head = platform::readFileHead(path, HeadBytes);
    return head ? registerMarkOf(*head) : QString();
}

QString registerMarkOf(QByteArrayView head) {
    if (head.isEmpty()) return QString();
    head = head.first(std::min<qsizetype>(head.size(), HeadBytes));
    // A file that does not start with a state line shows "-", as the entry window's tab does.
    return stateMarkOf(head).value_or(QStringLiteral("-"));
}

double valueSum(const QList<DataRow>& rows) {
    double sum = 0;
    for (const DataRow& row : rows)
        for (const QString& v : row.values)
            sum += cellValue(v);
    return sum;
}

QString dataLineLabel(const QString& label, int row) {
    // Mostly the label is the row's number already.
    if (!label.isEmpty() && label.size() <= 9) {
        int number = 0;
        bool digits = true;
        for (const QChar c : label) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                digits = false;
                break;
            }
            number = number * 10 + (c.unicode() - '0');
        }
        if (digits) return number == row ? label : QString::number(row);
    }
    QString t = label;
    core::Tabs_To_Spaces(t);
    const QString first = core::Trim(t).section(Blank, 0, 0);
    if (startsWithDigit(first) && rowNumber(first) == row) return first;
    return QString::number(row);
}

QByteArray sectionFileText(const QString& year, const QString& month, const QString& formCode,
                           const QString& regionCode, int section, const QList<DataRow>& rows,
                           const QString& mark) {
    return platform::encode1251(sectionStateLine(mark)) +
           sectionFileBody(year, month, formCode, regionCode, section, rows);
}

QString sectionStateLine(const QString& mark) {
    return QStringLiteral("PR_") + mark + core::CRLF;
}

QString sectionHeaderLine(const QString& year, const QString& month, const QString& formCode,
                          const QString& regionCode, int section) {
    // Built in one piece: every section file written has one.
    return g_PR_Matrix % formCode % Blank % sectionNumber(section) % Blank %
           QStringView(core::yearCode(year)).right(2) % Blank % core::monthCode(month) % Blank %
           core::Trim(regionCode) % core::CRLF;
}

SectionBody::SectionBody(const QString& year, const QString& month, const QString& formCode,
                         const QString& regionCode, int section, qsizetype reserve)
    : m_bytes(platform::encode1251(sectionHeaderLine(year, month, formCode, regionCode, section))) {
    m_size = m_bytes.size();
    m_bytes.resize(m_size + reserve);
}

void SectionBody::startRow(int row) {
    char digits[16];
    const qsizetype length = std::to_chars(digits, digits + sizeof digits, row).ptr - digits;
    std::memcpy(room(length), digits, size_t(length));
}

void SectionBody::startRow(const QString& label) {
    const QByteArray bytes = platform::encode1251(label);
    std::memcpy(room(bytes.size()), bytes.constData(), size_t(bytes.size()));
}

void SectionBody::addValue(const QString& value) {
    const QByteArray bytes = platform::encode1251(cleanValue(value));
    char* at = room(bytes.size() + 1);
    *at = ' ';
    std::memcpy(at + 1, bytes.constData(), size_t(bytes.size()));
}

QByteArray sectionFileBody(const QString& year, const QString& month, const QString& formCode,
                           const QString& regionCode, int section, const QList<DataRow>& rows) {
    qsizetype columns = 0;
    qsizetype size = 0;
    for (const DataRow& row : rows) {
        columns = std::max(columns, row.values.size());
        size += row.label.size() + 2;
        for (const QString& v : row.values)
            size += v.size() + 1;
    }
    SectionBody body(year, month, formCode, regionCode, section, size + 2 * columns * rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const DataRow& row = rows.at(i);
        body.startRow(dataLineLabel(row.label, i + 1));
        // Rows shorter than the longest are completed with "0": unequal lines would not read.
        for (qsizetype c = 0; c < columns; ++c) {
            if (c < row.values.size())
                body.addValue(row.values.at(c));
            else
                body.addValue(QByteArrayView("0"));
        }
        body.endRow();
    }
    return body.take();
}

QString writeSectionFile(const QString& datDir, const QString& year, const QString& month,
                         const QString& formCode, const QString& regionCode, int section,
                         const QList<DataRow>& rows, const QString& mark,
                         platform::Prompt& prompt) {
    QString written = core::Trim(mark);
    if (written.startsWith(QLatin1String("PR_"))) written = core::Trim(written.mid(3));
    if (written.isEmpty())
        written = valueSum(rows) != 0 ? QStringLiteral("?") : QStringLiteral("0");
    const QString dir = periodDataDir(datDir, year, month, formCode);
    if (!platform::dirExists(dir))
        platform::makeDir(dir); // a failure shows as the write error below
    const QString path = sectionFilePath(datDir, year, month, formCode, regionCode, section);
    const QByteArray bytes =
        sectionFileText(year, month, formCode, regionCode, section, rows, written);
    if (core::writeEncodedFile(path, bytes, prompt) != 0) return QString();
    return written;
}

QString zeroMapPath(const QString& formDir, const QString& formCode, int section,
                    const QString& basePeriod) {
    return reference::formFilePrefix(formDir, formCode, basePeriod) + QLatin1Char('.') +
           sectionNumber(section) + QStringLiteral(".ZERO");
}

QList<QStringList> F_A_Zero(const QString& formDir, const QString& formCode, int section,
                            const QString& basePeriod) {
    return readZeroMap(zeroMapPath(formDir, formCode, section, basePeriod));
}

QList<QStringList> readZeroMap(const QString& path) {
    bool exists = false;
    const QString text = core::readText(path, &exists);
    if (!exists) return {QStringList{QStringLiteral(" ")}};
    QList<QStringList> map;
    for (const QString& raw : platform::splitFileLines(text)) {
        const QString line = core::RTrim(raw);
        QStringList chars;
        chars.reserve(line.size());
        for (QChar c : line)
            chars.append(QString(c));
        map.append(chars);
    }
    while (!map.isEmpty() && map.last().isEmpty())
        map.removeLast();
    return map;
}

bool zeroMarked(const QList<QStringList>& map, int row, int column) {
    if (row < 1 || row > map.size() || column < 1) return false;
    const QStringList& line = map.at(row - 1);
    return column <= line.size() && line.at(column - 1) == QLatin1String("0");
}

bool zeroMapExceeds(const QList<QStringList>& map, int rows, int columns) {
    for (int r = 0; r < map.size(); ++r) {
        const QStringList& line = map.at(r);
        for (int c = 0; c < line.size(); ++c)
            if (line.at(c) == QLatin1String("0") && (r >= rows || c >= columns)) return true;
    }
    return false;
}

} // namespace mirel::data
