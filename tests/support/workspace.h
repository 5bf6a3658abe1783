#pragma once

#include <ostream>
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// Qt strings print readably in assertion failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << '"' << b.toStdString() << '"';
}
QT_END_NAMESPACE

namespace mirel::test {

// A temporary folder for one test, removed afterwards unless the test failed (then its path is
// printed so the files can be looked at).
class TempWorkspace {
public:
    TempWorkspace();
    ~TempWorkspace();

    QString path() const { return m_dir.path(); }
    // Path of a file inside the workspace ("a/b.txt" style relative names).
    QString file(const QString& relative) const;

    // Writes a file (folders created) as code page 1251 text; lines given with "\n" are written
    // with CR LF unless raw is set.
    void write(const QString& relative, const QString& text, bool raw = false) const;
    void writeBytes(const QString& relative, const QByteArray& bytes) const;
    QByteArray readBytes(const QString& relative) const;
    // Reads a file as code page 1251 text.
    QString read(const QString& relative) const;
    bool exists(const QString& relative) const;
    void mkdir(const QString& relative) const;
    // Copies a whole folder tree (for example the demo workspace) into this workspace.
    void copyTree(const QString& from, const QString& relativeTo = QString()) const;

private:
    QTemporaryDir m_dir;
};

// Code page 1251 bytes of a text, with "\n" turned into CR LF.
QByteArray cp1251(const QString& text);
QByteArray cp1251Crlf(const QString& text);

// Every file under the folder (hidden ones too) with its bytes, by its path below root (with
// a leading "/"): compare two snapshots to see that nothing was changed, made or left behind.
QMap<QString, QByteArray> snapshotFiles(const QString& root);

// True when the process runs as root (permission tests then rely on our own checks).
bool runningAsRoot();

} // namespace mirel::test
