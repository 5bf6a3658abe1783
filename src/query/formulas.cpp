#include "query/formulas.h"

#include <cmath>
#include <functional>
#include <QHash>
#include <QSet>
#include <QVarLengthArray>

#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/codec.h"
#include "platform/evaluator.h"
#include "platform/prompt.h"

namespace mirel::query {
namespace {

// Expanded formulas beyond this length come from references that feed on each other; they are
// reported like a reference to a missing formula instead of exhausting memory.
constexpr qsizetype MaxExpandedLength = 1 << 22;
// Each expanded reference adds a level of brackets, and the evaluator takes no deeper
// brackets than this: a longer chain of S, V or G references is reported at the reference
// that goes too deep (and the expansion never runs out of stack).
constexpr qsizetype MaxReferenceDepth = platform::EvalMaxDepth;

QString digitsAt(const QString& text, qsizetype i) {
    qsizetype j = i;
    while (j < text.size() && core::isDigit(text.at(j)))
        ++j;
    return text.mid(i, j - i);
}

QString numberText(const QString& digits) {
    QString d = digits;
    while (d.size() > 1 && d.startsWith(QLatin1Char('0')))
        d.remove(0, 1);
    return d;
}

// A formula that the IF( or RANG( rewriting cuts by its brackets must not get extra brackets.
bool bracketSafe(const QString& text) {
    return !text.contains(QStringLiteral("IF(")) && !text.contains(QStringLiteral("RANG(")) &&
           !text.contains(QStringLiteral("IND("));
}

QString formulaLine(const Formula& f) {
    return f.column + QLatin1Char('=') + f.text;
}

} // namespace

bool expandRowReferences(QList<RowBlock>& blocks, platform::Prompt& prompt) {
    QHash<QString, int> rowIndex;
    for (int b = 0; b < blocks.size(); ++b)
        if (!rowIndex.contains(blocks.at(b).id)) rowIndex.insert(blocks.at(b).id, b);

    // Raw formula texts of every row and column; the expansion of a row formula may need the
    // expansion of another row's formula first.
    QHash<QPair<int, QString>, QString> done;
    QSet<QPair<int, QString>> active;
    std::function<std::optional<QString>(int, const Formula&)> expand;
    expand = [&](int b, const Formula& f) -> std::optional<QString> {
        const QPair<int, QString> key(b, f.column);
        const auto hit = done.constFind(key);
        if (hit != done.cend()) return hit.value();
        active.insert(key);
        const QString& text = f.text;
        QString out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) != QLatin1Char('S') || i + 1 >= text.size() ||
                !core::isDigit(text.at(i + 1))) {
                out += text.at(i);
                continue;
            }
            const QString id = digitsAt(text, i + 1);
            const auto row = rowIndex.constFind(id);
            const Formula* target = nullptr;
            if (row != rowIndex.cend())
                for (const Formula& g : blocks.at(row.value()).formulas)
                    if (g.column == f.column) target = &g;
            const bool cycle = target && active.contains({row.value(), f.column});
            if (row == rowIndex.cend() || cycle || out.size() > MaxExpandedLength ||
                active.size() > MaxReferenceDepth) {
                prompt.message(QStringLiteral("Недопустимое значение ссылки (") + id +
                               QStringLiteral(") на строку формируемой таблицы-> ") +
                               formulaLine(f));
                active.remove(key);
                return std::nullopt;
            }
            std::optional<QString> sub;
            if (target) {
                sub = expand(row.value(), *target);
                if (!sub) {
                    active.remove(key);
                    return std::nullopt;
                }
            }
            // A row without a formula for this column counts as an empty cell.
            const QString value = target ? *sub : QStringLiteral("0");
            out += bracketSafe(value) ? QLatin1Char('(') + value + QLatin1Char(')') : value;
            i += id.size();
        }
        active.remove(key);
        done.insert(key, out);
        return out;
    };
    for (int b = 0; b < blocks.size(); ++b) {
        QList<QString> texts;
        for (const Formula& f : blocks.at(b).formulas) {
            const auto t = expand(b, f);
            if (!t) return false;
            texts.append(*t);
        }
        for (int k = 0; k < texts.size(); ++k)
            blocks[b].formulas[k].text = texts.at(k);
    }
    return true;
}

