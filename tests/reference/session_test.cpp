#include <gtest/gtest.h>

#include "recorderprompt.h"
#include "reference/session.h"
#include "workspace.h"

using namespace mirel::reference;
using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

void writeForm(const TempWorkspace& ws) {
    ws.write("FORM/2001_01.101/101_0101.1S", "Наим;1;2;\n1\n2");
}

} // namespace

TEST(StartUp, LoadsTheCatalogAndTheConfiguredClassifier) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI", "t\n[MIREL_WIN]\nYYYY= 2001\nMM= 7\nshif2\n");
    writeForm(ws);
    ws.write("SHIF/SHIF2.TXT", "1100 Север");
    Session s;
    s.programDir = ws.path();
    RecorderPrompt p;
    ASSERT_EQ(F_Global(s, QDate(2002, 1, 15), p), 0);
    EXPECT_TRUE(p.messages.isEmpty());
    ASSERT_EQ(s.forms.size(), 1);
    EXPECT_EQ(s.forms[0].sections[0].rows.size(), 2);
    ASSERT_EQ(s.regions.size(), 1);
    EXPECT_EQ(s.regions[0]->name, "Север");
    EXPECT_EQ(s.periodCode(), "200107");
    EXPECT_EQ(s.selectForm("101", p), 0);
    ASSERT_NE(s.currentEntry(), nullptr);
    EXPECT_EQ(s.currentEntry()->basePeriod, "200101");
}

TEST(StartUp, AMissingClassifierDoesNotStopButABrokenCatalogDoes) {
    TempWorkspace ws;
    ws.write("MIREL_WIN.INI", "t\n[MIREL_WIN]\nYYYY= 2001\nMM= 7\n");
    writeForm(ws);
    Session s;
    s.programDir = ws.path();
    RecorderPrompt p;
    EXPECT_EQ(F_Global(s, QDate(2002, 1, 15), p), 0);
    EXPECT_EQ(p.texts(), (QStringList{"Файл отсутствует : " + ws.file("SHIF/shif.txt"),
                                      "Справочник регионов не сформирован !!!"}));

    ws.write("FORM/2001_01.101/101_0101.2S", "Наим;\n1");
    p.clear();
    EXPECT_NE(F_Global(s, QDate(2002, 1, 15), p), 0);
    EXPECT_EQ(p.texts(), QStringList{"Ошибка в формате матрицы. Файл : " +
                                     ws.file("FORM/2001_01.101/101_0101.2S")});
}
