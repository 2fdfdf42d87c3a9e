#pragma once

#include "core/passport/PassportSnapshot.h"

#include <QByteArray>
#include <QString>

// A larger file is refused unread.
constexpr qint64 kMaxPassportFileBytes = 64LL << 20;

// What a passport file holds: the passport as the editor's controls, record and section dialog
// would hold it, and the moment the file was written (seconds since 1970-01-01 00:00:00 UTC),
// which a new save replaces.
struct ReadPassport
{
    PassportSnapshot passport;
    qint64 storedSeconds = 0;
};

// Reads a passport document, saved or preview. Content that this program could not have written is
// refused as a whole: throws Failure whose message is one Russian sentence naming the first problem.
ReadPassport readPassportDocument(const QByteArray& bytes);

// Reads the passport file at `path`; a failure's message names the file.
ReadPassport readPassportFile(const QString& path);

// The bytes of the file at `localPath` (the name as the file system holds it, in any encoding).
// Only a regular file is read, without blocking: a pipe or a device with a passport's name must not
// stop anyone. Throws Failure with the reason alone, in Russian, also for a file over the limit.
QByteArray readPassportBytes(const QByteArray& localPath);
