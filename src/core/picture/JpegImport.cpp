#include "core/picture/JpegImport.h"

#include "core/picture/ExifOrientation.h"
#include "core/picture/JpegTrap.h"
#include "core/picture/ShownSize.h"
#include "core/shell/SystemReason.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

Failure cannotOpen(const QString& path, const QString& reason)
{
    return Failure(
        QStringLiteral("Не удалось открыть файл изображения «%1»: %2").arg(QDir::toNativeSeparators(path), reason));
}

Failure cannotOpen(const QString& path, int error)
{
    return cannotOpen(path, systemReason(error).toLower());
}

// Only a regular file is read. A named pipe would block the opening until some other program
// writes to it, and a device may deliver bytes without end or none at all; a folder is named as
// such.
std::FILE* openRegularFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw cannotOpen(path, errno);
    struct stat info = {};
    const bool known = ::fstat(fd, &info) == 0;
    const int error = errno;
    if (!known || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (!known)
            throw cannotOpen(path, error);
        if (S_ISDIR(info.st_mode))
            throw cannotOpen(path, EISDIR);
        throw cannotOpen(path, QStringLiteral("это не обычный файл"));
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        const int fdopenError = errno;
        ::close(fd);
        throw cannotOpen(path, fdopenError);
    }
    return file;
}

Failure tooLarge(long long width, long long height)
{
    return Failure(QStringLiteral("Изображение слишком большое: %1 x %2 точек. Выберите изображение меньшего размера")
                       .arg(width)
                       .arg(height));
}

Failure tooLargeMultiScan(long long width, long long height)
{
    return Failure(QStringLiteral("Изображение слишком большое: %1 x %2 точек. Прогрессивный JPEG больше %3 "
                                  "мегапикселей не помещается в память при чтении. Выберите изображение меньшего "
                                  "размера или сохраните его как обычный (не прогрессивный) JPEG")
                       .arg(width)
                       .arg(height)
                       .arg(kMaxMultiScanPixels / 1'000'000));
}

struct FileHandle
{
    std::FILE* file;
    ~FileHandle() { std::fclose(file); }
};

struct Decoder
{
    JpegTrap trap;
    jpeg_decompress_struct info{};
    bool created = false;

    Decoder() { info.err = armJpegTrap(trap); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

// What the row loop needs, all of it allocated by the caller.
struct Sampling
{
    const JDIMENSION* rows;    // the scanline each output row samples, increasing
    const JDIMENSION* columns; // the pixel each output column samples
    int width;
    int height;
    unsigned char* scanline;
    int components;    // 3 (RGB) or 4 (CMYK)
    bool invertedCmyk; // Adobe writes CMYK inverted
    RgbPicture* out;
};

// The functions below call into libjpeg and may be left by longjmp: only trivially destructible
// locals in them.

// Either a file or bytes in memory.
struct Source
{
    std::FILE* file;
    const QByteArray* bytes;
};

bool readHeader(Decoder& d, const Source& source)
{
    if (setjmp(d.trap.jump))
        return false;
    d.created = true;
    jpeg_create_decompress(&d.info);
    // All of libjpeg's memory stays within the coefficients we accept and some rows besides.
    d.info.mem->max_memory_to_use = kMaxCoefficientBytes + (64L << 20);
    if (source.file)
        jpeg_stdio_src(&d.info, source.file);
    else
        jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(source.bytes->constData()),
                     static_cast<unsigned long>(source.bytes->size()));
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&d.info, TRUE);
    return true;
}

bool planOutput(Decoder& d, J_COLOR_SPACE space, unsigned denominator)
{
    if (setjmp(d.trap.jump))
        return false;
    d.info.out_color_space = space;
    d.info.scale_num = 1;
    d.info.scale_denom = denominator;
    jpeg_calc_output_dimensions(&d.info);
    return true;
}

void storeRow(const Sampling& s, int y)
{
    unsigned char* out = s.out->row(y);
    if (s.components == 3) {
        for (int x = 0; x < s.width; ++x, out += 3)
            std::memcpy(out, s.scanline + 3 * s.columns[x], 3);
        return;
    }
    for (int x = 0; x < s.width; ++x, out += 3) {
        const unsigned char* p = s.scanline + 4 * s.columns[x];
        const unsigned k = s.invertedCmyk ? p[3] : 255 - p[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned ink = s.invertedCmyk ? p[c] : 255 - p[c];
            out[c] = static_cast<unsigned char>((ink * k + 127) / 255);
        }
    }
}

bool decodeRows(Decoder& d, const Sampling& s)
{
    if (setjmp(d.trap.jump))
        return false;
    jpeg_start_decompress(&d.info);
    for (int y = 0; y < s.height; ++y) {
        while (d.info.output_scanline < s.rows[y]) {
            if (jpeg_skip_scanlines(&d.info, s.rows[y] - d.info.output_scanline) == 0)
                return false;
        }
        JSAMPROW row = s.scanline;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
        storeRow(s, y);
    }
    // The rest of the picture is not needed; jpeg_destroy discards it.
    return true;
}

int orientationOf(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1)
            continue;
        const int orientation = exifOrientation(marker->data, marker->data_length);
        if (orientation != 1)
            return orientation;
    }
    return 1;
}

long long coefficientBytes(const jpeg_decompress_struct& info)
{
    long long total = 0;
    for (int i = 0; i < info.num_components; ++i) {
        const jpeg_component_info& c = info.comp_info[i];
        const long long columns = (c.width_in_blocks + c.h_samp_factor - 1) / c.h_samp_factor * c.h_samp_factor;
        const long long rows = (c.height_in_blocks + c.v_samp_factor - 1) / c.v_samp_factor * c.v_samp_factor;
        total += columns * rows * static_cast<long long>(sizeof(JBLOCK));
    }
    return total;
}

} // namespace

