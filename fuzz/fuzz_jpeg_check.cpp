// Any bytes as the picture a passport stores: the committee's check, which decodes only the
// coefficients, gives the verdict of the editor's full decode, the same refusal in the same words
// or the same EXIF orientation. As in the reader, only pictures whose frame header fits the
// picture box are compared.

#include "FuzzCheck.h"
#include "core/picture/JpegImport.h"
#include "core/picture/ShownSize.h"
#include "core/shell/Failure.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace {

struct Verdict
{
    QString refusal;
    int orientation = 0;
};

template <typename Read>
Verdict verdictOf(Read read)
{
    Verdict verdict;
    try {
        verdict.orientation = read();
    } catch (const Failure& failure) {
        verdict.refusal = failure.message();
        FUZZ_CHECK(!verdict.refusal.isEmpty());
    }
    return verdict;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray jpeg = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QSize> stored = jpegStoredSize(jpeg);
    if (!stored || stored->width() > kPictureBox || stored->height() > kPictureBox)
        return 0;
    const Verdict decoded = verdictOf([&] { return decodeStoredJpeg(jpeg).orientation; });
    const Verdict checked = verdictOf([&] { return checkStoredJpeg(jpeg); });
    if (decoded.refusal != checked.refusal || decoded.orientation != checked.orientation)
        std::fprintf(stderr, "full decode: \"%s\" %d; check: \"%s\" %d\n", qPrintable(decoded.refusal),
                     decoded.orientation, qPrintable(checked.refusal), checked.orientation);
    FUZZ_CHECK(decoded.refusal == checked.refusal);
    FUZZ_CHECK(decoded.orientation == checked.orientation);
    return 0;
}
