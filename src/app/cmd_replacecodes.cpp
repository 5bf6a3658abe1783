#include <cstdio>
#include <QDateTime>

#include "aggregate/corrcod.h"
#include "app/commands.h"

namespace mirel::app {

// Code replacement by SHIF/CORR_COD.TXT, as "Старт" in the window runs it. Without --yes the
// replacements are only planned: the tree shows them and nothing is written.
int cmdReplaceCodes(CommandContext& ctx) {
    if (!ctx.args.isEmpty()) return usage(QStringLiteral("replace-codes"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const QString shif = session.dir(core::DirSHIF);
    if (!aggregate::corrCodListReady(shif, ctx.prompt)) return 1;
    aggregate::CodeReplacement replacement(session.programDir, session.dir(core::DirDAT), shif,
                                           ctx.prompt);
    if (!replacement.open()) return 1;
    // The window's "Старт" is the person's yes; here it is --yes.
    const bool run = ctx.prompt.askYesNo(QStringLiteral("Заменить коды ?"));
    const int result = replacement.Corr_Cod(QDateTime::currentDateTime(), !run);
    for (const QString& line : replacement.tree().lines())
        ctx.out << line << '\n';
    if (!run && result == 0)
        std::fputs("mirel: nothing replaced; the tree shows the replacements planned (--yes "
                   "runs them)\n",
                   stderr);
    return result == 0 ? 0 : 1;
}

} // namespace mirel::app
