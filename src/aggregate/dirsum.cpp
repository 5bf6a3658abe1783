#include "aggregate/dirsum.h"

#include <algorithm>
#include <cerrno>

#include "platform/dirscan.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {
namespace {

bool allDigits(const char* begin, const char* end) {
    if (begin == end) return false;
    for (const char* p = begin; p < end; ++p)
        if (*p < '0' || *p > '9') return false;
    return true;
}

// code + "." + extension, both all digits.
bool isDataFileName(const QByteArray& name, qsizetype& dot) {
    dot = name.indexOf('.');
    if (dot <= 0) return false;
    const char* b = name.constData();
    return allDigits(b, b + dot) && allDigits(b + dot + 1, b + name.size());
}

} // namespace

DirectorySum::DirectorySum(const QString& dirPath, const SummGroups& groups, Mode mode)
    : m_dir(platform::resolvePath(dirPath))
    , m_localDir(platform::localPath(m_dir))
    , m_groups(groups)
    , m_mode(mode) {
    const size_t n = size_t(groups.size());
    m_sums.resize(n);
    m_parts.resize(n);
    m_deferred.assign(n, 0);
    for (qsizetype g = 0; g < groups.size(); ++g)
        m_summaryCodes.insert(groups.at(g).code.toLatin1());
    for (qsizetype g = 0; g < groups.size(); ++g) {
        for (const QString& member : groups.at(g).members) {
            const QByteArray code = member.toLatin1();
            QList<int>& of = m_memberOf[code];
            if (!of.contains(int(g))) of.append(int(g));
            if (mode == Mode::Summation && m_summaryCodes.contains(code)) m_deferred[size_t(g)] = 1;
        }
    }
}

bool DirectorySum::list() {
    if (m_listed) return true;
    QList<QByteArray> all;
    if (!platform::listFileNamesRaw(m_localDir, all)) return false;
    m_names.clear();
    for (const QByteArray& name : all) {
        qsizetype dot = 0;
        if (isDataFileName(name, dot)) m_names.append(name);
    }
    std::sort(m_names.begin(), m_names.end());
    m_listed = true;
    return true;
}

int DirectorySum::fileCount() {
    list();
    return int(m_names.size());
}

const SummMatrix* DirectorySum::stored(const QString& code, const QString& extension) const {
    const auto it = m_stored.constFind(code + QLatin1Char('.') + extension);
    return it == m_stored.constEnd() ? nullptr : &it.value();
}

bool DirectorySum::add(int group, const QString& extension, const SummMatrix& matrix,
                       const QByteArray& name, platform::Prompt& prompt) {
    std::map<QString, SummMatrix>& sums = m_sums[size_t(group)];
    const auto it = sums.find(extension);
    if (it == sums.end()) {
        sums.emplace(extension, matrix);
        return true;
    }
    if (addInto(it->second, matrix, Fit::SumShape)) return true;
    // A member smaller than the sum being built is outside the format.
    m_failedPath = m_dir + QLatin1Char('/') + QString::fromLatin1(name);
    readFailure(ReadStatus::Unequal, m_failedPath, prompt);
    return false;
}

DirectorySum::Status DirectorySum::read(platform::Prompt& prompt,
                                        const std::function<bool()>& step) {
    if (!list()) return Status::Ok; // a directory that went away holds nothing to add
    QByteArray buffer;
    SummMatrix matrix;
    const QByteArray prefix = m_localDir + '/';
    for (const QByteArray& name : std::as_const(m_names)) {
        const int err = platform::readFileInto(prefix + name, buffer);
        // A file that went away in the middle of the run is passed over.
        if (err == ENOENT) {
            if (step && !step()) return Status::Stopped;
            continue;
        }
        ReadStatus status = err == 0 ? ReadStatus::Ok : ReadStatus::Unreadable;
        if (status == ReadStatus::Ok) status = parseSection(buffer, matrix, false);
        if (status != ReadStatus::Ok) {
            m_failedPath = m_dir + QLatin1Char('/') + QString::fromLatin1(name);
            readFailure(status, m_failedPath, prompt);
            return Status::Failed;
        }
        const qsizetype dot = name.indexOf('.');
        const QByteArray code = name.left(dot);
        const bool summary = m_summaryCodes.contains(code);
        const auto of = m_memberOf.constFind(code);
        const bool member = of != m_memberOf.constEnd();
        const bool keepStored = summary && m_mode == Mode::Check;
        if (member || keepStored) {
            const QString extension = QString::fromLatin1(name.mid(dot + 1));
            // What is kept beyond this file keeps its texts (a sum of one member is written
            // with the member's own texts); adding into a sum needs the values only.
            SummMatrix texted;
            const auto withTexts = [&]() -> const SummMatrix& {
                if (!texted.hasTexts()) parseSection(buffer, texted, true);
                return texted;
            };
            if (keepStored) m_stored.insert(QString::fromLatin1(name), withTexts());
            if (member && !(summary && m_mode == Mode::Summation)) {
                for (int g : of.value()) {
                    std::map<QString, SummMatrix>& sums = m_sums[size_t(g)];
                    if (m_deferred[size_t(g)]) {
                        m_parts[size_t(g)].push_back(Part{name, extension, withTexts()});
                    } else if (sums.find(extension) == sums.end()) {
                        sums.emplace(extension, withTexts());
                    } else if (!add(g, extension, matrix, name, prompt)) {
                        return Status::Failed;
                    }
                }
            }
        }
        if (step && !step()) return Status::Stopped;
    }
    return Status::Ok;
}

DirectorySum::Status DirectorySum::finish(const QList<int>& order, platform::Prompt& prompt) {
    if (m_mode != Mode::Summation) return Status::Ok;
    QHash<QString, int> latest; // summary code -> the group whose sums are its data now
    for (int g : order) {
        if (m_deferred[size_t(g)]) {
            std::vector<Part> parts = std::move(m_parts[size_t(g)]);
            QSet<QString> taken;
            for (const QString& member : m_groups.at(g).members) {
                if (taken.contains(member) || !latest.contains(member)) continue;
                taken.insert(member);
                for (const auto& [extension, matrix] : m_sums.at(size_t(latest.value(member))))
                    parts.push_back(Part{(member + QLatin1Char('.') + extension).toLatin1(),
                                         extension, matrix});
            }
            // Members are added in folder order, as if every sum had been read from its file.
            std::stable_sort(parts.begin(), parts.end(),
                             [](const Part& a, const Part& b) { return a.name < b.name; });
            for (const Part& part : parts)
                if (!add(g, part.extension, part.matrix, part.name, prompt)) return Status::Failed;
        }
        latest.insert(m_groups.at(g).code, g);
    }
    return Status::Ok;
}

} // namespace mirel::aggregate
