#include "query/blocks.h"

#include <QSet>

#include <climits>

#include "core/text.h"
#include "platform/prompt.h"

namespace mirel::query {
namespace {

bool beginsWithDigit(const QString& s) {
    return !s.isEmpty() && core::isDigit(s.at(0));
}

// The value of a run of digits; runs too long for an int count as INT_MAX.
int digitsValue(const QString& digits) {
    if (digits.isEmpty()) return 0;
    QString d = digits;
    while (d.size() > 1 && d.startsWith(QLatin1Char('0')))
        d.remove(0, 1);
    if (d.size() > 9) return INT_MAX;
    return d.toInt();
}

QString leadingDigits(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && core::isDigit(s.at(i)))
        ++i;
    return s.left(i);
}

// A line that begins with a column number and "=": a formula line, never a region code.
bool looksLikeFormula(const QString& line) {
    QString rest = line;
    if (core::Cut_Lead_Digits(rest).isEmpty()) return false;
    return rest.startsWith(QLatin1Char('='));
}

// Highest column a query can address (column numbers are 16-bit in the stored queries).
constexpr int MaxColumn = 32767;

// Reads a NOT_CALC region list starting at line i. Returns the index of the line that ended
// it, or -1 after the message.
int readNotCalc(const QStringList& lines, int i, QStringList& codes, bool stopAtFormulas,
                platform::Prompt& prompt) {
    while (i < lines.size() && beginsWithDigit(lines.at(i))) {
        const QString& line = lines.at(i);
        if (stopAtFormulas && looksLikeFormula(line)) break;
        const QString code = leadingDigits(line);
        if (core::Val(code) == 0) {
            prompt.message(QStringLiteral("Не выделен код в блоке NOT_CALC -> ") + line);
            return -1;
        }
        codes.append(code);
        ++i;
    }
    return i;
}

// Parses one column or virtual-column line (without its leading "V"). False after the message.
bool readFormulaLine(const QString& line, const QString& body, bool isVirtual, Formula& formula,
                     platform::Prompt& prompt) {
    QString rest = body;
    const QString digits = core::Cut_Lead_Digits(rest);
    const int value = digitsValue(digits);
    if (digits.isEmpty() || !rest.startsWith(QLatin1Char('=')) ||
        (!isVirtual && (value < 1 || value > MaxColumn))) {
        prompt.message(QStringLiteral("Неверная формула -> ") + line);
        return false;
    }
    const QString text = core::LTrim(rest.mid(1));
    if (text.isEmpty()) {
        prompt.message(QStringLiteral("Не задана формула -> ") + line);
        return false;
    }
    formula.column = QString::number(value);
    formula.text = text;
    return true;
}

// Reads the formula lines of a DAT list from line i. Returns the index of the first line that
// is not a formula line, or -1 after a message.
int readFormulas(RowBlock& block, int i, const BlockContext& context, platform::Prompt& prompt) {
    const QStringList& lines = block.lines;
    const int table = int(block.virtuals.size()) - 1;
    int lastVirtual = -1;   // the virtual column of the previous line
    QList<int> lastColumns; // the column formulas of the previous line
    while (i < lines.size()) {
        const QString& line = lines.at(i);
        const QChar first = line.at(0);
        if (first == QLatin1Char('V') && (line.size() < 2 || line.at(1) != QLatin1Char('V'))) {
            Formula f;
            if (!readFormulaLine(line, line.mid(1), true, f, prompt)) return -1;
            f.virtualTable = table;
            block.virtuals[table].append(f);
            lastVirtual = int(block.virtuals.at(table).size()) - 1;
            lastColumns.clear();
            ++i;
        } else if (core::isDigit(first)) {
            Formula f;
            if (!readFormulaLine(line, line, false, f, prompt)) return -1;
            f.virtualTable = table;
            block.formulas.append(f);
            lastVirtual = -1;
            lastColumns = {int(block.formulas.size()) - 1};
            ++i;
        } else if (first == QLatin1Char('J')) {
            lastColumns.clear();
            lastVirtual = -1;
            if (context.base)
                for (const QString& column : context.base->columns) {
                    QString copy = line;
                    copy.replace(QLatin1Char('J'), column);
                    Formula f;
                    if (!readFormulaLine(copy, copy, false, f, prompt)) return -1;
                    f.virtualTable = table;
                    block.formulas.append(f);
                    lastColumns.append(int(block.formulas.size()) - 1);
                }
            ++i;
        } else if (line.contains(QStringLiteral("NOT_CALC")) &&
                   (lastVirtual >= 0 || !lastColumns.isEmpty())) {
            QStringList codes;
            const int next = readNotCalc(lines, i + 1, codes, true, prompt);
            if (next < 0) return -1;
            if (lastVirtual >= 0) block.virtuals[table][lastVirtual].notCalc += codes;
            for (int index : lastColumns)
                block.formulas[index].notCalc += codes;
            i = next;
        } else {
            break;
        }
    }
    // Virtual column numbers name one formula each.
    const QList<Formula>& virtuals = block.virtuals.at(table);
    QSet<QString> seen;
    for (const Formula& v : virtuals) {
        if (seen.contains(v.column)) {
            prompt.message(QStringLiteral("Повторное использование ссылки на графу -> ") +
                           v.column + QLatin1Char('=') + v.text);
            return -1;
        }
        seen.insert(v.column);
    }
    return i;
}

// DEC, RANG and IND lists. Returns the index of the line that ended the list, -1 after a
// message.
int readColumnList(const QStringList& lines, int i, QMap<int, ColumnEntry>& table, int mode,
                   bool isDec, platform::Prompt& prompt) {
    if (i + 1 >= lines.size() || !beginsWithDigit(lines.at(i + 1))) {
        prompt.message(
            isDec ? QStringLiteral("После слова DEC не перечислена точность вычислений граф")
                  : QStringLiteral("После слова RANG (IND) не перечислены графы "
                                   "ранжирования (индексирования)"));
        return -1;
    }
    int j = i + 1;
    while (j < lines.size() && beginsWithDigit(lines.at(j))) {
        QString rest = lines.at(j);
        ColumnEntry entry;
        entry.column = digitsValue(core::Cut_Lead_Digits(rest));
        entry.second = digitsValue(core::Cut_Lead_Digits(rest));
        entry.mode = mode;
        if (isDec && entry.column == 0) {
            prompt.message(QStringLiteral(
                "Нулевое значение номера графы в блоке определения точности вычислений"));
            return -1;
        }
        ++j;
        if (j < lines.size() && lines.at(j).contains(QStringLiteral("NOT_CALC"))) {
            j = readNotCalc(lines, j + 1, entry.notCalc, false, prompt);
            if (j < 0) return -1;
        }
        table.insert(entry.column, entry);
    }
    return j;
}

// SUMM, MID and DEL lists: lines holding one column number each.
int readNumberList(const QStringList& lines, int i, QList<int>& list) {
    int j = i + 1;
    while (j < lines.size()) {
        const QString& line = lines.at(j);
        const QString digits = leadingDigits(line);
        if (digits.isEmpty() || digits.size() != line.size() || digitsValue(digits) == 0) break;
        list.append(digitsValue(digits));
        ++j;
    }
    return j;
}

} // namespace

