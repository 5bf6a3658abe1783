#include "ui/settings.h"

namespace mirel::ui {

std::unique_ptr<QSettings> userSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("mirel"), QStringLiteral("mirel"));
}

} // namespace mirel::ui
