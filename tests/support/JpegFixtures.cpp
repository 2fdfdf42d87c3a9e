#include "JpegFixtures.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace {

QByteArray exifPayload(int orientation, bool bigEndian)
{
    QByteArray tiff;
    const auto u16 = [&](int v) {
        if (bigEndian)
            tiff.append(char(v >> 8)).append(char(v));
        else
            tiff.append(char(v)).append(char(v >> 8));
    };
    const auto u32 = [&](quint32 v) {
        if (bigEndian) {
            u16(int(v >> 16));
            u16(int(v & 0xFFFF));
        } else {
            u16(int(v & 0xFFFF));
            u16(int(v >> 16));
        }
    };
    tiff.append(bigEndian ? "MM" : "II");
    u16(42);
    u32(8);
    // Two entries: the camera's make first, as cameras write it, then the orientation.
    u16(2);
    u16(0x010F);
    u16(2);
    u32(4);
    tiff.append("Cam", 4);
    u16(0x0112);
    u16(3);
    u32(1);
    u16(orientation);
    u16(0);
    u32(0);
    return QByteArray("Exif\0\0", 6) + tiff;
}

} // namespace

QByteArray makeJpeg(const QImage& source, const JpegOptions& options)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());

    using Colour = JpegOptions::Colour;
    switch (options.colour) {
    case Colour::YCbCr:
    case Colour::Rgb:
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        break;
    case Colour::Grayscale:
        info.input_components = 1;
        info.in_color_space = JCS_GRAYSCALE;
        break;
    case Colour::Cmyk:
    case Colour::Ycck:
        info.input_components = 4;
        info.in_color_space = JCS_CMYK;
        break;
    }
    jpeg_set_defaults(&info);
    if (options.colour == Colour::Rgb)
        jpeg_set_colorspace(&info, JCS_RGB);
    if (options.colour == Colour::Ycck)
        jpeg_set_colorspace(&info, JCS_YCCK);
    jpeg_set_quality(&info, options.quality, TRUE);
    const bool single = options.colour == Colour::Grayscale;
    info.comp_info[0].h_samp_factor = single ? 1 : options.hSampling;
    info.comp_info[0].v_samp_factor = single ? 1 : options.vSampling;
    for (int c = 1; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    if (options.colour == Colour::Cmyk || options.colour == Colour::Ycck) {
        // K at full resolution, like the first component.
        info.comp_info[3].h_samp_factor = options.hSampling;
        info.comp_info[3].v_samp_factor = options.vSampling;
    }
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (options.exifOrientation) {
        const QByteArray exif = exifPayload(options.exifOrientation, options.exifBigEndian);
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.constData()),
                          unsigned(exif.size()));
    }

    std::vector<unsigned char> row(size_t(image.width()) * 4);
    while (info.next_scanline < info.image_height) {
        const uchar* rgb = image.constScanLine(int(info.next_scanline));
        for (int x = 0; x < image.width(); ++x) {
            const int r = rgb[3 * x], g = rgb[3 * x + 1], b = rgb[3 * x + 2];
            switch (options.colour) {
            case Colour::YCbCr:
            case Colour::Rgb:
                row[3 * x] = uchar(r);
                row[3 * x + 1] = uchar(g);
                row[3 * x + 2] = uchar(b);
                break;
            case Colour::Grayscale:
                row[x] = uchar(qGray(r, g, b));
                break;
            case Colour::Cmyk:
            case Colour::Ycck: {
                const int k = 255 - std::max({r, g, b});
                const auto ink = [k](int v) { return k == 255 ? 0 : (255 - v - k) * 255 / (255 - k); };
                row[4 * x] = uchar(255 - ink(r));
                row[4 * x + 1] = uchar(255 - ink(g));
                row[4 * x + 2] = uchar(255 - ink(b));
                row[4 * x + 3] = uchar(255 - k);
                break;
            }
            }
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

QByteArray withClaimedSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype i = 2; i + 9 < jpeg.size();) {
        const auto marker = uchar(jpeg[i + 1]);
        const int length = uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width);
            return jpeg;
        }
        i += 2 + length;
    }
    qFatal("no frame header");
}

QImage photoLike(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int((seed >> 24) % 41) - 20;
            const int light = 60 + 120 * x / std::max(1, width - 1) + ((x / 37 + y / 23) % 2) * 40;
            row[3 * x] = uchar(std::clamp(light + noise, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(200 - light / 2 + noise + 80 * y / std::max(1, height), 0, 255));
            row[3 * x + 2] = uchar(std::clamp(int((seed >> 8) % 256), 0, 255));
        }
    }
    return image;
}

QImage quarters(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, kQuarterColours[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)]);
    return image;
}

namespace {

// The quantisation tables in use, in table order.
QVector<QVector<int>> quantTablesOf(JQUANT_TBL* const* tables)
{
    QVector<QVector<int>> result;
    for (int t = 0; t < NUM_QUANT_TBLS; ++t) {
        if (!tables[t])
            continue;
        QVector<int> table;
        for (int k = 0; k < DCTSIZE2; ++k)
            table.append(tables[t]->quantval[k]);
        result.append(table);
    }
    return result;
}

} // namespace

DecodedJpeg decodeJpeg(const QByteArray& jpeg)
{
    DecodedJpeg result;
    for (qsizetype i = 2; i + 4 < jpeg.size();) {
        const auto marker = uchar(jpeg[i + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            result.startOfFrame = marker;
            break;
        }
        i += 2 + (uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]));
    }

    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()), (unsigned long)jpeg.size());
    jpeg_read_header(&info, TRUE);
    result.components = info.num_components;
    result.colourSpace = info.jpeg_color_space;
    result.quantTables = quantTablesOf(info.quant_tbl_ptrs);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    result.image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result.image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return result;
}

QVector<QVector<int>> standardQuantTables(int quality)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    info.in_color_space = JCS_RGB;
    info.input_components = 3;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    const QVector<QVector<int>> tables = quantTablesOf(info.quant_tbl_ptrs);
    jpeg_destroy_compress(&info);
    return tables;
}

bool nearColour(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QByteArray withImpossibleHuffmanTable(QByteArray jpeg)
{
    const qsizetype counts = jpeg.indexOf("\xFF\xC4") + 5;
    jpeg[counts] = char(jpeg.at(counts) + 3);
    for (qsizetype i = counts + 15; i > counts; --i) {
        if (jpeg.at(i) >= 3) {
            jpeg[i] = char(jpeg.at(i) - 3);
            break;
        }
    }
    return jpeg;
}
