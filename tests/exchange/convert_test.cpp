#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <QRandomGenerator>
#include <QThread>

#include "control/fastformula.h"
#include "core/text.h"
#include "platform/evaluator.h"

#include "exchange/excelconvert.h"
#include "fixture.h"
#include "platform/fileio.h"
#include "platform/spreadsheet.h"

using namespace mirel;
using namespace mirel::test;

namespace {

const QString Section1 = "PR_? \n! 0000 101 01 05 06 1401\n"
                         "1 0.1 1234567.891 1234.5 12345.6\n"
                         "2 0 0 0 -42\n"
                         "3 0.3 0506.2005 1E+20 0.15\n"
                         "4 42 7.25 0 -1.2345E-05\n";
const QString Section2 = "PR_? \n! 0000 101 02 05 06 1401\n1 5 6.5\n2 10 0\n";

exchange::WorkbookOutcome convertOne(ImportFixture& f, const QString& name, bool control = false) {
    const exchange::ImportJob job{f.session, "2005", "6", control, f.now};
    return exchange::Cnv_Xls_(job, "101", f.folder() + "/" + name, f.prompt, f.browser);
}

} // namespace

TEST(ValueToNumber, Table) {
    const struct {
        const char* text;
        const char* number;
    } cases[] = {
        {"", "0"},
        {"   ", "0"},
        {"0.1", "0.1"},
        {"  42 ", "42"},
        {"007", "7"},
        {"-0", "0"},
        {"1E+20", "1E+20"},
        {"1e3", "1000"},
        {"3,5", "3.5"},
        {"-3,50", "-3.50"},
        {",5", "0"},
        {"1 234,5", "1234.5"},
        {"1 234,5", "1234.5"},
        {"12.345,6", "12345.6"},
        {"12 345,6 руб.", "12345.6"},
        {"-", "0"},
        {"шт", "0"},
        {"-5 шт", "-5"},
        {"1.2.3", "12.3"},
        {"5.", "5"},
        {"5,шт", "5"},
        {".5", "0.5"},
        {"+5 шт", "0"},
        {"- 7", "-7"},
        {"05.06.2005", "0506.2005"},
        {"10:30:00", "10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(exchange::cellNumber(QString::fromUtf8(c.text)), QString::fromUtf8(c.number));
    }
}

// A plain number's text is its value written as the system writes numbers, whatever shortcut
// the reading takes for it.
TEST(ValueToNumber, PlainNumbersAreTheirNumberText) {
    QRandomGenerator random(1208);
    for (int i = 0; i < 20000; ++i) {
        QString text;
        const int sign = random.bounded(4);
        if (sign == 1) text += '-';
        if (sign == 2) text += '+';
        const int whole = random.bounded(random.bounded(2) ? 4 : 17);
        for (int d = 0; d < whole; ++d)
            text += QChar(u'0' + (random.bounded(3) == 0 ? 0 : random.bounded(10)));
        if (random.bounded(2)) {
            text += '.';
            const int fraction = random.bounded(random.bounded(2) ? 4 : 17);
            for (int d = 0; d < fraction; ++d)
                text += QChar(u'0' + (random.bounded(2) == 0 ? 0 : random.bounded(10)));
        }
        if (!core::IsNumeric(text)) continue;
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(exchange::cellNumber(text), platform::numberText(text.toDouble()));
    }
}

// A number cell goes the short way when its number text is one that the general reading gives
// back unchanged, and takes its own value when its digits read back as it: both agree with
// the text the general way makes and the value the control reads from it.
TEST(ValueToNumber, NumberCellsTakeTheShortWay) {
    QRandomGenerator random(909);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  0.1,
                                  100.5,
                                  1e15,
                                  1e14 + 0.5,
                                  1e-4,
                                  1.5e-4,
                                  0.000123456789012,
                                  123456789012345.0,
                                  1e20,
                                  2.5e-5,
                                  std::numeric_limits<double>::infinity()};
    for (int i = 0; i < 20000; ++i) {
        switch (random.bounded(4)) {
        case 0: // a typed figure with few decimals
            values.push_back(double(qint64(random.bounded(2000000)) - 1000000) /
                             std::pow(10.0, random.bounded(7)));
            break;
        case 1: // a result of arithmetic
            values.push_back(random.generateDouble() * std::pow(10.0, random.bounded(-6, 16)));
            break;
        case 2: { // any bits
            quint64 bits = random.generate64();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            values.push_back(v);
            break;
        }
        default:
            values.push_back(double(random.bounded(100000)));
        }
    }
    int shortWays = 0;
    for (const double v : values) {
        char digits[platform::NumberCharsSize];
        bool readsBack = false;
        const int length = platform::numberChars(v, digits, readsBack);
        const QString text = QString::fromLatin1(digits, length);
        SCOPED_TRACE(text.toStdString());
        ASSERT_EQ(text, platform::numberText(v));
        if (!exchange::isCellNumber(QLatin1StringView(digits, length))) continue;
        ++shortWays;
        EXPECT_EQ(exchange::cellNumber(text), text);
        const std::optional<double> read = control::fastCellValue(text);
        ASSERT_TRUE(read.has_value());
        if (readsBack) {
            EXPECT_EQ(*read, v);
        }
    }
    EXPECT_GT(shortWays, 10000);
}

