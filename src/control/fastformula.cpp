#include "control/fastformula.h"

#include "control/rules.h"

namespace mirel::control {
namespace {

constexpr double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr int maxDigits = 15;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isDigit(QChar c) {
    return isDigit(c.unicode());
}

// The characters of a text, or of code page 1251 bytes: digits, signs, separators and the
// blank are the same in both.
char16_t codeAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}
char16_t codeAt(QByteArrayView text, qsizetype i) {
    return uchar(text[i]);
}

// Digits with at most one separator, read as the evaluator reads a number of at most 15
// digits: the whole number of the digits divided by a power of ten. Moves `at` past them;
// nullopt without a digit or with more than 15.
template <typename View>
std::optional<double> readDigits(View text, qsizetype& at, bool commaToo) {
    qint64 mantissa = 0;
    int digits = 0;
    int decimals = -1;
    for (; at < text.size(); ++at) {
        const char16_t c = codeAt(text, at);
        if ((c == u'.' || (commaToo && c == u',')) && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (!isDigit(c)) break;
        if (++digits > maxDigits) return std::nullopt;
        mantissa = mantissa * 10 + (c - u'0');
        if (decimals >= 0) ++decimals;
    }
    if (digits == 0) return std::nullopt;
    return decimals > 0 ? double(mantissa) / powersOfTen[decimals] : double(mantissa);
}

// The tokens of a literal piece; false for a character or a number outside the fast form.
bool literalTokens(const QString& text, QList<FastToken>& tokens) {
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        FastToken t;
        if (isDigit(c) || c == QLatin1Char('.')) {
            const std::optional<double> v = readDigits(QStringView(text), i, false);
            // "1.2.3" reads on as another number in the evaluator.
            if (!v || (i < text.size() && (isDigit(text.at(i)) || text.at(i) == QLatin1Char('.'))))
                return false;
            t.value = *v;
            tokens.append(t);
            continue;
        }
        switch (c.unicode()) {
        case u'+':
            t.kind = FastToken::Plus;
            break;
        case u'-':
            t.kind = FastToken::Minus;
            break;
        case u'*':
            t.kind = FastToken::Star;
            break;
        case u'/':
            t.kind = FastToken::Slash;
            break;
        case u'(':
            t.kind = FastToken::Open;
            break;
        case u')':
            t.kind = FastToken::Close;
            break;
        default:
            return false;
        }
        tokens.append(t);
        ++i;
    }
    return true;
}

// The tokens of a side, or nullopt when it has no fast form. A literal number next to a
// reference is glued to the cell's text in the expression ("1\1\1.5" reads "12.5"): its
// compilation refuses it, since two operands never stand side by side in an expression.
std::optional<QList<FastToken>> sideTokens(const QList<Piece>& pieces) {
    QList<FastToken> tokens;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const Piece& p = pieces.at(i);
        if (p.isReference()) {
            FastToken t;
            t.kind = FastToken::Reference;
            t.piece = int(i);
            tokens.append(t);
        } else if (!literalTokens(p.text, tokens)) {
            return std::nullopt;
        }
    }
    return tokens;
}

// Reads a token list as the evaluator reads an expression and writes its steps: + and - of
// terms, * and / of factors, signs binding tighter than * and / (-a*b is (-a)*b, a*-b is
// a*(-b)), brackets.
class SideCompiler {
public:
    explicit SideCompiler(const QList<FastToken>& tokens)
        : m_tokens(tokens) {}

    std::optional<FastProgram> compile() {
        if (!expression(0) || m_at != m_tokens.size()) return std::nullopt;
        return m_program;
    }

private:
    // Deeper brackets are left to the evaluator, which has its own limit.
    static constexpr int MaxDepth = 100;

    bool is(FastToken::Kind kind) const {
        return m_at < m_tokens.size() && m_tokens.at(m_at).kind == kind;
    }

    void emit(FastStep::Op op) {
        FastStep step;
        step.op = op;
        m_program.steps.append(step);
        if (op != FastStep::Negate) --m_height;
    }

    bool expression(int depth) {
        if (!term(depth)) return false;
        while (is(FastToken::Plus) || is(FastToken::Minus)) {
            const bool plus = m_tokens.at(m_at++).kind == FastToken::Plus;
            if (!term(depth)) return false;
            emit(plus ? FastStep::Add : FastStep::Subtract);
        }
        return true;
    }

    bool term(int depth) {
        if (!factor(depth)) return false;
        while (is(FastToken::Star) || is(FastToken::Slash)) {
            const bool times = m_tokens.at(m_at++).kind == FastToken::Star;
            if (!factor(depth)) return false;
            emit(times ? FastStep::Multiply : FastStep::Divide);
        }
        return true;
    }

