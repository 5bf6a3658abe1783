// The sum check of the summation window: stored summary files against the sums of their
// members, and the differences of a wrong sum.
#include <QSet>

#include "aggregate/dirsum.h"
#include "aggregate/summation.h"
#include "platform/evaluator.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {
namespace {

const QString Checked = QStringLiteral(" ---> проверен");

} // namespace

int Summation::VSumm_Dir(const QString& dirKey) {
    const int node = m_tree.find(dirKey);
    if (dirKey.isEmpty() || !platform::dirExists(dirPath(dirKey))) {
        platform::showError(
            m_prompt, QStringLiteral("Не задан глобальный режим и не выделен отчетный период !!!"));
        return -1;
    }
    if (node >= 0 && m_tree.node(node).text.contains(QLatin1String("--->"))) {
        platform::showInfo(m_prompt, QStringLiteral("Данные уже проверены !!!"),
                           m_tree.node(node).text);
        return -1;
    }
    if (!hasDataFiles(dirKey)) {
        platform::showError(m_prompt, QStringLiteral("Нет данных !!!"));
        return -1;
    }
    if (!readGroups()) return -1;
    if (node < 0) Scan_Folders();
    RunState run;
    Outcome outcome;
    {
        platform::Progress progress(m_prompt, totalFiles({PeriodDir{dirKey, dirKey}}));
        run.progress = &progress;
        outcome = checkDirectory(PeriodDir{dirKey, dirKey}, run);
    }
    if (outcome == Outcome::Stopped) {
        stopped(run);
        return -1;
    }
    if (outcome == Outcome::Failed) return -1;
    platform::showInfo(m_prompt, QStringLiteral("Процедура завершена !!!"));
    return 0;
}

int Summation::VSumm_Global() {
    if (!hasSubfolders(m_place.datDir)) {
        platform::showError(m_prompt, QStringLiteral("Нет данных !!!"));
        return -1;
    }
    if (!readGroups()) return -1;
    // Every directory is examined again: the marks of an earlier run go.
    Scan_Folders();
    const QList<PeriodDir> dirs = periodDirs(m_place.datDir);
    RunState run;
    bool failed = false;
    bool stop = false;
    {
        platform::Progress progress(m_prompt, totalFiles(dirs));
        run.progress = &progress;
        for (const PeriodDir& dir : dirs) {
            if (onDirectory) onDirectory(dir.key);
            if (!hasDataFiles(dir.key)) continue;
            const Outcome outcome = checkDirectory(dir, run);
            if (outcome == Outcome::Stopped || run.stopRequested()) {
                stop = true;
                if (outcome != Outcome::Stopped) run.lastDir = dir.key;
                break;
            }
            if (outcome == Outcome::Failed) failed = true;
            run.lastDir = dir.key;
        }
    }
    if (stop)
        stopped(run);
    else
        platform::showInfo(m_prompt, QStringLiteral("Процедура завершена !!!"));
    return failed || stop ? -1 : 0;
}

// Every group is checked, also after one with a wrong sum, so that all of them are shown.
Summation::Outcome Summation::checkDirectory(const PeriodDir& dir, RunState& run) {
    DirectorySum sums(dirPath(dir.key), m_groups, DirectorySum::Mode::Check);
    const DirectorySum::Status status = sums.read(m_prompt, [&run] { return run.step(); });
    if (status == DirectorySum::Status::Stopped) return Outcome::Stopped;
    if (status == DirectorySum::Status::Failed) {
        markFormatError(dir.key);
        return Outcome::Failed;
    }
    const int dirNode = m_tree.find(dir.key);
    const QString path = sums.path() + QLatin1Char('/');
    for (int g : reverseWalk(m_groups)) {
        run.step();
        const SummGroup& group = m_groups.at(g);
        const std::map<QString, SummMatrix>& sections = sums.sums(g);
        if (sections.empty()) {
            TreeNode none;
            none.key = dir.key + group.code + QLatin1Char('_');
            none.text =
                QStringLiteral(" - нет данных для суммирования - ") + regionText(group.code);
            none.image = ImageMarked;
            none.kind = NodeKind::NoMembers;
            none.code = group.code;
            m_tree.add(dirNode, none);
            if (dirNode >= 0) {
                m_tree.node(dirNode).image = ImageMarked;
                m_tree.node(dirNode).text = dir.key + Checked;
            }
            continue;
        }
        for (const auto& [extension, matrix] : sections)
            Compare_Summ(path + group.code + QLatin1Char('.') + extension, matrix,
                         sums.stored(group.code, extension), dirNode, g, extension);
    }
    if (dirNode >= 0 && !m_tree.node(dirNode).text.contains(QLatin1String("--->")))
        m_tree.node(dirNode).text = dir.key + Checked;
    return Outcome::Ok;
}

// The node of a summary region in a directory, added when the tree has none.
int Summation::regionNode(int dirNode, const QString& code) {
    const QString dirKey = dirNode >= 0 ? m_tree.node(dirNode).key : QString();
    const int found = m_tree.find(dirKey + code);
    if (found >= 0) return found;
    TreeNode region;
    region.key = dirKey + code;
    region.text = regionText(code);
    region.image = ImageSummed;
    region.kind = NodeKind::Region;
    region.code = code;
    return m_tree.add(dirNode, region);
}