// The same workbook sent as .xls, .xlsx or .ods gives the same section files, byte for byte.
TEST(ExcelConvert, SameWorkbookInThreeFormats) {
    for (const char* ext : {"xls", "xlsx", "ods"}) {
        SCOPED_TRACE(ext);
        ImportFixture f;
        const QString name = QStringLiteral("1401_101_0506.") + QLatin1String(ext);
        f.addWorkbook(QStringLiteral("values.") + QLatin1String(ext), name);
        ASSERT_TRUE(f.start());
        const exchange::WorkbookOutcome out = convertOne(f, name);
        EXPECT_TRUE(out.converted);
        EXPECT_TRUE(out.archived);
        EXPECT_EQ(f.ws.readBytes(sectionPath("101", "01")), cp1251Crlf(Section1));
        EXPECT_EQ(f.ws.readBytes(sectionPath("101", "02")), cp1251Crlf(Section2));
        EXPECT_EQ(f.prompt.messages,
                  (QList<Message>{{platform::Icon::Information,
                                   "Информация загружена !!!\r\n\r\n" + f.folder() + "/" + name,
                                   f.ws.file("DAT/DAT_0506.101/1401.03")}}));
        EXPECT_FALSE(f.ws.exists(f.inFolder(name)));
        EXPECT_TRUE(f.ws.exists(f.inFolder("АРХИВ/2005_06/101/" + name)));
        EXPECT_TRUE(f.browser.opened.isEmpty());
    }
}

