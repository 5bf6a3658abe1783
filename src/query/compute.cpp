#include "query/compute.h"

#include <algorithm>
#include <QHash>
#include <vector>

#include "core/config.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "query/formulas.h"

namespace mirel::query {
namespace {

// Sets the year field for a repetition of MULTY_ and puts the text back on every way out.
class YearGuard {
public:
    explicit YearGuard(reference::Session& session)
        : m_session(session)
        , m_saved(session.year) {}
    ~YearGuard() { m_session.year = m_saved; }
    void back(int years) {
        m_session.year = years == 0
                             ? m_saved
                             : QString::number(qint64(core::wholeInt(core::Val(m_saved))) - years);
    }
    YearGuard(const YearGuard&) = delete;
    YearGuard& operator=(const YearGuard&) = delete;

private:
    reference::Session& m_session;
    QString m_saved;
};

Period periodOf(const reference::Session& s) {
    return {s.year, s.month};
}

reference::Regions defaultClassifier(Computation& c) {
    reference::Regions regions;
    reference::Load_Regions(regions, c.session.dir(core::DirSHIF), QString(), c.prompt);
    return regions;
}

// The classifiers of the "SHIF" lines. False after "Не существует шифратор ".
bool loadShif(const QStringList& lines, Computation& c, QList<reference::Regions>& out) {
    const QString dir = c.session.dir(core::DirSHIF);
    for (const QString& name : shifNames(lines)) {
        if (!platform::fileExists(dir + QLatin1Char('/') + name)) {
            c.prompt.message(QStringLiteral("Не существует шифратор ") + name);
            return false;
        }
        reference::Regions regions;
        reference::Load_Regions(regions, dir, name, c.prompt);
        out.append(regions);
    }
    return true;
}

FormulaContext contextFor(Computation& c, const ReferenceTable& refs) {
    FormulaContext ctx;
    ctx.refs = &refs;
    ctx.forms = &c.session.forms;
    ctx.datDir = c.session.dir(core::DirDAT);
    ctx.cache = &c.cache;
    ctx.prompt = &c.prompt;
    return ctx;
}

std::optional<QList<CompiledFormula>> compile(const QList<Formula>& formulas,
                                              const ReferenceTable& refs, Computation& c) {
    QList<CompiledFormula> out;
    for (const Formula& f : formulas) {
        auto parts = tokenise(f.text, refs, c.session.forms, false, c.prompt);
        if (!parts) return std::nullopt;
        out.append(CompiledFormula{f.column.toInt(), f.text, *parts, f.notCalc});
    }
    return out;
}

// Evaluates the formulas of one row for a region. False when the row failed.
bool fillRow(QStringList& row, const QList<CompiledFormula>& formulas, const QString& region,
             const QueryTables& tables, const FormulaContext& ctx) {
    for (const CompiledFormula& f : formulas) {
        const auto dec = tables.dec.constFind(f.column);
        if (dec != tables.dec.cend() && dec->notCalc.contains(region)) {
            row[f.column + 1].clear();
            continue;
        }
        QString cell;
        const int precision = dec != tables.dec.cend() ? dec->second : 0;
        if (evaluateFormula(f, region, precision, ctx, cell) == CellOutcome::Stop) return false;
        row[f.column + 1] = cell;
    }
    return true;
}

QStringList emptyRow(int columns) {
    return QStringList(columns + 2);
}

bool numericCell(const QString& cell) {
    return !cell.isEmpty() && !cell.startsWith(QLatin1Char('*'));
}

// ---- region tables ----------------------------------------------------------------------

struct RegionYear {
    Table table;
    QueryTables tables;
};

std::optional<RegionYear> regionTableForYear(const QStringList& lines, Computation& c, bool first) {
    const reference::FormCatalog& forms = c.session.forms;
    ReferenceTable refs;
    if (!parseReferenceLines(lines, forms, periodOf(c.session), refs, c.prompt))
        return std::nullopt;
    RowBlock block;
    block.lines = lines;
    RegionYear out;
    QueryTables& tables = out.tables;
    tables.vv = collectVV(lines, c.prompt, first);
    const BlockContext context{refs.isEmpty() ? nullptr : refs.first().structure(forms)};
    if (!parseBlock(block, false, context, tables, c.prompt) ||
        !expandShortNames(block, tables.vv, c.prompt))
        return std::nullopt;
    const int n = columnCount({block});
    if (!validateTables(tables, n, c.prompt)) return std::nullopt;
    const reference::Regions defaults = defaultClassifier(c);
    resolvePeriods(refs, forms, periodOf(c.session));
    const auto formulas = compile(block.formulas, refs, c);
    if (!formulas) return std::nullopt;
    QList<reference::Regions> classifiers;
    if (!loadShif(lines, c, classifiers)) return std::nullopt;
    if (classifiers.isEmpty()) classifiers.append(defaults);

    const FormulaContext ctx = contextFor(c, refs);
    Table& t = out.table;
    t.columns = n;
    for (const reference::Regions& classifier : classifiers) {
        const QList<reference::Region> regions = regionList(classifier);
        Matrix m;
        platform::Progress progress(c.prompt, int(regions.size()));
        for (int k = 0; k < regions.size(); ++k) {
            QStringList row = emptyRow(n);
            row[0] = regions.at(k).name;
            row[1] = regions.at(k).code;
            if (!fillRow(row, *formulas, regions.at(k).code, tables, ctx)) {
                t.stopped = true;
                break;
            }
            m.append(row);
            if (!progress.step(k + 1)) {
                c.cancelled = t.stopped = true;
                break;
            }
        }
        progress.finish();
        if (!t.stopped) {
            for (const ColumnEntry& e : tables.rang)
                applyRanking(m, e, false);
            for (const ColumnEntry& e : tables.ind)
                applyRanking(m, e, true);
        }
        t.matrix += m;
        if (t.stopped) break;
    }
    if (!t.stopped)
        for (auto it = tables.sort.cbegin(); it != tables.sort.cend(); ++it)
            applySort(t.matrix, it.key(), it.value());
    return out;
}

// Joins the tables of several years: "X" side by side (matched by region code), "Y" one row
// per year under each region of the current year.
Matrix joinYears(const QList<Matrix>& years, int columns, int count, QChar letter, bool byCode) {
    const Matrix& current = years.first();
    QHash<QString, int> rowOf;
    for (int r = 0; r < current.size(); ++r)
        if (!rowOf.contains(current.at(r).value(1))) rowOf.insert(current.at(r).value(1), r);
    const auto matchRow = [&](const Matrix& m, int r) -> int {
        if (!byCode) return r < current.size() ? r : -1;
        const QString code = m.at(r).value(1);
        if (core::Val(code) <= 0) return -1;
        return rowOf.value(code, -1);
    };
    Matrix joined;
    if (letter == QLatin1Char('X')) {
        for (const QStringList& row : current) {
            QStringList wide = row;
            wide.resize(2 + count * columns);
            joined.append(wide);
        }
        for (int i = 1; i < years.size(); ++i)
            for (int r = 0; r < years.at(i).size(); ++r) {
                const int target = matchRow(years.at(i), r);
                if (target < 0) continue;
                for (int j = 0; j < columns; ++j)
                    joined[target][2 + i * columns + j] = years.at(i).at(r).value(2 + j);
            }
        return joined;
    }
    joined = Matrix(current.size() * count, emptyRow(columns));
    for (int r = 0; r < current.size(); ++r)
        joined[r * count] = current.at(r);
    for (int i = 1; i < years.size(); ++i)
        for (int r = 0; r < years.at(i).size(); ++r) {
            const int target = matchRow(years.at(i), r);
            if (target < 0) continue;
            QStringList row = years.at(i).at(r);
            row.resize(columns + 2);
            row[0].clear();
            joined[target * count + i] = row;
        }
    return joined;
}

// ---- row tables -------------------------------------------------------------------------

struct RowPrep {
    ReferenceTable refs;
    QueryTables tables;
    int columns = 0;
    QList<QList<CompiledFormula>> rows;
};

// Row blocks: "STR I" templates expanded, "VV" lines collected, "STR" blocks cut.
std::optional<QList<RowBlock>> formRowBlocks(const QStringList& lines, const ReferenceTable& refs,
                                             Computation& c, bool first, QStringList& vv) {
    const reference::SectionStructure* base =
        refs.isEmpty() ? nullptr : refs.first().structure(c.session.forms);
    const QStringList expanded = expandRowTemplates(lines, base);
    vv = collectVV(expanded, c.prompt, first);
    QList<RowBlock> blocks;
    if (!cutRowBlocks(expanded, blocks, c.prompt)) return std::nullopt;
    return blocks;
}

// The region of a row table: COD, replaced by the region selector when it is shown.
std::optional<QString> codRegion(const QStringList& lines, const reference::Regions& defaults,
                                 Computation& c) {
    const CodResult cod = codLine(lines, c.prompt);
    if (!cod.present) return std::nullopt;
    QString code = cod.code;
    const RegionSelector& selector = c.options.selector;
    if (selector.state == RegionSelector::State::Chosen)
        code = selector.code;
    else if (selector.state == RegionSelector::State::Empty)
        c.prompt.message(QStringLiteral("Не выбран регион !!!"), platform::Icon::Error,
                         QStringLiteral("ВНИМАНИЕ !!!"));
    if (core::Val(code) == 0) {
        c.prompt.message(QStringLiteral("код региона= 0 !!!"));
        return std::nullopt;
    }
    bool found = reference::In_A_Reg(defaults, code);
    // The selector lists the regions of the query's own classifier, so those count as well.
    if (!found) {
        const QString dir = c.session.dir(core::DirSHIF);
        for (const QString& name : shifNames(lines)) {
            if (!platform::fileExists(dir + QLatin1Char('/') + name)) continue;
            reference::Regions regions;
            reference::Load_Regions(regions, dir, name, c.prompt);
            found = found || reference::In_A_Reg(regions, code);
        }
    }
    if (!found) {
        c.prompt.message(QStringLiteral("Не найден код региона -> ") + code);
        return std::nullopt;
    }
    return code;
}

// The expression ranked by the RANG( or IND( of a formula; nullopt without one, or when it is
// not closed or empty.
std::optional<QString> rankExpression(const QString& text) {
    qsizetype pos = text.indexOf(QStringLiteral("RANG("));
    qsizetype length = 5;
    if (pos < 0) {
        pos = text.indexOf(QStringLiteral("IND("));
        length = 4;
    }
    if (pos < 0) return std::nullopt;
    const QString after = text.mid(pos + length);
    const qsizetype close = after.lastIndexOf(QLatin1Char(')'));
    if (close < 0 || core::Trim(after.left(close)).isEmpty()) return std::nullopt;
    return after.left(close);
}

// A prompt that tells nothing: for looking ahead at what a later step will report itself.
class SilentPrompt : public platform::Prompt {
public:
    void message(const QString&, platform::Icon = platform::Icon::None,
                 const QString& = QString()) override {}
    bool askYesNo(const QString&, const QString& = QString()) override { return false; }
    bool askOkCancel(const QString&, const QString& = QString()) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

// RANG( and IND( of a formula: the place of the region's value of the expression among the
// values of all regions of the classifier. False when the run is to stop.
bool replaceRankFunction(QString& text, const QString& region,
                         const QList<reference::Region>& regions, const ReferenceTable& refs,
                         Computation& c, const FormulaContext& ctx) {
    bool rang = true;
    qsizetype pos = text.indexOf(QStringLiteral("RANG("));
    if (pos < 0) {
        rang = false;
        pos = text.indexOf(QStringLiteral("IND("));
    }
    if (pos < 0) return true;
    const QString before = text.left(pos);
    const QString after = text.mid(pos + (rang ? 5 : 4));
    const qsizetype close = after.lastIndexOf(QLatin1Char(')'));
    if (close < 0) {
        c.prompt.message(
            QStringLiteral("Не закрыта скобка в задании на ранжирование выражения -> ") + text);
        return false;
    }
    const QString expression = after.left(close);
    if (core::Trim(expression).isEmpty()) {
        c.prompt.message(QStringLiteral("Не определено задание на ранжирование -> ") + text);
        return false;
    }
    const auto parts = tokenise(expression, refs, c.session.forms, false, c.prompt);
    if (!parts) return false;
    const CompiledFormula f{0, expression, *parts, {}};
    QString chosen;
    if (evaluateFormula(f, region, 0, ctx, chosen) != CellOutcome::Value || !numericCell(chosen))
        return false;
    QList<double> values;
    platform::Progress progress(c.prompt, int(regions.size()));
    for (int k = 0; k < regions.size(); ++k) {
        QString cell;
        if (evaluateFormula(f, regions.at(k).code, 0, ctx, cell) == CellOutcome::Stop) return false;
        values.append(numericCell(cell) ? core::Val(cell) : 0.0);
        if (!progress.step(k + 1)) {
            c.cancelled = true;
            return false;
        }
    }
    progress.finish();
    std::stable_sort(values.begin(), values.end());
    const int rank = int(values.indexOf(core::Val(chosen))) + 1;
    text = before + QString::number(rang ? rank : int(values.size()) - rank + 1);
    return true;
}

std::optional<RowPrep> prepareRows(QList<RowBlock> blocks, const ReferenceTable& parsed,
                                   const QStringList& vv, const QString& region,
                                   const reference::Regions& defaults, Computation& c) {
    RowPrep prep;
    prep.refs = parsed;
    prep.tables.vv = vv;
    const reference::FormCatalog& forms = c.session.forms;
    const BlockContext context{parsed.isEmpty() ? nullptr : parsed.first().structure(forms)};
    for (RowBlock& block : blocks)
        if (!parseBlock(block, true, context, prep.tables, c.prompt)) return std::nullopt;
    if (!expandRowReferences(blocks, c.prompt)) return std::nullopt;
    for (RowBlock& block : blocks)
        if (!expandShortNames(block, vv, c.prompt)) return std::nullopt;
    prep.columns = columnCount(blocks);
    if (!validateTables(prep.tables, prep.columns, c.prompt)) return std::nullopt;
    resolvePeriods(prep.refs, forms, periodOf(c.session));
    const FormulaContext ctx = contextFor(c, prep.refs);
    const QList<reference::Region> regions = regionList(defaults);
    // Each RANG( or IND( runs over every region: the cells they read are kept from the first
    // run, so that each file is read once for all of them (errors are told by the runs).
    for (const RowBlock& block : blocks)
        for (const Formula& f : block.formulas)
            if (const auto expression = rankExpression(f.text)) {
                SilentPrompt silent;
                if (const auto parts = tokenise(*expression, prep.refs, forms, false, silent))
                    ctx.keepCellsOf(*parts);
            }
    for (RowBlock& block : blocks)
        for (Formula& f : block.formulas)
            if (!replaceRankFunction(f.text, region, regions, prep.refs, c, ctx))
                return std::nullopt;
    for (const RowBlock& block : blocks) {
        auto formulas = compile(block.formulas, prep.refs, c);
        if (!formulas) return std::nullopt;
        prep.rows.append(*formulas);
    }
    return prep;
}

// The rows of a row table for one region; stopped when a row failed (the rows before it stay).
Matrix rowsFor(const RowPrep& prep, const FormulaContext& ctx, const QString& region,
               Computation& c, bool& stopped) {
    Matrix m;
    platform::Progress progress(c.prompt, int(prep.rows.size()));
    for (int r = 0; r < prep.rows.size(); ++r) {
        QStringList row = emptyRow(prep.columns);
        row[0] = QString::number(r + 1);
        row[1] = region;
        if (!fillRow(row, prep.rows.at(r), region, prep.tables, ctx)) {
            stopped = true;
            break;
        }
        m.append(row);
        if (!progress.step(r + 1)) {
            c.cancelled = stopped = true;
            break;
        }
    }
    return m;
}

QString nameOf(const QString& code, const QList<reference::Regions>& classifiers) {
    for (const reference::Regions& regions : classifiers) {
        const int i = reference::regionIndex(regions, code);
        if (i >= 0) return regions.at(i)->name;
    }
    return QString();
}

} // namespace

QList<reference::Region> regionList(const reference::Regions& regions) {
    QList<reference::Region> out;
    for (const auto& slot : regions)
        if (slot) out.append(*slot);
    return out;
}

std::optional<Table> computeRegionTable(const QStringList& lines, Computation& c) {
    const Multy multy = multySetting(lines);
    if (!multy.active()) {
        auto year = regionTableForYear(lines, c, true);
        if (!year) return std::nullopt;
        if (year->tables.hasDel && !year->table.stopped)
            applyDel(year->table.matrix, year->tables.del, year->table.columns);
        return year->table;
    }
    YearGuard guard(c.session);
    QList<Matrix> years;
    Table first;
    for (int i = 0; i < multy.count; ++i) {
        guard.back(i);
        auto year = regionTableForYear(lines, c, i == 0);
        if (!year) {
            if (i == 0) return std::nullopt;
            break;
        }
        if (i == 0) first = year->table;
        years.append(year->table.matrix);
        if (year->table.stopped) break;
    }
    Table t = first;
    t.matrix = joinYears(years, first.columns, multy.count, multy.letter, true);
    if (multy.letter == QLatin1Char('X')) t.columns = first.columns * multy.count;
    t.layout = QStringLiteral("MULTY_") + multy.letter;
    return t;
}

std::optional<Table> computeRowTable(const QStringList& lines, Computation& c) {
    const Multy multy = multySetting(lines);
    const QChar multyReg = multyRegSetting(lines);
    const reference::FormCatalog& forms = c.session.forms;

    ReferenceTable refs;
    if (!parseReferenceLines(lines, forms, periodOf(c.session), refs, c.prompt))
        return std::nullopt;
    QStringList vv;
    const auto blocks = formRowBlocks(lines, refs, c, true, vv);
    if (!blocks) return std::nullopt;
    const reference::Regions defaults = defaultClassifier(c);
    const auto region = codRegion(lines, defaults, c);
    if (!region) return std::nullopt;

    QList<RowPrep> preps;
    {
        YearGuard guard(c.session);
        const int years = multy.active() ? multy.count : 1;
        for (int i = 0; i < years; ++i) {
            guard.back(i);
            ReferenceTable yearRefs = refs;
            QList<RowBlock> yearBlocks = *blocks;
            QStringList yearVV = vv;
            if (i > 0) {
                if (!parseReferenceLines(lines, forms, periodOf(c.session), yearRefs, c.prompt))
                    break;
                const auto b = formRowBlocks(lines, yearRefs, c, false, yearVV);
                if (!b) break;
                yearBlocks = *b;
            }
            auto prep = prepareRows(yearBlocks, yearRefs, yearVV, *region, defaults, c);
            if (!prep) {
                if (i == 0) return std::nullopt;
                break;
            }
            preps.append(*prep);
        }
    }

    QList<reference::Regions> classifiers;
    if (!loadShif(lines, c, classifiers)) return std::nullopt;
    if (classifiers.isEmpty()) classifiers.append(defaults);

    const int columns = preps.first().columns;
    // One context per year for all regions: what it found out about the references stays.
    QList<FormulaContext> contexts;
    for (const RowPrep& prep : preps)
        contexts.append(contextFor(c, prep.refs));
    // The table of one region, with the years of MULTY_ joined.
    const auto tableFor = [&](const QString& code, bool& stopped) {
        QList<Matrix> years;
        for (int i = 0; i < preps.size(); ++i) {
            years.append(rowsFor(preps.at(i), contexts.at(i), code, c, stopped));
            if (stopped) break;
        }
        if (!multy.active()) return years.first();
        return joinYears(years, columns, multy.count, multy.letter, false);
    };
    const int width =
        multy.active() && multy.letter == QLatin1Char('X') ? columns * multy.count : columns;
    Table t;
    t.columns = width;
    t.regionCode = *region;
    t.regionName = nameOf(*region, {defaults});
    if (t.regionName.isEmpty()) t.regionName = nameOf(*region, classifiers);
    if (multy.active()) t.layout = QStringLiteral("MULTY_") + multy.letter;
    if (multyReg.isNull()) {
        t.matrix = tableFor(*region, t.stopped);
        return t;
    }

    // One table per region of the classifiers.
    QList<Matrix> tables;
    QStringList names;
    int total = 0;
    for (const reference::Regions& classifier : classifiers)
        total += int(regionList(classifier).size());
    platform::Progress progress(c.prompt, total);
    for (const reference::Regions& classifier : classifiers)
        for (const reference::Region& r : regionList(classifier)) {
            if (c.options.caption) c.options.caption(r.name);
            bool stopped = false;
            tables.append(tableFor(r.code, stopped));
            names.append(r.name);
            if (stopped || !progress.step(int(tables.size()))) {
                if (!stopped) c.cancelled = true;
                if (c.options.caption) c.options.caption(QStringLiteral("Мирель."));
                return std::nullopt;
            }
        }
    progress.finish();
    if (c.options.caption) c.options.caption(QStringLiteral("Мирель."));
    if (tables.isEmpty()) return t;
    const int rows = int(tables.first().size());
    if (multyReg == QLatin1Char('X')) {
        t.layout = QStringLiteral("MULTY_REG X");
        for (const QStringList& row : tables.first()) {
            QStringList wide = row.mid(0, 2);
            wide.resize(2 + int(tables.size()) * width);
            t.matrix.append(wide);
        }
        for (int k = 0; k < tables.size(); ++k)
            for (int r = 0; r < rows && r < tables.at(k).size(); ++r)
                for (int j = 0; j < width; ++j)
                    t.matrix[r][2 + k * width + j] = tables.at(k).at(r).value(2 + j);
        t.header = QStringLiteral(" n/n |");
        for (const QString& name : names) {
            t.header += name + QLatin1Char('|');
            for (int j = 1; j < width; ++j)
                t.header += QStringLiteral("__________|");
        }
        t.header.chop(1);
        t.columns = int(tables.size()) * width;
    } else {
        t.layout = QStringLiteral("MULTY_REG Y");
        t.blockRows = rows + 1;
        for (int k = 0; k < tables.size(); ++k) {
            QStringList head = emptyRow(width);
            head[0] = names.at(k);
            t.matrix.append(head);
            for (int r = 0; r < rows; ++r) {
                QStringList row = tables.at(k).value(r, emptyRow(width));
                row.resize(width + 2);
                t.matrix.append(row);
            }
        }
    }
    return t;
}

void applyRanking(Matrix& matrix, const ColumnEntry& entry, bool descending) {
    const int column = entry.column + 1;
    const int result = entry.second + 1;
    QList<double> values;
    QList<int> numeric;
    for (int r = 0; r < matrix.size(); ++r) {
        if (matrix[r].size() <= std::max(column, result))
            matrix[r].resize(std::max(column, result) + 1);
        const QString& cell = matrix.at(r).at(column);
        if (numericCell(cell)) {
            numeric.append(r);
            values.append(core::Val(cell));
        } else {
            matrix[r][result].clear();
        }
    }
    QList<double> distinct = values;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (descending) std::reverse(distinct.begin(), distinct.end());
    QHash<double, int> order;
    for (int i = 0; i < distinct.size(); ++i)
        order.insert(distinct.at(i), i);
    // Rows of each distinct value, in matrix order; excluded rows get no place.
    QList<QList<int>> groups(distinct.size());
    for (int k = 0; k < numeric.size(); ++k) {
        const int r = numeric.at(k);
        if (entry.notCalc.contains(matrix.at(r).at(1)))
            matrix[r][result].clear();
        else
            groups[order.value(values.at(k))].append(r);
    }
    int place = 1;
    for (const QList<int>& group : groups) {
        if (group.isEmpty()) continue;
        QString text;
        if (entry.mode == 2 && group.size() > 1)
            text = QString::number(place) + QLatin1Char('-') +
                   QString::number(place + group.size() - 1);
        else
            text = QString::number(place);
        for (int r : group)
            matrix[r][result] = text;
        place += entry.mode == 2 ? int(group.size()) : 1;
    }
}

void applySort(Matrix& matrix, int column, const QString& direction) {
    const int c = column + 1;
    const bool descending = direction == QStringLiteral("-");
    // Each cell is read as a number once, not at every comparison.
    struct Keyed {
        double key;
        int row;
    };
    std::vector<Keyed> numbers;
    QList<int> others;
    for (int r = 0; r < matrix.size(); ++r) {
        const QString cell = matrix.at(r).value(c);
        if (numericCell(cell))
            numbers.push_back({core::Val(cell), r});
        else
            others.append(r);
    }
    std::stable_sort(numbers.begin(), numbers.end(), [descending](const Keyed& a, const Keyed& b) {
        return descending ? a.key > b.key : a.key < b.key;
    });
    Matrix sorted;
    sorted.reserve(matrix.size());
    for (const Keyed& k : numbers)
        sorted.append(std::move(matrix[k.row]));
    for (int r : others)
        sorted.append(std::move(matrix[r]));
    matrix = std::move(sorted);
}

void applyDel(Matrix& matrix, const QList<int>& columns, int columnCount) {
    QList<int> tested;
    if (columns.contains(0))
        for (int j = 1; j <= columnCount; ++j)
            tested.append(j);
    else
        tested = columns;
    Matrix kept;
    for (const QStringList& row : matrix) {
        bool zero = true;
        for (int j : tested)
            if (core::Val(row.value(j + 1)) != 0) {
                zero = false;
                break;
            }
        if (!zero) kept.append(row);
    }
    matrix = kept;
}

} // namespace mirel::query
