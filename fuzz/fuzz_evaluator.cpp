// Feeds random text to the expression evaluator and the number texts; any crash, sanitizer
// report or broken contract stops the run.
#include "platform/evaluator.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <QString>
#include <string>

using namespace mirel::platform;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkResult(const EvalResult& r) {
    if (r.ok) {
        check(std::isfinite(r.value));
        check(r.errorNumber == 0 && r.errorDescription.isEmpty());
        check(!r.isBoolean || r.value == -1.0 || r.value == 0.0);
        const QString text = r.text();
        check(!text.isEmpty());
        if (!r.isBoolean) {
            check(!formatNumber(r.value, 2).isEmpty());
            // The number text reads back as the same number to 15 digits (tiny values read
            // as 0, and the 15 digits of the largest ones exceed the range).
            if (std::fabs(r.value) > 1e-290 && std::fabs(r.value) < 1e308) {
                const EvalResult again = evaluate(text);
                check(again.ok && again.text() == text);
            }
        }
    } else {
        check(r.errorNumber != 0 && !r.errorDescription.isEmpty() && r.text().isEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    const QString text = QString::fromUtf8(chars, qsizetype(size));
    checkResult(evaluate(text));
    // The same bytes as UTF-16 units, lone surrogates and all.
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    checkResult(evaluate(QStringView(units)));
    formatNumber(text, size ? data[0] % 24 - 2 : 2);
    return 0;
}
