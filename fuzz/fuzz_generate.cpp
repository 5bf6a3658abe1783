// Feeds random bytes as the description of section 1 of form 130 and generates the template
// queries of the demo's generating query from it; what was written is removed again.
// Seeds: FORM/*/*.0?.TXT
#include "fuzzsupport.h"

#include <QDate>
#include <QFile>

#include "query/output.h"
#include "query/queryfile.h"
#include "reference/session.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static reference::Session session = [] {
        reference::Session s;
        s.programDir = fuzz::demo();
        fuzz::QuietPrompt quiet;
        fuzz::check(reference::F_Global(s, QDate(2026, 1, 15), quiet) == 0,
                    "the demo workspace does not start");
        return s;
    }();
    fuzz::QuietPrompt prompt;
    const QString relative = QStringLiteral("FORM/2024_01.130/130_2401.01.TXT");
    fuzz::putFile(relative, data, size);
    QStringList written;
    query::generateTemplateQueries(fuzz::demo() +
                                       QStringLiteral("/ЗАПРОСЫ/Безработица/130_2401.01.PSP"),
                                   session, prompt, written);
    for (const QString& path : written) {
        fuzz::check(!QFile::exists(path) || path.endsWith(QLatin1String(".PSP")),
                    "a generated query not named .PSP");
        QFile::remove(path);
        QFile::remove(query::templatePath(path));
    }
    fuzz::restoreFile(relative);
    return 0;
}
