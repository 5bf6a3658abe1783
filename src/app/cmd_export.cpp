#include "app/commands.h"
#include "app/entrycommand.h"
#include "data/protection.h"

namespace mirel::app {

// Writes the data package of a region's form (all its section data files, in section order)
// into FILE, as "Экспорт" of the entry window does. An existing FILE is replaced only with
// --yes.
int cmdExport(CommandContext& ctx) {
    if (!formAndRegion(ctx, 3)) return usage(QStringLiteral("export"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const std::optional<data::EntryForm> form =
        commandEntryForm(ctx, session, ctx.args.at(0), ctx.args.at(1));
    if (!form) return 1;
    return data::DD_Export(form->key, form->sectionCount(), ctx.args.at(2), ctx.prompt) ? 0 : 1;
}

} // namespace mirel::app
