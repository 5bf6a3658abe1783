#include "platform/evaluator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace mirel::platform {

QString EvalResult::text() const {
    if (!ok) return QString();
    if (isBoolean) return value != 0.0 ? QStringLiteral("True") : QStringLiteral("False");
    return numberText(value);
}

namespace {

// The first 15 significant digits of a positive value, rounded half up from `precision` + 1
// digits, and the decimal exponent of the first. False when the 16th and 17th digits of the
// rounded text are "50", which may hide a value just below the half.
bool leadingDigits(double value, int precision, char (&digits)[15], int& exponent) {
    char buf[80];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision);
    char all[64];
    int count = 0;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p != '.') all[count++] = *p;
    }
    std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
    if (precision < 20 && all[15] == '5' && all[16] == '0') return false;
    std::copy(all, all + 15, digits);
    if (all[15] >= '5') {
        int i = 14;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits[0] = '1';
            ++exponent;
        }
    }
    return true;
}

// The shortest digits that read back as the (positive) value, when there are at most 15 of
// them: they are then its 15-digit rounding too, the value lying far nearer to them than half a
// step of the fifteenth digit. False for values that need more digits.
bool shortestDigits(double value, char (&digits)[15], int& count, int& exponent) {
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    count = 0;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p == '.') continue;
        if (count == 15) return false;
        digits[count++] = *p;
    }
    std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
    return count > 0;
}

// "00" to "99", for writing digits two at a time.
constexpr char DigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// 10^0 to 10^15.
constexpr auto Power = [] {
    std::array<unsigned long long, 16> p{};
    p[0] = 1;
    for (size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}();

// The text of a value that is a whole number, or one of hundredths, thousandths... up to
// 10^-MostPlaces (most typed figures), between 1E-04 and 1E+14, written straight from its digits:
// n / 10^k reads back as the value when the division of the two exact numbers gives it, and
// with n below 10^15 no other n of as many digits lies as near, so these are the shortest
// digits too, written without an exponent. Without to_chars, which costs more. 0 for any
// other value.
int fewPlacesChars(double value, char (&out)[NumberCharsSize]) {
    constexpr int MostPlaces = 6;
    static constexpr double Scale[MostPlaces + 1] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    const double a = std::fabs(value);
    if (!(a >= 1e-4 && a < 1e14)) return 0;
    for (int k = 0; k <= MostPlaces; ++k) {
        const double product = a * Scale[k];
        if (product >= 1e15) return 0;
        // Rounded to a whole number by adding 2^52 (below it every double is exact in
        // halves and wholes): a call to nearbyint costs more than the whole try.
        constexpr double Shift = 4503599627370496.0;
        const double scaled = (product + Shift) - Shift;
        if (scaled / Scale[k] != a) continue;
        auto n = static_cast<unsigned long long>(scaled);
        int places = k;
        while (places > 0 && n % 10 == 0) // (the smallest k leaves none, but to be sure)
            n /= 10, --places;
        // Written from the last digit: the `places` digits of the fraction and the point, then
        // the whole part two digits at a time ("0" when there is none).
        const int log = (int(std::bit_width(n | 1)) * 1233) >> 12; // ⌊log10 n⌋, or one more
        const int count = log + 1 - (n < Power[log]);
        const int length = (value < 0) + std::max(count, places + 1) + (places > 0);
        char* at = out + length;
        for (int i = 0; i < places; ++i) {
            const unsigned long long rest = n / 10;
            *--at = char('0' + (n - rest * 10));
            n = rest;
        }
        if (places > 0) *--at = '.';
        while (n >= 100) {
            const unsigned long long rest = n / 100;
            at -= 2;
            std::memcpy(at, DigitPairs + 2 * (n - rest * 100), 2);
            n = rest;
        }
        if (n >= 10) {
            at -= 2;
            std::memcpy(at, DigitPairs + 2 * n, 2);
        } else {
            *--at = char('0' + n);
        }
        if (value < 0) out[0] = '-';
        return length;
    }
    return 0;
}

} // namespace

QString numberText(double value) {
    char out[NumberCharsSize];
    return QString::fromLatin1(out, numberChars(value, out));
}

int numberChars(double value, char (&out)[NumberCharsSize], bool* readsBack) {
    bool exact = true;
    const int n = numberChars(value, out, exact);
    if (readsBack) *readsBack = exact;
    return n;
}

