#include "control/rules.h"

#include <algorithm>
#include <limits>
#include <tuple>

#include "core/periods.h"
#include "core/text.h"
#include "platform/evaluator.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::control {

QString withoutBlanks(const QString& text) {
    if (!text.contains(QLatin1Char(' ')) && !text.contains(QLatin1Char('\t'))) return text;
    QString t;
    t.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) t.append(c);
    return t;
}

namespace {

const QString ExitTitle = QStringLiteral("Выход !!!");
const QString ExitTitleUpper = QStringLiteral("ВЫХОД !!!");
const QChar Backslash = QLatin1Char('\\');

// The value of a run of digits; runs too long for any real row, column or code stay huge.
qint64 digitsValue(const QString& digits) {
    if (digits.size() > 18) return std::numeric_limits<qint64>::max();
    return digits.toLongLong();
}

// The digits as a number text without leading zeros ("0" for zeros only).
QString numberOf(const QString& digits) {
    qsizetype i = 0;
    while (i + 1 < digits.size() && digits.at(i) == QLatin1Char('0'))
        ++i;
    return digits.mid(i);
}

bool isComment(const QString& line) {
    return line.startsWith(QLatin1String("//"));
}

bool startsWithKey(const QString& line, const QString& key) {
    return withoutBlanks(line).startsWith(key);
}

void stop(platform::Prompt& prompt, const QString& text, const QString& title) {
    prompt.message(text, platform::Icon::Error, title);
}

// A block as the splitting gives it: its lines (selection lines taken out) and the selections
// it defined.
struct RawBlock {
    QStringList lines;
    QList<int> localSelections;
};

enum class FormulaStatus { Parsed, Dropped, Stopped };

class Parser {
public:
    Parser(const ControlTarget& target, const SectionCells& current, platform::Prompt& prompt)
        : m_target(target)
        , m_current(current)
        , m_prompt(prompt) {}

    std::optional<RuleSet> run(const QString& ruleText);

private:
    bool F_A_Sel(const QStringList& lines, qsizetype& first);
    bool Add_A_Str(const QStringList& lines, QList<RawBlock>& blocks);
    bool V_A_Str(const QList<RawBlock>& raw);
    std::optional<Block> V1_A_Str(const RawBlock& raw);
    bool V_Dubl_Comment(const QStringList& lines);
    bool takeList(QStringList& lines, const QString& key, CodeList& list, bool& found);
    FormulaStatus V_Formul(const QString& line, const Block& block, Formula& formula);
    int V_Id(const QString& id, const Block& block);
    bool checkSyntax(const Formula& formula);

