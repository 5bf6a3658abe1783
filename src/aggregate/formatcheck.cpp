// The format check of the summation window: the shape of every section data file against the
// section structure of the form catalogued for the period.
#include <QStringList>

#include "aggregate/summation.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {
namespace {

QString shapeText(int rows, int columns) {
    return QStringLiteral(" - (строк : ") + QString::number(rows) + QStringLiteral(", граф : ") +
           QString::number(columns) + QLatin1Char(')');
}

} // namespace

int Summation::V_Format() {
    if (!hasSubfolders(m_place.datDir)) {
        platform::showError(m_prompt, QStringLiteral("Нет данных !!!"));
        return -1;
    }
    // Every run starts from the disk: the marks of an earlier run go.
    Scan_Folders();
    const QList<PeriodDir> dirs = periodDirs(m_place.datDir);
    RunState run;
    bool stop = false;
    {
        platform::Progress progress(m_prompt, int(dirs.size()));
        run.progress = &progress;
        for (const PeriodDir& dir : dirs) {
            if (onDirectory) onDirectory(dir.key);
            if (hasDataFiles(dir.key)) formatDirectory(dir, run);
            if (!run.step()) {
                stop = true;
                break;
            }
            run.lastDir = dir.key;
        }
    }
    if (stop)
        stopped(run);
    else
        platform::showInfo(m_prompt, QStringLiteral("Процедура завершена !!!"));
    return stop ? -1 : 0;
}

// V_Format_I: the catalog entry of the directory's form for its period (a year YY up to "80"
// is 20YY, a later one 19YY), then every section of it.
Summation::Outcome Summation::formatDirectory(const PeriodDir& dir, RunState&) {
    const int dirNode = m_tree.find(dir.key);
    if (dirNode < 0) return Outcome::Ok;
    TreeNode& node = m_tree.node(dirNode);
    const QString yy = dir.key.mid(4, 2);
    const QString mm = dir.key.mid(6, 2);
    const QString formCode = dir.key.right(3);
    const QString year =
        (yy <= QLatin1String("80") ? QStringLiteral("20") : QStringLiteral("19")) + yy;
    // FFF_In_AForm: the latest base period not later than the directory's period.
    bool catalogued = false;
    int entry = -1;
    for (qsizetype i = 0; i < m_forms.size(); ++i) {
        const reference::CatalogEntry& e = m_forms.at(i);
        if (e.formCode != formCode) continue;
        catalogued = true;
        if (e.basePeriod <= year + mm && (entry < 0 || e.basePeriod > m_forms.at(entry).basePeriod))
            entry = int(i);
    }
    if (entry < 0) {
        node.text +=
            catalogued
                ? QStringLiteral(" - форма некаталогизирована для данного отчетного периода !!!")
                : QStringLiteral(" - недействительное значение кода формы !!!");
        node.image = ImageMarked;
        return Outcome::Ok;
    }
    node.image = ImageSummed;
    const QList<reference::SectionStructure>& sections = m_forms.at(entry).sections;
    for (qsizetype k = 0; k < sections.size(); ++k)
        V_Format_RR(dir, dirNode, QString::number(k + 1).rightJustified(2, QLatin1Char('0')),
                    int(sections.at(k).rows.size()), int(sections.at(k).columns.size()),
                    sections.size() > 1);
    return Outcome::Ok;
}

void Summation::V_Format_RR(const PeriodDir& dir, int dirNode, const QString& section, int rows,
                            int columns, bool multi) {
    int parent = dirNode;
    if (multi) {
        TreeNode node;
        node.key = dir.key + QLatin1Char('_') + section;
        node.text = QStringLiteral("Раздел ") + section + shapeText(rows, columns);
        node.image = ImageSummed;
        node.kind = NodeKind::Section;
        node.section = section;
        parent = m_tree.add(dirNode, node);
        if (parent < 0) return;
    } else {
        m_tree.node(dirNode).text += shapeText(rows, columns);
    }
    const QString path = dirPath(dir.key);
    const QString suffix = QLatin1Char('.') + section;
    for (const QString& name : platform::listFiles(path)) {
        if (!name.endsWith(suffix)) continue;
        SummMatrix matrix;
        if (F_A_DD(matrix, path + QLatin1Char('/') + name, m_prompt) != 0) {
            TreeNode& marked = m_tree.node(parent);
            marked.text = (multi ? marked.text : marked.text.left(12)) + QStringLiteral(" - ") +
                          QStringLiteral("НЕИДЕНТИФИЦИРУЕМАЯ ОШИБКА !!!");
            marked.image = ImageMarked;
            return;
        }
        if (matrix.rows == rows && matrix.columns == columns) continue;
        m_tree.node(dirNode).image = ImageMarked;
        m_tree.node(parent).image = ImageMarked;
        TreeNode wrong;
        wrong.key = m_tree.node(parent).key + QLatin1Char('_') + name;
        wrong.text = name + shapeText(matrix.rows, matrix.columns);
        wrong.kind = NodeKind::FileShape;
        wrong.section = section;
        m_tree.add(parent, wrong);
    }
}

} // namespace mirel::aggregate
