#pragma once

#include <QObject>
#include <QPointer>

#include "ui/windowprompt.h"

class QProgressBar;
class QWidget;

namespace mirel::ui {

// The prompt of a secondary window's long runs: messages and questions go to the prompt the
// window was given, progress to the window's own bar. While a run reports progress the window
// takes no input: Escape (or closing the window) asks the run to stop, every other key and
// click waits until the run is over.
class DialogPrompt : public QObject, public WindowPrompt {
    Q_OBJECT
public:
    DialogPrompt(platform::Prompt& inner, QWidget* window, QProgressBar* bar);
    ~DialogPrompt() override;

    void progressStart(int maximum) override;
    void progressEnd() override;
    bool stopRequested() override;
    bool running() const { return m_running; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    bool m_running = false;
    bool m_stop = false;
};

} // namespace mirel::ui
