#pragma once

#include <QString>
#include <QStringList>

namespace mirel::platform {

// A message handed to the person's mail program: one recipient, a subject and one attached
// file, whose name is the name the recipient sees.
struct MailRequest {
    QString recipient;
    QString subject;
    QString attachment; // path of an existing file
};

// What became of a hand-off. Sent: the mail program took the message (its compose window or
// outbox shows it). NotStarted: no mail program could be started. AttachFailed: the program
// could not take the file. SendFailed: the program took the call and failed. detail says why,
// in words for the person.
struct MailResult {
    enum class Status { Sent, NotStarted, AttachFailed, SendFailed };
    Status status = Status::NotStarted;
    QString detail;
    bool sent() const { return status == Status::Sent; }
};

// Hands a message to the person's mail program. The windows and commands use XdgEmail; tests
// record the request instead.
class Mailer {
public:
    virtual ~Mailer() = default;
    virtual MailResult send(const MailRequest& request) = 0;
};

// The desktop's mail program through xdg-email (package xdg-utils), run with an argument list,
// never through a shell. A program still running after a few seconds has shown its compose
// window and is left running.
class XdgEmail : public Mailer {
public:
    MailResult send(const MailRequest& request) override;

    // The program and its arguments for a request.
    static QString program() { return QStringLiteral("xdg-email"); }
    static QStringList arguments(const MailRequest& request);
    // The result for an exit status of xdg-email (0 sent; 2 and 5 the file; 3 no mail program;
    // others a failure of the program).
    static MailResult resultOf(int exitStatus);
};

// True for an address that can be handed to a mail program as it stands: local part and
// domain of letters, digits and ".", "_", "%", "+", "-", nothing that a mail program could
// take for an option or for further fields of the message ("?", "&", blanks...).
bool isMailAddress(const QString& address);

} // namespace mirel::platform