    const ControlTarget& m_target;
    const SectionCells& m_current;
    platform::Prompt& m_prompt;
    RuleSet m_rules;
};

std::optional<RuleSet> Parser::run(const QString& ruleText) {
    QString text = core::Trim(ruleText).toUpper();
    core::Tabs_To_Spaces(text);
    QStringList lines;
    for (const QString& raw : platform::splitFileLines(text)) {
        const QString line = core::Trim(raw);
        // Blank lines before the first line of text separate nothing.
        if (lines.isEmpty() && line.isEmpty()) continue;
        lines.append(line);
    }
    qsizetype first = 0;
    if (!F_A_Sel(lines, first)) return std::nullopt;
    QStringList blockLines = lines.mid(first);
    for (QString& line : blockLines)
        line = expandMacros(line);
    QList<RawBlock> raw;
    if (!Add_A_Str(blockLines, raw)) return std::nullopt;
    if (!V_A_Str(raw)) return std::nullopt;
    return m_rules;
}

// The selections of the leading selection lines; the implicit selection "1" (the current
// section) when no line names one.
bool Parser::F_A_Sel(const QStringList& lines, qsizetype& first) {
    first = 0;
    if (std::none_of(lines.begin(), lines.end(), isSelectionLine)) {
        Selection implicit;
        implicit.name = QStringLiteral("1");
        implicit.current = true;
        implicit.hasData = true;
        m_rules.selections.append(implicit);
        return true;
    }
    while (first < lines.size() && isSelectionLine(lines.at(first))) {
        std::optional<Selection> s = parseSelection(lines.at(first), m_target, m_prompt);
        if (!s) return false;
        m_rules.selections.append(*s);
        ++first;
    }
    return true;
}

// Splits the block part at empty lines. A block that defines selections needs a PERIOD line
// before them: the block is kept (and its selections added) only when the reporting month is
// in that line's list.
bool Parser::Add_A_Str(const QStringList& lines, QList<RawBlock>& blocks) {
    const qint64 month = core::monthCode(m_target.month).toLongLong();
    RawBlock block;
    qsizetype periodLine = -1;
    enum { Undecided, Applies, Dropped } state = Undecided;
    auto close = [&] {
        if (!block.lines.isEmpty() || state == Dropped) ++m_rules.writtenBlocks;
        if (state != Dropped && !block.lines.isEmpty()) blocks.append(block);
        block = RawBlock();
        periodLine = -1;
        state = Undecided;
    };
    for (const QString& line : lines) {
        if (line.isEmpty()) {
            close();
            continue;
        }
        if (state == Dropped) continue;
        if (isSelectionLine(line)) {
            if (state == Undecided) {
                if (periodLine < 0 || !CodeList::parse(block.lines.at(periodLine)).matches(month)) {
                    state = Dropped;
                    continue;
                }
                block.lines.removeAt(periodLine);
                state = Applies;
            }
            std::optional<Selection> s = parseSelection(line, m_target, m_prompt);
            if (!s) return false;
            block.localSelections.append(int(m_rules.selections.size()));
            m_rules.selections.append(*s);
            continue;
        }
        if (periodLine < 0 && state == Undecided && startsWithKey(line, QStringLiteral("PERIOD")))
            periodLine = block.lines.size();
        block.lines.append(line);
    }
    close();
    return true;
}

bool Parser::V_A_Str(const QList<RawBlock>& raw) {
    m_rules.blocks.reserve(raw.size());
    for (const RawBlock& r : raw) {
        std::optional<Block> b = V1_A_Str(r);
        if (!b) return false;
        m_rules.blocks.append(*b);
    }
    return true;
}

bool Parser::V_Dubl_Comment(const QStringList& lines) {
    const auto comments = std::count_if(lines.begin(), lines.end(), isComment);
    if (comments == 0) {
        stop(m_prompt, QStringLiteral("В блоке формул отсутствует комментарий !!!"), ExitTitle);
        return false;
    }
    if (comments > 1) {
        stop(m_prompt, QStringLiteral("В блоке формул две строки комментариев !!!"), ExitTitle);
        return false;
    }
    if (!isComment(lines.first())) {
        stop(m_prompt, QStringLiteral("В первой строке блока формул отсутствует комментарий !!!"),
             ExitTitle);
        return false;
    }
    return true;
}

// Takes the lines that begin with the key out of the block; the first one gives the list.
bool Parser::takeList(QStringList& lines, const QString& key, CodeList& list, bool& found) {
    found = false;
    for (qsizetype i = 1; i < lines.size();) {
        if (startsWithKey(lines.at(i), key)) {
            if (!found) list = CodeList::parse(lines.at(i));
            found = true;
            lines.removeAt(i);
        } else {
            ++i;
        }
    }
    return found;
}

std::optional<Block> Parser::V1_A_Str(const RawBlock& raw) {
    QStringList lines = raw.lines;
    if (!V_Dubl_Comment(lines)) return std::nullopt;
    Block block;
    block.comment = lines.first();
    block.showValues = block.comment.startsWith(QLatin1String("///"));
    block.localSelections = raw.localSelections;
    const struct {
        QString key;
        QString variable;
        CodeList* list;
    } loops[] = {{QStringLiteral("S="), QStringLiteral("S"), &block.rowList},
                 {QStringLiteral("G="), QStringLiteral("G"), &block.columnList}};
    for (const auto& loop : loops) {
        bool found = false;
        takeList(lines, loop.key, *loop.list, found);
        if (found) continue;
        const QString use = Backslash + loop.variable;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            if (withoutBlanks(lines.at(i)).contains(use)) {
                stop(m_prompt,
                     QStringLiteral("ОШИБКА ! ") + loop.variable +
                         QStringLiteral(" НЕ ИНИЦИАЛИЗИРОВАН, НО НАЙДЕНО : ") + lines.at(i),
                     ExitTitle);
                return std::nullopt;
            }
        }
    }
    bool found = false;
    takeList(lines, QStringLiteral("COD"), block.regions, found);
    CodeList unused;
    takeList(lines, QStringLiteral("PERIOD"), unused, found);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.startsWith(QLatin1String("IF"))) continue;
        Formula formula;
        const FormulaStatus status = V_Formul(line, block, formula);
        if (status == FormulaStatus::Stopped) return std::nullopt;
        // A formula that needs a section without data is left out with the rest of its block;
        // the whole-form run reports the gap.
        if (status == FormulaStatus::Dropped) break;
        formula.fast = compileFast(formula);
        block.formulas.append(formula);
    }
    return block;
}

