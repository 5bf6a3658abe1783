#include "aggregate/dirsum.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "core/workahead.h"
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

// Sorts names by their bytes. Most data file names (code "." section) fit in eight bytes: they
// are sorted as numbers made of their first eight bytes, ties by the whole names.
void sortNames(QList<QByteArray>& names) {
    struct Key {
        quint64 head;
        qsizetype index;
    };
    std::vector<Key> keys(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray& name = names.at(i);
        quint64 head = 0;
        const qsizetype n = std::min<qsizetype>(name.size(), 8);
        for (qsizetype k = 0; k < n; ++k)
            head |= quint64(quint8(name.at(k))) << (56 - 8 * k);
        keys[size_t(i)] = {head, i};
    }
    std::sort(keys.begin(), keys.end(), [&names](const Key& a, const Key& b) {
        if (a.head != b.head) return a.head < b.head;
        return names.at(a.index) < names.at(b.index);
    });
    QList<QByteArray> sorted;
    sorted.reserve(names.size());
    for (const Key& key : keys)
        sorted.append(names.at(key.index));
    names = std::move(sorted);
}

} // namespace

DirectorySum::DirectorySum(const QString& dirPath, const SummGroups& groups, Mode mode,
                           const QList<QByteArray>* names)
    : m_dir(platform::resolvePath(dirPath))
    , m_localDir(platform::localPath(m_dir))
    , m_folder(std::make_unique<platform::Folder>(m_localDir))
    , m_groups(groups)
    , m_mode(mode) {
    if (names) {
        m_names = *names;
        sortNames(m_names);
        m_listed = true;
    }
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

DirectorySum::~DirectorySum() = default;

bool DirectorySum::list() {
    if (m_listed) return true;
    QList<QByteArray> all;
    if (!platform::listFileNamesRaw(m_localDir, all)) return false;
    m_names.clear();
    for (const QByteArray& name : all) {
        qsizetype dot = 0;
        if (isDataFileName(name, dot)) m_names.append(name);
    }
    sortNames(m_names);
    m_listed = true;
    return true;
}

std::pair<qsizetype, qsizetype> DirectorySum::filesStartingWith(const QByteArray& prefix) const {
    const auto first = std::lower_bound(m_names.begin(), m_names.end(), prefix);
    auto last = first;
    while (last != m_names.end() && last->startsWith(prefix))
        ++last;
    return {first - m_names.begin(), last - m_names.begin()};
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
    // Reading is most of the work: a second thread reads and parses ahead while the files read
    // are taken one by one in folder order (a thousand files ahead at most, to keep memory
    // small).
    std::array<QByteArray, 2> buffers; // one per thread
    core::WorkAhead<ParsedFile> ahead(
        int(m_names.size()), 1024, m_names.size() >= 64, [&](int i, ParsedFile& file, int lane) {
            QByteArray& buffer = buffers[size_t(lane)];
            file.err = m_folder->readFile(m_names.at(i).constData(), buffer);
            if (file.err == 0) file.status = parseSection(buffer, file.matrix, false);
        });
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const Status status = take(m_names.at(i), ahead.take(int(i)), prompt);
        if (status != Status::Ok) return status;
        if (step && !step()) return Status::Stopped;
    }
    return Status::Ok;
}

DirectorySum::Status DirectorySum::take(const QByteArray& name, const ParsedFile& file,
                                        platform::Prompt& prompt) {
    // A file that went away in the middle of the run is passed over.
    if (file.err == ENOENT) return Status::Ok;
    ReadStatus status = file.err == 0 ? file.status : ReadStatus::Unreadable;
    if (status != ReadStatus::Ok) {
        m_failedPath = m_dir + QLatin1Char('/') + QString::fromLatin1(name);
        readFailure(status, m_failedPath, prompt);
        return Status::Failed;
    }
    const SummMatrix& matrix = file.matrix;
    const qsizetype dot = name.indexOf('.');
    const QByteArray code = QByteArray::fromRawData(name.constData(), dot);
    const bool summary = m_summaryCodes.contains(code);
    const auto of = m_memberOf.constFind(code);
    const bool member = of != m_memberOf.constEnd();
    const bool keepStored = summary && m_mode == Mode::Check;
    if (member || keepStored) {
        // Extensions repeat (a handful of sections): their texts are made once.
        const QByteArray ext =
            QByteArray::fromRawData(name.constData() + dot + 1, name.size() - dot - 1);
        auto known = m_extensions.constFind(ext);
        if (known == m_extensions.constEnd())
            known = m_extensions.insert(QByteArray(ext), QString::fromLatin1(ext));
        const QString& extension = known.value();
        // What is kept beyond this file keeps its texts (a sum of one member is written
        // with the member's own texts); adding into a sum needs the values only.
        // The few files that are kept are read again with their texts (the file as read
        // then is the one kept, values and texts alike).
        SummMatrix texted;
        bool read = false;
        const auto withTexts = [&]() -> const SummMatrix& {
            if (read) return texted;
            read = true;
            QByteArray bytes;
            if (m_folder->readFile(name.constData(), bytes) != 0 ||
                parseSection(bytes, texted, true) != ReadStatus::Ok)
                texted = matrix;
            return texted;
        };
        if (keepStored) m_stored.insert(QString::fromLatin1(name), withTexts());
        if (member && !(summary && m_mode == Mode::Summation)) {
            for (int g : of.value()) {
                std::map<QString, SummMatrix>& sums = m_sums[size_t(g)];
                if (m_deferred[size_t(g)]) {
                    m_parts[size_t(g)].push_back(Part{name, extension, withTexts()});
                    continue;
                }
                const auto at = sums.find(extension);
                if (at == sums.end()) {
                    sums.emplace(extension, withTexts());
                } else if (!addInto(at->second, matrix, Fit::SumShape)) {
                    // A member smaller than the sum being built is outside the format.
                    m_failedPath = m_dir + QLatin1Char('/') + QString::fromLatin1(name);
                    readFailure(ReadStatus::Unequal, m_failedPath, prompt);
                    return Status::Failed;
                }
            }
        }
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
