// Any bytes as the picture file the user picks: the import either refuses them with our Failure
// or gives a picture of at most 300 x 300, the size the frame header's width and height shrink to
// (either way round, as the EXIF orientation may turn it). What it gives re-encodes as a baseline
// colour JPEG of that size, which imports back at the same size and whose Base64 text decodes
// back to it. Memory stays bounded (libFuzzer's -rss_limit_mb and -malloc_limit_mb), nothing leaks.

#include "FuzzCheck.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"
#include "core/picture/JpegImport.h"
#include "core/picture/ShownSize.h"
#include "core/shell/Failure.h"

#include <QString>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <jpeglib.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The import reads a file by its path: the bytes go into a file in memory, opened anew by path.
class MemoryFile
{
public:
    MemoryFile() : m_fd(memfd_create("jpeg_import", MFD_CLOEXEC))
    {
        FUZZ_CHECK(m_fd >= 0);
        m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
    }

    const QString& hold(const void* data, std::size_t size)
    {
        FUZZ_CHECK(ftruncate(m_fd, 0) == 0);
        FUZZ_CHECK(size == 0 || pwrite(m_fd, data, size, 0) == static_cast<ssize_t>(size));
        return m_path;
    }

private:
    int m_fd;
    QString m_path;
};

struct HeaderReader
{
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
};

extern "C" void leaveHeaderReader(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<HeaderReader*>(info->err)->jump, 1);
}

extern "C" void ignoreMessage(j_common_ptr, int) {}

// The frame header's width and height as plain libjpeg reads them; false when it cannot.
bool frameSize(const std::uint8_t* data, std::size_t size, long long& width, long long& height)
{
    HeaderReader reader;
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&reader.manager);
    reader.manager.error_exit = leaveHeaderReader;
    reader.manager.emit_message = ignoreMessage;
    jpeg_create_decompress(&info);
    if (setjmp(reader.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    width = info.image_width;
    height = info.image_height;
    jpeg_destroy_decompress(&info);
    return true;
}

// The first frame header of our own output: baseline, three components, the picture's size.
bool isBaselineColour(const QByteArray& jpeg, int width, int height)
{
    if (!jpeg.startsWith("\xFF\xD8"))
        return false;
    for (qsizetype i = 2; i + 9 < jpeg.size();) {
        if (static_cast<unsigned char>(jpeg[i]) != 0xFF)
            return false;
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        const auto byte = [&jpeg](qsizetype at) { return static_cast<unsigned char>(jpeg[at]); };
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            return marker == 0xC0 && (byte(i + 5) << 8 | byte(i + 6)) == height &&
                   (byte(i + 7) << 8 | byte(i + 8)) == width && byte(i + 9) == 3;
        }
        i += 2 + (byte(i + 2) << 8 | byte(i + 3));
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static MemoryFile file;

    RgbPicture picture;
    try {
        picture = importJpegFile(file.hold(data, size));
    } catch (const Failure& failure) {
        FUZZ_CHECK(!failure.message().isEmpty());
        return 0;
    }

    FUZZ_CHECK(picture.width >= 1 && picture.width <= kPictureBox);
    FUZZ_CHECK(picture.height >= 1 && picture.height <= kPictureBox);
    FUZZ_CHECK(picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height * 3);
    long long width = 0;
    long long height = 0;
    FUZZ_CHECK(frameSize(data, size, width, height));
    const PictureSize shown = shownPictureSize(static_cast<int>(width), static_cast<int>(height));
    const PictureSize got{picture.width, picture.height};
    FUZZ_CHECK(got == shown || got == (PictureSize{shown.height, shown.width}));

    const QByteArray jpeg = encodePreviewJpeg(picture);
    FUZZ_CHECK(isBaselineColour(jpeg, picture.width, picture.height));
    const RgbPicture back = importJpegFile(file.hold(jpeg.constData(), static_cast<std::size_t>(jpeg.size())));
    FUZZ_CHECK(back.width == picture.width && back.height == picture.height);

    const QByteArray text = Base64Encode(jpeg, 19);
    FUZZ_CHECK(Base64Decode(text) == jpeg);
    return 0;
}
