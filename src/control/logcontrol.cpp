#include "control/logcontrol.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <QSet>
#include <type_traits>
#include <vector>

#include "core/files.h"
#include "core/periods.h"
#include "core/text.h"
#include "platform/evaluator.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::control {
namespace {

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
            nonZero = nonZero ||
                      (core::isDigit(expression.at(j)) && expression.at(j) != QLatin1Char('0'));
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

// A cell whose text is not a number: it never enters an expression.
struct BadCell {
    int selection = -1;
    int row = 0;
    int column = 0;
    QString text;
};

// One side of a formula at (S, G): the expression text with the values put in, the same text
// as the report shows it (a cell that is not a number as its text in quotes), and the cells
// that are not numbers.
struct Side {
    QString expression;
    QString shown;
    QList<BadCell> bad;
};

// A cell text as a message or a report shows it: control characters as blanks; for a page,
// the characters of markup written as entities.
QString shownText(const QString& text, bool html) {
    QString out;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QLatin1Char(' ');
        else if (html && c == QLatin1Char('&'))
            out += QStringLiteral("&amp;");
        else if (html && c == QLatin1Char('<'))
            out += QStringLiteral("&lt;");
        else if (html && c == QLatin1Char('>'))
            out += QStringLiteral("&gt;");
        else
            out += c;
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
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
        // The work space of the thread's last evaluation is taken over (an evaluation within
        // this one finds it empty and makes its own), and given back at the end: a run over
        // thousands of sections allocates it once.
        swapScratch();
        m_numbersOf.assign(size_t(rules.selections.size()), &m_unread);
        m_prepared = rules.preparedShape == std::pair{current.rows(), current.columns()};
    }
    ~Evaluation() {
        swapScratch();
        Scratch& scratch = threadScratch();
        // The work space of a huge section is not kept after it.
        constexpr size_t Kept = 1 << 16;
        const auto trim = [](auto& v) {
            if (v.capacity() > Kept) std::remove_reference_t<decltype(v)>().swap(v);
        };
        trim(scratch.numbersOf);
        trim(scratch.current);
        trim(scratch.sure);
        trim(scratch.left);
        trim(scratch.right);
        trim(scratch.stack);
    }
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    void Log_RR_(const Block& block);

private:
    struct CellNumbers;
    struct Scratch {
        std::vector<const CellNumbers*> numbersOf;
        std::vector<double> current;
        std::vector<char> sure;
        std::vector<double> left;
        std::vector<double> right;
        std::vector<double> stack;
    };
    static Scratch& threadScratch() {
        static thread_local Scratch scratch;
        return scratch;
    }
    void swapScratch() {
        Scratch& scratch = threadScratch();
        m_numbersOf.swap(scratch.numbersOf);
        m_currentNumbers.cells.swap(scratch.current);
        m_sure.swap(scratch.sure);
        m_left.swap(scratch.left);
        m_right.swap(scratch.right);
        m_stack.swap(scratch.stack);
    }

    void Log_RR__(const Block& block, int s, int g, bool& failed);
    // Clears sure[p] at the points of m_points where a formula of the block does
    // not hold in its fast form, all points computed together; false when some formula has no
    // fast form.
    bool holdFast(const Block& block);
    void compareAll(FastRelation relation, size_t points);
    std::optional<Side> S_Formul(const QList<Piece>& pieces, int s, int g) const;
    bool holdsFast(const Formula& f, int s, int g) const;
    void reportBadCells(const Side& side, const Formula& formula);
    void noteWrongCells(const Formula& f, int s, int g);

    const RuleSet& m_rules;
    const SectionCells& m_current;
    ControlRun& m_run;
    platform::Prompt& m_prompt;
    qint64 m_region = -1;
    // The rules were prepared for the section's shape: the blocks know their points and fixed
    // references their cell.
    bool m_prepared = false;
    // What was already shown in this run: a formula the evaluator cannot read is shown once,
    // not at every cell of its loops; so is every cell that is not a number.
    QSet<const Formula*> m_unreadable;
    QSet<QString> m_badCells;
    // A section's cells as numbers for the fast form, read once, when a condition first needs
    // them: NaN for a cell that is not a plain number (no plain number reads as NaN).
    struct CellNumbers {
        bool read = false;
        int rows = 0;
        int columns = 0;
        std::vector<double> cells;

