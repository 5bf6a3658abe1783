#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <freexl.h>
#include <QBuffer>
#include <QFile>
#include <QtEndian>
#include <quazip.h>
#include <quazipfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/spreadsheet.h"
#include "platform/spreadsheet_p.h"
#include "workspace.h"

using namespace mirel;
using platform::Workbook;

namespace {

const QString Data = QStringLiteral(MIREL_TEST_DATA "/exchange/");

QStringList sheetTexts(Workbook& book, int number, int rows, int columns) {
    QStringList out;
    const platform::Worksheet* sheet = book.sheet(number);
    if (!sheet) return out;
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row.append(sheet->cellText(r, c));
        out.append(row.join(QLatin1Char('|')));
    }
    return out;
}

// A BIFF record: its type, its length and its bytes.
QByteArray biffRecord(quint16 type, const QByteArray& data) {
    QByteArray r(4, '\0');
    qToLittleEndian<quint16>(type, r.data());
    qToLittleEndian<quint16>(quint16(data.size()), r.data() + 2);
    return r + data;
}

// A BIFF8 BOF record of a substream of the given type (0x0005 globals, 0x0010 worksheet,
// 0x0020 chart).
QByteArray biffBof(quint16 type) {
    QByteArray data(16, '\0');
    qToLittleEndian<quint16>(0x0600, data.data());
    qToLittleEndian<quint16>(type, data.data() + 2);
    return biffRecord(0x0809, data);
}

// A DIMENSION record for a table of rows x columns.
QByteArray biffDimension(quint32 rows, quint16 columns) {
    QByteArray data(14, '\0');
    qToLittleEndian<quint32>(rows, data.data() + 4);
    qToLittleEndian<quint16>(columns, data.data() + 10);
    return biffRecord(0x0200, data);
}

// A NUMBER record: the value of a cell.
QByteArray biffNumber(quint16 row, quint16 column, double value) {
    QByteArray data(14, '\0');
    qToLittleEndian<quint16>(row, data.data());
    qToLittleEndian<quint16>(column, data.data() + 2);
    std::memcpy(data.data() + 6, &value, sizeof value);
    return biffRecord(0x0203, data);
}

// A workbook stream of the given sheets in order, each a BOUNDSHEET type (0 a worksheet, 2 a
// chart sheet) and the records between its BOF and EOF records; named "A", "B" and so on.
QByteArray workbookStream(const QList<std::pair<quint8, QByteArray>>& sheets) {
    const QByteArray end = biffRecord(0x000A, {});
    QByteArray globals = biffBof(0x0005) + biffRecord(0x00E0, QByteArray(20, '\0'));
    const qsizetype boundSheet = 4 + 9;
    qsizetype place = globals.size() + sheets.size() * boundSheet + end.size();
    QByteArray substreams;
    for (int i = 0; i < sheets.size(); ++i) {
        const auto& [type, records] = sheets.at(i);
        QByteArray data(9, '\0');
        qToLittleEndian<quint32>(quint32(place), data.data());
        data[5] = char(type);
        data[6] = 1;
        data[8] = char('A' + i);
        globals += biffRecord(0x0085, data);
        const QByteArray substream = biffBof(type == 2 ? 0x0020 : 0x0010) + records + end;
        substreams += substream;
        place += substream.size();
    }
    return globals + end + substreams;
}

// A workbook stream of globals only, holding two shared strings: the first in the SST record
// with a phonetic block of the given size after it, the second in a CONTINUE record.
QByteArray sharedStringsStream(quint32 phoneticSize) {
    QByteArray sst(8, '\0');
    qToLittleEndian<quint32>(2, sst.data());
    qToLittleEndian<quint32>(2, sst.data() + 4);
    QByteArray first("\x03\x00\x04\0\0\0\0abc", 10);
    qToLittleEndian<quint32>(phoneticSize, first.data() + 3);
    return biffBof(0x0005) + biffRecord(0x00FC, sst + first) +
           biffRecord(0x003C, QByteArray("\x01\x00\x00z", 4)) + biffRecord(0x000A, {});
}

