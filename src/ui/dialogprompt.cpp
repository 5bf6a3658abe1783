#include "ui/dialogprompt.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace mirel::ui {

DialogPrompt::DialogPrompt(platform::Prompt& inner, QWidget* window, QProgressBar* bar)
    : WindowPrompt(inner, bar, nullptr)
    , m_window(window) {}

DialogPrompt::~DialogPrompt() {
    if (m_running) QCoreApplication::instance()->removeEventFilter(this);
}

void DialogPrompt::progressStart(int maximum) {
    if (!m_running) QCoreApplication::instance()->installEventFilter(this);
    m_running = true;
    m_stop = false;
    WindowPrompt::progressStart(maximum);
}

void DialogPrompt::progressEnd() {
    if (m_running) QCoreApplication::instance()->removeEventFilter(this);
    m_running = false;
    WindowPrompt::progressEnd();
}

bool DialogPrompt::stopRequested() {
    // The run asks a few times a second: the window sees its keys here.
    QCoreApplication::processEvents();
    return m_stop || inner().stopRequested();
}

bool DialogPrompt::eventFilter(QObject* watched, QEvent* event) {
    if (!m_running) return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) m_stop = true;
        return true;
    case QEvent::Close:
        if (watched == m_window) {
            m_stop = true;
            event->ignore();
            return true;
        }
        break;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mirel::ui
