#include "data/protection.h"

#include <QTemporaryDir>

#include "core/periods.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/mail.h"
#include "platform/prompt.h"

#ifndef MIREL_DEFAULT_MAIL
#define MIREL_DEFAULT_MAIL "svod@mirel.example"
#endif

namespace mirel::data {
namespace {

const QString AttributeTitle =
    QStringLiteral("Снимите аттрибут <ТОЛЬКО ЧТЕНИЕ> средствами Windows !!!");
const QString ExportFailed = QStringLiteral("ОШИБКА при записи файла экспорта !!!");

bool allReadOnly(const DataKey& key, int sectionCount) {
    for (int s = 1; s <= sectionCount; ++s)
        if (!platform::isReadOnly(key.path(s))) return false;
    return sectionCount > 0;
}

bool anyReadOnly(const DataKey& key, int sectionCount) {
    for (int s = 1; s <= sectionCount; ++s)
        if (platform::isReadOnly(key.path(s))) return true;
    return false;
}

} // namespace

ProtectionState protectionState(const DataKey& key, int sectionCount) {
    ProtectionState state;
    state.complete = All_FileExists(key, sectionCount);
    state.isProtected = state.complete && allReadOnly(key, sectionCount);
    return state;
}

QString protectCaption(bool isProtected) {
    return isProtected ? QStringLiteral("Защита данных : снять")
                       : QStringLiteral("Защита данных : установить");
}

bool setProtection(const DataKey& key, int sectionCount, bool on, platform::Prompt& prompt) {
    for (int s = 1; s <= sectionCount; ++s) {
        const QString path = key.path(s);
        if (platform::fileExists(path) && platform::isReadOnly(path) != on)
            platform::setReadOnly(path, on);
    }
    if (on) {
        if (!allReadOnly(key, sectionCount)) {
            platform::showError(prompt, QStringLiteral("Ошибка при установке защиты !!!"),
                                AttributeTitle);
            return false;
        }
        platform::showInfo(prompt, QStringLiteral("Защита установлена !!!"));
        return true;
    }
    if (anyReadOnly(key, sectionCount)) {
        platform::showError(prompt, QStringLiteral("Ошибка при снятии защиты !!!"), AttributeTitle);
        return true;
    }
    platform::showInfo(prompt, QStringLiteral("Защита снята !!!"));
    return false;
}

std::optional<QByteArray> dataPackage(const DataKey& key, int sectionCount,
                                      platform::Prompt& prompt) {
    QByteArray package;
    for (int s = 1; s <= sectionCount; ++s) {
        const std::optional<QByteArray> bytes = platform::readFileBytes(key.path(s));
        if (!bytes) {
            platform::showError(prompt, QStringLiteral("Отчет сформирован неполностью !!!"),
                                QStringLiteral("Нет раздела ") + sectionNumber(s));
            return std::nullopt;
        }
        package += *bytes;
        package += "\r\n";
    }
    return package;
}

QString attachmentName(const DataKey& key) {
    return QStringLiteral("Mirel_") + key.formCode + QLatin1Char('_') + core::yearCode(key.year) +
           QLatin1Char('_') + core::monthCode(key.month);
}

QString DD_Mail(const DataKey& key, int sectionCount, platform::Prompt& prompt) {
    const std::optional<QByteArray> package = dataPackage(key, sectionCount, prompt);
    if (!package) return QString();
    // A folder of its own keeps the attachment's name free whatever else lies in the temporary
    // folder; it stays there for the mail program to read.
    QTemporaryDir folder(platform::tempDir() + QStringLiteral("/mirel_mail_XXXXXX"));
    folder.setAutoRemove(false);
    QString path;
    if (folder.isValid())
        path = platform::writeNewFile(folder.path(), attachmentName(key), QString(), *package);
    if (path.isEmpty())
        platform::showError(prompt, QStringLiteral("Ошибка при записи информации !!!"),
                            folder.isValid() ? folder.path() : platform::tempDir());
    return path;
}

bool DD_Export(const DataKey& key, int sectionCount, const QString& target,
               platform::Prompt& prompt) {
    if (core::Trim(target).isEmpty()) {
        platform::showError(prompt, QStringLiteral("Не введено имя файла экспорта !!!"),
                            QStringLiteral("ОШИБКА !!!"));
        return false;
    }
    const std::optional<QByteArray> package = dataPackage(key, sectionCount, prompt);
    if (!package) return false;
    if (platform::pathExists(target)) {
        if (!prompt.askYesNo(QStringLiteral("Файл уже существует :") + core::CRLF + target +
                                 core::CRLF + QStringLiteral("Заменить ?"),
                             QStringLiteral("ВНИМАНИЕ !!!"))) {
            prompt.message(QStringLiteral("Файл экспорта не записан !!!"), platform::Icon::Warning,
                           target);
            return false;
        }
    }
    if (!platform::writeFileAtomic(target, *package)) {
        platform::showError(prompt, ExportFailed);
        return false;
    }
    platform::showInfo(prompt, QStringLiteral("Файл экспорта  записан !!!"));
    return true;
}

void exportCancelled(platform::Prompt& prompt) {
    platform::showError(prompt, ExportFailed);
}

QString defaultRecipient() {
    return QStringLiteral(MIREL_DEFAULT_MAIL);
}

std::optional<QString> E_Mail(const core::IniSections& cnf, platform::Prompt& prompt) {
    const core::IniSection* mail = nullptr;
    for (const core::IniSection& s : cnf)
        if (s.header == QLatin1String("[MAIL]")) mail = &s;
    if (mail) {
        const QString last = mail->lines.isEmpty() ? QString() : core::Trim(mail->lines.last());
        if (!last.isEmpty()) return last.toLower();
        const std::optional<QString> typed =
            prompt.inputBox(QStringLiteral("Введите адрес : "), QString(), defaultRecipient());
        if (!typed) return std::nullopt;
        return core::Trim(*typed);
    }
    QString line = core::Trim(core::Ini_Line(cnf, QStringLiteral("MAIL")));
    if (!line.isEmpty()) {
        line = core::Trim(line.mid(4));
        if (line.startsWith(QLatin1Char('=')) || line.startsWith(QLatin1Char(':')))
            line = core::Trim(line.mid(1));
        if (!line.isEmpty()) return line.toLower();
    }
    return defaultRecipient();
}

std::optional<platform::MailRequest> prepareMail(const QString& recipient, const DataKey& key,
                                                 int sectionCount, platform::Prompt& prompt) {
    const QString to = core::Trim(recipient).isEmpty() ? defaultRecipient() : core::Trim(recipient);
    if (!platform::isMailAddress(to)) {
        platform::showError(prompt, QStringLiteral("Неверный адрес электронной почты !!!"), to);
        return std::nullopt;
    }
    const QString package = DD_Mail(key, sectionCount, prompt);
    if (package.isEmpty()) return std::nullopt;
    return platform::MailRequest{to, MailSubject, package};
}

bool E__Mail(const QString& recipient, const DataKey& key, int sectionCount,
             platform::Mailer& mailer, platform::Prompt& prompt) {
    const std::optional<platform::MailRequest> request =
        prepareMail(recipient, key, sectionCount, prompt);
    if (!request) return false;
    const QString& package = request->attachment;
    const platform::MailResult result = mailer.send(*request);
    using Status = platform::MailResult::Status;
    switch (result.status) {
    case Status::Sent:
        platform::showInfo(prompt, QStringLiteral("Сообщение было направлено в папку <ИСХОДЯЩИЕ>."),
                           QStringLiteral("Загрузите Microsoft OutLook и отправьте почту !!!"));
        return true;
    case Status::NotStarted:
        platform::showError(prompt, QStringLiteral("Ошибка при запуске MicroSoft OutLook !!!"),
                            result.detail);
        break;
    case Status::AttachFailed:
        platform::showError(
            prompt, package + core::CRLF + QStringLiteral("Ошибка при прикреплении файла !!!"),
            result.detail);
        break;
    case Status::SendFailed:
        platform::showError(prompt, QStringLiteral("Ошибка при отправке почты !!!"), result.detail);
        break;
    }
    return false;
}

} // namespace mirel::data
