#pragma once

#include "core/picture/RgbPicture.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <optional>

// Reads the JPEG file and returns the picture upright (as its EXIF orientation says) at its shown
// size, sampling the nearest pixel: only the sampled rows and columns are kept, so the memory
// needed stays a few scanlines whatever the photo's size. Grayscale, CMYK and YCCK pictures come
// out in colour. Throws Failure: "JPEG error #<code>" for anything libjpeg refuses, its own
// messages for a file that cannot be opened or a picture too large to read.
RgbPicture importJpegFile(const QString& path);

// The same for a JPEG held in memory, such as the picture a passport file carries.
RgbPicture importJpegBytes(const QByteArray& jpeg);

// A JPEG as stored, not turned, and the EXIF orientation it carries (1 when none): what a passport
// file holds, decoded by the same decoder as an import. A picture within the box keeps every pixel.
struct StoredJpeg
{
    RgbPicture picture;
    int orientation = 1;
};
StoredJpeg decodeStoredJpeg(const QByteArray& jpeg);

// The verdict of decodeStoredJpeg without the pixels: the same refusals, and the EXIF orientation
// the JPEG carries. Only the entropy-coded data is decoded, no inverse transform or colour
// conversion, but the output is planned as for a full decode, so a picture whose colours or
// sampling the decoder cannot convert is refused here too. A single-scan picture is read up to the
// end of its scan, as the full decode reads it, never into what follows. For pictures within the
// picture box, as a passport holds them: the coefficients of a far larger one may not fit in memory.
int checkStoredJpeg(const QByteArray& jpeg);

// The width and height a JPEG's frame header gives, as stored (before any EXIF turn); nothing when
// libjpeg does not take the bytes for a JPEG.
std::optional<QSize> jpegStoredSize(const QByteArray& jpeg);

// Pictures beyond this many pixels are refused: a header can claim 65500 x 65500 in a few bytes.
constexpr long long kMaxPicturePixels = 1'000'000'000;
// Up to this many pixels every pixel is decoded, so the stretch samples the nearest pixel as the
// rule asks (a 108 MP phone photo is ordinary); larger pictures are decoded at a reduced size by
// libjpeg's own scaling, which averages but keeps an absurd picture from taking minutes.
constexpr long long kExactDecodePixels = 200'000'000;
// Progressive and other multi-scan pictures keep all their coefficients in memory while they are
// read, two bytes for every sample: up to this many pixels they are read, beyond it refused.
constexpr long long kMaxMultiScanPixels = 200'000'000;
// The coefficients of the largest multi-scan picture read, four components at full resolution
// (CMYK), with room for the blocks' rounding: about 1.2 GiB for a 200 MP colour photo, 1.5 GiB
// for CMYK, held while it is read and freed at once.
constexpr long long kMaxCoefficientBytes = kMaxMultiScanPixels * 4 * 2 + (64LL << 20);

// Throws the Failure that says why a picture of this size and kind is not read, if it is not.
void checkImportable(long long width, long long height, bool multiScan, long long coefficientBytes);

// The libjpeg reduction (1, 2, 4 or 8) a picture is decoded at, for the size it is shown at.
unsigned decodeReduction(long long width, long long height, int shownWidth, int shownHeight);
