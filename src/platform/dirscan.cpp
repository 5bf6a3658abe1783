#include "platform/dirscan.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fileio.h"

namespace mirel::platform {

QByteArray localPath(const QString& path) {
    return QFile::encodeName(nativePath(path));
}

bool listFileNamesRaw(const QByteArray& localDir, QList<QByteArray>& names) {
    names.clear();
    DIR* dir = ::opendir(localDir.constData());
    if (!dir) return false;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            file = ::fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (file) names.append(QByteArray(name));
    }
    ::closedir(dir);
    return true;
}

namespace {

// Reads the open file whole and closes it.
int readOpenFile(int fd, QByteArray& buffer) {
    // Section files are small: one read into 64 KiB is the rule.
    buffer.resize(65536);
    qsizetype done = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data() + done, size_t(buffer.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            buffer.resize(0);
            return err;
        }
        done += n;
        // A read that leaves room means the end of a regular file.
        if (done < buffer.size()) break;
        buffer.resize(buffer.size() * 2);
    }
    ::close(fd);
    buffer.resize(done);
    return 0;
}

} // namespace

int readFileInto(const QByteArray& localFile, QByteArray& buffer) {
    const int fd = ::open(localFile.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    return readOpenFile(fd, buffer);
}

Folder::Folder(const QByteArray& localDir)
    : m_fd(::open(localDir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

Folder::~Folder() {
    if (m_fd >= 0) ::close(m_fd);
}

int Folder::readFile(const char* name, QByteArray& buffer) const {
    if (m_fd < 0) return ENOENT;
    const int fd = ::openat(m_fd, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    return readOpenFile(fd, buffer);
}

bool Folder::isReadOnly(const char* name) const {
    struct stat st;
    return m_fd >= 0 && ::fstatat(m_fd, name, &st, 0) == 0 && !(st.st_mode & S_IWUSR);
}

} // namespace mirel::platform
