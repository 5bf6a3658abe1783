#pragma once

#include <memory>
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

namespace mirel::platform {

// Spreadsheet reading: open a workbook, count its worksheets, take one by number, read a cell
// by A1 reference as text, close (the object's end). .xls is read with FreeXL, .xlsx and .ods
// from their zipped XML; the kind is told by the file's content, not its name.
//
// A cell's text is its value as the office shows it: numbers in the general number format
// without binary noise (0.1 stays "0.1"), dates "dd.mm.yyyy" and times "h:mm:ss" as a Russian
// office writes them, truth values as 1 and 0 (FreeXL cannot tell them from numbers), formula
// results by the value the office stored with the formula, text unchanged; "" for an empty cell.

// A cell position from an A1 reference ("C12", "$C$12", "c12"): 0-based row and column. False
// for a text that names no single cell of a sheet (rows 1..1048576, columns A..XFD).
struct CellPos {
    int row = 0;
    int column = 0;
};
bool parseA1(const QString& reference, CellPos& pos);

inline constexpr int MaxSheetRows = 1048576;
inline constexpr int MaxSheetColumns = 16384;

// The text of a date and time value: the date alone when the time is midnight, the time alone on
// the office's day zero (30.12.1899), else both.
QString dateTimeText(const QDate& date, const QTime& time);
// The same from a serial day number of the 1900 date system (or of the 1904 one).
QString serialDateText(double serial, bool system1904);
// The same from an ISO 8601 date ("2005-03-27") or date and time ("2005-03-27T02:30:00",
// fractions of a second allowed), read as written: no time zone, so that no change of the local
// clock moves or drops the time. Empty for another text.
QString isoDateText(const QString& text);

// A cell as a reader that works on numbers takes it: a number cell's value, whose text is
// numberText of it, or the text of any other cell.
struct CellContent {
    bool isNumber = false;
    double number = 0;
    QString text;
};

class Worksheet {
public:
    virtual ~Worksheet() = default;
    // The text of the cell at 0-based row and column; "" outside the used range.
    virtual QString cellText(int row, int column) const = 0;
    // The same as a number where the cell holds one (so that no text is made for it); by
    // default always the text.
    virtual void cellContent(int row, int column, CellContent& content) const;
    // The same by A1 reference; false (text untouched) when the reference names no single cell.
    bool cell(const QString& reference, QString& text) const;
};

class Workbook {
public:
    virtual ~Workbook() = default;

    // Opens the workbook of a file. nullptr when it cannot be read; error then holds the reason
    // as the person is told it: missing file, no right to read it, not a workbook, damaged, or
    // protected by a password.
    static std::unique_ptr<Workbook> open(const QString& path, QString* error = nullptr);
    // The same on the bytes of a file.
    static std::unique_ptr<Workbook> fromBytes(const QByteArray& bytes, QString* error = nullptr);

    virtual int sheetCount() const = 0;
    // Worksheet number 1..sheetCount() (chart sheets are not counted); nullptr for any other
    // number. Valid as long as the workbook.
    virtual const Worksheet* sheet(int number) = 0;
};

// Reasons given by Workbook::open.
inline const QString NoWorkbookFile = QStringLiteral("Файл не найден");
inline const QString WorkbookNotReadable = QStringLiteral("Нет прав на чтение файла");
inline const QString NotAWorkbook = QStringLiteral("Файл не является книгой Excel");
inline const QString DamagedWorkbook = QStringLiteral("Книга повреждена и не читается");
inline const QString ProtectedWorkbook = QStringLiteral("Книга защищена паролем");
// The reason of a missing worksheet and of a reference that names no cell.
QString noSheetText(int number);
inline const QString BadCellReference = QStringLiteral("Недопустимая ссылка на ячейку");

} // namespace mirel::platform
