#include "control/target.h"

#include "control/fastformula.h"
#include "data/datalines.h"

namespace mirel::control {

namespace {

char16_t codeOf(QChar c) {
    return c.unicode();
}
char16_t codeOf(char c) {
    return uchar(c);
}

// cellValue, with whole numbers of up to 15 digits (most cells) read directly.
template <typename Text, typename Decode>
double value(const Text& text, const Decode& decode) {
    const qsizetype n = text.size();
    if (n == 0 || n > 15) return data::cellValue(decode(text));
    qint64 v = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = codeOf(text[i]);
        if (c < u'0' || c > u'9') return data::cellValue(decode(text));
        v = v * 10 + (c - u'0');
    }
    return double(v);
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
