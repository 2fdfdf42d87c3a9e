#include "core/preview/Preview_xslt.h"

#include "core/picture/Base64.h"
#include "core/preview/PreviewStylesheetData.h"
#include "core/shell/Failure.h"
#include "core/shell/FileOperations.h"
#include "core/shell/TempFolder.h"

namespace {

constexpr qsizetype kBase64Length = sizeof(PreviewStylesheetBase64) - 1;
static_assert(3 * (kBase64Length / 4) <= kStylesheetDecodeBuffer, "the stylesheet must fit the decoding buffer");

} // namespace

QByteArray previewStylesheetBytes()
{
    return Base64Decode(QByteArray::fromRawData(PreviewStylesheetBase64, kBase64Length)).value_or(QByteArray());
}

void WritePreviewStylesheet(FileOperations& files, const QString& folder)
{
    const QString path = folder + kPreviewStylesheetName;
    try {
        files.writeFile(path, previewStylesheetBytes());
    } catch (const Failure&) {
        // Judged by the file's presence below.
    }
    if (!files.fileExists(path))
        throw Failure(kStylesheetWriteFailure);
}
