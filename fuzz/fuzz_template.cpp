// Feeds random bytes as a query template: the page of a small table in every layout, and the
// parts a batch page takes from it.
// Seeds: ЗАПРОСЫ/*/*.HTM
#include "fuzzsupport.h"

#include "platform/codec.h"
#include "query/output.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString templ =
        platform::decode1251(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    query::Table table;
    table.columns = 2;
    table.matrix = {
        {QStringLiteral("Север"), QStringLiteral("1101"), QStringLiteral("5"),
         QStringLiteral("***")},
        {QStringLiteral("Юг"), QStringLiteral("1102"), QStringLiteral("-1.5"), QString()},
        {QStringLiteral("Запад"), QStringLiteral("1103"), QStringLiteral("0"),
         QStringLiteral("7")}};
    const query::PageTexts texts{QStringLiteral("Север"), QStringLiteral("декабрь 2025"),
                                 QStringLiteral("2025"), QStringLiteral("12")};
    for (const char* layout : {"", "MULTY_X", "MULTY_REG X", "MULTY_REG Y"}) {
        table.layout = QString::fromLatin1(layout);
        table.blockRows = table.layout == QLatin1String("MULTY_REG Y") ? 3 : 0;
        query::templatePage(templ, table, texts);
    }
    QString part;
    query::pageBody(templ, part);
    query::pageHead(templ, part);
    return 0;
}
