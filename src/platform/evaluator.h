#pragma once

#include <QString>

namespace mirel::platform {

// Result of evaluating a VBScript expression: a number or a truth value (True is -1), or an
// error with its number (6 overflow, 11 division by zero, a syntax error number otherwise) and
// its description as a Russian-language script engine gives it.
struct EvalResult {
    bool ok = false;
    bool isBoolean = false;
    double value = 0.0;       // the number; -1 or 0 for a truth value
    int errorNumber = 0;
    QString errorDescription;

    // The result as VBScript's CStr writes it ("True"/"False" for truth values, numbers with up
    // to 15 significant digits, "." as decimal separator).
    QString text() const;
};

inline constexpr int EvalOverflow = 6;
inline constexpr int EvalDivisionByZero = 11;

// Evaluates the expression text. Never throws, never crashes, bounds its nesting depth.
EvalResult evaluate(const QString& expression);

// Number texts shared by every caller.
// CStr of a double: up to 15 significant digits, no trailing zeros, "." separator,
// exponent form where VBScript uses it ("1E+17", "1E-05").
QString numberText(double value);
// "format number": the value with p decimals (p >= 1), halves away from zero.
QString formatNumber(double value, int decimals);

} // namespace mirel::platform
