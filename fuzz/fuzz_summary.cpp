// Feeds random bytes, read as a summary template, to the template filler with the figures of a
// small form; any crash, sanitizer report or broken contract stops the run.
#include "data/summaryreport.h"
#include "platform/codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace mirel;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString templ = platform::decode1251(bytes);
    data::SectionMatrix matrix;
    matrix.rows = 2;
    matrix.columns = 2;
    matrix.cells = {{"1", "<2>"}, {"3", "4"}};
    const QList<data::SummarySection> sections{{2, 2, matrix}, {3, 3, std::nullopt}};
    const QString filled = data::fillSummaryTemplate(templ, "Район <&>", "2025", "12", sections);
    // Only markers change: what is inserted is escaped, so no new markup appears.
    check(filled.count(QLatin1Char('<')) <= templ.count(QLatin1Char('<')));
    check(!filled.contains(QStringLiteral("<&>")) || templ.contains(QStringLiteral("<&>")));
    // Filling again changes at most the markers the first pass left (later occurrences).
    const QString again = data::fillSummaryTemplate(filled, "Район", "2025", "12", sections);
    check(again.size() <= filled.size() + 16 * qsizetype(filled.count(QLatin1Char('\\'))));
    return 0;
}
