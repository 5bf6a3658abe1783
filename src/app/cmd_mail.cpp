#include <QRegularExpression>

#include "app/commands.h"
#include "app/entrycommand.h"
#include "data/protection.h"
#include "platform/mail.h"
#include "platform/prompt.h"

namespace mirel::app {
namespace {

// An argument as a shell would need it to read it back.
QString shellQuoted(const QString& arg) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(arg).hasMatch()) return arg;
    QString quoted = arg;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

// Mails the data package of a region's form to the recipient (--to, else the configuration's
// "[MAIL]" / "MAIL", else the default recipient) through xdg-email, as the entry window does.
// With --dry-run the package is written and the xdg-email call is printed instead of made.
int cmdMail(CommandContext& ctx) {
    const std::optional<QString> to = ctx.takeOption(QStringLiteral("--to"));
    const bool dryRun = ctx.takeFlag(QStringLiteral("--dry-run"));
    if (!formAndRegion(ctx)) return usage(QStringLiteral("mail"));
    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const std::optional<data::EntryForm> form =
        commandEntryForm(ctx, session, ctx.args.at(0), ctx.args.at(1));
    if (!form) return 1;
    std::optional<QString> recipient = to;
    if (!recipient) recipient = data::E_Mail(session.cnf, ctx.prompt);
    if (!recipient) {
        platform::showError(ctx.prompt,
                            QStringLiteral("Адрес получателя не задан : укажите --to ADDRESS"));
        return 1;
    }
    if (dryRun) {
        const std::optional<platform::MailRequest> request =
            data::prepareMail(*recipient, form->key, form->sectionCount(), ctx.prompt);
        if (!request) return 1;
        QStringList call{platform::XdgEmail::program()};
        for (const QString& arg : platform::XdgEmail::arguments(*request))
            call.append(shellQuoted(arg));
        ctx.out << call.join(QLatin1Char(' ')) << '\n';
        return 0;
    }
    platform::XdgEmail mailer;
    return data::E__Mail(*recipient, form->key, form->sectionCount(), mailer, ctx.prompt) ? 0 : 1;
}

} // namespace mirel::app
