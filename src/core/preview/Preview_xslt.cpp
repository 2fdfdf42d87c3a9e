#include "core/preview/Preview_xslt.h"

#include "core/picture/Base64.h"
#include "core/preview/PreviewStylesheetData.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/TempFolder.h"

namespace {

constexpr int kBase64Length = static_cast<int>(sizeof(PreviewStylesheetBase64) - 1);
static_assert(3 * (kBase64Length / 4) <= kStylesheetDecodeBuffer, "the stylesheet must fit the decoding buffer");

} // namespace

QByteArray previewStylesheetBytes()
{
    QByteArray buffer(kStylesheetDecodeBuffer, Qt::Uninitialized);
    const int decoded =
        Base64Decode(PreviewStylesheetBase64, kBase64Length, reinterpret_cast<unsigned char*>(buffer.data()));
    buffer.truncate(decoded < 0 ? 0 : decoded);
    return buffer;
}

void WritePreviewStylesheet(DesktopServices& services, const QString& folder)
{
    const QString path = folder + kPreviewStylesheetName;
    try {
        services.writeFile(path, previewStylesheetBytes());
    } catch (const Failure&) {
        // Judged by the file's presence below.
    }
    if (!services.fileExists(path))
        throw Failure(kStylesheetWriteFailure);
}
