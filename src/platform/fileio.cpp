#include "platform/fileio.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mirel::platform {
namespace {

QString g_tempOverride;
QString g_programFolder;

void setError(FsError* error, int number, const QString& description) {
    if (error) *error = FsError{number, description};
}

// Error numbers and texts in the manner of the file-system object the system was written for.
void pathNotFound(FsError* e) {
    setError(e, 76, QStringLiteral("Путь не найден"));
}
void permissionDenied(FsError* e) {
    setError(e, 70, QStringLiteral("Отказано в разрешении"));
}
void fileAlreadyExists(FsError* e) {
    setError(e, 58, QStringLiteral("Файл уже существует"));
}
void fileNotFound(FsError* e) {
    setError(e, 53, QStringLiteral("Файл не найден"));
}
void ioError(FsError* e, const QString& what) {
    setError(e, 57, QStringLiteral("Ошибка ввода/вывода: ") + what);
}

// The local bytes of a native path, for the system calls.
QByteArray local(const QString& native) {
    return QFile::encodeName(native.isEmpty() ? QStringLiteral(".") : native);
}

bool statNative(const QString& native, struct stat& st) {
    return ::stat(local(native).constData(), &st) == 0;
}

bool existsNative(const QString& native) {
    struct stat st;
    return statNative(native, st);
}

bool isDirNative(const QString& native) {
    struct stat st;
    return statNative(native, st) && S_ISDIR(st.st_mode);
}

// Only a name with letters (or characters outside ASCII) can be spelt in another case: a name
// of digits and signs, such as every section data file, is looked up under its own name alone.
bool mayBeSpeltOtherwise(const QString& name) {
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) return true;
    }
    return false;
}

qint64 nanoseconds(const struct timespec& t) {
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Case-insensitive lookups list the folder once; the listing is kept per folder while the
// folder stays as it was (its modification time), so looking up names that are missing costs
// one listing per folder, however many names are asked for.
struct FolderListing {
    qint64 modified = 0;
    qint64 listedAt = 0;
    QHash<QString, QString> byUpperName;

    // File-system time stamps are coarse: a listing taken within a short while after the
    // folder's last change may miss a change made in the same tick, so it is not trusted.
    bool validFor(qint64 folderModified) const {
        return modified == folderModified && listedAt - modified > 200'000'000;
    }
};
QMutex g_listingMutex;
QHash<QString, FolderListing> g_listings;

void forgetListings() {
    QMutexLocker lock(&g_listingMutex);
    g_listings.clear();
}

// Placed in every function that changes the file system.
struct ForgetListingsOnExit {
    ~ForgetListingsOnExit() { forgetListings(); }
};

// The entries of a folder straight from the directory stream: no per-entry look at the disk.
// Of names that differ only in case the one that sorts first (by exact text) is kept.
bool readListing(const QString& folder, FolderListing& listing) {
    DIR* dir = ::opendir(local(folder).constData());
    if (!dir) return false;
    while (const struct dirent* entry = ::readdir(dir)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        const QString name = QFile::decodeName(n);
        const QString key = name.toUpper();
        auto it = listing.byUpperName.find(key);
        if (it == listing.byUpperName.end())
            listing.byUpperName.insert(key, name);
        else if (name < it.value())
            it.value() = name;
    }
    ::closedir(dir);
    return true;
}

// The spellings of an ASCII name with at most a few letters, each letter in either case;
// empty when there would be too many of them or the name has other characters that a case
// change could match.
QList<QByteArray> spellings(const QString& name) {
    constexpr int MostLetters = 4;
    QByteArray base = name.toLatin1();
    QList<int> letters;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        if (u >= 0x80) return {};
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) {
            if (letters.size() == MostLetters) return {};
            letters.append(int(i));
        }
    }
    QList<QByteArray> all;
    for (int mask = 0; mask < (1 << letters.size()); ++mask) {
        for (int k = 0; k < letters.size(); ++k) {
            char& c = base[letters.at(k)];
            c = (mask >> k) & 1 ? char(c & ~0x20) : char(c | 0x20);
        }
        all.append(base);
    }
    return all;
}

