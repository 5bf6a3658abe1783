#include "app/commands.h"
#include "app/entrycommand.h"
#include "data/summaryreport.h"

namespace mirel::app {

// The summary report of a region's form: the templates that the form's text file lists, filled
// with the region's figures for the period; prints the pages written (in the temporary folder).
int cmdSummaryReport(CommandContext& ctx) {
    if (!formAndRegion(ctx)) return usage(QStringLiteral("summary-report"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const std::optional<data::EntryForm> form =
        commandEntryForm(ctx, session, ctx.args.at(0), ctx.args.at(1));
    if (!form) return 1;
    const std::optional<QStringList> written = data::VV__Svod(*form, ctx.prompt, ctx.browser);
    if (!written || written->isEmpty()) return 1;
    for (const QString& path : *written)
        ctx.out << path << '\n';
    return 0;
}

} // namespace mirel::app
