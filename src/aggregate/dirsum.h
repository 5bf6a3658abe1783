#pragma once

#include <functional>
#include <map>
#include <memory>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <vector>

#include "aggregate/summgroups.h"
#include "aggregate/summmatrix.h"

namespace mirel::platform {
class Folder;
class Prompt;
} // namespace mirel::platform

namespace mirel::aggregate {

// A data file as read and parsed (values only) ahead of its turn.
struct ParsedFile {
    int err = 0;
    ReadStatus status = ReadStatus::Ok;
    SummMatrix matrix;
};

// One run of summation (or of the sum check) over a period data directory. Every data file of
// the directory (code + "." + extension, both all digits) is read once, in folder order, and
// added into the sums of every group it is a member of, per extension; a file that cannot be
// read stops the run, whichever region it belongs to.
//
// Summation: a member that is itself the summary region of a group is not taken from its stored
// file but from the sum just made for it (finish() makes the sums in the order given, so a
// district is summed before the province that contains it). Sum check: every member is taken
// from its stored file, and the stored summary files are kept for the comparison.
class DirectorySum {
public:
    enum class Mode { Summation, Check };
    enum class Status { Ok, Failed, Stopped };

    // names: the data file names of the directory when the caller has listed it already.
    DirectorySum(const QString& dirPath, const SummGroups& groups, Mode mode,
                 const QList<QByteArray>* names = nullptr);
    ~DirectorySum();

    // The data files of the directory (for progress); read() lists them when not done yet.
    int fileCount();
    // Reads and adds every data file; step is called after each file and stops the run when it
    // returns false. Failed after the reader's message (failedPath tells the file).
    Status read(platform::Prompt& prompt, const std::function<bool()>& step);
    // Summation: completes the groups whose members include summary regions, in this order
    // (every group in order, each after the groups it reads). Failed after the message.
    Status finish(const QList<int>& order, platform::Prompt& prompt);

    // The sums of a group per extension (in extension order); empty when no member has data.
    const std::map<QString, SummMatrix>& sums(int group) const { return m_sums.at(size_t(group)); }
    // Sum check: the stored summary file code.extension as read, nullptr when there is none.
    const SummMatrix* stored(const QString& code, const QString& extension) const;
    // The data file names of the directory, in folder order.
    const QList<QByteArray>& files() const { return m_names; }
    // Those of them whose names begin with prefix (a range of files()).
    std::pair<qsizetype, qsizetype> filesStartingWith(const QByteArray& prefix) const;
    // The directory, open for reading its files by name.
    const platform::Folder& folder() const { return *m_folder; }
    QString failedPath() const { return m_failedPath; }
    QString path() const { return m_dir; }

private:
    struct Part {
        QByteArray name;
        QString extension;
        SummMatrix matrix;
    };
    Status take(const QByteArray& name, const ParsedFile& file, platform::Prompt& prompt);
    bool list();
    bool add(int group, const QString& extension, const SummMatrix& matrix, const QByteArray& name,
             platform::Prompt& prompt);

    QString m_dir;
    QByteArray m_localDir;
    std::unique_ptr<platform::Folder> m_folder;
    const SummGroups& m_groups;
    Mode m_mode;
    bool m_listed = false;
    QList<QByteArray> m_names;
    QHash<QByteArray, QList<int>> m_memberOf; // code -> groups it is a member of
    QSet<QByteArray> m_summaryCodes;
    std::vector<char> m_deferred;           // groups completed by finish()
    std::vector<std::vector<Part>> m_parts; // their members read from files
    std::vector<std::map<QString, SummMatrix>> m_sums;
    QHash<QString, SummMatrix> m_stored;     // "code.ext" -> stored summary (sum check)
    QHash<QByteArray, QString> m_extensions; // the extensions met, as texts
    QString m_failedPath;
};

} // namespace mirel::aggregate
