// Feeds random text to the transfer-file reader: every matrix it takes must come with a header
// whose fields fit their places, and a body that the section data file can hold as it is.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/text.h"
#include "exchange/transferimport.h"
#include "platform/codec.h"

using namespace mirel;

namespace {

void checkAt(bool ok, int line) {
    if (!ok) {
        std::fprintf(stderr, "check failed at line %d\n", line);
        std::abort();
    }
}

bool digits(const QString& text, int size) {
    return text.size() == size && core::Is_All_Digits(text);
}

#define check(ok) checkAt((ok), __LINE__)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        platform::decode1251(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    exchange::TransferReader reader(text);
    exchange::TransferMatrix m;
    int taken = 0;
    while (reader.next(m)) {
        ++taken;
        check(!m.header.isEmpty() && core::isDigit(m.header.at(0)));
        check(!m.body.contains(QLatin1Char('\t')) && !m.body.contains(QLatin1String("  ")));
        if (!m.body.isEmpty()) {
            check(m.body.endsWith(QLatin1String("\r\n")));
            const QStringList lines = m.body.chopped(2).split(QLatin1String("\r\n"));
            check(!core::Trim(lines.last()).isEmpty());
            check(!core::Trim(lines.last()).startsWith(QLatin1String("PR_")));
            for (const QString& line : lines)
                check(!line.contains(QLatin1Char('\n')));
        }
        if (m.problem != exchange::HeaderProblem::None) continue;
        check(digits(m.fff, 3) && digits(m.rr, 2) && digits(m.yy, 2) && digits(m.mm, 2));
        check(!m.cod.isEmpty() && core::Is_All_Digits(m.cod));
        check(m.cod == QLatin1String("0") || m.cod.at(0) != QLatin1Char('0'));
        check(m.content().startsWith(QStringLiteral("PR_?\r\n! 0000 ") + m.fff + QLatin1Char(' ') +
                                     m.rr + QLatin1Char(' ') + m.yy + QLatin1Char(' ') + m.mm +
                                     QLatin1Char(' ') + m.cod + QLatin1String("\r\n")));
    }
    check(taken == reader.count());
    return 0;
}