        template <typename PlainValue>
        void fill(int rowCount, int columnCount, const PlainValue& plainValue);
        // Outside its cells a section reads 0; NaN is a cell that is not a plain number.
        double valueOrNaN(int row, int column) const {
            if (unsigned(row - 1) >= unsigned(rows) || unsigned(column - 1) >= unsigned(columns))
                return 0.0;
            return cells[size_t(row - 1) * size_t(columns) + size_t(column - 1)];
        }
        std::optional<double> at(int row, int column) const {
            const double v = valueOrNaN(row, column);
            return std::isnan(v) ? std::nullopt : std::optional<double>(v);
        }
    };
    // The numbers of the current section, or of another selection.
    const CellNumbers& cellNumbers(int selection) const;
    // The same for a reference of a fast form, looked up once per selection: nullptr when the
    // selection has no data.
    const CellNumbers* numbersOf(int selection) const {
        const CellNumbers* numbers = m_numbersOf[size_t(selection)];
        if (numbers != &m_unread) return numbers;
        numbers = m_rules.selections.at(selection).hasData ? &cellNumbers(selection) : nullptr;
        m_numbersOf[size_t(selection)] = numbers;
        return numbers;
    }
    mutable std::vector<const CellNumbers*> m_numbersOf;
    CellNumbers m_unread; // marks a selection not looked up yet
    mutable CellNumbers m_currentNumbers;
    mutable std::vector<CellNumbers> m_selectionNumbers;
    // The points of a block's loops, in loop order, and what holdFast works with.
    const BlockPoints* m_points = nullptr;
    BlockPoints m_ownPoints; // for rules read for another shape of section
    std::vector<char> m_sure;
    std::vector<double> m_left;
    std::vector<double> m_right;
    std::vector<double> m_stack;
};

void Evaluation::Log_RR_(const Block& block) {
    if (block.formulas.isEmpty() || !block.regions.matches(m_region)) return;
    if (m_prepared) {
        m_points = &block.points;
    } else {
        blockPoints(block, m_current.rows(), m_current.columns(), m_ownPoints);
        m_points = &m_ownPoints;
    }
    const BlockPoints& points = *m_points;
    // Most points of a loop hold: they are settled together, and only the others are taken one
    // by one, in loop order, as if no point had been settled before.
    const bool settled = points.rows.size() >= 4 && holdFast(block);
    bool failed = false;
    const size_t count = points.rows.size();
    if (!settled) {
        for (size_t p = 0; p < count; ++p)
            Log_RR__(block, points.rows[p], points.columns[p], failed);
        return;
    }
    const char* sure = m_sure.data();
    for (size_t p = 0; p < count; ++p) {
        // The settled points are passed over at once.
        const void* next = std::memchr(sure + p, 0, count - p);
        if (!next) break;
        p = size_t(static_cast<const char*>(next) - sure);
        Log_RR__(block, points.rows[p], points.columns[p], failed);
    }
}

// Clears m_sure where the relation does not hold between m_left and m_right.
void Evaluation::compareAll(FastRelation relation, size_t points) {
    const auto each = [&](auto holds) {
        for (size_t p = 0; p < points; ++p)
            m_sure[p] &= char(holds(m_left[p], m_right[p]));
    };
    switch (relation) {
    case FastRelation::Eq:
        return each([](double l, double r) { return l == r; });
    case FastRelation::Ne:
        return each([](double l, double r) { return l != r; });
    case FastRelation::Lt:
        return each([](double l, double r) { return l < r; });
    case FastRelation::Gt:
        return each([](double l, double r) { return l > r; });
    case FastRelation::Le:
        return each([](double l, double r) { return l <= r; });
    case FastRelation::Ge:
        return each([](double l, double r) { return l >= r; });
    case FastRelation::None:
        std::fill_n(m_sure.begin(), points, char(0));
        return;
    }
}

