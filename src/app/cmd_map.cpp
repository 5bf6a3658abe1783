#include <algorithm>

#include "app/commands.h"
#include "core/text.h"
#include "maps/mapdata.h"
#include "maps/mapdrawing.h"
#include "query/runquery.h"

namespace mirel::app {

// Computes a query, prepares the map data file of one of its columns under the name given,
// as "Карта" does, and draws it on the bitmap of the MAP folder; with --png saves the drawn
// map with its legend. Prints the map data file and the picture written. An existing map is
// replaced only with --yes.
int cmdMap(CommandContext& ctx) {
    const auto column = ctx.takeOption(QStringLiteral("--column"));
    const auto name = ctx.takeOption(QStringLiteral("--name"));
    const auto png = ctx.takeOption(QStringLiteral("--png"));
    bool numeric = false;
    const int n = column ? column->toInt(&numeric) : 0;
    if (ctx.usageError || ctx.args.size() != 1 ||
        ctx.args.first().startsWith(QLatin1String("--")) || !name || !numeric || n < 1)
        return usage(QStringLiteral("map"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const QString path = queryPathOf(ctx.args.first(), session);

    query::QueryResult result;
    if (query::runQuery(path, session, ctx.prompt, ctx.browser, query::RunOptions(), result,
                        query::HtmlOutput::Never) != 0)
        return 1;
    if (!result.hasTable) {
        ctx.prompt.message(QStringLiteral("the query gives no table to map"),
                           platform::Icon::Error);
        return 1;
    }
    // Side-by-side layouts hold more value columns than the query has.
    qsizetype width = result.table.columns + 2;
    for (const QStringList& row : result.table.matrix)
        width = std::max(width, row.size());
    if (n > width - 2) {
        ctx.prompt.message(QStringLiteral("the table has %1 columns").arg(width - 2),
                           platform::Icon::Error);
        return 1;
    }

    const QString mapDir = session.dir(core::DirMAP);
    QString written;
    const maps::Prepared prepared =
        maps::prepareMap(result.table.matrix, n, core::Trim(*name), mapDir, ctx.prompt, written);
    if (prepared == maps::Prepared::Kept) {
        ctx.prompt.message(QStringLiteral("the map exists; --yes replaces it"),
                           platform::Icon::Error, maps::mapDataPath(mapDir, core::Trim(*name)));
        return 1;
    }
    if (prepared != maps::Prepared::Written) return 1;
    ctx.out << written << '\n';

    maps::DrawnMap drawn;
    if (!maps::drawMapPath(written, mapDir, maps::loadMapBitmap(mapDir), ctx.prompt, drawn))
        return 1;
    if (png) {
        if (!maps::saveMapPng(drawn.withLegend(), *png, ctx.prompt)) return 1;
        ctx.out << *png << '\n';
    }
    return 0;
}

} // namespace mirel::app
