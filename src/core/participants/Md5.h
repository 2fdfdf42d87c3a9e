#pragma once

#include <QByteArray>
#include <QString>

// MD5 (RFC 1321) of the bytes, as 32 lowercase hexadecimal digits.
QString Md5Hex(const QByteArray& bytes);
