#include "control/logcontrol.h"

#include <algorithm>
#include <optional>

#include "core/files.h"
#include "core/periods.h"
#include "core/text.h"
#include "platform/evaluator.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::control {
namespace {

// The text a cell puts into an expression: its number as written when it is one ("," read as
// the decimal separator), else the number it begins with. Cell texts never reach the evaluator
// as they stand, so no text in a data file can change what a condition says.
QString valueText(const QString& raw) {
    const QString t = core::Trim(raw);
    if (t.isEmpty()) return QStringLiteral("0");
    if (core::IsNumeric(t)) return QString(t).replace(QLatin1Char(','), QLatin1Char('.'));
    return platform::numberText(data::cellValue(t));
}

// A division by a number written as zero ("/0", "/0.00"): such a condition is not evaluated.
// A divisor such as 0.5 is a number like any other.
bool dividesByZero(const QString& expression) {
    for (qsizetype i = expression.indexOf(QLatin1Char('/')); i >= 0;
         i = expression.indexOf(QLatin1Char('/'), i + 1)) {
        qsizetype j = i + 1;
        bool digits = false;
        bool nonZero = false;
        while (j < expression.size() &&
               (core::isDigit(expression.at(j)) || expression.at(j) == QLatin1Char('.') ||
                expression.at(j) == QLatin1Char(','))) {
            digits = digits || core::isDigit(expression.at(j));
            nonZero =
                nonZero || (core::isDigit(expression.at(j)) && expression.at(j) != QLatin1Char('0'));
            ++j;
        }
        if (digits && !nonZero && expression.at(i + 1) == QLatin1Char('0')) return true;
    }
    return false;
}

int decimals(const QString& number) {
    const qsizetype point = number.indexOf(QLatin1Char('.'));
    if (point < 0) return 0;
    int n = 0;
    for (qsizetype i = point + 1; i < number.size() && core::isDigit(number.at(i)); ++i)
        ++n;
    return n;
}

// The rounding tolerance of a failed equality.
bool equalWithinRounding(const QString& left, const QString& right) {
    const platform::EvalResult l = platform::evaluate(withoutBlanks(left));
    const platform::EvalResult r = platform::evaluate(withoutBlanks(right));
    if (!l.ok || !r.ok) return false;
    QString lt = l.text();
    QString rt = r.text();
    if (lt.contains(QLatin1Char('.')) && rt.contains(QLatin1Char('.'))) {
        const int d = std::min(decimals(lt), decimals(rt));
        lt = platform::formatNumber(lt, d);
        rt = platform::formatNumber(rt, d);
    }
    return lt == rt;
}

class Evaluation {
public:
    Evaluation(const RuleSet& rules, const ControlTarget& target, const SectionCells& current,
               ControlRun& run, platform::Prompt& prompt)
        : m_rules(rules)
        , m_current(current)
        , m_run(run)
        , m_prompt(prompt) {
        const QString code = core::Trim(target.regionCode);
        m_region = !code.isEmpty() && code.size() <= 18 && core::Is_All_Digits(code)
                       ? code.toLongLong()
                       : -1;
    }

    void Log_RR_(const Block& block);

private:
    void Log_RR__(const Block& block, int s, int g, bool& failed);
    std::optional<QString> S_Formul(const QList<Piece>& pieces, int s, int g) const;
    void noteWrongCells(const Formula& f, int s, int g);

