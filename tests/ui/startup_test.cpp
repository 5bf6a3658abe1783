#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTimer>

#include "ui/frm_mirel.h"
#include "ui/workstation.h"
#include "uitest.h"

using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::test::writeStartableWorkspace;

namespace {

const QDate Today(2002, 1, 15);
const Message Configurator{Icon::None, "Ошибка при формировании конфигуратора системы !!!", ""};

// Start-up on the workspace: the window, or nullptr with the messages in the prompt.
std::unique_ptr<mirel::ui::Frm_mirel> start(const QString& workspace, RecorderPrompt& prompt) {
    static RecorderBrowser browser;
    return mirel::ui::openWorkstation(workspace, prompt, browser, Today);
}

bool anyWindowVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) return true;
    return false;
}

} // namespace

TEST(StartUp, OpensTheWindowAndWritesAMissingConfiguration) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, "t\n");
    QFile::remove(ws.file("MIREL_WIN.INI"));
    RecorderPrompt prompt;
    auto window = start(ws.path(), prompt);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.texts().join('|').toStdString();
    EXPECT_TRUE(ws.read("MIREL_WIN.INI").startsWith("параметры ввода:\r\n"));
    // 15 January 2002: the previous month.
    EXPECT_EQ(window->controls().Txt_Date[0]->text(), "2001");
    EXPECT_EQ(window->controls().Txt_Date[1]->text(), "12");
    // Default preamble, "отчет" in [MIREL_WIN]: data-loading and reports are offered.
    EXPECT_TRUE(window->controls().menu_VV_All->isVisible());
    EXPECT_TRUE(window->controls().mnu_Otchet->isVisible());
    window->close();
}

TEST(StartUp, AConfigurationOfOneLineStopsWithTheConfiguratorMessage) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, "[MIREL_WIN]\n");
    RecorderPrompt prompt;
    EXPECT_EQ(start(ws.path(), prompt), nullptr);
    EXPECT_EQ(prompt.messages, QList<Message>{Configurator});
    EXPECT_FALSE(anyWindowVisible());
    EXPECT_TRUE(ws.readBytes("MIREL_WIN.INI") == QByteArray("[MIREL_WIN]\r\n"));
}

TEST(StartUp, ABinaryConfigurationStopsWithTheConfiguratorMessage) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, "t\n");
    QByteArray garbage;
    QRandomGenerator random(1251);
    for (int i = 0; i < 4096; ++i)
        garbage.append(char(random.bounded(256)));
    garbage.append("\r\n[MIREL_WIN]\r\nYYYY= 2003\r\nMM= 4\r\n");
    ws.writeBytes("MIREL_WIN.INI", garbage);
    // The same text saved as UTF-16 by a Windows editor.
    TempWorkspace utf16;
    writeStartableWorkspace(utf16, "t\n");
    const QString text = QStringLiteral("Тест\r\n[MIREL_WIN]\r\nYYYY= 2003\r\nMM= 4\r\n");
    utf16.writeBytes("MIREL_WIN.INI",
                     QByteArray("\xff\xfe") +
                         QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    for (const TempWorkspace* w : {&ws, &utf16}) {
        const QByteArray before = w->readBytes("MIREL_WIN.INI");
        RecorderPrompt prompt;
        EXPECT_EQ(start(w->path(), prompt), nullptr);
        EXPECT_EQ(prompt.messages, QList<Message>{Configurator});
        EXPECT_TRUE(w->readBytes("MIREL_WIN.INI") == before);
        EXPECT_FALSE(w->exists("DAT"));
    }
}

TEST(StartUp, AWindowsDrivePathStopsWithTheDirectoryMessage) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, "t\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n[DIR_DAT]\nC:\\Mirel\\Dat\n");
    RecorderPrompt prompt;
    EXPECT_EQ(start(ws.path(), prompt), nullptr);
    const Message expected{Icon::None, "C:\\MIREL\\DAT\r\nERROR N=76\r\nПуть не найден", ""};
    EXPECT_EQ(prompt.messages, QList<Message>{expected});
    EXPECT_FALSE(ws.exists("C:"));
    EXPECT_FALSE(anyWindowVisible());
}

TEST(StartUp, AFolderThatCannotBeCreatedStopsWithTheDirectoryMessage) {
    {
        TempWorkspace ws;
        writeStartableWorkspace(ws, "t\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
        ws.write("MAP", "a file in the way");
        RecorderPrompt prompt;
        EXPECT_EQ(start(ws.path(), prompt), nullptr);
        const Message expected{Icon::None, ws.path() + "/MAP\r\nERROR N=58\r\nФайл уже существует",
                               ""};
        EXPECT_EQ(prompt.messages, QList<Message>{expected});
        EXPECT_EQ(ws.read("MAP"), "a file in the way");
    }
    if (!QFileInfo(QStringLiteral("/sys")).isDir()) GTEST_SKIP() << "no /sys to refuse a folder";
    // A place where nobody may create a folder, root included.
    TempWorkspace ws;
    writeStartableWorkspace(ws, "t\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n[DIR_SHIF]\n/sys/MIREL_SHIF\n");
    RecorderPrompt prompt;
    EXPECT_EQ(start(ws.path(), prompt), nullptr);
    const Message expected{Icon::None, "/sys/MIREL_SHIF\r\nERROR N=70\r\nОтказано в разрешении",
                           ""};
    EXPECT_EQ(prompt.messages, QList<Message>{expected});
}

TEST(StartUp, AWorkspaceThatCannotBeWrittenStopsWithItsMessages) {
    if (!QFileInfo(QStringLiteral("/sys")).isDir())
        GTEST_SKIP() << "no /sys to stand for a read-only disk";
    // Nothing can be written into /sys, not even by root: a workspace on a read-only disk.
    RecorderPrompt prompt;
    EXPECT_EQ(start(QStringLiteral("/sys"), prompt), nullptr);
    EXPECT_EQ(
        prompt.messages,
        (QList<Message>{{Icon::Error, "Ошибка при записи информации !!!", "/sys/MIREL_WIN.INI"},
                        {Icon::None, "Файл отсутствует : /sys/MIREL_WIN.INI", ""},
                        Configurator}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/sys/MIREL_WIN.INI")));
}

TEST(StartUp, TheProgramEndsWithStatusOneWhenStartUpFailsAndZeroAfterExit) {
    TempWorkspace ws;
    writeStartableWorkspace(ws, "[MIREL_WIN]\n");
    RecorderPrompt prompt;
    RecorderBrowser browser;
    EXPECT_EQ(mirel::ui::runWorkstation(ws.path(), prompt, browser, Today), 1);
    EXPECT_EQ(prompt.messages, QList<Message>{Configurator});

    writeStartableWorkspace(ws, "t\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    prompt.clear();
    // "Выход" once the window runs.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<mirel::ui::Frm_mirel*>(w))
                window->controls().mnu_exit->trigger();
    });
    EXPECT_EQ(mirel::ui::runWorkstation(ws.path(), prompt, browser, Today), 0);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_FALSE(anyWindowVisible());
}