bool parseBlock(RowBlock& block, bool impliedDat, const BlockContext& context, QueryTables& tables,
                platform::Prompt& prompt) {
    const QStringList& lines = block.lines;
    int i = 0;
    if (impliedDat) {
        block.virtuals.append(QList<Formula>());
        i = readFormulas(block, 0, context, prompt);
        if (i < 0) return false;
    }
    while (i < lines.size()) {
        const QString& line = lines.at(i);
        if (line.startsWith(QStringLiteral("DAT"))) {
            if (i == lines.size() - 1) {
                prompt.message(QStringLiteral("После DAT не описана ни одна формула !!!"));
                return false;
            }
            block.virtuals.append(QList<Formula>());
            i = readFormulas(block, i + 1, context, prompt);
            if (i < 0) return false;
            continue;
        }
        if (line.startsWith(QStringLiteral("VV"))) { // collected for the whole query
            ++i;
            continue;
        }
        if (line.startsWith(QStringLiteral("DEC"))) {
            i = readColumnList(lines, i, tables.dec, 0, true, prompt);
            if (i < 0) return false;
            continue;
        }
        const bool rang = line.startsWith(QStringLiteral("RANG"));
        if (rang || line.startsWith(QStringLiteral("IND"))) {
            int mode = core::wholeInt(core::Val(line.mid(rang ? 4 : 3)));
            if (mode == 0) mode = 1;
            i = readColumnList(lines, i, rang ? tables.rang : tables.ind, mode, false, prompt);
            if (i < 0) return false;
            continue;
        }
        const bool summ = line.startsWith(QStringLiteral("SUM"));
        if (summ || line.startsWith(QStringLiteral("MID"))) {
            if (i == lines.size() - 1) {
                prompt.message(
                    summ ? QStringLiteral("Не перечислены графы суммирования !!!")
                         : QStringLiteral("Не перечислены графы расчета средних значений !!!"));
                return false;
            }
            i = readNumberList(lines, i, summ ? tables.summ : tables.mid);
            continue;
        }
        if (line.startsWith(QStringLiteral("DEL"))) {
            tables.hasDel = true;
            const int before = int(tables.del.size());
            i = readNumberList(lines, i, tables.del);
            if (tables.del.size() == before && !tables.del.contains(0))
                tables.del.append(0); // a DEL without a list tests every column
            continue;
        }
        if (line.startsWith(QStringLiteral("SORT"))) {
            QString direction = core::Trim(line.mid(4));
            if (direction.isEmpty()) direction = QStringLiteral("+");
            if (i == lines.size() - 1) {
                if (direction == QStringLiteral("+") || direction == QStringLiteral("-")) {
                    prompt.message(QStringLiteral(
                        "После строки SORT не определена графа сортировки данных !!!"));
                    return false;
                }
                ++i;
                continue;
            }
            const int column = digitsValue(leadingDigits(lines.at(i + 1)));
            if (column == 0) {
                prompt.message(QStringLiteral("Неверно определена графа сортировки данных !!!"));
                return false;
            }
            tables.sort.insert(column, direction);
            i += 2;
            continue;
        }
        ++i;
    }
    return true;
}

