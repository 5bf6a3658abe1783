#pragma once

#include <deque>
#include <map>
#include <memory>
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>
#include <vector>

#include "platform/fileio.h"

namespace mirel::query {

// One section data file as the query engine reads it: its bytes (code page 1251) prepared as
// for grid loading (trimmed, cut after its last digit, one line end added). Lines are found in
// the bytes themselves; larger files get an index of their rows on the first lookup. exists is
// false for a missing file.
class DataFile {
public:
    DataFile() = default;
    // Takes the bytes of a file as they are on disk and prepares them in their own memory; raw
    // is left with the memory the file held before. A file beyond 2 GB reads as one without
    // rows.
    void assign(QByteArray& raw);
    explicit DataFile(QByteArray raw) { assign(raw); }
    void clear();

    bool exists = false;

    // The value of a row and column: the line that begins with the row identifier and a blank
    // (never the first line), else the first data line whose first field has the numeric value
    // of the identifier; then field column + 1 of that line. "0" when the row or field is not
    // there. rawValue gives the bytes of the field (a view into the file), value the text.
    QByteArrayView rawValue(const QString& row, int column) const;
    QString value(const QString& row, int column) const;

private:
    // Where each line starts and where its first blank is (-1 without one), found on the
    // first lookup; a line ends where the next begins (its CR LF or LF excluded).
    struct Line {
        qint32 start;
        qint32 blank;
    };
    // For larger files: first field -> first line (from line 1) that has a blank; numeric
    // value of the first field -> first data line.
    struct Index {
        QHash<QByteArrayView, int> byId;
        QHash<double, int> byValue;
    };

    void split() const;
    // The line that holds the row, -1 when none does.
    int findRow(const QString& row) const;
    QByteArrayView line(int l) const;
    QByteArrayView firstField(int l) const;

    QByteArray m_bytes;
    mutable QVarLengthArray<Line, 36> m_lines;
    mutable bool m_split = false;
    mutable std::unique_ptr<Index> m_index; // built on the first lookup of a larger file
};

// The data files read during one computation. A table asks for the file of every region for
// every reference; the files of the regions computed last are kept (and those of regions that
// formulas name by their code), so that memory does not grow with the number of regions.
// Nothing writes data files while a query is computed, so a file read again gives the text it
// gave before.
class DataCache {
public:
    struct Folder;
    // The data files of one section in one period folder, by region number (nullptr when not
    // read, or no longer kept).
    struct Section {
        Folder* folder = nullptr;
        int number = 0;
        std::vector<DataFile*> files;
        // Cells taken from every file of the section as it is read, by region, so that a run
        // over all regions after another one needs no file again (RANG( and IND(): the cells
        // wanted (row, column), and per region where its values lie in cellBytes (-1 none
        // taken, -2 no file). A record holds its number of cells, then each value's length
        // and bytes.
        QList<QPair<QString, int>> cells;
        std::vector<qint32> cellRecords;
        QByteArray cellBytes;
    };
    struct Folder {
        QString path;                                 // as written
        std::unique_ptr<platform::FolderFiles> files; // opened on the first reading
        std::map<int, Section> sections;
    };

    DataCache() = default;
    DataCache(const DataCache&) = delete;
    DataCache& operator=(const DataCache&) = delete;

    // The section of this number in the folder at this path (as written); the same object for
    // the same folder and number while the cache lives.
    Section& section(const QString& folder, int number);
    // The number of a region code (trimmed).
    int regionNumber(const QString& code);
    // The data file of a region in the section, read on its first use (and again when it was
    // let go meanwhile).
    const DataFile& file(Section& section, int region);
    // Keeps the files of a region for the whole computation (a region named in a formula).
    void keepRegion(int region);
    // Wants a cell of every file of the section: it is taken from each file as the file is
    // read, and kept when the file is let go.
    void keepCell(Section& section, const QString& row, int column);
    // A kept cell of a region's file: true when it was taken (exists false when there is no
    // file), with the bytes of the value.
    bool keptCell(const Section& section, int region, const QString& row, int column,
                  QByteArrayView& value, bool& exists) const;
    // Whether the wanted cells of a region's file were taken.
    bool hasCells(const Section& section, int region) const;
    // The number of readings of files (missing ones included).
    int size() const { return m_count; }

private:
    DataFile* read(Folder& folder, const QString& name);
    void touch(int region);
    void release(int region);
    void takeCells(Section& section, int region, const DataFile& file);

    // Regions whose files are kept, most recent last; and the regions kept for good.
    static constexpr int KeptRegions = 2;
    QList<int> m_recent;
    std::vector<bool> m_keptForGood;

    std::deque<DataFile> m_files;   // stable addresses for the lists of the sections
    std::vector<DataFile*> m_spare; // files let go, their memory reused by the next readings
    std::deque<Folder> m_folderStore;
    QHash<QString, Folder*> m_folders;
    // Codes of plain digits (all of them, in practice) by their value and length; others by
    // their text.
    QHash<quint64, int> m_digitCodes;
    QHash<QString, int> m_otherCodes;
    QStringList m_regionCodes;
    QByteArray m_buffer; // the bytes of the file being read
    DataFile m_missing;
    int m_count = 0;
};

} // namespace mirel::query