// A name found among its few spellings by looking each one up, which costs less than listing
// a large folder that has just changed (a listing is only kept for a folder that stays as it
// is). Of several spellings that exist, the one that sorts first wins, as in a listing.
std::optional<QString> findSpelling(const QString& folder, const QString& name) {
    const QList<QByteArray> candidates = spellings(name);
    if (candidates.isEmpty()) return std::nullopt;
    // Looked up relative to the folder: its path is walked once, not once per spelling.
    const int dir = ::open(local(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return std::nullopt;
    QString found;
    for (const QByteArray& candidate : candidates) {
        struct stat st;
        if (::fstatat(dir, candidate.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        const QString spelt = QString::fromLatin1(candidate);
        if (found.isEmpty() || spelt < found) found = spelt;
    }
    ::close(dir);
    return found;
}

// findInFolder on a folder already looked at (st).
QString findInDir(const QString& folder, const struct stat& st, const QString& name) {
    const qint64 modified = nanoseconds(st.st_mtim);
    QMutexLocker lock(&g_listingMutex);
    auto it = g_listings.find(folder);
    if (it == g_listings.end() || !it->validFor(modified)) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000000;
        // A folder of a few blocks is listed at once, unless it is being changed (a listing of
        // it would not be kept): a large or changing one only when the name has too many
        // spellings to try.
        constexpr off_t SmallFolder = 16384;
        FolderListing listing;
        listing.modified = modified;
        listing.listedAt = now;
        if (st.st_size > SmallFolder || !listing.validFor(modified))
            if (const std::optional<QString> spelt = findSpelling(folder, name)) return *spelt;
        if (!readListing(folder, listing)) return QString();
        it = g_listings.insert(folder, listing);
    }
    return it->byUpperName.value(name.toUpper());
}

QString findInFolder(const QString& folder, const QString& name) {
    if (!mayBeSpeltOtherwise(name)) return QString();
    struct stat st;
    if (!statNative(folder, st) || !S_ISDIR(st.st_mode)) return QString();
    return findInDir(folder, st, name);
}

QStringList sortedNames(QStringList names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

// Local bytes of a name: plain ASCII names (every data file) are copied as they are.
struct LocalName {
    char small[256];
    QByteArray large;
    const char* c_str = nullptr;

    LocalName(const LocalName&) = delete;
    LocalName& operator=(const LocalName&) = delete;
    explicit LocalName(const QString& name) {
        const qsizetype n = name.size();
        if (n < qsizetype(sizeof small)) {
            bool ascii = true;
            for (qsizetype i = 0; i < n && ascii; ++i) {
                const char16_t u = name.at(i).unicode();
                ascii = u > 0 && u < 0x80;
                small[i] = char(u);
            }
            if (ascii) {
                small[n] = 0;
                c_str = small;
                return;
            }
        }
        large = QFile::encodeName(name);
        c_str = large.constData();
    }
};

// Opens a regular file for reading, relative to a folder descriptor (AT_FDCWD for a path).
// -1 when there is no such name, -2 when it is no regular file or cannot be read.
int openRegularAt(int dirfd, const char* name, qint64* size) {
    // Not blocking on a named pipe: it is no file and is refused below.
    const int fd = ::openat(dirfd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? -1 : -2;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -2;
    }
    *size = st.st_size;
    return fd;
}

// Opens a regular file for reading under the name as written, else under the name found
// without regard to case. Negative when there is no such file.
int openRegular(const QString& path, qint64* size) {
    const QString native = nativePath(path);
    const int fd = openRegularAt(AT_FDCWD, local(native).constData(), size);
    if (fd != -1) return fd;
    const QString resolved = resolvePath(path);
    if (resolved == native) return -1;
    return openRegularAt(AT_FDCWD, local(resolved).constData(), size);
}

// Reads up to limit bytes (everything for a negative limit) into the buffer after its first
// offset bytes, reusing its memory: the size the file had when it was opened, or, when that is not
// known (special files say 0), up to its end. False on a read error.
bool readOpen(int fd, qint64 size, qint64 limit, QByteArray& into, qsizetype offset = 0) {
    const bool sized = size > 0;
    qint64 want = sized ? size : 4096;
    if (limit >= 0) want = std::min(want, limit);
    into.resize(offset + qsizetype(want));
    qint64 done = 0;
    while (offset + done < qint64(into.size())) {
        const ssize_t r =
            ::read(fd, into.data() + offset + done, size_t(into.size() - offset - done));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            into.clear();
            return false;
        }
        if (r == 0) break;
        done += r;
        if (!sized && offset + done == qint64(into.size()) && (limit < 0 || done < limit)) {
            qint64 more = std::max<qint64>(4096, done);
            if (limit >= 0) more = std::min(more, limit - done);
            into.resize(offset + qsizetype(done + more));
        }
    }
    into.resize(offset + qsizetype(done));
    return true;
}

} // namespace

QString nativePath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

bool hasDrivePrefix(const QString& path) {
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter();
}

QString resolvePath(const QString& path) {
    const QString native = nativePath(path);
    if (native.isEmpty() || existsNative(native)) return native;
    // Mostly the folder exists as written and only the last name is missing or spelt
    // otherwise: one look at the folder instead of one per level.
    const qsizetype slash = native.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && slash + 1 < native.size() && !native.contains(QLatin1String("//"))) {
        const QString folder = native.left(slash);
        const QString name = native.mid(slash + 1);
        struct stat st;
        if (name != QLatin1String(".") && name != QLatin1String("..") && statNative(folder, st) &&
            S_ISDIR(st.st_mode)) {
            const QString match =
                mayBeSpeltOtherwise(name) ? findInDir(folder, st, name) : QString();
            return match.isEmpty() ? native : folder + QLatin1Char('/') + match;
        }
    }
    const auto join = [](const QString& folder, const QString& name) {
        if (folder.isEmpty()) return name;
        return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
    };
    const QStringList parts = native.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = native.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        const QString exact = join(current, part);
        if (part == QLatin1String(".") || part == QLatin1String("..") || existsNative(exact)) {
            current = exact;
            continue;
        }
        const QString match = findInFolder(current, part);
        if (match.isEmpty())
            return join(current, parts.mid(i).join(QLatin1Char('/'))); // rest kept as written
        current = join(current, match);
    }
    return current;
}