bool Evaluation::holdFast(const Block& block) {
    for (const Formula& f : block.formulas)
        if (!f.fast.usable()) return false;
    const std::vector<int>& rows = m_points->rows;
    const std::vector<int>& columns = m_points->columns;
    const size_t points = rows.size();
    m_sure.assign(points, 1);
    m_left.resize(points);
    m_right.resize(points);
    const auto values = [&](const FastStep& step, double* column) {
        const CellNumbers* numbers = numbersOf(step.selection);
        if (!numbers) {
            std::fill_n(m_sure.begin(), points, char(0));
            return;
        }
        const double* cells = numbers->cells.data();
        const unsigned rowCount = unsigned(numbers->rows);
        const unsigned columnCount = unsigned(numbers->columns);
        char* sure = m_sure.data();
        if (step.rowS && step.columnG && numbers == &m_currentNumbers &&
            m_points->cells.size() == points) {
            // The loop's own cell of the section under control, at every point.
            const int* at = m_points->cells.data();
            for (size_t p = 0; p < points; ++p) {
                const double v = cells[at[p]];
                const bool number = !std::isnan(v);
                sure[p] &= char(number);
                column[p] = number ? v : 0.0;
            }
            return;
        }
        for (size_t p = 0; p < points; ++p) {
            // Outside its cells a section reads 0; NaN is a cell that is not a plain number.
            const unsigned r = unsigned((step.rowS ? rows[p] : step.row) - 1);
            const unsigned c = unsigned((step.columnG ? columns[p] : step.column) - 1);
            const double v =
                r < rowCount && c < columnCount ? cells[size_t(r) * columnCount + c] : 0.0;
            const bool number = !std::isnan(v);
            sure[p] &= char(number);
            column[p] = number ? v : 0.0;
        }
    };
    for (const Formula& f : block.formulas) {
        fastValues(f.fast.left, points, values, m_sure, m_stack, m_left.data());
        fastValues(f.fast.right, points, values, m_sure, m_stack, m_right.data());
        compareAll(f.fast.relation, points);
    }
    return true;
}

void Evaluation::reportBadCells(const Side& side, const Formula& formula) {
    for (const BadCell& cell : side.bad) {
        const QString key = QString::number(cell.selection) + QLatin1Char('\\') +
                            QString::number(cell.row) + QLatin1Char('\\') +
                            QString::number(cell.column);
        if (m_badCells.contains(key)) continue;
        m_badCells.insert(key);
        m_prompt.message(
            QStringLiteral("Script_Control_Eval") + core::CRLF +
                platform::errorDescription(platform::EvalInvalidNumber) + core::CRLF +
                QStringLiteral("Ячейка ") + m_rules.selections.at(cell.selection).label +
                QStringLiteral("с.") + QString::number(cell.row) + QStringLiteral("г.") +
                QString::number(cell.column) + QStringLiteral(" : ") + shownText(cell.text, false),
            platform::Icon::Error, withoutBlanks(formula.source));
    }
}

