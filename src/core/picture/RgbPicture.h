#pragma once

#include <vector>

// A picture as rows of packed 8-bit red, green, blue samples, top row first.
struct RgbPicture
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;

    RgbPicture() = default;
    RgbPicture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3) {}

    unsigned char* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width * 3; }
    const unsigned char* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width * 3; }
};
