#include <gtest/gtest.h>

#include <QFile>

#include "maps/colorbands.h"
#include "recorderprompt.h"
#include "workspace.h"

using namespace mirel::maps;
using mirel::test::cp1251;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

QList<ColorBand> bandsOf(const QStringList& lines) {
    QList<ColorBand> bands;
    F_A_Colors_(bands, lines);
    return bands;
}

QString band(const ColorBand& b) {
    return QStringLiteral("%1 %2 %3").arg(b.lower).arg(b.upper).arg(b.color);
}

// The default bands over a span, and the colour of a value with them.
int colorOf(const QString& value, double minimum, double maximum,
            const QStringList& lines = defaultColorLines()) {
    const QList<ValueBand> list = F_A_Diap(bandsOf(lines), maximum, minimum);
    const double span = maximum - minimum;
    return F_Color(list, value, minimum + span / 3, minimum + span * 2 / 3);
}

} // namespace

TEST(ColorBands, LinesAreReadAsTwoNumbersAndAColour) {
    QString rest;
    EXPECT_EQ(F_DD_Diap("0,33 - 0.66 x7", rest), "0,33");
    EXPECT_EQ(rest, " - 0.66 x7");
    F_Rest_Number(rest);
    EXPECT_EQ(rest, "0.66 x7");
    rest = "no digits";
    F_Rest_Number(rest);
    EXPECT_EQ(rest, "");

    const QList<ColorBand> bands = bandsOf({
        "0 0.33 10",           // the usual form
        "0,33;0,66 = 7",       // commas and any separators
        "0.66 1 12 15",        // the colour is the number that follows; the rest is ignored
        "0.5 0.7 09.9",        // the whole part of the colour
        "ABC 0.1 0.2 3",       // no first number
        "0.1 0.2",             // no colour
        "0.1 0.2 16",          // not one of the sixteen colours
        "0.1 0.2 99999999999", // not one either (and no overflow)
    });
    QStringList texts;
    for (const ColorBand& b : bands)
        texts.append(band(b));
    EXPECT_EQ(texts, QStringList({"0 0.33 10", "0.33 0.66 7", "0.66 1 12", "0.5 0.7 9"}));
}

TEST(ColorBands, MissingFileIsWrittenWithTheDefaultBands) {
    TempWorkspace ws;
    ws.mkdir("MAP");
    RecorderPrompt prompt;
    QList<ColorBand> bands;
    EXPECT_FALSE(F_A_Colors(ws.file("MAP"), bands, prompt));
    EXPECT_EQ(ws.readBytes("MAP/colors.inf"), cp1251("0 0.33 10\r\n0.33 0.66 7\r\n0.66 1 12\r\n"));
    ASSERT_EQ(bands.size(), 3);
    EXPECT_EQ(band(bands.at(1)), "0.33 0.66 7");
    EXPECT_TRUE(prompt.messages.isEmpty());

    // An existing file is read as it stands, never rewritten.
    ws.write("MAP/colors.inf", "0 0.5 2\n0.5 1 4\n");
    EXPECT_FALSE(F_A_Colors(ws.file("MAP"), bands, prompt));
    EXPECT_EQ(bands.size(), 2);
    EXPECT_EQ(ws.readBytes("MAP/colors.inf"), cp1251("0 0.5 2\r\n0.5 1 4\r\n"));
    EXPECT_EQ(readColorBands(ws.file("MAP")).size(), 2);
    EXPECT_EQ(readColorBands(ws.file("nowhere")).size(), 3);

    // A folder that cannot take the file: the write message, and failure.
    EXPECT_TRUE(F_A_Colors(ws.file("missing/folder"), bands, prompt));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages.at(0).text, "Ошибка при записи информации !!!");
    EXPECT_EQ(prompt.messages.at(0).title, ws.file("missing/folder") + "/colors.inf");
}

TEST(ColorBands, DefaultBandsColourTheSpan) {
    // Values 10, 20 and 40: the span is 10 to 40, the first band ends at 19.9.
    EXPECT_EQ(colorOf("10", 10, 40), 10);
    EXPECT_EQ(colorOf("19.9", 10, 40), 10);
    EXPECT_EQ(colorOf("20", 10, 40), 7);
    EXPECT_EQ(colorOf("40", 10, 40), 12);
    EXPECT_EQ(colorOf("29,9", 10, 40), 12); // "," as decimal separator
    EXPECT_EQ(colorOf("*", 10, 40), 15);
    EXPECT_EQ(colorOf("***", 10, 40), 15);
}

TEST(ColorBands, EdgesOfBands) {
    // A value on the upper limit of one band and the lower of the next takes the earlier band.
    EXPECT_EQ(colorOf("50", 0, 100, {"0 0.5 2", "0.5 1 4"}), 2);
    EXPECT_EQ(colorOf("50.01", 0, 100, {"0 0.5 2", "0.5 1 4"}), 4);
    // A value that no band holds gets 0.
    EXPECT_EQ(colorOf("60", 0, 100, {"0 0.5 2", "0.7 1 4"}), 0);
    // The largest and the smallest value always fall inside the bands, even where the sum
    // of the minimum and the span is not exactly the maximum in binary.
    EXPECT_EQ(colorOf("8.3", -94.9, 8.3), 12);
    EXPECT_EQ(colorOf("-94.9", -94.9, 8.3), 10);
    EXPECT_EQ(colorOf("89.1", -54.2, 89.1), 12);
}

TEST(ColorBands, FewerThanTwoBandsGiveThreeEqualBands) {
    // One band line: the three equal bands 10, 7 and 12 over the span.
    EXPECT_EQ(colorOf("0", 0, 90, {"0 1 4"}), 10);
    EXPECT_EQ(colorOf("29.9", 0, 90, {"0 1 4"}), 10);
    EXPECT_EQ(colorOf("30", 0, 90, {"0 1 4"}), 7);
    EXPECT_EQ(colorOf("60", 0, 90, {"0 1 4"}), 12);
    EXPECT_EQ(colorOf("90", 0, 90, {}), 12);
    const QList<ValueBand> three = effectiveBands({}, 0, 90);
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three.at(1), (ValueBand{30, 60, 7}));
}

TEST(ColorBands, AllValuesEqualTakeTheFirstBand) {
    const QList<ValueBand> list = F_A_Diap(bandsOf(defaultColorLines()), 5, 5);
    for (const ValueBand& b : list) {
        EXPECT_EQ(b.low, 5);
        EXPECT_EQ(b.high, 5);
    }
    EXPECT_EQ(colorOf("5", 5, 5), 10);
    EXPECT_EQ(colorOf("5", 5, 5, {"0 0.5 14", "0.5 1 4"}), 14);
}