    bool factor(int depth) {
        bool negative = false;
        while (is(FastToken::Plus) || is(FastToken::Minus))
            negative ^= m_tokens.at(m_at++).kind == FastToken::Minus;
        if (m_at >= m_tokens.size()) return false;
        const FastToken& t = m_tokens.at(m_at++);
        switch (t.kind) {
        case FastToken::Number:
        case FastToken::Reference: {
            if (m_height == FastProgram::MaxStack) return false;
            FastStep step;
            step.op = t.kind == FastToken::Number ? FastStep::Number : FastStep::Reference;
            step.value = t.value;
            step.piece = t.piece;
            m_program.steps.append(step);
            m_program.depth = std::max(m_program.depth, ++m_height);
            break;
        }
        case FastToken::Open:
            if (depth >= MaxDepth || !expression(depth + 1) || !is(FastToken::Close)) return false;
            ++m_at;
            break;
        default:
            return false;
        }
        if (negative) emit(FastStep::Negate);
        return true;
    }

    const QList<FastToken>& m_tokens;
    qsizetype m_at = 0;
    FastProgram m_program;
    int m_height = 0; // values on the stack after the steps so far
};

} // namespace

std::optional<FastProgram> compileSide(const QList<FastToken>& tokens) {
    return SideCompiler(tokens).compile();
}

namespace {

template <typename View>
std::optional<double> cellValueOf(View text) {
    // Most cells are whole numbers of a few digits without blanks: read in one pass.
    if (const std::optional<double> whole = wholeDigitsValue(text)) return whole;
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && codeAt(text, begin) == u' ')
        ++begin;
    while (end > begin && codeAt(text, end - 1) == u' ')
        --end;
    if (begin == end) return 0.0;
    bool negative = false;
    if (codeAt(text, begin) == u'+' || codeAt(text, begin) == u'-') {
        negative = codeAt(text, begin) == u'-';
        ++begin;
    }
    qsizetype at = begin;
    const std::optional<double> v = readDigits(text, at, true);
    if (!v || at != end) return std::nullopt;
    return negative ? -*v : *v;
}

} // namespace

std::optional<double> plainNumberValue(QStringView text) {
    const bool negative = !text.isEmpty() && text.front() == u'-';
    qsizetype at = negative ? 1 : 0;
    const std::optional<double> v = readDigits(text, at, false);
    if (!v || at != text.size()) return std::nullopt;
    return negative ? -*v : *v;
}

std::optional<double> fastCellValue(const QString& text) {
    return cellValueOf(QStringView(text));
}

std::optional<double> fastCellValue(QByteArrayView bytes) {
    return cellValueOf(bytes);
}

FastRelation fastRelation(const QString& relation) {
    if (relation == QLatin1String("=")) return FastRelation::Eq;
    if (relation == QLatin1String("<>") || relation == QLatin1String("><")) return FastRelation::Ne;
    if (relation == QLatin1String("<")) return FastRelation::Lt;
    if (relation == QLatin1String(">")) return FastRelation::Gt;
    if (relation == QLatin1String("<=") || relation == QLatin1String("=<")) return FastRelation::Le;
    if (relation == QLatin1String(">=") || relation == QLatin1String("=>")) return FastRelation::Ge;
    return FastRelation::None;
}

void joinSums(FastProgram& program) {
    QList<FastStep> steps;
    const qsizetype n = program.steps.size();
    const auto pairAt = [&](qsizetype i) {
        return i + 1 < n && program.steps.at(i).op == FastStep::Reference &&
               program.steps.at(i + 1).op == FastStep::Add;
    };
    for (qsizetype i = 0; i < n;) {
        qsizetype end = i;
        while (pairAt(end))
            end += 2;
        if (end - i >= 4) {
            FastStep run;
            run.op = FastStep::AddReferences;
            run.first = int(program.references.size());
            run.count = int((end - i) / 2);
            for (qsizetype k = i; k < end; k += 2)
                program.references.append(program.steps.at(k));
            steps.append(run);
            i = end;
            continue;
        }
        steps.append(program.steps.at(i));
        ++i;
    }
    program.steps = steps;
}

FastFormula compileFast(const Formula& formula) {
    FastFormula fast;
    const FastRelation relation = fastRelation(formula.relation);
    if (relation == FastRelation::None) return fast;
    const std::optional<QList<FastToken>> leftTokens = sideTokens(formula.left);
    const std::optional<QList<FastToken>> rightTokens =
        leftTokens ? sideTokens(formula.right) : std::nullopt;
    std::optional<FastProgram> left = rightTokens ? compileSide(*leftTokens) : std::nullopt;
    std::optional<FastProgram> right = left ? compileSide(*rightTokens) : std::nullopt;
    if (!right) return fast;
    for (auto [program, pieces] : {std::pair{&*left, &formula.left}, {&*right, &formula.right}}) {
        for (FastStep& step : program->steps) {
            if (step.op != FastStep::Reference) continue;
            const Piece& p = pieces->at(step.piece);
            step.selection = p.selection;
            step.row = p.row;
            step.column = p.column;
            step.rowS = p.rowS;
            step.columnG = p.columnG;
        }
    }
    joinSums(*left);
    joinSums(*right);
    fast.left = std::move(*left);
    fast.right = std::move(*right);
    fast.relation = relation;
    return fast;
}

} // namespace mirel::control
