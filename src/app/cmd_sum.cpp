// The jobs of the summation window as commands: summation and protection, the sum check and the
// format check. Each prints the tree the window shows afterwards.
#include <cstdio>

#include "aggregate/summation.h"
#include "app/commands.h"

namespace mirel::app {
namespace {

aggregate::SummPlace placeOf(const reference::Session& session) {
    return aggregate::SummPlace{session.programDir, session.dir(core::DirDAT),
                                session.dir(core::DirSHIF), session.dir(core::DirFORM)};
}

void printTree(CommandContext& ctx, const aggregate::SummTree& tree) {
    for (const QString& line : tree.lines())
        ctx.out << line << '\n';
}

// The optional directory argument; false for anything but one period data directory name.
bool takeDirectory(CommandContext& ctx, QString& dirKey) {
    if (ctx.args.size() > 1) return false;
    if (ctx.args.isEmpty()) return true;
    dirKey = ctx.args.first().toUpper();
    return aggregate::isPeriodDirName(dirKey);
}

} // namespace

int cmdSum(CommandContext& ctx) {
    const bool all = ctx.takeFlag(QStringLiteral("--all"));
    const bool protect = ctx.takeFlag(QStringLiteral("--protect"));
    const bool unprotect = ctx.takeFlag(QStringLiteral("--unprotect"));
    QString dirKey;
    if (!takeDirectory(ctx, dirKey) || (protect && unprotect) || (all && !dirKey.isEmpty()))
        return usage(QStringLiteral("sum"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    aggregate::Summation summation(placeOf(session), aggregate::SummMode::Summation, session.forms,
                                   ctx.prompt);
    if (!summation.open()) return 1;
    int result = 0;
    if (protect || unprotect)
        result = all ? summation.ReadOnly_Global(protect) : summation.ReadOnly_Dir(dirKey, protect);
    else if (all)
        result = summation.Summ_Global();
    else if (!dirKey.isEmpty())
        result = summation.Summ_Dir(dirKey);
    printTree(ctx, summation.tree());
    return result == 0 ? 0 : 1;
}

int cmdCheckSums(CommandContext& ctx) {
    ctx.takeFlag(QStringLiteral("--all"));
    QString dirKey;
    if (!takeDirectory(ctx, dirKey)) return usage(QStringLiteral("check-sums"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    aggregate::Summation summation(placeOf(session), aggregate::SummMode::SumCheck, session.forms,
                                   ctx.prompt);
    if (!summation.open()) return 1;
    const int result = dirKey.isEmpty() ? summation.VSumm_Global() : summation.VSumm_Dir(dirKey);
    printTree(ctx, summation.tree());
    return result == 0 ? 0 : 1;
}

int cmdCheckFormat(CommandContext& ctx) {
    if (!ctx.args.isEmpty()) return usage(QStringLiteral("check-format"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    aggregate::Summation summation(placeOf(session), aggregate::SummMode::FormatCheck,
                                   session.forms, ctx.prompt);
    if (!summation.open()) return 1;
    const int result = summation.V_Format();
    printTree(ctx, summation.tree());
    return result == 0 ? 0 : 1;
}

} // namespace mirel::app
