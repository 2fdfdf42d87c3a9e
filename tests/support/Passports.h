#pragma once

#include "core/participants/ParticipantId.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/passport/PassportSnapshot.h"
#include "core/picture/Base64.h"
#include "core/shell/Windows1251.h"
#include "support/Failures.h"
#include "support/JpegFixtures.h"

#include <QByteArray>
#include <QString>

// Pieces of the passports the tests build, and the files made of them.

// The valid identifier, in display form, whose first seven digits are `base`.
inline QByteArray validId(int base)
{
    const QByteArray digits = QByteArray::number(base);
    return FormatParticipantId(digits + ParticipantCheckCode(digits));
}

// An entry as the record holds it: the names in Windows-1251.
inline ParticipantEntry participantEntry(const QByteArray& id, const QString& surname, const QString& name,
                                         const QString& patronymic)
{
    return {id, toCp1251(surname), toCp1251(name), toCp1251(patronymic)};
}

// The n-th valid identifier of a series, for tests that count their people.
inline QByteArray participantId(int n)
{
    return validId(1000001 + 7919 * n);
}

// A participant with a valid identifier: seven digits are its first seven, a smaller number is the
// n-th of the series.
inline ParticipantEntry person(int base, const QString& surname, const QString& name, const QString& patronymic)
{
    return participantEntry(base < 1000000 ? participantId(base) : validId(base), surname, name, patronymic);
}

// A participant where the identifier plays no part.
inline ParticipantEntry person(const QString& surname, const QString& name, const QString& patronymic)
{
    return participantEntry("123-456-789", surname, name, patronymic);
}

inline ParticipantEntry person(const char* surname, const char* name, const char* patronymic)
{
    return person(QString::fromUtf8(surname), QString::fromUtf8(name), QString::fromUtf8(patronymic));
}

// A JPEG of the given size, Base64 with 76-character lines as the picture page stores it.
inline void setPicture(PassportSnapshot& passport, int width, int height, const QString& caption)
{
    passport.hasPicture = true;
    passport.pictureBase64 = QString::fromLatin1(Base64Encode(makeJpeg(photoLike(width, height)), 19));
    passport.pictureWidth = width;
    passport.pictureHeight = height;
    passport.pictureCaption = caption;
}

// The moment the passport files of the tests were stored, unless a test says otherwise.
constexpr qint64 kPassportStored = 1450000000;

// The passport file the program writes.
inline QByteArray build(const PassportSnapshot& passport, PassportDocumentKind kind = PassportDocumentKind::Saved,
                        qint64 stored = kPassportStored)
{
    return serializePassportDocument(BuildPassportDocument(passport, kind, stored));
}

// Why the reader refuses the bytes; empty when it opens them.
inline QString refusal(const QByteArray& bytes, PictureReading picture = PictureReading::Decoded)
{
    return failureOf([&] { readPassportDocument(bytes, nullptr, picture); });
}
