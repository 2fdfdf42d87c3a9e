#pragma once

// The largest passport the editor can write: every text at its limit in characters that the file
// escapes, 10 authors and 3 supervisors, both main sections with all languages and the two extra
// sections, and a 300 x 300 picture of noise, which JPEG compresses worst.

#include "core/participants/ParticipantId.h"
#include "core/passport/FieldLimits.h"
#include "core/passport/PassportSnapshot.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"

#include <random>

namespace largest {

inline QByteArray identifier(int index)
{
    const QByteArray base = QByteArray::number(1000003 + 7919 * index);
    return FormatParticipantId(base + ParticipantCheckCode(base));
}

// Characters the file escapes, characters of four UTF-8 bytes and, in memos, line breaks.
inline QString filled(int length, bool memo = false)
{
    const QString pieces[] = {QStringLiteral("😀"), QStringLiteral("&<"), memo ? QStringLiteral("\r\n") : "\"\t"};
    QString text;
    for (int i = 0; text.size() + 2 <= length; ++i)
        text += pieces[i % 3];
    return text.left(length);
}

inline PassportSnapshot largestPassport()
{
    PassportSnapshot passport;
    passport.title = filled(FieldLimits::kTitle);
    passport.description = filled(FieldLimits::kDescription, true);
    passport.techRequest = filled(FieldLimits::kTechRequest);
    passport.manual = filled(FieldLimits::kManual, true);
    passport.postIndex = filled(FieldLimits::kPostIndex);
    passport.postAddress = filled(FieldLimits::kPostAddress);
    passport.phone = filled(FieldLimits::kPhone);
    passport.email = filled(FieldLimits::kEmail);
    passport.notes = filled(FieldLimits::kNotes, true);
    const QByteArray name(FieldLimits::kParticipantName, '\xDF');
    for (int i = 0; i < PassportRecord::kMaxAuthors; ++i)
        passport.authors.append({identifier(i), name, name, name});
    for (int i = 0; i < PassportRecord::kMaxTeachers; ++i)
        passport.teachers.append({identifier(PassportRecord::kMaxAuthors + i), name, name, name});
    passport.leaderIndex = 2;
    passport.subjectSlots = {2, 6, 22, 24, 0};
    passport.languages = {true, true, true, true, QString(FieldLimits::kOtherLanguage, u'я')};

    RgbPicture noise(300, 300);
    std::mt19937 random(14);
    for (unsigned char& sample : noise.pixels)
        sample = static_cast<unsigned char>(random());
    passport.hasPicture = true;
    passport.pictureBase64 = QString::fromLatin1(Base64Encode(encodePreviewJpeg(noise), 19));
    passport.pictureWidth = 300;
    passport.pictureHeight = 300;
    passport.pictureCaption = filled(FieldLimits::kTitle);
    return passport;
}

} // namespace largest
