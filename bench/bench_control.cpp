// Speed of logical control: a large section checked cell by cell against another stored
// section, sums over many rows, and a rule file of many small blocks.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "control/logcontrol.h"
#include "control/report.h"
#include "data/sectiongrid.h"
#include "platform/codec.h"
#include "platform/prompt.h"

using namespace mirel;

namespace {

constexpr int Rows = 200;
constexpr int Columns = 10;

// A section of Rows x Columns in a grid, and the same section a year earlier as a stored file.
struct Setup {
    QTemporaryDir dir;
    control::ControlTarget target;
    data::SectionGrid grid;

    Setup() {
        target = {dir.path() + "/DAT", dir.path() + "/FORM", "101", 1, "2005", "12", "1401"};
        QStringList titles, labels;
        for (int c = 1; c <= Columns; ++c)
            titles << QString::number(c);
        for (int r = 1; r <= Rows; ++r)
            labels << QString::number(r);
        grid = data::SectionGrid(1, titles, labels);
        QString stored = "PR_?\r\n! 0000 101 01 04 12 1401\r\n";
        for (int r = 1; r <= Rows; ++r) {
            stored += QString::number(r);
            for (int c = 1; c <= Columns; ++c) {
                grid.setCell(r, c, QString::number(r * 10 + c) + ".5");
                stored += ' ' + QString::number(r * 10 + c);
            }
            stored += "\r\n";
        }
        QDir().mkpath(dir.path() + "/DAT/DAT_0412.101");
        QFile f(dir.path() + "/DAT/DAT_0412.101/1401.01");
        f.open(QIODevice::WriteOnly);
        f.write(platform::encode1251(stored));
    }
};

// Every cell against the same cell a year earlier, plus a row sum: Rows x Columns x 2
// conditions, all holding.
void BM_CellByCellAgainstLastYear(benchmark::State& state) {
    Setup s;
    const QString rules = "1: 101\n2: 101 -1 // Год назад\n\n"
                          "// Не меньше прошлого года\nS=1-" +
                          QString::number(Rows) + "\nG=1-" + QString::number(Columns) +
                          "\n1\\S\\G>=2\\S\\G\n1\\S\\G<=2\\S\\G+1\n\n"
                          "// Сумма строк\n1\\1\\1<=SUMM_S(1," +
                          QString::number(Rows) + ",1)\n";
    const control::GridCells cells(s.grid);
    for (auto _ : state) {
        bench::QuietPrompt prompt;
        const control::ControlRun run = control::runRules(rules, s.target, cells, true, prompt);
        if (!run.findings.isEmpty() || prompt.messages) state.SkipWithError("unexpected findings");
        benchmark::DoNotOptimize(run);
    }
    state.SetItemsProcessed(state.iterations() * Rows * Columns * 2);
}
BENCHMARK(BM_CellByCellAgainstLastYear)->Unit(benchmark::kMillisecond);

// A rule file of many one-formula blocks, each failing: parsing, evaluation, failure lines and
// the report rows.
void BM_ManyFailingBlocks(benchmark::State& state) {
    Setup s;
    QString rules;
    for (int b = 0; b < state.range(0); ++b)
        rules +=
            "// Блок " + QString::number(b) + "\n1\\" + QString::number(b % Rows + 1) + "\\1=0\n\n";
    const control::GridCells cells(s.grid);
    for (auto _ : state) {
        bench::QuietPrompt prompt;
        const control::ControlRun run = control::runRules(rules, s.target, cells, false, prompt);
        benchmark::DoNotOptimize(control::reportRows(run.findings));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ManyFailingBlocks)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
