// Speed of the expression evaluator on formula texts as the query engine and the logical
// control hand them over (values substituted, blanks removed), and of the number texts.
#include <benchmark/benchmark.h>

#include "platform/evaluator.h"

using namespace mirel::platform;

namespace {

// 31 values: two sums of a section's rows, their difference over a third sum, in per cent.
const QString kQueryFormula = QStringLiteral(
    "((1520.5+2310+1780.25+945+3120.75+2875+1045.5+3980+2210.25+1675)"
    "-(1320.5+2110+1580.25+845+2920.75))"
    "/(2675+945.5+3780+2010.25+1475+1120.5+1910+1380.25+745+2720.75+2475+845.5+3580+1810.25+1275)"
    "*100");

// A control condition: a total row against the sum of its parts.
const QString kControlCondition =
    QStringLiteral("15230.5=1520.5+2310+1780.25+945+3120.75+2875+1045.5+-3980+2210.25+1675");

void evaluateText(benchmark::State& state, const QString& text) {
    for (auto _ : state) {
        EvalResult r = evaluate(text);
        benchmark::DoNotOptimize(r.value);
    }
    state.counters["evaluations/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_EvaluateQueryFormula(benchmark::State& state) {
    evaluateText(state, kQueryFormula);
}
BENCHMARK(BM_EvaluateQueryFormula);

void BM_EvaluateControlCondition(benchmark::State& state) {
    evaluateText(state, kControlCondition);
}
BENCHMARK(BM_EvaluateControlCondition);

void BM_NumberText(benchmark::State& state) {
    double value = 1234.5678;
    for (auto _ : state) {
        QString text = numberText(value);
        benchmark::DoNotOptimize(text);
        value += 0.0137;
    }
    state.counters["texts/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NumberText);

void BM_FormatNumber(benchmark::State& state) {
    double value = 1234.5678;
    for (auto _ : state) {
        QString text = formatNumber(value, 2);
        benchmark::DoNotOptimize(text);
        value += 0.0137;
    }
    state.counters["texts/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FormatNumber);

} // namespace

BENCHMARK_MAIN();
