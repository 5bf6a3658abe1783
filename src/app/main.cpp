#include <csignal>
#include <cstdio>
#include <memory>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTextStream>

#include "app/commands.h"
#include "app/treepictures.h"
#include "core/config.h"
#include "platform/memory.h"
#include "ui/workstation.h"

using namespace mirel;

namespace {

void printHelp() {
    QString text = QStringLiteral(
        "Мирель: workstation for regional statistical reporting.\n\n"
        "usage: mirel [--workspace DIR]                open the workstation window\n"
        "       mirel COMMAND [--workspace DIR] [--period YYYYMM] [--yes] [ARGS...]\n\n"
        "The workspace holds MIREL_WIN.INI and the data folders. Without --workspace: the\n"
        "folder of the program when it holds MIREL_WIN.INI, else the per-user data folder.\n"
        "--period overrides the reporting period of MIREL_WIN.INI (the file is not changed).\n"
        "--yes answers the questions of a command with yes.\n\n"
        "commands:\n");
    for (const app::Command& c : app::commands()) {
        const QString head =
            c.name + (c.synopsis.isEmpty() ? QString() : QLatin1Char(' ') + c.synopsis);
        // A synopsis wider than its column puts the summary on a line of its own.
        const QString gap = head.size() < 44 ? QString(45 - head.size(), QLatin1Char(' '))
                                             : QLatin1Char('\n') + QString(47, QLatin1Char(' '));
        text += QStringLiteral("  ") + head + gap + c.summary + QLatin1Char('\n');
    }
    std::fputs(text.toUtf8().constData(), stdout);
}

// The workspace: the option, else the program's folder when it holds the configuration, else
// the per-user data folder. Never the current directory by accident.
QString chooseWorkspace(const QString& option, const QString& programDir) {
    if (!option.isEmpty()) return QDir::cleanPath(QDir(option).absolutePath());
    if (QFileInfo::exists(programDir + QLatin1Char('/') + core::IniFileName)) return programDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

// A window system a person looks at, to show a box on (QApplication ends the program without
// one; nobody sees the offscreen and minimal platforms).
bool hasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal")) return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !platform.isEmpty();
}

int fail(const char* text) {
    std::fprintf(stderr, "mirel: %s\n", text);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemory();
    // A write beyond the file-size limit then fails with an error the writer reports, instead
    // of ending the program in the middle of a job.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

    QString workspaceOption;
    QString period;
    bool yes = false;
    bool help = false;
    QString commandName;
    QStringList commandArgs;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--workspace") || a == QLatin1String("--period")) {
            if (i + 1 >= args.size()) return fail("option needs a value (see mirel --help)");
            (a == QLatin1String("--workspace") ? workspaceOption : period) = args.at(++i);
        } else if (a == QLatin1String("--yes")) {
            yes = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
        } else if (commandName.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            commandName = a;
        } else {
            commandArgs.append(a);
        }
    }
    if (help) {
        printHelp();
        return 0;
    }
    if (!period.isEmpty() &&
        (period.size() != 6 || !period.at(0).isDigit() || period.toInt() <= 0 ||
         period.mid(4).toInt() < 1 || period.mid(4).toInt() > 12))
        return fail("--period takes YYYYMM, for example 200112");

    if (commandName.isEmpty()) {
        if (!commandArgs.isEmpty()) return fail("unknown option (see mirel --help)");
        if (!period.isEmpty() || yes)
            return fail("--period and --yes belong to the commands; the window takes its period "
                        "from MIREL_WIN.INI (see mirel --help)");
        // Checked before the display is opened: a mistyped folder needs no window system. A
        // program started from a desktop launcher has no terminal: a box tells as well.
        if (!workspaceOption.isEmpty() && !QFileInfo(workspaceOption).isDir()) {
            const int status = fail("the workspace folder does not exist");
            if (hasDisplay()) {
                QApplication app(argc, argv);
                ui::showStartupFailure(QStringLiteral("Папка рабочего места не найдена:\n") +
                                       QDir::cleanPath(QDir(workspaceOption).absolutePath()));
            }
            return status;
        }
        QApplication app(argc, argv);
        const QString programDir = QCoreApplication::applicationDirPath();
        const QString workspace = chooseWorkspace(workspaceOption, programDir);
        if (!QFileInfo(workspace).isDir()) return fail("the workspace folder does not exist");
        // The tree's pictures come with the program; a workspace that cannot take them shows
        // the tree without pictures, with the tree's own message.
        app::writeTreePictures(workspace);
        return ui::runWorkstation(workspace);
    }

    const app::Command* command = nullptr;
    for (const app::Command& c : app::commands())
        if (c.name == commandName) command = &c;
    if (!command) {
        std::fprintf(stderr, "mirel: unknown command '%s' (see mirel --help)\n",
                     commandName.toUtf8().constData());
        return 2;
    }
    // A command that draws needs fonts, never a display: it opens no window.
    std::unique_ptr<QCoreApplication> application;
    if (command->drawsPictures) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The platform's own notes (a missing runtime folder, font fallbacks) are not messages
        // of the command: stderr carries only those.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "mirel: %s\n", text.toUtf8().constData());
        });
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    const QString workspace =
        chooseWorkspace(workspaceOption, QCoreApplication::applicationDirPath());
    if (!QFileInfo(workspace).isDir()) return fail("the workspace folder does not exist");

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    app::CliPrompt prompt(yes);
    app::CliBrowser browser;
    app::CommandContext ctx{workspace, period, commandArgs, prompt, browser, out};
    const int status = command->run(ctx);
    out.flush();
    if (ctx.usageError) return app::usage(*command);
    // Printed output is a result too: a full disk or a closed pipe fails the command.
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "mirel: the output could not be written\n");
        return 1;
    }
    return status;
}
