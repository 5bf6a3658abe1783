#include "platform/mail.h"

#include <QProcess>
#include <QRegularExpression>

namespace mirel::platform {
namespace {

// Long enough for xdg-email to find the program and hand the message over; a mail program that
// was not running keeps xdg-email waiting until it closes, and must not keep the window waiting.
constexpr int HandOffMs = 8000;

} // namespace

QStringList XdgEmail::arguments(const MailRequest& request) {
    return {QStringLiteral("--utf8"),   QStringLiteral("--subject"), request.subject,
            QStringLiteral("--attach"), request.attachment,          request.recipient};
}

MailResult XdgEmail::resultOf(int exitStatus) {
    switch (exitStatus) {
    case 0:
        return {MailResult::Status::Sent, QString()};
    case 2:
    case 5:
        return {MailResult::Status::AttachFailed,
                QStringLiteral("xdg-email не может прочитать файл (код %1)").arg(exitStatus)};
    case 3:
        return {MailResult::Status::NotStarted,
                QStringLiteral("Не найдена почтовая программа (xdg-email, код 3)")};
    default:
        return {MailResult::Status::SendFailed,
                QStringLiteral("xdg-email завершился с кодом %1").arg(exitStatus)};
    }
}

MailResult XdgEmail::send(const MailRequest& request) {
    // Owned by nobody once it outlives the wait: deleting a QProcess kills its program, and the
    // person's compose window must stay open.
    auto* process = new QProcess;
    // Its complaints (the browsers it tried) mean nothing to the person: the result says it.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program(), arguments(request));
    if (!process->waitForStarted()) {
        delete process;
        return {MailResult::Status::NotStarted,
                QStringLiteral("Не найдена программа xdg-email (пакет xdg-utils)")};
    }
    if (!process->waitForFinished(HandOffMs)) return {MailResult::Status::Sent, QString()};
    const MailResult result =
        process->exitStatus() == QProcess::NormalExit
            ? resultOf(process->exitCode())
            : MailResult{MailResult::Status::SendFailed, QStringLiteral("xdg-email прерван")};
    delete process;
    return result;
}

bool isMailAddress(const QString& address) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("[A-Za-z0-9_%+][A-Za-z0-9._%+-]*@[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?"
                       "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)*")));
    return address.size() <= 254 && pattern.match(address).hasMatch();
}

} // namespace mirel::platform
