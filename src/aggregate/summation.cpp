#include "aggregate/summation.h"

#include <QSet>

#include "aggregate/dirsum.h"
#include "core/text.h"
#include "platform/dirscan.h"
#include "platform/evaluator.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {
namespace {

bool isSectionExtension(const QString& extension) {
    return extension.size() == 2 && extension != QLatin1String("00");
}

void done(platform::Prompt& prompt) {
    platform::showInfo(prompt, QStringLiteral("Процедура завершена !!!"));
}

void noData(platform::Prompt& prompt) {
    platform::showError(prompt, QStringLiteral("Нет данных !!!"));
}

void noDirectory(platform::Prompt& prompt) {
    platform::showError(
        prompt, QStringLiteral("Не задан глобальный режим и не выделен отчетный период !!!"));
}

} // namespace

QString formatErrorText(const QString& dirKey) {
    return dirKey + QStringLiteral(" -------------------------------------------> ошибка в формате "
                                   "данных !!!");
}

Summation::Summation(const SummPlace& place, SummMode mode, const reference::FormCatalog& forms,
                     platform::Prompt& prompt)
    : m_place(place)
    , m_mode(mode)
    , m_forms(forms)
    , m_prompt(prompt) {}

Summation::~Summation() = default;

bool Summation::open(bool withRegions) {
    m_withRegions = withRegions;
    m_tree.clear();
    if (!hasSubfolders(m_place.datDir)) {
        noData(m_prompt);
        return false;
    }
    if (m_mode != SummMode::FormatCheck && !readGroups()) return false;
    Scan_Folders();
    return true;
}

bool Summation::readGroups() {
    SummGroups groups;
    reference::Regions regions;
    m_groupsRead = false;
    if (F_A_Summ(groups, regions, m_place.programDir, m_place.shifDir, m_prompt) != 0) return false;
    m_groups = groups;
    m_regions = regions;
    m_order = summationOrder(m_groups, reverseWalk(m_groups), m_prompt);
    m_summaryCodes.clear();
    for (const SummGroup& g : m_groups)
        m_summaryCodes.insert(g.code.toLatin1());
    m_groupsRead = true;
    return true;
}

QString Summation::dirPath(const QString& dirKey) const {
    return platform::resolvePath(m_place.datDir + QLatin1Char('/') + dirKey);
}

QString Summation::directoryKey(int node) const {
    const int d = node >= 0 && node < m_tree.size() ? m_tree.directoryOf(node) : -1;
    return d < 0 ? QString() : m_tree.node(d).key;
}

DirListing Summation::listing(const QString& dirKey) const {
    if (!m_keepListings) return listPeriodDir(dirPath(dirKey), m_summaryCodes);
    auto it = m_listings.find(dirKey);
    if (it == m_listings.end())
        it = m_listings.insert(dirKey, listPeriodDir(dirPath(dirKey), m_summaryCodes));
    return it.value();
}

// Keeps the listings for one summation run; the tree is built from them at its end.
struct Summation::KeepListings {
    Summation& s;
    explicit KeepListings(Summation& summation)
        : s(summation) {
        s.m_keepListings = true;
    }
    ~KeepListings() {
        s.m_keepListings = false;
        s.m_listings.clear();
    }
};

bool Summation::hasDataFiles(const QString& dirKey) const {
    return listing(dirKey).anyFile;
}

QString Summation::regionText(const QString& code) const {
    const QString name = reference::regionName(m_regions, code);
    return name.isEmpty() ? code : name;
}

// A directory is protected when a summary file in it is read-only.
bool Summation::isProtected(const QString& dirKey) const {
    const platform::Folder folder(platform::localPath(dirPath(dirKey)));
    for (const auto& [code, section] : listing(dirKey).summaryFiles)
        if (folder.isReadOnly((code + QLatin1Char('.') + section).toLatin1().constData()))
            return true;
    return false;
}

