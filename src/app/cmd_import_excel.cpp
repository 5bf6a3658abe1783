#include "app/commands.h"
#include "core/text.h"
#include "exchange/excelconvert.h"
#include "exchange/excelnames.h"
#include "platform/fileio.h"

namespace mirel::app {
namespace {

// Why a node of the listing cannot be loaded, from the message its name carries.
QString rejectionReason(const exchange::ImportNode& node) {
    for (const QString& prefix :
         {exchange::NotExcelPrefix, exchange::NoRegionPrefix, exchange::BadRegionPrefix,
          exchange::NoFormPrefix, exchange::BadFormPrefix, exchange::BadPeriodPrefix})
        if (node.text.startsWith(prefix)) return prefix.chopped(3);
    return QStringLiteral("Нечисловой код региона");
}

} // namespace

// The Excel import folder listed as the window's tree (one line per node: text, tab, picture),
// then the workbooks of form FFF (of every form without it) converted as "Загрузить" on a form
// node does, with logical control and its log when --control is given. One line per workbook:
// "loaded", its name and the section files written; "failed" and its name (the reason is on
// stderr); "rejected", the name and why. Status 1 when nothing could be listed, the form has
// no workbooks to load, or a workbook failed.
int cmdImportExcel(CommandContext& ctx) {
    const bool control = ctx.takeFlag(QStringLiteral("--control"));
    if (ctx.args.size() > 1 ||
        (ctx.args.size() == 1 && ctx.args.first().startsWith(QLatin1String("--"))))
        return usage(QStringLiteral("import-excel"));
    const QString only = ctx.args.isEmpty() ? QString() : core::Trim(ctx.args.first());
    reference::Session session;
    if (!startSession(ctx, session)) return 1;

    const QString year = session.year;
    const QString month = session.month;
    const exchange::Listing listing = exchange::listImportFolder(session, year, month, ctx.prompt);
    if (listing.status != exchange::Listing::Status::Listed) return 1;
    for (const QString& line : exchange::treeLines(listing.nodes))
        ctx.out << line << '\n';
    ctx.out.flush();

    bool failed = false;
    bool any = false;
    const exchange::ImportJob job{session, year, month, control};
    for (const exchange::ImportNode& node : listing.nodes) {
        if (node.kind != exchange::NodeKind::Form || (!only.isEmpty() && node.formCode != only))
            continue;
        any = true;
        if (node.text.size() != 3) {
            for (const exchange::ImportNode& child : node.children)
                ctx.out << "rejected\t" << child.text << "\tнет файлов настроек\n";
            if (!only.isEmpty()) {
                platform::showError(
                    ctx.prompt, QStringLiteral("Нет файлов для заданного отчетного периода !!!"));
                failed = true;
            }
            continue;
        }
        QStringList paths;
        for (const exchange::ImportNode& child : node.children)
            paths.append(child.key);
        const exchange::FormOutcome run =
            exchange::Cnv_XLS_All(job, node.formCode, paths, ctx.prompt, ctx.browser);
        failed = failed || !run.settingsLoaded || run.stopped;
        for (const exchange::WorkbookOutcome& w : run.workbooks) {
            if (w.converted) {
                QStringList names;
                for (const QString& file : w.sectionFiles)
                    names.append(platform::nameOf(file));
                ctx.out << "loaded\t" << platform::nameOf(w.path) << '\t' << names.join(' ')
                        << '\n';
            } else {
                ctx.out << "failed\t" << platform::nameOf(w.path) << '\n';
            }
            failed = failed || !w.converted || !w.archived;
        }
        if (!run.logPath.isEmpty()) ctx.out << "log\t" << platform::nativePath(run.logPath) << '\n';
    }
    for (const exchange::ImportNode& node : listing.nodes)
        if (node.kind == exchange::NodeKind::Rejected)
            ctx.out << "rejected\t" << node.text << '\t' << rejectionReason(node) << '\n';
    if (!only.isEmpty() && !any) {
        platform::showError(ctx.prompt,
                            QStringLiteral("Нет файлов для заданного отчетного периода !!!"));
        return 1;
    }
    return failed ? 1 : 0;
}

} // namespace mirel::app
