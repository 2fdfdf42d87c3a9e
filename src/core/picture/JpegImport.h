#pragma once

#include "core/picture/RgbPicture.h"

#include <QByteArray>
#include <QString>

// Reads the JPEG file and returns the picture upright (as its EXIF orientation says) at its shown
// size, sampling the nearest pixel: only the sampled rows and columns are kept, so the memory
// needed stays a few scanlines whatever the photo's size. Grayscale, CMYK and YCCK pictures come
// out in colour. Throws Failure: "JPEG error #<code>" for anything libjpeg refuses, its own
// messages for a file that cannot be opened or a picture too large to read.
RgbPicture importJpegFile(const QString& path);

// The same for a JPEG held in memory, such as the picture a passport file carries.
RgbPicture importJpegBytes(const QByteArray& jpeg);

// Pictures beyond this many pixels are refused: a header can claim 65500 x 65500 in a few bytes.
constexpr long long kMaxPicturePixels = 1'000'000'000;
// Up to this many pixels every pixel is decoded; larger pictures are decoded at a reduced size
// by libjpeg's own scaling, which keeps an absurd picture from taking minutes.
constexpr long long kExactDecodePixels = 100'000'000;
// Progressive and other multi-scan pictures keep all their coefficients in memory while they
// are read; beyond this many bytes of them the picture is refused.
constexpr long long kMaxCoefficientBytes = 256LL << 20;
