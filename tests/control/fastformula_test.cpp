#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <QRandomGenerator>

#include "control/logcontrol.h"
#include "control/rules.h"
#include "platform/codec.h"
#include "platform/evaluator.h"

using namespace mirel::control;

namespace {

Piece literal(const QString& text) {
    return Piece{text};
}

Piece reference() {
    Piece p;
    p.selection = 0;
    p.row = 1;
    p.column = 1;
    return p;
}

bool sameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The expression text the control writes for a side: literal pieces as they stand, every
// reference as its cell's number text; nullopt when a cell is no number.
std::optional<QString> sideText(const QList<Piece>& pieces, const QStringList& cells) {
    QString text;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (!pieces.at(i).isReference()) {
            text += pieces.at(i).text;
            continue;
        }
        const std::optional<QString> number = cellNumber(cells.at(i));
        if (!number) return std::nullopt;
        text += *number;
    }
    return text;
}

std::optional<double> sideValue(const FastProgram& program, const QStringList& cells) {
    const auto value = [&](const FastStep& step) { return fastCellValue(cells.at(step.piece)); };
    return fastValue(program, value);
}

// The same with the runs of references added by the caller, NaN for a cell without a value.
std::optional<double> sideValueAddedInRuns(const FastProgram& program, const QStringList& cells) {
    struct Values {
        const QStringList& cells;
        std::optional<double> operator()(const FastStep& step) const {
            return fastCellValue(cells.at(step.piece));
        }
        void addTo(double& sum, const FastStep* references, int count) const {
            for (int k = 0; k < count; ++k)
                sum = sum + fastCellValue(cells.at(references[k].piece))
                                .value_or(std::numeric_limits<double>::quiet_NaN());
        }
    };
    return fastValue(program, Values{cells});
}

// The same side at many points at once, each point with its own cell texts: sure[p] and
// values[p] as fastValues leaves them.
void valuesAtPoints(const FastProgram& program, const std::vector<QStringList>& cells,
                    std::vector<char>& sure, std::vector<double>& stack,
                    std::vector<double>& values) {
    const size_t points = cells.size();
    sure.assign(points, 1);
    values.assign(points, 0.0);
    const auto columnOf = [&](const FastStep& step, double* column) {
        for (size_t p = 0; p < points; ++p) {
            const std::optional<double> v = fastCellValue(cells[p].at(step.piece));
            if (!v) sure[p] = 0;
            column[p] = v.value_or(0.0);
        }
    };
    fastValues(program, points, columnOf, sure, stack, values.data());
}

// A random side: operands (literal numbers and references) joined by operators, with signs and
// brackets; now and then something outside the fast form.
QList<Piece> randomSide(QRandomGenerator& random, int depth = 0) {
    static const QStringList numbers{"0", "1", "2.5", ".5", "5.", "100", "0.1", "3", "007"};
    static const QStringList operators{"+", "-", "*", "/", "+-", "*-", "/-", "--"};
    QList<Piece> pieces;
    QString text;
    auto operand = [&] {
        const int kind = random.bounded(depth < 2 ? 5 : 4);
        if (random.bounded(6) == 0) text += random.bounded(2) ? "-" : "+";
        if (kind < 2) {
            text += numbers.at(random.bounded(numbers.size()));
        } else if (kind < 4) {
            if (!text.isEmpty()) pieces.append(literal(text));
            text.clear();
            pieces.append(reference());
        } else {
            text += "(";
            const QList<Piece> inner = randomSide(random, depth + 1);
            for (const Piece& p : inner) {
                if (p.isReference()) {
                    if (!text.isEmpty()) pieces.append(literal(text));
                    text.clear();
                    pieces.append(p);
                } else {
                    text += p.text;
                }
            }
            text += ")";
        }
    };
    operand();
    const int more = random.bounded(4);
    for (int i = 0; i < more; ++i) {
        text += operators.at(random.bounded(operators.size()));
        operand();
    }
    if (random.bounded(40) == 0) text += "^2";
    if (!text.isEmpty()) pieces.append(literal(text));
    return pieces;
}

} // namespace

