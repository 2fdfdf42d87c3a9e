#include "core/picture/JpegEncode.h"

#include "core/picture/JpegTrap.h"

#include <cstdlib>

namespace {

struct Encoder
{
    JpegTrap trap;
    jpeg_compress_struct info{};
    bool created = false;
    unsigned char* buffer = nullptr; // grown by libjpeg with malloc
    unsigned long size = 0;

    Encoder() { info.err = armJpegTrap(trap); }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder()
    {
        if (created)
            jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

// Calls into libjpeg and may be left by longjmp: only trivially destructible locals.
bool compress(Encoder& e, const RgbPicture& picture)
{
    if (setjmp(e.trap.jump))
        return false;
    e.created = true;
    jpeg_create_compress(&e.info);
    jpeg_mem_dest(&e.info, &e.buffer, &e.size);
    e.info.image_width = static_cast<JDIMENSION>(picture.width);
    e.info.image_height = static_cast<JDIMENSION>(picture.height);
    e.info.input_components = 3;
    e.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e.info);
    jpeg_set_quality(&e.info, kPreviewJpegQuality, TRUE);
    jpeg_start_compress(&e.info, TRUE);
    while (e.info.next_scanline < e.info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(picture.row(static_cast<int>(e.info.next_scanline)));
        jpeg_write_scanlines(&e.info, &row, 1);
    }
    jpeg_finish_compress(&e.info);
    return true;
}

} // namespace

QByteArray encodePreviewJpeg(const RgbPicture& picture)
{
    Encoder e;
    if (!compress(e, picture))
        throw jpegFailure(e.trap);
    return QByteArray(reinterpret_cast<const char*>(e.buffer), static_cast<qsizetype>(e.size));
}
