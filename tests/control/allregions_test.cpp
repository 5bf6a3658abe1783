#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QThread>

#include "control/allregions.h"
#include "control/report.h"
#include "fixture.h"
#include "platform/fileio.h"

using namespace mirel;
using namespace mirel::control;
using mirel::platform::Icon;
using mirel::test::cp1251;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;

namespace {

const QDateTime Clock(QDate(2026, 12, 7), QTime(9, 5, 3));

// Form 101 of two sections (2 x 3 and 1 x 1) catalogued from January 2005, a classifier of four
// regions under a heading line, the report folder; March 2005.
struct AllFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    RecorderBrowser browser;
    reference::FormCatalog catalog{
        reference::CatalogEntry{"101",
                                "200501",
                                {reference::SectionStructure{"1", {"1", "2"}, {"1", "2", "3"}},
                                 reference::SectionStructure{"2", {"1"}, {"1"}}}}};
    reference::Regions regions{std::nullopt, reference::Region{"1401", "Первый район"},
                               reference::Region{"1402", "Второй район"},
                               reference::Region{"1403", "Третий район"},
                               reference::Region{"1404", "Четвертый район"}};
    ControlTarget target{ws.file("DAT"), ws.file("FORM"), "101", 1, "2005", "3", {}};

    AllFixture() {
        ws.mkdir("TMP");
        ws.mkdir("DAT");
        platform::setTempDirOverride(ws.file("TMP"));
    }
    ~AllFixture() { platform::setTempDirOverride(QString()); }

    void rules(int section, const QString& text) {
        ws.write("FORM/2005_01.101/101_0501.0" + QString::number(section) + ".LOG", text);
    }
    void section(const QString& region, int rr, const QString& dataLines) {
        ws.write("DAT/DAT_0503.101/" + region + ".0" + QString::number(rr),
                 "PR_?\n! 0000 101 0" + QString::number(rr) + " 05 03 " + region + "\n" +
                     dataLines);
    }
    QString mark(const QString& region, int rr) const {
        return ws.read("DAT/DAT_0503.101/" + region + ".0" + QString::number(rr))
            .section("\r\n", 0, 0);
    }
    AllRegionsRun run(platform::Prompt& p) {
        return controlAllRegions(catalog, target, regions, "101 - Форма", Clock, p, browser);
    }
    AllRegionsRun run() { return run(prompt); }
};

// A person who takes a while to answer each message, then asks to stop.
struct SlowPrompt : RecorderPrompt {
    SlowPrompt() { stopAfter = 1; }
    void message(const QString& text, Icon icon, const QString& title) override {
        RecorderPrompt::message(text, icon, title);
        QThread::msleep(150);
    }
};

QStringList codes(const AllRegionsRun& run) {
    QStringList out;
    for (const RegionRun& r : run.regions)
        out.append(r.code);
    return out;
}

} // namespace