void Summation::Scan_Folders() {
    m_tree.clear();
    for (const PeriodDir& dir : periodDirs(m_place.datDir))
        scanDirectory(dir);
    restoreMarks();
}

void Summation::scanDirectory(const PeriodDir& dir) {
    TreeNode top;
    top.key = dir.key;
    top.text = dir.key;
    top.kind = NodeKind::Directory;
    top.dir = dir.key;
    const int node = m_tree.add(-1, top);
    if (node < 0) return;
    const QString path = dirPath(dir.key);
    const DirListing files = listing(dir.key);
    if (!files.anyFile) {
        TreeNode empty;
        empty.key = dir.key + QStringLiteral("Нет данных");
        empty.text = QStringLiteral("Нет данных");
        empty.kind = NodeKind::NoData;
        m_tree.add(node, empty);
        m_tree.node(node).image = ImageMarked;
        return;
    }
    if (!m_withRegions || m_mode == SummMode::FormatCheck || !m_groupsRead) return;

    // Found_Summ for every summary code at once: which have section files, which read-only.
    QHash<QString, bool> found; // code -> read-only
    const platform::Folder folder(platform::localPath(path));
    for (const auto& [code, section] : files.summaryFiles) {
        const bool readOnly =
            folder.isReadOnly((code + QLatin1Char('.') + section).toLatin1().constData());
        found[code] = found.value(code) || readOnly;
    }
    bool foundAny = false;
    bool protectedDir = false;
    for (const SummGroup& g : m_groups) {
        const auto it = found.constFind(g.code);
        if (it == found.constEnd()) continue;
        TreeNode region;
        region.key = dir.key + g.code;
        region.text = regionText(g.code);
        region.image = it.value() ? ImageMarked : ImageSummed;
        region.kind = NodeKind::Region;
        region.code = g.code;
        if (m_tree.add(node, region) < 0) continue;
        foundAny = true;
        protectedDir = protectedDir || it.value();
    }
    if (!foundAny) {
        TreeNode none;
        none.key = dir.key + QStringLiteral("Данные не просуммированы");
        none.text = QStringLiteral("Данные не просуммированы");
        none.kind = NodeKind::NotSummed;
        m_tree.add(node, none);
        m_tree.node(node).image = ImageNotSummed;
    } else {
        m_tree.node(node).image = protectedDir ? ImageMarked : ImageSummed;
    }
}

// A directory whose data could not be read stays marked when the tree is built again, until a
// run reads it whole.
void Summation::markFormatError(const QString& dirKey) {
    const int node = m_tree.find(dirKey);
    if (node < 0) return;
    m_tree.node(node).text = formatErrorText(dirKey);
    m_tree.node(node).image = ImageMarked;
    if (m_mode == SummMode::Summation) m_formatErrors.insert(dirKey, formatErrorText(dirKey));
}

void Summation::restoreMarks() {
    for (auto it = m_formatErrors.constBegin(); it != m_formatErrors.constEnd(); ++it) {
        const int node = m_tree.find(it.key());
        if (node < 0) continue;
        m_tree.node(node).text = it.value();
        m_tree.node(node).image = ImageMarked;
    }
}

int Summation::totalFiles(const QList<PeriodDir>& dirs) const {
    int total = 0;
    for (const PeriodDir& d : dirs)
        total += listing(d.key).dataFiles + int(m_groups.size());
    return total;
}

void Summation::stopped(const RunState& run) {
    QString title;
    if (m_mode == SummMode::Summation) {
        title = run.lastGroup.isEmpty()
                    ? QStringLiteral("Суммарные данные не изменены")
                    : QStringLiteral("Последняя просуммированная группа : ") + run.lastGroup +
                          QStringLiteral(" (") + run.lastGroupDir + QLatin1Char(')');
    } else {
        title = run.lastDir.isEmpty()
                    ? QStringLiteral("Ничего не проверено")
                    : QStringLiteral("Последний проверенный период : ") + run.lastDir;
    }
    platform::showInfo(m_prompt, platform::stoppedText(), title);
}