bool pathExists(const QString& path) {
    return existsNative(nativePath(path)) || existsNative(resolvePath(path));
}

bool fileExists(const QString& path) {
    struct stat st;
    if (statNative(nativePath(path), st)) return S_ISREG(st.st_mode);
    return statNative(resolvePath(path), st) && S_ISREG(st.st_mode);
}

bool dirExists(const QString& path) {
    struct stat st;
    if (statNative(nativePath(path), st)) return S_ISDIR(st.st_mode);
    return statNative(resolvePath(path), st) && S_ISDIR(st.st_mode);
}

ReadFailure readFailure(const QString& path) {
    const QString native = nativePath(path);
    const QString found = existsNative(native) ? native : resolvePath(path);
    struct stat st;
    if (!statNative(found, st)) return ReadFailure::Missing;
    if (!S_ISREG(st.st_mode)) return ReadFailure::NotAFile;
    if (::access(local(found).constData(), R_OK) != 0) return ReadFailure::NotPermitted;
    return ReadFailure::ReadError;
}

namespace {

bool readWhole(const QString& path, QByteArray& into) {
    qint64 size = 0;
    const int fd = openRegular(path, &size);
    if (fd < 0) {
        into.clear();
        return false;
    }
    const bool ok = readOpen(fd, size, -1, into);
    ::close(fd);
    return ok;
}

} // namespace

std::optional<QByteArray> readFileBytes(const QString& path) {
    QByteArray bytes;
    if (!readWhole(path, bytes)) return std::nullopt;
    return bytes;
}

bool readFileBytes(const QString& path, QByteArray& into) {
    return readWhole(path, into);
}

std::optional<QByteArray> readFileHead(const QString& path, qint64 limit) {
    qint64 size = 0;
    const int fd = openRegular(path, &size);
    if (fd < 0) return std::nullopt;
    QByteArray bytes;
    const bool ok = readOpen(fd, size, limit, bytes);
    ::close(fd);
    if (!ok) return std::nullopt;
    return bytes;
}

