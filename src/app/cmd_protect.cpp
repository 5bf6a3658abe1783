#include "app/commands.h"
#include "app/entrycommand.h"
#include "data/protection.h"
#include "platform/prompt.h"

namespace mirel::app {

// Sets (or with --off removes) the protection of a region's form for the period: the read-only
// attribute of all its section data files, with the entry window's messages. A form that lacks
// a section cannot be protected ("Отчет сформирован неполностью !!!").
int cmdProtect(CommandContext& ctx) {
    const bool off = ctx.takeFlag(QStringLiteral("--off"));
    if (!formAndRegion(ctx)) return usage(QStringLiteral("protect"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const std::optional<data::EntryForm> form =
        commandEntryForm(ctx, session, ctx.args.at(0), ctx.args.at(1));
    if (!form) return 1;
    const int count = form->sectionCount();
    if (!off) {
        for (int s = 1; s <= count; ++s) {
            if (!data::DD_Exist(form->key, s)) {
                platform::showError(ctx.prompt, QStringLiteral("Отчет сформирован неполностью !!!"),
                                    QStringLiteral("Нет раздела ") + data::sectionNumber(s));
                return 1;
            }
        }
    }
    const bool locked = data::setProtection(form->key, count, !off, ctx.prompt);
    return locked == !off ? 0 : 1;
}

} // namespace mirel::app
