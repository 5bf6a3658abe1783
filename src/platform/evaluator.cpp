#include "platform/evaluator.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace mirel::platform {

namespace {

QString errorText(int number) {
    switch (number) {
    case EvalInvalidCall:
        return QStringLiteral("Недопустимый вызов процедуры или аргумент");
    case EvalOverflow:
        return QStringLiteral("Переполнение");
    case EvalDivisionByZero:
        return QStringLiteral("Деление на нуль");
    case EvalOutOfStack:
        return QStringLiteral("Недостаточно места в стеке");
    case EvalExpectedParen:
        return QStringLiteral("Предполагается наличие ')'");
    case EvalExpectedExpression:
        return QStringLiteral("Предполагается наличие выражения");
    case EvalExpectedEnd:
        return QStringLiteral("Предполагается наличие конца инструкции");
    case EvalInvalidNumber:
        return QStringLiteral("Недопустимое число");
    case EvalInvalidCharacter:
        return QStringLiteral("Недопустимый символ");
    default:
        return QStringLiteral("Синтаксическая ошибка");
    }
}

enum class Tok : unsigned char {
    End,
    Number,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Mod,
    LParen,
    RParen,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Not,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
    Bad, // a lexical error; m_badError holds its number
};

// Binding strength of the binary operators, loosest first. Not (6) and the signs (12) are
// prefix operators between them; ^ binds tightest.
constexpr int PrecNot = 6;
constexpr int PrecSign = 12;
constexpr int PrecPow = 13;

int binaryPrec(Tok t) {
    switch (t) {
    case Tok::Imp:
        return 1;
    case Tok::Eqv:
        return 2;
    case Tok::Xor:
        return 3;
    case Tok::Or:
        return 4;
    case Tok::And:
        return 5;
    case Tok::Eq:
    case Tok::Ne:
    case Tok::Lt:
    case Tok::Gt:
    case Tok::Le:
    case Tok::Ge:
        return 7;
    case Tok::Plus:
    case Tok::Minus:
        return 8;
    case Tok::Mod:
        return 9;
    case Tok::Backslash:
        return 10;
    case Tok::Star:
    case Tok::Slash:
        return 11;
    case Tok::Caret:
        return PrecPow;
    default:
        return 0;
    }
}

struct Value {
    double v = 0.0;
    bool isBool = false;
};

inline bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
inline bool isAsciiLetter(char16_t c) {
    return (c | 0x20) >= u'a' && (c | 0x20) <= u'z';
}
inline bool isIdentChar(char16_t c) {
    return isAsciiLetter(c) || isDigit(c) || c == u'_' ||
           (c >= 0x80 && QChar(c).isLetterOrNumber());
}

// Exact powers of ten as doubles; larger ones come from pow().
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double pow10(int n) {
    if (n <= 22) return kPow10[n];
    return std::pow(10.0, n);
}

// Whole number of a double as VBScript converts it: halves to the even neighbour.
double roundHalfEven(double x) {
    double r = std::floor(x);
    const double d = x - r;
    if (d > 0.5 || (d == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    return r;
}

class Parser {
public:
    Parser(const char16_t* begin, const char16_t* end)
        : m_pos(begin)
        , m_end(end) {}

    EvalResult run() {
        next();
        Value v = parseExpr(0);
        if (!m_fatal && m_tok != Tok::End) fail(m_tok == Tok::Bad ? m_badError : EvalExpectedEnd);
        EvalResult r;
        const int error = m_fatal ? m_fatal : m_runtime;
        if (error) {
            r.errorNumber = error;
            r.errorDescription = errorText(error);
            return r;
        }
        r.ok = true;
        r.isBoolean = v.isBool;
        r.value = v.v;
        return r;
    }

private:
    const char16_t* m_pos;
    const char16_t* m_end;
    Tok m_tok = Tok::End;
    double m_number = 0.0;       // the value of a Number token
    bool m_numberIsBool = false; // True and False are Number tokens too
    int m_badError = 0;
    int m_fatal = 0;   // an error of reading: stops at once
    int m_runtime = 0; // the first error of the computation: reading goes on
    int m_depth = 0;

    void fail(int number) {
        if (!m_fatal) m_fatal = number;
    }
    void raise(int number) {
        if (!m_runtime) m_runtime = number;
    }

    // ---- reading tokens ------------------------------------------------------------------

    void next() {
        while (m_pos < m_end && (*m_pos == u' ' || *m_pos == u'\t'))
            ++m_pos;
        if (m_pos >= m_end) {
            m_tok = Tok::End;
            return;
        }
        const char16_t c = *m_pos;
        if (isDigit(c) || (c == u'.' && m_pos + 1 < m_end && isDigit(m_pos[1]))) {
            lexNumber();
            return;
        }
        ++m_pos;
        switch (c) {
        case u'+':
            m_tok = Tok::Plus;
            return;
        case u'-':
            m_tok = Tok::Minus;
            return;
        case u'*':
            m_tok = Tok::Star;
            return;
        case u'/':
            m_tok = Tok::Slash;
            return;
        case u'\\':
            m_tok = Tok::Backslash;
            return;
        case u'^':
            m_tok = Tok::Caret;
            return;
        case u'(':
            m_tok = Tok::LParen;
            return;
        case u')':
            m_tok = Tok::RParen;
            return;
        case u'=':
            // "=<" and "=>" are read as "<=" and ">=", as the script engine does.
            m_tok = Tok::Eq;
            if (m_pos < m_end && *m_pos == u'<') {
                ++m_pos;
                m_tok = Tok::Le;
            } else if (m_pos < m_end && *m_pos == u'>') {
                ++m_pos;
                m_tok = Tok::Ge;
            }
            return;
        case u'<':
            m_tok = Tok::Lt;
            if (m_pos < m_end && *m_pos == u'>') {
                ++m_pos;
                m_tok = Tok::Ne;
            } else if (m_pos < m_end && *m_pos == u'=') {
                ++m_pos;
                m_tok = Tok::Le;
            }
            return;
        case u'>':
            m_tok = Tok::Gt;
            if (m_pos < m_end && *m_pos == u'=') {
                ++m_pos;
                m_tok = Tok::Ge;
            } else if (m_pos < m_end && *m_pos == u'<') {
                ++m_pos;
                m_tok = Tok::Ne;
            }
            return;
        default:
            break;
        }
        --m_pos;
        if (isAsciiLetter(c) || (c >= 0x80 && QChar(c).isLetter())) {
            lexWord();
            return;
        }
        ++m_pos;
        bad(EvalInvalidCharacter);
    }

    void bad(int number) {
        m_tok = Tok::Bad;
        m_badError = number;
    }

    void lexWord() {
        const char16_t* start = m_pos;
        while (m_pos < m_end && isIdentChar(*m_pos))
            ++m_pos;
        const qsizetype n = m_pos - start;
        auto is = [&](const char* word) {
            for (qsizetype i = 0; i < n; ++i) {
                if (word[i] == 0 || (start[i] | 0x20) != word[i]) return false;
            }
            return word[n] == 0;
        };
        if (n == 2 && is("or"))
            m_tok = Tok::Or;
        else if (n == 3 && is("mod"))
            m_tok = Tok::Mod;
        else if (n == 3 && is("not"))
            m_tok = Tok::Not;
        else if (n == 3 && is("and"))
            m_tok = Tok::And;
        else if (n == 3 && is("xor"))
            m_tok = Tok::Xor;
        else if (n == 3 && is("eqv"))
            m_tok = Tok::Eqv;
        else if (n == 3 && is("imp"))
            m_tok = Tok::Imp;
        else if (n == 4 && is("true"))
            number(-1.0, true);
        else if (n == 5 && is("false"))
            number(0.0, true);
        else
            bad(EvalSyntaxError); // a variable or a function: not part of the formulas
    }

    void number(double v, bool isBool) {
        m_tok = Tok::Number;
        m_number = v;
        m_numberIsBool = isBool;
    }

    // A number literal the way the script engine reads it: the leading digits (as many as a
    // 64-bit whole number holds; later decimals are dropped) scaled by a power of ten.
    void lexNumber() {
        constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10;
        std::int64_t mantissa = 0;
        long exponent = 0;
        bool full = false;
        while (m_pos < m_end && isDigit(*m_pos)) {
            const int d = *m_pos++ - u'0';
            if (!full && (mantissa < limit || (mantissa == limit && d <= 7)))
                mantissa = mantissa * 10 + d;
            else {
                full = true;
                ++exponent;
            }
        }
        if (m_pos < m_end && *m_pos == u'.') {
            ++m_pos;
            while (m_pos < m_end && isDigit(*m_pos)) {
                const int d = *m_pos++ - u'0';
                if (!full && (mantissa < limit || (mantissa == limit && d <= 7))) {
                    mantissa = mantissa * 10 + d;
                    --exponent;
                } else {
                    full = true;
                }
            }
        }
        if (m_pos < m_end && (*m_pos == u'e' || *m_pos == u'E')) {
            ++m_pos;
            int sign = 1;
            if (m_pos < m_end && (*m_pos == u'-' || *m_pos == u'+')) {
                sign = *m_pos == u'-' ? -1 : 1;
                ++m_pos;
            }
            if (m_pos >= m_end || !isDigit(*m_pos)) {
                skipWordTail();
                bad(EvalInvalidNumber);
                return;
            }
            long e = 0;
            while (m_pos < m_end && isDigit(*m_pos)) {
                if (e < 100000) e = e * 10 + (*m_pos - u'0');
                ++m_pos;
            }
            exponent += sign * e;
        }
        if (m_pos < m_end && isIdentChar(*m_pos)) {
            skipWordTail();
            bad(EvalInvalidNumber);
            return;
        }
        double value = 0.0;
        if (mantissa != 0) {
            // Scaling by a power of ten beyond the double range gives infinity: the number is
            // unreadable when too large and 0 when too small, as the script engine has it.
            const double m = double(mantissa);
            if (exponent >= 0)
                value = exponent > 400 ? HUGE_VAL : m * pow10(int(exponent));
            else
                value = exponent < -400 ? 0.0 : m / pow10(int(-exponent));
            if (std::isinf(value)) {
                bad(EvalInvalidNumber);
                return;
            }
        }
        number(value, false);
    }

    void skipWordTail() {
        while (m_pos < m_end && (isIdentChar(*m_pos) || *m_pos == u'.'))
            ++m_pos;
    }

    // ---- grammar ---------------------------------------------------------------------------

    Value parseExpr(int minPrec) {
        Value lhs;
        if (m_tok == Tok::Not && minPrec <= PrecNot) {
            int nots = 0;
            while (m_tok == Tok::Not) {
                ++nots;
                next();
            }
            lhs = parseExpr(PrecNot + 1);
            if (m_fatal) return {};
            lhs = applyNot(lhs, nots);
        } else if ((m_tok == Tok::Minus || m_tok == Tok::Plus) && minPrec <= PrecSign) {
            int minus = 0;
            while (m_tok == Tok::Minus || m_tok == Tok::Plus) {
                minus += m_tok == Tok::Minus;
                next();
            }
            lhs = parseExpr(PrecPow);
            if (m_fatal) return {};
            lhs = applySigns(lhs, minus);
        } else {
            lhs = primary();
        }
        while (!m_fatal) {
            const int prec = binaryPrec(m_tok);
            if (prec == 0 || prec < minPrec) break;
            const Tok op = m_tok;
            next();
            Value rhs;
            if (op == Tok::Caret) {
                // The exponent may carry its own signs (2^-2); further ^ apply to the power.
                int minus = 0;
                while (m_tok == Tok::Minus || m_tok == Tok::Plus) {
                    minus += m_tok == Tok::Minus;
                    next();
                }
                rhs = applySigns(primary(), minus);
            } else {
                rhs = parseExpr(prec + 1);
            }
            if (m_fatal) return {};
            lhs = apply(op, lhs, rhs);
        }
        return lhs;
    }

    Value primary() {
        if (m_fatal) return {};
        switch (m_tok) {
        case Tok::Number: {
            const Value v{m_number, m_numberIsBool};
            next();
            return v;
        }
        case Tok::LParen: {
            if (++m_depth > EvalMaxDepth) {
                fail(EvalOutOfStack);
                return {};
            }
            next();
            const Value v = parseExpr(0);
            --m_depth;
            if (m_fatal) return {};
            if (m_tok != Tok::RParen) {
                fail(m_tok == Tok::Bad ? m_badError : EvalExpectedParen);
                return {};
            }
            next();
            return v;
        }
        case Tok::Bad:
            fail(m_badError);
            return {};
        default:
            fail(EvalExpectedExpression);
            return {};
        }
    }

    // ---- operations --------------------------------------------------------------------------

    Value checked(double r) {
        if (!std::isfinite(r)) {
            raise(EvalOverflow);
            return {};
        }
        return {r, false};
    }

    // A whole number within [lo, hi] after rounding, or the overflow error.
    bool toWhole(const Value& a, double lo, double hi, std::int64_t& out) {
        const double r = roundHalfEven(a.v);
        if (!(r >= lo && r <= hi)) {
            raise(EvalOverflow);
            return false;
        }
        out = std::int64_t(r);
        return true;
    }
    bool toLong(const Value& a, std::int64_t& out) {
        return toWhole(a, -2147483648.0, 2147483647.0, out);
    }

    static Value applySigns(const Value& a, int minus) {
        if (minus == 0) return a; // a plus sign leaves even a truth value as it is
        return {minus % 2 ? -a.v : a.v, false};
    }

    // Not applied `count` times: the operand becomes a whole number even when the Nots cancel.
    Value applyNot(const Value& a, int count) {
        if (m_runtime) return {};
        std::int64_t x = 0;
        if (!toLong(a, x)) return {};
        return {double(count % 2 ? ~x : x), a.isBool};
    }

    Value apply(Tok op, const Value& a, const Value& b) {
        if (m_runtime) return {};
        switch (op) {
        case Tok::Plus:
            return checked(a.v + b.v);
        case Tok::Minus:
            return checked(a.v - b.v);
        case Tok::Star:
            return checked(a.v * b.v);
        case Tok::Slash:
            if (b.v == 0.0) {
                raise(a.v == 0.0 ? EvalOverflow : EvalDivisionByZero);
                return {};
            }
            return checked(a.v / b.v);
        case Tok::Caret:
            if (a.v < 0.0 && b.v != std::floor(b.v)) {
                raise(EvalInvalidCall);
                return {};
            }
            return checked(std::pow(a.v, b.v));
        case Tok::Backslash: {
            std::int64_t x = 0, y = 0;
            if (!toLong(a, x) || !toLong(b, y)) return {};
            if (y == 0) {
                raise(EvalDivisionByZero);
                return {};
            }
            const std::int64_t q = x / y;
            if (q > 2147483647) { // -2147483648 \ -1
                raise(EvalOverflow);
                return {};
            }
            return {double(q), false};
        }
        case Tok::Mod: {
            // The operands may exceed the Long range (up to 2^62, as the script engine converts
            // them) as long as the remainder fits it.
            constexpr double lo = -4611686018427387904.0;
            constexpr double hi = 4611686018427387392.0; // the largest double below 2^62
            std::int64_t x = 0, y = 0;
            if (!toWhole(a, lo, hi, x) || !toWhole(b, lo, hi, y)) return {};
            if (y == 0) {
                raise(EvalDivisionByZero);
                return {};
            }
            const std::int64_t r = x % y;
            if (r < -2147483648LL || r > 2147483647LL) {
                raise(EvalOverflow);
                return {};
            }
            return {double(r), false};
        }
        case Tok::Eq:
            return boolean(a.v == b.v);
        case Tok::Ne:
            return boolean(a.v != b.v);
        case Tok::Lt:
            return boolean(a.v < b.v);
        case Tok::Gt:
            return boolean(a.v > b.v);
        case Tok::Le:
            return boolean(a.v <= b.v);
        case Tok::Ge:
            return boolean(a.v >= b.v);
        default:
            break;
        }
        // Logical operators work bitwise on whole numbers; on two truth values that is the
        // truth table, since True is all bits set.
        std::int64_t x = 0, y = 0;
        if (!toLong(a, x) || !toLong(b, y)) return {};
        std::int64_t r = 0;
        switch (op) {
        case Tok::And:
            r = x & y;
            break;
        case Tok::Or:
            r = x | y;
            break;
        case Tok::Xor:
            r = x ^ y;
            break;
        case Tok::Eqv:
            r = ~(x ^ y);
            break;
        case Tok::Imp:
            r = ~x | y;
            break;
        default:
            break;
        }
        return {double(r), a.isBool && b.isBool};
    }

    static Value boolean(bool b) { return {b ? -1.0 : 0.0, true}; }
};

} // namespace

QString errorDescription(int number) {
    return errorText(number);
}

EvalResult evaluate(QStringView expression) {
    const char16_t* begin = expression.utf16();
    Parser parser(begin, begin + expression.size());
    return parser.run();
}

} // namespace mirel::platform
