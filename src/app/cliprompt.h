#pragma once

#include <QStringList>

#include "platform/prompt.h"

namespace mirel::app {

// The prompt of the commands: every message is one line on stderr ("error: TEXT [TITLE]",
// "info: ...", "warning: ..."; line breaks inside a text become " / "); questions are answered
// by the --yes flag, input boxes are cancelled. While a long job reports progress, Ctrl-C asks
// it to stop at its next step (a second Ctrl-C ends the program at once).
class CliPrompt : public platform::Prompt {
public:
    explicit CliPrompt(bool yes = false)
        : m_yes(yes) {}

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    bool askOkCancel(const QString& text, const QString& title = QString()) override;
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override;
    void progressStart(int maximum) override;
    void progressEnd() override;
    bool stopRequested() override;

    int errorCount() const { return m_errors; }

private:
    bool m_yes = false;
    int m_errors = 0;
    int m_runs = 0; // long jobs in progress (a job may run another)
    void (*m_previous)(int) = nullptr;
};

// The line CliPrompt writes for a message (without the line end).
QString messageLine(const QString& text, platform::Icon icon, const QString& title);

// Browser hand-off of the commands: the page is not opened; its path is kept for the command
// to print.
class CliBrowser : public platform::Browser {
public:
    bool open(const QString& path) override {
        opened.append(path);
        return true;
    }
    QStringList opened;
};

} // namespace mirel::app
