#include "core/picture/ShownSize.h"

#include <algorithm>

PictureSize shownPictureSize(int width, int height)
{
    if (width <= kPictureBox && height <= kPictureBox)
        return {width, height};
    const long long longer = std::max(width, height);
    const auto scaled = [longer](long long side) {
        return static_cast<int>((side * kPictureBox + longer - 1) / longer);
    };
    return {scaled(width), scaled(height)};
}
