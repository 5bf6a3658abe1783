#include "aggregate/summgroups.h"

#include <QHash>
#include <QSet>
#include <queue>

#include "core/config.h"
#include "core/files.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {
namespace {

bool isRegionCode(const QString& code) {
    return !code.isEmpty() && core::Is_All_Digits(code);
}

// True when "[MIREL_WIN]" has a line naming a summation file.
bool namesSummFiles(const core::IniSections& cnf) {
    for (const core::IniSection& s : cnf)
        if (s.header == QLatin1String("[MIREL_WIN]"))
            for (const QString& line : s.lines)
                if (line.size() > 2 && line.startsWith(QLatin1String("SUM"))) return true;
    return false;
}

} // namespace

int readSummGroups(const QString& path, SummGroups& groups, platform::Prompt& prompt) {
    return parseSummGroups(core::readText(path), path, groups, prompt);
}

int parseSummGroups(QString text, const QString& path, SummGroups& groups,
                    platform::Prompt& prompt) {
    core::Tabs_To_Spaces(text);
    if (!text.contains(QLatin1Char(':'))) {
        platform::showError(prompt, QStringLiteral("Не выделены регионы суммирования !!!"), path);
        return -1;
    }
    SummGroups read;
    bool inGroup = false;
    for (const QString& raw : platform::splitFileLines(text)) {
        const QString line = core::Trim(raw);
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            const QString code = core::Trim(line.left(colon));
            // The code names the summary files written into every period directory: only a
            // region code may do that.
            if (!isRegionCode(code)) {
                platform::showError(
                    prompt, code + QStringLiteral(" - недопустимый код суммирования !!!"), path);
                return -1;
            }
            read.append(SummGroup{code, {}, path});
            inGroup = true;
        } else if (inGroup && !line.isEmpty()) {
            read.last().members.append(line);
        }
    }
    groups.append(read);
    return 0;
}

int F_A_Summ(SummGroups& groups, reference::Regions& regions, const QString& programDir,
             const QString& shifDir, platform::Prompt& prompt) {
    groups.clear();
    const core::IniSections cnf =
        core::Read_Ini_Sections(programDir + QLatin1Char('/') + core::IniFileName, prompt);
    QStringList files{QStringLiteral(" ")};
    if (core::Summ_Files(cnf, files, shifDir, prompt) != 0) {
        // A missing file has been reported; a configuration that names none gets its message.
        if (!namesSummFiles(cnf))
            platform::showError(prompt, QStringLiteral("Не заданы условия суммирования !!!"));
        return -1;
    }
    reference::Load_Regions(regions, shifDir, core::Ini_Line(cnf, QStringLiteral("SHIF")), prompt);
    SummGroups list;
    // The last file's groups come first in the list.
    for (qsizetype i = files.size() - 1; i >= 0; --i) {
        SummGroups fileGroups;
        if (readSummGroups(shifDir + QLatin1Char('/') + files.at(i), fileGroups, prompt) != 0)
            return -1;
        list.append(fileGroups);
    }
    if (summationOrder(list, reverseWalk(list), prompt).isEmpty() && !list.isEmpty()) return -1;
    groups = list;
    return 0;
}

QList<int> reverseWalk(const SummGroups& groups) {
    QList<int> walk;
    for (qsizetype i = groups.size() - 1; i >= 0; --i)
        walk.append(int(i));
    return walk;
}

QList<int> summationOrder(const SummGroups& groups, const QList<int>& walk,
                          platform::Prompt& prompt) {
    const int n = int(walk.size());
    // Position of each group in the walk, and the groups of each summary code.
    QHash<int, int> rank;
    QHash<QString, QList<int>> byCode;
    for (int k = 0; k < n; ++k) {
        rank.insert(walk.at(k), k);
        byCode[groups.at(walk.at(k)).code].append(walk.at(k));
    }
    // needs[g]: the groups whose sums g reads.
    QHash<int, QList<int>> needs, neededBy;
    QHash<int, int> waiting;
    for (int g : walk) {
        QSet<int> seen;
        for (const QString& member : groups.at(g).members) {
            for (int h : byCode.value(member)) {
                if (seen.contains(h)) continue;
                seen.insert(h);
                needs[g].append(h);
                neededBy[h].append(g);
            }
        }
        waiting.insert(g, int(seen.size()));
    }
    // Kahn's walk, always taking the ready group that comes first in the given walk.
    std::priority_queue<int, std::vector<int>, std::greater<int>> ready;
    for (int g : walk)
        if (waiting.value(g) == 0) ready.push(rank.value(g));
    QList<int> order;
    while (!ready.empty()) {
        const int g = walk.at(ready.top());
        ready.pop();
        order.append(g);
        for (int d : neededBy.value(g))
            if (--waiting[d] == 0) ready.push(rank.value(d));
    }
    if (order.size() == n) return order;

    // A cycle: follow the needs of a group left over until a group repeats.
    int g = -1;
    for (int k : walk)
        if (waiting.value(k) > 0) {
            g = k;
            break;
        }
    QList<int> path;
    while (!path.contains(g)) {
        path.append(g);
        for (int h : needs.value(g))
            if (waiting.value(h) > 0) {
                g = h;
                break;
            }
    }
    QStringList codes;
    for (qsizetype i = path.indexOf(g); i < path.size(); ++i)
        codes.append(groups.at(path.at(i)).code);
    codes.append(groups.at(g).code);
    platform::showError(prompt,
                        QStringLiteral("Регионы суммирования образуют цикл : ") +
                            codes.join(QStringLiteral(" -> ")) + QStringLiteral(" !!!"),
                        groups.at(g).file);
    return {};
}

SummGroups groupsOf(const reference::SummList& summ, const QStringList& files) {
    SummGroups groups;
    for (qsizetype f = 0; f < summ.size(); ++f) {
        for (const reference::SummBlock& block : summ.at(f)) {
            SummGroup group{block.code, {}, files.value(f)};
            for (const QString& member : block.members)
                if (member != QLatin1String(" ")) group.members.append(member);
            groups.append(group);
        }
    }
    return groups;
}

} // namespace mirel::aggregate