TEST(AllRegions, EveryRegionThatSentTheFormGetsItsMarksAndPagesOnlyWithFindings) {
    AllFixture f;
    f.rules(1, "// Итог\n1\\1\\1=1\\1\\2+1\\1\\3");
    f.rules(2, "// Ноль\n1\\1\\1=0");
    f.section("1401", 1, "1 3 1 2\n2 0 0 0\n");
    f.section("1401", 2, "1 0\n");
    f.section("1402", 1, "1 9 1 2\n2 0 0 0\n");
    f.section("1404", 2, "1 5\n"); // section 1 not sent: checked as empty, not written
    QStringList done;
    const AllRegionsRun run =
        controlAllRegions(f.catalog, f.target, f.regions, "101 - Форма", Clock, f.prompt, f.browser,
                          [&](const RegionRun& r) { done.append(r.code); });
    ASSERT_TRUE(run.ran);
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join('|').toStdString();
    EXPECT_EQ(codes(run), (QStringList{"1401", "1402", "1404"}));
    EXPECT_EQ(done, codes(run));
    EXPECT_EQ(run.regions.at(0).marks, (QStringList{"++", "0++"}));
    EXPECT_EQ(run.regions.at(1).marks, (QStringList{"??", ""}));
    EXPECT_EQ(run.regions.at(2).marks, (QStringList{"", "??"}));
    EXPECT_EQ(f.mark("1401", 1), "PR_++");
    EXPECT_EQ(f.mark("1402", 1), "PR_??");
    EXPECT_EQ(f.mark("1404", 2), "PR_??");
    EXPECT_FALSE(f.ws.exists("DAT/DAT_0503.101/1404.01"));
    EXPECT_FALSE(f.ws.exists("DAT/DAT_0503.101/1403.01"));

    // A page for each region with findings, as its own whole-form run writes it; one summary.
    EXPECT_TRUE(run.regions.at(0).form.reportPath.isEmpty());
    EXPECT_EQ(run.regions.at(1).form.reportPath, f.ws.file("TMP/07_12_2026_09_05_03_1402.HTM"));
    EXPECT_EQ(run.regions.at(2).form.reportPath, f.ws.file("TMP/07_12_2026_09_05_03_1404.HTM"));
    EXPECT_TRUE(f.ws.read("TMP/07_12_2026_09_05_03_1402.HTM")
                    .contains("<td><b>1402 - Второй район. 101 - Форма</b></td></tr>\r\n"
                              "<tr>\r\n<td><b>*********</b></td></tr>\r\n"
                              "<tr>\r\n<td><b>РАЗДЕЛ 01</b></td></tr>\r\n"));
    EXPECT_EQ(run.withFindings, 2);
    EXPECT_EQ(run.summary(), "Проверено регионов : 3, с замечаниями : 2");
    EXPECT_EQ(run.summaryPath, f.ws.file("TMP/07_12_2026_09_05_03.HTM"));
    EXPECT_EQ(f.browser.opened, QStringList{run.summaryPath});
    const QByteArray summary = cp1251(
        "<html>\r\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1251\">\r\n<title>\r\nОтчет\r\n</title>\r\n</head>\r\n"
        "<body bgcolor='white'>\r\n<font face='Arial, Helvetica'>\r\n"
        "<p aline= center><b>Логический контроль. ( 7 декабря 2026 г. 9.5.3 )</b><br>\r\n"
        "</font>\r\n<hr>\r\n<center>\r\n<font face='Courier New, Courier'>\r\n<table border>\r\n"
        "<tr>\r\n<td><b>Все регионы. 101 - Форма</b></td></tr>\r\n"
        "<tr>\r\n<td><font size=\"2\"><a href=\"07_12_2026_09_05_03_1402.HTM\">1402 - Второй "
        "район</a> : ?? </td></tr>\r\n"
        "<tr>\r\n<td><font size=\"2\"><a href=\"07_12_2026_09_05_03_1404.HTM\">1404 - Четвертый "
        "район</a> :  ?"
        "?</td></tr>\r\n"
        "<tr>\r\n<td><b>Проверено регионов : 3, с замечаниями : 2</b></td></tr>\r\n"
        "</table>\r\n</font>\r\n</center>\r\n</body>\r\n</html>\r\n");
    const QByteArray written = f.ws.readBytes("TMP/07_12_2026_09_05_03.HTM");
    EXPECT_TRUE(written == summary) << written.toStdString();
}

TEST(AllRegions, AFaultOfTheRulesIsShownOnceAndItsSectionsKeepTheirMarks) {
    AllFixture f;
    f.rules(1, "// Итог\n1\\1\\1>=0");
    f.rules(2, "// Плохо\n1\\0\\1=0");
    for (const char* region : {"1401", "1402"}) {
        f.section(region, 1, "1 3 1 2\n2 0 0 0\n");
        f.section(region, 2, "1 0\n");
    }
    const AllRegionsRun run = f.run();
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Номер строки = 0 !!!", "Выход !!!"}}));
    // The status line said which region the message came from, and is cleared at the end.
    EXPECT_EQ(f.prompt.statuses, (QStringList{"Логический контроль : 1401 - Первый район", ""}));
    ASSERT_EQ(run.regions.size(), 2);
    for (const RegionRun& r : run.regions) {
        EXPECT_EQ(r.marks, (QStringList{"++", "--"}));
        EXPECT_TRUE(r.failed);
        EXPECT_EQ(f.mark(r.code, 2), "PR_?");
    }
    // Regions with faults are listed in the summary.
    EXPECT_TRUE(f.ws.read("TMP/07_12_2026_09_05_03.HTM")
                    .contains("<td><font size=\"2\">1401 - Первый район : ++ --</td></tr>"));
}

TEST(AllRegions, StoppedBetweenTwoRegions) {
    AllFixture f;
    f.rules(1, "// Итог\n1\\1\\1>=0");
    // Region 1401's file cannot be read: its message takes a while to answer, then the person
    // asks to stop.
    SlowPrompt slow;
    f.ws.writeBytes("DAT/DAT_0503.101/1401.01", "PR_?\r1 1 1 1\r");
    f.section("1402", 1, "1 3 1 2\n2 0 0 0\n");
    const AllRegionsRun run = f.run(slow);
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(codes(run), QStringList{"1401"});
    EXPECT_EQ(slow.texts().last(), "Выполнение прервано пользователем !!!");
    EXPECT_EQ(run.summary(), "Проверено регионов : 1, с замечаниями : 0, прервано");
    EXPECT_EQ(f.mark("1402", 1), "PR_?");
    EXPECT_TRUE(run.summaryPath.isEmpty());
    EXPECT_TRUE(f.browser.opened.isEmpty());
    EXPECT_EQ(slow.progressMaximum, 2);
    EXPECT_EQ(slow.progressEnds, 1);
}

