#include "core/picture/ExifOrientation.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;

class TiffReader
{
public:
    TiffReader(const unsigned char* data, std::size_t length, bool littleEndian)
        : m_data(data), m_length(length), m_little(littleEndian)
    {}

    bool fits(std::size_t offset, std::size_t size) const { return offset <= m_length && size <= m_length - offset; }

    std::uint32_t u16(std::size_t offset) const
    {
        const unsigned char* p = m_data + offset;
        return m_little ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
    }

    std::uint32_t u32(std::size_t offset) const
    {
        const unsigned char* p = m_data + offset;
        return m_little ? p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24
                        : std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    }

private:
    const unsigned char* m_data;
    std::size_t m_length;
    bool m_little;
};

} // namespace

int exifOrientation(const unsigned char* payload, std::size_t length)
{
    static const unsigned char kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (length < sizeof kExif + 8 || std::memcmp(payload, kExif, sizeof kExif) != 0)
        return 1;
    const unsigned char* tiff = payload + sizeof kExif;
    const std::size_t tiffLength = length - sizeof kExif;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return 1;
    const TiffReader reader(tiff, tiffLength, little);
    if (reader.u16(2) != 42)
        return 1;

    const std::size_t directory = reader.u32(4);
    if (!reader.fits(directory, 2))
        return 1;
    const std::size_t entries = reader.u16(directory);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (!reader.fits(entry, 12))
            return 1;
        if (reader.u16(entry) != kOrientationTag)
            continue;
        std::uint32_t value = 0;
        if (reader.u16(entry + 2) == kTypeShort)
            value = reader.u16(entry + 8);
        else if (reader.u16(entry + 2) == kTypeLong)
            value = reader.u32(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

bool orientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

RgbPicture turnUpright(const RgbPicture& stored, int orientation)
{
    if (orientation < 2 || orientation > 8)
        return stored;
    const int w = stored.width;
    const int h = stored.height;
    const bool swap = orientationSwapsSides(orientation);
    RgbPicture upright(swap ? h : w, swap ? w : h);
    for (int y = 0; y < upright.height; ++y) {
        unsigned char* out = upright.row(y);
        for (int x = 0; x < upright.width; ++x, out += 3) {
            int sx = x;
            int sy = y;
            switch (orientation) {
            case 2:
                sx = w - 1 - x;
                break;
            case 3:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            case 4:
                sy = h - 1 - y;
                break;
            case 5:
                sx = y;
                sy = x;
                break;
            case 6:
                sx = y;
                sy = h - 1 - x;
                break;
            case 7:
                sx = w - 1 - y;
                sy = h - 1 - x;
                break;
            case 8:
                sx = w - 1 - y;
                sy = x;
                break;
            }
            std::memcpy(out, stored.row(sy) + 3 * sx, 3);
        }
    }
    return upright;
}