namespace {

// The virtual formulas of one table by number (the last of a number counts) and their
// expansions, each made once.
struct VirtualTable {
    QHash<QString, const Formula*> byNumber;
    QHash<QString, QString> expanded;
    QSet<QString> active;
};

// Replaces "V" n by the bracketed virtual formula n of the table (not "VV").
std::optional<QString> expandVirtuals(const QString& text, VirtualTable& table,
                                      const Formula& owner, platform::Prompt& prompt) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('V') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('V')) {
            out += QStringLiteral("VV");
            ++i;
            continue;
        }
        if (c != QLatin1Char('V') || i + 1 >= text.size() || !core::isDigit(text.at(i + 1))) {
            out += c;
            continue;
        }
        const QString digits = digitsAt(text, i + 1);
        const QString n = numberText(digits);
        const Formula* v = table.byNumber.value(n);
        std::optional<QString> sub;
        if (const auto hit = table.expanded.constFind(n); hit != table.expanded.cend()) {
            sub = hit.value();
        } else if (v && !table.active.contains(n) && table.active.size() < MaxReferenceDepth) {
            table.active.insert(n);
            sub = expandVirtuals(v->text, table, owner, prompt);
            table.active.remove(n);
            if (!sub) return std::nullopt;
            table.expanded.insert(n, *sub);
        }
        if (!sub || out.size() > MaxExpandedLength) {
            prompt.message(QStringLiteral("Недопустимое значение ссылки (") + digits +
                           QStringLiteral(") на виртуальную графу -> ") + formulaLine(owner));
            return std::nullopt;
        }
        out += QLatin1Char('(') + *sub + QLatin1Char(')');
        i += digits.size();
    }
    return out;
}

std::optional<QString> expandGlobals(const QString& text, const QStringList& vv,
                                     const Formula& owner, platform::Prompt& prompt) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!QStringView(text).mid(i).startsWith(QLatin1String("VV")) || i + 2 >= text.size() ||
            !core::isDigit(text.at(i + 2))) {
            out += text.at(i);
            continue;
        }
        const QString digits = digitsAt(text, i + 2);
        const int n = digits.size() > 9 ? -1 : digits.toInt();
        if (n < 1 || n > vv.size()) {
            prompt.message(QStringLiteral("Недопустимое значение ссылки (") + digits +
                           QStringLiteral(") на глобальную виртуальную графу -> ") +
                           formulaLine(owner));
            return std::nullopt;
        }
        out += vv.at(n - 1);
        i += 1 + digits.size();
    }
    return out;
}

} // namespace

bool expandShortNames(RowBlock& block, const QStringList& vv, platform::Prompt& prompt) {
    QList<VirtualTable> tables(block.virtuals.size());
    for (int t = 0; t < block.virtuals.size(); ++t)
        for (const Formula& v : block.virtuals.at(t))
            tables[t].byNumber.insert(v.column, &v);
    VirtualTable none;
    for (Formula& f : block.formulas) {
        VirtualTable& table =
            f.virtualTable >= 0 && f.virtualTable < tables.size() ? tables[f.virtualTable] : none;
        auto text = expandVirtuals(f.text, table, f, prompt);
        if (!text) return false;
        text = expandGlobals(*text, vv, f, prompt);
        if (!text) return false;
        f.text = *text;
    }

    // "G" n: the formula of column n of the same row, bracketed.
    QHash<QString, int> byColumn;
    for (int k = 0; k < block.formulas.size(); ++k)
        byColumn.insert(block.formulas.at(k).column, k);
    QHash<int, QString> done;
    QSet<int> active;
    std::function<std::optional<QString>(int)> expand = [&](int k) -> std::optional<QString> {
        if (done.contains(k)) return done.value(k);
        const Formula& f = block.formulas.at(k);
        active.insert(k);
        QString out;
        for (qsizetype i = 0; i < f.text.size(); ++i) {
            if (f.text.at(i) != QLatin1Char('G') || i + 1 >= f.text.size() ||
                !core::isDigit(f.text.at(i + 1))) {
                out += f.text.at(i);
                continue;
            }
            const QString digits = digitsAt(f.text, i + 1);
            const int target = byColumn.value(numberText(digits), -1);
            if (target < 0 || active.contains(target) || out.size() > MaxExpandedLength ||
                active.size() > MaxReferenceDepth) {
                prompt.message(QStringLiteral("Недопустимое значение ссылки (") + digits +
                               QStringLiteral(") на графу -> ") + formulaLine(f));
                active.remove(k);
                return std::nullopt;
            }
            const std::optional<QString> sub = expand(target);
            if (!sub) {
                active.remove(k);
                return std::nullopt;
            }
            out += QLatin1Char('(') + *sub + QLatin1Char(')');
            i += digits.size();
        }
        active.remove(k);
        done.insert(k, out);
        return out;
    };
    for (int k = 0; k < block.formulas.size(); ++k)
        if (!expand(k)) return false;
    for (int k = 0; k < block.formulas.size(); ++k)
        block.formulas[k].text = done.value(k);
    return true;
}

