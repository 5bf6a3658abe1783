#pragma once

#include <memory>
#include <QDate>
#include <QString>

#include "platform/prompt.h"

namespace mirel::ui {

class Frm_mirel;

// Loads the main window on the workspace and shows it. nullptr when start-up failed: its
// message was shown through the prompt and no window opens. Needs a QApplication.
std::unique_ptr<Frm_mirel> openWorkstation(const QString& workspace, platform::Prompt& prompt,
                                           platform::Browser& browser, const QDate& today);

// Opens the workstation window and runs until it is closed. Returns the exit status: 1 when
// start-up failed (the window never opened), else that of the event loop.
int runWorkstation(const QString& workspace, platform::Prompt& prompt, platform::Browser& browser,
                   const QDate& today);
// The same with message boxes and the desktop browser, today's date.
int runWorkstation(const QString& workspace);

} // namespace mirel::ui
