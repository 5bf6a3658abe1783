#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace mirel::platform {
class Prompt;
}

namespace mirel::maps {

// The colour bands of a map, "colors.inf" in the MAP folder: one band per line, lower and
// upper fraction of the value span (0 the smallest value shown, 1 the largest) and the number
// of a standard colour. A line is read as: the leading run of digits, "." and ","; everything
// up to the next digit skipped; the second number likewise; the rest from the next digit on
// is the colour number. Lines that do not give all three parts, or whose colour is not one of
// the 16 standard colours, are not bands.
inline const QString ColorsFileName = QStringLiteral("colors.inf");

struct ColorBand {
    double lower = 0;
    double upper = 0;
    int color = 0;
};

// A band in values (F_A_Diap): low and high of the band and its colour number.
struct ValueBand {
    double low = 0;
    double high = 0;
    int color = 0;
    bool operator==(const ValueBand&) const = default;
};

// The three bands written when "colors.inf" is missing.
QStringList defaultColorLines();

// F_DD_Diap: the leading run of digits, "." and "," of the text; rest gets what follows it.
QString F_DD_Diap(const QString& text, QString& rest);
// F_Rest_Number: cuts the text at its next digit (everything before it goes).
void F_Rest_Number(QString& text);
// F_A_Colors_: the bands of the lines, in line order.
void F_A_Colors_(QList<ColorBand>& bands, const QStringList& lines);
// F_A_Colors: reads "colors.inf" of the MAP folder, writing it first with the default bands
// when it is missing. True on failure (the write message shown).
bool F_A_Colors(const QString& mapDir, QList<ColorBand>& bands, platform::Prompt& prompt);
// The bands of the folder's "colors.inf" without writing anything: the default bands when
// the file is missing.
QList<ColorBand> readColorBands(const QString& mapDir);

// F_A_Diap: each band as values, low = minimum + lower * span, high = minimum + upper * span.
// The fractions 0 and 1 give the minimum and the maximum exactly, so that the smallest and the
// largest value always fall inside their bands.
QList<ValueBand> F_A_Diap(const QList<ColorBand>& bands, double maximum, double minimum);

// The number of a value text: "," or "." as decimal separator; false for anything else.
bool mapValue(const QString& text, double& value);

// F_Color: the colour number of a value. A value beginning with "*" gets 15. With at least two
// bands, the colour of the first band (in file order) with low <= value <= high, 0 when none
// holds it. With fewer, three equal bands: below oneThird 10, below twoThirds 7, else 12
// (oneThird and twoThirds are the minimum plus one and two thirds of the span).
int F_Color(const QList<ValueBand>& list, const QString& value, double oneThird, double twoThirds);

// The bands a map uses for a span: the bands of the list when there are at least two, else
// the three equal bands of F_Color.
QList<ValueBand> effectiveBands(const QList<ValueBand>& list, double minimum, double maximum);

} // namespace mirel::maps
