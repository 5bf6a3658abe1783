// The pages as a browser shows them: headless Chromium renders the plain table and a template
// page; the text it lays out must hold the Cyrillic names intact. Skipped without Chromium.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "fixture.h"
#include "query/output.h"

using namespace mirel;
using namespace mirel::query;
using mirel::test::cp1251;
using mirel::test::rows;

namespace {

const QString chromium = QStringLiteral("/usr/bin/chromium");

// The DOM of a page after Chromium has loaded it.
QString renderedDom(const QString& page) {
    QTemporaryDir profile;
    QProcess p;
    p.start(chromium,
            {"--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
             "--disable-component-update", "--no-first-run", "--disable-sync",
             "--user-data-dir=" + profile.path(), "--dump-dom", "file://" + page});
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(Rendering, PlainTableAndTemplatePageKeepCyrillic) {
    if (!QFile::exists(chromium)) GTEST_SKIP() << "Chromium is not installed";
    mirel::test::TempWorkspace ws;
    Table t;
    t.matrix = rows({"Березовский район|1101|640|101.3", "г. Северогорск|1106|1200|***"});
    t.columns = 2;
    const PageTexts texts{"Северная зона", "декабрь 2025", "2025", "12"};
    ws.writeBytes("plain.htm", cp1251(plainTablePage(t, texts)));
    const QString plain = renderedDom(ws.file("plain.htm"));
    EXPECT_TRUE(plain.contains("Березовский район")) << plain.toStdString();
    EXPECT_TRUE(plain.contains("г. Северогорск"));
    EXPECT_TRUE(plain.contains("2025 12. Северная зона"));

    const QString templ = "<html><head><meta http-equiv=Content-Type content=\"text/html; "
                          "charset=windows-1251\"></head><body><h3>наименование_региона, "
                          "отчетный_период</h3><table><tr><td>>1\\1\\0<</td><td>>1\\1\\1<</td>"
                          "</tr></table></body></html>";
    ws.writeBytes("templ.htm", cp1251(templatePage(templ, t, texts)));
    const QString page = renderedDom(ws.file("templ.htm"));
    EXPECT_TRUE(page.contains("Северная зона, декабрь 2025")) << page.toStdString();
    EXPECT_TRUE(page.contains("г. Северогорск"));
    EXPECT_TRUE(page.contains("1200"));
}
