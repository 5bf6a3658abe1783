#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace mirel::platform {
class Prompt;
}

namespace mirel::aggregate {

// A section matrix as summation reads, adds and writes it: rows x columns values, row-major.
// Texts: a matrix read from a file keeps the file's bytes and where each cell's text lies in
// them (a cell the file did not give reads "0"), so that a sum of one member is written with
// the member's own texts; once another matrix has been added into a cell, its text is the
// number text of its value.
struct SummMatrix {
    int rows = 0;
    int columns = 0;
    std::vector<double> values;
    bool summed = false; // another matrix has been added
    // Every value is a whole number below bound in magnitude (then sums below 1E15 need no
    // rounding); set by the reader, kept up by addInto.
    bool whole = true;
    double bound = 0;
    std::vector<char> added;       // when not empty: the cells added into (others keep texts)
    QByteArray bytes;              // the file's bytes, when texts are kept
    std::vector<qint32> textStart; // per cell, -1 for "0"
    std::vector<qint32> textLength;

    bool hasTexts() const { return !textStart.empty(); }
    // 1-based; 0 outside the matrix.
    double value(int row, int column) const;
    // The text of a cell (index row-major), in code page 1251.
    QByteArray cellBytes(qsizetype index) const;
    // 1-based; "0" outside the matrix.
    QString text(int row, int column) const;
};

// What reading a section data file for summation found.
enum class ReadStatus {
    Ok,
    Missing,    // no such file
    Unreadable, // the file system refused it
    Empty,      // no text at all
    NoData,     // text, but no data line
    Unequal,    // a data line whose field count differs from the last data line's
    RowOutside, // a data line whose row number lies outside 1..rows
    TooLarge,   // a shape beyond any real section
};

// Parses the bytes of a section data file: lines trimmed (tabs count as blanks), blank runs
// separate fields, lines that do not begin with a digit skipped; the last data line gives the
// shape (rows: the integer value of its first field; columns: its field count minus one); every
// other data line must have as many fields and a row number within the shape; a later line for
// a row replaces an earlier one; cells no line gives are "0". Values are the numbers at the
// start of the texts ("," read as the decimal separator; 0 for none). With keepTexts the
// matrix keeps the bytes and the cells' texts as well. The matrix is reused (its storage kept).
ReadStatus parseSection(const QByteArray& bytes, SummMatrix& matrix, bool keepTexts);
// Reads the texts of a matrix that was parsed from bytes without them.
void keepTexts(SummMatrix& matrix);

// The summation reader's message for a failed read (none for a missing file), titled with the
// path: "При считывании данных обнаружен пустой файл !!!" (also for a file without data
// lines), "При считывании данных обнаружено переменное число данных в строке !!!", and for a
// row outside the section, a shape beyond any section or a file that cannot be read, texts of
// the same kind.
void readFailure(ReadStatus status, const QString& path, platform::Prompt& prompt);

// F_A_DD: reads a section data file for summation, texts kept. 0 on success; -1 for a missing
// file (no message) and after readFailure's message for any other failure.
int F_A_DD(SummMatrix& matrix, const QString& path, platform::Prompt& prompt);

// The number that a sum cell holds after adding b to a: the double sum as its number text reads
// back (the system keeps sums as texts, so every addition is rounded to 15 significant digits:
// 0.1 + 0.2 is 0.3, 1.5 + -1.5 is 0).
double addNumbers(double a, double b);

// How a member is added into a sum. SumShape: over the sum's rows and columns (the summation
// window; a member smaller than the sum does not fit). MemberShape: over the member's own rows
// and columns (the register; a member larger than the sum does not fit, and cells it does not
// reach keep their texts).
enum class Fit { SumShape, MemberShape };
// Adds member into sum cell by cell; false (sum unchanged) when the member does not fit.
bool addInto(SummMatrix& sum, const SummMatrix& member, Fit fit);

// "! 0000 FFF RR YY MM COD"
QString summaryHeader(const QString& formCode, const QString& section, const QString& yy,
                      const QString& mm, const QString& code);
// The whole summary file: the state line, the header line, one data line per row (the row
// number, then the cells' texts, blank-separated), every line ended by CR LF.
QByteArray summaryFileBytes(const QString& stateLine, const QString& header,
                            const SummMatrix& matrix);

// Writes a summary file whole (atomically; a read-only file is refused), unless it holds these
// bytes already: a sum that has not changed is left as it is. False when the write failed.
bool writeSummaryFile(const QString& path, const QByteArray& bytes);

// One summary file to write, and whether it was.
struct SummaryWrite {
    QString path;
    QString extension;
    QByteArray bytes;
    bool written = false;
};
// Writes the files of one group as writeSummaryFile does, two at a time where the machine has
// the cores (each file is made durable on its own, so the disk's wait overlaps). Every file is
// tried; each says whether it was written.
void writeSummaryFiles(std::vector<SummaryWrite>& writes);

} // namespace mirel::aggregate
