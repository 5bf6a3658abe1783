#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace mirel::platform {
class Prompt;
}

namespace mirel::data {

// A section matrix read from a file: rows x columns value texts, all "0" unless the file gave
// them. cells[r - 1][c - 1] is row r, column c.
struct SectionMatrix {
    int rows = 0;
    int columns = 0;
    QList<QStringList> cells;

    QString value(int row, int column) const; // "0" outside the matrix
};

// Two-digit section number "01".."99".
QString sectionNumber(int section);
// The period data directory: datDir + "/DAT_" + YY + MM + "." + FFF.
QString periodDataDir(const QString& datDir, const QString& year, const QString& month,
                      const QString& formCode);
// The section data file of a region: periodDataDir + "/" + COD + "." + RR.
QString sectionFilePath(const QString& datDir, const QString& year, const QString& month,
                        const QString& formCode, const QString& regionCode, int section);

// Standard reading. False (matrix untouched) when the file is missing, empty or has no data
// line. Lines with another field count are reported ("При считывании данных обнаружено
// переменное число данных в строке !!!", title the path) and skipped.
bool A_DD_Read(const QString& path, SectionMatrix& matrix, platform::Prompt& prompt);

// The file text prepared for grid loading: trimmed, cut after its last digit, one CR LF
// appended; a single CR LF for a missing or empty file.
QString VV_Memo_Read(const QString& path);

// The state mark of a file (first line after "PR_", trimmed); empty when the file or the state
// line is missing.
QString stateMark(const QString& path);

// One data line as written: the row label (or number) and the K values.
struct DataRow {
    QString label;
    QStringList values;
};

// The sum of the numeric values of all data values.
double valueSum(const QList<DataRow>& rows);

// Writes a section data file: state line ("PR_" + mark; the mark "0" or "?" from the sum when
// mark is empty), header line "! 0000 FFF RR YY MM COD", data lines; empty values written as
// "0". Creates the period data directory when missing. Returns the mark written (without
// "PR_"), or an empty text after the write-error message "Ошибка при записи информации !!!"
// titled with the path.
QString writeSectionFile(const QString& datDir, const QString& year, const QString& month,
                         const QString& formCode, const QString& regionCode, int section,
                         const QList<DataRow>& rows, const QString& mark,
                         platform::Prompt& prompt);

// The zero-cell map of a section: per row (from row 1) the list of its characters; an empty
// entry for an empty line; one blank entry when the file is missing.
QList<QStringList> F_A_Zero(const QString& formDir, const QString& formCode, int section,
                            const QString& basePeriod);
// True when the map marks row r, column c (1-based) as a cell that must stay zero.
bool zeroMarked(const QList<QStringList>& map, int row, int column);

} // namespace mirel::data