// Control of each written section: the state marks, and the log with its rows in front of the
// insertion row.
TEST(ExcelConvert, ControlMarksAndLog) {
    ImportFixture f;
    f.ws.write("FORM/2005_01.101/101_0501.01.LOG",
               "// Первая строка не больше четвертой\n1\\1\\1<=1\\4\\1\n");
    f.ws.write("FORM/2005_01.101/101_0501.02.LOG",
               "1: 101 02\n2: 102 01 // Форма 102\n\n// Сверка с формой 102\n1\\1\\1<=2\\1\\1\n");
    f.addWorkbook("values.xls", "1401_101_0506.xls");
    ASSERT_TRUE(f.start());
    const exchange::ImportJob job{f.session, "2005", "6", true, f.now};
    const exchange::FormOutcome out =
        exchange::Cnv_XLS_All(job, "101", {f.folder() + "/1401_101_0506.xls"}, f.prompt, f.browser);
    ASSERT_EQ(out.workbooks.size(), 1);
    EXPECT_TRUE(out.workbooks.first().archived);
    EXPECT_EQ(f.ws.read(sectionPath("101", "01")).section("\r\n", 0, 0), "PR_++");
    EXPECT_EQ(f.ws.read(sectionPath("101", "02")).section("\r\n", 0, 0), "PR_??");
    EXPECT_EQ(f.prompt.texts(), QStringList{"Загрузка завершена !!!"});
    EXPECT_EQ(out.logPath, f.ws.file("LOG_2005_06_101.HTM"));
    EXPECT_EQ(f.browser.opened, QStringList{out.logPath});

    const QString log = f.ws.read("LOG_2005_06_101.HTM");
    const QString head =
        "<html>\r\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1251\">\r\n<title>\r\nОтчет\r\n</title>\r\n</head>\r\n"
        "<body bgcolor='white'>\r\n<font face='Arial, Helvetica'>\r\n"
        "<p aline= center><b>ЛОГИЧЕСКИЙ КОНТРОЛЬ по форме 101 за период : 2005 06 ( 4 июля "
        "2005 г. 9.5.3 )</b><br>\r\n</font>\r\n<hr>\r\n<center>\r\n"
        "<font face='Courier New, Courier'>\r\n<table border>\r\n";
    const QString rows =
        "<tr>\r\n<td><b>" + QString(75, '_') +
        "</b></td></tr>\r\n"
        "<tr>\r\n<td><b>1401 - Первый район</b></td></tr>\r\n"
        "<tr>\r\n<td><b>РАЗДЕЛ 1</b></td></tr>\r\n"
        "<tr>\r\n<td><b>РАЗДЕЛ 2</b></td></tr>\r\n"
        "<tr>\r\n<td><b>Отсутствуют данные по форме 102 (раздел 01) за отчетный период : 2005 "
        "06</b></td></tr>\r\n"
        "<tr>\r\n<td><b>НЕПОЛНЫЙ ЛОГИЧЕСКИЙ КОНТРОЛЬ : отсутствуют данные по разделу 01, формы "
        "102 за отчетный период 0506</b></td></tr>\r\n";
    const QString tail = "<tr>\r\n<td><b>***</b></td></tr>\r\n</table>\r\n</font>\r\n</center>\r\n"
                         "</body>\r\n</html>\r\n";
    ASSERT_TRUE(log.startsWith(head + rows)) << log.toStdString();
    EXPECT_TRUE(log.endsWith(tail));

    // A converted section whose values are all zero, with its rules holding.
    ImportFixture zero;
    zero.ws.write("FORM/2005_01.101/101_CNV.1", "A20 A21\nA22 A23\n");
    zero.ws.write("FORM/2005_01.101/101_0501.01.LOG", "// Ноль\n1\\1\\1=1\\2\\2\n");
    zero.addWorkbook("values.ods", "1401_101_0506.ods");
    ASSERT_TRUE(zero.start());
    convertOne(zero, "1401_101_0506.ods", true);
    EXPECT_EQ(zero.ws.readBytes(sectionPath("101", "01")),
              cp1251Crlf("PR_0++\n! 0000 101 01 05 06 1401\n1 0 0\n2 0 0\n"));
    // Section 2 has no rules: it keeps the import's mark.
    EXPECT_EQ(zero.ws.readBytes(sectionPath("101", "02")), cp1251Crlf(Section2));
    EXPECT_EQ(zero.browser.opened, QStringList{zero.ws.file("LOG_2005_06_101.HTM")});
}

