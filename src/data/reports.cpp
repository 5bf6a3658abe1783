#include "data/reports.h"

#include <algorithm>
#include <QDirIterator>
#include <QHash>
#include <QMap>
#include <QSet>

#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "reference/session.h"

namespace mirel::data {
namespace {

const QString NoDataNode = QStringLiteral("Нет данных");
const QString NoDataMessage = QStringLiteral("Нет данных !!!");
const QString MissingDir = QStringLiteral("Отсутствует директорий ");
const QString ErrorTitle = QStringLiteral("ОШИБКА !!!");

QString formKey(const QString& formCode) {
    return QLatin1Char('F') + formCode;
}
QString periodKey(const ReportFolder& f) {
    return QLatin1Char('D') + f.formCode + QLatin1Char('_') + f.shortPeriod;
}

QString folderPath(const ReportsBase& base, const ReportFolder& folder) {
    return base.datDir + QLatin1Char('/') + folder.name;
}

// Calls f with the name of every file of a folder, in no order, until f returns false. A data
// folder holds thousands of files: they are neither sorted nor looked at beyond their names.
template <typename F>
void forEachFile(const QString& folderPath, F f) {
    QDirIterator it(platform::resolvePath(folderPath), QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (!f(it.fileName())) return;
    }
}

bool hasRegionData(const QString& folderPath) {
    bool found = false;
    forEachFile(folderPath, [&](const QString& name) {
        found = isRegionDataFile(name);
        return !found;
    });
    return found;
}

// The part of a region data file name before its last "." (empty when the name is not one).
QString regionOf(const QString& fileName) {
    if (!isRegionDataFile(fileName)) return QString();
    return fileName.left(fileName.lastIndexOf(QLatin1Char('.')));
}

QList<ReportNode> periodTree(const ReportsBase& base, bool withRegions, platform::Prompt& prompt) {
    QList<ReportNode> forms;
    if (!platform::dirExists(base.datDir)) {
        prompt.message(MissingDir + base.datDir, platform::Icon::Error);
        return forms;
    }
    const QList<ReportFolder> folders = reportFolders(base.datDir);
    if (folders.isEmpty()) {
        prompt.message(NoDataMessage, platform::Icon::Information);
        return forms;
    }
    platform::Progress progress(prompt, int(folders.size()));
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const ReportFolder& folder = folders.at(i);
        if (forms.isEmpty() || forms.last().folder.formCode != folder.formCode) {
            ReportNode form;
            form.kind = ReportNode::Kind::Form;
            form.text = QStringLiteral("форма ") + folder.formCode;
            form.key = formKey(folder.formCode);
            form.folder.formCode = folder.formCode;
            forms.append(form);
        }
        ReportNode period;
        period.kind = ReportNode::Kind::Period;
        period.text = folder.shortPeriod;
        period.key = periodKey(folder);
        period.folder = folder;
        const QString path = folderPath(base, folder);
        if (!hasRegionData(path)) {
            ReportNode none;
            none.kind = ReportNode::Kind::NoData;
            none.text = NoDataNode;
            none.key = QStringLiteral("no_") + period.key;
            none.folder = folder;
            period.children.append(none);
        } else if (withRegions) {
            period.children = regionNodes(base, folder, prompt);
        }
        forms.last().children.append(period);
        if (!progress.step(int(i + 1))) {
            prompt.message(platform::stoppedText(), platform::Icon::Information);
            break;
        }
    }
    return forms;
}

} // namespace

QString reportYear(const QString& shortPeriod) {
    const QString century =
        shortPeriod > QStringLiteral("8000") ? QStringLiteral("19") : QStringLiteral("20");
    return century + shortPeriod.left(2);
}

bool operator==(const ReportFolder& a, const ReportFolder& b) {
    return a.name == b.name && a.formCode == b.formCode && a.shortPeriod == b.shortPeriod;
}

std::optional<ReportFolder> parseReportFolder(const QString& name) {
    if (!name.startsWith(QStringLiteral("DAT_"), Qt::CaseInsensitive)) return std::nullopt;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot != 8) return std::nullopt;
    ReportFolder folder;
    folder.name = name;
    folder.shortPeriod = name.mid(4, 4);
    folder.formCode = name.mid(dot + 1);
    if (!core::Is_All_Digits(folder.shortPeriod) || folder.formCode.isEmpty()) return std::nullopt;
    return folder;
}

