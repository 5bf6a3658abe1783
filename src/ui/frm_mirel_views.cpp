#include "ui/frm_mirel.h"

namespace mirel::ui {

// The views of the main window are created here, one line each, once the controls and menus
// exist; they are children of the window and connect their menu items with connectAction().
void Frm_mirel::createViews() {}

} // namespace mirel::ui
