#include "ui/workstation.h"

#include <cstdio>

namespace mirel::ui {

int runWorkstation(const QString& workspace)
{
    std::fprintf(stderr, "mirel: the window is not built yet (%s)\n", qPrintable(workspace));
    return 1;
}

} // namespace mirel::ui