std::optional<QList<Part>> tokenise(const QString& formula, const ReferenceTable& refs,
                                    const reference::FormCatalog& forms, bool entryMode,
                                    platform::Prompt& prompt) {
    static const QString stops = QStringLiteral("+-*/()\\=<>");
    QList<Part> parts;
    QString literal;
    const qsizetype n = formula.size();
    const auto fail = [&](const QString& text) {
        prompt.message(text + formula);
        return std::nullopt;
    };
    qsizetype i = 0;
    while (i < n) {
        if (formula.at(i) != QLatin1Char('\\')) {
            literal += formula.at(i++);
            continue;
        }
        qsizetype k = literal.size();
        while (k > 0 && core::isDigit(literal.at(k - 1)))
            --k;
        const QString number = literal.mid(k);
        if (number.isEmpty())
            return fail(QStringLiteral("Не выделена ссылка на форму-раздел-дату -> "));
        const int ref = findReference(refs, number);
        if (ref < 0)
            return fail(QStringLiteral("Не действительна ссылка на форму-раздел-дату -> "));
        literal.truncate(k);

        const qsizetype second = formula.indexOf(QLatin1Char('\\'), i + 1);
        if (second < 0) return fail(QStringLiteral("Не выделен идентификатор строки -> "));
        Part part;
        part.literal = literal;
        part.ref = ref;
        part.grid = entryMode && number == QStringLiteral("1");
        part.row = core::Trim(formula.mid(i + 1, second - i - 1));
        const reference::SectionStructure* section = refs.at(ref).structure(forms);
        if (part.row != QStringLiteral("I") && section && !section->rows.contains(part.row))
            return fail(QStringLiteral("Недействительное значение идентификатора строки (") +
                        part.row + QStringLiteral(") : "));
        qsizetype m = second + 1;
        while (m < n && !stops.contains(formula.at(m)))
            ++m;
        part.column = core::Trim(formula.mid(second + 1, m - second - 1));
        if (part.column.isEmpty())
            return fail(QStringLiteral("Не выделен идентификатор графы -> "));
        if (section && !section->columns.contains(part.column))
            return fail(QStringLiteral("Недействительное значение идентификатора графы (") +
                        part.column + QStringLiteral(") -> "));
        part.columnNo = core::wholeInt(core::Val(part.column));
        i = m;
        if (i < n && formula.at(i) == QLatin1Char('\\')) {
            if (i + 1 < n && core::isDigit(formula.at(i + 1))) {
                part.region = digitsAt(formula, i + 1);
                i += 1 + part.region.size();
            } else if (i + 1 < n && formula.at(i + 1) == QLatin1Char('\\')) {
                ++i;
            } else {
                return fail(QStringLiteral("Не выделен код -> "));
            }
            if (i + 1 < n && formula.at(i) == QLatin1Char('\\') &&
                core::isDigit(formula.at(i + 1))) {
                part.trailing = digitsAt(formula, i + 1);
                i += 1 + part.trailing.size();
            }
        }
        if (part.grid) part.ref = ref;
        parts.append(part);
        literal.clear();
    }
    Part last;
    last.literal = literal;
    parts.append(last);
    return parts;
}

DataCache::Section& FormulaContext::sectionOf(const Part& part) const {
    if (m_sources.size() != refs->size()) m_sources = QList<Source>(refs->size());
    Source& source = m_sources[part.ref];
    if (!source.section) {
        const Reference& ref = refs->at(part.ref);
        source.section = &cache->section(
            data::periodDataDir(datDir, ref.resolvedYear, ref.resolvedMonth, ref.form),
            ref.sectionNo);
    }
    return *source.section;
}

int FormulaContext::regionOf(const Part& part, const QString& region) const {
    DataCache::Section& section = sectionOf(part);
    if (!part.region.isEmpty()) {
        // A region named in the formula is read for every row: its files stay.
        const int number = cache->regionNumber(part.region);
        cache->keepRegion(number);
        return number;
    }
    if (m_regionNumber < 0 || m_region != region) {
        m_region = region;
        m_regionNumber = cache->regionNumber(region);
        // The region's files of the references met so far are read together: readings one
        // after another go quicker than readings between evaluations.
        for (DataCache::Section* s : m_regionSections)
            if (!cache->hasCells(*s, m_regionNumber)) cache->file(*s, m_regionNumber);
    }
    Source& source = m_sources[part.ref];
    if (!source.forRegion) {
        source.forRegion = true;
        if (!m_regionSections.contains(&section)) m_regionSections.append(&section);
    }
    return m_regionNumber;
}

