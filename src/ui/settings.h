#pragma once

#include <memory>
#include <QSettings>

namespace mirel::ui {

// What the person sets up in the windows and the system does not keep in its own files (the
// editor's font and colours, the result grid's column widths, the query folders left open):
// kept per user in ~/.config/mirel/mirel.conf.
std::unique_ptr<QSettings> userSettings();

} // namespace mirel::ui