FolderFiles::FolderFiles(const QString& folder)
    : m_path(resolvePath(folder)) {
    m_fd = ::open(local(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Without a descriptor to spare, the files are opened by their paths.
    m_exists = m_fd >= 0 || isDirNative(m_path);
}

FolderFiles::~FolderFiles() {
    if (m_fd >= 0) ::close(m_fd);
}

bool FolderFiles::read(const QString& name, QByteArray& into, qint64 limit) {
    if (!m_exists) {
        into.clear();
        return false;
    }
    // The file is read before its kind is asked: a regular file below the buffer's size
    // needs no look at its attributes (what costs most when thousands are read). A folder
    // refuses to be read; anything that fills the buffer is looked at before more is read.
    const auto openName = [&](const QString& n) {
        if (m_fd >= 0) {
            const LocalName local(n);
            return ::openat(m_fd, local.c_str, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        }
        return ::open(local(m_path + QLatin1Char('/') + n).constData(),
                      O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    };
    int fd = openName(name);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        const QString match = findInFolder(m_path, name);
        if (!match.isEmpty() && match != name) fd = openName(match);
    }
    if (fd < 0) {
        into.clear();
        return false;
    }
    constexpr qint64 Chunk = 16384;
    const qint64 first = limit >= 0 ? std::min(limit, Chunk) : Chunk;
    into.resize(qsizetype(first));
    ssize_t r;
    do
        r = ::read(fd, into.data(), size_t(first));
    while (r < 0 && errno == EINTR);
    bool ok = r >= 0;
    if (ok && r == first && first < (limit >= 0 ? limit : std::numeric_limits<qint64>::max())) {
        // A larger file: now its kind and size are asked, and the rest is read.
        struct stat st;
        ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        if (ok) {
            // Read in place after the first bytes: a large file is never held twice.
            ok = readOpen(fd, std::max<qint64>(st.st_size - r, 0), limit >= 0 ? limit - r : -1,
                          into, qsizetype(r));
        }
    } else if (ok) {
        into.resize(qsizetype(r));
    }
    ::close(fd);
    if (!ok) into.clear();
    return ok;
}

QStringList splitFileLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) == QLatin1Char('\n')) {
            qsizetype end = i;
            if (end > start && text.at(end - 1) == QLatin1Char('\r')) --end;
            lines.append(text.mid(start, end - start));
            start = i + 1;
        }
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

bool isReadOnly(const QString& path) {
    const QFileInfo info(resolvePath(path));
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

bool setReadOnly(const QString& path, bool readOnly, FsError* error) {
    QFile file(resolvePath(path));
    if (!file.exists()) {
        fileNotFound(error);
        return false;
    }
    QFileDevice::Permissions p = file.permissions();
    if (readOnly)
        p &= ~(QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup |
               QFileDevice::WriteOther);
    else
        p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (!file.setPermissions(p)) {
        permissionDenied(error);
        return false;
    }
    return true;
}

namespace {

QString errnoText(int err) {
    return QString::fromLocal8Bit(strerror(err));
}

void setErrno(FsError* e, int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        pathNotFound(e);
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        permissionDenied(e);
        break;
    case EEXIST:
        fileAlreadyExists(e);
        break;
    case ENOSPC:
    case EDQUOT:
        setError(e, 61, QStringLiteral("Диск заполнен"));
        break;
    default:
        ioError(e, errnoText(err));
    }
}

void linkRefused(FsError* e) {
    setError(e, 75, QStringLiteral("Ошибка доступа к пути/файлу: символическая ссылка"));
}

// Follows a chain of symbolic links to the name finally written; empty when it loops.
QString linkTarget(QString path) {
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(path);
        if (!info.isSymLink()) return path;
        path = info.symLinkTarget();
    }
    return QString();
}

// Exists, a dangling symbolic link included.
bool nameTaken(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QByteArray randomTail() {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray tail(6, 'x');
    for (char& c : tail)
        c = letters[QRandomGenerator::global()->bounded(36)];
    return tail;
}

// The content of a new file before it has its name. It is written into an unnamed file of the
// folder (O_TMPFILE) when the file system has them, else under a hidden temporary name
// ("." name ".~" six letters); it is synced to disk before it gets a name. So a process
// killed while writing leaves nothing behind (at most a temporary name), and a file under
// its final name is always whole.
class StagedFile {
public:
    StagedFile(const QString& folder, const QString& name)
        : m_folder(folder)
        , m_name(name) {}
    ~StagedFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_tempName.isEmpty()) ::unlink(m_tempName.constData());
    }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Writes the bytes (with the old file's owner, group and permissions when one is being
    // replaced); false with errno's value in err.
    bool write(const QByteArray& bytes, const struct stat* old, int& err) {
        m_bytes = bytes;
        m_old = old ? std::optional<struct stat>(*old) : std::nullopt;
        m_fd =
            ::open(QFile::encodeName(m_folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            if (errno != EISDIR && errno != EOPNOTSUPP && errno != EINVAL) {
                err = errno;
                return false;
            }
            return writeNamed(err);
        }
        return fill(err);
    }

    // Gives the content its final name. Exclusive: fails with EEXIST when the name is taken
    // (a symbolic link too), never replacing anything. Otherwise the name is replaced
    // atomically.
    bool name(const QByteArray& finalName, bool exclusive, int& err) {
        if (m_tempName.isEmpty()) {
            if (exclusive && linkAnonymous(finalName, err)) return true;
            if (exclusive && err != ENOENT) return false;
            // Replacing takes a temporary name first (rename needs one); a system without
            // /proc cannot name an unnamed file at all: written again under a name.
            if (!(exclusive ? false : linkAnonymousToTemporary(err)) && !writeNamed(err))
                return false;
        }
        if (exclusive) {
            if (::link(m_tempName.constData(), finalName.constData()) != 0) {
                err = errno;
                return false;
            }
            return true;
        }
        if (::rename(m_tempName.constData(), finalName.constData()) != 0) {
            err = errno;
            return false;
        }
        m_tempName.clear();
        return true;
    }

private:
    bool fill(int& err) {
        if (m_old) {
            // Only root may give a file to someone else: another user's replaced file then
            // stays theirs instead of becoming root's.
            if (m_old->st_uid != ::geteuid() || m_old->st_gid != ::getegid())
                (void)!::fchown(m_fd, m_old->st_uid, m_old->st_gid);
            if (::fchmod(m_fd, m_old->st_mode & 07777) != 0) {
                err = errno;
                return false;
            }
        }
        qsizetype done = 0;
        while (done < m_bytes.size()) {
            const ssize_t w =
                ::write(m_fd, m_bytes.constData() + done, size_t(m_bytes.size() - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) { // a full disk, a file-size limit
                err = w < 0 ? errno : ENOSPC;
                return false;
            }
            done += w;
        }
        // The bytes are on disk before the file has a name; a file system that cannot sync
        // (EINVAL) has nothing more to do.
        if (::fsync(m_fd) != 0 && errno != EINVAL) {
            err = errno;
            return false;
        }
        return true;
    }

    QByteArray temporaryName() const {
        return QFile::encodeName(m_folder + QStringLiteral("/.") + m_name + QStringLiteral(".~")) +
               randomTail();
    }

    bool writeNamed(int& err) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_tempName = temporaryName();
            m_fd = ::open(m_tempName.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST) {
                err = errno;
                m_tempName.clear();
                return false;
            }
        }
        if (m_fd < 0) {
            err = EEXIST;
            m_tempName.clear();
            return false;
        }
        return fill(err);
    }

    bool linkAnonymous(const QByteArray& target, int& err) {
        // The descriptor itself names the file where the system allows it (Linux 6.10 for
        // the process that made the file, or with the right to search any folder): no walk
        // through /proc.
        static std::atomic<bool> emptyPathRefused{false};
        if (!emptyPathRefused.load(std::memory_order_relaxed)) {
            if (::linkat(m_fd, "", AT_FDCWD, target.constData(), AT_EMPTY_PATH) == 0) return true;
            err = errno;
            if (err != ENOENT && err != EPERM && err != EINVAL) return false;
        }
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) ==
            0) {
            // The same link by /proc works: the system refuses the shorter way.
            emptyPathRefused.store(true, std::memory_order_relaxed);
            return true;
        }
        err = errno;
        return false;
    }

    bool linkAnonymousToTemporary(int& err) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray candidate = temporaryName();
            if (linkAnonymous(candidate, err)) {
                m_tempName = candidate;
                return true;
            }
            if (err != EEXIST) return false;
        }
        return false;
    }

    QString m_folder;
    QString m_name;
    QByteArray m_bytes;
    std::optional<struct stat> m_old;
    int m_fd = -1;
    QByteArray m_tempName;
};

} // namespace