// Whatever the fast form computes, the expression text gives bit for bit; whatever it settles as
// holding, the text evaluation holds too. Everything else is left to the text evaluation.
TEST(FastFormula, AgreesWithTheExpressionText) {
    static const QStringList cellTexts{"12",
                                       " -3.5 ",
                                       "+7",
                                       "0,25",
                                       "",
                                       "1E3",
                                       "1О",
                                       "0",
                                       "-0",
                                       ".5",
                                       "5.",
                                       "999999999999999",
                                       "1234567890123456",
                                       "2,5,1",
                                       "-",
                                       "1e-400",
                                       "3 ",
                                       " 4"};
    static const QStringList relations{"=", "<>", "<", ">", "<=", ">=", "=<", "><", "!="};
    QRandomGenerator random(20261208);
    int computed = 0;
    int held = 0;
    for (int round = 0; round < 20000; ++round) {
        Formula f;
        f.left = randomSide(random);
        f.right = randomSide(random);
        f.relation = relations.at(random.bounded(relations.size()));
        f.fast = compileFast(f);
        if (!f.fast.usable()) continue;
        QStringList leftCells, rightCells;
        for (qsizetype i = 0; i < f.left.size(); ++i)
            leftCells << cellTexts.at(random.bounded(cellTexts.size()));
        for (qsizetype i = 0; i < f.right.size(); ++i)
            rightCells << cellTexts.at(random.bounded(cellTexts.size()));
        const std::optional<double> left = sideValue(f.fast.left, leftCells);
        const std::optional<double> right = sideValue(f.fast.right, rightCells);
        const std::optional<QString> leftText = sideText(f.left, leftCells);
        const std::optional<QString> rightText = sideText(f.right, rightCells);
        for (const auto& [value, text] : {std::pair{left, leftText}, std::pair{right, rightText}}) {
            if (!value) continue;
            ++computed;
            ASSERT_TRUE(text);
            const mirel::platform::EvalResult r = mirel::platform::evaluate(*text);
            ASSERT_TRUE(r.ok) << text->toStdString();
            EXPECT_TRUE(sameDouble(r.value, *value)) << text->toStdString();
        }
        if (!left || !right || !fastCompare(*left, f.fast.relation, *right)) continue;
        ++held;
        EXPECT_TRUE(evaluateCondition(*leftText, f.relation, *rightText).holds)
            << (*leftText + f.relation + *rightText).toStdString();
    }
    // The walk reaches the fast form often enough to mean something.
    EXPECT_GT(computed, 5000);
    EXPECT_GT(held, 1000);
}

TEST(FastFormula, LeavesEverythingElseToTheExpressionText) {
    const auto usable = [](QList<Piece> left, const QString& relation, QList<Piece> right) {
        Formula f;
        f.left = std::move(left);
        f.relation = relation;
        f.right = std::move(right);
        return compileFast(f).usable();
    };
    EXPECT_TRUE(usable({reference()}, ">=", {literal("0")}));
    EXPECT_TRUE(usable({reference()}, "=", {reference(), literal("+"), reference()}));
    EXPECT_TRUE(usable({literal("-("), reference(), literal("+2)*3")}, "=<", {reference()}));
    // A division whose divisor is zero for every value is still an expression.
    EXPECT_TRUE(usable({reference(), literal("/(1-1)")}, "=", {literal("0")}));
    // Powers (a signed cell before ^ is read differently), whole division, words.
    EXPECT_FALSE(usable({reference(), literal("^2")}, "=", {literal("4")}));
    EXPECT_FALSE(usable({reference(), literal("\\2")}, "=", {literal("4")}));
    EXPECT_FALSE(usable({reference(), literal("MOD2")}, "=", {literal("0")}));
    // A number glued to a reference's text, two references side by side.
    EXPECT_FALSE(usable({reference(), literal(".5")}, "=", {literal("0")}));
    EXPECT_FALSE(usable({literal("+."), reference()}, "=", {literal("0")}));
    EXPECT_FALSE(usable({reference(), reference()}, "=", {literal("0")}));
    EXPECT_FALSE(usable({literal("1.2.3")}, "=", {reference()}));
    // Relations the evaluator does not know, empty sides, brackets left open, long numbers.
    EXPECT_FALSE(usable({reference()}, "!=", {literal("0")}));
    EXPECT_FALSE(usable({reference()}, "#", {literal("0")}));
    EXPECT_FALSE(usable({}, "=", {literal("0")}));
    EXPECT_FALSE(usable({literal("("), reference()}, "=", {literal("0")}));
    EXPECT_FALSE(usable({reference()}, "=", {literal("1234567890123456")}));
}

// A cell's text and its bytes in code page 1251 read alike.
TEST(FastFormula, CellValues) {
    const auto value = [](const char* utf8) {
        const QString text = QString::fromUtf8(utf8);
        const std::optional<double> fromText = fastCellValue(text);
        const QByteArray bytes = mirel::platform::encode1251(text);
        const std::optional<double> fromBytes = fastCellValue(QByteArrayView(bytes));
        EXPECT_EQ(fromText, fromBytes) << utf8;
        return fromText;
    };
    EXPECT_EQ(value(""), 0.0);
    EXPECT_EQ(value("   "), 0.0);
    EXPECT_EQ(value(" -3,5 "), -3.5);
    EXPECT_EQ(value("+.5"), 0.5);
    EXPECT_EQ(value("5."), 5.0);
    EXPECT_EQ(value("999999999999999"), 999999999999999.0);
    for (const char* text :
         {"1E3", "1О", "-", ".", "1 000", "1\t", "2,5,1", "1234567890123456", "\u00a05", "5р"})
        EXPECT_FALSE(value(text)) << text;
}