// A workbook stream of one worksheet whose cell A1 is a LABEL record: a text of `length`
// characters, of which the record holds "abc".
QByteArray labelStream(quint16 length) {
    QByteArray label(9, '\0');
    qToLittleEndian<quint16>(length, label.data() + 6);
    return workbookStream({{0, biffDimension(1, 1) + biffRecord(0x0204, label + "abc")}});
}

// The parts of a zip file: all of them, with one changed, or left out for an empty name.
QByteArray rezipped(const QString& path, const QString& part, const QByteArray& bytes) {
    QuaZip in(path);
    QByteArray out;
    QBuffer buffer(&out);
    QuaZip zip(&buffer);
    if (!in.open(QuaZip::mdUnzip) || !zip.open(QuaZip::mdCreate)) return {};
    for (bool more = in.goToFirstFile(); more; more = in.goToNextFile()) {
        const QString name = in.getCurrentFileName();
        QuaZipFile entry(&in);
        if (!entry.open(QIODevice::ReadOnly)) return {};
        QByteArray data = entry.readAll();
        if (name == part) {
            if (bytes.isEmpty()) continue;
            data = bytes;
        }
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name))) return {};
        file.write(data);
        file.close();
    }
    zip.close();
    return out;
}

} // namespace

// The same workbook written by three programs reads the same, cell for cell: numbers without
// binary noise, dates as the office shows them, formulas by their stored results.
TEST(Spreadsheet, ThreeFormatsReadAlike) {
    const QStringList expected{
        QStringLiteral("Значения|||||"),
        QStringLiteral("||0.1|1234567.891|1 234,5|12.345,6 руб."),
        QStringLiteral("||-|шт||-42"),
        QStringLiteral("||0.3|05.06.2005|1E+20|0.15"),
        QStringLiteral("||42|  7,25 |0|-1.2345E-05"),
    };
    for (const char* ext : {"xls", "xlsx", "ods"}) {
        SCOPED_TRACE(ext);
        QString error;
        auto book = Workbook::open(Data + QStringLiteral("values.") + QLatin1String(ext), &error);
        ASSERT_TRUE(book) << error.toStdString();
        EXPECT_EQ(book->sheetCount(), 2);
        EXPECT_EQ(sheetTexts(*book, 1, 5, 6), expected);
        QString text;
        ASSERT_TRUE(book->sheet(2)->cell(QStringLiteral("$B$11"), text));
        EXPECT_EQ(text, QStringLiteral("10"));
        ASSERT_TRUE(book->sheet(2)->cell(QStringLiteral("c11"), text));
        EXPECT_EQ(text, QStringLiteral("итого 13,0"));
        ASSERT_TRUE(book->sheet(2)->cell(QStringLiteral("XFD1048576"), text));
        EXPECT_EQ(text, QString());
        EXPECT_EQ(book->sheet(0), nullptr);
        EXPECT_EQ(book->sheet(3), nullptr);
    }
}

// A file that cannot be read as a workbook gives the reason the person is told.
TEST(Spreadsheet, UnreadableFilesSayWhy) {
    const struct {
        const char* file;
        QString reason;
    } cases[] = {
        {"missing.xls", platform::NoWorkbookFile},
        {"notworkbook.xls", platform::NotAWorkbook},
        {"corrupt.xls", platform::DamagedWorkbook},
        {"corrupt.xlsx", platform::DamagedWorkbook},
        {"protected.xls", platform::ProtectedWorkbook},
        {"protected.ods", platform::ProtectedWorkbook},
        // Found by fuzzing: a directory entry claiming a name longer than its field made
        // FreeXL read past a buffer.
        {"fuzz/longname.xls", platform::DamagedWorkbook},
        // The same in a directory sector that the allocation table does not reach: FreeXL
        // reads that sector all the same.
        {"fuzz/longname-unchained.xls", platform::DamagedWorkbook},
        // Found by fuzzing: a worksheet's second DIMENSION record asking for a table FreeXL
        // refuses made it free the first table by the new size.
        {"fuzz/dimension-too-large.xls", platform::DamagedWorkbook},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QString error;
        EXPECT_EQ(Workbook::open(Data + QLatin1String(c.file), &error), nullptr);
        EXPECT_EQ(error, c.reason);
    }
}

