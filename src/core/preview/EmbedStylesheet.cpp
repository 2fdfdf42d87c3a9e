// Build step: turns the readable stylesheet into the Base64 constant the program carries.
// Usage: lumarinda_embed_stylesheet <stylesheet.xsl> <output header>

#include "core/picture/Base64.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The program decodes the constant into a buffer of this size.
constexpr std::size_t kDecodeBuffer = 64000;
constexpr std::size_t kLiteralPiece = 100;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <stylesheet.xsl> <output.h>\n", argv[0]);
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    if (!input) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    if (bytes.size() > kDecodeBuffer) {
        std::fprintf(stderr, "%s: %s is %zu bytes, more than the %zu the program can decode\n", argv[0], argv[1],
                     bytes.size(), kDecodeBuffer);
        return 1;
    }

    const int size = static_cast<int>(bytes.size());
    std::string text(static_cast<std::size_t>(Base64EncodedCapacity(size, 0)), '\0');
    text.resize(static_cast<std::size_t>(Base64Encode(bytes.data(), size, 0, text.data())));

    std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
    output << "// Generated from preview.qdx.xsl by lumarinda_embed_stylesheet. Do not edit.\n"
              "#pragma once\n\n"
              "// The preview stylesheet as one line of Base64 text.\n"
              "inline constexpr char PreviewStylesheetBase64[] =\n";
    for (std::size_t at = 0; at < text.size(); at += kLiteralPiece)
        output << "    \"" << text.substr(at, kLiteralPiece) << "\"\n";
    if (text.empty())
        output << "    \"\"\n";
    output << "    ;\n";
    output.close();
    if (!output) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