QList<ReportFolder> reportFolders(const QString& datDir) {
    // Keyed by "FFF YYMM": the order of the tree, and one node when two folders differ in the
    // case of "DAT_" only.
    QMap<QString, ReportFolder> sorted;
    for (const QString& name : platform::listDirs(datDir)) {
        const auto folder = parseReportFolder(name);
        if (!folder) continue;
        const QString key = folder->formCode + QLatin1Char(' ') + folder->shortPeriod;
        if (!sorted.contains(key)) sorted.insert(key, *folder);
    }
    return sorted.values();
}

bool isRegionDataFile(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == fileName.size() - 1) return false;
    return core::Is_All_Digits(fileName.left(dot)) && core::Is_All_Digits(fileName.mid(dot + 1));
}

QStringList regionsWithData(const QString& folderPath) {
    QSet<QString> seen;
    QStringList codes;
    forEachFile(folderPath, [&](const QString& name) {
        const QString code = regionOf(name);
        if (!code.isEmpty() && !seen.contains(code)) {
            seen.insert(code);
            codes.append(code);
        }
        return true;
    });
    std::sort(codes.begin(), codes.end());
    return codes;
}

QList<int> regionSections(const QString& folderPath, const QString& regionCode) {
    QList<int> sections;
    forEachFile(folderPath, [&](const QString& name) {
        if (regionOf(name) != regionCode) return true;
        // Section files end in two digits (1100.03); other suffixes are no section of a form.
        const QString suffix = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1);
        const int section = suffix.toInt();
        if (suffix.size() == 2 && section >= 1 && !sections.contains(section))
            sections.append(section);
        return true;
    });
    std::sort(sections.begin(), sections.end());
    return sections;
}

QString regionText(const reference::Regions& regions, const QString& code) {
    return regionText(code, reference::regionName(regions, code));
}

QString regionText(const QString& code, const QString& name) {
    return name.isEmpty() ? code : code + QStringLiteral(" - ") + name;
}

bool loadReportsBase(const reference::Session& session, ReportsBase& base,
                     platform::Prompt& prompt) {
    base.workDir = session.dir(core::DirARM);
    base.datDir = session.dir(core::DirDAT);
    base.formDir = session.dir(core::DirFORM);
    base.shifDir = session.dir(core::DirSHIF);
    if (!platform::dirExists(base.formDir)) {
        prompt.message(MissingDir + base.formDir, platform::Icon::Error);
        return false;
    }
    if (reference::Load_Form_Catalog(base.formDir, base.forms, prompt) != 0) return false;
    const QString classifier = base.shifDir + QStringLiteral("/shif.txt");
    if (!platform::fileExists(classifier)) {
        prompt.message(QStringLiteral("Отсутствует файл ") + classifier, platform::Icon::Error,
                       ErrorTitle);
        return false;
    }
    base.regions.clear();
    reference::Load_Regions(base.regions, base.shifDir, QStringLiteral("shif.txt"), prompt);
    return true;
}

QList<ReportNode> reportsTree(const ReportsBase& base, platform::Prompt& prompt) {
    return periodTree(base, false, prompt);
}

QList<ReportNode> fullReportsTree(const ReportsBase& base, platform::Prompt& prompt) {
    return periodTree(base, true, prompt);
}

QList<ReportNode> regionNodes(const ReportsBase& base, const ReportFolder& folder,
                              platform::Prompt& prompt) {
    // Names by code, the first line of a code winning as in every lookup of the classifier.
    QHash<QString, QString> names;
    names.reserve(base.regions.size());
    for (const auto& region : base.regions)
        if (region && !names.contains(region->code)) names.insert(region->code, region->name);
    QList<ReportNode> nodes;
    for (const QString& code : regionsWithData(folderPath(base, folder))) {
        ReportNode node;
        node.kind = ReportNode::Kind::Region;
        node.text = regionText(code, names.value(code));
        node.key = periodKey(folder) + QLatin1Char('_') + code;
        node.folder = folder;
        node.regionCode = code;
        nodes.append(node);
    }
    if (nodes.isEmpty()) prompt.message(NoDataMessage, platform::Icon::Information);
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const ReportNode& a, const ReportNode& b) { return a.text < b.text; });
    return nodes;
}

