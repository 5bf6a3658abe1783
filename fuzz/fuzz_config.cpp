// Feeds random bytes as MIREL_WIN.INI to the configuration readers: the sections, the key
// lines, the period lines of the period dialog, the preamble period and the summation files.
// Seeds: MIREL_WIN.INI
#include "fuzzsupport.h"

#include <QDate>

#include "core/config.h"
#include "core/periods.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::QuietPrompt prompt;
    const QString path = fuzz::putFile(QStringLiteral("fuzz/MIREL_WIN.INI"), data, size);
    const core::IniSections cnf = core::Read_Ini_Sections(path, prompt);
    for (const core::IniSection& s : cnf)
        fuzz::check(!s.lines.isEmpty(), "a section without its line list");
    for (const char* key : {"YYYY", "MM", "SHIF", "MAIL", "SUM"})
        core::Ini_Line(cnf, QString::fromLatin1(key));
    core::hasIniEntry(cnf, QStringLiteral("IE"));
    QStringList lines;
    core::Ini_Section_Lines(cnf, QStringLiteral("IMPORT"), lines);
    QStringList summ{QStringLiteral(" ")};
    core::Summ_Files(cnf, summ, fuzz::demo() + QStringLiteral("/SHIF"), prompt);
    fuzz::check(!summ.isEmpty(), "the summation list lost its single blank");
    core::periodFromPreamble(cnf, {QStringLiteral("2025"), QStringLiteral("12")},
                             QDate(2025, 1, 15));
    const core::PeriodLines period = core::readPeriodLines(path, prompt);
    if (period.found) core::periodCode(period.year, period.month);
    return 0;
}
