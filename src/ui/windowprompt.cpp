#include "ui/windowprompt.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace mirel::ui {

WindowPrompt::WindowPrompt(platform::Prompt& inner, QProgressBar* bar, QLabel* info)
    : m_inner(inner)
    , m_bar(bar)
    , m_info(info) {}

void WindowPrompt::message(const QString& text, platform::Icon icon, const QString& title) {
    m_inner.message(text, icon, title);
}

bool WindowPrompt::askYesNo(const QString& text, const QString& title) {
    return m_inner.askYesNo(text, title);
}

bool WindowPrompt::askOkCancel(const QString& text, const QString& title) {
    return m_inner.askOkCancel(text, title);
}

std::optional<QString> WindowPrompt::inputBox(const QString& text, const QString& title,
                                              const QString& proposal) {
    return m_inner.inputBox(text, title, proposal);
}

// Long runs happen inside one event handler: the bar and the label are repainted at once,
// and a few times a second the window handles its paint events (never the person's input), so
// it does not freeze white while a long computation runs.
void WindowPrompt::progressStart(int maximum) {
    if (m_bar) {
        m_bar->setRange(0, maximum > 0 ? maximum : 0);
        m_bar->setValue(0);
        m_bar->show();
        m_bar->repaint();
    }
    m_inner.progressStart(maximum);
}

void WindowPrompt::progressValue(int value) {
    if (m_bar) {
        m_bar->setValue(value);
        m_bar->repaint();
    }
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= 100) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_sinceEvents.start();
    }
    m_inner.progressValue(value);
}

void WindowPrompt::progressEnd() {
    if (m_bar) {
        m_bar->reset();
        m_bar->hide();
    }
    m_inner.progressEnd();
}

void WindowPrompt::status(const QString& text) {
    if (m_info) {
        m_info->setText(text);
        m_info->repaint();
    }
    m_inner.status(text);
}

} // namespace mirel::ui
