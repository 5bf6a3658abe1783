// Feeds random bytes to the readers of summation: a section data file as summation reads it
// (then adds it to itself and writes it), and the text of a summation file with the order of
// its groups. Any crash, sanitizer report or broken contract stops the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <QByteArray>
#include <QString>

#include "aggregate/summgroups.h"
#include "aggregate/summmatrix.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    aggregate::SummMatrix plain, texted;
    const aggregate::ReadStatus status = aggregate::parseSection(bytes, plain, false);
    check(aggregate::parseSection(bytes, texted, true) == status);
    if (status == aggregate::ReadStatus::Ok) {
        check(plain.rows >= 1 && plain.columns >= 0);
        check(qint64(plain.values.size()) == qint64(plain.rows) * plain.columns);
        check(plain.values == texted.values);
        // A matrix written as a summary reads back with its shape and texts.
        aggregate::SummMatrix sum = texted;
        check(aggregate::addInto(sum, texted, aggregate::Fit::SumShape));
        const QByteArray one =
            aggregate::summaryFileBytes("PR_? ", "! 0000 101 01 25 12 1", texted);
        aggregate::SummMatrix again;
        if (plain.columns > 0) {
            check(aggregate::parseSection(one, again, true) == aggregate::ReadStatus::Ok);
            check(again.rows == texted.rows && again.columns == texted.columns);
        }
        aggregate::summaryFileBytes("PR_?", "! 0000 101 01 25 12 1", sum);
    }
    SilentPrompt prompt;
    aggregate::SummGroups groups;
    if (aggregate::parseSummGroups(QString::fromUtf8(bytes), "F", groups, prompt) == 0) {
        const QList<int> order =
            aggregate::summationOrder(groups, aggregate::reverseWalk(groups), prompt);
        check(order.isEmpty() || order.size() == groups.size());
    }
    return 0;
}
