#pragma once

#include "core/picture/RgbPicture.h"

#include <cstddef>

// The EXIF orientation (1 to 8) in the payload of an APP1 marker, or 1 when the payload is not
// EXIF, carries no orientation or is malformed.
int exifOrientation(const unsigned char* payload, std::size_t length);

// Width and height swap for the orientations that turn the picture on its side.
bool orientationSwapsSides(int orientation);

// The picture turned as its orientation says, so that it stands upright.
RgbPicture turnUpright(const RgbPicture& stored, int orientation);
