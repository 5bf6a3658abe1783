#include "fixture.h"

#include <QDir>

#include "core/config.h"
#include "platform/fileio.h"

namespace mirel::test {

reference::SectionStructure section(const QString& designator, const QStringList& rows,
                                    const QStringList& columns) {
    reference::SectionStructure s;
    s.designator = designator;
    s.rows = rows;
    s.columns = columns;
    return s;
}

QueryFixture::QueryFixture() {
    session.programDir = ws.path();
    session.dirs = core::emptyDirSet();
    session.dirs[core::DirARM] = ws.path();
    session.dirs[core::DirDAT] = ws.file("DAT");
    session.dirs[core::DirFORM] = ws.file("FORM");
    session.dirs[core::DirSHIF] = ws.file("SHIF");
    session.dirs[core::DirPASP] = ws.file("ЗАПРОСЫ");
    for (const char* d : {"DAT", "FORM", "SHIF", "ЗАПРОСЫ", "TMP"})
        ws.mkdir(QString::fromUtf8(d));
    platform::setTempDirOverride(ws.file("TMP"));
    session.year = QStringLiteral("2025");
    session.month = QStringLiteral("12");
    const QStringList three{"1", "2", "3"};
    session.forms = {
        {"101", "202001", {section("1", three, three), section("2", three, three)}},
        {"102", "202001", {section("1", {"1", "2"}, {"1", "2"})}},
    };
    session.cnf = {{"[MIREL_WIN]", {"YYYY= 2025", "MM= 12"}}};
}

QueryFixture::~QueryFixture() {
    platform::setTempDirOverride(QString());
}

void QueryFixture::classifier(const QStringList& lines, const QString& file) {
    ws.write("SHIF/" + file, lines.join('\n') + '\n');
}

void QueryFixture::data(const QString& form, const QString& yymm, const QString& region,
                        int sectionNo, const QStringList& lines) {
    const QString rr = QString::number(sectionNo).rightJustified(2, '0');
    QString text = "PR_?\n! 0000 " + form + " " + rr + " " + yymm.left(2) + " " + yymm.mid(2) +
                   " " + region + "\n";
    for (const QString& line : lines)
        text += line + "\n";
    ws.write("DAT/DAT_" + yymm + "." + form + "/" + region + "." + rr, text);
}

QString QueryFixture::query(const QString& name, const QString& text) {
    ws.write("ЗАПРОСЫ/" + name, text);
    return ws.file("ЗАПРОСЫ/" + name);
}

int QueryFixture::run(const QString& text, query::QueryResult& result, const QString& name) {
    return query::runQuery(query(name, text), session, prompt, browser, options, result,
                           query::HtmlOutput::Never);
}

query::Matrix QueryFixture::matrix(const QString& text) {
    query::QueryResult result;
    if (run(text, result) != 0) return {};
    return result.table.matrix;
}

void QueryFixture::enableHtml() {
    session.cnf.first().lines.append("IE");
}

QString QueryFixture::tempDir() const {
    return ws.file("TMP");
}

query::Matrix rows(const QStringList& texts) {
    query::Matrix m;
    for (const QString& t : texts)
        m.append(t.split('|'));
    return m;
}

} // namespace mirel::test
