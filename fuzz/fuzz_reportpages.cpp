// Feeds random bytes to the readers of the reports tree: the first line as a data folder name
// and a data file name, the whole text as a page template filled with a region's data; any
// crash, sanitizer report or broken contract stops the run.
#include "data/reportpages.h"
#include "data/reports.h"
#include "platform/codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace mirel;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

data::SectionMatrix matrix(int rows, int columns) {
    data::SectionMatrix m;
    m.rows = rows;
    m.columns = columns;
    for (int r = 1; r <= rows; ++r) {
        QStringList row;
        for (int c = 1; c <= columns; ++c)
            row.append(QString::number(r * 10 + c));
        m.cells.append(row);
    }
    return m;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        platform::decode1251(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString first = text.section(QLatin1Char('\n'), 0, 0);

    if (const auto folder = data::parseReportFolder(first)) {
        check(first.startsWith(QLatin1String("DAT_"), Qt::CaseInsensitive));
        check(folder->shortPeriod.size() == 4 && !folder->formCode.isEmpty());
        check(folder->year().size() == 4 && folder->periodCode().size() == 6);
        check(folder->name == first);
    }
    if (data::isRegionDataFile(first)) {
        const qsizetype dot = first.lastIndexOf(QLatin1Char('.'));
        check(dot > 0 && dot < first.size() - 1 && first.count(QLatin1Char('.')) == 1);
    }

    data::RegionReport report;
    report.folder = data::parseReportFolder(QStringLiteral("DAT_0112.101")).value();
    report.regionCode = QStringLiteral("1100");
    report.regionName = QStringLiteral("Северная зона");
    report.entry = 0;
    report.sections = {1, 2, 3};
    report.matrices = {matrix(3, 4), std::nullopt, matrix(1, 1)};
    const QString page = data::fillReportTemplate(text, report);
    // Values hold neither "<" nor ">": the markup around the placeholders is kept.
    check(page.count(QLatin1Char('<')) == text.count(QLatin1Char('<')));
    check(page.count(QLatin1Char('>')) == text.count(QLatin1Char('>')));
    if (!text.contains(QLatin1Char('>'))) check(page == text);
    // What was filled is no placeholder any more: a second filling changes nothing.
    check(data::fillReportTemplate(page, report) == page);
    return 0;
}