QStringList collectVV(const QStringList& lines, platform::Prompt& prompt, bool report) {
    QStringList texts;
    for (const QString& line : lines) {
        if (!line.startsWith(QStringLiteral("VV"))) continue;
        QString rest = core::LTrim(line.mid(2));
        const QString digits = core::Cut_Lead_Digits(rest);
        if (rest.startsWith(QLatin1Char('='))) rest = rest.mid(1);
        const QString text = core::Trim(rest);
        if (report && digitsValue(digits) == 0)
            prompt.message(QStringLiteral("Не определен номер глобальной виртуальной ссылки !!!"));
        if (report && text.isEmpty())
            prompt.message(QStringLiteral("Не определена глобальная виртуальная ссылка !!!"));
        texts.append(text);
    }
    return texts;
}

namespace {

// Puts the row identifier in place of the letter "I" of a template line; the function names
// "IF(" and "IND(" keep their letter.
QString replaceRowLetter(const QString& line, const QString& row) {
    QString out;
    out.reserve(line.size() + row.size() * 2);
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == QLatin1Char('I') &&
            !QStringView(line).mid(i).startsWith(QLatin1String("IF(")) &&
            !QStringView(line).mid(i).startsWith(QLatin1String("IND(")))
            out += row;
        else
            out += line.at(i);
    }
    return out;
}

bool templateLine(const QString& line) {
    const QChar c = line.at(0);
    return c == QLatin1Char('J') || c == QLatin1Char('V') || core::isDigit(c) ||
           line.startsWith(QStringLiteral("DEC"));
}

} // namespace

QStringList expandRowTemplates(const QStringList& lines, const reference::SectionStructure* base) {
    QStringList out;
    int i = 0;
    while (i < lines.size()) {
        if (lines.at(i) != QStringLiteral("STR I")) {
            out.append(lines.at(i++));
            continue;
        }
        QStringList templ{lines.at(i++)};
        while (i < lines.size() && templateLine(lines.at(i)))
            templ.append(lines.at(i++));
        if (!base) continue;
        for (const QString& row : base->rows)
            for (const QString& line : templ)
                out.append(replaceRowLetter(line, row));
    }
    return out;
}

