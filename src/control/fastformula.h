#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <type_traits>
#include <vector>

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

// A side ready to be computed: its operands and operations in the order the expression text is
// read, worked on a small stack. Operands are taken, and operations fail, in the same order as
// the evaluator meets them.
struct FastStep {
    // AddReferences: the references first .. first + count - 1 of the program's references added
    // one after the other to the value on top (what a run of Reference, Add steps does).
    enum Op : quint8 { Number, Reference, Negate, Add, Subtract, Multiply, Divide, AddReferences };
    Op op = Number;
    // Reference: the cell as its piece names it, the row and column variables S and G standing
    // for the loop's row and column.
    bool rowS = false;
    bool columnG = false;
    double value = 0; // Number
    int piece = -1;   // Reference: the index of its piece in the side
    int selection = -1;
    int row = 0;
    int column = 0;
    int first = 0; // AddReferences
    int count = 0;
    // Reference of a fixed cell of the section under control, once the rules are prepared for
    // the section's shape: the cell's index in its row-major values, -1 outside the section
    // (which reads 0); Unresolved otherwise.
    static constexpr int Unresolved = std::numeric_limits<int>::min();
    int flat = Unresolved;
};

struct FastProgram {
    // Deeper sides are left to the evaluator.
    static constexpr int MaxStack = 64;
    QList<FastStep> steps;
    QList<FastStep> references; // the Reference steps that AddReferences steps add
    int depth = 0;              // the most values on the stack at once
};

// Joins each run of two or more Reference, Add steps (a sum of cells, as SUMM_S and SUMM_G
// write it) into one AddReferences step: the same additions in the same order. A sum that is
// not finite stays so whatever is added to it, so it is looked at once, at the end of the run.
void joinSums(FastProgram& program);

enum class FastRelation : quint8 { None, Eq, Ne, Lt, Gt, Le, Ge };

struct FastFormula {
    FastRelation relation = FastRelation::None; // None: the formula has no fast form
    FastProgram left;
    FastProgram right;
    bool usable() const { return relation != FastRelation::None; }
};

// The value of a cell of 1 to 15 plain digits and nothing else (most cells), which every
// reading of a cell gives it; nullopt for any other text.
template <typename View>
inline std::optional<double> wholeDigitsValue(View text) {
    const qsizetype n = text.size();
    if (n == 0 || n > 15) return std::nullopt;
    qint64 whole = 0;
    for (qsizetype i = 0; i < n; ++i) {
        unsigned code;
        if constexpr (std::is_same_v<View, QByteArrayView>)
            code = uchar(text[i]);
        else
            code = text[i].unicode();
        const unsigned digit = code - '0';
        if (digit > 9) return std::nullopt;
        whole = whole * 10 + digit;
    }
    return double(whole);
}

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
inline bool fastCompare(double left, FastRelation relation, double right) {
    switch (relation) {
    case FastRelation::Eq:
        return left == right;
    case FastRelation::Ne:
        return left != right;
    case FastRelation::Lt:
        return left < right;
    case FastRelation::Gt:
        return left > right;
    case FastRelation::Le:
        return left <= right;
    case FastRelation::Ge:
        return left >= right;
    case FastRelation::None:
        break;
    }
    return false;
}

// The program of a token list; nullopt when the list is not a whole expression (or nests too
// deep).
std::optional<FastProgram> compileSide(const QList<FastToken>& tokens);