int Parser::V_Id(const QString& id, const Block& block) {
    const int found = findSelection(m_rules, block, id);
    if (found >= 0) return found;
    stop(m_prompt,
         QStringLiteral("ОШИБКА ! ИДЕНТИФИКАТОР = ") + id +
             QStringLiteral(" ОТСУТСТВУЕТ В СПИСКЕ ИДЕНТИФИКАТОРОВ."),
         ExitTitleUpper);
    return -1;
}

FormulaStatus Parser::V_Formul(const QString& line, const Block& block, Formula& formula) {
    const QString s = withoutBlanks(line);
    formula.source = line;
    const qsizetype n = s.size();
    QString number;
    QString text;
    bool right = false;
    auto side = [&]() -> QList<Piece>& { return right ? formula.right : formula.left; };
    auto flushText = [&] {
        text += number;
        number.clear();
        if (!text.isEmpty()) side().append(Piece{text});
        text.clear();
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s.at(i);
        if (core::isDigit(c)) {
            number += c;
            ++i;
            continue;
        }
        if (QStringLiteral("><=#!").contains(c)) {
            flushText();
            right = true;
            formula.relation += c;
            ++i;
            continue;
        }
        if (c != Backslash) {
            text += number;
            number.clear();
            text += c;
            ++i;
            continue;
        }
        // A reference ID\ROW\COL.
        const QString id = number;
        number.clear();
        if (!text.isEmpty()) side().append(Piece{text});
        text.clear();
        Piece ref;
        ref.selection = V_Id(id, block);
        if (ref.selection < 0) return FormulaStatus::Stopped;
        const Selection& sel = m_rules.selections.at(ref.selection);
        if (!sel.hasData) return FormulaStatus::Dropped;
        ++i;
        QString rowDigits;
        if (i < n && s.at(i) == QLatin1Char('S')) {
            ref.rowS = true;
            ++i;
        } else {
            while (i < n && core::isDigit(s.at(i)))
                rowDigits += s.at(i++);
        }
        if ((!ref.rowS && rowDigits.isEmpty()) || i >= n || s.at(i) != Backslash) {
            stop(m_prompt, QStringLiteral("ОШИБКА ! НЕЧИСЛОВОЕ ДАННОЕ В ПОЗИЦИИ НОМЕРА СТРОКИ !!!"),
                 ExitTitleUpper);
            return FormulaStatus::Stopped;
        }
        ++i;
        QString columnDigits;
        if (i < n && s.at(i) == QLatin1Char('G')) {
            ref.columnG = true;
            ++i;
        } else {
            while (i < n && core::isDigit(s.at(i)))
                columnDigits += s.at(i++);
            if (columnDigits.isEmpty()) {
                stop(m_prompt,
                     QStringLiteral("ОШИБКА ! НЕЧИСЛОВОЕ ДАННОЕ В ПОЗИЦИИ НОМЕРА ГРАФЫ !!!"),
                     ExitTitleUpper);
                return FormulaStatus::Stopped;
            }
        }
        const qint64 rows = sel.current ? m_current.rows() : sel.matrix.rows;
        const qint64 columns = sel.current ? m_current.columns() : sel.matrix.columns;
        if (!ref.rowS) {
            const qint64 row = digitsValue(rowDigits);
            if (row == 0) {
                stop(m_prompt, QStringLiteral("Номер строки = 0 !!!"), ExitTitle);
                return FormulaStatus::Stopped;
            }
            if (row > rows) {
                stop(m_prompt, QStringLiteral("Номер строки превышает допустимое значение !!!"),
                     numberOf(rowDigits) + QStringLiteral(" > ") + QString::number(rows) +
                         QStringLiteral(" !!!"));
                return FormulaStatus::Stopped;
            }
            ref.row = int(row);
        }
        if (!ref.columnG) {
            const qint64 column = digitsValue(columnDigits);
            if (column == 0) {
                stop(m_prompt, QStringLiteral("Номер графы = 0 !!!"), ExitTitleUpper);
                return FormulaStatus::Stopped;
            }
            if (column > columns) {
                // The two messages differ by a blank, as the system has always shown them.
                stop(m_prompt,
                     sel.current ? QStringLiteral("Номер графы превышает допустимое значение !!!")
                                 : QStringLiteral("Номер графы  превышает допустимое значение !!!"),
                     numberOf(columnDigits) + QStringLiteral(" > ") + QString::number(columns) +
                         QStringLiteral(" !!!"));
                return FormulaStatus::Stopped;
            }
            ref.column = int(column);
        }
        formula.usesS = formula.usesS || ref.rowS;
        formula.usesG = formula.usesG || ref.columnG;
        side().append(ref);
    }
    flushText();
    return checkSyntax(formula) ? FormulaStatus::Parsed : FormulaStatus::Stopped;
}

