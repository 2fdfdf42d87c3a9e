// The decoder never writes past 3 * floor(L / 4) bytes and returns -1 or a count within them;
// the encoder fills exactly the room it asks for, and its text decodes back to the input.

#include "FuzzCheck.h"
#include "core/picture/Base64.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    const int length = static_cast<int>(size);

    const int room = 3 * (length / 4);
    auto decoded = std::make_unique<unsigned char[]>(static_cast<std::size_t>(room) + 1);
    const int result = Base64Decode(reinterpret_cast<const char*>(data), length, decoded.get());
    FUZZ_CHECK(result == -1 || (result >= 0 && result <= room));

    const int groupsPerLine = size > 0 ? static_cast<int>(data[0] % 24) - 2 : 19;
    const int capacity = Base64EncodedCapacity(length, groupsPerLine);
    auto text = std::make_unique<char[]>(static_cast<std::size_t>(capacity) + 1);
    const int written = Base64Encode(data, length, groupsPerLine, text.get());
    FUZZ_CHECK(written == capacity);

    auto back = std::make_unique<unsigned char[]>(3 * static_cast<std::size_t>(written / 4) + 1);
    const int restored = Base64Decode(text.get(), written, back.get());
    FUZZ_CHECK(restored == length);
    FUZZ_CHECK(length == 0 || std::memcmp(back.get(), data, size) == 0);
    return 0;
}
