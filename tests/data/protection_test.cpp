#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "data/protection.h"
#include "platform/fileio.h"
#include "platform/mail.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::data;
using mirel::platform::Icon;
using mirel::platform::MailRequest;
using mirel::platform::MailResult;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

// Form 101 of region 1401 for March 2025, three sections; the temporary folder in the workspace.
struct FormFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    DataKey key{ws.file("DAT"), "2025", "3", "101", "1401"};

    FormFixture() {
        ws.mkdir("DAT");
        ws.mkdir("TMP");
        mirel::platform::setTempDirOverride(ws.file("TMP"));
    }
    ~FormFixture() { mirel::platform::setTempDirOverride(QString()); }
    QString rel(int s) const { return "DAT/DAT_2503.101/1401.0" + QString::number(s); }
    void writeAll() {
        for (int s = 1; s <= 3; ++s)
            ws.write(rel(s), "PR_?\n! 0000 101 0" + QString::number(s) + " 25 03 1401\n01 " +
                                 QString::number(s) + " 0\n");
    }
};

class RecordingMailer : public mirel::platform::Mailer {
public:
    MailResult send(const MailRequest& request) override {
        requests.append(request);
        return result;
    }
    QList<MailRequest> requests;
    MailResult result{MailResult::Status::Sent, {}};
};

const QString AttributeTitle = "Снимите аттрибут <ТОЛЬКО ЧТЕНИЕ> средствами Windows !!!";

} // namespace

TEST(Protection, OfferedForACompleteFormAndSetAsTheReadOnlyBit) {
    FormFixture f;
    EXPECT_FALSE(protectionState(f.key, 3).complete);
    f.writeAll();
    ASSERT_TRUE(mirel::platform::setReadOnly(f.ws.file(f.rel(2)), true));
    ProtectionState state = protectionState(f.key, 3);
    EXPECT_TRUE(state.complete);
    EXPECT_FALSE(state.isProtected); // one read-only file does not protect the form
    EXPECT_EQ(protectCaption(state.isProtected), "Защита данных : установить");

    EXPECT_TRUE(setProtection(f.key, 3, true, f.prompt));
    EXPECT_TRUE(protectionState(f.key, 3).isProtected);
    EXPECT_EQ(protectCaption(true), "Защита данных : снять");
    for (int s = 1; s <= 3; ++s)
        EXPECT_FALSE(QFileInfo(f.ws.file(f.rel(s))).permissions() & QFileDevice::WriteOwner);
    // Protected files refuse every writer, even when running as root.
    EXPECT_FALSE(mirel::platform::writeFileAtomic(f.ws.file(f.rel(1)), "x"));

    EXPECT_FALSE(setProtection(f.key, 3, false, f.prompt));
    EXPECT_FALSE(protectionState(f.key, 3).isProtected);
    EXPECT_TRUE(mirel::platform::writeFileAtomic(f.ws.file(f.rel(1)), "x"));
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::Information, "Защита установлена !!!", ""},
                                                 {Icon::Information, "Защита снята !!!", ""}}));

    // A section that cannot be protected fails the whole protection.
    f.prompt.clear();
    QFile::remove(f.ws.file(f.rel(3)));
    EXPECT_FALSE(setProtection(f.key, 3, true, f.prompt));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Ошибка при установке защиты !!!", AttributeTitle}}));
}

TEST(Package, AllSectionsAsStoredEachFollowedByALineEnd) {
    FormFixture f;
    f.writeAll();
    f.ws.writeBytes(f.rel(2), "PR_0\r\n! 0000 101 02 25 03 1401"); // no last line end
    const auto package = dataPackage(f.key, 3, f.prompt);
    ASSERT_TRUE(package);
    EXPECT_EQ(*package, f.ws.readBytes(f.rel(1)) + "\r\n" + "PR_0\r\n! 0000 101 02 25 03 1401\r\n" +
                            f.ws.readBytes(f.rel(3)) + "\r\n");

    QFile::remove(f.ws.file(f.rel(2)));
    EXPECT_FALSE(dataPackage(f.key, 3, f.prompt));
    EXPECT_EQ(f.prompt.messages, (QList<Message>{{Icon::Error, "Отчет сформирован неполностью !!!",
                                                  "Нет раздела 02"}}));
    EXPECT_TRUE(DD_Mail(f.key, 3, f.prompt).isEmpty());
    EXPECT_TRUE(QDir(f.ws.file("TMP")).isEmpty());
}

TEST(Export, WritesThePackageWholeAndReplacesAFileOnlyWhenAllowed) {
    FormFixture f;
    f.writeAll();
    const QByteArray package = *dataPackage(f.key, 3, f.prompt);
    const QString target = f.ws.file("1401_101.txt");

    EXPECT_FALSE(DD_Export(f.key, 3, "  ", f.prompt));
    EXPECT_TRUE(DD_Export(f.key, 3, target, f.prompt));
    EXPECT_EQ(f.ws.readBytes("1401_101.txt"), package);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Не введено имя файла экспорта !!!", "ОШИБКА !!!"},
                              {Icon::Information, "Файл экспорта  записан !!!", ""}}));

    f.prompt.clear();
    f.ws.write("1401_101.txt", "чужой файл\n");
    f.prompt.answers = {false};
    EXPECT_FALSE(DD_Export(f.key, 3, target, f.prompt));
    EXPECT_EQ(f.ws.read("1401_101.txt"), "чужой файл\r\n");
    EXPECT_EQ(
        f.prompt.questions,
        (QList<Message>{{Icon::Question, "Файл уже существует :\r\n" + target + "\r\nЗаменить ?",
                         "ВНИМАНИЕ !!!"}}));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Warning, "Файл экспорта не записан !!!", target}}));

    f.prompt.clear();
    ASSERT_TRUE(mirel::platform::setReadOnly(target, true));
    EXPECT_FALSE(DD_Export(f.key, 3, target, f.prompt));
    EXPECT_EQ(f.ws.read("1401_101.txt"), "чужой файл\r\n");
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "ОШИБКА при записи файла экспорта !!!", ""}}));
}