// A workbook stream cut short by its chain of sectors is damaged: read as far as it goes, it
// would give a workbook with cells missing, and they would be taken for zeros.
TEST(Spreadsheet, StreamCutShortIsDamaged) {
    QFile file(Data + QStringLiteral("bench.xls"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    QString error;
    ASSERT_NE(Workbook::fromBytes(bytes, &error), nullptr);
    const auto u32 = [&](qsizetype at) {
        quint32 v = 0;
        std::memcpy(&v, bytes.constData() + at, 4);
        return v;
    };
    // The allocation table's first sector, and the workbook's entry in the directory: its chain
    // ends after its first sector now.
    const qsizetype table = (qsizetype(u32(0x4C)) + 1) * 512;
    const qsizetype directory = (qsizetype(u32(0x30)) + 1) * 512;
    ASSERT_EQ(bytes.mid(directory + 128, 16), QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16));
    const quint32 start = u32(directory + 128 + 0x74);
    const quint32 end = 0xFFFFFFFE;
    std::memcpy(bytes.data() + table + 4 * start, &end, 4);
    EXPECT_EQ(Workbook::fromBytes(bytes, &error), nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);
}

// Shared strings whose lengths would have FreeXL read outside their records (here a phonetic
// block said to be a gigabyte long, which FreeXL skips at the start of the next record) make
// the workbook damaged; the same strings with sound lengths read.
TEST(Spreadsheet, SharedStringsReadOutsideTheirRecordsAreDamaged) {
    QString error;
    EXPECT_NE(
        Workbook::fromBytes(platform::sheets::plainCompoundFile(sharedStringsStream(0)), &error),
        nullptr);
    EXPECT_EQ(Workbook::fromBytes(
                  platform::sheets::plainCompoundFile(sharedStringsStream(0x40000000)), &error),
              nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);
}

// A cell text longer than its record is damage: FreeXL would read it from beyond the record.
TEST(Spreadsheet, CellTextLongerThanItsRecordIsDamaged) {
    QString error;
    auto book = Workbook::fromBytes(platform::sheets::plainCompoundFile(labelStream(3)), &error);
    ASSERT_NE(book, nullptr) << error.toStdString();
    EXPECT_EQ(book->sheet(1)->cellText(0, 0), QStringLiteral("abc"));
    EXPECT_EQ(Workbook::fromBytes(platform::sheets::plainCompoundFile(labelStream(4)), &error),
              nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);
}

// A worksheet with two DIMENSION records is damage: FreeXL would lose the first table.
TEST(Spreadsheet, TwoTablesForOneWorksheetAreDamage) {
    const QByteArray record = biffDimension(1, 1);
    QByteArray stream = labelStream(3);
    const qsizetype at = stream.indexOf(record);
    ASSERT_GT(at, 0);
    stream.insert(at, record);
    QString error;
    EXPECT_EQ(Workbook::fromBytes(platform::sheets::plainCompoundFile(stream), &error), nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);

    // The same with an embedded chart between the two: the second table is still the
    // worksheet's.
    stream.insert(at + record.size(), biffBof(0x0020) + biffRecord(0x000A, {}));
    EXPECT_EQ(Workbook::fromBytes(platform::sheets::plainCompoundFile(stream), &error), nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);
}

// Workbook streams found by fuzzing that made FreeXL read or free memory not its own are damage.
TEST(Spreadsheet, StreamsFoundByFuzzingAreDamage) {
    for (const char* name : {
             // A text said to be 113594 bytes long.
             "text-too-long.stream",
             // A last record running past the stream's end, which FreeXL completes with the
             // bytes that fill the sector: a DIMENSION record there asking for a table FreeXL
             // refuses, after the worksheet had one.
             "dimension-past-the-end.stream",
         }) {
        SCOPED_TRACE(name);
        QFile found(Data + QStringLiteral("fuzz/") + QLatin1String(name));
        ASSERT_TRUE(found.open(QIODevice::ReadOnly));
        QString error;
        EXPECT_EQ(Workbook::fromBytes(platform::sheets::plainCompoundFile(found.readAll()), &error),
                  nullptr);
        EXPECT_EQ(error, platform::DamagedWorkbook);
    }
}

// More cell formats than FreeXL keeps (8192; Excel makes some four thousand at most) are damage:
// FreeXL would look a cell's format up past its table.
TEST(Spreadsheet, MoreCellFormatsThanFreeXLKeepsAreDamage) {
    const auto stream = [](int formats) {
        QByteArray s = biffBof(0x0005);
        for (int i = 0; i < formats; ++i)
            s += biffRecord(0x00E0, QByteArray(20, '\0'));
        return platform::sheets::plainCompoundFile(s + biffRecord(0x000A, {}));
    };
    QString error;
    EXPECT_NE(Workbook::fromBytes(stream(8192), &error), nullptr);
    EXPECT_EQ(Workbook::fromBytes(stream(8193), &error), nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);
}

// An .xlsx whose part is cut short or missing is damaged, as the other kinds are: read as far as
// it goes, its cells would be empty and taken for zeros.
TEST(Spreadsheet, XlsxPartCutShortOrMissingIsDamaged) {
    const QString path = Data + QStringLiteral("values.xlsx");
    QString error;
    ASSERT_NE(Workbook::fromBytes(rezipped(path, QString(), {}), &error), nullptr)
        << error.toStdString();
    for (const QString& part :
         {QStringLiteral("xl/worksheets/sheet2.xml"), QStringLiteral("xl/styles.xml")}) {
        SCOPED_TRACE(part.toStdString());
        QuaZip zip(path);
        ASSERT_TRUE(zip.open(QuaZip::mdUnzip) && zip.setCurrentFile(part));
        QuaZipFile file(&zip);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        EXPECT_EQ(Workbook::fromBytes(rezipped(path, part, whole.left(whole.size() / 2)), &error),
                  nullptr);
        EXPECT_EQ(error, platform::DamagedWorkbook);
    }
    // A worksheet the workbook names that the file lacks.
    EXPECT_EQ(
        Workbook::fromBytes(rezipped(path, QStringLiteral("xl/worksheets/sheet2.xml"), {}), &error),
        nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);
}

// A workbook with charts reads: FreeXL cannot read past a chart embedded in a worksheet, so it
// is given the worksheets without them. charts.xls was written by LibreOffice from an .xlsx with
// a chart in its first worksheet and a chart sheet (which LibreOffice keeps as a worksheet
// holding a chart) before the last.
TEST(Spreadsheet, WorkbookWithChartsReads) {
    QString error;
    const auto book = Workbook::open(Data + QStringLiteral("charts.xls"), &error);
    ASSERT_NE(book, nullptr) << error.toStdString();
    ASSERT_EQ(book->sheetCount(), 3);
    EXPECT_EQ(sheetTexts(*book, 1, 5, 1), (QStringList{"1.5", "3", "4.5", "6", "7.5"}));
    EXPECT_EQ(sheetTexts(*book, 3, 2, 1), (QStringList{"101.25", "102.25"}));
}

// A chart sheet (Excel's, which has no cells and so no DIMENSION record) is not a worksheet: the
// worksheets keep their numbers around it, and the last one its cells (FreeXL made a table for
// a sheet without DIMENSION in the place of the last worksheet's, which then read empty).
TEST(Spreadsheet, ChartSheetsAreNotWorksheets) {
    const QByteArray chart = biffRecord(0x1002, QByteArray(16, '\0')); // CHART
    const QByteArray first = biffDimension(1, 1) + biffNumber(0, 0, 1.5);
    const QByteArray second = biffDimension(2, 2) + biffNumber(1, 1, 2.5);
    for (const auto& sheets : {
             QList<std::pair<quint8, QByteArray>>{{2, chart}, {0, first}, {0, second}},
             QList<std::pair<quint8, QByteArray>>{{0, first}, {2, chart}, {0, second}},
             QList<std::pair<quint8, QByteArray>>{{0, first}, {0, second}, {2, chart}},
             // A stray BOUNDSHEET record of a chart sheet inside the chart sheet goes with it.
             QList<std::pair<quint8, QByteArray>>{
                 {2, chart + biffRecord(0x0085, QByteArray("\0\0\0\0\0\x02\x01\0Z", 9))},
                 {0, first},
                 {0, second}},
         }) {
        QString error;
        const auto book = Workbook::fromBytes(
            platform::sheets::plainCompoundFile(workbookStream(sheets)), &error);
        ASSERT_NE(book, nullptr) << error.toStdString();
        EXPECT_EQ(book->sheetCount(), 2);
        EXPECT_EQ(sheetTexts(*book, 1, 1, 1), QStringList{"1.5"});
        EXPECT_EQ(sheetTexts(*book, 2, 2, 2), (QStringList{"|", "|2.5"}));
    }
}

// The same in workbooks written by other programs: a chart sheet before two worksheets, by
// openpyxl (chartsheet.xlsx) and by Gnumeric (chartsheet.xls, which ends the chart sheet without
// an EOF record of its own; LibreOffice writes no chart sheets to .xls). In an .xlsx, a sheet the
// workbook lists without a part would number the worksheets after it wrong: damage.
TEST(Spreadsheet, ChartSheetsAreNotWorksheetsInFiles) {
    for (const char* name : {"chartsheet.xlsx", "chartsheet.xls"}) {
        SCOPED_TRACE(name);
        QString error;
        const auto book = Workbook::open(Data + QLatin1String(name), &error);
        ASSERT_NE(book, nullptr) << error.toStdString();
        EXPECT_EQ(book->sheetCount(), 2);
        EXPECT_EQ(sheetTexts(*book, 1, 3, 1), (QStringList{"1.5", "3", "4.5"}));
        EXPECT_EQ(sheetTexts(*book, 2, 2, 2), (QStringList{"|", "|2.5"}));
    }
    const QString path = Data + QStringLiteral("chartsheet.xlsx");
    QuaZip zip(path);
    const QString rels = QStringLiteral("xl/_rels/workbook.xml.rels");
    ASSERT_TRUE(zip.open(QuaZip::mdUnzip) && zip.setCurrentFile(rels));
    QuaZipFile file(&zip);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray xml = file.readAll();
    const qsizetype chart = xml.indexOf("<Relationship Type=\"http://schemas.openxmlformats.org/"
                                        "officeDocument/2006/relationships/chartsheet\"");
    ASSERT_GE(chart, 0);
    xml.remove(chart, xml.indexOf("/>", chart) + 2 - chart);
    QString error;
    EXPECT_EQ(Workbook::fromBytes(rezipped(path, rels, xml), &error), nullptr);
    EXPECT_EQ(error, platform::DamagedWorkbook);
}

// A worksheet without a DIMENSION record is sized by FreeXL from its cells when it is the last;
// any other would have its table made in the last one's place, which would read empty: damage.
TEST(Spreadsheet, WorksheetWithoutDimensionBeforeTheLastIsDamage) {
    const QByteArray first = biffDimension(1, 1) + biffNumber(0, 0, 1.5);
    QString error;
    const auto book = Workbook::fromBytes(platform::sheets::plainCompoundFile(workbookStream(
                                              {{0, first}, {0, biffNumber(1, 1, 2.5)}})),
                                          &error);
    ASSERT_NE(book, nullptr) << error.toStdString();
    EXPECT_EQ(sheetTexts(*book, 2, 2, 2), (QStringList{"|", "|2.5"}));
    for (const QByteArray& empty : {QByteArray(), biffNumber(0, 0, 3)}) {
        EXPECT_EQ(Workbook::fromBytes(
                      platform::sheets::plainCompoundFile(workbookStream({{0, empty}, {0, first}})),
                      &error),
                  nullptr);
        EXPECT_EQ(error, platform::DamagedWorkbook);
    }
}

// What stands under a workbook's name but is no readable file is told for what it is: a folder
// or a named pipe is no workbook (and the pipe is not waited on), a file that may not be read is
// there all the same.
TEST(Spreadsheet, WhatIsNoReadableFileSaysWhy) {
    test::TempWorkspace ws;
    ws.mkdir(QStringLiteral("folder.xls"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(ws.file(QStringLiteral("pipe.xls"))).constData(), 0644),
              0);
    QString error;
    EXPECT_EQ(Workbook::open(ws.file(QStringLiteral("folder.xls")), &error), nullptr);
    EXPECT_EQ(error, platform::NotAWorkbook);
    EXPECT_EQ(Workbook::open(ws.file(QStringLiteral("pipe.xls")), &error), nullptr);
    EXPECT_EQ(error, platform::NotAWorkbook);
    // Found without regard to case, as the tree shows it.
    EXPECT_EQ(Workbook::open(ws.file(QStringLiteral("FOLDER.XLS")), &error), nullptr);
    EXPECT_EQ(error, platform::NotAWorkbook);

    ASSERT_TRUE(
        QFile::copy(Data + QStringLiteral("values.xls"), ws.file(QStringLiteral("locked.xls"))));
    ASSERT_EQ(::chmod(QFile::encodeName(ws.file(QStringLiteral("locked.xls"))).constData(), 0), 0);
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    EXPECT_EQ(Workbook::open(ws.file(QStringLiteral("locked.xls")), &error), nullptr);
    EXPECT_EQ(error, platform::WorkbookNotReadable);
    EXPECT_EQ(Workbook::open(ws.file(QStringLiteral("LOCKED.xls")), &error), nullptr);
    EXPECT_EQ(error, platform::WorkbookNotReadable);
}

// The kind of a workbook is told by its content: an .xlsx sent under an .xls name still reads,
// and so do the bytes of an .xls handed over without a file.
TEST(Spreadsheet, KindFromContent) {
    test::TempWorkspace ws;
    ASSERT_TRUE(
        QFile::copy(Data + QStringLiteral("values.xlsx"), ws.file(QStringLiteral("renamed.xls"))));
    auto book = Workbook::open(ws.file(QStringLiteral("renamed.xls")));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->sheet(1)->cellText(1, 2), QStringLiteral("0.1"));

    // An .xls named in another case is read under its name on disk.
    ASSERT_TRUE(
        QFile::copy(Data + QStringLiteral("values.xls"), ws.file(QStringLiteral("Spelt.xls"))));
    auto spelt = Workbook::open(ws.file(QStringLiteral("SPELT.XLS")));
    ASSERT_TRUE(spelt);
    EXPECT_EQ(spelt->sheet(1)->cellText(3, 2), QStringLiteral("0.3"));

    QFile xls(Data + QStringLiteral("values.xls"));
    ASSERT_TRUE(xls.open(QIODevice::ReadOnly));
    auto fromBytes = Workbook::fromBytes(xls.readAll());
    ASSERT_TRUE(fromBytes);
    EXPECT_EQ(fromBytes->sheet(1)->cellText(3, 2), QStringLiteral("0.3"));
}

