#pragma once

#include <QString>
#include <QStringList>

#include "query/runquery.h"
#include "recorderprompt.h"
#include "reference/session.h"
#include "workspace.h"

namespace mirel::test {

// Records the pages handed to the browser.
class RecordingBrowser : public platform::Browser {
public:
    bool open(const QString& path) override {
        opened.append(path);
        return true;
    }
    QStringList opened;
};

// A section of a hand-built catalogue entry: designator, row identifiers, column identifiers.
reference::SectionStructure section(const QString& designator, const QStringList& rows,
                                    const QStringList& columns);

// A small workspace for queries: forms 101 (sections 1 and 2, rows 1..3, columns 1..3) and
// 102 (section 1, rows 1..2, columns 1..2) catalogued from January 2020, the period December
// 2025, folders DAT, FORM, SHIF and ЗАПРОСЫ, the temporary folder inside the workspace.
class QueryFixture {
public:
    QueryFixture();
    ~QueryFixture();

    TempWorkspace ws;
    reference::Session session;
    RecorderPrompt prompt;
    RecordingBrowser browser;
    query::RunOptions options;

    // The classifier shif.txt (or another file of the SHIF folder), "code name" per line.
    void classifier(const QStringList& lines, const QString& file = QStringLiteral("shif.txt"));
    // A section data file: data lines "row v1 v2 ..." after the state and header lines.
    void data(const QString& form, const QString& yymm, const QString& region, int section,
              const QStringList& lines);
    // Writes a query file (CR LF lines) into the query folder and returns its path.
    QString query(const QString& name, const QString& text);
    // Writes a query and runs it without HTML output.
    int run(const QString& text, query::QueryResult& result,
            const QString& name = QStringLiteral("Q.PSP"));
    // The matrix of a run; an empty list after a failed run.
    query::Matrix matrix(const QString& text);
    // Turns on the "IE" entry of the configuration.
    void enableHtml();
    QString tempDir() const;
};

// Rows of cells written "a|b|c" for compact expectations.
query::Matrix rows(const QStringList& texts);

} // namespace mirel::test
