#include "core/text.h"

#include <cmath>
#include <limits>

#include "platform/prompt.h"

namespace mirel::core {

QString Trim(const QString& text) {
    return RTrim(LTrim(text));
}

QString LTrim(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

QString RTrim(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

namespace {

// Length of the number at the start of text (from position i), 0 when none.
qsizetype numberLength(const QString& text, qsizetype i, bool allowComma) {
    const qsizetype start = i;
    const qsizetype n = text.size();
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text.at(i)))
        ++i, ++digits;
    if (i < n &&
        (text.at(i) == QLatin1Char('.') || (allowComma && text.at(i) == QLatin1Char(',')))) {
        qsizetype j = i + 1;
        qsizetype decimals = 0;
        while (j < n && isDigit(text.at(j)))
            ++j, ++decimals;
        if (digits + decimals > 0) {
            i = j;
            digits += decimals;
        }
    }
    if (digits == 0) return 0;
    if (i < n && (text.at(i) == QLatin1Char('E') || text.at(i) == QLatin1Char('e'))) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-'))) ++j;
        qsizetype expDigits = 0;
        while (j < n && isDigit(text.at(j)))
            ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i - start;
}

// A text that is a plain decimal number as a whole: an optional sign, digits, and a point with
// digits after it, 15 digits at most. Its value is the digits as a whole number divided by a
// power of ten; both are exact, so the one rounding of the division gives the nearest double,
// as the general parse does.
bool plainDecimal(const QString& text, double& value) {
    static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const qsizetype n = text.size();
    qsizetype i = 0;
    const bool negative = n > 0 && text.at(0) == QLatin1Char('-');
    if (n > 0 && (negative || text.at(0) == QLatin1Char('+'))) ++i;
    qint64 whole = 0;
    int digits = 0;
    int decimals = -1;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            if (++digits > 15) return false;
            whole = whole * 10 + (c.unicode() - '0');
            if (decimals >= 0) ++decimals;
        } else if (c == QLatin1Char('.') && decimals < 0 && digits > 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (digits == 0 || decimals == 0) return false;
    value = double(whole) / powers[decimals < 0 ? 0 : decimals];
    if (negative) value = -value;
    return true;
}

} // namespace

double Val(const QString& text) {
    // Region codes, row numbers and the values of data files are read without the general
    // parse.
    double plain = 0;
    if (plainDecimal(text, plain)) return plain;
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) compact.append(c);
    const qsizetype len = numberLength(compact, 0, false);
    if (len == 0) return 0.0;
    bool ok = false;
    const double v = compact.left(len).toDouble(&ok);
    return ok ? v : 0.0;
}

namespace {

template <typename T>
T whole(double value) {
    if (std::isnan(value)) return 0;
    // 2^31 or 2^63: exact as doubles, unlike the types' largest values.
    constexpr double limit = -double(std::numeric_limits<T>::min());
    if (value >= limit) return std::numeric_limits<T>::max();
    if (value < -limit) return std::numeric_limits<T>::min();
    return T(value);
}

} // namespace

int wholeInt(double value) {
    return whole<int>(value);
}
qint64 wholeLong(double value) {
    return whole<qint64>(value);
}

bool IsNumeric(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    return numberLength(t, 0, true) == t.size();
}

QString Cut_Before(QString& text, const QString& separator) {
    const qsizetype i = text.indexOf(separator);
    if (i < 0 || separator.isEmpty()) return QString();
    const QString before = text.left(i);
    text = text.mid(i + separator.size());
    return before;
}

QString Cut_Lead_Digits(QString& text) {
    int count = 0;
    return Cut_Lead_Number(text, count);
}

QString Cut_Lead_Number(QString& text, int& count) {
    if (count == 0) count = int(text.size());
    qsizetype i = 0;
    while (i < text.size() && i < count && isDigit(text.at(i)))
        ++i;
    const QString digits = text.left(i);
    if (i > 0) text = LTrim(text.mid(i));
    return digits;
}

bool Is_All_Digits(const QString& text) {
    for (QChar c : text)
        if (!isDigit(c)) return false;
    return true;
}

bool Starts_With_Text(const QString& text, const QString& prefix) {
    const QString t = Trim(text);
    if (t.isEmpty() || t.size() < prefix.size()) return false;
    return t.left(prefix.size()).toUpper() == prefix.toUpper();
}

QString& Squeeze_Spaces(QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!(c == QLatin1Char(' ') && out.endsWith(QLatin1Char(' ')))) out.append(c);
    text = out;
    return text;
}

QString& Remove_Spaces(QString& text) {
    text = Trim(text);
    text.remove(QLatin1Char(' '));
    return text;
}

QString& Tabs_To_Spaces(QString& text) {
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

QString& Replace_All(QString& text, const QString& oldText, const QString& newText) {
    if (oldText.isEmpty() || newText.contains(oldText)) return text.replace(oldText, newText);
    while (text.contains(oldText))
        text.replace(oldText, newText);
    return text;
}

bool Remove_First(QString& text, const QString& part) {
    const qsizetype i = text.indexOf(part);
    if (i < 0 || part.isEmpty()) return false;
    text.remove(i, part.size());
    return true;
}

QStringList Split_Lines(const QString& text) {
    QStringList out;
    for (const QString& piece : text.split(CRLF)) {
        const QString t = Trim(piece);
        if (!t.isEmpty()) out.append(t);
    }
    if (out.isEmpty()) out.append(QString());
    return out;
}

bool Check_Brackets(const QString& text, platform::Prompt& prompt) {
    if (text.count(QLatin1Char('(')) == text.count(QLatin1Char(')'))) return false;
    prompt.message(
        QStringLiteral("Количество открывающих скобок не равно количеству закрывающих -> ") + text);
    return true;
}

QString Month_Name(int month) {
    static const char* const names[] = {"январь",   "февраль", "март",   "апрель",
                                        "май",      "июнь",    "июль",   "август",
                                        "сентябрь", "октябрь", "ноябрь", "декабрь"};
    if (month < 1 || month > 12) return QString();
    return QString::fromUtf8(names[month - 1]);
}

long long Max_Long(long long a, long long b) {
    return a > b ? a : b;
}

} // namespace mirel::core
