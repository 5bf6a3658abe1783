#include "platform/spreadsheet.h"

#include <cmath>
#include <QBuffer>
#include <QDateTime>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include "platform/fileio.h"
#include "platform/spreadsheet_p.h"

namespace mirel::platform {

bool parseA1(const QString& reference, CellPos& pos) {
    const qsizetype n = reference.size();
    qsizetype i = 0;
    if (i < n && reference.at(i) == QLatin1Char('$')) ++i;
    qint64 column = 0;
    qsizetype letters = 0;
    while (i < n && letters <= 3) {
        const QChar c = reference.at(i).toUpper();
        if (c < QLatin1Char('A') || c > QLatin1Char('Z')) break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        ++i, ++letters;
    }
    if (letters == 0 || letters > 3 || column > MaxSheetColumns) return false;
    if (i < n && reference.at(i) == QLatin1Char('$')) ++i;
    qint64 row = 0;
    qsizetype digits = 0;
    while (i < n && reference.at(i) >= QLatin1Char('0') && reference.at(i) <= QLatin1Char('9')) {
        row = row * 10 + (reference.at(i).unicode() - '0');
        if (row > MaxSheetRows) return false;
        ++i, ++digits;
    }
    if (digits == 0 || i != n || row < 1) return false;
    pos.row = int(row - 1);
    pos.column = int(column - 1);
    return true;
}

QString dateTimeText(const QDate& date, const QTime& time) {
    const QString day = date.toString(QStringLiteral("dd.MM.yyyy"));
    const QString clock = time.toString(QStringLiteral("H:mm:ss"));
    if (time == QTime(0, 0)) return day;
    if (date == QDate(1899, 12, 30)) return clock;
    return day + QLatin1Char(' ') + clock;
}

QString serialDateText(double serial, bool system1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466) return QString();
    qint64 days = qint64(std::floor(serial));
    qint64 seconds = qint64(std::llround((serial - double(days)) * 86400.0));
    if (seconds >= 86400) ++days, seconds -= 86400;
    QDate date;
    if (system1904)
        date = QDate(1904, 1, 1).addDays(days);
    else if (days == 0 && seconds > 0)
        date = QDate(1899, 12, 30); // a time of day without a date
    else if (days < 60)
        date = QDate(1899, 12, 31).addDays(days); // before the office's false 29.02.1900
    else
        date = QDate(1899, 12, 30).addDays(days);
    return dateTimeText(date, QTime(0, 0).addSecs(int(seconds)));
}

QString isoDateText(const QString& text) {
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    if (!date.isValid()) return QString();
    if (text.size() == 10) return dateTimeText(date, QTime(0, 0));
    if (text.at(10) != QLatin1Char('T')) return QString();
    qsizetype end = 11;
    while (end < text.size() &&
           (text.at(end).isDigit() || text.at(end) == QLatin1Char(':') ||
            text.at(end) == QLatin1Char('.') || text.at(end) == QLatin1Char(',')))
        ++end;
    const QTime time = QTime::fromString(text.mid(11, end - 11), Qt::ISODate);
    return time.isValid() ? dateTimeText(date, time) : QString();
}

bool Worksheet::cell(const QString& reference, QString& text) const {
    CellPos pos;
    if (!parseA1(reference, pos)) return false;
    text = cellText(pos.row, pos.column);
    return true;
}

void Worksheet::cellContent(int row, int column, CellContent& content) const {
    content.isNumber = false;
    content.text = cellText(row, column);
}

QString noSheetText(int number) {
    return QStringLiteral("В книге нет листа с номером ") + QString::number(number);
}

namespace sheets {

Zip::Zip(const QByteArray& bytes)
    : m_bytes(bytes)
    , m_buffer(std::make_unique<QBuffer>(&m_bytes))
    , m_zip(std::make_unique<QuaZip>(m_buffer.get())) {
    m_open = m_zip->open(QuaZip::mdUnzip);
    if (m_open) m_names = m_zip->getFileNameList();
}

Zip::~Zip() {
    if (m_open) m_zip->close();
}

bool Zip::has(const QString& name) const {
    return m_names.contains(name, Qt::CaseInsensitive);
}

bool Zip::read(const QString& name, QByteArray& data) {
    if (!m_open || !m_zip->setCurrentFile(name, QuaZip::csInsensitive)) return false;
    QuaZipFileInfo64 info;
    if (!m_zip->getCurrentFileInfo(&info) || info.uncompressedSize > quint64(MaxPartSize))
        return false;
    QuaZipFile file(m_zip.get());
    if (!file.open(QIODevice::ReadOnly)) return false;
    data.clear();
    data.reserve(qsizetype(info.uncompressedSize));
    char chunk[65536];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0) {
            file.close();
            return false;
        }
        if (got == 0) break;
        if (data.size() + got > MaxPartSize) {
            file.close();
            return false;
        }
        data.append(chunk, got);
    }
    file.close();
    return file.getZipError() == 0;
}

} // namespace sheets

namespace {

std::unique_ptr<Workbook> openContent(const QByteArray& bytes, QString* error) {
    auto fail = [error](const QString& reason) -> std::unique_ptr<Workbook> {
        if (error) *error = reason;
        return nullptr;
    };
    static const QByteArray compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (bytes.startsWith(compound)) return sheets::openXls(bytes, error);
    if (bytes.startsWith("PK")) {
        sheets::Zip zip(bytes);
        if (!zip.isOpen()) return fail(DamagedWorkbook);
        if (zip.has(QStringLiteral("xl/workbook.xml"))) return sheets::openXlsx(bytes, error);
        if (zip.has(QStringLiteral("content.xml"))) return sheets::openOds(zip, error);
    }
    return fail(NotAWorkbook);
}

} // namespace

std::unique_ptr<Workbook> Workbook::open(const QString& path, QString* error) {
    const std::optional<QByteArray> bytes = readFileBytes(path);
    if (!bytes) {
        // A folder or a pipe under a workbook's name is no workbook, and a file there that may
        // not be read is not missing.
        if (error) {
            switch (readFailure(path)) {
            case ReadFailure::Missing:
                *error = NoWorkbookFile;
                break;
            case ReadFailure::NotAFile:
                *error = NotAWorkbook;
                break;
            case ReadFailure::NotPermitted:
                *error = WorkbookNotReadable;
                break;
            case ReadFailure::ReadError:
                *error = DamagedWorkbook;
                break;
            }
        }
        return nullptr;
    }
    return openContent(*bytes, error);
}

std::unique_ptr<Workbook> Workbook::fromBytes(const QByteArray& bytes, QString* error) {
    return openContent(bytes, error);
}

} // namespace mirel::platform
