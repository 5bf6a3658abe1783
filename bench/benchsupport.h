#pragma once

#include <optional>
#include <QDir>
#include <QString>

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

} // namespace mirel::bench
