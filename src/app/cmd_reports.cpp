#include "app/commands.h"
#include "core/text.h"
#include "data/reportpages.h"
#include "data/reports.h"
#include "platform/fileio.h"

namespace mirel::app {
namespace {

void printNodes(QTextStream& out, const QList<data::ReportNode>& nodes, int level) {
    for (const data::ReportNode& node : nodes) {
        out << QString(2 * level, QLatin1Char(' ')) << node.text << '\n';
        printNodes(out, node.children, level + 1);
    }
}

} // namespace

// The reports tree with the regions of every period: one node per line, two blanks of
// indentation per level. Exit status 1 when the window would not open or the data directory
// is missing.
int cmdReports(CommandContext& ctx) {
    if (!ctx.args.isEmpty()) return usage(QStringLiteral("reports"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    data::ReportsBase base;
    if (!data::loadReportsBase(session, base, ctx.prompt)) return 1;
    const int errors = ctx.prompt.errorCount();
    printNodes(ctx.out, data::fullReportsTree(base, ctx.prompt), 0);
    return ctx.prompt.errorCount() > errors ? 1 : 0;
}

// The HTML templates of form FFF filled with region COD's data of the period YYMM, as the
// reports tree writes them after "Записать в HTML ?": prints the pages written.
int cmdReportPages(CommandContext& ctx) {
    if (ctx.args.size() != 3) return usage(QStringLiteral("report-pages"));
    const QString formCode = ctx.args.at(0);
    const QString shortPeriod = ctx.args.at(1);
    const QString regionCode = ctx.args.at(2);
    const auto folder =
        data::parseReportFolder(QStringLiteral("DAT_") + shortPeriod + QLatin1Char('.') + formCode);
    if (!folder || formCode.startsWith(QLatin1String("--")) || regionCode.isEmpty() ||
        !core::Is_All_Digits(regionCode))
        return usage(QStringLiteral("report-pages"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    data::ReportsBase base;
    if (!data::loadReportsBase(session, base, ctx.prompt)) return 1;
    const QString folderPath = base.datDir + QLatin1Char('/') + folder->name;
    if (!platform::dirExists(folderPath)) {
        ctx.prompt.message(QStringLiteral("Отсутствует директорий ") + folderPath,
                           platform::Icon::Error);
        return 1;
    }
    const data::RegionReport report = data::readRegionReport(base, *folder, regionCode, ctx.prompt);
    if (report.entry < 0) return 1; // the form is not catalogued for the period
    const QStringList templates = data::reportTemplates(base.formDir, report, base.forms);
    if (templates.isEmpty()) {
        ctx.prompt.message(
            QStringLiteral("the form folder holds no HTML template"), platform::Icon::Error,
            reference::formFolder(base.formDir, formCode, base.forms.at(report.entry).basePeriod));
        return 1;
    }
    const data::WrittenPages written =
        data::writeReportPages(base.workDir, report, templates, ctx.prompt);
    for (const QString& page : written.pages)
        ctx.out << page << '\n';
    return written.complete ? 0 : 1;
}

} // namespace mirel::app
