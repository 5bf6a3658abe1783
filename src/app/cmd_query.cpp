#include <QFileInfo>

#include "app/commands.h"
#include "core/files.h"
#include "platform/fileio.h"
#include "query/queryfile.h"
#include "query/runquery.h"

namespace mirel::app {
// A query named relative to the query folder is found there as well.
QString queryPathOf(const QString& given, const reference::Session& session) {
    if (QFileInfo::exists(given) || QFileInfo(given).isAbsolute())
        return QFileInfo(given).absoluteFilePath();
    const QString inFolder = session.dir(core::DirPASP) + QLatin1Char('/') + given;
    return platform::pathExists(inFolder) ? platform::resolvePath(inFolder)
                                          : QFileInfo(given).absoluteFilePath();
}

// Computes a query or batch list. Prints the result matrix (label, code, query columns, tab
// separated), or writes the page the window would show to --html FILE; a batch list prints
// the path of its batch page, a generated template query the paths of the queries it wrote.
int cmdQuery(CommandContext& ctx) {
    const auto region = ctx.takeOption(QStringLiteral("--region"));
    const auto html = ctx.takeOption(QStringLiteral("--html"));
    if (ctx.usageError || ctx.args.size() != 1 || ctx.args.first().startsWith(QLatin1String("--")))
        return usage(QStringLiteral("query"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const QString path = queryPathOf(ctx.args.first(), session);

    query::RunOptions options;
    if (region) {
        if (region->isEmpty()) {
            options.selector.state = query::RegionSelector::State::Empty;
        } else {
            options.selector.state = query::RegionSelector::State::Chosen;
            options.selector.code = *region;
            options.selector.text = reference::regionName(session.regions, *region);
        }
    }
    const bool plainQuery = !query::isBatchList(path) && !query::isGeneratedTemplateQuery(path);
    query::QueryResult result;
    const int status =
        query::runQuery(path, session, ctx.prompt, ctx.browser, options, result,
                        plainQuery ? query::HtmlOutput::Never : query::HtmlOutput::ByConfiguration);
    if (status != 0) return 1;
    // A table stopped by a failing row (its message shown) is a failed job: the rows before it
    // are printed, but no page is written for it.
    const int done = result.stopped ? 1 : 0;
    for (const QString& written : result.generated)
        ctx.out << written << '\n';
    if (!result.batchPage.isEmpty()) {
        ctx.out << result.batchPage << '\n';
        return done;
    }
    if (!result.hasTable) return done;
    if (html && plainQuery) {
        if (result.stopped) return 1;
        const QString page =
            query::queryPage(path, result.table, session, options.selector, ctx.prompt);
        // The file was named by the person: a symbolic link there is followed.
        return core::Write_Text_File(*html, page, ctx.prompt, platform::Links::Follow) == 0 ? 0 : 1;
    }
    for (const QStringList& row : result.table.matrix)
        ctx.out << row.join(QLatin1Char('\t')) << '\n';
    return done;
}

} // namespace mirel::app