// --- summation ---------------------------------------------------------------------------------

int Summation::Summ_Dir(const QString& dirKey) {
    const KeepListings keep(*this);
    if (dirKey.isEmpty() || !platform::dirExists(dirPath(dirKey))) {
        noDirectory(m_prompt);
        return -1;
    }
    if (!hasDataFiles(dirKey)) {
        noData(m_prompt);
        return -1;
    }
    if (!readGroups()) return -1;
    if (isProtected(dirKey)) {
        platform::showError(m_prompt, QStringLiteral("Данные защищены от суммирования !!!"));
        return -1;
    }
    const PeriodDir dir{dirKey, dirKey};
    RunState run;
    Outcome outcome;
    {
        platform::Progress progress(m_prompt, totalFiles({dir}));
        run.progress = &progress;
        outcome = sumDirectory(dir, run);
    }
    if (outcome == Outcome::Failed) return -1;
    if (outcome == Outcome::Stopped) {
        stopped(run);
        Scan_Folders();
        return -1;
    }
    done(m_prompt);
    Scan_Folders();
    return 0;
}

int Summation::Summ_Global() {
    const KeepListings keep(*this);
    if (!hasSubfolders(m_place.datDir)) {
        noData(m_prompt);
        return -1;
    }
    if (!readGroups()) return -1;
    const QList<PeriodDir> dirs = periodDirs(m_place.datDir);
    RunState run;
    bool failed = false;
    bool stop = false;
    QStringList skipped;
    {
        platform::Progress progress(m_prompt, totalFiles(dirs));
        run.progress = &progress;
        for (const PeriodDir& dir : dirs) {
            if (onDirectory) onDirectory(dir.key);
            if (!hasDataFiles(dir.key)) continue;
            // A protected period is left as it is; it is named once at the end.
            if (isProtected(dir.key)) {
                skipped.append(dir.key);
                continue;
            }
            const Outcome outcome = sumDirectory(dir, run);
            if (outcome == Outcome::Stopped || run.stopRequested()) {
                stop = true;
                if (outcome != Outcome::Stopped) run.lastDir = dir.key;
                break;
            }
            if (outcome == Outcome::Failed)
                failed = true;
            else
                run.lastDir = dir.key;
        }
    }
    if (!skipped.isEmpty())
        m_prompt.message(QStringLiteral("Данные защищены от суммирования !!!"),
                         platform::Icon::Warning, skipped.join(QStringLiteral(", ")));
    if (stop)
        stopped(run);
    else
        done(m_prompt);
    Scan_Folders();
    return failed || stop ? -1 : 0;
}

Summation::Outcome Summation::sumDirectory(const PeriodDir& dir, RunState& run) {
    m_formatErrors.remove(dir.key);
    const DirListing files = listing(dir.key);
    DirectorySum sums(dirPath(dir.key), m_groups, DirectorySum::Mode::Summation, &files.dataNames);
    DirectorySum::Status status = sums.read(m_prompt, [&run] { return run.step(); });
    if (status == DirectorySum::Status::Ok) status = sums.finish(m_order, m_prompt);
    if (status == DirectorySum::Status::Stopped) return Outcome::Stopped;
    if (status == DirectorySum::Status::Failed) {
        markFormatError(dir.key);
        return Outcome::Failed;
    }
    // Every file of the directory has been read and every sum made: only now is anything
    // written, group by group in summation order.
    for (qsizetype k = 0; k < m_order.size(); ++k) {
        const int g = m_order.at(k);
        if (!writeGroup(dir.key, g, sums)) return Outcome::Failed;
        run.lastGroup = m_groups.at(g).code;
        run.lastGroupDir = dir.key;
        if (!run.step() && k + 1 < m_order.size()) return Outcome::Stopped;
    }
    return Outcome::Ok;
}

