#pragma once

#include <QString>
#include <QStringList>

#include "query/compute.h"

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::query {

// What a run of a query produced: the table (for the result grid, the command and the map),
// whether it is a map query (a region table whose path contains "КАРТА"), the page written and
// shown, the batch page of a batch list, the queries written by a generated template query.
struct QueryResult {
    Table table;
    bool hasTable = false;
    bool map = false;
    QString page;
    bool pageShown = false; // a program showed the page (else the caller shows the table)
    QString batchPage;
    QStringList generated;
    bool stopped = false; // a table (of a batch: any table) stopped at a failing row
};

// How the output is chosen: by the configuration ("IE" in "[MIREL_WIN]" writes HTML and opens
// it in the browser), or never (the caller shows or prints the table itself).
enum class HtmlOutput { ByConfiguration, Never };

// Computes the query or batch list at path: reads and normalises it, parses its references and
// blocks, computes the table and writes its page when HTML is chosen. A generated template
// query generates its queries instead. 0 when the table (or batch page, or queries) was
// produced; -1 after a parse error or another failure, with its message shown.
int runQuery(const QString& path, reference::Session& session, platform::Prompt& prompt,
             platform::Browser& browser, const RunOptions& options, QueryResult& result,
             HtmlOutput html = HtmlOutput::ByConfiguration);

// The page of a computed table: the query's template when it exists, else the plain table;
// either declares its code page.
QString queryPage(const QString& queryPath, const Table& table, const reference::Session& session,
                  const RegionSelector& selector, platform::Prompt& prompt);

} // namespace mirel::query