void FormulaContext::keepCellsOf(const QList<Part>& parts) const {
    for (const Part& part : parts)
        if (part.ref >= 0 && !part.grid && part.region.isEmpty())
            cache->keepCell(sectionOf(part), part.row, part.columnNo);
}

QStringView FormulaContext::value(const Part& part, const QString& region) const {
    if (part.grid && grid) {
        int row = 0;
        if (part.row.contains(QLatin1Char('I'))) {
            row = gridRow;
        } else {
            const reference::SectionStructure* s = refs->at(part.ref).structure(*forms);
            row = s ? int(s->rows.indexOf(part.row)) + 1 : 0;
            if (row == 0) row = core::wholeInt(core::Val(part.row));
        }
        if (row < 1 || row >= grid->rowCount() || part.columnNo < 1 ||
            part.columnNo >= grid->columnCount())
            return u"0";
        m_value = core::Trim(grid->cell(row, part.columnNo));
        return m_value.isEmpty() ? QStringView(u"0") : QStringView(m_value);
    }
    DataCache::Section& section = sectionOf(part);
    const int number = regionOf(part, region);
    const bool rowOfGrid = grid && part.row.contains(QLatin1Char('I'));
    QByteArrayView kept;
    bool exists = true;
    if (!rowOfGrid && cache->keptCell(section, number, part.row, part.columnNo, kept, exists)) {
        if (!exists) return u"-";
        platform::decode1251(kept, m_value);
        return m_value;
    }
    const DataFile& file = cache->file(section, number);
    if (!file.exists) return u"-";
    if (rowOfGrid) {
        // In the entry mode "I" is the row being computed, also in other sections.
        const reference::SectionStructure* s = refs->at(part.ref).structure(*forms);
        const QString row = s && gridRow >= 1 && gridRow <= s->rows.size()
                                ? s->rows.at(gridRow - 1)
                                : QString::number(gridRow);
        platform::decode1251(file.rawValue(row, part.columnNo), m_value);
    } else {
        platform::decode1251(file.rawValue(part.row, part.columnNo), m_value);
    }
    return m_value;
}

CellOutcome evaluateFormula(const CompiledFormula& formula, const QString& region, int precision,
                            const FormulaContext& context, QString& cell) {
    cell.clear();
    if (formula.notCalc.contains(region)) return CellOutcome::Empty;
    QVarLengthArray<QChar, 256> expression;
    for (const Part& part : formula.parts) {
        expression.append(part.literal.constData(), part.literal.size());
        if (!part.isReference()) continue;
        const QStringView v = context.value(part, region);
        if (v == u"-") return CellOutcome::Empty;
        if (v.isEmpty()) return CellOutcome::Stop;
        expression.append(v.data(), v.size());
    }
    return evaluateExpression(QString(expression.constData(), expression.size()), precision,
                              context, cell);
}

