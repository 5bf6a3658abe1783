#include "control/target.h"

#include <algorithm>
#include <limits>

#include "control/fastformula.h"
#include "data/datalines.h"

namespace mirel::control {

namespace {

// cellValue, with whole numbers of up to 15 digits (most cells) read directly.
template <typename Text, typename Decode>
double value(const Text& text, const Decode& decode) {
    if (const std::optional<double> whole = wholeDigitsValue(text)) return *whole;
    return data::cellValue(decode(text));
}

} // namespace

double summedValue(const QString& text) {
    return value(QStringView(text), [](QStringView t) { return t.toString(); });
}

double summedValue(QByteArrayView bytes) {
    return value(bytes, [](QByteArrayView b) { return data::text1251(b); });
}

std::optional<double> SectionCells::plainValue(int row, int column) const {
    return fastCellValue(cellText(row, column));
}

void SectionCells::plainValues(std::vector<double>& values) const {
    const int r = std::max(rows(), 0);
    const int k = std::max(columns(), 0);
    values.clear();
    values.reserve(size_t(r) * size_t(k));
    for (int row = 1; row <= r; ++row)
        for (int column = 1; column <= k; ++column)
            values.push_back(
                plainValue(row, column).value_or(std::numeric_limits<double>::quiet_NaN()));
}

double SectionCells::sum() const {
    double total = 0;
    const int r = rows();
    const int k = columns();
    for (int row = 1; row <= r; ++row)
        for (int column = 1; column <= k; ++column)
            total += summedValue(cellText(row, column));
    return total;
}

} // namespace mirel::control
