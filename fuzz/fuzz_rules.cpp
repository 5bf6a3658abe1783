// Feeds random bytes as the rule file of section 1 of form 210 and runs the logical control on
// the stored section of region 1102 for December 2025, in the single-section and the
// whole-form mode.
// Seeds: FORM/*/*.LOG
#include "fuzzsupport.h"

#include "control/logcontrol.h"
#include "control/target.h"
#include "data/sectionfile.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::QuietPrompt prompt;
    const QString path = fuzz::putFile(QStringLiteral("fuzz/210_2401.01.LOG"), data, size);
    const control::ControlTarget target{fuzz::demo() + QStringLiteral("/DAT"),
                                        fuzz::demo() + QStringLiteral("/FORM"),
                                        QStringLiteral("210"),
                                        1,
                                        QStringLiteral("2025"),
                                        QStringLiteral("12"),
                                        QStringLiteral("1102")};
    static const data::SectionMatrix stored = [&] {
        data::SectionMatrix m;
        fuzz::QuietPrompt quiet;
        data::A_DD_Read(target.dataKey().path(1), m, quiet);
        return m;
    }();
    const control::MatrixCells cells(stored);
    const bool wholeForm = size % 2 == 1;
    const control::ControlRun run = control::Log_RR(path, target, cells, wholeForm, prompt);
    for (const control::MissingSection& m : run.missing)
        control::incompleteEntry(m);
    return 0;
}