bool writeFileAtomic(const QString& path, const QByteArray& bytes, FsError* error, Links links,
                     Known known) {
    const ForgetListingsOnExit forget;
    const QString native = nativePath(path);
    // A name known to be absent that no other spelling can match is not looked at: the new file
    // takes it exclusively, and only a file that is there all the same is looked at.
    bool absent = known == Known::Absent && !mayBeSpeltOtherwise(nameOf(native));
    // The name as written is looked at first. When it exists (and is no link), or it is new and
    // no other spelling can match it (every data file's name is digits), no other spelling is
    // looked for unless its folder turns out to be spelt otherwise.
    for (bool resolved = false;; resolved = true) {
        QString target = resolved ? resolvePath(path) : native;
        struct stat old;
        bool replacing = !absent && ::lstat(local(target).constData(), &old) == 0;
        if (!resolved && (replacing ? S_ISLNK(old.st_mode) : mayBeSpeltOtherwise(nameOf(native))))
            continue;
        if (replacing && S_ISLNK(old.st_mode)) {
            if (links == Links::Refuse) {
                linkRefused(error);
                return false;
            }
            target = linkTarget(target);
            if (target.isEmpty()) {
                linkRefused(error);
                return false;
            }
            replacing = ::stat(QFile::encodeName(target).constData(), &old) == 0;
        }
        // A folder, a device or a pipe holds no data file, and a read-only file is kept. A
        // missing folder shows when the new content is staged in it.
        if (replacing && (!S_ISREG(old.st_mode) || !(old.st_mode & S_IWUSR))) {
            permissionDenied(error);
            return false;
        }
        const QFileInfo info(target);
        const QByteArray finalName = QFile::encodeName(info.absoluteFilePath());
        int err = 0;
        StagedFile staged(info.absolutePath(), info.fileName());
        if (!staged.write(bytes, replacing ? &old : nullptr, err)) {
            if (!resolved && (err == ENOENT || err == ENOTDIR) && resolvePath(path) != native)
                continue;
            setErrno(error, err);
            return false;
        }
        // A new file takes its name at once; one that appeared since the look above is
        // replaced.
        if (!replacing && staged.name(finalName, true, err)) return true;
        if (absent && err == EEXIST) { // there after all: looked at as any name is
            absent = false;
            continue;
        }
        if ((!replacing && err != EEXIST) || !staged.name(finalName, false, err)) {
            setErrno(error, err);
            return false;
        }
        return true;
    }
}