int numberChars(double value, char (&out)[NumberCharsSize], bool& readsBack) {
    readsBack = true;
    if (value == 0.0) {
        readsBack = !std::signbit(value);
        out[0] = '0';
        return 1;
    }
    if (!std::isfinite(value)) {
        readsBack = false;
        std::copy_n("***", 3, out);
        return 3;
    }
    if (const int length = fewPlacesChars(value, out)) return length;
    // Whole numbers below 1E+15 have at most 15 digits: written as they are.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return int(std::to_chars(out, out + NumberCharsSize, static_cast<long long>(value)).ptr -
                   out);

    // 15 significant digits, halves rounded away from zero as the script engine does (not to
    // even): 100000000000000.5 is "100000000000001".
    int exponent = 0;
    char digits[15];
    int count = 15;
    // (Not so for the tiny values below the normal range, which have fewer bits.)
    if (!std::isnormal(value) || !shortestDigits(std::fabs(value), digits, count, exponent)) {
        count = 15;
        readsBack = false;
        if (!leadingDigits(std::fabs(value), 16, digits, exponent)) {
            // The two digits after the 15th read "50": look further to tell a half from less.
            leadingDigits(std::fabs(value), 50, digits, exponent);
        }
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;
    const bool negative = value < 0;

    int n = 0;
    if (negative) out[n++] = '-';
    if (exponent < -4 || exponent >= 15) {
        out[n++] = digits[0];
        if (count > 1) {
            out[n++] = '.';
            for (int i = 1; i < count; ++i)
                out[n++] = digits[i];
        }
        out[n++] = 'E';
        out[n++] = exponent < 0 ? '-' : '+';
        const int e = exponent < 0 ? -exponent : exponent;
        if (e >= 100) out[n++] = char('0' + e / 100);
        out[n++] = char('0' + e / 10 % 10);
        out[n++] = char('0' + e % 10);
    } else if (exponent < 0) {
        out[n++] = '0';
        out[n++] = '.';
        for (int i = -1; i > exponent; --i)
            out[n++] = '0';
        for (int i = 0; i < count; ++i)
            out[n++] = digits[i];
    } else {
        for (int i = 0; i <= exponent; ++i)
            out[n++] = i < count ? digits[i] : '0';
        if (count > exponent + 1) {
            out[n++] = '.';
            for (int i = exponent + 1; i < count; ++i)
                out[n++] = digits[i];
        }
    }
    return n;
}

namespace {

// A decimal number text taken apart: sign, whole digits, decimal digits (exponent applied).
struct DecimalText {
    bool negative = false;
    QString whole;
    QString decimals;
};

bool parseDecimal(const QString& text, DecimalText& out) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text.at(i) == u' ')
        ++i;
    while (end > i && text.at(end - 1) == u' ')
        --end;
    if (i < end && (text.at(i) == u'-' || text.at(i) == u'+')) {
        out.negative = text.at(i) == u'-';
        ++i;
    }
    QString digits;
    qsizetype point = -1;
    for (; i < end; ++i) {
        const QChar c = text.at(i);
        if (c >= u'0' && c <= u'9')
            digits.append(c);
        else if ((c == u'.' || c == u',') && point < 0)
            point = digits.size();
        else
            break;
    }
    if (digits.isEmpty()) return false;
    if (point < 0) point = digits.size();
    if (i < end) {
        if (text.at(i) != u'e' && text.at(i) != u'E') return false;
        ++i;
        bool expNegative = false;
        if (i < end && (text.at(i) == u'-' || text.at(i) == u'+')) {
            expNegative = text.at(i) == u'-';
            ++i;
        }
        if (i >= end) return false;
        long e = 0;
        for (; i < end; ++i) {
            const QChar c = text.at(i);
            if (c < u'0' || c > u'9') return false;
            if (e < 100000) e = e * 10 + (c.unicode() - u'0');
        }
        if (e > 1000) return false; // no double comes near; writing it out would make a huge text
        point += expNegative ? -e : e;
    }
    if (point <= 0) {
        out.whole = QStringLiteral("0");
        out.decimals = QString(-point, u'0') + digits;
    } else if (point >= digits.size()) {
        out.whole = digits + QString(point - digits.size(), u'0');
    } else {
        out.whole = digits.left(point);
        out.decimals = digits.mid(point);
    }
    qsizetype lead = 0;
    while (lead + 1 < out.whole.size() && out.whole.at(lead) == u'0')
        ++lead;
    out.whole.remove(0, lead);
    return true;
}

} // namespace

QString formatNumber(const QString& text, int decimals) {
    DecimalText d;
    if (decimals < 1 || !parseDecimal(text, d)) return text;
    decimals = std::min(decimals, FormatMaxDecimals);
    const QString sign = d.negative ? QStringLiteral("-") : QString();
    if (d.decimals.isEmpty()) return sign + d.whole + u'.' + QString(decimals, u'0');

    if (d.decimals.size() > decimals && d.decimals.at(decimals) >= u'5') {
        // One unit of the last kept decimal away from zero, carried through the digits.
        QString digits = d.whole + d.decimals.left(decimals);
        qsizetype i = digits.size() - 1;
        for (; i >= 0; --i) {
            if (digits.at(i) == u'9') {
                digits[i] = u'0';
            } else {
                digits[i] = QChar(digits.at(i).unicode() + 1);
                break;
            }
        }
        if (i < 0) digits.prepend(u'1');
        return sign + digits.left(digits.size() - decimals) + u'.' + digits.right(decimals);
    }
    // Without rounding the decimals are padded with at most three zeros.
    return sign + d.whole + u'.' + (d.decimals + QStringLiteral("000")).left(decimals);
}

QString formatNumber(double value, int decimals) {
    if (decimals < 1) return numberText(value);
    return formatNumber(numberText(value), decimals);
}

} // namespace mirel::platform
