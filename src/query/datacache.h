#pragma once

#include <deque>
#include <map>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>
#include <unordered_map>

namespace mirel::query {

// One section data file as the query engine reads it: the text prepared as for grid loading
// (trimmed, cut after its last digit, one line end added), split into lines, with the row
// lookups indexed. exists is false for a missing file.
class DataFile {
public:
    DataFile() = default;
    explicit DataFile(const QString& prepared);
    DataFile(const DataFile&) = delete; // the indexes point into the text
    DataFile& operator=(const DataFile&) = delete;

    bool exists = false;

    // The value of a row and column: the line that begins with the row identifier and a blank
    // (never the first line), else the first data line whose first field has the numeric value
    // of the identifier; then field column + 1 of that line. "0" when the row or field is not
    // there. The text stays valid as long as the file.
    QStringView value(const QString& row, int column) const;

private:
    int findRow(const QString& row) const;
    void buildIndex() const;
    QStringView line(int l) const;

    QString m_text;
    // Where every line begins. Kept inside the object: a computation holds thousands of files.
    QVarLengthArray<qsizetype, 32> m_starts;
    // Built on the first lookup of a larger file: first field -> first line (from line 1) that
    // has a blank; numeric value of the first field -> first data line.
    mutable bool m_indexed = false;
    mutable QHash<QStringView, int> m_byId;
    mutable QHash<double, int> m_byValue;
};

// The data files read during one computation, each read once: nothing writes data files while
// a query is computed, so a second reading would give the same text.
class DataCache {
public:
    struct Folder;
    // The data files of one section in one period folder. A table asks for the file of every
    // region for every reference: region codes are numbered as they are first met, and a
    // section keeps its files in a list by that number, so that finding a file hashes no path.
    struct Section {
        Folder* folder = nullptr;
        int number = 0;
        QList<const DataFile*> files; // by region number; nullptr when not asked for yet
    };
    struct Folder {
        QString path;
        std::map<int, Section> sections;
        // Listed when a first file of the folder was missing: upper-cased file name -> path of
        // the file, so that further missing files need no search of the disk.
        bool listed = false;
        QHash<QString, QString> byUpperName;
    };

    // The section of this number in the folder at this path (as written); the same object for
    // the same folder and number while the cache lives.
    Section& section(const QString& folder, int number);
    // The number of a region code (trimmed).
    int regionNumber(const QString& code);
    // The data file of a region in the section, read on its first use.
    const DataFile& file(Section& section, int region);
    // The number of files asked for (missing ones included).
    int size() const { return m_count; }

private:
    const DataFile& read(Folder& folder, const QString& name);
    QString listedPath(Folder& folder, const QString& name);

    std::deque<DataFile> m_files; // stable addresses for the lists of the sections
    std::deque<Folder> m_folderStore;
    QHash<QString, Folder*> m_folders;
    std::unordered_map<QString, int> m_regionNumbers; // inserts of QHash cost more here
    QStringList m_regionCodes;
    DataFile m_missing;
    int m_count = 0;
};

} // namespace mirel::query
