#pragma once

#include <chrono>
#include <fcntl.h>
#include <optional>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/prompt.h"

namespace mirel::bench {

// A prompt that counts messages and says yes to every question, so benchmarks never block.
class QuietPrompt : public platform::Prompt {
public:
    void message(const QString&, platform::Icon = platform::Icon::None,
                 const QString& = QString()) override {
        ++messages;
    }
    bool askYesNo(const QString&, const QString& = QString()) override { return true; }
    bool askOkCancel(const QString&, const QString& = QString()) override { return true; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString& p) override {
        return p;
    }
    int messages = 0;
};

// The folder of a benchmark's workspace: in memory when /dev/shm exists, so that the disk's
// flushes and its allocation of new files do not hide the program's own time, unless
// MIREL_BENCH_DIR names another (to see the disk's).
inline QString benchFolder() {
    const QString asked = qEnvironmentVariable("MIREL_BENCH_DIR");
    if (!asked.isEmpty()) return asked;
    return QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

// A browser that opens nothing.
class NoBrowser : public platform::Browser {
public:
    bool open(const QString&) override { return true; }
};

// Runs a program as the user starts it, its output and messages sent to /dev/null, and waits
// for it. Seconds of wall time; a negative value when it could not run or did not exit with 0.
inline double runProgram(const char* program, const QStringList& arguments) {
    std::vector<QByteArray> bytes{QByteArray(program)};
    for (const QString& a : arguments)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    const bool ok = ::posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ) == 0 &&
                    ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return ok ? seconds : -1;
}

} // namespace mirel::bench