// A side computed at many points at once agrees with the same side computed point by point:
// the same points settled, the same values bit for bit.
TEST(FastFormula, ManyPointsAtOnceAgreeWithOneByOne) {
    static const QStringList cellTexts{"12", "-3.5", "0", "", "1E3", "0,25", "999999999999999",
                                       "7",  "-0",   ".5"};
    QRandomGenerator random(20261209);
    std::vector<double> stack;
    int settled = 0;
    int unsettled = 0;
    for (int round = 0; round < 3000; ++round) {
        Formula f;
        f.left = randomSide(random);
        f.right = {literal("0")};
        f.relation = "=";
        f.fast = compileFast(f);
        if (!f.fast.usable()) continue;
        constexpr size_t Points = 9;
        // Each point has its own cell texts for the references of the side.
        std::vector<QStringList> cells(Points);
        for (QStringList& c : cells)
            for (qsizetype i = 0; i < f.left.size(); ++i)
                c << cellTexts.at(random.bounded(cellTexts.size()));
        std::vector<char> sure;
        std::vector<double> values;
        valuesAtPoints(f.fast.left, cells, sure, stack, values);
        for (size_t p = 0; p < Points; ++p) {
            const std::optional<double> one = sideValue(f.fast.left, cells[p]);
            ASSERT_EQ(bool(sure[p]), one.has_value()) << round << " " << p;
            if (one) {
                EXPECT_TRUE(sameDouble(*one, values[p])) << round << " " << p;
                ++settled;
            } else {
                ++unsettled;
            }
        }
    }
    EXPECT_GT(settled, 1000);
    EXPECT_GT(unsettled, 1000);
}

// A sum of cells (as SUMM_S and SUMM_G write it) is added in one step, in the order written:
// the same value bit for bit as the expression text, one point or many at once.
TEST(FastFormula, SumsOfCellsAreOneStepWithTheSameValue) {
    static const QStringList cellTexts{"0.1", "-3.5", "0.7", "999999999999999", "12", "1E3", ""};
    QRandomGenerator random(20261210);
    std::vector<double> stack;
    int joined = 0;
    for (int round = 0; round < 2000; ++round) {
        const int terms = 2 + random.bounded(40);
        Formula f;
        if (round % 3 == 1) f.left = {literal("2*(")};
        for (int k = 0; k < terms; ++k) {
            if (k > 0) f.left << literal("+");
            f.left << reference();
        }
        if (round % 3 == 1) f.left << literal(")");
        if (round % 3 == 2) f.left << literal("-0.3");
        f.right = {literal("0")};
        f.relation = "=";
        f.fast = compileFast(f);
        ASSERT_TRUE(f.fast.usable());
        for (const FastStep& step : f.fast.left.steps)
            joined += step.op == FastStep::AddReferences;
        constexpr size_t Points = 5;
        std::vector<QStringList> cells(Points);
        for (QStringList& c : cells)
            for (qsizetype i = 0; i < f.left.size(); ++i)
                c << cellTexts.at(random.bounded(cellTexts.size() - (round % 2 ? 0 : 2)));
        std::vector<char> sure;
        std::vector<double> values;
        valuesAtPoints(f.fast.left, cells, sure, stack, values);
        for (size_t p = 0; p < Points; ++p) {
            const std::optional<double> one = sideValue(f.fast.left, cells[p]);
            ASSERT_EQ(bool(sure[p]), one.has_value()) << round;
            const std::optional<double> inRuns = sideValueAddedInRuns(f.fast.left, cells[p]);
            ASSERT_EQ(inRuns.has_value(), one.has_value()) << round;
            if (!one) continue;
            EXPECT_TRUE(sameDouble(*one, *inRuns)) << round;
            EXPECT_TRUE(sameDouble(*one, values[p])) << round;
            const std::optional<QString> text = sideText(f.left, cells[p]);
            ASSERT_TRUE(text);
            const mirel::platform::EvalResult r = mirel::platform::evaluate(*text);
            ASSERT_TRUE(r.ok) << text->toStdString();
            EXPECT_TRUE(sameDouble(r.value, *one)) << text->toStdString();
        }
    }
    EXPECT_GT(joined, 1500);
}
