#include "data/sectionfile.h"

#include <cmath>
#include <limits>
#include <QFile>
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
    return datDir + QStringLiteral("/DAT_") + core::shortPeriod(year, month) + QLatin1Char('.') +
           formCode;
}

QString sectionFileName(const QString& regionCode, int section) {
    return core::Trim(regionCode) % QLatin1Char('.') % sectionNumber(section);
}

QString sectionFilePath(const QString& datDir, const QString& year, const QString& month,
                        const QString& formCode, const QString& regionCode, int section) {
    return periodDataDir(datDir, year, month, formCode) + QLatin1Char('/') +
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

bool A_DD_Read(const QString& path, SectionMatrix& matrix, platform::Prompt& prompt) {
    bool exists = false;
    const QString text = core::readText(path, &exists);
    if (!exists || text.isEmpty()) return false;
    QList<QStringList> lines;
    for (const QString& raw : platform::splitFileLines(text)) {
        QString line = raw;
        core::Tabs_To_Spaces(line);
        line = core::Trim(line);
        if (startsWithDigit(line)) lines.append(line.split(Blank, Qt::SkipEmptyParts));
    }
    if (lines.isEmpty()) return false;
    const int rows = rowNumber(lines.last().first());
    const int columns = int(lines.last().size()) - 1;
    if (qint64(rows) > maxCells || qint64(rows) * columns > maxCells) {
        formatWarning(prompt, path,
                      QStringLiteral("Строк : ") + QString::number(rows) +
                          QStringLiteral(", граф : ") + QString::number(columns) +
                          QStringLiteral(" - размер раздела недопустим, данные не считаны"));
        return false;
    }
    SectionMatrix result;
    result.rows = rows;
    result.columns = columns;
    result.cells = QList<QStringList>(rows, QStringList(columns, QStringLiteral("0")));
    // A damaged file may have thousands of bad lines: each kind is reported once per file.
    bool unequalReported = false;
    bool outsideReported = false;
    for (const QStringList& fields : lines) {
        if (fields.size() != columns + 1) {
            if (!unequalReported)
                prompt.message(QStringLiteral("При считывании данных обнаружено переменное число "
                                              "данных в строке !!!"),
                               platform::Icon::Error, path);
            unequalReported = true;
            continue;
        }
        const int row = rowNumber(fields.first());
        if (row < 1 || row > rows) {
            if (!outsideReported)
                formatWarning(prompt, path,
                              QStringLiteral("Строка с номером ") + fields.first() +
                                  QStringLiteral(" вне раздела (строк : ") + QString::number(rows) +
                                  QStringLiteral(") пропущена"));
            outsideReported = true;
            continue;
        }
        result.cells[row - 1] = fields.mid(1);
    }
    matrix = result;
    return true;
}

QString VV_Memo_Read(const QString& path) {
    return VV_Memo_Text(core::readText(path));
}

QString VV_Memo_Text(QString fileText) {
    // Cut and completed in place: the query engine reads thousands of files through here.
    QString text = core::Trim(fileText);
    qsizetype end = text.size();
    while (end > 0 &&
           !(text.at(end - 1) >= QLatin1Char('0') && text.at(end - 1) <= QLatin1Char('9')))
        --end;
    text.truncate(end);
    text.append(core::CRLF);
    return text;
}

std::optional<QString> readFirstLine(const QString& path) {
    QFile file(platform::resolvePath(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return platform::decode1251(line);
}

QString stateMark(const QString& path) {
    const std::optional<QString> first = readFirstLine(path);
    if (!first) return QString();
    const QString line = core::Trim(*first);
    return line.startsWith(QLatin1String("PR_")) ? core::Trim(line.mid(3)) : QString();
}

QString registerMark(const QString& path) {
    const std::optional<QString> first = readFirstLine(path);
    if (!first) return QString();
    const QString line = core::Trim(*first);
    if (line.startsWith(QLatin1String("PR_"))) return core::Trim(line.mid(3));
    // A file that does not start with a state line shows "-", as the entry window's tab does.
    if (line.isEmpty() && QFile(platform::resolvePath(path)).size() == 0) return QString();
    return QStringLiteral("-");
}

double valueSum(const QList<DataRow>& rows) {
    double sum = 0;
    for (const DataRow& row : rows)
        for (const QString& v : row.values)
            sum += cellValue(v);
    return sum;
}

QString dataLineLabel(const QString& label, int row) {
    QString t = label;
    core::Tabs_To_Spaces(t);
    const QString first = core::Trim(t).section(Blank, 0, 0);
    if (startsWithDigit(first) && rowNumber(first) == row) return first;
    return QString::number(row);
}

QString sectionFileText(const QString& year, const QString& month, const QString& formCode,
                        const QString& regionCode, int section, const QList<DataRow>& rows,
                        const QString& mark) {
    qsizetype columns = 0;
    for (const DataRow& row : rows)
        columns = std::max(columns, row.values.size());
    const QString yearCode = core::yearCode(year);
    QString text = QStringLiteral("PR_") + mark + core::CRLF + g_PR_Matrix + formCode + Blank +
                   sectionNumber(section) + Blank + yearCode.right(2) + Blank +
                   core::monthCode(month) + Blank + core::Trim(regionCode) + core::CRLF;
    text.reserve(text.size() + rows.size() * (columns + 1) * 6);
    for (int i = 0; i < rows.size(); ++i) {
        const DataRow& row = rows.at(i);
        text += dataLineLabel(row.label, i + 1);
        // Rows shorter than the longest are completed with "0": unequal lines would not read.
        for (qsizetype c = 0; c < columns; ++c) {
            text += Blank;
            text += c < row.values.size() ? cleanValue(row.values.at(c)) : QStringLiteral("0");
        }
        text += core::CRLF;
    }
    return text;
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
    const QString text = sectionFileText(year, month, formCode, regionCode, section, rows, written);
    if (core::Write_Text_File(path, text, prompt) != 0) return QString();
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
