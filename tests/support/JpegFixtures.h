#pragma once

#include "support/Files.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>

// Small JPEG files made in the test itself with libjpeg, and a plain reader to check results.

struct JpegOptions
{
    enum class Colour
    {
        YCbCr, // the usual photo
        Rgb,   // three components stored as RGB (Adobe marker)
        Grayscale,
        Cmyk, // Adobe CMYK, stored inverted as Photoshop does
        Ycck, // Adobe YCCK, likewise inverted
    };

    Colour colour = Colour::YCbCr;
    bool progressive = false;
    bool arithmetic = false;
    int quality = 95;
    int hSampling = 1; // of the first component; 2, 2 is 4:2:0
    int vSampling = 1;
    int exifOrientation = 0; // 0: no EXIF marker
    bool exifBigEndian = false;
};

QByteArray makeJpeg(const QImage& image, const JpegOptions& options = {});

// Rewrites the frame header's height and width: a header that claims another size.
QByteArray withClaimedSize(QByteArray jpeg, int width, int height);

// Three codes of one bit cannot be: the first Huffman table made impossible, which libjpeg refuses only
// when decoding starts.
QByteArray withImpossibleHuffmanTable(QByteArray jpeg);

// Smooth light, texture and noise, as a photo has; the same for the same arguments.
QImage photoLike(int width, int height, unsigned seed = 1);

// Four flat quarters: red top left, green top right, blue bottom left, white bottom right.
QImage quarters(int width, int height);
const QColor kQuarterColours[4] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(30, 40, 210),
                                   QColor(250, 250, 250)};

// What a plain full decode finds.
struct DecodedJpeg
{
    QImage image;         // RGB888
    int startOfFrame = 0; // 0xC0 baseline, 0xC1 extended, 0xC2 progressive, ...
    int components = 0;
    int colourSpace = 0;               // J_COLOR_SPACE
    QVector<QVector<int>> quantTables; // in the file's order, natural order of coefficients
};

DecodedJpeg decodeJpeg(const QByteArray& jpeg);

// libjpeg's own tables for a quality, as the encoder would put them into a file.
QVector<QVector<int>> standardQuantTables(int quality);

bool nearColour(const QColor& a, const QColor& b, int tolerance);
