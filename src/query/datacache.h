#pragma once

#include <deque>
#include <map>
#include <memory>
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
// lookups of larger files indexed. The text is kept elsewhere (by the cache) and must outlive
// the file. exists is false for a missing file.
class DataFile {
public:
    DataFile() = default;
    explicit DataFile(QStringView prepared);
    DataFile(QString&&) = delete;       // a temporary text would not outlive the file
    DataFile(const DataFile&) = delete; // kept in one place: the sections point to it
    DataFile& operator=(const DataFile&) = delete;

    bool exists = false;

    // The value of a row and column: the line that begins with the row identifier and a blank
    // (never the first line), else the first data line whose first field has the numeric value
    // of the identifier; then field column + 1 of that line. "0" when the row or field is not
    // there. A view into the text of the file.
    QStringView value(const QString& row, int column) const;

private:
    // First field -> first line (from line 1) that has a blank; numeric value of the first
    // field -> first data line.
    struct Index {
        QHash<QStringView, int> byId;
        QHash<double, int> byValue;
    };

    int findRow(const QString& row) const;
    const Index& index() const;
    QStringView line(int l) const;

    QStringView m_text;
    // Where every line begins, inside the object: a computation holds thousands of files.
    QVarLengthArray<qsizetype, 24> m_starts;
    mutable std::unique_ptr<Index> m_index; // built on the first lookup of a larger file
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
    const DataFile& keep(const QString& text);
    QString listedPath(Folder& folder, const QString& name);

    // The texts of the files, one after another in large blocks: a computation reads thousands
    // of small files, and allocating and releasing each text costs more than copying it.
    QList<QString> m_texts;

    std::deque<DataFile> m_files; // stable addresses for the lists of the sections
    std::deque<Folder> m_folderStore;
    QHash<QString, Folder*> m_folders;
    std::unordered_map<QString, int> m_regionNumbers; // inserts of QHash cost more here
    QStringList m_regionCodes;
    DataFile m_missing;
    int m_count = 0;
};

} // namespace mirel::query
