// Build step: turns the readable stylesheet into the Base64 constant the program carries.
// Usage: lumarinda_embed_stylesheet <stylesheet.xsl> <output header>

#include "core/picture/Base64.h"
#include "core/preview/Preview_xslt.h"

#include <QFile>
#include <cstdio>

namespace {

constexpr qsizetype kLiteralPiece = 100;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <stylesheet.xsl> <output.h>\n", argv[0]);
        return 2;
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QByteArray bytes = input.readAll();
    if (bytes.size() > kStylesheetDecodeBuffer) {
        std::fprintf(stderr, "%s: %s is %lld bytes, more than the %d the program can decode\n", argv[0], argv[1],
                     static_cast<long long>(bytes.size()), kStylesheetDecodeBuffer);
        return 1;
    }
    const QByteArray text = Base64Encode(bytes, 0);

    QByteArray header = "// Generated from preview.qdx.xsl by lumarinda_embed_stylesheet. Do not edit.\n"
                        "#pragma once\n\n"
                        "// The preview stylesheet as one line of Base64 text.\n"
                        "inline constexpr char PreviewStylesheetBase64[] =\n";
    for (qsizetype at = 0; at < text.size(); at += kLiteralPiece)
        header += "    \"" + text.mid(at, kLiteralPiece) + "\"\n";
    if (text.isEmpty())
        header += "    \"\"\n";
    header += "    ;\n";
    QFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) || output.write(header) != header.size() ||
        !output.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
