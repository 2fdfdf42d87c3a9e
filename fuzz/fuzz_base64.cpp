// Any bytes: the decoder gives nothing or at most 3 * floor(L / 4) bytes; the encoder's text has its
// line layout and decodes back to the input.

#include "FuzzCheck.h"
#include "core/picture/Base64.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const std::optional<QByteArray> decoded = Base64Decode(input);
    FUZZ_CHECK(!decoded || decoded->size() <= 3 * (input.size() / 4));

    const int groupsPerLine = size > 0 ? static_cast<int>(data[0] % 24) - 2 : 19;
    const QByteArray text = Base64Encode(input, groupsPerLine);
    const qsizetype lineFeeds = groupsPerLine > 0 ? input.size() / (3 * groupsPerLine) : 0;
    FUZZ_CHECK(text.size() == 4 * ((input.size() + 2) / 3) + lineFeeds);
    FUZZ_CHECK(text.count('\n') == lineFeeds);
    FUZZ_CHECK(Base64Decode(text) == input);
    return 0;
}
