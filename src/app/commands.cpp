#include "app/commands.h"

#include <QDate>
#include <cstdio>

#include "core/periods.h"

namespace mirel::app {

const QList<Command>& commands()
{
    static const QList<Command> table{
        {QStringLiteral("init"), QString(),
         QStringLiteral("write the default configuration when missing and create the folders"),
         cmdInit},
        {QStringLiteral("catalog"), QString(),
         QStringLiteral("print the form catalog: form, base period, sections with rows and columns"),
         cmdCatalog},
        {QStringLiteral("register"), QStringLiteral("FFF [--missing]"),
         QStringLiteral("print the register of submitted reports of a form for the period"),
         cmdRegister},
        {QStringLiteral("query"), QStringLiteral("PATH [--region COD] [--html FILE]"),
         QStringLiteral("compute a query or batch list; print the table or write its page"),
         cmdQuery},
        {QStringLiteral("control"), QStringLiteral("FFF (COD [--section N] | --all)"),
         QStringLiteral("logical control of a section, of the whole form (state marks written), "
                        "or of the whole form for every region that has sent it"),
         cmdControl},
        {QStringLiteral("import-excel"), QStringLiteral("[FFF] [--control]"),
         QStringLiteral("list, check and convert the workbooks of the Excel import folder"),
         cmdImportExcel},
        {QStringLiteral("import-transfer"), QStringLiteral("FILE [--correct]"),
         QStringLiteral("load a transfer file (a path, or a name in an import folder) in entry "
                        "mode, or correction mode; print the tree of the load"),
         cmdImportTransfer},
        {QStringLiteral("map"), QStringLiteral("QUERY --column N --name NAME [--png FILE]"),
         QStringLiteral("prepare the map of a query column in the MAP folder and draw it"), cmdMap,
         true},
    };
    return table;
}

bool CommandContext::takeFlag(const QString& flag)
{
    return args.removeAll(flag) > 0;
}

std::optional<QString> CommandContext::takeOption(const QString& name)
{
    const qsizetype i = args.indexOf(name);
    if (i < 0)
        return std::nullopt;
    if (i + 1 >= args.size()) {
        usageError = true;
        args.removeAt(i);
        return std::nullopt;
    }
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

bool startSession(CommandContext& ctx, reference::Session& session)
{
    session.programDir = ctx.workspace;
    if (reference::F_Global(session, QDate::currentDate(), ctx.prompt) != 0)
        return false;
    if (!ctx.period.isEmpty()) {
        session.year = ctx.period.left(4);
        session.month = QString::number(ctx.period.mid(4, 2).toInt());
    }
    return true;
}

int usage(const Command& command)
{
    std::fprintf(stderr, "usage: mirel %s%s%s\n", qPrintable(command.name),
                 command.synopsis.isEmpty() ? "" : " ", command.synopsis.toUtf8().constData());
    return 2;
}

int usage(const QString& name)
{
    for (const Command& c : commands())
        if (c.name == name)
            return usage(c);
    return 2;
}

} // namespace mirel::app