// A formula the evaluator cannot read would fail at every cell it is evaluated for: it stops the
// control once, with the evaluator's message, before anything is evaluated. References stand
// in brackets, so that text glued to a reference ("1\1\1.5") is found too.
bool Parser::checkSyntax(const Formula& formula) {
    if (core::Check_Brackets(withoutBlanks(formula.source), m_prompt)) return false;
    auto trial = [](const QList<Piece>& pieces) {
        QString t;
        for (const Piece& p : pieces)
            t += p.isReference() ? QStringLiteral("(1)") : p.text;
        return t;
    };
    // A relation written with "!" or "#" is no relation of the evaluator: such a formula fails
    // with an evaluation error of its own when it is evaluated, and the run goes on. Its sides
    // must still be readable.
    QStringList expressions;
    if (formula.relation.contains(QLatin1Char('!')) || formula.relation.contains(QLatin1Char('#')))
        expressions << trial(formula.left) << trial(formula.right);
    else
        expressions << trial(formula.left) + formula.relation + trial(formula.right);
    for (const QString& expression : expressions) {
        const platform::EvalResult r = platform::evaluate(expression);
        if (!r.isSyntaxError()) continue;
        stop(m_prompt, QStringLiteral("Script_Control_Eval") + core::CRLF + r.errorDescription,
             formula.source);
        return false;
    }
    return true;
}

// Expands one macro kind in the text.
QString expandMacro(const QString& text, const QString& macro, const QString& id, bool rows) {
    QString out;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype at = text.indexOf(macro, pos);
        if (at < 0) break;
        qsizetype open = at + macro.size();
        while (open < text.size() && text.at(open) == QLatin1Char(' '))
            ++open;
        const qsizetype close =
            open < text.size() && text.at(open) == QLatin1Char('(') ? text.indexOf(')', open) : -1;
        if (close < 0) {
            out += text.mid(pos, open - pos);
            pos = open;
            continue;
        }
        const QStringList args = text.mid(open + 1, close - open - 1).split(QLatin1Char(','));
        bool ok = args.size() == 3;
        qint64 v[3] = {0, 0, 0};
        for (int k = 0; ok && k < 3; ++k) {
            const QString a = core::Trim(args.at(k));
            ok = !a.isEmpty() && a.size() <= 9 && core::Is_All_Digits(a);
            if (ok) v[k] = a.toLongLong();
        }
        ok = ok && v[0] >= 1 && v[1] >= v[0] && v[1] - v[0] < maxMacroTerms;
        if (!ok) {
            out += text.mid(pos, close + 1 - pos);
            pos = close + 1;
            continue;
        }
        const QString fixed = QString::number(v[2]);
        QStringList terms;
        for (qint64 t = v[0]; t <= v[1]; ++t)
            terms.append(id + Backslash + (rows ? QString::number(t) : fixed) + Backslash +
                         (rows ? fixed : QString::number(t)));
        QString sum = terms.join(QLatin1Char('+'));
        const QString before = core::RTrim(text.left(at));
        const QString after = core::LTrim(text.mid(close + 1));
        const bool wrap = (!before.isEmpty() && QStringLiteral("-*/^").contains(before.back())) ||
                          (!after.isEmpty() && QStringLiteral("*/^").contains(after.front())) ||
                          after.startsWith(QLatin1String("MOD"));
        if (wrap) sum = QLatin1Char('(') + sum + QLatin1Char(')');
        out += text.mid(pos, at - pos) + sum;
        pos = close + 1;
    }
    return out + text.mid(pos);
}

} // namespace

