#pragma once

#include "core/passport/PassportBytes.h"
#include "core/passport/PassportSnapshot.h"
#include "core/picture/RgbPicture.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a passport file holds: the passport as the editor's controls, record and section dialog
// would hold it, the moment the file was written (seconds since 1970-01-01 00:00:00 UTC), which a
// new save replaces, and the picture decoded as the editor shows it (empty without a picture).
struct ReadPassport
{
    PassportSnapshot passport;
    qint64 storedSeconds = 0;
    RgbPicture picture;
};

// The latest moment a passport may carry: eleven digits, about the year 5138, which every date
// conversion takes.
constexpr qint64 kMaxStoredSeconds = 99'999'999'999;

// How the picture is read: decoded in full for the editor to show, or only checked (its coefficients
// decoded, no pixels made), which refuses exactly what the full decode refuses and leaves
// ReadPassport::picture empty. The committee's commands only check.
enum class PictureReading
{
    Decoded,
    Checked,
};

// Reads a passport document, saved or preview. Content that this program could not have written is
// refused as a whole: throws Failure whose message is one Russian sentence naming the first problem.
// The picture is decoded in full, so what opens here the editor shows and saves again unchanged.
// Given `leftOut`, the reading is lenient: a picture, a section or a participant that would refuse
// the file is left out instead, and said there, one line each ("картинка: ..."); the passport read
// saves as a sound one. Everything else still refuses the file.
ReadPassport readPassportDocument(const QByteArray& bytes, QStringList* leftOut = nullptr,
                                  PictureReading picture = PictureReading::Decoded);

// Reads the passport file at `localPath` (the name as the file system holds it); a failure's message
// is the reason alone, as readPassportDocument's.
ReadPassport readPassportAt(const QByteArray& localPath, QStringList* leftOut = nullptr);

// Reads the passport file at `path`; a failure's message is passportNotOpened's.
ReadPassport readPassportFile(const QString& path, QStringList* leftOut = nullptr);

// The one wording of a passport file that did not open, with the reason as a sentence of its own.
QString passportNotOpened(const QString& path, const QString& reason);
