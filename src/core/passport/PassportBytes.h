#pragma once

#include <QByteArray>
#include <QString>

// A larger file is refused unread.
constexpr qint64 kMaxPassportFileBytes = 64LL << 20;

// The refusal of a file over the limit.
QString passportTooLarge();

// The bytes of the file at `localPath` (the name as the file system holds it, in any encoding).
// Only a regular file is read, without blocking: a pipe or a device with a passport's name must not
// stop anyone. Throws Failure with the reason alone, in Russian, also for a file over the limit.
QByteArray readPassportBytes(const QByteArray& localPath);

// The same into `bytes`, whose memory is used again when it is large enough: a folder of passports
// read one after another into one buffer allocates it once.
void readPassportBytesInto(const QByteArray& localPath, QByteArray& bytes);
