#include "core/picture/Base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

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

int Base64EncodedCapacity(int n, int groupsPerLine)
{
    const int groups = 4 * ((n + 2) / 3);
    return groupsPerLine > 0 ? groups + n / (3 * groupsPerLine) : groups;
}

int Base64Encode(const unsigned char* input, int n, int groupsPerLine, char* output)
{
    int written = 0;
    int groupsOnLine = 0;
    int i = 0;
    for (; n - i >= 3; i += 3) {
        const unsigned b0 = input[i], b1 = input[i + 1], b2 = input[i + 2];
        output[written++] = kAlphabet[b0 >> 2];
        output[written++] = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        output[written++] = kAlphabet[((b1 & 15) << 2) | (b2 >> 6)];
        output[written++] = kAlphabet[b2 & 63];
        if (groupsPerLine > 0 && ++groupsOnLine == groupsPerLine) {
            output[written++] = '\n';
            groupsOnLine = 0;
        }
    }
    if (n - i == 1) {
        const unsigned b0 = input[i];
        output[written++] = kAlphabet[b0 >> 2];
        output[written++] = kAlphabet[(b0 & 3) << 4];
        output[written++] = '=';
        output[written++] = '=';
    } else if (n - i == 2) {
        const unsigned b0 = input[i], b1 = input[i + 1];
        output[written++] = kAlphabet[b0 >> 2];
        output[written++] = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
        output[written++] = kAlphabet[(b1 & 15) << 2];
        output[written++] = '=';
    }
    return written;
}

int Base64Decode(const char* input, int length, unsigned char* output)
{
    int written = 0;
    int p = 0;
    while (p + 3 < length) {
        int places[4];
        for (int& place : places) {
            int value = kIgnored;
            while (p < length && (value = valueOf(static_cast<unsigned char>(input[p++]))) == kIgnored) {
            }
            if (value == kIgnored)
                return -1;
            place = value;
        }
        const int c1 = places[0], c2 = places[1], c3 = places[2], c4 = places[3];
        if (c1 != kPad && c2 != kPad) {
            output[written++] = static_cast<unsigned char>((c1 << 2) | (c2 >> 4));
            if (c3 != kPad) {
                output[written++] = static_cast<unsigned char>(((c2 << 4) | (c3 >> 2)) & 255);
                if (c4 != kPad)
                    output[written++] = static_cast<unsigned char>(((c3 << 6) | c4) & 255);
            }
        }
        if (c4 == kPad)
            break;
    }
    return written;
}

QByteArray Base64EncodeBytes(const QByteArray& bytes, int groupsPerLine)
{
    QByteArray text(Base64EncodedCapacity(static_cast<int>(bytes.size()), groupsPerLine), Qt::Uninitialized);
    const int written = Base64Encode(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                     static_cast<int>(bytes.size()), groupsPerLine, text.data());
    text.truncate(written);
    return text;
}