// A cell that cannot be read stops the workbook before anything of it is written: the stored
// sections stay as they were and the workbook waits in the folder.
TEST(ExcelConvert, BadReferenceWritesNothing) {
    const struct {
        const char* settings;
        QString reason;
        const char* reference;
    } cases[] = {
        {"B10 C10\nB11 ZZZZ11\n", platform::BadCellReference, "ZZZZ11"},
        {"B10   C10\n", platform::BadCellReference, ""},
        {"B10 C10\nB11\n", "В строке 2 блока ссылок меньше, чем в первой", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        ImportFixture f;
        f.ws.write("FORM/2005_01.101/101_CNV.2", QString::fromUtf8(c.settings));
        f.ws.write(sectionPath("101", "01"), "PR_++\n! 0000 101 01 05 06 1401\n1 1 1 1 1\n");
        f.addWorkbook("values.xlsx", "1401_101_0506.xlsx");
        ASSERT_TRUE(f.start());
        const exchange::WorkbookOutcome out = convertOne(f, "1401_101_0506.xlsx");
        EXPECT_FALSE(out.converted);
        EXPECT_EQ(f.prompt.messages,
                  (QList<Message>{{platform::Icon::None,
                                   "Ошибка при конвертировании -> \r\n" + c.reason +
                                       "\r\nссылка на ячейку -> " + QLatin1String(c.reference),
                                   f.folder() + "/1401_101_0506.xlsx"}}));
        EXPECT_EQ(f.ws.read(sectionPath("101", "01")),
                  "PR_++\r\n! 0000 101 01 05 06 1401\r\n1 1 1 1 1\r\n");
        EXPECT_FALSE(f.ws.exists(sectionPath("101", "02")));
        EXPECT_TRUE(f.ws.exists(f.inFolder("1401_101_0506.xlsx")));
    }
}

// Files that are no workbook, or that cannot be read, get a clear message and stay; a
// settings file of a worksheet the workbook lacks names it.
TEST(ExcelConvert, UnreadableWorkbooksStay) {
    const struct {
        const char* data;
        QString reason;
    } cases[] = {
        {"corrupt.xls", platform::DamagedWorkbook},
        {"protected.xls", platform::ProtectedWorkbook},
        {"notworkbook.xls", platform::NotAWorkbook},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        ImportFixture f;
        f.addWorkbook(QLatin1String(c.data), "1401_101_0506.xls");
        ASSERT_TRUE(f.start());
        EXPECT_FALSE(convertOne(f, "1401_101_0506.xls").converted);
        EXPECT_EQ(f.prompt.messages,
                  (QList<Message>{{platform::Icon::Error,
                                   "Ошибка при открытии книги Excel -> " + f.folder() +
                                       "/1401_101_0506.xls\r\n" + c.reason,
                                   ""}}));
        EXPECT_TRUE(f.ws.exists(f.inFolder("1401_101_0506.xls")));
        EXPECT_FALSE(f.ws.exists("DAT/DAT_0506.101"));
    }

    ImportFixture f;
    f.ws.write("FORM/2005_01.101/101_CNV.05", "A1\n");
    f.addWorkbook("values.xls", "1401_101_0506.xls");
    ASSERT_TRUE(f.start());
    convertOne(f, "1401_101_0506.xls");
    EXPECT_EQ(f.prompt.texts(), QStringList{"Ошибка при конвертировании -> \r\nВ книге нет листа с "
                                            "номером 5\r\nссылка на ячейку -> A1"});
}

// A protected section stops its workbook before anything of it is written; the next workbook
// of the form is converted.
TEST(ExcelConvert, ProtectedTargetStopsThatWorkbookOnly) {
    ImportFixture f;
    f.addWorkbook("values.xls", "1401_101_0506.xls");
    f.addWorkbook("values.xlsx", "1402_101_0506.xlsx");
    f.ws.write(sectionPath("101", "02"), "PR_++\n! 0000 101 02 05 06 1401\n1 7 7\n2 7 7\n");
    ASSERT_TRUE(platform::setReadOnly(f.ws.file(sectionPath("101", "02")), true));
    ASSERT_TRUE(f.start());
    const exchange::ImportJob job{f.session, "2005", "6", false, f.now};
    const exchange::FormOutcome out = exchange::Cnv_XLS_All(
        job, "101", {f.folder() + "/1401_101_0506.xls", f.folder() + "/1402_101_0506.xlsx"},
        f.prompt, f.browser);
    ASSERT_EQ(out.workbooks.size(), 2);
    EXPECT_FALSE(out.workbooks.at(0).converted);
    EXPECT_TRUE(out.workbooks.at(1).archived);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{platform::Icon::Error,
                               "Файл данных защищен от записи, книга не загружена !!!",
                               f.ws.file(sectionPath("101", "02"))},
                              {platform::Icon::Information, "Загрузка завершена !!!", ""}}));
    EXPECT_FALSE(f.ws.exists(sectionPath("101", "01")));
    EXPECT_TRUE(f.ws.exists(f.inFolder("1401_101_0506.xls")));
    EXPECT_TRUE(f.ws.exists("DAT/DAT_0506.101/1402.01"));
    EXPECT_TRUE(f.browser.opened.isEmpty());
}

// An empty block takes a section number; the counter runs on across the settings files.
TEST(ExcelConvert, EmptyBlockAndSectionCounter) {
    ImportFixture f;
    f.ws.write("FORM/2005_01.101/101_CNV.1", "\nC2 D2\n\n\nC3\n");
    f.addWorkbook("values.ods", "01401_101_0506.ods");
    ASSERT_TRUE(f.start());
    const exchange::WorkbookOutcome out = convertOne(f, "01401_101_0506.ods");
    EXPECT_EQ(out.sectionFiles, (QStringList{f.ws.file("DAT/DAT_0506.101/1401.02"),
                                             f.ws.file("DAT/DAT_0506.101/1401.04"),
                                             f.ws.file("DAT/DAT_0506.101/1401.05")}));
    EXPECT_EQ(f.prompt.messages.first().title, f.ws.file("DAT/DAT_0506.101/1401.06"));
    EXPECT_EQ(f.ws.read("DAT/DAT_0506.101/1401.04"),
              "PR_? \r\n! 0000 101 04 05 06 1401\r\n1 0\r\n");
}

