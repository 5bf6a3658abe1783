#include <gtest/gtest.h>

#include <QDirIterator>
#include <QRegularExpression>

#include "fixture.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "query/queryfile.h"
#include "reference/session.h"

using namespace mirel;
using mirel::test::RecorderPrompt;
using mirel::test::RecordingBrowser;
using mirel::test::TempWorkspace;

// Every query of the demo that has a template gives a page whose values stand in their cells:
// a placeholder written with brackets of its own ("<td>>1\1\1<</td>") would leave ">8854<".
TEST(DemoPages, EveryTemplatePagePutsItsValuesInTheCellsAndDeclaresItsCodePage) {
    TempWorkspace ws;
    TempWorkspace temp;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    platform::setTempDirOverride(temp.path());
    RecorderPrompt prompt;
    reference::Session session;
    session.programDir = ws.path();
    ASSERT_EQ(reference::F_Global(session, QDate(2026, 1, 15), prompt), 0);

    QStringList queries;
    QDirIterator it(ws.file("ЗАПРОСЫ"), {"*.PSP"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // Generating queries write queries, not pages.
        if (platform::fileExists(path.chopped(3) + "HTM") && !query::isGeneratedTemplateQuery(path))
            queries.append(path);
    }
    ASSERT_GE(queries.size(), 2);
    static const QRegularExpression stray(QStringLiteral(">>[-0-9.*]|[-0-9.*]<<"));
    for (const QString& path : queries) {
        SCOPED_TRACE(path.toStdString());
        RecordingBrowser browser;
        query::QueryResult result;
        prompt.clear();
        ASSERT_EQ(query::runQuery(path, session, prompt, browser, {}, result), 0)
            << prompt.texts().join('|').toStdString();
        ASSERT_EQ(browser.opened.size(), 1);
        const auto bytes = platform::readFileBytes(browser.opened.first());
        ASSERT_TRUE(bytes.has_value());
        const QString page = platform::decode1251(*bytes);
        EXPECT_FALSE(stray.match(page).hasMatch()) << page.toStdString();
        EXPECT_FALSE(page.contains(QStringLiteral("1\\1\\"))) << page.toStdString();
        EXPECT_EQ(page.count(QStringLiteral("charset=windows-1251")), 1);
        EXPECT_TRUE(result.pageShown);
    }
    platform::setTempDirOverride(QString());
}