void Evaluation::Log_RR__(const Block& block, int s, int g, bool& failed) {
    for (const Formula& f : block.formulas) {
        if (holdsFast(f, s, g)) continue;
        const std::optional<Side> left = S_Formul(f.left, s, g);
        const std::optional<Side> right = S_Formul(f.right, s, g);
        if (!left || !right) continue;
        bool holds = false;
        if (!left->bad.isEmpty() || !right->bad.isEmpty()) {
            // A cell that is not a number is an evaluation error of the formula.
            reportBadCells(*left, f);
            reportBadCells(*right, f);
            ++m_run.evaluationErrors;
        } else {
            const Condition c = evaluateCondition(left->expression, f.relation, right->expression);
            holds = c.holds;
            if (c.error.errorNumber != 0) {
                ++m_run.evaluationErrors;
                // A formula the evaluator cannot read (a relation such as "!=" or "#") fails
                // wherever it is evaluated: it is shown once, titled with the formula.
                if (!c.error.isSyntaxError())
                    showEvalError(c, m_prompt);
                else if (!m_unreadable.contains(&f)) {
                    m_unreadable.insert(&f);
                    m_prompt.message(QStringLiteral("Script_Control_Eval") + core::CRLF +
                                         c.error.errorDescription,
                                     platform::Icon::Error, withoutBlanks(f.source));
                }
            }
        }
        if (holds) continue;
        if (!failed) {
            m_run.findings << QString() << block.comment << QString();
            failed = true;
        }
        m_run.findings << QStringLiteral("Не выполнено условие : ") +
                              Mod_Usl(f.source, s, g, m_rules, block);
        noteWrongCells(f, s, g);
        m_run.findings << Mod_S_Res(left->shown, f.relation, right->shown);
        if (block.showValues) {
            const auto value = [](const Side& side) {
                return side.bad.isEmpty() ? VV_Calc(side.expression) : QStringLiteral("***");
            };
            m_run.findings << value(*left) + f.relation + value(*right);
        }
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

template <typename PlainValue>
void Evaluation::CellNumbers::fill(int rowCount, int columnCount, const PlainValue& plainValue) {
    read = true;
    rows = std::max(rowCount, 0);
    columns = std::max(columnCount, 0);
    cells.reserve(size_t(rows) * size_t(columns));
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c)
            cells.push_back(plainValue(r, c).value_or(std::numeric_limits<double>::quiet_NaN()));
}

// The loops meet every cell several times: each is read once.
const Evaluation::CellNumbers& Evaluation::cellNumbers(int selection) const {
    const Selection& sel = m_rules.selections.at(selection);
    if (sel.current) {
        if (!m_currentNumbers.read) {
            m_currentNumbers.read = true;
            m_currentNumbers.rows = std::max(m_current.rows(), 0);
            m_currentNumbers.columns = std::max(m_current.columns(), 0);
            m_current.plainValues(m_currentNumbers.cells);
        }
        return m_currentNumbers;
    }
    if (m_selectionNumbers.empty()) m_selectionNumbers.resize(size_t(m_rules.selections.size()));
    CellNumbers& numbers = m_selectionNumbers[size_t(selection)];
    if (!numbers.read) {
        // A stored section's cells: its rows by its longest row.
        int columns = 0;
        for (const QStringList& row : sel.matrix.cells)
            columns = std::max(columns, int(row.size()));
        numbers.fill(int(sel.matrix.cells.size()), columns,
                     [&](int r, int c) { return fastCellValue(sel.matrix.value(r, c)); });
    }
    return numbers;
}

// True when the formula's fast form settles that its condition holds at (S, G); everything
// else (a failure, a cell that is not a plain number, a selection without data) goes the way of
// the expression text, which reports it.
bool Evaluation::holdsFast(const Formula& f, int s, int g) const {
    if (!f.fast.usable()) return false;
    // The references' values at (S, G); a sum of cells (most of a rule) is added in one loop.
    struct Values {
        const Evaluation& e;
        int s;
        int g;
        mutable const double* current = nullptr; // the values of the section under control
        // NaN for a reference without a value.
        double valueOrNaN(const FastStep& step) const {
            if (e.m_prepared && step.flat != FastStep::Unresolved) {
                if (step.flat < 0) return 0.0;
                if (!current) current = e.cellNumbers(step.selection).cells.data();
                return current[step.flat];
            }
            const CellNumbers* numbers = e.numbersOf(step.selection);
            if (!numbers) return std::numeric_limits<double>::quiet_NaN();
            return numbers->valueOrNaN(step.rowS ? s : step.row, step.columnG ? g : step.column);
        }
        std::optional<double> operator()(const FastStep& step) const {
            const double v = valueOrNaN(step);
            return std::isnan(v) ? std::nullopt : std::optional<double>(v);
        }
        void addTo(double& sum, const FastStep* references, int count) const {
            double total = sum;
            int k = 0;
            if (e.m_prepared) {
                // Fixed cells of the section under control, most of a sum, are taken straight
                // from its values; the rest as any reference.
                const double* cells = current;
                for (; k < count; ++k) {
                    const int flat = references[k].flat;
                    if (flat < 0) break;
                    if (!cells)
                        cells = current = e.cellNumbers(references[k].selection).cells.data();
                    total = total + cells[flat];
                }
            }
            for (; k < count; ++k)
                total = total + valueOrNaN(references[k]);
            sum = total;
        }
    };
    const Values value{*this, s, g};
    const std::optional<double> left = fastValue(f.fast.left, value);
    if (!left) return false;
    const std::optional<double> right = fastValue(f.fast.right, value);
    return right && fastCompare(*left, f.fast.relation, *right);
}

std::optional<Side> Evaluation::S_Formul(const QList<Piece>& pieces, int s, int g) const {
    Side side;
    for (const Piece& p : pieces) {
        if (!p.isReference()) {
            side.expression += p.text;
            side.shown += p.text;
            continue;
        }
        const Selection& sel = m_rules.selections.at(p.selection);
        if (!sel.hasData) return std::nullopt;
        const int row = p.rowS ? s : p.row;
        const int column = p.columnG ? g : p.column;
        QString text;
        if (!sel.current)
            text = sel.matrix.value(row, column);
        else if (row >= 1 && row <= m_current.rows() && column >= 1 &&
                 column <= m_current.columns())
            text = m_current.cellText(row, column);
        const std::optional<QString> number = cellNumber(text);
        if (number) {
            side.expression += *number;
            side.shown += *number;
        } else {
            side.bad.append({p.selection, row, column, text});
            side.shown += shownText(core::Trim(text), true);
        }
    }
    return side;
}

} // namespace