bool cutRowBlocks(const QStringList& lines, QList<RowBlock>& blocks, platform::Prompt& prompt) {
    blocks.clear();
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines.at(i).startsWith(QStringLiteral("STR"))) continue;
        RowBlock block;
        block.id = core::Trim(lines.at(i).mid(3));
        if (block.id.isEmpty()) {
            prompt.message(QStringLiteral("Недействительное значение идентификатора строки "
                                          "формируемой таблицы -> ") +
                           lines.at(i));
            return false;
        }
        int j = i + 1;
        while (j < lines.size() && !lines.at(j).startsWith(QStringLiteral("STR")))
            block.lines.append(lines.at(j++));
        if (block.lines.isEmpty()) {
            prompt.message(QStringLiteral("Не выделен блок формул !!!"));
            return false;
        }
        blocks.append(block);
        i = j - 1;
    }
    if (blocks.isEmpty()) {
        prompt.message(QStringLiteral("Не выделен блок формул !!!"));
        return false;
    }
    return true;
}

int columnCount(const QList<RowBlock>& blocks) {
    int n = 0;
    for (const RowBlock& b : blocks)
        for (const Formula& f : b.formulas)
            n = std::max(n, f.column.toInt());
    return n;
}

bool validateTables(const QueryTables& tables, int columns, platform::Prompt& prompt) {
    for (const ColumnEntry& e : tables.dec)
        if (e.column > columns) {
            prompt.message(QStringLiteral("Недопустимое значение номера графы (") +
                           QString::number(e.column) +
                           QStringLiteral(") в блоке определения точности вычислений !!!"));
            return false;
        }
    const auto badRank = [columns](const ColumnEntry& e) {
        return e.column < 1 || e.column > columns || e.second < 1 || e.second > columns;
    };
    for (const ColumnEntry& e : tables.rang)
        if (badRank(e)) {
            prompt.message(QStringLiteral(
                "Недопустимое значение номера графы в блоке определения граф ранжирования !!!"));
            return false;
        }
    for (const ColumnEntry& e : tables.ind)
        if (badRank(e)) {
            prompt.message(QStringLiteral(
                "Недопустимое значение номера графы в блоке определения граф индексирования !!!"));
            return false;
        }
    for (auto it = tables.sort.cbegin(); it != tables.sort.cend(); ++it)
        if (it.key() > columns) {
            prompt.message(QStringLiteral("Недопустимое значение графы сортировки !!!"));
            return false;
        }
    return true;
}

Multy multySetting(const QStringList& lines) {
    Multy m;
    for (const QString& line : lines)
        if (line.startsWith(QStringLiteral("MULTY_"))) {
            if (line.size() > 6) m.letter = line.at(6);
            const double n = core::Val(line.mid(7));
            m.count = n > 0 && n <= 100 ? int(n) : 0; // a century back at most
            break;
        }
    return m;
}

QChar multyRegSetting(const QStringList& lines) {
    for (const QString& line : lines)
        if (line.startsWith(QStringLiteral("MULTY_REG")))
            return core::Trim(line.mid(9)).startsWith(QLatin1Char('X')) ? QLatin1Char('X')
                                                                        : QLatin1Char('Y');
    return QChar();
}

QStringList shifNames(const QStringList& lines) {
    QStringList names;
    for (const QString& line : lines)
        if (line.startsWith(QStringLiteral("SHIF")))
            names.append(line.endsWith(QStringLiteral(".TXT")) ? line
                                                               : line + QStringLiteral(".TXT"));
    return names;
}

CodResult codLine(const QStringList& lines, platform::Prompt& prompt) {
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith(QStringLiteral("COD"))) {
            if (i == lines.size() - 1) {
                prompt.message(QStringLiteral("После COD не задан код региона !!!"));
                return {};
            }
            return {true, lines.at(i + 1)};
        }
    prompt.message(QStringLiteral("Не задан код региона !!!"));
    return {};
}

} // namespace mirel::query