// Compares one stored summary section with its sum; true when it is in order (also when there
// is no summary file). Findings are marked in the tree.
bool Summation::Compare_Summ(const QString& path, const SummMatrix& sum, const SummMatrix* stored,
                             int dirNode, int group, const QString& section) {
    if (!stored) return true;
    const QString code = m_groups.at(group).code;
    const auto mark = [&](NodeKind kind, const QString& key, const QString& text) {
        const int region = regionNode(dirNode, code);
        TreeNode finding;
        finding.key = m_tree.node(region).key + key;
        finding.text = text;
        finding.image = ImageMarked;
        finding.kind = kind;
        finding.code = code;
        finding.section = section;
        m_tree.add(region, finding);
        m_tree.node(region).image = ImageMarked;
        if (dirNode >= 0) m_tree.node(dirNode).image = ImageMarked;
    };
    const auto shapeError = [&](const QString& message, const QString& finding) {
        platform::showError(m_prompt, message, path);
        if (dirNode >= 0) m_tree.node(dirNode).text += QStringLiteral(" ---> ошибка формата !!!");
        mark(NodeKind::WrongShape, QLatin1Char('#') + section,
             QStringLiteral("раздел ") + section + finding);
        return false;
    };
    if (stored->rows != sum.rows)
        return shapeError(
            QStringLiteral("Количество строк в матрице не совпадает с данными в базе !!!"),
            QStringLiteral(" - неверное количество строк !!!"));
    if (stored->columns != sum.columns)
        return shapeError(
            QStringLiteral("Количество граф в матрице не совпадает с данными в базе !!!"),
            QStringLiteral(" - неверное количество граф !!!"));
    // Cells are compared as texts: a stored "5.0" is not the "5" of the sum.
    const qsizetype cells = qsizetype(sum.values.size());
    for (qsizetype i = 0; i < cells; ++i) {
        if (stored->cellBytes(i) != sum.cellBytes(i)) {
            if (dirNode >= 0) m_tree.node(dirNode).text = m_tree.node(dirNode).key + Checked;
            mark(NodeKind::WrongSum, QLatin1Char('_') + section,
                 QStringLiteral("раздел ") + section + QStringLiteral(" - неверная сумма !!!"));
            return false;
        }
    }
    return true;
}

std::optional<DiffGrid> Summation::Tree_View_DblClick(const QString& key) {
    const int node = m_tree.find(key);
    if (node < 0 || m_tree.node(node).kind != NodeKind::WrongSum) {
        platform::showError(m_prompt,
                            QStringLiteral("Выберите раздел, где найдены неверные суммы."));
        return std::nullopt;
    }
    const TreeNode& wrong = m_tree.node(node);
    if (wrong.image != ImageMarked) {
        platform::showInfo(m_prompt, QStringLiteral("Здесь нет ошибок !!!"));
        return std::nullopt;
    }
    // V_Summ: the section again over the member files, as plain numbers.
    const SummGroup* group = nullptr;
    for (const SummGroup& g : m_groups)
        if (g.code == wrong.code) {
            group = &g;
            break;
        }
    if (!group) return std::nullopt;
    const QString dir = dirPath(wrong.dir);
    const QSet<QString> members(group->members.cbegin(), group->members.cend());
    SummMatrix sum;
    bool first = true;
    for (const QString& name : platform::listFiles(dir)) {
        QString code, extension;
        if (!splitDataFileName(name, code, extension) || extension != wrong.section ||
            !members.contains(code))
            continue;
        const QString path = dir + QLatin1Char('/') + name;
        SummMatrix member;
        if (F_A_DD(member, path, m_prompt) != 0) return std::nullopt;
        if (first) {
            sum = member;
            first = false;
            continue;
        }
        if (member.rows < sum.rows || member.columns < sum.columns) {
            readFailure(ReadStatus::Unequal, path, m_prompt);
            return std::nullopt;
        }
        for (int r = 1; r <= sum.rows; ++r)
            for (int c = 1; c <= sum.columns; ++c)
                sum.values[size_t(r - 1) * size_t(sum.columns) + size_t(c - 1)] +=
                    member.value(r, c);
    }
    SummMatrix stored;
    if (F_A_DD(stored, dir + QLatin1Char('/') + wrong.code + QLatin1Char('.') + wrong.section,
               m_prompt) != 0)
        return std::nullopt;

    DiffGrid grid;
    bool nonZero = false;
    for (int r = 1; r <= sum.rows; ++r) {
        QStringList row;
        for (int c = 1; c <= sum.columns; ++c) {
            const double d = sum.value(r, c) - stored.value(r, c);
            nonZero = nonZero || d != 0.0;
            row.append(platform::numberText(d));
        }
        grid.g_DD_String += row.join(QLatin1Char(' ')) + QStringLiteral("\r\n");
    }
    if (!nonZero) {
        // The texts differ ("5.0" and "5") but not the numbers.
        platform::showInfo(m_prompt, QStringLiteral("Здесь нет ошибок !!!"));
        return std::nullopt;
    }
    for (int c = 1; c <= sum.columns; ++c)
        grid.g_Format_String +=
            QStringLiteral("|^  гр.") + QString::number(c) + QStringLiteral("   ");
    grid.g_Format_String += QLatin1Char(';');
    for (int r = 1; r <= sum.rows; ++r)
        grid.g_Format_String += QStringLiteral("|стр.") + QString::number(r);
    return grid;
}

} // namespace mirel::aggregate
