#pragma once

#include <optional>
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

// A browser that opens nothing.
class NoBrowser : public platform::Browser {
public:
    bool open(const QString&) override { return true; }
};

} // namespace mirel::bench