TEST(AllRegions, NothingToCheck) {
    AllFixture f;
    f.section("1401", 1, "1 3 1 2\n");
    AllRegionsRun run = f.run();
    EXPECT_FALSE(run.ran);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Warning,
                               "Отсутствуют файлы логического контроля формы 101 : " +
                                   f.ws.file("FORM/2005_01.101"),
                               QString()}}));
    f.prompt.clear();
    f.rules(1, "// Итог\n1\\1\\1>=0");
    f.target.month = "4";
    run = f.run();
    EXPECT_TRUE(run.ran);
    EXPECT_TRUE(run.regions.isEmpty());
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Information,
                               "Нет регионов, представивших форму 101 за отчетный период !!!",
                               QString()}}));
    EXPECT_TRUE(f.browser.opened.isEmpty());
}

namespace {

// Twelve regions, all of which sent section 1, every fourth section 2 as well; every third fails
// the rule of section 1, and the rules of section 2 have a fault (a row 0 reference) that every
// region meets: enough regions for the run to check them on two threads.
struct ManyRegions : AllFixture {
    ManyRegions() {
        regions.clear();
        rules(1, "// Итог\n1\\1\\1=1\\1\\2+1\\1\\3");
        rules(2, "// Плохо\n1\\0\\1=0");
        for (int k = 0; k < 12; ++k) {
            const QString code = QString::number(1501 + k);
            regions.append(reference::Region{code, "Район " + code});
            section(code, 1, k % 3 == 0 ? "1 9 1 2\n2 0 0 0\n" : "1 3 1 2\n2 0 0 0\n");
            if (k % 4 == 0) section(code, 2, "1 0\n");
        }
    }
};

} // namespace

TEST(AllRegions, ManyRegionsComeOutInClassifierOrderWithTheirOwnMarksAndMessages) {
    ManyRegions f;
    QStringList done;
    const AllRegionsRun run =
        controlAllRegions(f.catalog, f.target, f.regions, "101 - Форма", Clock, f.prompt, f.browser,
                          [&](const RegionRun& r) { done.append(r.code); });
    QStringList all;
    for (int k = 0; k < 12; ++k)
        all.append(QString::number(1501 + k));
    EXPECT_EQ(codes(run), all);
    EXPECT_EQ(done, all);
    // The fault of the rules is shown once, for the first region that met it.
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Номер строки = 0 !!!", "Выход !!!"}}));
    EXPECT_EQ(f.prompt.statuses, (QStringList{"Логический контроль : 1501 - Район 1501", ""}));
    QByteArray rows;
    for (int k = 0; k < 12; ++k) {
        const RegionRun& r = run.regions.at(k);
        const QString one = k % 3 == 0 ? "??" : "++";
        EXPECT_EQ(r.marks, (QStringList{one, "--"})) << k;
        EXPECT_EQ(f.mark(r.code, 1), "PR_" + one) << k;
        EXPECT_EQ(r.form.reportPath.isEmpty(), k % 3 != 0) << k;
        QString who = r.code + " - Район " + r.code;
        if (k % 3 == 0) who = "<a href=\"07_12_2026_09_05_03_" + r.code + ".HTM\">" + who + "</a>";
        rows += cp1251("<tr>\r\n<td><font size=\"2\">" + who + " : " + one + " --</td></tr>\r\n");
    }
    EXPECT_EQ(run.withFindings, 4);
    const QByteArray summary = f.ws.readBytes("TMP/07_12_2026_09_05_03.HTM");
    EXPECT_TRUE(summary.contains(rows)) << summary.toStdString();
}

