#pragma once

#include <optional>
#include <QByteArray>
#include <QString>

#include "core/config.h"
#include "data/sectionfile.h"

#include "platform/mail.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::data {

// Protection, export and mailing of one region's form for one period: all act on the section
// data files 1..sectionCount of the key. Protection is the read-only attribute of the files (the
// owner-write bit), which every writer of section files respects, also when running as root.

// Whether every section has its data file, and whether all of them are read-only
// (Mod_MenuProtect: the item "Защита данных" is offered only for a complete form).
struct ProtectionState {
    bool complete = false;
    bool isProtected = false;
};
ProtectionState protectionState(const DataKey& key, int sectionCount);
// The caption of the protection item for a state.
QString protectCaption(bool isProtected);

// Sets (on) or removes the read-only attribute of every section data file, then reads the
// attributes again: "Защита установлена !!!" / "Защита снята !!!" (information), or
// "Ошибка при установке защиты !!!" / "Ошибка при снятии защиты !!!" titled "Снимите аттрибут
// <ТОЛЬКО ЧТЕНИЕ> средствами Windows !!!" (error) when a file did not change. Returns whether
// the lock is to be shown afterwards: all files read-only after setting, any file still
// read-only after removing.
bool setProtection(const DataKey& key, int sectionCount, bool on, platform::Prompt& prompt);

// The data package: the bytes of every section data file 1..N, as stored, each followed by
// CR LF. nullopt after "Отчет сформирован неполностью !!!" titled "Нет раздела " + RR (error)
// when a file is missing or cannot be read.
std::optional<QByteArray> dataPackage(const DataKey& key, int sectionCount,
                                      platform::Prompt& prompt);

// The name the recipient sees for the package: "Mirel_" + FFF + "_" + YYYY + "_" + MM.
QString attachmentName(const DataKey& key);

// DD_Mail: writes the package, under its attachment name, into a new folder of the temporary
// folder and returns its path; empty after the message.
QString DD_Mail(const DataKey& key, int sectionCount, platform::Prompt& prompt);

// DD_Export to a file the person chose. An empty name: "Не введено имя файла экспорта !!!"
// titled "ОШИБКА !!!". An existing file is replaced only when the person agrees (a refusal
// writes nothing and says so). Written whole or not at all: "ОШИБКА при записи файла экспорта
// !!!" when it fails, "Файл экспорта  записан !!!" when it is done.
bool DD_Export(const DataKey& key, int sectionCount, const QString& target,
               platform::Prompt& prompt);

// The message of a cancelled export dialog.
void exportCancelled(platform::Prompt& prompt);

// The recipient set at build time (the collecting office).
QString defaultRecipient();

// E_Mail: the last line of the configuration's "[MAIL]" section; when that section holds no
// address the person is asked ("Введите адрес : ", proposing the default recipient; nullopt when
// cancelled); without "[MAIL]" the "MAIL" line of "[MIREL_WIN]"; else the default recipient.
// The configuration is read upper-cased: addresses are written in lower case.
std::optional<QString> E_Mail(const core::IniSections& cnf, platform::Prompt& prompt);

// What E__Mail hands to the mail program: the recipient (the default one when empty) checked,
// the package written (DD_Mail). nullopt after "Неверный адрес электронной почты !!!" (an
// address a mail program could misread, titled with it) or the package's message.
std::optional<platform::MailRequest> prepareMail(const QString& recipient, const DataKey& key,
                                                 int sectionCount, platform::Prompt& prompt);

// E__Mail: builds the package (DD_Mail) and hands it to the mail program with the subject
// "Статистические данные" for the recipient (the default one when empty). An address a mail
// program could misread is refused ("Неверный адрес электронной почты !!!"). Messages:
// "Сообщение было направлено в папку <ИСХОДЯЩИЕ>." titled "Загрузите Microsoft OutLook и
// отправьте почту !!!"; failures "Ошибка при запуске MicroSoft OutLook !!!", the package path
// and "Ошибка при прикреплении файла !!!", "Ошибка при отправке почты !!!", each titled with
// what the mail program said. Returns whether the mail program took the message.
bool E__Mail(const QString& recipient, const DataKey& key, int sectionCount,
             platform::Mailer& mailer, platform::Prompt& prompt);

// The subject of every mailed package.
inline const QString MailSubject = QStringLiteral("Статистические данные");

} // namespace mirel::data
