#pragma once

#include <functional>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include "platform/prompt.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace mirel::ui {

// The prompt the main window hands to everything it runs: messages and questions go to the
// prompt the window was given (message boxes, or a recorder in tests); progress and status
// texts are shown on the window's Progress_Bar and Lbl_Info and passed on as well.
//
// While a long run reports progress the window stays responsive but starts nothing else: the
// person's input is held back from every control but the "Прервать" button beside the bar
// (and a message box the run itself shows); "Прервать", Escape or closing the window asks the
// run to stop, which it learns from stopRequested(). The bar is redrawn at most every 50 ms.
class WindowPrompt : public QObject, public platform::Prompt {
    Q_OBJECT
public:
    WindowPrompt(platform::Prompt& inner, QWidget* window, QProgressBar* bar, QLabel* info,
                 QPushButton* stop);
    ~WindowPrompt() override;

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    bool askOkCancel(const QString& text, const QString& title = QString()) override;
    std::optional<bool> askYesNoCancel(const QString& text,
                                       const QString& title = QString()) override;
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override;
    void progressStart(int maximum) override;
    void progressValue(int value) override;
    void progressEnd() override;
    void status(const QString& text) override;
    // Handles the window's pending events, then tells whether the person asked to stop (here,
    // or through the prompt the window was given).
    bool stopRequested() override;

    // A warning in the status strip, not a box: it stays until the next status text.
    void warning(const QString& text);
    // True while a long run reports progress.
    bool busy() const { return m_depth > 0; }
    // "Прервать": the run in progress stops at its next step.
    void requestStop();

    platform::Prompt& inner() { return m_inner; }

    // Called before the window may be drawn while it works (its events handled, a box shown):
    // a view that a run changes at every step shows its latest state then, instead of being
    // laid out again at each step. Empty: nothing is called.
    void setBeforeDrawing(std::function<void()> hook) { m_beforeDrawing = std::move(hook); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handleEvents();
    void beforeDrawing();
    void beginRun();
    void endRun();
    bool isStopButton(QObject* object) const;

    platform::Prompt& m_inner;
    QPointer<QWidget> m_window;
    QPointer<QProgressBar> m_bar;
    QPointer<QLabel> m_info;
    QPointer<QPushButton> m_stop;
    int m_depth = 0;
    bool m_stopWanted = false;
    int m_maximum = 0;
    QElapsedTimer m_sinceShown;
    QElapsedTimer m_sinceEvents;
    std::function<void()> m_beforeDrawing;
};

} // namespace mirel::ui
