#pragma once

#include <cmath>
#include <optional>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace mirel::control {

// A formula side made of numbers and cell references joined by + - * / and brackets. The
// control computes such a side on doubles instead of writing its expression text and reading it
// back: the same operations on the same values in the same order, so the same result. Whatever
// the computation cannot settle alone (a cell that is not a plain number, a division by zero, an
// overflow, a condition that does not hold) is left to the text evaluation, which reports it.
struct FastToken {
    enum Kind : quint8 { Number, Reference, Plus, Minus, Star, Slash, Open, Close };
    Kind kind = Number;
    double value = 0; // Number
    int piece = -1;   // Reference: the index of its piece in the side
};

enum class FastRelation : quint8 { None, Eq, Ne, Lt, Gt, Le, Ge };

struct FastFormula {
    FastRelation relation = FastRelation::None; // None: the formula has no fast form
    QList<FastToken> left;
    QList<FastToken> right;
    bool usable() const { return relation != FastRelation::None; }
};

// The value of a cell text as the text evaluation reads it when it is a plain number: blanks
// around it, a sign, at most 15 digits with one "." or "," among them; 0 for an empty text.
// nullopt for anything else (an exponent, a letter, more digits), which the text evaluation
// settles.
std::optional<double> fastCellValue(const QString& text);
// The same on a cell's bytes in code page 1251.
std::optional<double> fastCellValue(QByteArrayView bytes);

// A text that is one number written plainly ("12", "-3.5", ".5": a "-", at most 15 digits with
// one "." among them): its value as the evaluator reads such a literal; nullopt for anything else.
std::optional<double> plainNumberValue(QStringView text);

// The relation as the evaluator reads it ("=<" is "<=", "><" is "<>"); None for another text.
FastRelation fastRelation(const QString& relation);

// True when the relation holds between the two values.
bool fastCompare(double left, FastRelation relation, double right);

// Computes a token list; referenceValue(piece) gives a reference's value or nullopt. nullopt when
// the list is not a whole expression or the computation meets what it leaves to the evaluator.
// With structureOnly the list is only checked to be an expression, whatever the values give.
template <typename ReferenceValue>
class FastSide {
public:
    FastSide(const QList<FastToken>& tokens, const ReferenceValue& referenceValue,
             bool structureOnly = false)
        : m_tokens(tokens)
        , m_referenceValue(referenceValue)
        , m_structureOnly(structureOnly) {}

    std::optional<double> value() {
        double v = 0;
        if (!expression(v, 0) || m_at != m_tokens.size()) return std::nullopt;
        return v;
    }

private:
    // Deeper brackets are left to the evaluator, which has its own limit.
    static constexpr int MaxDepth = 100;

    bool is(FastToken::Kind kind) const {
        return m_at < m_tokens.size() && m_tokens.at(m_at).kind == kind;
    }

    bool finite(double v) const { return m_structureOnly || std::isfinite(v); }

    bool expression(double& v, int depth) {
        if (!term(v, depth)) return false;
        while (is(FastToken::Plus) || is(FastToken::Minus)) {
            const bool plus = m_tokens.at(m_at++).kind == FastToken::Plus;
            double r = 0;
            if (!term(r, depth)) return false;
            v = plus ? v + r : v - r;
            if (!finite(v)) return false;
        }
        return true;
    }

    bool term(double& v, int depth) {
        if (!factor(v, depth)) return false;
        while (is(FastToken::Star) || is(FastToken::Slash)) {
            const bool times = m_tokens.at(m_at++).kind == FastToken::Star;
            double r = 0;
            if (!factor(r, depth)) return false;
            if (m_structureOnly) continue;
            if (!times && r == 0) return false;
            v = times ? v * r : v / r;
            if (!finite(v)) return false;
        }
        return true;
    }

    // Signs bind tighter than * and /, as in the evaluator: -a*b is (-a)*b, a*-b is a*(-b).
    bool factor(double& v, int depth) {
        bool negative = false;
        while (is(FastToken::Plus) || is(FastToken::Minus))
            negative ^= m_tokens.at(m_at++).kind == FastToken::Minus;
        if (m_at >= m_tokens.size()) return false;
        const FastToken& t = m_tokens.at(m_at++);
        switch (t.kind) {
        case FastToken::Number:
            v = t.value;
            break;
        case FastToken::Reference: {
            const std::optional<double> cell = m_referenceValue(t.piece);
            if (!cell) return false;
            v = *cell;
            break;
        }
        case FastToken::Open:
            if (depth >= MaxDepth || !expression(v, depth + 1) || !is(FastToken::Close))
                return false;
            ++m_at;
            break;
        default:
            return false;
        }
        if (negative) v = -v;
        return true;
    }

    const QList<FastToken>& m_tokens;
    const ReferenceValue& m_referenceValue;
    bool m_structureOnly = false;
    qsizetype m_at = 0;
};

template <typename ReferenceValue>
std::optional<double> fastValue(const QList<FastToken>& tokens,
                                const ReferenceValue& referenceValue) {
    return FastSide<ReferenceValue>(tokens, referenceValue).value();
}

} // namespace mirel::control