QString RegionReport::caption(const reference::Regions& regions) const {
    return QStringLiteral("ФОРМА ") + folder.formCode + QStringLiteral(" : ") +
           regionText(regions, regionCode) + QStringLiteral(". Отчетный период : ") + year() +
           QLatin1Char(' ') + month();
}

RegionReport readRegionReport(const ReportsBase& base, const ReportFolder& folder,
                              const QString& regionCode, platform::Prompt& prompt) {
    RegionReport report;
    report.folder = folder;
    report.regionCode = regionCode;
    report.regionName = reference::regionName(base.regions, regionCode);
    const bool known = std::any_of(base.forms.begin(), base.forms.end(),
                                   [&](const auto& e) { return e.formCode == folder.formCode; });
    if (!known) {
        prompt.message(QStringLiteral("Форма не каталогизирована !!!"), platform::Icon::Error,
                       ErrorTitle);
    } else {
        report.entry = reference::applicableEntry(base.forms, folder.formCode, folder.periodCode());
        if (report.entry < 0)
            prompt.message(
                QStringLiteral("Форма не каталогизирована для данного отчетного периода!!!"),
                platform::Icon::Error, ErrorTitle);
    }
    const QString path = folderPath(base, folder);
    if (report.entry >= 0) {
        const reference::CatalogEntry& entry = base.forms.at(report.entry);
        report.basePeriod = entry.basePeriod;
        for (int s = 1; s <= entry.sections.size(); ++s)
            report.sections.append(s);
    } else {
        report.sections = regionSections(path, regionCode);
    }
    for (int section : report.sections) {
        SectionMatrix matrix;
        const QString file = path + QLatin1Char('/') + sectionFileName(regionCode, section);
        if (A_DD_Read(file, matrix, prompt))
            report.matrices.append(matrix);
        else
            report.matrices.append(std::nullopt);
    }
    return report;
}

QString DisplayGrid::cell(int row, int column) const {
    if (row < 1 || row > rows || column < 1 || column > columns) return QString();
    return cells.at(row - 1).at(column - 1);
}

bool DisplayGrid::setCell(int row, int column, const QString& text) {
    if (row < 1 || row > rows || column < 1 || column > columns) return false;
    QString& cell = cells[row - 1][column - 1];
    if (cell != text) {
        cell = text;
        changed = true;
    }
    return true;
}

DisplayGrid displayGrid(const RegionReport& report, const reference::FormCatalog& forms,
                        int index) {
    DisplayGrid grid;
    if (index < 0 || index >= report.sections.size()) return grid;
    grid.section = report.sections.at(index);
    if (report.entry >= 0 && report.entry < forms.size()) {
        const auto& sections = forms.at(report.entry).sections;
        if (grid.section <= sections.size()) {
            grid.rows = int(sections.at(grid.section - 1).rows.size());
            grid.columns = int(sections.at(grid.section - 1).columns.size());
        }
    }
    const std::optional<SectionMatrix>& matrix = report.matrices.value(index);
    if (matrix) {
        grid.rows = std::max(grid.rows, matrix->rows);
        grid.columns = std::max(grid.columns, matrix->columns);
    }
    grid.cells.reserve(grid.rows);
    for (int r = 1; r <= grid.rows; ++r) {
        QStringList row;
        row.reserve(grid.columns);
        for (int c = 1; c <= grid.columns; ++c)
            row.append(matrix ? matrix->value(r, c) : QStringLiteral("0"));
        grid.cells.append(row);
    }
    return grid;
}

bool saveDisplayGrid(DisplayGrid& grid, const QString& datDir, const RegionReport& report,
                     platform::Prompt& prompt) {
    QList<DataRow> rows;
    rows.reserve(grid.rows);
    for (int r = 1; r <= grid.rows; ++r)
        rows.append(DataRow{QString::number(r), grid.cells.at(r - 1)});
    const QString mark =
        writeSectionFile(datDir, report.year(), report.month(), report.folder.formCode,
                         report.regionCode, grid.section, rows, QStringLiteral("?"), prompt);
    if (mark.isEmpty()) {
        prompt.message(QStringLiteral("Ошибка при записи данных !!!"), platform::Icon::Error);
        return false;
    }
    grid.changed = false;
    prompt.message(QStringLiteral("Записано !!!"), platform::Icon::Information);
    return true;
}

} // namespace mirel::data
