#include "app/commands.h"
#include "core/config.h"
#include "data/loadview.h"

namespace mirel::app {

// The register of submitted reports of a form for the period, as the data-loading view fills
// it: the classifier of the entry mode (the start-up classifier when the configuration has no
// preamble), the form chosen among the forms due in the period. Prints one line per region:
// code, name and the state mark of each section (empty when the file is missing); with
// --missing the code and name of the regions without any file.
int cmdRegister(CommandContext& ctx) {
    const bool missing = ctx.takeFlag(QStringLiteral("--missing"));
    if (ctx.args.size() != 1 || ctx.args.first().startsWith(QLatin1String("--")))
        return usage(QStringLiteral("register"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    if (core::preamble(session.cnf))
        session.regions =
            reference::VVOD_A_Reg(session.cnf, session.dir(core::DirSHIF), ctx.prompt);
    const QStringList forms = data::VVOD_Combo_FFF(session, ctx.prompt);
    if (forms.isEmpty()) return 1;
    const int chosen = data::selectFormEntry(ctx.args.first(), forms, ctx.prompt);
    if (chosen < 0) return 1;
    const auto reg = data::Cmd_Load_DD(session, forms.at(chosen).left(3), missing, ctx.prompt);
    if (!reg) return 1;
    if (missing && !reg->missingOnly) return 0; // every region has reported: the message says so
    for (const data::RegisterRow& row : reg->rows) {
        if (row.code.isEmpty()) continue;
        ctx.out << row.code << '\t' << row.name;
        if (!reg->missingOnly)
            for (const QString& mark : row.marks)
                ctx.out << '\t' << mark;
        ctx.out << '\n';
    }
    return 0;
}

} // namespace mirel::app