QString ruleFilePath(const QString& formDir, const QString& formCode, const QString& basePeriod,
                     int section) {
    return reference::formFilePrefix(formDir, formCode, basePeriod) + QLatin1Char('.') +
           data::sectionNumber(section) + QStringLiteral(".LOG");
}

namespace {

// The rules of a rule text ready to be evaluated; nullopt after the message of what stopped them.
std::optional<RuleSet> prepareRules(const QString& ruleText, const ControlTarget& target,
                                    const SectionCells& current, platform::Prompt& prompt,
                                    const QString& ruleFile) {
    // A text file holds no NUL character: a binary file, or one saved as UTF-16, would be read
    // as no rules at all and let every section pass.
    if (ruleText.contains(QChar(0))) {
        prompt.message(QStringLiteral("Файл логического контроля не является текстовым файлом !!!"),
                       platform::Icon::Error, ruleFile);
        return std::nullopt;
    }
    std::optional<RuleSet> rules = Log_A_Str(ruleText, target, current, prompt);
    if (rules && rules->writtenBlocks == 0) {
        prompt.message(QStringLiteral("В файле логического контроля нет блоков формул !!!"),
                       platform::Icon::Error, ruleFile);
        return std::nullopt;
    }
    return rules;
}

ControlRun evaluateRules(const RuleSet& rules, const ControlTarget& target,
                         const SectionCells& current, bool wholeForm, platform::Prompt& prompt) {
    ControlRun run;
    run.status = ControlRun::Status::Checked;
    // V_A_Sel: the sections the rules need and do not find.
    for (const Selection& sel : rules.selections)
        if (!sel.current && !sel.hasData)
            run.missing.append({sel.formCode, sel.section, sel.year, sel.month, sel.path});
    if (wholeForm)
        for (const MissingSection& m : run.missing)
            run.findings.append(incompleteEntry(m));
    Evaluation evaluation(rules, target, current, run, prompt);
    for (const Block& block : rules.blocks)
        evaluation.Log_RR_(block);
    return run;
}

ControlRun stoppedRun() {
    ControlRun run;
    run.status = ControlRun::Status::Stopped;
    return run;
}

} // namespace

ControlRun runRules(const QString& ruleText, const ControlTarget& target,
                    const SectionCells& current, bool wholeForm, platform::Prompt& prompt,
                    const QString& ruleFile) {
    const std::optional<RuleSet> rules = prepareRules(ruleText, target, current, prompt, ruleFile);
    if (!rules) return stoppedRun();
    return evaluateRules(*rules, target, current, wholeForm, prompt);
}

RuleFile readRuleFile(const QString& path) {
    RuleFile file;
    file.path = path;
    file.text = core::readText(path, &file.exists);
    return file;
}

