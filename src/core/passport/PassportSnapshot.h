#pragma once

#include "core/passport/PassportRecord.h"
#include "core/sections/SectionCatalogue.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>

// Everything the document builder and the completeness check read, taken from the main window in
// one go: the texts as the controls hold them (memo line breaks CR LF), the entries in use in list
// order (Windows-1251), the record's slots and season, the section dialog's languages, the invoice
// recipient's position and the picture.
struct PassportSnapshot
{
    QString title;
    QString description;
    QString techRequest;
    QString manual;
    QString postIndex;
    QString postAddress;
    QString phone;
    QString email;
    QString notes;

    QList<ParticipantEntry> authors;
    QList<ParticipantEntry> teachers;
    // Position in the supervisor list of the one who gets the invoice; -1 for none.
    int leaderIndex = -1;

    std::array<std::int32_t, PassportRecord::kSlotCount> subjectSlots{};
    std::int32_t seasonId = PassportRecord::kSeason;
    Sections::LanguageChoices languages;

    bool hasPicture = false;
    QString pictureBase64;
    int pictureWidth = 0;
    int pictureHeight = 0;
    QString pictureCaption;

    bool operator==(const PassportSnapshot&) const = default;
};