    const RuleSet& m_rules;
    const SectionCells& m_current;
    ControlRun& m_run;
    platform::Prompt& m_prompt;
    qint64 m_region = -1;
};

void Evaluation::Log_RR_(const Block& block) {
    if (block.formulas.isEmpty() || !block.regions.matches(m_region)) return;
    bool failed = false;
    const Formula& first = block.formulas.first();
    auto overColumns = [&](int s) {
        if (!first.usesG) {
            Log_RR__(block, s, 0, failed);
            return;
        }
        for (int g = 1; g <= m_current.columns(); ++g)
            if (block.columnList.matches(g)) Log_RR__(block, s, g, failed);
    };
    if (first.usesS) {
        for (int s = 1; s <= m_current.rows(); ++s)
            if (block.rowList.matches(s)) overColumns(s);
    } else {
        overColumns(0);
    }
}

void Evaluation::Log_RR__(const Block& block, int s, int g, bool& failed) {
    for (const Formula& f : block.formulas) {
        const std::optional<QString> left = S_Formul(f.left, s, g);
        const std::optional<QString> right = S_Formul(f.right, s, g);
        if (!left || !right) continue;
        const Verdict v = VV_Eval(*left, f.relation, *right, m_prompt);
        if (v.error) ++m_run.evaluationErrors;
        if (v.holds) continue;
        if (!failed) {
            m_run.findings << QString() << block.comment << QString();
            failed = true;
        }
        m_run.findings << QStringLiteral("Не выполнено условие : ") +
                              Mod_Usl(f.source, s, g, m_rules, block);
        noteWrongCells(f, s, g);
        m_run.findings << Mod_S_Res(*left, f.relation, *right);
        if (block.showValues) m_run.findings << VV_Calc(*left) + f.relation + VV_Calc(*right);
    }
}

void Evaluation::noteWrongCells(const Formula& f, int s, int g) {
    for (const QList<Piece>* side : {&f.left, &f.right}) {
        for (const Piece& p : *side) {
            if (!p.isReference() || !m_rules.selections.at(p.selection).current) continue;
            const std::pair<int, int> cell{p.rowS ? s : p.row, p.columnG ? g : p.column};
            if (!m_run.wrongCells.contains(cell)) m_run.wrongCells.append(cell);
        }
    }
}

std::optional<QString> Evaluation::S_Formul(const QList<Piece>& pieces, int s, int g) const {
    QString text;
    for (const Piece& p : pieces) {
        if (!p.isReference()) {
            text += p.text;
            continue;
        }
        const Selection& sel = m_rules.selections.at(p.selection);
        if (!sel.hasData) return std::nullopt;
        const int row = p.rowS ? s : p.row;
        const int column = p.columnG ? g : p.column;
        if (!sel.current)
            text += valueText(sel.matrix.value(row, column));
        else if (row >= 1 && row <= m_current.rows() && column >= 1 &&
                 column <= m_current.columns())
            text += valueText(m_current.cellText(row, column));
        else
            text += QStringLiteral("0");
    }
    return text;
}

} // namespace

QString ruleFilePath(const QString& formDir, const QString& formCode, const QString& basePeriod,
                     int section) {
    return reference::formFilePrefix(formDir, formCode, basePeriod) + QLatin1Char('.') +
           data::sectionNumber(section) + QStringLiteral(".LOG");
}

ControlRun runRules(const QString& ruleText, const ControlTarget& target,
                    const SectionCells& current, bool wholeForm, platform::Prompt& prompt) {
    ControlRun run;
    const std::optional<RuleSet> rules = Log_A_Str(ruleText, target, current, prompt);
    if (!rules) {
        run.status = ControlRun::Status::Stopped;
        return run;
    }
    run.status = ControlRun::Status::Checked;
    // V_A_Sel: the sections the rules need and do not find.
    for (const Selection& sel : rules->selections)
        if (!sel.current && !sel.hasData)
            run.missing.append({sel.formCode, sel.section, sel.year, sel.month, sel.path});
    if (wholeForm)
        for (const MissingSection& m : run.missing)
            run.findings.append(incompleteEntry(m));
    Evaluation evaluation(*rules, target, current, run, prompt);
    for (const Block& block : rules->blocks)
        evaluation.Log_RR_(block);
    return run;
}

ControlRun Log_RR(const QString& ruleFile, const ControlTarget& target, const SectionCells& current,
                  bool wholeForm, platform::Prompt& prompt) {
    bool exists = false;
    const QString text = core::readText(ruleFile, &exists);
    if (!exists) return ControlRun();
    return runRules(text, target, current, wholeForm, prompt);
}

ControlRun LogRR(const reference::FormCatalog& catalog, const ControlTarget& target,
                 const SectionCells& current, bool wholeForm, platform::Prompt& prompt) {
    QString basePeriod;
    int entry = -1;
    if (reference::VVOD_Base_Per(target.formCode, core::periodCode(target.year, target.month),
                                 catalog, basePeriod, entry, prompt) != 0) {
        ControlRun run;
        run.status = ControlRun::Status::Stopped;
        return run;
    }
    return Log_RR(ruleFilePath(target.formDir, target.formCode, basePeriod, target.section), target,
                  current, wholeForm, prompt);
}

QString incompleteEntry(const MissingSection& missing) {
    return QStringLiteral("НЕПОЛНЫЙ ЛОГИЧЕСКИЙ КОНТРОЛЬ : отсутствуют данные по разделу ") +
           missing.section + QStringLiteral(", формы ") + missing.formCode +
           QStringLiteral(" за отчетный период ") + missing.year.right(2) + missing.month;
}

QString controlMark(bool hasFindings, double sum) {
    const QString zero = sum == 0 ? QStringLiteral("0") : QString();
    return QStringLiteral("PR_") + zero +
           (hasFindings ? QStringLiteral("??") : QStringLiteral("++"));
}

