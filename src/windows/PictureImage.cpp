#include "windows/PictureImage.h"

#include <cstring>

QImage toImage(const RgbPicture& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.row(y), static_cast<std::size_t>(picture.width) * 3);
    return image.convertToFormat(QImage::Format_RGB32);
}