namespace {

// Converts workbooks 1401 and 1402 of form 101; the person asks to stop while the first one is
// converted (progress is reported, and the question asked, once a tenth of a second has passed).
// Eight regions, 1401..1408, each with a workbook in the folder.
QStringList eightWorkbooks(ImportFixture& f) {
    QString shif = "Код Наименование\n";
    QStringList paths;
    for (int r = 1401; r <= 1408; ++r) {
        shif += QString::number(r) + " Район " + QString::number(r) + "\n";
        const QString name = QString::number(r) + "_101_0506.xls";
        f.addWorkbook("values.xls", name);
        paths << f.folder() + "/" + name;
    }
    f.ws.write("SHIF/shif.txt", shif);
    return paths;
}

// The person stops the run while the first workbook is in its turn.
exchange::FormOutcome stopDuringFirstWorkbook(ImportFixture& f, const QStringList& paths,
                                              bool control) {
    struct SlowFirst : exchange::ImportObserver {
        int started = 0;
        void workbookStarted(const QString&) override {
            if (started++ == 0) QThread::msleep(150);
        }
    } slow;
    f.prompt.stopAfter = 1;
    const exchange::ImportJob job{f.session, "2005", "6", control, f.now};
    return exchange::Cnv_XLS_All(job, "101", paths, f.prompt, f.browser, &slow);
}

// A stopped run: the workbooks already begun when the person stopped it are loaded whole
// (written, archived, in the outcome), and none after them is touched.
void expectBegunOnesDone(ImportFixture& f, const QStringList& paths,
                         const exchange::FormOutcome& out) {
    EXPECT_TRUE(out.stopped);
    ASSERT_GE(out.workbooks.size(), 1);
    ASSERT_LT(out.workbooks.size(), paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        const QString name = platform::nameOf(paths.at(i));
        const QString region = name.left(4);
        SCOPED_TRACE(name.toStdString());
        const bool done = i < out.workbooks.size();
        if (done) {
            EXPECT_TRUE(out.workbooks.at(i).archived);
        }
        EXPECT_EQ(f.ws.exists(f.inFolder(name)), !done);
        EXPECT_EQ(f.ws.exists("DAT/DAT_0506.101/" + region + ".01"), done);
    }
    EXPECT_EQ(f.prompt.texts(), QStringList{platform::stoppedText()});
}

} // namespace

// A stopped run with control leaves its log whole on disk with the rows of every workbook that
// was converted.
TEST(ExcelConvert, AStoppedRunWritesItsLog) {
    ImportFixture f;
    f.ws.write("FORM/2005_01.101/101_0501.01.LOG", "// Первая\n1\\1\\1<=1\\4\\1\n");
    const QStringList paths = eightWorkbooks(f);
    ASSERT_TRUE(f.start());
    const exchange::FormOutcome out = stopDuringFirstWorkbook(f, paths, true);
    expectBegunOnesDone(f, paths, out);
    const QString log = f.ws.read("LOG_2005_06_101.HTM");
    for (int i = 0; i < paths.size(); ++i) {
        const QString region = platform::nameOf(paths.at(i)).left(4);
        EXPECT_EQ(log.contains("<tr>\r\n<td><b>" + region + " - Район " + region +
                               "</b></td></tr>\r\n<tr>\r\n<td><b>РАЗДЕЛ 1</b></td></tr>\r\n"),
                  i < out.workbooks.size())
            << region.toStdString();
    }
    EXPECT_TRUE(log.endsWith("<tr>\r\n<td><b>***</b></td></tr>\r\n</table>\r\n</font>\r\n"
                             "</center>\r\n</body>\r\n</html>\r\n"));
}

// The person stops a long run between two workbooks; an archived workbook of the same name
// (in another case) is kept beside the new one.
TEST(ExcelConvert, StopBetweenWorkbooksAndArchiveKeepsOlder) {
    ImportFixture f;
    const QStringList paths = eightWorkbooks(f);
    f.addWorkbook("values.ods", "АРХИВ/2005_06/101/1401_101_0506.XLS");
    ASSERT_TRUE(f.start());
    const exchange::FormOutcome out = stopDuringFirstWorkbook(f, paths, false);
    expectBegunOnesDone(f, paths, out);
    EXPECT_EQ(f.ws.readBytes(f.inFolder("АРХИВ/2005_06/101/1401_101_0506_1.xls")),
              f.ws.readBytes(f.inFolder("1408_101_0506.xls")));
    EXPECT_NE(f.ws.readBytes(f.inFolder("АРХИВ/2005_06/101/1401_101_0506.XLS")),
              f.ws.readBytes(f.inFolder("1408_101_0506.xls")));
    EXPECT_FALSE(f.ws.exists(f.inFolder("АРХИВ/2005_06/101/1401_101_0506.xls")));
}

