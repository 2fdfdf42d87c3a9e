#pragma once

#include <QByteArray>

// Base64 (RFC 4648 alphabet, "=" padding) on buffers the caller supplies.

// Room the encoder needs: 4 * ceil(n / 3) + floor(n / (3 * g)) for g > 0.
int Base64EncodedCapacity(int n, int groupsPerLine);

// Writes the text with a line feed after every groupsPerLine full groups (none when
// groupsPerLine <= 0); returns the number of characters written.
int Base64Encode(const unsigned char* input, int n, int groupsPerLine, char* output);

// Skips characters outside the alphabet; returns the number of bytes written, or -1 when the
// input ends inside a group. The output needs 3 * floor(length / 4) bytes.
int Base64Decode(const char* input, int length, unsigned char* output);

// Convenience forms for callers that hold whole buffers anyway.
QByteArray Base64EncodeBytes(const QByteArray& bytes, int groupsPerLine);
