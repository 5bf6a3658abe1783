#include "query/runquery.h"

#include <QTime>

#include "core/config.h"
#include "core/files.h"
#include "core/html.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "query/output.h"
#include "query/queryfile.h"

namespace mirel::query {
namespace {

// Reads, parses and computes one query (not a batch list). nullopt after the message; empty
// set when the query file holds no line (the batch goes on after that one).
std::optional<Table> computeQuery(const QString& path, reference::Session& session,
                                  platform::Prompt& prompt, const RunOptions& options,
                                  bool* emptyFile = nullptr) {
    const auto text = readQueryText(path, session.month, prompt);
    if (!text) return std::nullopt;
    const auto lines = queryLines(*text, prompt);
    if (!lines) {
        if (emptyFile)
            *emptyFile =
                core::Trim(QString(*text).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')))
                    .isEmpty();
        return std::nullopt;
    }
    ReferenceTable refs;
    if (!parseReferenceLines(*lines, session.forms, {session.year, session.month}, refs, prompt))
        return std::nullopt;
    const int kind = queryKind(*lines, prompt);
    if (kind == NoKind) return std::nullopt;
    Computation computation{session, prompt, options, {}};
    auto table = kind == RegionTable ? computeRegionTable(*lines, computation)
                                     : computeRowTable(*lines, computation);
    // A stopped run shows and writes nothing of what it had computed.
    if (computation.cancelled) {
        prompt.message(platform::stoppedText());
        return std::nullopt;
    }
    return table;
}

bool htmlChosen(const reference::Session& session, HtmlOutput html) {
    return html == HtmlOutput::ByConfiguration &&
           core::hasIniEntry(session.cnf, QStringLiteral("IE"));
}

int runBatch(const QString& listPath, const QString& text, reference::Session& session,
             platform::Prompt& prompt, const RunOptions& options, QueryResult& result,
             HtmlOutput html) {
    const QString folder = platform::parentOf(listPath);
    QStringList queries;
    for (const QString& name : batchNames(text)) {
        const QString path =
            name.contains(QStringLiteral(":\\")) || name.startsWith(QLatin1Char('/'))
                ? platform::nativePath(name)
                : folder + QLatin1Char('/') + platform::nativePath(name);
        for (const QString& needed : {path, templatePath(path)})
            if (!platform::fileExists(needed)) {
                prompt.message(QStringLiteral("Файл отсутствует !!!"), platform::Icon::None,
                               needed);
                return -1;
            }
        queries.append(path);
    }
    if (queries.isEmpty()) {
        prompt.message(QStringLiteral("Паспорт счета пуст !!!"));
        return -1;
    }
    const bool writePages = htmlChosen(session, html);
    const QString pagePath = templatePath(listPath);
    QString page;
    if (writePages) {
        const QString first = core::Read_Whole_File(templatePath(queries.first()), false, prompt);
        if (!pageHead(first, page)) {
            prompt.message(QStringLiteral("Ошибка !!! Не выделен <body"));
            return -1;
        }
        page = core::withCharset(page);
        if (core::Write_Text_File(pagePath, page, prompt) != 0) return -1;
    }
    // The page grows in memory and is written once at the end, not after every query (a list
    // of thousands would rewrite it thousands of times); a batch stopped by an error still
    // leaves the part done so far on disk.
    const auto keepPartPage = [&] {
        if (writePages) core::Write_Text_File(pagePath, page, prompt);
    };
    for (const QString& path : queries) {
        bool emptyFile = false;
        const auto table = computeQuery(path, session, prompt, options, &emptyFile);
        if (!table) {
            if (emptyFile) continue;
            keepPartPage();
            return -1;
        }
        result.table = *table;
        result.hasTable = true;
        result.stopped = result.stopped || table->stopped;
        if (!writePages) continue;
        const QString templ = core::Read_Whole_File(templatePath(path), false, prompt);
        QString body;
        if (!pageBody(templatePage(templ, *table, pageTexts(*table, session, options.selector)),
                      body)) {
            prompt.message(QStringLiteral("Ошибка !!! Не выделен <body"), platform::Icon::Error,
                           pagePath);
            keepPartPage();
            return -1;
        }
        page += body + QStringLiteral("<span><br clear=all style='page-break-before:always'>"
                                      "</span>");
    }
    if (writePages) {
        page += QStringLiteral("</body></html>");
        if (core::Write_Text_File(pagePath, page, prompt) != 0) return -1;
        result.batchPage = pagePath;
        prompt.message(QStringLiteral("Пакетная выдача завершена !!!"), platform::Icon::Information,
                       pagePath);
    }
    return 0;
}

} // namespace

QString queryPage(const QString& queryPath, const Table& table, const reference::Session& session,
                  const RegionSelector& selector, platform::Prompt& prompt) {
    const PageTexts texts = pageTexts(table, session, selector);
    const QString templ = templatePath(queryPath);
    // Templates written by people often lack the code-page declaration: the page gets it.
    if (platform::fileExists(templ))
        return core::withCharset(
            templatePage(core::Read_Whole_File(templ, false, prompt), table, texts));
    return core::withCharset(plainTablePage(table, texts));
}

int runQuery(const QString& path, reference::Session& session, platform::Prompt& prompt,
             platform::Browser& browser, const RunOptions& options, QueryResult& result,
             HtmlOutput html) {
    result = QueryResult();
    if (isBatchList(path)) {
        const auto text = readQueryText(path, session.month, prompt);
        if (!text) return -1;
        return runBatch(path, *text, session, prompt, options, result, html);
    }
    if (isGeneratedTemplateQuery(path)) {
        if (!platform::fileExists(path)) {
            readQueryText(path, session.month, prompt); // reports the missing file
            return -1;
        }
        return generateTemplateQueries(path, session, prompt, result.generated);
    }
    const auto table = computeQuery(path, session, prompt, options);
    if (!table) return -1;
    result.table = *table;
    result.hasTable = true;
    result.stopped = table->stopped;
    result.map = table->layout.isEmpty() && table->regionCode.isEmpty() &&
                 path.toUpper().contains(QStringLiteral("КАРТА"));
    // A map query is drawn as a map, never written as a page.
    if (result.map || !htmlChosen(session, html)) return 0;
    const bool withTemplate = platform::fileExists(templatePath(path));
    const QString page = queryPage(path, *table, session, options.selector, prompt);
    // The temporary folder is everybody's: a page goes under a name nobody holds ("1.HTM",
    // else "1_1.HTM", ...), never through a link planted under its name.
    const QString name =
        withTemplate ? temporaryPageName(QTime::currentTime()) : QStringLiteral("1.HTM");
    const QString target = core::Write_New_Text_File(platform::tempDir(), name.chopped(4),
                                                     name.right(4), page, prompt);
    if (target.isEmpty()) return -1;
    result.page = target;
    result.pageShown = browser.open(target);
    return 0;
}

} // namespace mirel::query
