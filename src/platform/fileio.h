#pragma once

#include <optional>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

namespace mirel::platform {

// A failed file-system operation: a number and a description in the manner of the system's
// messages ("ERROR N=" number, then the description).
struct FsError {
    int number = 0;
    QString description;
};

// Path texts of the system may use "\" as separator (configuration files and query lists come
// from Windows). Turns such a text into a native path: "\" becomes "/".
QString nativePath(const QString& path);

// True when the text starts with a drive prefix such as "C:" that has no meaning here.
bool hasDrivePrefix(const QString& path);

// Looks an existing file or folder up without regard to case when the exact name does not
// exist (data trees come from Windows). Returns the native path of what exists, or the native
// path with its existing leading folders resolved when nothing matches. A folder is listed
// only for a missing name that has letters, and then once while it stays unchanged.
QString resolvePath(const QString& path);

bool pathExists(const QString& path);
bool fileExists(const QString& path);
bool dirExists(const QString& path);
// Why a whole-file read of the path failed, looked at once it has: nothing is there, something
// that is no regular file (a folder, a pipe), a file this user may not read, or a read error.
enum class ReadFailure { Missing, NotAFile, NotPermitted, ReadError };
ReadFailure readFailure(const QString& path);

// Whole-file reading. nullopt when the file does not exist or cannot be read. Only regular
// files are read; the name as written is tried first, so reading costs one open.
std::optional<QByteArray> readFileBytes(const QString& path);
// The same into a buffer whose memory is reused; false (buffer emptied) when there is no file.
bool readFileBytes(const QString& path, QByteArray& into);
// The first bytes of a file, at most limit of them; nullopt when there is no file.
std::optional<QByteArray> readFileHead(const QString& path, qint64 limit);

// The files of one folder, read by their names: the folder is looked up (without regard to
// case) and opened once, and its files are opened relative to it, which costs less than a
// path each when thousands of them are read. A name is tried as written, then without regard
// to case. A file is read before its kind is asked, so a special file that reads as empty
// (an unused pipe, a null device) counts as an empty file; a folder or a device that never
// ends is refused.
class FolderFiles {
public:
    explicit FolderFiles(const QString& folder);
    ~FolderFiles();
    FolderFiles(const FolderFiles&) = delete;
    FolderFiles& operator=(const FolderFiles&) = delete;