void blockPoints(const Block& block, int rows, int columns, BlockPoints& points) {
    points.rows.clear();
    points.columns.clear();
    points.cells.clear();
    if (block.formulas.isEmpty()) return;
    const Formula& first = block.formulas.first();
    const auto overColumns = [&](int s) {
        if (!first.usesG) {
            points.rows.push_back(s);
            points.columns.push_back(0);
            return;
        }
        for (int g = 1; g <= columns; ++g)
            if (block.columnList.matches(g)) {
                points.rows.push_back(s);
                points.columns.push_back(g);
                if (s > 0) points.cells.push_back((s - 1) * columns + (g - 1));
            }
    };
    if (first.usesS) {
        for (int s = 1; s <= rows; ++s)
            if (block.rowList.matches(s)) overColumns(s);
    } else {
        overColumns(0);
    }
}

void prepareForShape(RuleSet& rules, int rows, int columns) {
    const auto resolve = [&](QList<FastStep>& steps) {
        for (FastStep& step : steps) {
            if (step.op != FastStep::Reference || step.rowS || step.columnG || step.selection < 0 ||
                !rules.selections.at(step.selection).current)
                continue;
            const bool inside =
                step.row >= 1 && step.row <= rows && step.column >= 1 && step.column <= columns;
            step.flat = inside ? (step.row - 1) * columns + (step.column - 1) : -1;
        }
    };
    for (Block& block : rules.blocks) {
        blockPoints(block, rows, columns, block.points);
        for (Formula& f : block.formulas)
            for (FastProgram* side : {&f.fast.left, &f.fast.right}) {
                resolve(side->steps);
                resolve(side->references);
            }
    }
    rules.preparedShape = {rows, columns};
}

bool CodeList::matches(qint64 value) const {
    if (m_entries.isEmpty()) return true;
    for (const auto& [low, high] : m_entries)
        if (value >= low && value <= high) return true;
    return false;
}

CodeList CodeList::parse(const QString& line) {
    QString kept;
    for (QChar c : line)
        if (core::isDigit(c) || c == QLatin1Char('-') || c == QLatin1Char(',')) kept.append(c);
    CodeList list;
    for (const QString& entry : kept.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList numbers = entry.split(QLatin1Char('-'), Qt::SkipEmptyParts);
        if (numbers.isEmpty()) continue;
        const qint64 a = digitsValue(numbers.first());
        const qint64 b = digitsValue(numbers.last());
        list.m_entries.append({std::min(a, b), std::max(a, b)});
    }
    return list;
}

int findSelection(const RuleSet& rules, const Block& block, const QString& id) {
    for (int i : block.localSelections)
        if (rules.selections.at(i).name == id) return i;
    for (int i = 0; i < rules.selections.size(); ++i)
        if (rules.selections.at(i).name == id) return i;
    return -1;
}

bool isSelectionLine(const QString& line) {
    return line.contains(QLatin1Char(':')) && !isComment(core::Trim(line));
}

std::pair<int, int> movePeriod(int year, int month, int years, int months) {
    const qint64 total = qint64(year) * 12 + (month - 1) - qint64(years) * 12 - months;
    const qint64 y = total >= 0 ? total / 12 : -((-total + 11) / 12);
    return {int(y), int(total - y * 12 + 1)};
}