TEST(AllRegions, AStopAmongManyRegionsKeepsTheDoneOnesWholeAndTheOthersUntouched) {
    ManyRegions f;
    // The first region's message takes a while to answer (the regions ahead are checked
    // meanwhile), then the person asks to stop.
    SlowPrompt slow;
    const AllRegionsRun run = f.run(slow);
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(slow.texts().last(), "Выполнение прервано пользователем !!!");
    // The regions begun when the stop came are finished and reported; none after them is begun.
    ASSERT_GE(run.regions.size(), 1);
    ASSERT_LT(run.regions.size(), 12);
    for (int k = 0; k < 12; ++k) {
        const QString code = QString::number(1501 + k);
        if (k < run.regions.size()) {
            EXPECT_EQ(run.regions.at(k).code, code);
            EXPECT_EQ(f.mark(code, 1), k % 3 == 0 ? "PR_??" : "PR_++") << k;
        } else {
            EXPECT_EQ(f.mark(code, 1), "PR_?") << k;
            EXPECT_FALSE(f.ws.exists("TMP/07_12_2026_09_05_03_" + code + ".HTM")) << k;
        }
    }
    EXPECT_EQ(run.summary(), "Проверено регионов : " + QString::number(run.regions.size()) +
                                 ", с замечаниями : " + QString::number(run.withFindings) +
                                 ", прервано");
    EXPECT_FALSE(f.ws.exists("TMP/07_12_2026_09_05_03.HTM"));
}

// Rules read once for every region (loops over rows and columns, sums, a cell that is no number)
// find for each region what the region's own whole-form check finds.
TEST(AllRegions, RulesKeptForManyRegionsFindWhatEachRegionsOwnCheckFinds) {
    AllFixture f;
    f.catalog.first().sections[0] =
        reference::SectionStructure{"1", {"1", "2", "3"}, {"1", "2", "3"}};
    f.regions.clear();
    const QString rules = "// Итог по графам\n1\\1\\1=SUMM_G(2,3,1)\n1\\2\\1=SUMM_G(2,3,2)\n\n"
                          "// Не меньше нуля\nS=1-3\nG=2-3\n1\\S\\G>=0\n\n"
                          "// Строки 2 и 3\nS=2,3\n1\\S\\1<=10\n\n"
                          "// Итог строки 3\n1\\3\\1=1\\3\\2+1\\3\\3\n\n"
                          "// Итог по строкам\n1\\1\\2=SUMM_S(2,3,2)\n1\\1\\3=SUMM_S(2,3,3)\n\n"
                          "// Три слагаемых\n1\\2\\1<=1\\2\\2+1\\3\\3+1\\2\\3\n";
    f.rules(1, rules);
    QStringList data{"1 5 3 2\n2 4 3 1\n3 1 0 1\n", "1 5 2 3\n2 7 -3 4\n3 9 0 1\n",
                     "1 6 2 3\n2 7 3 x\n3 1 0 -1\n", "1 1.5 1 0.5\n2 1.5 1 0.5\n"};
    // Then small random figures, so that many sums hold and many fail by little.
    QRandomGenerator random(20261209);
    while (data.size() < 40) {
        QString lines;
        for (int r = 1; r <= 3; ++r) {
            lines += QString::number(r);
            for (int c = 1; c <= 3; ++c)
                lines += ' ' + QString::number(random.bounded(3));
            lines += '\n';
        }
        data << lines;
    }
    for (int k = 0; k < data.size(); ++k) {
        const QString code = QString::number(1601 + k);
        f.regions.append(reference::Region{code, "Район " + code});
        f.section(code, 1, data.at(k));
    }
    const AllRegionsRun run = f.run();
    ASSERT_EQ(run.regions.size(), data.size());
    for (int k = 0; k < data.size(); ++k) {
        const QString code = QString::number(1601 + k);
        ControlTarget target = f.target;
        target.regionCode = code;
        mirel::test::RecorderPrompt own;
        StoredForm stored(target.dataKey(), f.catalog.first(), own);
        const FormControl alone = checkForm(f.catalog, target, stored, "caption", Clock, own);
        ASSERT_EQ(alone.sections.size(), run.regions.at(k).form.sections.size());
        EXPECT_EQ(alone.sections.at(0).run.findings,
                  run.regions.at(k).form.sections.at(0).run.findings)
            << k;
        EXPECT_EQ(alone.sections.at(0).mark, run.regions.at(k).form.sections.at(0).mark) << k;
        // The rules read afresh for the one section (as the entry window runs them).
        target.section = 1;
        StoredForm again(target.dataKey(), f.catalog.first(), own);
        const SectionCells* cells = again.load(1);
        ASSERT_TRUE(cells);
        const ControlRun direct = runRules(rules, target, *cells, true, own);
        EXPECT_EQ(direct.findings, run.regions.at(k).form.sections.at(0).run.findings) << k;
    }
    EXPECT_EQ(run.regions.at(0).marks.first(), "++");
    EXPECT_EQ(run.regions.at(1).marks.first(), "??");
    EXPECT_EQ(run.regions.at(3).marks.first(), "++");
    EXPECT_TRUE(run.regions.at(1).form.sections.at(0).run.findings.join('|').contains(
        "Не выполнено условие : "));
}