// FreeXL parses the bytes the reader has taken, never the file again: an .xls given as bytes
// needs no temporary folder, and a workbook opened stays what was read when its file changes.
// FreeXL called by itself still reads the file it is named.
TEST(Spreadsheet, XlsIsParsedFromTheBytesRead) {
    QFile xls(Data + QStringLiteral("values.xls"));
    ASSERT_TRUE(xls.open(QIODevice::ReadOnly));
    const QByteArray bytes = xls.readAll();
    const bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/nonexistent/mirel");
    QString error;
    auto book = Workbook::fromBytes(bytes, &error);
    if (hadTmp)
        qputenv("TMPDIR", tmp);
    else
        qunsetenv("TMPDIR");
    ASSERT_TRUE(book) << error.toStdString();
    EXPECT_EQ(book->sheet(1)->cellText(3, 2), QStringLiteral("0.3"));
    EXPECT_EQ(book->sheet(1)->cellText(4, 2), QStringLiteral("42"));

    test::TempWorkspace ws;
    const QString path = ws.file(QStringLiteral("1101_410_2512.xls"));
    ASSERT_TRUE(QFile::copy(Data + QStringLiteral("values.xls"), path));
    auto opened = Workbook::open(path);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::copy(Data + QStringLiteral("notworkbook.xls"), path));
    EXPECT_EQ(opened->sheetCount(), 2);
    EXPECT_EQ(opened->sheet(2)->cellText(10, 1), QStringLiteral("10"));

    const void* handle = nullptr;
    ASSERT_EQ(
        freexl_open(QFile::encodeName(Data + QStringLiteral("values.xls")).constData(), &handle),
        FREEXL_OK);
    unsigned int sheets = 0;
    EXPECT_EQ(freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets), FREEXL_OK);
    EXPECT_EQ(sheets, 2u);
    freexl_close(handle);
}

