#include <QFileInfo>

#include "app/commands.h"
#include "core/config.h"
#include "exchange/transferimport.h"
#include "platform/fileio.h"

namespace mirel::app {
namespace {

// A transfer file named on the command line: a path, or a name in the folder of an entry of
// the import menu.
QString transferPathOf(const QString& given, const reference::Session& session) {
    if (QFileInfo::exists(given) || QFileInfo(given).isAbsolute())
        return QFileInfo(given).absoluteFilePath();
    for (const QString& caption : session.importMenu) {
        const QString inFolder =
            core::importMenuDir(caption, session.programDir) + QLatin1Char('/') + given;
        if (platform::fileExists(inFolder)) return platform::resolvePath(inFolder);
    }
    return QFileInfo(given).absoluteFilePath();
}

} // namespace

// Loads a transfer file as "Загрузить" does, in "Ввод" (or "Коррекция" with --correct), and
// prints the tree of the load: one line per node, two blanks per level, its text, a tab and its
// picture (1 written, 2 period, form or region, 4 refused or failed). Status 1 when anything of
// the file did not get into the data (no matrix, a bad header, a duplicate, a refused or
// unwritten section).
int cmdImportTransfer(CommandContext& ctx) {
    const bool correct = ctx.takeFlag(QStringLiteral("--correct"));
    if (ctx.args.size() != 1 || ctx.args.first().startsWith(QLatin1String("--")))
        return usage(QStringLiteral("import-transfer"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const exchange::TransferOutcome outcome = exchange::loadTransferFile(
        session, transferPathOf(ctx.args.first(), session),
        correct ? exchange::TransferMode::Correction : exchange::TransferMode::Entry, ctx.prompt);
    for (const QString& line : exchange::transferTreeLines(outcome.nodes))
        ctx.out << line << '\n';
    return outcome.complete() ? 0 : 1;
}

} // namespace mirel::app
