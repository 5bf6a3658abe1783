// Feeds random bytes as a query file and computes it on the demo workspace (December 2025):
// reading, blocks, references, formulas and the table, without pages.
// Seeds: ЗАПРОСЫ/*/*.PSP
#include "fuzzsupport.h"

#include <QDate>

#include "query/runquery.h"
#include "reference/session.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static reference::Session session = [] {
        reference::Session s;
        s.programDir = fuzz::demo();
        fuzz::QuietPrompt quiet;
        fuzz::check(reference::F_Global(s, QDate(2026, 1, 15), quiet) == 0,
                    "the demo workspace does not start");
        return s;
    }();
    fuzz::QuietPrompt prompt;
    fuzz::NoBrowser browser;
    const QString path = fuzz::putFile(QStringLiteral("ЗАПРОСЫ/FUZZ.PSP"), data, size);
    const QString year = session.year;
    query::RunOptions options;
    query::QueryResult result;
    query::runQuery(path, session, prompt, browser, options, result, query::HtmlOutput::Never);
    fuzz::check(session.year == year, "the year field was not put back");
    if (result.hasTable)
        for (const QStringList& row : result.table.matrix)
            fuzz::check(row.size() >= 2, "a result row without label and code");
    return 0;
}
