#include "workspace.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

#include "platform/codec.h"

namespace mirel::test {

TempWorkspace::TempWorkspace()
    : m_dir(QDir::tempPath() + QStringLiteral("/mirel-test-XXXXXX")) {
    m_dir.setAutoRemove(true);
}

TempWorkspace::~TempWorkspace() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info && info->result() && info->result()->Failed()) {
        m_dir.setAutoRemove(false);
        std::fprintf(stderr, "kept workspace of the failed test: %s\n", qPrintable(m_dir.path()));
        return;
    }
    // Read-only files and folders would make removal fail.
    QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        QFile::setPermissions(it.filePath(), QFile::permissions(it.filePath()) |
                                                 QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                                 QFileDevice::ReadOwner);
    }
}

QString TempWorkspace::file(const QString& relative) const {
    return relative.isEmpty() ? path() : path() + QLatin1Char('/') + relative;
}

void TempWorkspace::write(const QString& relative, const QString& text, bool raw) const {
    writeBytes(relative, raw ? platform::encode1251(text) : cp1251Crlf(text));
}

void TempWorkspace::writeBytes(const QString& relative, const QByteArray& bytes) const {
    const QString p = file(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.exists()) f.setPermissions(f.permissions() | QFileDevice::WriteOwner);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << qPrintable(p);
    f.write(bytes);
}

QByteArray TempWorkspace::readBytes(const QString& relative) const {
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

QString TempWorkspace::read(const QString& relative) const {
    return platform::decode1251(readBytes(relative));
}

bool TempWorkspace::exists(const QString& relative) const {
    return QFileInfo::exists(file(relative));
}

void TempWorkspace::mkdir(const QString& relative) const {
    QDir().mkpath(file(relative));
}

void TempWorkspace::copyTree(const QString& from, const QString& relativeTo) const {
    const QString target = file(relativeTo);
    QDir().mkpath(target);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    const QDir base(from);
    while (it.hasNext()) {
        it.next();
        const QString rel = base.relativeFilePath(it.filePath());
        const QString dst = target + QLatin1Char('/') + rel;
        if (it.fileInfo().isDir()) {
            QDir().mkpath(dst);
        } else {
            QDir().mkpath(QFileInfo(dst).absolutePath());
            // Plain reads and writes: QFile::copy syncs every file to disk, which a throwaway
            // copy of hundreds of files does not need.
            QFile in(it.filePath());
            QFile out(dst);
            if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly))
                out.write(in.readAll());
            out.close();
            // Keep the read-only state of protected demo files.
            QFile::setPermissions(dst, it.fileInfo().permissions());
        }
    }
}

QByteArray cp1251(const QString& text) {
    return platform::encode1251(text);
}

QByteArray cp1251Crlf(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return platform::encode1251(t);
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}

QMap<QString, QByteArray> snapshotFiles(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        files.insert(path.mid(root.size()), f.readAll());
    }
    return files;
}

} // namespace mirel::test
