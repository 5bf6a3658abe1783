#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace mirel::platform {

// Plain access for runs over folders of thousands of data files (summation reads every file of
// a period data directory): names and paths as the file system's own bytes, no look-up without
// regard to case, no metadata per file beyond what the folder listing gives.

// The path in the file system's encoding (native separators).
QByteArray localPath(const QString& path);

// The names of the files of a folder (regular files, and links to regular files), in no
// particular order. False when the folder cannot be read.
bool listFileNamesRaw(const QByteArray& localDir, QList<QByteArray>& names);

// Reads a whole file into buffer, which is resized to the file's bytes (its capacity is kept
// for the next file). Returns 0, or the errno of the failure (ENOENT for a file that is gone).
int readFileInto(const QByteArray& localFile, QByteArray& buffer);

// An open folder whose files are reached by name: each open looks up one name instead of
// walking the whole path again. Safe to use from several threads at once.
class Folder {
public:
    explicit Folder(const QByteArray& localDir);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // As readFileInto, for the file of this name in the folder (ENOENT when the folder could
    // not be opened).
    int readFile(const char* name, QByteArray& buffer) const;
    // The file exists and its owner may not write it.
    bool isReadOnly(const char* name) const;

private:
    int m_fd = -1;
};

} // namespace mirel::platform