// Computes a side; referenceValue(step) gives a reference's value or nullopt. nullopt when the
// computation meets what it leaves to the evaluator: a reference without a value, a division by
// zero, a result that is not finite. A referenceValue that has addTo(sum, references, count)
// adds a run of references itself, NaN standing for a reference without a value.
template <typename ReferenceValue>
std::optional<double> fastValue(const FastProgram& program, const ReferenceValue& referenceValue) {
    double stack[FastProgram::MaxStack];
    int top = -1;
    for (const FastStep& step : program.steps) {
        switch (step.op) {
        case FastStep::Number:
            stack[++top] = step.value;
            continue;
        case FastStep::Reference: {
            const std::optional<double> cell = referenceValue(step);
            if (!cell) return std::nullopt;
            stack[++top] = *cell;
            continue;
        }
        case FastStep::Negate:
            stack[top] = -stack[top];
            continue;
        case FastStep::Add:
            --top;
            stack[top] = stack[top] + stack[top + 1];
            break;
        case FastStep::Subtract:
            --top;
            stack[top] = stack[top] - stack[top + 1];
            break;
        case FastStep::Multiply:
            --top;
            stack[top] = stack[top] * stack[top + 1];
            break;
        case FastStep::Divide:
            --top;
            if (stack[top + 1] == 0) return std::nullopt;
            stack[top] = stack[top] / stack[top + 1];
            break;
        case FastStep::AddReferences: {
            const FastStep* reference = program.references.constData() + step.first;
            if constexpr (requires { referenceValue.addTo(stack[top], reference, step.count); }) {
                // A reference without a value adds NaN, which the sum keeps to the check below:
                // the same outcome as giving up at that reference.
                referenceValue.addTo(stack[top], reference, step.count);
            } else {
                double sum = stack[top];
                for (int k = 0; k < step.count; ++k) {
                    const std::optional<double> cell = referenceValue(reference[k]);
                    if (!cell) return std::nullopt;
                    sum = sum + *cell;
                }
                stack[top] = sum;
            }
            break;
        }
        }
        if (!std::isfinite(stack[top])) return std::nullopt;
    }
    if (top != 0) return std::nullopt;
    return stack[0];
}

// Computes a side at many points at once (the cells of a block's loops): at each point, the
// same operations in the same order as fastValue. At a point where fastValue would give up
// (a reference without a value, a division by zero, a result that is not finite), sure[point]
// is cleared and the value is meaningless; elsewhere values[point] is what fastValue gives.
// referenceValues(step, column) fills column[point] with the reference's value at each point,
// clearing sure[point] where it has none. work is the stack, reused from call to call.
template <typename ReferenceValues>
void fastValues(const FastProgram& program, size_t points, const ReferenceValues& referenceValues,
                std::vector<char>& sure, std::vector<double>& work, double* values) {
    if (work.size() < points * size_t(program.depth)) work.resize(points * size_t(program.depth));
    const auto column = [&](int k) { return work.data() + size_t(k) * points; };
    int top = -1;
    for (const FastStep& step : program.steps) {
        double* a = nullptr;
        switch (step.op) {
        case FastStep::Number:
            std::fill_n(column(++top), points, step.value);
            continue;
        case FastStep::Reference:
            referenceValues(step, column(++top));
            continue;
        case FastStep::Negate:
            a = column(top);
            for (size_t p = 0; p < points; ++p)
                a[p] = -a[p];
            continue;
        case FastStep::Add:
        case FastStep::Subtract:
        case FastStep::Multiply:
        case FastStep::Divide: {
            --top;
            a = column(top);
            const double* b = column(top + 1);
            if (step.op == FastStep::Add)
                for (size_t p = 0; p < points; ++p)
                    a[p] = a[p] + b[p];
            else if (step.op == FastStep::Subtract)
                for (size_t p = 0; p < points; ++p)
                    a[p] = a[p] - b[p];
            else if (step.op == FastStep::Multiply)
                for (size_t p = 0; p < points; ++p)
                    a[p] = a[p] * b[p];
            else
                for (size_t p = 0; p < points; ++p) {
                    if (b[p] == 0) sure[p] = 0;
                    a[p] = a[p] / b[p];
                }
            break;
        }
        case FastStep::AddReferences: {
            a = column(top);
            double* b = column(top + 1);
            const FastStep* reference = program.references.constData() + step.first;
            for (int k = 0; k < step.count; ++k) {
                referenceValues(reference[k], b);
                for (size_t p = 0; p < points; ++p)
                    a[p] = a[p] + b[p];
            }
            break;
        }
        }
        for (size_t p = 0; p < points; ++p)
            if (!std::isfinite(a[p])) sure[p] = 0;
    }
    if (top != 0) {
        std::fill_n(sure.begin(), points, char(0));
        return;
    }
    std::copy_n(column(0), points, values);
}

} // namespace mirel::control
