#pragma once

// The readers behind Workbook::open, one per kind of file.

#include <memory>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include "platform/spreadsheet.h"

class QBuffer;
class QuaZip;

namespace mirel::platform::sheets {

// .xls through FreeXL, which parses these bytes (formula results are read from them too,
// FreeXL skips formulas). Any compound file comes here: one that holds an encrypted Office
// document (a password-protected .xlsx) is told as protected.
std::unique_ptr<Workbook> openXls(const QByteArray& bytes, QString* error);
// .xlsx from the bytes of its zip file (its worksheets are read when first asked for), .ods
// from the opened zip (read whole at once).
class Zip;
std::unique_ptr<Workbook> openXlsx(const QByteArray& bytes, QString* error);
std::unique_ptr<Workbook> openOds(Zip& zip, QString* error);

// The entries of a zip file held in memory. Entries are read whole, up to a size that no real
// workbook part reaches, so that a crafted file cannot exhaust memory.
class Zip {
public:
    explicit Zip(const QByteArray& bytes);
    ~Zip();
    bool isOpen() const { return m_open; }
    bool has(const QString& name) const;
    // False for a missing, damaged, encrypted or oversized entry.
    bool read(const QString& name, QByteArray& data);

private:
    QByteArray m_bytes;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    QStringList m_names;
    bool m_open = false;
};

inline constexpr qint64 MaxPartSize = 256 * 1024 * 1024;

// A compound file that holds nothing but the given workbook stream, laid out plainly (what
// FreeXL is handed to parse); empty for a stream too large to list.
QByteArray plainCompoundFile(const QByteArray& stream);

// The cached results of the formulas of an .xls file, by worksheet (0-based, chart sheets not
// counted), row and column: read from the workbook stream of the compound file, since FreeXL
// returns formula cells as empty. Empty when the stream cannot be read that way.
class XlsFormulas {
public:
    void read(const QByteArray& stream);
    bool find(int sheet, int row, int column, QString& text) const;
    bool isEmpty() const { return m_cells.isEmpty(); }

private:
    QHash<quint64, QString> m_cells;
};

inline quint64 cellKey(int sheet, int row, int column) {
    return (quint64(quint32(sheet)) << 40) | (quint64(quint32(row)) << 16) |
           quint64(quint16(column));
}

} // namespace mirel::platform::sheets
