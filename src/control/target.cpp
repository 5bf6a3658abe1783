#include "control/target.h"

namespace mirel::control {

namespace {

// cellValue, with whole numbers of up to 15 digits (most cells) read directly.
double value(const QString& text) {
    const qsizetype n = text.size();
    if (n == 0 || n > 15) return data::cellValue(text);
    qint64 v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return data::cellValue(text);
        v = v * 10 + (c.unicode() - u'0');
    }
    return double(v);
}

} // namespace

double SectionCells::sum() const {
    double total = 0;
    const int r = rows();
    const int k = columns();
    for (int row = 1; row <= r; ++row)
        for (int column = 1; column <= k; ++column)
            total += value(cellText(row, column));
    return total;
}

} // namespace mirel::control
