#include "ui/workstation.h"

#include <QApplication>
#include <QFont>

#include "ui/frm_mirel.h"
#include "ui/messageboxprompt.h"

namespace mirel::ui {

std::unique_ptr<Frm_mirel> openWorkstation(const QString& workspace, platform::Prompt& prompt,
                                           platform::Browser& browser, const QDate& today) {
    // A message box closed during start-up is the only window so far: it must not end the
    // program.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    auto window = std::make_unique<Frm_mirel>(workspace, prompt, browser);
    const int status = window->load(today);
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
    if (status != 0) return nullptr;
    window->show();
    return window;
}

int runWorkstation(const QString& workspace, platform::Prompt& prompt, platform::Browser& browser,
                   const QDate& today) {
    const std::unique_ptr<Frm_mirel> window = openWorkstation(workspace, prompt, browser, today);
    if (!window) return 1;
    if (auto* boxes = dynamic_cast<MessageBoxPrompt*>(&prompt))
        boxes->setParentWidget(window.get());
    return QApplication::exec();
}

int runWorkstation(const QString& workspace) {
    // Grids of figures are read for hours: no smaller than 10 points.
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0 && font.pointSizeF() < 10) {
        font.setPointSizeF(10);
        QApplication::setFont(font);
    }
    MessageBoxPrompt prompt;
    DesktopBrowser browser;
    return runWorkstation(workspace, prompt, browser, QDate::currentDate());
}

} // namespace mirel::ui
