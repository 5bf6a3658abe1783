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

int readFileInto(const QByteArray& localFile, QByteArray& buffer) {
    const int fd = ::open(localFile.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
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

} // namespace mirel::platform