Verdict VV_Eval(const QString& left, const QString& relation, const QString& right,
                platform::Prompt& prompt) {
    const QString expression = withoutBlanks(left + relation + right);
    if (dividesByZero(expression)) return {};
    const platform::EvalResult r = platform::evaluate(expression);
    if (!r.ok) {
        if (r.errorNumber == platform::EvalDivisionByZero) return {};
        prompt.message(QStringLiteral("Script_Control_Eval") + core::CRLF + r.errorDescription,
                       platform::Icon::Error, expression);
        return {false, true};
    }
    if (r.value != 0) return {true, false};
    // The tolerance belongs to the plain equality only; "<=" and ">=" are exact.
    if (relation == QLatin1String("=")) return {equalWithinRounding(left, right), false};
    return {};
}

QString VV_Calc(const QString& side) {
    const platform::EvalResult r = platform::evaluate(withoutBlanks(side));
    if (!r.ok) return QStringLiteral("***");
    QString text = r.text();
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString negateRelation(const QString& relation) {
    static const QList<std::pair<QString, QString>> negations{
        {QStringLiteral("="), QStringLiteral("<>")}, {QStringLiteral("<>"), QStringLiteral("=")},
        {QStringLiteral(">"), QStringLiteral("<=")}, {QStringLiteral("<"), QStringLiteral(">=")},
        {QStringLiteral(">="), QStringLiteral("<")}, {QStringLiteral("<="), QStringLiteral(">")},
        {QStringLiteral("!="), QStringLiteral("=")}};
    for (const auto& [relationText, negated] : negations)
        if (relation == relationText) return negated;
    return relation;
}

QString Mod_S_Res(const QString& left, const QString& relation, const QString& right) {
    QString text = left + negateRelation(relation) + right;
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString Mod_Usl(const QString& source, int s, int g, const RuleSet& rules, const Block& block) {
    QString t = withoutBlanks(source);
    t.replace(QStringLiteral("\\S"), QStringLiteral("\\") + QString::number(s));
    t.replace(QStringLiteral("\\G"), QStringLiteral("\\") + QString::number(g));
    QString out;
    out.reserve(t.size() * 2);
    const qsizetype n = t.size();
    auto digitsAt = [&](qsizetype from) {
        qsizetype j = from;
        while (j < n && core::isDigit(t.at(j)))
            ++j;
        return j;
    };
    qsizetype i = 0;
    while (i < n) {
        if (!core::isDigit(t.at(i))) {
            out += t.at(i++);
            continue;
        }
        const qsizetype idEnd = digitsAt(i);
        if (idEnd >= n || t.at(idEnd) != QLatin1Char('\\')) {
            out += t.mid(i, idEnd - i);
            i = idEnd;
            continue;
        }
        const QString id = t.mid(i, idEnd - i);
        const int sel = findSelection(rules, block, id);
        const qsizetype rowEnd = digitsAt(idEnd + 1);
        const qsizetype columnEnd =
            rowEnd < n && t.at(rowEnd) == QLatin1Char('\\') ? digitsAt(rowEnd + 1) : rowEnd;
        if (rowEnd == idEnd + 1 || columnEnd <= rowEnd + 1) {
            out += id;
            i = idEnd + 1;
            continue;
        }
        if (sel < 0) {
            // A reference to no known selection: its ID only loses its "\".
            out += id + t.mid(idEnd + 1, columnEnd - idEnd - 1);
            i = columnEnd;
            continue;
        }
        out += rules.selections.at(sel).label + QStringLiteral("с.") +
               t.mid(idEnd + 1, rowEnd - idEnd - 1) + QStringLiteral("г.") +
               t.mid(rowEnd + 1, columnEnd - rowEnd - 1);
        i = columnEnd;
    }
    return out;
}

LogMenu Log_Enable(const QString& formDir, const QString& formCode, const QString& basePeriod,
                   int section, int sectionCount) {
    LogMenu menu;
    if (platform::fileExists(ruleFilePath(formDir, formCode, basePeriod, section))) {
        menu.control = menu.form = true;
        menu.section = sectionCount > 1;
        return menu;
    }
    const QString prefix = (formCode + QLatin1Char('_') + basePeriod.mid(2, 4)).toUpper();
    for (const QString& name :
         platform::listFiles(reference::formFolder(formDir, formCode, basePeriod))) {
        const QString upper = name.toUpper();
        if (upper.startsWith(prefix) && upper.mid(11) == QLatin1String(".LOG")) {
            menu.control = menu.form = true;
            break;
        }
    }
    return menu;
}

} // namespace mirel::control