bool isWriterTemporary(const QString& name) {
    const qsizetype n = name.size();
    return n > 9 && name.startsWith(QLatin1Char('.')) && name.at(n - 8) == QLatin1Char('.') &&
           name.at(n - 7) == QLatin1Char('~');
}

QString writeNewFile(const QString& dir, const QString& stem, const QString& suffix,
                     const QByteArray& bytes, FsError* error) {
    const QString used = writeNewFiles(dir, stem, {{suffix, bytes}}, error);
    if (used.isEmpty()) return QString();
    const QString folder = resolvePath(dir);
    return (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) + used + suffix;
}

QString writeNewFiles(const QString& dir, const QString& stem,
                      const QList<QPair<QString, QByteArray>>& files, FsError* error) {
    const ForgetListingsOnExit forget;
    const QString folder = resolvePath(dir);
    if (!QFileInfo(folder).isDir()) {
        pathNotFound(error);
        return QString();
    }
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    // Every file is whole on disk before any name is tried.
    std::vector<std::unique_ptr<StagedFile>> staged;
    int err = 0;
    for (const auto& [suffix, bytes] : files) {
        staged.push_back(std::make_unique<StagedFile>(folder, stem + suffix));
        if (!staged.back()->write(bytes, nullptr, err)) {
            setErrno(error, err);
            return QString();
        }
    }
    for (int n = 0; n < 100000; ++n) {
        const QString candidate = n == 0 ? stem : stem + QLatin1Char('_') + QString::number(n);
        QList<QByteArray> named;
        bool taken = false;
        for (int k = 0; k < files.size() && !taken; ++k) {
            const QString path = base + candidate + files.at(k).first;
            // The same name in another case counts as taken: lookups do not tell them apart.
            if (nameTaken(path) || nameTaken(resolvePath(path))) {
                taken = true;
                break;
            }
            const QByteArray local = QFile::encodeName(path);
            if (staged.at(k)->name(local, true, err)) {
                named.append(local);
            } else if (err == EEXIST || err == ELOOP) {
                taken = true;
            } else {
                for (const QByteArray& done : named)
                    ::unlink(done.constData());
                setErrno(error, err);
                return QString();
            }
        }
        if (!taken) return candidate;
        for (const QByteArray& done : named)
            ::unlink(done.constData());
    }
    fileAlreadyExists(error);
    return QString();
}

