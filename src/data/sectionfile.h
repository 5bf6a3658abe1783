#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <QByteArrayView>
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

// The literal that starts the header line of every section data file (g_PR_Matrix).
inline const QString g_PR_Matrix = QStringLiteral("! 0000 ");

// Two-digit section number "01".."99".
QString sectionNumber(int section);
// The period data directory: datDir + "/DAT_" + YY + MM + "." + FFF.
QString periodDataDir(const QString& datDir, const QString& year, const QString& month,
                      const QString& formCode);
// The name of a region's section data file: COD + "." + RR (COD trimmed).
QString sectionFileName(const QString& regionCode, int section);
// The section data file of a region: periodDataDir + "/" + sectionFileName.
QString sectionFilePath(const QString& datDir, const QString& year, const QString& month,
                        const QString& formCode, const QString& regionCode, int section);

// The data of one region, form and period: where its section data files lie. year and month
// are the texts of the period fields (padded when paths are built).
struct DataKey {
    QString datDir;
    QString year;
    QString month;
    QString formCode;
    QString regionCode;

    QString dir() const { return periodDataDir(datDir, year, month, formCode); }
    QString path(int section) const {
        return sectionFilePath(datDir, year, month, formCode, regionCode, section);
    }
};

// True when the section data file of the section exists.
bool DD_Exist(const DataKey& key, int section);
// True when every section 1..sectionCount has its data file (protection is offered only then).
bool All_FileExists(const DataKey& key, int sectionCount);

// The numeric value of a cell text: its longest leading number, "," accepted as the decimal
// separator; 0 for an empty text or one that does not begin with a number.
double cellValue(const QString& text);
// The fields of a data line: tabs count as blanks, blank runs separate fields.
QStringList splitDataLine(const QString& line);
// The row number of a data line's first field (its integer part); values beyond the int range
// are clamped so that they stay out of every matrix.
int rowNumber(const QString& field);

// Standard reading. False (matrix untouched) when the file is missing, empty or has no data
// line. Lines with another field count are reported ("При считывании данных обнаружено
// переменное число данных в строке !!!", title the path) and skipped; so are, as format
// warnings, lines whose row number lies outside 1..R. A shape beyond any real section (more
// than maxCells cells) is reported and read as absent.
bool A_DD_Read(const QString& path, SectionMatrix& matrix, platform::Prompt& prompt);
inline constexpr qint64 maxCells = 1000000;

// The file text prepared for grid loading: trimmed, cut after its last digit, one CR LF
// appended; a single CR LF for a missing or empty file.
QString VV_Memo_Read(const QString& path);
// The part of a file's bytes that VV_Memo_Read keeps (before its CR LF): leading blanks and
// everything after the last digit dropped.
QByteArrayView memoBytes(QByteArrayView bytes);

// The first line of a file as it stands, up to its first LF (a CR before it dropped; at most
// 4 KiB); nullopt when the file is missing.
std::optional<QString> readFirstLine(const QString& path);
// The state mark of a file (first line after "PR_", trimmed); empty when the file or the state
// line is missing. A first line that holds a CR (CR alone between lines) is no state line.
QString stateMark(const QString& path);
// The mark the register shows for a file: empty when the file is missing or empty, the state
// mark when the first line is a state line, "-" when it is not.
QString registerMark(const QString& path);
// The same from the bytes of an existing file (the first 4 KiB count, as above).
QString registerMarkOf(QByteArrayView head);
// The mark of the state line that begins the bytes ("PR_" and the mark, trimmed); nullopt when
// the first line (split at LF) is not one, a line that holds a CR included.
std::optional<QString> stateMarkOf(QByteArrayView head);

// One data line as written: the row label (or number) and the K values.
struct DataRow {
    QString label;
    QStringList values;
};

// The sum of the numeric values of all data values.
double valueSum(const QList<DataRow>& rows);

// The first field written for row `row` (1-based): the label's first word when it is a number
// whose integer part is the row, else the row number, so that every file reads back into the
// rows it was written from.
QString dataLineLabel(const QString& label, int row);

// The first line of a section data file: "PR_" + mark, CR LF.
QString sectionStateLine(const QString& mark);