    bool exists() const { return m_exists; }
    // The folder as found on disk.
    const QString& path() const { return m_path; }
    // Reads the file (at most limit bytes, all for a negative limit) into the buffer, reusing
    // its memory; false (buffer emptied) when there is no such regular file.
    bool read(const QString& name, QByteArray& into, qint64 limit = -1);

private:
    QString m_path;
    int m_fd = -1;
    bool m_exists = false;
};

// The names of a folder's files (not its folders), to ask whether a name is among them without
// regard to case: read once from the directory stream and kept as bytes, which costs little
// more than the listing itself in a folder of many thousand files.
class FileNames {
public:
    explicit FileNames(const QString& dir);
    bool contains(const QString& name) const;
    qsizetype size() const { return m_upper.size(); }

private:
    QSet<QByteArray> m_upper; // local bytes, upper case
};

// Splits file text into lines at CR LF or LF; a missing end of the last line is accepted and a
// final line end does not add an empty line.
QStringList splitFileLines(const QString& text);

// What a whole-file write does with a name that is a symbolic link. Data and configuration
// files are never written through a link (a link planted under such a name would have the
// program replace a file elsewhere); an output file the person named himself (--html FILE)
// follows it, as a shell redirection does.
enum class Links { Refuse, Follow };

// What the caller of a whole-file write knows of the name: nothing, or that it was absent a
// moment ago (the folder's listing has no such name), so that the new file takes it at once
// with no look first. A file found there all the same is handled as if nothing were known.
enum class Known { Nothing, Absent };

// Replaces the whole file atomically: the bytes go into a new file of the same folder, are
// checked and synced to disk, and only then take the file's name, so a crash, a full disk or a
// file-size limit never leaves a half-written or empty file; the old file stays whole when
// anything fails. A replaced file keeps its permissions, owner and group (where the process
// may set them). Refuses, without touching the file, when the file exists and is read-only
// (owner-write bit cleared), also when running as root, and when the name is a symbolic link
// unless links says Follow. An existing name that differs only in case is written under its
// existing spelling.
bool writeFileAtomic(const QString& path, const QByteArray& bytes, FsError* error = nullptr,
                     Links links = Links::Refuse, Known known = Known::Nothing);

// True for the names of the temporary files that writeFileAtomic gives its new file until it
// takes the final name (only a process killed at that moment leaves one behind).
bool isWriterTemporary(const QString& name);

// Creates a new file that nobody holds and writes the bytes into it: dir/stem+suffix, else
// stem+"_1"+suffix, stem+"_2"+suffix... A name that exists (a symbolic link too, dangling or
// not, or the same name in another case) is passed over, never followed or replaced. Returns
// the path written; on failure an empty text and the error, and no partial file is left
// behind.
QString writeNewFile(const QString& dir, const QString& stem, const QString& suffix,
                     const QByteArray& bytes, FsError* error = nullptr);

// A set of new files sharing one free stem (a query and its template): dir/stem+suffix for
// every (suffix, bytes) pair, else stem_1, stem_2... where none of the names is taken. Returns
// the stem used (stem, stem_1, ...); on failure an empty text and the error, with none of the
// files left behind.
QString writeNewFiles(const QString& dir, const QString& stem,
                      const QList<QPair<QString, QByteArray>>& files, FsError* error = nullptr);

// The system's read-only attribute is the owner-write permission bit.
bool isReadOnly(const QString& path);
bool setReadOnly(const QString& path, bool readOnly, FsError* error = nullptr);

// Creates one folder level under an existing parent. Fails when the parent is missing or a
// file is in the way.
bool makeDir(const QString& path, FsError* error = nullptr);

// Names (not paths) of the sub-folders or files of a folder, in a stable order: by name
// without regard to case, ties by exact name. Empty when the folder does not exist.
QStringList listDirs(const QString& dir);
QStringList listFiles(const QString& dir);

// Deleting, moving and copying; read-only files are not forced. A read-only file or folder
// (owner-write bit cleared) is neither moved nor renamed, also when running as root; a move
// never replaces an existing name.
bool removeFile(const QString& path, FsError* error = nullptr);
bool removeDirRecursively(const QString& path, FsError* error = nullptr);
// Spellings::Checked: the caller knows that no other spelling of the target's name exists (a
// folder it keeps the names of), so that only the name as written is looked at.
enum class Spellings { Look, Checked };
bool movePath(const QString& from, const QString& to, FsError* error = nullptr,
              Spellings spellings = Spellings::Look);
bool copyFile(const QString& from, const QString& to, FsError* error = nullptr);

// Moves (or copies) several paths as one step, in order: when one fails, those before it are
// moved back (the copies removed), so nothing is left half done. True when all succeeded; else
// false, the error of the failing one and its index in failedAt.
bool movePaths(const QList<QPair<QString, QString>>& moves, FsError* error = nullptr,
               int* failedAt = nullptr);
bool copyFiles(const QList<QPair<QString, QString>>& copies, FsError* error = nullptr,
               int* failedAt = nullptr);

// The system's temporary folder; when it is missing or cannot take new files (TMPDIR naming a
// folder that is gone), the program folder given by setProgramFolder. Tests may set another
// folder with setTempDirOverride.
QString tempDir();
void setTempDirOverride(const QString& dir);
void setProgramFolder(const QString& dir);

// Folder part of a path: the text before the last "/" or "\" (empty when there is none).
QString parentOf(const QString& path);
// Name part of a path: the text after the last "/" or "\".
QString nameOf(const QString& path);

} // namespace mirel::platform
