#include "platform/fileio.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace mirel::platform {
namespace {

QString g_tempOverride;

void setError(FsError* error, int number, const QString& description)
{
    if (error)
        *error = FsError{number, description};
}

// Error numbers and texts in the manner of the file-system object the system was written for.
void pathNotFound(FsError* e) { setError(e, 76, QStringLiteral("Путь не найден")); }
void permissionDenied(FsError* e) { setError(e, 70, QStringLiteral("Отказано в разрешении")); }
void fileAlreadyExists(FsError* e) { setError(e, 58, QStringLiteral("Файл уже существует")); }
void fileNotFound(FsError* e) { setError(e, 53, QStringLiteral("Файл не найден")); }
void ioError(FsError* e, const QString& what) { setError(e, 57, QStringLiteral("Ошибка ввода/вывода: ") + what); }

// Case-insensitive lookups list the folder; the listing is kept per folder until the folder
// changes (its modification time) or this program changes the file system, so reading
// thousands of files that are missing stays cheap.
struct FolderListing {
    QDateTime modified;
    QDateTime listedAt;
    QHash<QString, QString> byUpperName;

    // File-system time stamps are coarse: a listing taken within a short while after the
    // folder's last change may miss a change made in the same tick, so it is not trusted.
    bool validFor(const QDateTime& folderModified) const
    {
        return modified == folderModified && modified.msecsTo(listedAt) > 200;
    }
};
QMutex g_listingMutex;
QHash<QString, FolderListing> g_listings;

void forgetListings()
{
    QMutexLocker lock(&g_listingMutex);
    g_listings.clear();
}

// Placed in every function that changes the file system.
struct ForgetListingsOnExit {
    ~ForgetListingsOnExit() { forgetListings(); }
};

QStringList sortedNames(QStringList names);

QString findInFolder(const QString& folder, const QString& name)
{
    const QFileInfo info(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QDateTime modified = info.lastModified();
    QMutexLocker lock(&g_listingMutex);
    auto it = g_listings.find(folder);
    if (it == g_listings.end() || !it->validFor(modified)) {
        FolderListing listing;
        listing.modified = modified;
        listing.listedAt = QDateTime::currentDateTimeUtc();
        const QStringList entries = sortedNames(QDir(info.filePath()).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        for (const QString& e : entries) {
            const QString key = e.toUpper();
            if (!listing.byUpperName.contains(key))
                listing.byUpperName.insert(key, e);
        }
        it = g_listings.insert(folder, listing);
    }
    return it->byUpperName.value(name.toUpper());
}

QStringList sortedNames(QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

} // namespace

QString nativePath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

bool hasDrivePrefix(const QString& path)
{
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter();
}

QString resolvePath(const QString& path)
{
    const QString native = nativePath(path);
    if (native.isEmpty() || QFileInfo::exists(native))
        return native;
    const auto join = [](const QString& folder, const QString& name) {
        if (folder.isEmpty())
            return name;
        return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
    };
    const QStringList parts = native.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = native.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        const QString exact = join(current, part);
        if (QFileInfo::exists(exact) || part == QLatin1String(".") || part == QLatin1String("..")) {
            current = exact;
            continue;
        }
        // A name without letters ("1401.01") has no other spelling: nothing to look for.
        const QString match =
            part.toUpper() == part.toLower() ? QString() : findInFolder(current, part);
        if (match.isEmpty())
            return join(current, parts.mid(i).join(QLatin1Char('/'))); // rest kept as written
        current = join(current, match);
    }
    return current;
}

bool pathExists(const QString& path) { return QFileInfo::exists(resolvePath(path)); }
bool fileExists(const QString& path) { return QFileInfo(resolvePath(path)).isFile(); }
bool dirExists(const QString& path) { return QFileInfo(resolvePath(path)).isDir(); }

std::optional<QByteArray> readFileBytes(const QString& path)
{
    // The name as written is tried first, with a single look at the disk: some callers read
    // thousands of files in a row.
    const QString native = nativePath(path);
    QString target = native;
    if (!QFileInfo(native).isFile()) {
        target = resolvePath(path);
        if (!QFileInfo(target).isFile())
            return std::nullopt;
    }
    // Whole files are read at once, without the device's own buffer.
    QFile file(target);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    return file.readAll();
}

QStringList splitFileLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) == QLatin1Char('\n')) {
            qsizetype end = i;
            if (end > start && text.at(end - 1) == QLatin1Char('\r'))
                --end;
            lines.append(text.mid(start, end - start));
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool isReadOnly(const QString& path)
{
    const QFileInfo info(resolvePath(path));
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

bool setReadOnly(const QString& path, bool readOnly, FsError* error)
{
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

bool writeFileAtomic(const QString& path, const QByteArray& bytes, FsError* error)
{
    const ForgetListingsOnExit forget;
    const QString target = resolvePath(path);
    const QFileInfo info(target);
    if (info.isDir()) {
        permissionDenied(error);
        return false;
    }
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner)) {
        permissionDenied(error);
        return false;
    }
    if (!QFileInfo(info.absolutePath()).isDir()) {
        pathNotFound(error);
        return false;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        permissionDenied(error);
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        ioError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        ioError(error, file.errorString());
        return false;
    }
    return true;
}

QString writeNewFile(const QString& dir, const QString& stem, const QString& suffix,
                     const QByteArray& bytes, FsError* error)
{
    const ForgetListingsOnExit forget;
    const QString folder = resolvePath(dir);
    if (!QFileInfo(folder).isDir()) {
        pathNotFound(error);
        return QString();
    }
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (int n = 0; n < 100000; ++n) {
        const QString name = n == 0 ? stem + suffix
                                    : stem + QLatin1Char('_') + QString::number(n) + suffix;
        const QString path = base + name;
        const QByteArray local = QFile::encodeName(path);
        const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              0644);
        if (fd < 0) {
            if (errno == EEXIST || errno == ELOOP)
                continue; // taken, or a link planted under the name
            if (errno == ENOENT || errno == ENOTDIR)
                pathNotFound(error);
            else if (errno == EACCES || errno == EPERM || errno == EROFS)
                permissionDenied(error);
            else
                ioError(error, QString::fromLocal8Bit(strerror(errno)));
            return QString();
        }
        qsizetype done = 0;
        bool ok = true;
        while (done < bytes.size()) {
            const ssize_t w = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        const int writeErrno = errno;
        if (::close(fd) != 0)
            ok = false;
        if (!ok) {
            ::unlink(local.constData());
            ioError(error, QString::fromLocal8Bit(strerror(writeErrno)));
            return QString();
        }
        return path;
    }
    fileAlreadyExists(error);
    return QString();
}

bool makeDir(const QString& path, FsError* error)
{
    const ForgetListingsOnExit forget;
    const QString target = resolvePath(path);
    const QFileInfo info(target);
    if (info.isDir())
        return true;
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

QStringList listDirs(const QString& dir)
{
    QDir d(resolvePath(dir));
    if (!d.exists())
        return {};
    return sortedNames(d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden));
}

QStringList listFiles(const QString& dir)
{
    QDir d(resolvePath(dir));
    if (!d.exists())
        return {};
    return sortedNames(d.entryList(QDir::Files | QDir::Hidden | QDir::System));
}

bool removeFile(const QString& path, FsError* error)
{
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

bool removeDirRecursively(const QString& path, FsError* error)
{
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

bool movePath(const QString& from, const QString& to, FsError* error)
{
    const ForgetListingsOnExit forget;
    const QString source = resolvePath(from);
    const QString target = resolvePath(to);
    if (!QFileInfo::exists(source)) {
        fileNotFound(error);
        return false;
    }
    if (QFileInfo::exists(target)) {
        fileAlreadyExists(error);
        return false;
    }
    if (!QDir().rename(source, target)) {
        permissionDenied(error);
        return false;
    }
    return true;
}

bool copyFile(const QString& from, const QString& to, FsError* error)
{
    const QString source = resolvePath(from);
    const QString target = resolvePath(to);
    if (!QFileInfo(source).isFile()) {
        fileNotFound(error);
        return false;
    }
    if (QFileInfo::exists(target)) {
        fileAlreadyExists(error);
        return false;
    }
    const auto bytes = readFileBytes(source);
    if (!bytes)
        return permissionDenied(error), false;
    return writeFileAtomic(target, *bytes, error);
}

QString tempDir()
{
    if (!g_tempOverride.isEmpty())
        return g_tempOverride;
    return QDir::tempPath();
}

void setTempDirOverride(const QString& dir) { g_tempOverride = dir; }

QString parentOf(const QString& path)
{
    const qsizetype i = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return i < 0 ? QString() : path.left(i);
}

QString nameOf(const QString& path)
{
    const qsizetype i = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(i + 1);
}

} // namespace mirel::platform
