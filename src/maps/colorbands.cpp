#include "maps/colorbands.h"

#include "core/files.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/graphics.h"

namespace mirel::maps {

QStringList defaultColorLines() {
    return {QStringLiteral("0 0.33 10"), QStringLiteral("0.33 0.66 7"),
            QStringLiteral("0.66 1 12")};
}

QString F_DD_Diap(const QString& text, QString& rest) {
    qsizetype n = 0;
    while (n < text.size() && (core::isDigit(text.at(n)) || text.at(n) == QLatin1Char('.') ||
                               text.at(n) == QLatin1Char(',')))
        ++n;
    const QString number = text.left(n);
    rest = text.mid(n); // rest may be the text itself
    return number;
}

void F_Rest_Number(QString& text) {
    qsizetype n = 0;
    while (n < text.size() && !core::isDigit(text.at(n)))
        ++n;
    text = text.mid(n);
}

namespace {

// A fraction of colors.inf: its leading number, "," read as ".".
double fraction(QString text) {
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return core::Val(text);
}

} // namespace

void F_A_Colors_(QList<ColorBand>& bands, const QStringList& lines) {
    bands.clear();
    for (const QString& line : lines) {
        QString rest;
        const QString lower = F_DD_Diap(line, rest);
        F_Rest_Number(rest);
        const QString upper = F_DD_Diap(rest, rest);
        F_Rest_Number(rest);
        if (lower.isEmpty() || upper.isEmpty() || rest.isEmpty()) continue;
        // The colour is the whole part of the number that starts the rest.
        QString digits;
        for (QChar c : rest) {
            if (!core::isDigit(c)) break;
            digits.append(c);
        }
        const int color = digits.size() <= 9 ? digits.toInt() : -1;
        if (!platform::isStandardColor(color)) continue;
        bands.append(ColorBand{fraction(lower), fraction(upper), color});
    }
}

bool F_A_Colors(const QString& mapDir, QList<ColorBand>& bands, platform::Prompt& prompt) {
    const QString path = mapDir + QLatin1Char('/') + ColorsFileName;
    if (!platform::fileExists(path)) {
        const QString text = defaultColorLines().join(core::CRLF) + core::CRLF;
        if (core::Write_Text_File(path, text, prompt) != 0) return true;
    }
    F_A_Colors_(bands, core::Read_Lines_Upper(path, false, prompt));
    return false;
}

QList<ColorBand> readColorBands(const QString& mapDir) {
    bool exists = false;
    const QString text = core::readText(mapDir + QLatin1Char('/') + ColorsFileName, &exists);
    QList<ColorBand> bands;
    F_A_Colors_(bands, exists ? core::Split_Lines(text) : defaultColorLines());
    return bands;
}

QList<ValueBand> F_A_Diap(const QList<ColorBand>& bands, double maximum, double minimum) {
    const double span = maximum - minimum;
    auto at = [&](double f) {
        if (f == 0) return minimum;
        if (f == 1) return maximum;
        return minimum + f * span;
    };
    QList<ValueBand> list;
    for (const ColorBand& band : bands)
        list.append(ValueBand{at(band.lower), at(band.upper), band.color});
    return list;
}

bool mapValue(const QString& text, double& value) {
    if (!core::IsNumeric(text)) return false;
    QString t = core::Trim(text);
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = t.toDouble(&ok);
    return ok;
}

int F_Color(const QList<ValueBand>& list, const QString& value, double oneThird, double twoThirds) {
    if (value.startsWith(QLatin1Char('*'))) return 15;
    double v = 0;
    if (!mapValue(value, v)) v = core::Val(value);
    if (list.size() >= 2) {
        for (const ValueBand& band : list)
            if (band.low <= v && v <= band.high) return band.color;
        return 0;
    }
    if (v < oneThird) return 10;
    if (v < twoThirds) return 7;
    return 12;
}

QList<ValueBand> effectiveBands(const QList<ValueBand>& list, double minimum, double maximum) {
    if (list.size() >= 2) return list;
    const double span = maximum - minimum;
    const double oneThird = minimum + span / 3;
    const double twoThirds = minimum + span * 2 / 3;
    return {ValueBand{minimum, oneThird, 10}, ValueBand{oneThird, twoThirds, 7},
            ValueBand{twoThirds, maximum, 12}};
}

} // namespace mirel::maps
