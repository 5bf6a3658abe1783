#include <gtest/gtest.h>

#include "platform/evaluator.h"
#include "workspace.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

using namespace mirel::platform;
using namespace Qt::StringLiterals;

namespace {

const QString kSyntax = QStringLiteral("Синтаксическая ошибка");
const QString kParen = QStringLiteral("Предполагается наличие ')'");
const QString kExpression = QStringLiteral("Предполагается наличие выражения");
const QString kEnd = QStringLiteral("Предполагается наличие конца инструкции");
const QString kNumber = QStringLiteral("Недопустимое число");
const QString kCharacter = QStringLiteral("Недопустимый символ");
const QString kOverflow = QStringLiteral("Переполнение");
const QString kZero = QStringLiteral("Деление на нуль");
const QString kInvalidCall = QStringLiteral("Недопустимый вызов процедуры или аргумент");
const QString kStack = QStringLiteral("Недостаточно места в стеке");

// What the evaluator gives, in the oracle's notation (syntax errors all as 1002, which is how
// the oracle reports any of them; descriptions in Russian).
QString describe(const EvalResult& r) {
    if (r.ok)
        return QStringLiteral("OK %1 %2").arg(r.isBoolean ? u"Boolean"_s : u"Number"_s, r.text());
    return QStringLiteral("ERR %1 %2")
        .arg(r.isSyntaxError() ? EvalSyntaxError : r.errorNumber)
        .arg(r.errorDescription);
}

// The oracle's answer in the same notation: the engine's type names other than Boolean become
// "Number" (the evaluator keeps no Integer/Long/Double distinction, the texts are the same) and
// the English descriptions become the Russian ones.
QString expectedFromOracle(const QString& answer, int syntaxNumber) {
    static const QHash<QString, QString> russian = {
        {QStringLiteral("Overflow"), kOverflow},
        {QStringLiteral("Division by zero"), kZero},
        {QStringLiteral("Invalid procedure call or argument"), kInvalidCall},
    };
    const QStringList words = answer.split(u' ');
    if (words.value(0) == u"OK") {
        const QString type =
            words.value(1) == u"Boolean" ? QStringLiteral("Boolean") : QStringLiteral("Number");
        return QStringLiteral("OK %1 %2").arg(type, words.mid(2).join(u' '));
    }
    const int number = words.value(1).toInt();
    if (number == EvalSyntaxError) {
        static const QHash<int, QString> syntaxTexts = {
            {EvalSyntaxError, kSyntax},
            {EvalExpectedParen, kParen},
            {EvalExpectedExpression, kExpression},
            {EvalExpectedEnd, kEnd},
            {EvalInvalidNumber, kNumber},
            {EvalInvalidCharacter, kCharacter},
        };
        return QStringLiteral("ERR 1002 %1").arg(syntaxTexts.value(syntaxNumber, u"?"_s));
    }
    return QStringLiteral("ERR %1 %2")
        .arg(number)
        .arg(russian.value(words.mid(2).join(u' '), QStringLiteral("?")));
}

} // namespace

