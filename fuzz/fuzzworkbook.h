#pragma once

// Feeds random workbooks to the spreadsheet readers. FUZZ_KIND, defined by the target that
// includes this file, chooses the reader: 1 .xls (the input is the file; fuzz_xls.cpp), 2 .xlsx
// (the input is worksheet 1 of a fixed workbook; fuzz_xlsx.cpp), 3 .ods (the input is
// content.xml of a fixed document; fuzz_ods.cpp), 4 .xls (the input is the workbook stream of
// a plain compound file; fuzz_xlsstream.cpp). Every cell a reference can name must read
// without a crash, whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <QBuffer>
#include <quazip.h>
#include <quazipfile.h>

#include "platform/spreadsheet.h"
#include "platform/spreadsheet_p.h"

using namespace mirel::platform;

namespace {

#if FUZZ_KIND == 2 || FUZZ_KIND == 3
QByteArray zipOf(const QList<std::pair<QString, QByteArray>>& parts) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate)) return {};
    for (const auto& [name, data] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name))) return {};
        file.write(data);
        file.close();
    }
    zip.close();
    return bytes;
}
#endif

QByteArray wrap(const QByteArray& input) {
#if FUZZ_KIND == 2
    return zipOf({
        {"xl/workbook.xml",
         R"(<workbook xmlns:r="urn:r"><workbookPr date1904="0"/><sheets><sheet name="a" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="x/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId3" Type="x/styles" Target="styles.xml"/></Relationships>)"},
        {"xl/sharedStrings.xml",
         R"(<sst><si><t>a</t></si><si><r><t>b</t></r><rPh><t>c</t></rPh></si></sst>)"},
        {"xl/styles.xml",
         R"(<styleSheet><numFmts><numFmt numFmtId="164" formatCode="dd/mm/yy;@"/></numFmts><cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/></cellXfs></styleSheet>)"},
        {"xl/worksheets/sheet1.xml", input},
    });
#elif FUZZ_KIND == 4
    return sheets::plainCompoundFile(input);
#elif FUZZ_KIND == 3
    return zipOf(
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", input}});
#else
    return input;
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const std::unique_ptr<Workbook> book = Workbook::fromBytes(wrap(input));
    if (!book) return 0;
    for (int n = 0; n <= book->sheetCount() + 1 && n < 50; ++n) {
        const Worksheet* sheet = book->sheet(n);
        if (!sheet) continue;
        QString text;
        for (const char* ref : {"A1", "B2", "C3", "$D$4", "AA10", "XFD1048576"})
            sheet->cell(QLatin1String(ref), text);
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c)
                sheet->cellText(r, c);
    }
    return 0;
}
