#pragma once

#include <memory>
#include <QDate>
#include <QString>

class QTranslator;

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
// The same with message boxes and the desktop browser, today's date; the program's icon and
// Qt's Russian translations (standard buttons and dialogs) are installed first.
int runWorkstation(const QString& workspace);

// Loads Qt's own Russian translations ("qtbase_ru") from Qt's translations folder, else from
// the translations folder beside an installed program. The translator installed, or nullptr
// when none was found.
QTranslator* installTranslations();

// A start-up failure of the window told in a box as well as on stderr, for a program started
// from a desktop launcher (no box on the offscreen and minimal platforms). Needs a
// QApplication.
void showStartupFailure(const QString& text);

} // namespace mirel::ui