// The header line of a section data file, "! 0000 FFF RR YY MM COD" and CR LF.
QString sectionHeaderLine(const QString& year, const QString& month, const QString& formCode,
                          const QString& regionCode, int section);

// A section data file after its state line, built in code page 1251 value by value: the header
// line, then each row's label and values, each row ended by CR LF.
class SectionBody {
public:
    SectionBody(const QString& year, const QString& month, const QString& formCode,
                const QString& regionCode, int section, qsizetype reserve = 0);
    // The row's label: its number, or a label as dataLineLabel gives it.
    void startRow(int row);
    void startRow(const QString& label);
    // A value known to be clean (not empty, without blanks or tabs), in code page 1251.
    void addValue(QByteArrayView value) {
        char* at = room(value.size() + 1);
        *at = ' ';
        std::memcpy(at + 1, value.data(), size_t(value.size()));
    }
    // Any value: its inner blanks and tabs removed, "0" for an empty one.
    void addValue(const QString& value);
    void endRow() { std::memcpy(room(2), "\r\n", 2); }
    // Where the next byte will be written.
    qsizetype size() const { return m_size; }
    // The bytes so far, valid until the next addition.
    const char* data() const { return m_bytes.constData(); }
    QByteArray take() {
        m_bytes.truncate(m_size);
        return std::move(m_bytes);
    }

private:
    char* room(qsizetype count) {
        if (m_size + count > m_bytes.size())
            m_bytes.resize(std::max(m_bytes.size() * 2, m_size + count + 64));
        char* at = m_bytes.data() + m_size;
        m_size += count;
        return at;
    }

    QByteArray m_bytes;
    qsizetype m_size = 0;
};

// A section data file after its state line, in code page 1251: the header line and the data
// lines, as sectionFileText writes them (the part that does not depend on the control's mark).
QByteArray sectionFileBody(const QString& year, const QString& month, const QString& formCode,
                           const QString& regionCode, int section, const QList<DataRow>& rows);

// The whole text of a section data file as written: state line "PR_" + mark, header line
// "! 0000 FFF RR YY MM COD", one data line per row (row label, then the values with inner
// blanks removed, empty values as "0"), every line ended by CR LF.
QByteArray sectionFileText(const QString& year, const QString& month, const QString& formCode,
                           const QString& regionCode, int section, const QList<DataRow>& rows,
                           const QString& mark);

// Writes a section data file: state line ("PR_" + mark; the mark "0" or "?" from the sum when
// mark is empty; a mark given as "PR_x" is taken as "x"), header line, data lines. Creates the
// period data directory when missing. The whole file is replaced atomically; a read-only file
// is refused. Returns the mark written (without "PR_"), or an empty text after the write-error
// message "Ошибка при записи информации !!!" titled with the path.
QString writeSectionFile(const QString& datDir, const QString& year, const QString& month,
                         const QString& formCode, const QString& regionCode, int section,
                         const QList<DataRow>& rows, const QString& mark, platform::Prompt& prompt);
inline QString writeSectionFile(const DataKey& key, int section, const QList<DataRow>& rows,
                                const QString& mark, platform::Prompt& prompt) {
    return writeSectionFile(key.datDir, key.year, key.month, key.formCode, key.regionCode, section,
                            rows, mark, prompt);
}

// The zero-cell map file of a section: formDir + "/" + YYYY_MM.FFF + "/" + FFF + "_" + YYMM
// + "." + RR + ".ZERO" of the base period.
QString zeroMapPath(const QString& formDir, const QString& formCode, int section,
                    const QString& basePeriod);
// The zero-cell map of a section: per row (from row 1) the list of its characters; an empty
// entry for an empty line; one blank entry when the file is missing.
QList<QStringList> F_A_Zero(const QString& formDir, const QString& formCode, int section,
                            const QString& basePeriod);
// The same from a map file path.
QList<QStringList> readZeroMap(const QString& path);
// True when the map marks row r, column c (1-based) as a cell that must stay zero.
bool zeroMarked(const QList<QStringList>& map, int row, int column);
// True when the map marks a cell outside rows x columns (a map longer or wider than the
// section); such marks are ignored.
bool zeroMapExceeds(const QList<QStringList>& map, int rows, int columns);

} // namespace mirel::data
