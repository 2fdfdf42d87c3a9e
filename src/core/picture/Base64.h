#pragma once

#include <QByteArray>
#include <optional>

// Base64 (RFC 4648 alphabet, "=" padding).

// The text with a line feed after every groupsPerLine full groups of four characters (none when
// groupsPerLine <= 0); the padded last group is never followed by one.
QByteArray Base64Encode(const QByteArray& bytes, int groupsPerLine);

// Skips characters outside the alphabet. A group is begun only while four input characters of any
// kind remain; a group begun and not completed gives nothing (std::nullopt). A pad in the first or
// second place makes its group give no bytes; a pad in the fourth place ends the text.
std::optional<QByteArray> Base64Decode(const QByteArray& text);
