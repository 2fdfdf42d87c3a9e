#pragma once

#include "core/participants/ParticipantId.h"
#include "core/passport/PassportSnapshot.h"
#include "core/picture/Base64.h"
#include "core/shell/Windows1251.h"
#include "support/JpegFixtures.h"

#include <QByteArray>
#include <QString>

// Pieces of the passports the document, reader and command-line tests build.

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

// A JPEG of the given size, Base64 with 76-character lines as the picture page stores it.
inline void setPicture(PassportSnapshot& passport, int width, int height, const QString& caption)
{
    passport.hasPicture = true;
    passport.pictureBase64 = QString::fromLatin1(Base64Encode(makeJpeg(photoLike(width, height)), 19));
    passport.pictureWidth = width;
    passport.pictureHeight = height;
    passport.pictureCaption = caption;
}
