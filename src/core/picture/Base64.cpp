#include "core/picture/Base64.h"

namespace {

constexpr int kIgnored = -1;
constexpr int kPad = -2;

int valueOf(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    if (c == '=')
        return kPad;
    return kIgnored;
}

} // namespace

QByteArray Base64Encode(const QByteArray& bytes, int groupsPerLine)
{
    const QByteArray plain = bytes.toBase64();
    if (groupsPerLine <= 0)
        return plain;
    const qsizetype lineLength = 4 * qsizetype(groupsPerLine);
    const qsizetype fullGroups = 4 * (bytes.size() / 3);
    QByteArray text;
    text.reserve(plain.size() + fullGroups / lineLength);
    qsizetype at = 0;
    for (; at + lineLength <= fullGroups; at += lineLength)
        text.append(plain.constData() + at, lineLength).append('\n');
    return text.append(plain.constData() + at, plain.size() - at);
}

// Qt's decoder treats stray pads and a short tail differently from the rules the program has always
// kept, so the group rules stay here.
std::optional<QByteArray> Base64Decode(const QByteArray& text)
{
    QByteArray bytes;
    bytes.reserve(3 * (text.size() / 4));
    const qsizetype length = text.size();
    qsizetype p = 0;
    while (p + 3 < length) {
        int places[4];
        for (int& place : places) {
            int value = kIgnored;
            while (p < length && (value = valueOf(static_cast<unsigned char>(text.at(p++)))) == kIgnored) {
            }
            if (value == kIgnored)
                return std::nullopt;
            place = value;
        }
        const int c1 = places[0], c2 = places[1], c3 = places[2], c4 = places[3];
        if (c1 != kPad && c2 != kPad) {
            bytes.append(static_cast<char>((c1 << 2) | (c2 >> 4)));
            if (c3 != kPad) {
                bytes.append(static_cast<char>(((c2 << 4) | (c3 >> 2)) & 255));
                if (c4 != kPad)
                    bytes.append(static_cast<char>(((c3 << 6) | c4) & 255));
            }
        }
        if (c4 == kPad)
            break;
    }
    return bytes;
}
