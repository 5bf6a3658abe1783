// Feeds random bytes as a batch list beside the demo's queries and runs it, batch page
// included.
// Seeds: ЗАПРОСЫ/*/*.LINK
#include "fuzzsupport.h"

#include <QDate>

#include "platform/fileio.h"
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
        platform::setTempDirOverride(fuzz::demo() + QStringLiteral("/fuzz"));
        return s;
    }();
    fuzz::QuietPrompt prompt;
    fuzz::NoBrowser browser;
    const QString path = fuzz::putFile(QStringLiteral("ЗАПРОСЫ/Безработица/FUZZ.LINK"), data, size);
    query::RunOptions options;
    query::QueryResult result;
    query::runQuery(path, session, prompt, browser, options, result,
                    query::HtmlOutput::ByConfiguration);
    return 0;
}