bool Summation::writeGroup(const QString& dirKey, int group, const DirectorySum& sums) {
    const QString code = m_groups.at(group).code;
    const QString dir = sums.path() + QLatin1Char('/');
    const std::map<QString, SummMatrix>& sections = sums.sums(group);
    const QString formCode = dirKey.right(3);
    const QString yy = dirKey.mid(4, 2);
    const QString mm = dirKey.mid(6, 2);
    std::vector<SummaryWrite> writes;
    writes.reserve(sections.size());
    for (const auto& [extension, matrix] : sections)
        writes.push_back(
            {dir + code + QLatin1Char('.') + extension, extension,
             summaryFileBytes(QStringLiteral("PR_? "),
                              summaryHeader(formCode, extension, yy, mm, code), matrix)});
    writeSummaryFiles(writes);
    const SummaryWrite* failed = nullptr;
    for (const SummaryWrite& write : writes) {
        if (!write.written) {
            if (!failed) failed = &write;
            continue;
        }
        if (m_keepListings && isSectionExtension(write.extension)) {
            QList<QPair<QString, QString>>& summary = m_listings[dirKey].summaryFiles;
            if (!summary.contains(qMakePair(code, write.extension)))
                summary.append({code, write.extension});
        }
    }
    if (failed) {
        platform::showError(m_prompt, QStringLiteral("Ошибка при записи информации !!!"),
                            failed->path);
        return false;
    }
    // A section that no member has data for has no sum: an old one would be read as the
    // region's data by the groups that contain it.
    const QByteArray prefix = code.toLatin1() + '.';
    const auto [first, last] = sums.filesStartingWith(prefix);
    for (qsizetype i = first; i < last; ++i) {
        const QByteArray& name = sums.files().at(i);
        const QString section = QString::fromLatin1(name.mid(prefix.size()));
        if (!isSectionExtension(section) || sections.count(section)) continue;
        const QString path = dir + code + QLatin1Char('.') + section;
        if (platform::fileExists(path) && !platform::removeFile(path)) {
            platform::showError(m_prompt,
                                QStringLiteral("Ошибка при удалении суммарного региона !!!"), path);
            return false;
        }
        if (m_keepListings) m_listings[dirKey].summaryFiles.removeAll(qMakePair(code, section));
    }
    return true;
}

// --- protection --------------------------------------------------------------------------------

int Summation::ReadOnly_Dir(const QString& dirKey, bool readOnly) {
    if (dirKey.isEmpty() || !platform::dirExists(dirPath(dirKey))) {
        noDirectory(m_prompt);
        return -1;
    }
    const QString dir = dirPath(dirKey);
    const QStringList files = platform::listFiles(dir);
    for (const QString& name : files) {
        const QString path = dir + QLatin1Char('/') + name;
        if (!platform::setReadOnly(path, readOnly)) {
            platform::showError(m_prompt, QStringLiteral("Не удалось изменить атрибут файла !!!"),
                                path);
            Scan_Folders();
            return -1;
        }
    }
    if (!files.isEmpty()) {
        Scan_Folders();
        done(m_prompt);
    }
    return 0;
}

int Summation::ReadOnly_Global(bool readOnly) {
    const QList<PeriodDir> dirs = periodDirs(m_place.datDir);
    if (dirs.isEmpty()) {
        noData(m_prompt);
        return -1;
    }
    bool any = false;
    for (const PeriodDir& d : dirs) {
        const QString dir = dirPath(d.key);
        for (const QString& name : platform::listFiles(dir)) {
            any = true;
            const QString path = dir + QLatin1Char('/') + name;
            if (!platform::setReadOnly(path, readOnly)) {
                platform::showError(m_prompt,
                                    QStringLiteral("Не удалось изменить атрибут файла !!!"), path);
                Scan_Folders();
                return -1;
            }
        }
    }
    if (any) {
        Scan_Folders();
        done(m_prompt);
    }
    return 0;
}

} // namespace mirel::aggregate
