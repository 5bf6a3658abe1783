#include "fuzzsupport.h"

#include <cstdio>
#include <cstdlib>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/fileio.h"

namespace mirel::fuzz {
namespace {

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(source, target);
    }
}

} // namespace

QString demo() {
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir;
        copyTree(QStringLiteral(MIREL_DEMO_DIR), d->path());
        return d;
    }();
    return dir->path();
}

QString putFile(const QString& relative, const QByteArray& bytes) {
    const QString path = demo() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        check(false, "the input could not be written");
    return path;
}

QString putFile(const QString& relative, const std::uint8_t* data, std::size_t size) {
    return putFile(relative, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
}

void restoreFile(const QString& relative) {
    QFile original(QStringLiteral(MIREL_DEMO_DIR) + QLatin1Char('/') + relative);
    if (original.open(QIODevice::ReadOnly))
        putFile(relative, original.readAll());
    else
        QFile::remove(demo() + QLatin1Char('/') + relative);
}

void QuietPrompt::message(const QString&, platform::Icon, const QString&) {
    ++messages;
}
bool QuietPrompt::askYesNo(const QString&, const QString&) {
    return false;
}
bool QuietPrompt::askOkCancel(const QString&, const QString&) {
    return false;
}
std::optional<QString> QuietPrompt::inputBox(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken contract: %s\n", what);
    std::abort();
}

} // namespace mirel::fuzz
