#pragma once

#include <memory>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

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
    // there.
    QString value(const QString& row, int column) const;

private:
    int findRow(const QString& row) const;
    void buildIndex() const;
    QStringView line(int l) const;

    QString m_text;
    QList<qsizetype> m_starts; // start of every line in m_text
    QList<qsizetype> m_ends;
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
    const DataFile& file(const QString& path);
    int size() const { return int(m_files.size()); }

private:
    QString existingPath(const QString& path);

    QHash<QString, std::shared_ptr<DataFile>> m_files;
    // Per folder: upper-cased file name -> path of the file, for names that differ in case.
    QHash<QString, QHash<QString, QString>> m_folders;
};

} // namespace mirel::query