TEST(Evaluator, AgreesWithTheRecordedVbscriptAnswers) {
    QFile file(QStringLiteral(MIREL_SOURCE_DIR "/tests/platform/data/vbscript_oracle.tsv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    int rows = 0;
    int failures = 0;
    for (const QString& line : lines) {
        if (line.startsWith(u'#') || line.isEmpty()) continue;
        const QStringList fields = line.split(u'\t');
        ASSERT_GE(fields.size(), 2) << line.toStdString();
        ++rows;
        const EvalResult r = evaluate(fields[0]);
        const QString expected = expectedFromOracle(fields[1], r.errorNumber);
        const QString got = describe(r);
        if (got != expected) {
            ++failures;
            ADD_FAILURE() << "expression [" << fields[0].toStdString() << "]: expected "
                          << expected.toStdString() << ", got " << got.toStdString();
        }
    }
    EXPECT_GE(rows, 300);
    EXPECT_EQ(failures, 0);
}

TEST(Evaluator, ResultsAreNumbersOrTruthValues) {
    EvalResult r = evaluate(u"1<2"_s);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.isBoolean);
    EXPECT_EQ(r.value, -1.0);
    EXPECT_EQ(r.text(), u"True"_s);
    EXPECT_EQ(evaluate(u"2<1"_s).text(), u"False"_s);

    r = evaluate(u"(1<2)+1"_s);
    EXPECT_FALSE(r.isBoolean);
    EXPECT_EQ(r.value, 0.0);

    r = evaluate(u"-2^2"_s);
    EXPECT_EQ(r.value, -4.0);
    r = evaluate(u"3--5"_s);
    EXPECT_EQ(r.value, 8.0);
    EXPECT_EQ(evaluate(u"2*-3"_s).value, -6.0);
    EXPECT_EQ(evaluate(u"-(-4)"_s).value, 4.0);
    EXPECT_EQ(evaluate(u"0.1+0.2"_s).value, 0.1 + 0.2);
    EXPECT_EQ(evaluate(u"-0.0"_s).text(), u"0"_s);

    // Blanks and tabs anywhere between tokens, keywords in any case.
    EXPECT_EQ(evaluate(u"\t1\t+ 2 \t"_s).value, 3.0);
    EXPECT_EQ(evaluate(u" 7 mOd 4 "_s).value, 3.0);
    // The plain QString and the view give the same.
    EXPECT_EQ(evaluate(QStringView(u"1 + 2 * 3")).value, 7.0);
    // A failed result has no text.
    EXPECT_EQ(evaluate(u"1/0"_s).text(), QString());
}

TEST(Evaluator, ErrorsCarryNumberAndRussianDescription) {
    struct Case {
        const char16_t* expression;
        int number;
        QString description;
    };
    const Case cases[] = {
        {u"1/0", EvalDivisionByZero, kZero},
        {u"5\\0.4", EvalDivisionByZero, kZero},
        {u"5 Mod 0", EvalDivisionByZero, kZero},
        {u"0/0", EvalOverflow, kOverflow},
        {u"1E308*10", EvalOverflow, kOverflow},
        {u"2147483648\\1", EvalOverflow, kOverflow},
        {u"(-8)^(1/3)", EvalInvalidCall, kInvalidCall},
        {u"abc", EvalSyntaxError, kSyntax},
        {u"x+1", EvalSyntaxError, kSyntax},
        {u"Sqr(4)", EvalSyntaxError, kSyntax},
        {u"абв+1", EvalSyntaxError, kSyntax},
        {u"(1+2", EvalExpectedParen, kParen},
        {u"((1)", EvalExpectedParen, kParen},
        {u"", EvalExpectedExpression, kExpression},
        {u"   ", EvalExpectedExpression, kExpression},
        {u"1+", EvalExpectedExpression, kExpression},
        {u"()", EvalExpectedExpression, kExpression},
        {u"1 + Not 0", EvalExpectedExpression, kExpression},
        {u"1 2", EvalExpectedEnd, kEnd},
        {u"1)", EvalExpectedEnd, kEnd},
        {u"1E", EvalInvalidNumber, kNumber},
        {u"1E+", EvalInvalidNumber, kNumber},
        {u"5abc", EvalInvalidNumber, kNumber},
        {u"1Mod2", EvalInvalidNumber, kNumber},
        {u"1E309", EvalInvalidNumber, kNumber},
        {u"1,5", EvalInvalidCharacter, kCharacter},
        {u"1!=2", EvalInvalidCharacter, kCharacter},
        {u"1#2", EvalInvalidCharacter, kCharacter},
        {u"1\n+2", EvalInvalidCharacter, kCharacter},
    };
    for (const Case& c : cases) {
        const QString expression = QString::fromUtf16(c.expression);
        const EvalResult r = evaluate(expression);
        EXPECT_FALSE(r.ok) << expression.toStdString();
        EXPECT_EQ(r.errorNumber, c.number) << expression.toStdString();
        EXPECT_EQ(r.errorDescription, c.description) << expression.toStdString();
    }
}

TEST(Evaluator, TextThatCannotBeReadWinsOverAnEarlierComputationError) {
    // The whole text is read before anything is computed, as the script engine compiles first.
    EXPECT_EQ(evaluate(u"1/0 + )"_s).errorNumber, EvalExpectedExpression);
    EXPECT_EQ(evaluate(u"1/0 + abc"_s).errorNumber, EvalSyntaxError);
    EXPECT_EQ(evaluate(u"(1/0"_s).errorNumber, EvalExpectedParen);
    // Among computation errors the first one computed counts.
    EXPECT_EQ(evaluate(u"1/0 + 2^2000"_s).errorNumber, EvalDivisionByZero);
    EXPECT_EQ(evaluate(u"2^2000 + 1/0"_s).errorNumber, EvalOverflow);
    EXPECT_EQ(evaluate(u"1/0 And 2147483648"_s).errorNumber, EvalDivisionByZero);
}

TEST(Evaluator, NestingIsBoundedAndHugeInputsAreSafe) {
    const QString nested = QString(EvalMaxDepth, u'(') + u'1' + QString(EvalMaxDepth, u')');
    EXPECT_EQ(evaluate(nested).value, 1.0);
    const QString tooDeep =
        QString(EvalMaxDepth + 1, u'(') + u'1' + QString(EvalMaxDepth + 1, u')');
    EXPECT_EQ(evaluate(tooDeep).errorNumber, EvalOutOfStack);
    EXPECT_EQ(evaluate(tooDeep).errorDescription, kStack);
    EXPECT_EQ(evaluate(QString(1000000, u'(')).errorNumber, EvalOutOfStack);

    // Long runs of prefix operators are read without recursion.
    EXPECT_EQ(evaluate(QString(100001, u'-') + u'5').value, -5.0);
    EXPECT_EQ(evaluate(QStringLiteral("Not ").repeated(100001) + u'0').value, -1.0);
    QString alternating;
    for (int i = 0; i < 5000; ++i)
        alternating += QStringLiteral("-(");
    alternating += u'1' + QString(5000, u')');
    EXPECT_EQ(evaluate(alternating).errorNumber, EvalOutOfStack);

    // A long sum is a loop, not a recursion.
    EXPECT_EQ(evaluate(QStringLiteral("1+").repeated(200000) + u'1').value, 200001.0);

    // Very long digit strings.
    EXPECT_EQ(evaluate(u'1' + QString(300, u'0')).text(), u"1E+300"_s);
    EXPECT_EQ(evaluate(u'1' + QString(10000, u'0')).errorNumber, EvalInvalidNumber);
    EXPECT_EQ(evaluate(u"0."_s + QString(10000, u'0') + u'1').value, 0.0);
    EXPECT_EQ(evaluate(QString(10000, u'9') + u"E-9990"_s).errorNumber, 0);
    EXPECT_EQ(evaluate(u"1E99999999999999999999"_s).errorNumber, EvalInvalidNumber);
    EXPECT_EQ(evaluate(u"1E-99999999999999999999"_s).value, 0.0);
}

TEST(Evaluator, RandomTextNeverBreaksTheContract) {
    const char16_t* pieces[] = {
        u"1", u"0",  u"2.5",   u".5",         u"1E+5",  u"1E-05", u"9E307", u"+", u"-",
        u"*", u"/",  u"\\",    u"^",          u" Mod ", u"(",     u")",     u"=", u"<>",
        u"<", u">=", u" And ", u" Or ",       u" Not ", u" Xor ", u"True",  u"E", u".",
        u",", u" ",  u"x",     u"2147483648", u"-0",    u"Ж",     u"\t",    u"1E"};
    QRandomGenerator random(20240601);
    const QList<int> known = {EvalInvalidCall,        EvalOverflow,    EvalDivisionByZero,
                              EvalOutOfStack,         EvalSyntaxError, EvalExpectedParen,
                              EvalExpectedExpression, EvalExpectedEnd, EvalInvalidNumber,
                              EvalInvalidCharacter};
    int failures = 0;
    for (int i = 0; i < 20000 && failures < 5; ++i) {
        QString text;
        const int n = int(random.bounded(1, 30));
        for (int k = 0; k < n; ++k)
            text += QString::fromUtf16(pieces[random.bounded(int(std::size(pieces)))]);
        const EvalResult r = evaluate(text);
        const bool sound = r.ok ? std::isfinite(r.value) && r.errorNumber == 0 &&
                                      !r.text().isEmpty() &&
                                      (!r.isBoolean || r.value == -1.0 || r.value == 0.0)
                                : known.contains(r.errorNumber) && !r.errorDescription.isEmpty();
        if (!sound) {
            ++failures;
            ADD_FAILURE() << "[" << text.toStdString() << "] gave " << describe(r).toStdString();
        }
    }
}

TEST(NumberText, WritesDoublesAsVbscriptCStrDoes) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {-1.0, "-1"},
        {0.5, "0.5"},
        {-0.5, "-0.5"},
        {2.5, "2.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {0.000015, "1.5E-05"},
        {-0.00001234, "-1.234E-05"},
        {999999999999999.0, "999999999999999"},
        {-999999999999999.0, "-999999999999999"},
        {100000000000000.0, "100000000000000"},
        {1e15, "1E+15"},
        {-1e15, "-1E+15"},
        {1234567890123456.0, "1.23456789012346E+15"},
        {999999999999999.5, "1E+15"},
        {123456789012345.6, "123456789012346"},
        {100000000000000.5, "100000000000001"}, // a half goes away from zero
        {-100000000000000.5, "-100000000000001"},
        {0.0009765625, "0.0009765625"},
        {1e100, "1E+100"},
        {1e-100, "1E-100"},
        {std::numeric_limits<double>::max(), "1.79769313486232E+308"},
        {std::numeric_limits<double>::min(), "2.2250738585072E-308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {std::sqrt(2.0), "1.4142135623731"},
        {std::numeric_limits<double>::infinity(), "***"},
        {std::numeric_limits<double>::quiet_NaN(), "***"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberText(c.value), QString::fromLatin1(c.text)) << c.text;
}

// Figures typed with a few decimals, and values near them, against the shortest text that
// reads back (std::to_chars): the same wherever that has at most 15 digits and no exponent.
TEST(NumberText, WritesTypedDecimalsAsTheirShortestText) {
    QRandomGenerator random(20261209);
    static const double scale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    int compared = 0;
    for (int i = 0; i < 400000; ++i) {
        const int places = int(random.bounded(9));
        const int digits = 1 + int(random.bounded(16));
        double whole = 1;
        for (int d = 0; d < digits; ++d)
            whole *= 10;
        double value = std::floor(random.generateDouble() * whole) / scale[places];
        if (i % 4 == 1) value = std::nextafter(value, 1e300);
        if (i % 4 == 2) value = std::nextafter(value, 0.0);
        if (i % 2 == 1) value = -value;
        if (value == 0 || value == std::trunc(value)) continue;
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
        const std::string scientific(buf, r.ptr);
        const int exponent = std::stoi(scientific.substr(scientific.find('e') + 1));
        const int significant = int(scientific.find('e')) - (value < 0) -
                                (scientific.find('.') == std::string::npos ? 0 : 1);
        if (significant > 15 || exponent < -4 || exponent >= 15) continue;
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        ASSERT_EQ(numberText(value), QString::fromLatin1(buf, r.ptr - buf)) << scientific;
        ++compared;
    }
    EXPECT_GT(compared, 100000);
}

TEST(FormatNumber, RoundsHalvesAwayFromZeroOnTheDecimalText) {
    // The cases the query engine promises.
    EXPECT_EQ(formatNumber(2.005, 2), u"2.01"_s);
    EXPECT_EQ(formatNumber(-2.005, 2), u"-2.01"_s);
    EXPECT_EQ(formatNumber(7.0, 2), u"7.00"_s);
    EXPECT_EQ(formatNumber(2.996, 2), u"3.00"_s);
    EXPECT_EQ(formatNumber(2.5, 5), u"2.5000"_s);

    // The double 0.285 lies below the half; its 15-digit text does not.
    EXPECT_EQ(formatNumber(0.285, 2), u"0.29"_s);
    EXPECT_EQ(formatNumber(1.005, 2), u"1.01"_s);
    EXPECT_EQ(formatNumber(2.004, 2), u"2.00"_s);
    EXPECT_EQ(formatNumber(1.25, 1), u"1.3"_s);
    EXPECT_EQ(formatNumber(-1.25, 1), u"-1.3"_s);
    EXPECT_EQ(formatNumber(9.995, 2), u"10.00"_s);
    EXPECT_EQ(formatNumber(-999.95, 1), u"-1000.0"_s);
    EXPECT_EQ(formatNumber(0.5, 1), u"0.5"_s);
    EXPECT_EQ(formatNumber(0.05, 1), u"0.1"_s);
    EXPECT_EQ(formatNumber(-0.001, 2), u"-0.00"_s);
    EXPECT_EQ(formatNumber(0.0, 3), u"0.000"_s);
    EXPECT_EQ(formatNumber(-3.0, 1), u"-3.0"_s);
    EXPECT_EQ(formatNumber(123.456, 10), u"123.456000"_s);
    EXPECT_EQ(formatNumber(0.1, 20), u"0.1000"_s);
    // A precision out of all proportion is capped, not allocated.
    EXPECT_EQ(formatNumber(7.0, 2000000000), u"7."_s + QString(FormatMaxDecimals, u'0'));
    // A truth value is its number.
    EXPECT_EQ(formatNumber(evaluate(u"1<2"_s).value, 2), u"-1.00"_s);
    // Exponent forms are written out in full, not glued to the zeros.
    EXPECT_EQ(formatNumber(1e15, 2), u"1000000000000000.00"_s);
    EXPECT_EQ(formatNumber(0.000015, 2), u"0.00"_s);
    EXPECT_EQ(formatNumber(0.000015, 5), u"0.00002"_s);
    EXPECT_EQ(formatNumber(-1.5e-5, 5), u"-0.00002"_s);
    EXPECT_EQ(formatNumber(1.23456789012346e17, 1), u"123456789012346000.0"_s);
    // Below one decimal the number text itself.
    EXPECT_EQ(formatNumber(2.5, 0), u"2.5"_s);
    EXPECT_EQ(formatNumber(1e-5, -1), u"1E-05"_s);
}

TEST(FormatNumber, ReadsResultTexts) {
    EXPECT_EQ(formatNumber(u"2.005"_s, 2), u"2.01"_s);
    EXPECT_EQ(formatNumber(u"2,005"_s, 2), u"2.01"_s);
    EXPECT_EQ(formatNumber(u"-2,005"_s, 2), u"-2.01"_s);
    EXPECT_EQ(formatNumber(u".5"_s, 2), u"0.50"_s);
    EXPECT_EQ(formatNumber(u"-.5"_s, 2), u"-0.50"_s);
    EXPECT_EQ(formatNumber(u"-.05"_s, 1), u"-0.1"_s);
    EXPECT_EQ(formatNumber(u" 12 "_s, 1), u"12.0"_s);
    EXPECT_EQ(formatNumber(u"1E+15"_s, 2), u"1000000000000000.00"_s);
    EXPECT_EQ(formatNumber(u"1.5E-05"_s, 5), u"0.00002"_s);
    EXPECT_EQ(formatNumber(u"5."_s, 2), u"5.00"_s);
    // Whatever is not a number is left alone.
    for (const QString& text : {u"***"_s, u"True"_s, u""_s, u"-"_s, u"1.5x"_s, u"1E"_s})
        EXPECT_EQ(formatNumber(text, 2), text) << text.toStdString();
    EXPECT_EQ(formatNumber(u"2.005"_s, 0), u"2.005"_s);
}