std::optional<Selection> parseSelection(const QString& line, const ControlTarget& target,
                                        platform::Prompt& prompt) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    Selection sel;
    sel.name = core::Trim(line.left(colon));
    QString definition = core::Trim(line.mid(colon + 1));
    const bool fixed = definition.contains(QLatin1String("FIX"));
    definition.remove(QStringLiteral("FIX"));
    const qsizetype slashes = definition.indexOf(QLatin1String("//"));
    if (slashes >= 0) {
        QString label = definition.mid(slashes + 2);
        if (fixed) label = label.mid(1);
        sel.label = core::Trim(label);
        definition = definition.left(slashes);
    } else {
        sel.label = core::Trim(definition);
    }
    if (!sel.label.isEmpty() && !sel.label.endsWith(QLatin1Char(':')))
        sel.label += QLatin1Char(':');
    if (slashes >= 0 && sel.label.isEmpty()) sel.label = QStringLiteral("???");

    QString rest = core::LTrim(definition);
    int count = 3;
    sel.formCode = core::Cut_Lead_Number(rest, count);
    if (sel.formCode.size() < 3) {
        stop(prompt, QStringLiteral("ОШИБКА ! КОД ФОРМЫ = ") + sel.formCode, line);
        return std::nullopt;
    }
    sel.section = core::Cut_Lead_Digits(rest);
    if (sel.section.size() >= 3) {
        stop(prompt, QStringLiteral("ОШИБКА ! ЧИСЛО РАЗДЕЛОВ = ") + sel.section, line);
        return std::nullopt;
    }
    if (sel.section.isEmpty()) sel.section = QStringLiteral("01");
    if (sel.section.size() == 1) sel.section.prepend(QLatin1Char('0'));

    const int reportYear = core::yearCode(target.year).toInt();
    const int reportMonth = core::monthCode(target.month).toInt();
    int year = 0;
    int month = 0;
    if (fixed) {
        const QString y = rest.left(4);
        const QString m = core::Trim(rest.mid(5, 2));
        if (y == QLatin1String("YEAR"))
            year = reportYear;
        else if (y == QLatin1String("LAST"))
            year = reportYear - 1;
        else if (y.size() == 4 && core::Is_All_Digits(y))
            year = y.toInt();
        if (!m.isEmpty() && core::Is_All_Digits(m)) month = m.toInt();
    } else {
        // "-Y" and a further "-M" back from the reporting period.
        const QString r = withoutBlanks(rest);
        qsizetype i = 0;
        int offsets[2] = {0, 0};
        bool valid = true;
        for (int k = 0; k < 2 && i < r.size() && r.at(i) == QLatin1Char('-'); ++k) {
            QString digits;
            for (++i; i < r.size() && core::isDigit(r.at(i)); ++i)
                digits += r.at(i);
            if (digits.size() > 4) valid = false;
            offsets[k] = digits.left(4).toInt();
        }
        if (valid)
            std::tie(year, month) = movePeriod(reportYear, reportMonth, offsets[0], offsets[1]);
        sel.current = year == reportYear && month == reportMonth &&
                      sel.formCode == target.formCode &&
                      sel.section == data::sectionNumber(target.section);
    }
    const bool validPeriod = year >= 1 && year <= 9999 && month >= 1 && month <= 12;
    sel.year = core::yearCode(QString::number(year));
    sel.month = core::monthCode(QString::number(month));
    if (sel.current) {
        sel.label.clear();
        sel.hasData = true;
        return sel;
    }
    sel.path = data::sectionFilePath(target.datDir, sel.year, sel.month, sel.formCode,
                                     target.regionCode, sel.section.toInt());
    // A period that no data file can have reads as a section without data.
    sel.hasData = validPeriod && data::A_DD_Read(sel.path, sel.matrix, prompt);
    return sel;
}

QString expandMacros(const QString& line) {
    qsizetype i = 0;
    while (i < line.size() && core::isDigit(line.at(i)))
        ++i;
    if (i == 0 || i >= line.size() || line.at(i) != Backslash) return line;
    const QString id = line.left(i);
    return expandMacro(expandMacro(line, QStringLiteral("SUMM_S"), id, true),
                       QStringLiteral("SUMM_G"), id, false);
}

std::optional<RuleSet> Log_A_Str(const QString& ruleText, const ControlTarget& target,
                                 const SectionCells& current, platform::Prompt& prompt) {
    return Parser(target, current, prompt).run(ruleText);
}

} // namespace mirel::control
