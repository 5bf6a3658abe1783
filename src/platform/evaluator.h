#pragma once

#include <QString>
#include <QStringView>

namespace mirel::platform {

// Result of evaluating a VBScript expression: a number or a truth value (True is -1), or an
// error with its number and its description as a Russian-language script engine gives it.
struct EvalResult {
    bool ok = false;
    bool isBoolean = false;
    double value = 0.0; // the number; -1 or 0 for a truth value
    int errorNumber = 0;
    QString errorDescription;

    // The result as VBScript's CStr writes it: "True"/"False" for truth values, numbers as
    // numberText(). Empty for an error.
    QString text() const;
    // Errors found while reading the text (numbers 1000 and above), as opposed to errors of
    // the computation.
    bool isSyntaxError() const { return errorNumber >= 1000; }
};

// Error numbers and their descriptions:
//    5 "Недопустимый вызов процедуры или аргумент": a negative number raised to a
//      fractional power
//    6 "Переполнение": a result beyond the range of a double, 0/0, an operand of \, Mod, Not,
//      And, Or, Xor, Eqv, Imp outside the whole-number range the operator works in
//   11 "Деление на нуль": /, \ or Mod by zero
//   28 "Недостаточно места в стеке": brackets nested deeper than EvalMaxDepth
// 1002 "Синтаксическая ошибка": an unknown word, an operator where none may stand
// 1006 "Предполагается наличие ')'": a bracket left open
// 1023 "Предполагается наличие выражения": an operand missing (also an empty text)
// 1025 "Предполагается наличие конца инструкции": text after a complete expression
// 1031 "Недопустимое число": a malformed number (1E, 5abc) or one beyond the double range
// 1032 "Недопустимый символ": a character that starts no token
inline constexpr int EvalInvalidCall = 5;
inline constexpr int EvalOverflow = 6;
inline constexpr int EvalDivisionByZero = 11;
inline constexpr int EvalOutOfStack = 28;
inline constexpr int EvalSyntaxError = 1002;
inline constexpr int EvalExpectedParen = 1006;
inline constexpr int EvalExpectedExpression = 1023;
inline constexpr int EvalExpectedEnd = 1025;
inline constexpr int EvalInvalidNumber = 1031;
inline constexpr int EvalInvalidCharacter = 1032;

// The description the evaluator gives for an error number (the texts listed above).
QString errorDescription(int number);

inline constexpr int EvalMaxDepth = 128;
inline constexpr int FormatMaxDecimals = 100;

// Evaluates a VBScript expression: numbers (1, 1.5, .5, 5., 1E+5), unary + and -, ^ * / \ Mod
// + -, comparisons = <> < > <= >= (also >< =< =>), Not And Or Xor Eqv Imp, True, False,
// brackets; keywords in any case, blanks and tabs between tokens. A text that cannot be read is
// reported as such even when an error of the computation comes earlier in it. Never throws.
EvalResult evaluate(QStringView expression);
inline EvalResult evaluate(const QString& expression) {
    return evaluate(QStringView(expression));
}

// The number text of the system, used for every number it writes unformatted (results of
// columns without precision, sums): VBScript's CStr of a double. Up to 15 significant digits,
// no trailing zeros, "." as separator, a leading "0" before the separator, exponent form below
// 1E-04 and from 1E+15 on ("1E-05", "1.5E+15", at least two exponent digits). -0 is "0".
// Infinity and NaN, which evaluate() never returns, give "***", the mark of an overflow.
QString numberText(double value);
// The same in Latin-1 bytes, without making a text: the count written to out. readsBack tells
// whether the digits, read as a decimal number rounded to the nearest double, give the value
// itself (they are its shortest digits); not so for a value that needs more than 15 digits.
inline constexpr int NumberCharsSize = 48;
int numberChars(double value, char (&out)[NumberCharsSize], bool* readsBack = nullptr);
int numberChars(double value, char (&out)[NumberCharsSize], bool& readsBack);

// "format number": the number text with the given count of decimals (at least 1). When the
// digit after the last kept decimal is 5 or more, the value is rounded away from zero; a text
// with decimals gets at most three zeros added (2.5 with 5 decimals is "2.5000"); a whole number
// gets all of them (7 -> "7.00"). Works on the decimal digits of the text, so 2.005 -> "2.01".
// "," is read as the decimal separator, exponent forms are written out in full. A text that is
// not a number, or decimals below 1, give the text unchanged; decimals above
// FormatMaxDecimals count as that many.
QString formatNumber(const QString& text, int decimals);
// The same on numberText(value); a truth value is its number (-1 or 0).
QString formatNumber(double value, int decimals);

} // namespace mirel::platform
