#include "query/calc.h"

#include "core/periods.h"
#include "core/text.h"
#include "platform/prompt.h"
#include "query/queryfile.h"

namespace mirel::query {

std::optional<CalcQuery> parseCalc(const QString& text, const CalcSection& section,
                                   const reference::FormCatalog& forms, platform::Prompt& prompt) {
    QString upper = text.toUpper();
    upper.replace(QStringLiteral("N_PERIOD"), section.month);
    const auto lines = queryLines(upper, prompt);
    if (!lines) return std::nullopt;
    CalcQuery calc;
    const Period period{section.year, section.month};
    if (!parseReferenceLines(*lines, forms, period, calc.refs, prompt)) return std::nullopt;
    if (calc.refs.isEmpty()) {
        Reference self;
        self.number = QStringLiteral("1");
        self.form = section.form;
        self.year = section.year;
        self.month = section.month;
        self.entry = reference::applicableEntry(forms, section.form,
                                                core::periodCode(section.year, section.month));
        self.sectionNo = section.section;
        if (const auto* s = self.structure(forms)) self.section = s->designator;
        self.position =
            QString::number(self.entry + 1) + QLatin1Char(' ') + QString::number(section.section);
        calc.refs.append(self);
    }
    calc.tables.vv = collectVV(*lines, prompt);
    if (!cutRowBlocks(*lines, calc.blocks, prompt)) return std::nullopt;
    const BlockContext context{calc.refs.first().structure(forms)};
    for (RowBlock& block : calc.blocks)
        if (!parseBlock(block, true, context, calc.tables, prompt)) return std::nullopt;
    if (!expandRowReferences(calc.blocks, prompt)) return std::nullopt;
    for (RowBlock& block : calc.blocks)
        if (!expandShortNames(block, calc.tables.vv, prompt)) return std::nullopt;
    if (!validateTables(calc.tables, columnCount(calc.blocks), prompt)) return std::nullopt;
    resolvePeriods(calc.refs, forms, period);
    for (const RowBlock& block : calc.blocks) {
        QList<CompiledFormula> formulas;
        for (const Formula& f : block.formulas) {
            auto parts = tokenise(f.text, calc.refs, forms, true, prompt);
            if (!parts) return std::nullopt;
            formulas.append(CompiledFormula{f.column.toInt(), f.text, *parts, f.notCalc});
        }
        calc.rows.append(formulas);
    }
    return calc;
}

int evaluateCalc(const CalcQuery& calc, CellGrid& grid, const CalcSection& section,
                 const QString& datDir, const reference::FormCatalog& forms,
                 platform::Prompt& prompt) {
    DataCache cache;
    FormulaContext ctx;
    ctx.refs = &calc.refs;
    ctx.forms = &forms;
    ctx.datDir = datDir;
    ctx.cache = &cache;
    ctx.prompt = &prompt;
    ctx.grid = &grid;
    const reference::SectionStructure* own = calc.refs.first().structure(forms);
    for (int b = 0; b < calc.blocks.size(); ++b) {
        const QString& id = calc.blocks.at(b).id;
        QList<int> rows;
        if (id.contains(QLatin1Char('I'))) {
            for (int r = 1; r < grid.rowCount(); ++r)
                rows.append(r);
        } else {
            int r = own ? int(own->rows.indexOf(id)) + 1 : 0;
            if (r == 0) r = core::wholeInt(core::Val(id));
            rows.append(r);
        }
        for (int r : rows) {
            if (r < 1 || r >= grid.rowCount()) continue;
            ctx.gridRow = r;
            for (const CompiledFormula& f : calc.rows.at(b)) {
                const auto dec = calc.tables.dec.constFind(f.column);
                const int precision = dec != calc.tables.dec.cend() ? dec->second : 0;
                QString cell;
                const CellOutcome outcome =
                    evaluateFormula(f, section.region, precision, ctx, cell);
                if (outcome == CellOutcome::Stop) return -1;
                if (outcome == CellOutcome::Value && f.column >= 1 && f.column < grid.columnCount())
                    grid.setCell(r, f.column, cell);
            }
        }
    }
    return 0;
}

} // namespace mirel::query
