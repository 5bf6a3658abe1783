#pragma once

#include <QString>

namespace mirel::ui {

// Opens the workstation window on the workspace and runs until it is closed. Needs a
// QApplication. Returns the exit status: non-zero when start-up failed.
int runWorkstation(const QString& workspace);

} // namespace mirel::ui
