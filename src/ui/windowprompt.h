#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "platform/prompt.h"

class QLabel;
class QProgressBar;

namespace mirel::ui {

// The prompt the main window hands to everything it runs: messages and questions go to the
// prompt the window was given (message boxes, or a recorder in tests); progress and status
// texts are shown on the window's Progress_Bar and Lbl_Info and passed on as well.
class WindowPrompt : public platform::Prompt {
public:
    WindowPrompt(platform::Prompt& inner, QProgressBar* bar, QLabel* info);

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    bool askOkCancel(const QString& text, const QString& title = QString()) override;
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override;
    void progressStart(int maximum) override;
    void progressValue(int value) override;
    void progressEnd() override;
    void status(const QString& text) override;

    platform::Prompt& inner() { return m_inner; }

private:
    platform::Prompt& m_inner;
    QPointer<QProgressBar> m_bar;
    QPointer<QLabel> m_info;
    QElapsedTimer m_sinceEvents;
};

} // namespace mirel::ui