namespace {

// Whether the text holds the name of a function. Its first letter is looked for first, which
// is much quicker: most expressions hold no letter at all.
bool holds(QStringView text, QLatin1StringView name) {
    return text.contains(QChar(name.front())) && text.contains(name);
}

bool truthOf(const platform::EvalResult& r) {
    return r.value != 0.0;
}

// A divisor written as zero: "/0" not followed by more digits or a decimal separator, or
// "/(0)". (A divisor such as 0.5 or 05 is not zero.)
bool dividesByZero(QStringView text) {
    for (qsizetype i = text.indexOf(QChar(u'/')); i >= 0; i = text.indexOf(QChar(u'/'), i + 1)) {
        const QStringView divisor = text.mid(i + 1);
        if (divisor.startsWith(u"(0)")) return true;
        if (divisor.startsWith(QLatin1Char('0')) &&
            (divisor.size() == 1 || !(core::isDigit(divisor[1]) || divisor[1] == QLatin1Char('.') ||
                                      divisor[1] == QLatin1Char(','))))
            return true;
    }
    return false;
}

// SUMM_S(first,last,column): the rounded sum of a grid column over rows first..last. False when
// an argument is missing (the formula then gives nothing).
bool replaceGridSums(QString& text, const FormulaContext& context) {
    static const QString name = QStringLiteral("SUMM_S(");
    qsizetype pos = text.indexOf(name);
    while (pos >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char(')'), pos);
        if (close < 0) return false;
        const QStringList args =
            text.mid(pos + name.size(), close - pos - name.size()).split(QLatin1Char(','));
        if (args.size() < 3) return false;
        for (const QString& a : args.mid(0, 3))
            if (core::Trim(a).isEmpty()) return false;
        const double first = core::Val(args.at(0));
        const double last = core::Val(args.at(1));
        const double column = core::Val(args.at(2));
        if (first <= 0 || last <= 0 || column <= 0) {
            const qsizetype next = text.indexOf(name, pos + name.size());
            text = text.left(pos) + (next < 0 ? QString() : text.mid(next));
            pos = next < 0 ? -1 : pos;
            if (pos >= 0) pos = text.indexOf(name, pos);
            continue;
        }
        double sum = 0;
        if (context.grid)
            for (int r = core::wholeInt(first);
                 r <= core::wholeInt(last) && r < context.grid->rowCount(); ++r)
                if (core::wholeInt(column) < context.grid->columnCount())
                    sum += core::Val(context.grid->cell(r, core::wholeInt(column))
                                         .replace(QLatin1Char(','), QLatin1Char('.')));
        const QString value = QString::number(core::wholeLong(std::round(sum)));
        text.replace(pos, close - pos + 1, value);
        pos = text.indexOf(name, pos + value.size());
    }
    return true;
}

} // namespace

std::optional<QString> rewriteIf(const QString& expression, ConditionError& error) {
    QString text = expression;
    text.replace(QStringLiteral("AND"), QStringLiteral(" AND "));
    text.replace(QStringLiteral("OR"), QStringLiteral(" OR "));
    const QStringList pieces = text.split(QStringLiteral("IF("));
    QString out;
    for (int k = 0; k < pieces.size(); ++k) {
        const QString piece = core::Trim(pieces.at(k));
        // The text before the first IF( is no condition: it stays as it is.
        if (k == 0 || piece.isEmpty()) {
            out += piece;
            continue;
        }
        const qsizetype close = piece.lastIndexOf(QLatin1Char(')'));
        if (close < 0) {
            out += piece;
            continue;
        }
        const QString inner = piece.left(close);
        const QString tail = piece.mid(close + 1);
        const qsizetype comma = inner.lastIndexOf(QLatin1Char(','));
        if (comma < 0) continue;
        QString condition = inner.left(comma);
        condition.remove(QLatin1Char('('))
            .remove(QLatin1Char(')'))
            .replace(QLatin1Char(','), QLatin1Char('.'));
        const platform::EvalResult r = platform::evaluate(condition);
        if (!r.ok) {
            error = {r.errorNumber, r.errorDescription, condition};
            return std::nullopt;
        }
        out += (truthOf(r) ? inner.mid(comma + 1) : QStringLiteral("0")) + tail;
    }
    return out;
}

CellOutcome evaluateExpression(QString expression, int precision, const FormulaContext& context,
                               QString& cell) {
    cell.clear();
    expression.remove(QLatin1Char(' '));
    if (holds(expression, QLatin1StringView("SUMM_S(")) && !replaceGridSums(expression, context))
        return CellOutcome::Empty;
    const auto failed = [&](int number, const QString& description, const QString& text) {
        if (number == platform::EvalDivisionByZero || number == platform::EvalOverflow) {
            cell = QStringLiteral("***");
            return CellOutcome::Value;
        }
        context.prompt->message(description + core::CRLF + QStringLiteral("Script_Control_Eval"),
                                platform::Icon::Error, text);
        return CellOutcome::Stop;
    };
    if (holds(expression, QLatin1StringView("IF("))) {
        ConditionError error;
        const auto rewritten = rewriteIf(expression, error);
        if (!rewritten) return failed(error.number, error.description, error.expression);
        expression = *rewritten;
    }
    if (dividesByZero(expression)) {
        cell = QStringLiteral("***");
        return CellOutcome::Value;
    }
    expression.replace(QLatin1Char(','), QLatin1Char('.'));
    const platform::EvalResult r = platform::evaluate(expression);
    if (!r.ok) return failed(r.errorNumber, r.errorDescription, expression);
    if (!std::isfinite(r.value)) {
        cell = QStringLiteral("***");
        return CellOutcome::Value;
    }
    cell =
        precision < 1 ? platform::numberText(r.value) : platform::formatNumber(r.value, precision);
    return CellOutcome::Value;
}

} // namespace mirel::query