// Two workbooks of one region in a run write the same files: the one later in the list holds.
TEST(ExcelConvert, TwoWorkbooksOfOneRegionLoadInTheirOrder) {
    ImportFixture f;
    QString shif = "Код Наименование\n";
    QStringList paths;
    for (int r = 1401; r <= 1420; ++r) {
        shif += QString::number(r) + " Район " + QString::number(r) + "\n";
        for (const QString& name :
             {QString::number(r) + "_101_0506.xls", "0" + QString::number(r) + "_101_0506.xls"}) {
            f.addWorkbook(name.startsWith('0') ? "bench.xls" : "values.xls", name);
            paths << f.folder() + "/" + name;
        }
    }
    f.ws.write("SHIF/shif.txt", shif);
    ASSERT_TRUE(f.start());
    const exchange::ImportJob job{f.session, "2005", "6", false, f.now};
    const exchange::FormOutcome out = exchange::Cnv_XLS_All(job, "101", paths, f.prompt, f.browser);
    ASSERT_EQ(out.workbooks.size(), paths.size());
    for (int r = 1401; r <= 1420; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(f.ws.read("DAT/DAT_0506.101/" + QString::number(r) + ".02").section("\r\n", 2),
                  "1 6 601.5\r\n2 7 701.5\r\n");
    }
}

// A long run reads the next workbooks while one is written: every workbook still gets its own
// messages, in the order of the list, and only the readable ones are loaded and archived.
TEST(ExcelConvert, ManyWorkbooksAreToldInTheirOrder) {
    ImportFixture f;
    QString shif = "Код Наименование\n";
    for (int r = 1401; r <= 1430; ++r)
        shif += QString::number(r) + " Район " + QString::number(r) + "\n";
    f.ws.write("SHIF/shif.txt", shif);
    QStringList paths;
    QStringList expected;
    for (int r = 1401; r <= 1430; ++r) {
        const bool corrupt = r % 7 == 3;
        const QString name = QString::number(r) + (r % 3 ? "_101_0506.xls" : "_101_0506.xlsx");
        f.addWorkbook(corrupt ? "corrupt.xls" : (r % 3 ? "values.xls" : "values.xlsx"), name);
        paths << f.folder() + "/" + name;
        if (corrupt)
            expected << "Ошибка при открытии книги Excel -> " + paths.last() + "\r\n" +
                            platform::DamagedWorkbook;
        if (r % 10 == 5) { // a workbook of no region between two others
            const QString stray = QString::number(9000 + r) + "_101_0506.xls";
            f.addWorkbook("values.xls", stray);
            paths << f.folder() + "/" + stray;
            expected << "Ошибка конвертирования !!!";
        }
    }
    expected << "Загрузка завершена !!!";
    ASSERT_TRUE(f.start());
    const exchange::ImportJob job{f.session, "2005", "6", false, f.now};
    const exchange::FormOutcome out = exchange::Cnv_XLS_All(job, "101", paths, f.prompt, f.browser);
    EXPECT_EQ(f.prompt.texts(), expected);
    ASSERT_EQ(out.workbooks.size(), paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        const exchange::WorkbookOutcome& w = out.workbooks.at(i);
        SCOPED_TRACE(w.path.toStdString());
        EXPECT_EQ(w.path, paths.at(i));
        const QString name = platform::nameOf(w.path);
        const int region = name.section('_', 0, 0).toInt();
        const bool good = region < 9000 && region % 7 != 3;
        EXPECT_EQ(w.archived, good);
        EXPECT_EQ(f.ws.exists(f.inFolder(name)), !good);
        if (good) {
            EXPECT_EQ(f.ws.read("DAT/DAT_0506.101/" + QString::number(region) + ".02"),
                      "PR_? \r\n! 0000 101 02 05 06 " + QString::number(region) +
                          "\r\n1 5 6.5\r\n2 10 0\r\n");
        }
    }
}
