// Feeds random bytes to the query engine's reading of section data files: every lookup must
// give what the plain rule gives (the line that begins with the identifier and a blank, not the
// first line; else the first data line whose first field has the identifier's value; then the
// field of the column), small files and indexed ones alike.
// Seeds: DAT/*/*.0?
#include "fuzzsupport.h"

#include "query/datacache.h"

#include <cstddef>
#include <cstdint>
#include <QStringList>

#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/codec.h"

using namespace mirel;

namespace {

QString plainValue(const QString& text, const QString& row, int column) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    int found = -1;
    for (int l = 1; l < lines.size() && found < 0; ++l)
        if (lines.at(l).startsWith(row + QLatin1Char(' '))) found = l;
    for (int l = 0; l < lines.size() && found < 0; ++l) {
        const QString& line = lines.at(l);
        if (line.isEmpty() || !core::isDigit(line.at(0))) continue;
        const QString first = line.section(QLatin1Char(' '), 0, 0);
        bool digits = true;
        double v = 0;
        for (QChar c : first) {
            if (!core::isDigit(c)) digits = false;
            v = v * 10 + (c.unicode() - '0');
        }
        if ((digits ? v : core::Val(first)) == core::Val(row)) found = l;
    }
    if (found < 0 || column < 1) return QStringLiteral("0");
    return lines.at(found).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(column, "0");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const query::DataFile file(bytes);
    const QString prepared =
        platform::decode1251(data::memoBytes(bytes).toByteArray()) + QStringLiteral("\r\n");
    QStringList rows{QStringLiteral("1"),     QStringLiteral("2"),   QStringLiteral("03"),
                     QStringLiteral("ИТОГО"), QStringLiteral("1 2"), QString()};
    // Identifiers taken from the data too: the first field of a few lines.
    const QStringList lines = prepared.split(QLatin1Char('\n'));
    for (int l = 0; l < lines.size() && l < 6; ++l)
        rows.append(lines.at(l).section(QLatin1Char(' '), 0, 0));
    for (const QString& row : rows)
        for (int column = 0; column < 4; ++column)
            fuzz::check(file.value(row, column) == plainValue(prepared, row, column),
                        "a value differs from the plain rule");
    return 0;
}
