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
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

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

// The parts of a full passport. The defaults fill every field with values the file keeps as they
// are, so the passport reads back whole; a test overrides only the parts its checks depend on.
struct PassportParts
{
    QString title = QStringLiteral("Птицы нашего парка");
    QString description = QStringLiteral("Наблюдения\r\nза год");
    QString techRequest = QStringLiteral("Браузер");
    QString manual = QStringLiteral("Открыть index.html");
    QString postIndex = QStringLiteral("620000");
    QString postAddress = QStringLiteral("г. Екатеринбург, ул. Ленина, д. 1");
    QString phone = QStringLiteral("+7 (343) 000-00-00");
    QString email = QStringLiteral("school@example.org");
    QString notes = QStringLiteral("Только для оргкомитета");
    QList<ParticipantEntry> authors = {
        person(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    QList<ParticipantEntry> teachers = {
        person(3, QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович")),
        person(4, QStringLiteral("Сидорова"), QStringLiteral("Мария"), QStringLiteral("Ильинична"))};
    int leaderIndex = 1;
    std::array<std::int32_t, PassportRecord::kSlotCount> subjectSlots = {2, 6, 0, 0, 0};
    Sections::LanguageChoices languages = {false, true, false, true, QStringLiteral("эсперанто")};
    bool hasPicture = true;
    int pictureWidth = 120;
    int pictureHeight = 80;
    QString pictureCaption = QStringLiteral("Снегирь");
    // The picture as stored; empty for a photo-like JPEG of the size above.
    QString pictureBase64;

    // Only what a complete passport needs left: no technical request, manual, contacts, comment,
    // languages or picture.
    void leaveOutExtras()
    {
        techRequest.clear();
        manual.clear();
        postIndex.clear();
        postAddress.clear();
        phone.clear();
        email.clear();
        notes.clear();
        languages = {};
        hasPicture = false;
    }
};

inline PassportSnapshot fullPassport(const PassportParts& parts = {})
{
    PassportSnapshot p;
    p.title = parts.title;
    p.description = parts.description;
    p.techRequest = parts.techRequest;
    p.manual = parts.manual;
    p.postIndex = parts.postIndex;
    p.postAddress = parts.postAddress;
    p.phone = parts.phone;
    p.email = parts.email;
    p.notes = parts.notes;
    p.authors = parts.authors;
    p.teachers = parts.teachers;
    p.leaderIndex = parts.leaderIndex;
    p.subjectSlots = parts.subjectSlots;
    p.languages = parts.languages;
    if (parts.hasPicture && parts.pictureBase64.isEmpty())
        setPicture(p, parts.pictureWidth, parts.pictureHeight, parts.pictureCaption);
    else if (parts.hasPicture) {
        p.hasPicture = true;
        p.pictureBase64 = parts.pictureBase64;
        p.pictureWidth = parts.pictureWidth;
        p.pictureHeight = parts.pictureHeight;
        p.pictureCaption = parts.pictureCaption;
    }
    return p;
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
