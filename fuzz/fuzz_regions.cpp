// Feeds random bytes as a region classifier and as a summation file: the classifier is loaded,
// looked up, and the summation file read against it.
// Seeds: SHIF/*
#include "fuzzsupport.h"

#include "reference/regions.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::QuietPrompt prompt;
    const QString dir = fuzz::demo() + QStringLiteral("/fuzz");
    fuzz::putFile(QStringLiteral("fuzz/FUZZ.TXT"), data, size);
    reference::Regions regions;
    reference::Load_Regions(regions, dir, QStringLiteral("FUZZ.TXT"), prompt);
    for (const auto& r : regions)
        if (r) {
            fuzz::check(reference::In_A_Reg(regions, r->code), "a loaded region is not found");
            reference::regionName(regions, r->code);
        }
    // The same bytes as a summation file, against the demo classifier and against itself.
    reference::Regions demo;
    reference::Load_Regions(demo, fuzz::demo() + QStringLiteral("/SHIF"), QString(), prompt);
    const reference::SummFile blocks =
        reference::readSummFile(dir + QStringLiteral("/FUZZ.TXT"), prompt);
    for (const reference::SummBlock& b : blocks)
        reference::VVOD_Sign_Summ(blocks, b.code);
    reference::SummList list;
    reference::VVOD_A_Summ(list, dir + QStringLiteral("/FUZZ.TXT"), demo, prompt);
    reference::VVOD_A_Summ(list, dir + QStringLiteral("/FUZZ.TXT"), regions, prompt);
    return 0;
}
