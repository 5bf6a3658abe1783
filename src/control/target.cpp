#include "control/target.h"

namespace mirel::control {

double SectionCells::sum() const {
    double total = 0;
    for (int r = 1; r <= rows(); ++r)
        for (int c = 1; c <= columns(); ++c)
            total += data::cellValue(cellText(r, c));
    return total;
}

} // namespace mirel::control