ControlRun runRuleFile(RuleFile& file, const ControlTarget& target, const SectionCells& current,
                       bool wholeForm, platform::Prompt& prompt) {
    if (!file.exists) return ControlRun();
    const RuleFile::Use key{target.formCode, target.section, target.year,
                            target.month,    current.rows(), current.columns()};
    if (file.parsed && file.parsedFor == key)
        return evaluateRules(*file.parsed, target, current, wholeForm, prompt);
    std::optional<RuleSet> rules = prepareRules(file.text, target, current, prompt, file.path);
    if (!rules) return stoppedRun();
    // Rules that read no stored section are the same for every region.
    const bool regionFree = std::all_of(rules->selections.begin(), rules->selections.end(),
                                        [](const Selection& s) { return s.current; });
    if (!regionFree) return evaluateRules(*rules, target, current, wholeForm, prompt);
    prepareForShape(*rules, current.rows(), current.columns());
    file.parsed = std::make_shared<const RuleSet>(std::move(*rules));
    file.parsedFor = key;
    return evaluateRules(*file.parsed, target, current, wholeForm, prompt);
}

ControlRun Log_RR(const QString& ruleFile, const ControlTarget& target, const SectionCells& current,
                  bool wholeForm, platform::Prompt& prompt) {
    RuleFile file = readRuleFile(ruleFile);
    return runRuleFile(file, target, current, wholeForm, prompt);
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

Condition evaluateCondition(const QString& left, const QString& relation, const QString& right) {
    Condition c;
    // Most conditions compare two numbers ("0>=0", "15<=27"): they need no expression text.
    const FastRelation fast = fastRelation(relation);
    const std::optional<double> leftValue =
        fast != FastRelation::None ? plainNumberValue(left) : std::nullopt;
    const std::optional<double> rightValue = leftValue ? plainNumberValue(right) : std::nullopt;
    if (rightValue) {
        c.holds = fastCompare(*leftValue, fast, *rightValue) ||
                  (relation == QLatin1String("=") && equalWithinRounding(left, right));
        return c;
    }
    c.expression = withoutBlanks(left + relation + right);
    if (dividesByZero(c.expression)) return c;
    const platform::EvalResult r = platform::evaluate(c.expression);
    if (!r.ok) {
        if (r.errorNumber != platform::EvalDivisionByZero) c.error = r;
        return c;
    }
    if (r.value != 0)
        c.holds = true;
    else if (relation == QLatin1String("=")) // the tolerance is the plain equality's only
        c.holds = equalWithinRounding(left, right);
    return c;
}

void showEvalError(const Condition& condition, platform::Prompt& prompt) {
    prompt.message(QStringLiteral("Script_Control_Eval") + core::CRLF +
                       condition.error.errorDescription,
                   platform::Icon::Error, condition.expression);
}

Verdict VV_Eval(const QString& left, const QString& relation, const QString& right,
                platform::Prompt& prompt) {
    const Condition c = evaluateCondition(left, relation, right);
    if (c.error.errorNumber == 0) return {c.holds, false};
    showEvalError(c, prompt);
    return {false, true};
}

std::optional<QString> cellNumber(const QString& cell) {
    QString t = core::Trim(cell);
    if (t.isEmpty()) return QStringLiteral("0");
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype n = t.size();
    qsizetype i = 0;
    if (t.at(0) == QLatin1Char('+') || t.at(0) == QLatin1Char('-')) ++i;
    qsizetype digits = 0;
    for (; i < n && core::isDigit(t.at(i)); ++i)
        ++digits;
    if (i < n && t.at(i) == QLatin1Char('.'))
        for (++i; i < n && core::isDigit(t.at(i)); ++i)
            ++digits;
    if (digits == 0) return std::nullopt;
    const bool exponent = i < n && (t.at(i) == QLatin1Char('E') || t.at(i) == QLatin1Char('e'));
    if (exponent) {
        ++i;
        if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) ++i;
        qsizetype expDigits = 0;
        for (; i < n && core::isDigit(t.at(i)); ++i)
            ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;
    // Only an exponent or hundreds of digits can leave the range of a number.
    if ((exponent || digits > 300) && !platform::evaluate(t).ok) return std::nullopt;
    return t;
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