bool makeDir(const QString& path, FsError* error) {
    const ForgetListingsOnExit forget;
    const QString target = resolvePath(path);
    const QFileInfo info(target);
    if (info.isDir()) return true;
    if (info.exists()) {
        fileAlreadyExists(error);
        return false;
    }
    const QFileInfo parent(info.absolutePath());
    if (!parent.isDir()) {
        pathNotFound(error);
        return false;
    }
    if (!QDir(parent.absoluteFilePath()).mkdir(info.fileName())) {
        permissionDenied(error);
        return false;
    }
    return true;
}

namespace {

// Calls onName with the name of every folder (dirs true) or of everything else in a folder,
// straight from the directory stream: only a link, or an entry of a file system that does not
// tell the kind, is looked at on the disk. A link counts as what it points to; a dangling one as
// a file. False when the folder cannot be read.
template <typename OnName>
bool forEachEntry(const QString& dir, bool dirs, OnName&& onName) {
    DIR* d = ::opendir(local(resolvePath(dir)).constData());
    if (!d) return false;
    while (const struct dirent* entry = ::readdir(d)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            isDir = ::fstatat(::dirfd(d), n, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir == dirs) onName(n);
    }
    ::closedir(d);
    return true;
}

// A name's key in FileNames: a name of ASCII letters is put in upper case byte by byte, any other
// through its text.
QByteArray upperKey(const char* name, size_t length) {
    QByteArray key(name, qsizetype(length));
    for (char& c : key) {
        if (uchar(c) >= 0x80) return QFile::encodeName(QFile::decodeName(name).toUpper());
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return key;
}

} // namespace

// The names of the folders (dirs true) or of everything else in a folder, sorted.
QStringList listEntries(const QString& dir, bool dirs) {
    QStringList names;
    forEachEntry(dir, dirs, [&](const char* name) { names.append(QFile::decodeName(name)); });
    return sortedNames(names);
}

FileNames::FileNames(const QString& dir) {
    forEachEntry(dir, false,
                 [&](const char* name) { m_upper.insert(upperKey(name, std::strlen(name))); });
}

bool FileNames::contains(const QString& name) const {
    const QByteArray bytes = QFile::encodeName(name);
    return m_upper.contains(upperKey(bytes.constData(), size_t(bytes.size())));
}

QStringList listDirs(const QString& dir) {
    return listEntries(dir, true);
}

QStringList listFiles(const QString& dir) {
    return listEntries(dir, false);
}

bool removeFile(const QString& path, FsError* error) {
    const ForgetListingsOnExit forget;
    const QString target = resolvePath(path);
    const QFileInfo info(target);
    if (!info.isFile()) {
        fileNotFound(error);
        return false;
    }
    if (!(info.permissions() & QFileDevice::WriteOwner) || !QFile::remove(target)) {
        permissionDenied(error);
        return false;
    }
    return true;
}

bool removeDirRecursively(const QString& path, FsError* error) {
    const ForgetListingsOnExit forget;
    QDir dir(resolvePath(path));
    if (!dir.exists()) {
        pathNotFound(error);
        return false;
    }
    // Read-only files inside are not forced: refuse before deleting anything.
    QStringList stack{dir.absolutePath()};
    while (!stack.isEmpty()) {
        QDir d(stack.takeLast());
        const auto entries =
            d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& e : entries) {
            if (e.isDir() && !e.isSymLink())
                stack.append(e.absoluteFilePath());
            else if (!(e.permissions() & QFileDevice::WriteOwner)) {
                permissionDenied(error);
                return false;
            }
        }
    }
    if (!dir.removeRecursively()) {
        permissionDenied(error);
        return false;
    }
    return true;
}

