// Feeds random text to the reader of the code replacement list CORR_COD.TXT; any crash,
// sanitizer report or broken contract stops the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "aggregate/corrcod.h"
#include "platform/prompt.h"

using namespace mirel;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

class SilentPrompt : public platform::Prompt {
public:
    void message(const QString&, platform::Icon, const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
    bool askOkCancel(const QString&, const QString&) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

bool allDigits(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).toUpper();
    SilentPrompt prompt;
    QStringList oldCodes, newCodes;
    const int status = aggregate::parseCodeList(text.split(QLatin1Char('\n')), "CORR_COD.TXT",
                                                oldCodes, newCodes, prompt);
    check(oldCodes.size() == newCodes.size());
    if (status == 0) {
        check(!oldCodes.isEmpty());
        for (qsizetype i = 0; i < oldCodes.size(); ++i) {
            check(allDigits(oldCodes.at(i)) && allDigits(newCodes.at(i)));
            check(oldCodes.indexOf(oldCodes.at(i)) == i);
        }
    } else {
        check(oldCodes.isEmpty());
    }
    return 0;
}
