#include "ui/windowprompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace mirel::ui {
namespace {

// The bar is redrawn at most this often; the window handles its events at most this often
// when a run reports values without asking whether to stop.
constexpr qint64 ShowEveryMs = 50;
constexpr qint64 EventsEveryMs = 100;

bool isInputEvent(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

} // namespace

WindowPrompt::WindowPrompt(platform::Prompt& inner, QWidget* window, QProgressBar* bar,
                           QLabel* info, QPushButton* stop)
    : m_inner(inner)
    , m_window(window)
    , m_bar(bar)
    , m_info(info)
    , m_stop(stop) {
    if (m_stop) {
        m_stop->hide();
        connect(m_stop, &QPushButton::clicked, this, [this] { requestStop(); });
    }
}

WindowPrompt::~WindowPrompt() {
    if (m_depth > 0) qApp->removeEventFilter(this);
}

void WindowPrompt::message(const QString& text, platform::Icon icon, const QString& title) {
    beforeDrawing();
    m_inner.message(text, icon, title);
}

bool WindowPrompt::askYesNo(const QString& text, const QString& title) {
    beforeDrawing();
    return m_inner.askYesNo(text, title);
}

bool WindowPrompt::askOkCancel(const QString& text, const QString& title) {
    beforeDrawing();
    return m_inner.askOkCancel(text, title);
}

std::optional<bool> WindowPrompt::askYesNoCancel(const QString& text, const QString& title) {
    beforeDrawing();
    return m_inner.askYesNoCancel(text, title);
}

std::optional<QString> WindowPrompt::inputBox(const QString& text, const QString& title,
                                              const QString& proposal) {
    beforeDrawing();
    return m_inner.inputBox(text, title, proposal);
}

// The bar shows the outermost run; a run inside it (the places of RANG( among all regions,
// the rows of one region's table) only keeps the window handling its events.
void WindowPrompt::progressStart(int maximum) {
    if (m_depth++ == 0) {
        beginRun();
        m_maximum = maximum > 0 ? maximum : 0;
        if (m_bar) {
            m_bar->setRange(0, m_maximum);
            m_bar->setValue(0);
            m_bar->show();
        }
        m_sinceShown.start();
    }
    m_inner.progressStart(maximum);
}

void WindowPrompt::progressValue(int value) {
    // Drawing is the costly part of a run that reports every region: the value is shown when
    // the last one has been on screen long enough, and at the end.
    if (m_bar && m_depth == 1) {
        if (value >= m_maximum) {
            // The last value is drawn with the window's next events, not now: a short run ends
            // and hides the bar before, and draws nothing.
            m_bar->setUpdatesEnabled(false);
            m_bar->setValue(value);
            m_bar->setUpdatesEnabled(true);
        } else if (m_sinceShown.elapsed() >= ShowEveryMs) {
            m_bar->setValue(value);
            m_sinceShown.start();
        }
    }
    if (m_sinceEvents.elapsed() >= EventsEveryMs) handleEvents();
    m_inner.progressValue(value);
}

void WindowPrompt::progressEnd() {
    if (m_depth > 0 && --m_depth == 0) endRun();
    m_inner.progressEnd();
}

void WindowPrompt::status(const QString& text) {
    if (m_info) {
        m_info->setStyleSheet(QString());
        m_info->setText(text);
    }
    m_inner.status(text);
}

void WindowPrompt::warning(const QString& text) {
    if (m_info) {
        m_info->setStyleSheet(QStringLiteral("QLabel { color: #a00000; font-weight: bold; }"));
        m_info->setText(text);
    }
    m_inner.status(text);
}

bool WindowPrompt::stopRequested() {
    handleEvents();
    if (m_inner.stopRequested()) m_stopWanted = true;
    return m_stopWanted;
}

void WindowPrompt::requestStop() {
    if (m_depth == 0) return;
    m_stopWanted = true;
    if (m_stop) m_stop->setEnabled(false);
}

void WindowPrompt::handleEvents() {
    m_sinceEvents.start();
    beforeDrawing();
    // Input to anything but "Прервать" is held back by eventFilter while a run is going.
    QCoreApplication::processEvents();
}

void WindowPrompt::beforeDrawing() {
    if (m_beforeDrawing) m_beforeDrawing();
}

void WindowPrompt::beginRun() {
    m_stopWanted = false;
    m_sinceEvents.start();
    if (m_stop) {
        m_stop->setEnabled(true);
        m_stop->show();
        m_stop->raise();
    }
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void WindowPrompt::endRun() {
    m_stopWanted = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (m_bar) {
        m_bar->hide(); // first: a shown bar would be drawn again by reset()
        m_bar->reset();
    }
    if (m_stop) m_stop->hide();
}

bool WindowPrompt::isStopButton(QObject* object) const {
    for (QObject* o = object; o; o = o->parent())
        if (o == m_stop) return true;
    return false;
}

bool WindowPrompt::eventFilter(QObject* watched, QEvent* event) {
    if (m_depth == 0) return false;
    const QEvent::Type type = event->type();
    // A box the run shows (a message, a question) is answered as usual; the window itself may be
    // a modal dialog (the summation window), whose input is held back like any other.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && (!m_window || modal != m_window->window())) return false;
    if (type == QEvent::Close && watched == m_window) {
        requestStop();
        event->ignore();
        return true;
    }
    if (!isInputEvent(type)) return false;
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        requestStop();
        return true;
    }
    if (isStopButton(watched) && m_stop && m_stop->isEnabled()) return false;
    return true;
}

} // namespace mirel::ui
