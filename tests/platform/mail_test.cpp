#include <gtest/gtest.h>

#include <QFile>

#include "platform/mail.h"
#include "workspace.h"

using namespace mirel::platform;
using mirel::test::TempWorkspace;

namespace {

// Puts a stand-in xdg-email first on PATH for the life of the object: it writes its arguments,
// one per line, into args.txt and exits with the given status.
struct FakeXdgEmail {
    TempWorkspace ws;
    QByteArray oldPath = qgetenv("PATH");

    explicit FakeXdgEmail(int status, bool present = true) {
        if (present) {
            ws.writeBytes("bin/xdg-email",
                          "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                              ws.file("args.txt").toUtf8() + "\"\nexit " +
                              QByteArray::number(status) + "\n");
            QFile::setPermissions(ws.file("bin/xdg-email"), QFileDevice::ReadOwner |
                                                                QFileDevice::WriteOwner |
                                                                QFileDevice::ExeOwner);
        } else {
            ws.mkdir("bin");
        }
        qputenv("PATH", ws.file("bin").toLocal8Bit());
    }
    ~FakeXdgEmail() { qputenv("PATH", oldPath); }
};

} // namespace

TEST(XdgEmail, TheRequestIsPassedAsAnArgumentListAndTheStatusSaysWhatHappened) {
    const MailRequest request{"svod@stat.ru", "Статистические данные",
                              "/tmp/a b/Mirel_101_2025_03"};
    EXPECT_EQ(XdgEmail::arguments(request),
              (QStringList{"--utf8", "--subject", "Статистические данные", "--attach",
                           "/tmp/a b/Mirel_101_2025_03", "svod@stat.ru"}));
    {
        FakeXdgEmail fake(0);
        XdgEmail mailer;
        EXPECT_TRUE(mailer.send(request).sent());
        const QByteArray args = fake.ws.readBytes("args.txt");
        EXPECT_EQ(QString::fromUtf8(args), "--utf8\n--subject\nСтатистические данные\n--attach\n"
                                           "/tmp/a b/Mirel_101_2025_03\nsvod@stat.ru\n");
    }
    const struct {
        int status;
        MailResult::Status result;
    } statuses[] = {{2, MailResult::Status::AttachFailed},
                    {3, MailResult::Status::NotStarted},
                    {4, MailResult::Status::SendFailed},
                    {5, MailResult::Status::AttachFailed}};
    for (const auto& s : statuses) {
        FakeXdgEmail fake(s.status);
        XdgEmail mailer;
        const MailResult r = mailer.send(request);
        EXPECT_EQ(r.status, s.result) << s.status;
        EXPECT_FALSE(r.detail.isEmpty());
    }
    EXPECT_EQ(XdgEmail::resultOf(3).detail, "Не найдена почтовая программа (xdg-email, код 3)");

    FakeXdgEmail missing(0, false);
    XdgEmail mailer;
    const MailResult r = mailer.send(request);
    EXPECT_EQ(r.status, MailResult::Status::NotStarted);
    EXPECT_EQ(r.detail, "Не найдена программа xdg-email (пакет xdg-utils)");
}

TEST(XdgEmail, OnlyPlainAddressesAreHandedOver) {
    for (const char* good : {"svod@stat.ru", "a.b-c_d+e@mail.krasnopol-stat.example", "X1@Y.RU"})
        EXPECT_TRUE(isMailAddress(good)) << good;
    for (const char* bad : {"", "svod", "-x@y.ru", "a@b.ru?subject=x", "a@b.ru&attach=/etc/passwd",
                            "a b@c.ru", "a@-b.ru", "a@b..ru", "mailto:a@b.ru", "a@b.ru\n"})
        EXPECT_FALSE(isMailAddress(bad)) << bad;
}