TEST(Mail, RecipientFromMailSectionMailLineOrTheDefault) {
    RecorderPrompt p;
    using mirel::core::IniSections;
    EXPECT_EQ(E_Mail(IniSections{{"[MAIL]", {"A@B.RU", "SVOD@STAT.RU"}}}, p), "svod@stat.ru");
    EXPECT_EQ(E_Mail(IniSections{{"[MIREL_WIN]", {"MAIL OBL@STAT.RU"}}}, p), "obl@stat.ru");
    EXPECT_EQ(E_Mail(IniSections{{"[MIREL_WIN]", {"IE"}}}, p), defaultRecipient());
    EXPECT_EQ(defaultRecipient(), "svod@mirel.example");
    EXPECT_TRUE(p.questions.isEmpty());

    // An empty "[MAIL]" asks, proposing the default; a cancelled question sends nothing.
    p.inputs = {QString("  region@stat.ru "), std::nullopt};
    const IniSections empty{{"[MAIL]", {""}}, {"[MIREL_WIN]", {"MAIL OBL@STAT.RU"}}};
    EXPECT_EQ(E_Mail(empty, p), "region@stat.ru");
    EXPECT_FALSE(E_Mail(empty, p));
    EXPECT_EQ(p.questions.first(), (Message{Icon::Question, "Введите адрес : ", ""}));
}

TEST(Mail, ThePackageGoesUnderItsNameToTheMailProgram) {
    FormFixture f;
    f.writeAll();
    RecordingMailer mailer;
    EXPECT_TRUE(E__Mail("", f.key, 3, mailer, f.prompt));
    ASSERT_EQ(mailer.requests.size(), 1);
    const MailRequest& r = mailer.requests.first();
    EXPECT_EQ(r.recipient, defaultRecipient());
    EXPECT_EQ(r.subject, "Статистические данные");
    EXPECT_EQ(QFileInfo(r.attachment).fileName(), "Mirel_101_2025_03");
    EXPECT_EQ(QFileInfo(r.attachment).absolutePath().section('/', 0, -2), f.ws.file("TMP"));
    QFile attachment(r.attachment);
    ASSERT_TRUE(attachment.open(QIODevice::ReadOnly));
    EXPECT_EQ(attachment.readAll(), *dataPackage(f.key, 3, f.prompt));
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Information, "Сообщение было направлено в папку <ИСХОДЯЩИЕ>.",
                               "Загрузите Microsoft OutLook и отправьте почту !!!"}}));

    // Each failure of the mail program has its message, titled with what went wrong.
    const struct {
        MailResult::Status status;
        QString text;
    } failures[] = {
        {MailResult::Status::NotStarted, "Ошибка при запуске MicroSoft OutLook !!!"},
        {MailResult::Status::AttachFailed, "\r\nОшибка при прикреплении файла !!!"},
        {MailResult::Status::SendFailed, "Ошибка при отправке почты !!!"},
    };
    for (const auto& failure : failures) {
        f.prompt.clear();
        mailer.result = {failure.status, "причина"};
        EXPECT_FALSE(E__Mail("obl@stat.ru", f.key, 3, mailer, f.prompt));
        ASSERT_EQ(f.prompt.messages.size(), 1);
        EXPECT_EQ(f.prompt.messages.first().icon, Icon::Error);
        EXPECT_TRUE(f.prompt.messages.first().text.endsWith(failure.text));
        EXPECT_EQ(f.prompt.messages.first().title, "причина");
    }
    EXPECT_TRUE(f.prompt.messages.first().text.startsWith(mailer.requests.last().attachment) ||
                mailer.result.status != MailResult::Status::AttachFailed);
}

TEST(Mail, AnAddressAMailProgramCouldMisreadIsRefusedBeforeAnythingIsWritten) {
    FormFixture f;
    f.writeAll();
    RecordingMailer mailer;
    for (const QString& bad : {QString("--help@x.ru"), QString("a@b.ru?attach=/etc/passwd"),
                               QString("a b@c.ru"), QString("nobody")}) {
        f.prompt.clear();
        EXPECT_FALSE(E__Mail(bad, f.key, 3, mailer, f.prompt)) << bad.toStdString();
        EXPECT_EQ(f.prompt.messages,
                  (QList<Message>{{Icon::Error, "Неверный адрес электронной почты !!!", bad}}));
    }
    EXPECT_TRUE(mailer.requests.isEmpty());
    EXPECT_TRUE(QDir(f.ws.file("TMP")).isEmpty());
}
