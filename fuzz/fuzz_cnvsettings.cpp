// Feeds random text to the reader of conversion settings; blocks, lines and references must
// keep their contract whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "exchange/cnvsettings.h"
#include "platform/codec.h"
#include "platform/fileio.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        platform::decode1251(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    const exchange::CnvFile blocks = exchange::F_A_Cnv(platform::splitFileLines(text));
    if (!blocks.isEmpty() && blocks.last().isEmpty()) std::abort();
    for (const exchange::CnvBlock& block : blocks)
        for (const exchange::CnvLine& line : block) {
            if (line.isEmpty()) std::abort();
            for (const QString& reference : line)
                if (reference.contains(QLatin1Char(' '))) std::abort();
        }
    return 0;
}
