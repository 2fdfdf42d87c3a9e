#pragma once

#include "core/picture/RgbPicture.h"

#include <QByteArray>

// The fixed settings of the picture the passport carries.
constexpr int kPreviewJpegQuality = 90;

// The picture as a baseline (sequential, Huffman-coded) colour JPEG of the fixed quality.
// Throws Failure ("JPEG error #<code>") when libjpeg refuses.
QByteArray encodePreviewJpeg(const RgbPicture& picture);
