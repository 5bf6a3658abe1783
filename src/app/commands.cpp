#include "app/commands.h"

#include <cstdio>
#include <QDate>

#include "core/periods.h"
#include "core/text.h"
#include "platform/prompt.h"

namespace mirel::app {

const QList<Command>& commands() {
    static const QList<Command> table{
        {QStringLiteral("init"), QString(),
         QStringLiteral("write the default configuration when missing and create the folders"),
         cmdInit},
        {QStringLiteral("catalog"), QString(),
         QStringLiteral(
             "print the form catalog: form, base period, sections with rows and columns"),
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
        {QStringLiteral("enter"), QStringLiteral("FFF COD --section N [--file FILE]"),
         QStringLiteral(
             "save a section from a matrix (file or stdin) with the entry window's rules"),
         cmdEnter},
        {QStringLiteral("protect"), QStringLiteral("FFF COD [--off]"),
         QStringLiteral("protect a region's form (its files read-only), or remove the protection"),
         cmdProtect},
        {QStringLiteral("export"), QStringLiteral("FFF COD FILE"),
         QStringLiteral("write all sections of a region's form into one file (--yes replaces it)"),
         cmdExport},
        {QStringLiteral("mail"), QStringLiteral("FFF COD [--to ADDRESS] [--dry-run]"),
         QStringLiteral("mail a region's form through xdg-email (--dry-run prints the call)"),
         cmdMail},
        {QStringLiteral("summary-report"), QStringLiteral("FFF COD"),
         QStringLiteral("fill the form's summary templates for a region; print the pages"),
         cmdSummaryReport},
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
        {QStringLiteral("sum"), QStringLiteral("[DAT_YYMM.FFF | --all] [--protect | --unprotect]"),
         QStringLiteral("sum member regions into summary regions in one period directory or all, "
                        "or protect them; prints the tree"),
         cmdSum},
        {QStringLiteral("check-sums"), QStringLiteral("[DAT_YYMM.FFF | --all]"),
         QStringLiteral("compare stored sums with the sums of their members; prints the tree"),
         cmdCheckSums},
        {QStringLiteral("check-format"), QString(),
         QStringLiteral("compare the shape of every section file with the form catalog; prints "
                        "the tree"),
         cmdCheckFormat},
        {QStringLiteral("replace-codes"), QStringLiteral("[--yes]"),
         QStringLiteral("replace region codes by SHIF/CORR_COD.TXT after an archive copy; without "
                        "--yes only shows the plan"),
         cmdReplaceCodes},
        {QStringLiteral("reports"), QString(),
         QStringLiteral("print the reports tree: forms, their periods and the regions with data"),
         cmdReports},
        {QStringLiteral("report-pages"), QStringLiteral("FFF YYMM COD"),
         QStringLiteral("fill the form's HTML templates with a region's data; print the pages"),
         cmdReportPages},
    };
    return table;
}

bool CommandContext::takeFlag(const QString& flag) {
    return args.removeAll(flag) > 0;
}

std::optional<QString> CommandContext::takeOption(const QString& name) {
    const qsizetype i = args.indexOf(name);
    if (i < 0) return std::nullopt;
    if (i + 1 >= args.size()) {
        usageError = true;
        args.removeAt(i);
        return std::nullopt;
    }
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

namespace {

// The value after "=" of a "[MIREL_WIN]" period line; empty when the line or its value is
// missing.
QString configuredPeriodField(const core::IniSections& cnf, const QString& key) {
    QString line = core::Trim(core::Ini_Line(cnf, key));
    core::Cut_Before(line, QStringLiteral("="));
    return core::Trim(line);
}

} // namespace

bool startSession(CommandContext& ctx, reference::Session& session, bool needsPeriod) {
    session.programDir = ctx.workspace;
    if (reference::F_Global(session, QDate::currentDate(), ctx.prompt) != 0) return false;
    if (!ctx.period.isEmpty()) {
        session.year = ctx.period.left(4);
        session.month = QString::number(ctx.period.mid(4, 2).toInt());
        return true;
    }
    if (!needsPeriod) return true;
    // The window would show its design-time period 2001 12; a command says what is missing
    // instead of working on that period.
    if (configuredPeriodField(session.cnf, QStringLiteral("YYYY")).isEmpty() ||
        configuredPeriodField(session.cnf, QStringLiteral("MM")).isEmpty()) {
        ctx.prompt.message(
            QStringLiteral("В файле MIREL_WIN.INI отсутствуют параметры : YYYY= или MM= !!!"),
            platform::Icon::Error, QStringLiteral("ВЫХОД !!!"));
        return false;
    }
    if (session.year.size() != 4 || !core::Is_All_Digits(session.year)) {
        platform::showError(ctx.prompt,
                            QStringLiteral("Неправильно введен год отчетного периода !!!"));
        return false;
    }
    if (session.month.isEmpty() || session.month.size() > 2 ||
        !core::Is_All_Digits(session.month)) {
        platform::showError(ctx.prompt,
                            QStringLiteral("Неправильно введен месяц отчетного периода !!!"));
        return false;
    }
    return true;
}

int usage(const Command& command) {
    std::fprintf(stderr, "usage: mirel %s%s%s\n", qPrintable(command.name),
                 command.synopsis.isEmpty() ? "" : " ", command.synopsis.toUtf8().constData());
    return 2;
}

int usage(const QString& name) {
    for (const Command& c : commands())
        if (c.name == name) return usage(c);
    return 2;
}

} // namespace mirel::app