void checkImportable(long long width, long long height, bool multiScan, long long coefficientBytes)
{
    if (width * height > kMaxPicturePixels)
        throw tooLarge(width, height);
    if (multiScan && (width * height > kMaxMultiScanPixels || coefficientBytes > kMaxCoefficientBytes))
        throw tooLargeMultiScan(width, height);
}

// The largest libjpeg reduction that keeps the decoded picture within the exact-decode budget
// and no smaller than the picture to be shown.
unsigned decodeReduction(long long width, long long height, int shownWidth, int shownHeight)
{
    if (width * height <= kExactDecodePixels)
        return 1;
    unsigned chosen = 1;
    for (unsigned denominator : {2u, 4u, 8u}) {
        const long long w = (width + denominator - 1) / denominator;
        const long long h = (height + denominator - 1) / denominator;
        if (w < shownWidth || h < shownHeight)
            break;
        chosen = denominator;
        if (w * h <= kExactDecodePixels)
            break;
    }
    return chosen;
}

namespace {

// The source index the nearest-pixel stretch takes for output index i: the pixel under the
// centre of the output pixel.
JDIMENSION sampled(int i, JDIMENSION source, int shown)
{
    return static_cast<JDIMENSION>((2LL * i + 1) * source / (2LL * shown));
}

// `standUp`: turned as the EXIF orientation says; otherwise as stored, the orientation only told.
RgbPicture importJpeg(const Source& source, bool standUp = true, int* orientationFound = nullptr)
{
    Decoder d;
    if (!readHeader(d, source))
        throw jpegFailure(d.trap);

    const long long width = d.info.image_width;
    const long long height = d.info.image_height;
    checkImportable(width, height, jpeg_has_multiple_scans(&d.info), coefficientBytes(d.info));

    const int orientation = orientationOf(d.info);
    if (orientationFound)
        *orientationFound = orientation;
    const bool turned = standUp && orientationSwapsSides(orientation);
    const PictureSize upright = shownPictureSize(turned ? height : width, turned ? width : height);
    const PictureSize stored = turned ? PictureSize{upright.height, upright.width} : upright;

    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    if (!planOutput(d, cmyk ? JCS_CMYK : JCS_RGB, decodeReduction(width, height, stored.width, stored.height)))
        throw jpegFailure(d.trap);

    std::vector<unsigned char> scanline(static_cast<std::size_t>(d.info.output_width) * d.info.output_components);
    std::vector<JDIMENSION> rows(stored.height);
    std::vector<JDIMENSION> columns(stored.width);
    for (int y = 0; y < stored.height; ++y)
        rows[y] = sampled(y, d.info.output_height, stored.height);
    for (int x = 0; x < stored.width; ++x)
        columns[x] = sampled(x, d.info.output_width, stored.width);
    RgbPicture scaled(stored.width, stored.height);

    const Sampling sampling{rows.data(),
                            columns.data(),
                            stored.width,
                            stored.height,
                            scanline.data(),
                            d.info.output_components,
                            cmyk && d.info.saw_Adobe_marker,
                            &scaled};
    if (!decodeRows(d, sampling))
        throw jpegFailure(d.trap);
    return orientation == 1 || !standUp ? scaled : turnUpright(scaled, orientation);
}

} // namespace

RgbPicture importJpegFile(const QString& path)
{
    std::FILE* file = openRegularFile(path);
    const FileHandle closer{file};
    return importJpeg(Source{file, nullptr});
}

RgbPicture importJpegBytes(const QByteArray& jpeg)
{
    return importJpeg(Source{nullptr, &jpeg});
}

StoredJpeg decodeStoredJpeg(const QByteArray& jpeg)
{
    StoredJpeg stored;
    stored.picture = importJpeg(Source{nullptr, &jpeg}, false, &stored.orientation);
    return stored;
}

namespace {

// Plans the output as the full decode does, in buffered-image mode so that no pixel is produced,
// then takes in the coefficients: every scan of a multi-scan picture, and the one scan of any other
// up to its end.
bool readCoefficients(Decoder& d, J_COLOR_SPACE space)
{
    if (setjmp(d.trap.jump))
        return false;
    d.info.out_color_space = space;
    d.info.buffered_image = TRUE;
    jpeg_start_decompress(&d.info);
    const int last = jpeg_has_multiple_scans(&d.info) ? JPEG_REACHED_EOI : JPEG_SCAN_COMPLETED;
    for (;;) {
        const int status = jpeg_consume_input(&d.info);
        if (status == last || status == JPEG_REACHED_EOI)
            return true;
        if (status == JPEG_SUSPENDED)
            return false;
    }
}

} // namespace

int checkStoredJpeg(const QByteArray& jpeg)
{
    Decoder d;
    if (!readHeader(d, Source{nullptr, &jpeg}))
        throw jpegFailure(d.trap);
    const long long width = d.info.image_width;
    const long long height = d.info.image_height;
    checkImportable(width, height, jpeg_has_multiple_scans(&d.info), coefficientBytes(d.info));
    const int orientation = orientationOf(d.info);
    const PictureSize shown = shownPictureSize(width, height);
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    if (!planOutput(d, cmyk ? JCS_CMYK : JCS_RGB, decodeReduction(width, height, shown.width, shown.height)))
        throw jpegFailure(d.trap);
    if (!readCoefficients(d, cmyk ? JCS_CMYK : JCS_RGB))
        throw jpegFailure(d.trap);
    return orientation;
}

std::optional<QSize> jpegStoredSize(const QByteArray& jpeg)
{
    Decoder d;
    if (!readHeader(d, Source{nullptr, &jpeg}))
        return std::nullopt;
    return QSize(static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height));
}