TEST(Spreadsheet, A1References) {
    const struct {
        const char* text;
        bool ok;
        int row;
        int column;
    } cases[] = {
        {"A1", true, 0, 0},
        {"c12", true, 11, 2},
        {"$C$12", true, 11, 2},
        {"AA3", true, 2, 26},
        {"XFD1048576", true, 1048575, 16383},
        {"XFE1", false, 0, 0},
        {"A1048577", false, 0, 0},
        {"A0", false, 0, 0},
        {"", false, 0, 0},
        {"12", false, 0, 0},
        {"C", false, 0, 0},
        {"C12 ", false, 0, 0},
        {"C1:C2", false, 0, 0},
        {"Ж5", false, 0, 0},
        {"ABCD1", false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        platform::CellPos pos;
        EXPECT_EQ(platform::parseA1(QString::fromUtf8(c.text), pos), c.ok);
        if (c.ok) {
            EXPECT_EQ(pos.row, c.row);
            EXPECT_EQ(pos.column, c.column);
        }
    }
}

TEST(Spreadsheet, DatesAsTheOfficeWritesThem) {
    EXPECT_EQ(platform::serialDateText(38508, false), QStringLiteral("05.06.2005"));
    EXPECT_EQ(platform::serialDateText(38508.4375, false), QStringLiteral("05.06.2005 10:30:00"));
    EXPECT_EQ(platform::serialDateText(0.5, false), QStringLiteral("12:00:00"));
    EXPECT_EQ(platform::serialDateText(59, false), QStringLiteral("28.02.1900"));
    EXPECT_EQ(platform::serialDateText(61, false), QStringLiteral("01.03.1900"));
    EXPECT_EQ(platform::serialDateText(0, true), QStringLiteral("01.01.1904"));

    // Dates of the zipped formats are read as written, whatever the local clock did at that
    // hour (in Moscow 02:30 on 27.03.2005 did not exist: the clocks went from 2:00 to 3:00).
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Moscow");
    tzset();
    EXPECT_EQ(platform::isoDateText("2005-03-27T02:30:00"), "27.03.2005 2:30:00");
    EXPECT_EQ(platform::isoDateText("2005-03-27T02:30:00.250"), "27.03.2005 2:30:00");
    EXPECT_EQ(platform::isoDateText("2005-03-27"), "27.03.2005");
    EXPECT_EQ(platform::isoDateText("1899-12-30T10:00:00"), "10:00:00");
    EXPECT_EQ(platform::isoDateText("2005-03-27 02:30"), "");
    EXPECT_EQ(platform::isoDateText("27.03.2005"), "");
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}
