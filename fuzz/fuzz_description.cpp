// Feeds random bytes as the description file of form 210: its periodicity and its name.
// Seeds: FORM/*/???_????.TXT
#include "fuzzsupport.h"

#include "reference/catalog.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::QuietPrompt prompt;
    const QString relative = QStringLiteral("FORM/2024_01.210/210_2401.TXT");
    const QString path = fuzz::putFile(relative, data, size);
    bool found = false;
    reference::formPeriodicity(path, found, prompt);
    reference::VVOD_Name_Form(fuzz::demo() + QStringLiteral("/FORM"), QStringLiteral("210"),
                              QStringLiteral("202401"), 12, prompt);
    fuzz::restoreFile(relative);
    return 0;
}