bool movePath(const QString& from, const QString& to, FsError* error, Spellings spellings) {
    const ForgetListingsOnExit forget;
    // Each name as written is looked at first; its other spellings only when it is missing.
    QString source = nativePath(from);
    struct stat st;
    if (::lstat(local(source).constData(), &st) != 0) {
        source = resolvePath(from);
        if (::lstat(local(source).constData(), &st) != 0) {
            fileNotFound(error);
            return false;
        }
    }
    // rename(2) asks nothing of the file itself: the read-only attribute is checked here.
    if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        permissionDenied(error);
        return false;
    }
    QString target = nativePath(to);
    // A name whose spellings are checked is not looked at: the move itself refuses it when it
    // is taken (below, a system that cannot refuse is asked first).
    bool taken = spellings == Spellings::Look && nameTaken(target);
    if (!taken && spellings == Spellings::Look) {
        const QString resolved = resolvePath(to);
        if (resolved != target) {
            target = resolved;
            taken = nameTaken(target);
        }
    }
    if (taken) {
        fileAlreadyExists(error);
        return false;
    }
    const QByteArray s = QFile::encodeName(source);
    const QByteArray t = QFile::encodeName(target);
    // Never over a name that appeared since the check.
    int rc = ::renameat2(AT_FDCWD, s.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE);
    if (rc != 0 && errno == EINVAL) {
        if (spellings == Spellings::Checked && nameTaken(target)) {
            fileAlreadyExists(error);
            return false;
        }
        rc = ::rename(s.constData(), t.constData());
    }
    if (rc != 0) {
        setErrno(error, errno == EEXIST ? EEXIST : EACCES);
        return false;
    }
    return true;
}

bool copyFile(const QString& from, const QString& to, FsError* error) {
    const QString source = resolvePath(from);
    const QString target = resolvePath(to);
    if (!QFileInfo(source).isFile()) {
        fileNotFound(error);
        return false;
    }
    if (nameTaken(target)) {
        fileAlreadyExists(error);
        return false;
    }
    const auto bytes = readFileBytes(source);
    if (!bytes) return permissionDenied(error), false;
    return writeFileAtomic(target, *bytes, error);
}

bool movePaths(const QList<QPair<QString, QString>>& moves, FsError* error, int* failedAt) {
    for (int i = 0; i < moves.size(); ++i) {
        if (movePath(moves.at(i).first, moves.at(i).second, error)) continue;
        for (int k = i - 1; k >= 0; --k)
            movePath(moves.at(k).second, moves.at(k).first);
        if (failedAt) *failedAt = i;
        return false;
    }
    return true;
}

bool copyFiles(const QList<QPair<QString, QString>>& copies, FsError* error, int* failedAt) {
    for (int i = 0; i < copies.size(); ++i) {
        if (copyFile(copies.at(i).first, copies.at(i).second, error)) continue;
        for (int k = i - 1; k >= 0; --k)
            removeFile(copies.at(k).second);
        if (failedAt) *failedAt = i;
        return false;
    }
    return true;
}

QString tempDir() {
    if (!g_tempOverride.isEmpty()) return g_tempOverride;
    // Qt gives an empty text when TMPDIR names a folder that is gone.
    const QString system = QDir::tempPath();
    if (!system.isEmpty() && QFileInfo(system).isDir() &&
        ::access(QFile::encodeName(system).constData(), W_OK | X_OK) == 0)
        return system;
    if (!g_programFolder.isEmpty()) return g_programFolder;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                        : QStringLiteral("/tmp");
}

void setTempDirOverride(const QString& dir) {
    g_tempOverride = dir;
}

void setProgramFolder(const QString& dir) {
    g_programFolder = dir;
}

QString parentOf(const QString& path) {
    const qsizetype i =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return i < 0 ? QString() : path.left(i);
}

QString nameOf(const QString& path) {
    const qsizetype i =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(i + 1);
}

} // namespace mirel::platform
