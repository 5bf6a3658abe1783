#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "app/cliprompt.h"
#include "reference/session.h"

namespace mirel::app {

// What a command gets: the workspace, the --period override, its own arguments (global
// options already taken out), the prompt and the output stream (UTF-8, LF).
struct CommandContext {
    QString workspace;
    QString period;   // YYYYMM from --period, empty for the configured one
    QStringList args; // the command's own arguments and flags
    CliPrompt& prompt;
    CliBrowser& browser;
    QTextStream& out;

    // Takes a flag out of args; true when it was there.
    bool takeFlag(const QString& flag);
    // Takes "--name VALUE" out of args; nullopt when absent; sets usageError when the value
    // is missing.
    std::optional<QString> takeOption(const QString& name);
    bool usageError = false;
};

// A command of the command line: name, argument synopsis, one-line summary and the job. The
// job returns the exit status: 0 success, 1 failure, 2 usage error.
struct Command {
    QString name;
    QString synopsis;
    QString summary;
    int (*run)(CommandContext&);
    bool drawsPictures = false; // needs fonts and images: runs on the offscreen platform
};

const QList<Command>& commands();

// Start-up for commands: the whole start-up of the window (configuration, folders, catalog,
// classifier, period), then the --period override. Without --period a command that needs the
// period takes it from MIREL_WIN.INI and stops, with the period dialog's messages, when the
// year or month line is missing or not a valid year (four digits) or month (one or two
// digits). False when start-up failed (its message was shown).
bool startSession(CommandContext& ctx, reference::Session& session, bool needsPeriod = true);

// A query named on the command line: a path, or a name inside the query folder.
QString queryPathOf(const QString& given, const reference::Session& session);

// Prints "usage: mirel NAME SYNOPSIS" to stderr and returns 2.
int usage(const Command& command);
int usage(const QString& name);

// The commands, one file each.
int cmdInit(CommandContext& ctx);
int cmdCatalog(CommandContext& ctx);
int cmdRegister(CommandContext& ctx);
int cmdQuery(CommandContext& ctx);
int cmdControl(CommandContext& ctx);
int cmdEnter(CommandContext& ctx);
int cmdProtect(CommandContext& ctx);
int cmdExport(CommandContext& ctx);
int cmdMail(CommandContext& ctx);
int cmdSummaryReport(CommandContext& ctx);
int cmdImportExcel(CommandContext& ctx);
int cmdImportTransfer(CommandContext& ctx);
int cmdMap(CommandContext& ctx);
int cmdSum(CommandContext& ctx);
int cmdCheckSums(CommandContext& ctx);
int cmdCheckFormat(CommandContext& ctx);
int cmdReplaceCodes(CommandContext& ctx);
int cmdReports(CommandContext& ctx);
int cmdReportPages(CommandContext& ctx);

} // namespace mirel::app
