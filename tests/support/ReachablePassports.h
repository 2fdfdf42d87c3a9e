#pragma once

#include "core/participants/ParticipantId.h"
#include "core/passport/Completeness.h"
#include "core/passport/FieldLimits.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/passport/PassportRecord.h"
#include "core/passport/PassportSnapshot.h"
#include "core/passport/TextFields.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"
#include "core/sections/SectionRules.h"
#include "core/shell/Failure.h"
#include "core/shell/Trimming.h"
#include "core/shell/Windows1251.h"

#include <QByteArray>
#include <QString>
#include <algorithm>

// Passports the editor can hold, drawn through what its controls and dialogs let a user do, and
// what the file keeps of them. `Choices` gives `int below(int bound)` (0 to bound - 1): a seeded
// generator in the property test, the fuzzer's bytes in the fuzz target.
namespace ReachablePassports {

// Characters that stand for whole classes: Latin, Cyrillic, blanks, a tab, an emoji (a surrogate
// pair), characters Windows-1251 lacks, controls and non-characters the file cannot carry.
inline const QString kPalette[] = {
    QStringLiteral("a"),    QStringLiteral("Ж"),      QStringLiteral("ё"),  QStringLiteral(" "),
    QStringLiteral("\t"),   QStringLiteral("😀"),      QStringLiteral("李"), QStringLiteral("ǅ"),
    QStringLiteral("&"),    QStringLiteral("<"),      QStringLiteral("\""), QStringLiteral("]]>"),
    QStringLiteral("\x01"), QStringLiteral("\uFFFE"), QStringLiteral("№"),  QStringLiteral("\u00A0"),
};

template <typename Choices>
QString text(Choices& choose, int limit)
{
    QString result;
    const int length = choose.below(4) == 0 ? choose.below(limit + 1) : choose.below(12);
    while (result.size() < length)
        result += kPalette[choose.below(static_cast<int>(std::size(kPalette)))];
    // A line edit keeps the first `limit` units of what is pasted.
    return result.left(limit);
}

// A memo's lines joined by CR LF, the only line break it holds, within its limit.
template <typename Choices>
QString memo(Choices& choose, int limit)
{
    QString result;
    const int lines = 1 + choose.below(4);
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            result += QStringLiteral("\r\n");
        result += text(choose, limit);
    }
    result.truncate(limit);
    if (result.endsWith(u'\r'))
        result.chop(1);
    return result;
}

inline QByteArray identifier(int index)
{
    const QByteArray base = QByteArray::number(1000003 + 7919 * index);
    return FormatParticipantId(base + ParticipantCheckCode(base));
}

template <typename Choices>
ParticipantEntry entry(Choices& choose, int index)
{
    // The record keeps what the name edits held, in Windows-1251, up to its limit.
    const auto name = [&] {
        return toCp1251(text(choose, FieldLimits::kParticipantName)).left(FieldLimits::kParticipantName);
    };
    return {identifier(index), name(), name(), name()};
}

inline QByteArray pictureOf(int width, int height, int seed)
{
    RgbPicture picture(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = static_cast<unsigned char>(i * 31 + seed * 7 + (i / 3) % 5);
    return encodePreviewJpeg(picture);
}

template <typename Choices>
PassportSnapshot passport(Choices& choose)
{
    PassportSnapshot p;
    for (const PassportTextField& field : kPassportTextFields)
        p.*field.text = field.memo ? memo(choose, field.limit) : text(choose, field.limit);

    const int authors = choose.below(PassportRecord::kMaxAuthors + 1);
    const int teachers = choose.below(PassportRecord::kMaxTeachers + 1);
    for (int i = 0; i < authors; ++i)
        p.authors.append(entry(choose, i));
    for (int i = 0; i < teachers; ++i)
        p.teachers.append(entry(choose, PassportRecord::kMaxAuthors + i));
    // Any supervisor may get the invoice; with supervisors, one always does.
    p.leaderIndex = teachers > 0 ? choose.below(teachers) : -1;

    // Clicks confirmed with "Выбрать" fill the slots; later clicks in a dialog closed by its close
    // box change the boxes (and so the languages) but not the slots.
    Sections::BoxStates boxes = Sections::initialBoxStates();
    const auto clickSome = [&] {
        const int clicks = choose.below(7);
        for (int i = 0; i < clicks; ++i)
            boxes = Sections::click(boxes, 1 + choose.below(Sections::kOtherLanguageBox));
    };
    clickSome();
    p.subjectSlots = Sections::packSlots(boxes);
    if (choose.below(3) == 0)
        clickSome();
    p.languages.russian = boxes.checked[Sections::kFirstLanguage];
    p.languages.english = boxes.checked[Sections::kFirstLanguage + 1];
    p.languages.german = boxes.checked[Sections::kLastLanguage];
    p.languages.other = boxes.checked[Sections::kOtherLanguageBox];
    // The edit is emptied whenever "другое" is unticked.
    if (p.languages.other)
        p.languages.otherText = text(choose, FieldLimits::kOtherLanguage);

    if (choose.below(2) == 0) {
        const int sides[] = {1, 2, 7, 16, 300};
        const int width = sides[choose.below(5)];
        const int height = sides[choose.below(5)];
        p.hasPicture = true;
        p.pictureBase64 = QString::fromLatin1(Base64Encode(pictureOf(width, height, choose.below(256)), 19));
        p.pictureWidth = width;
        p.pictureHeight = height;
        p.pictureCaption = text(choose, 100);
    }
    return p;
}

// What the editor shows again after the file: texts as the save writes them (characters the file
// cannot carry dropped, the trimmed fields trimmed), languages only beside linguistics, the
// preview's title for an untitled preview.
inline PassportSnapshot asWritten(PassportSnapshot p, PassportDocumentKind kind)
{
    const auto clean = [](const QString& text) { return dropUnwritableXmlCharacters(text); };
    const auto trim = [&clean](const QString& text) { return trimControls(clean(text)); };
    p.title = trim(p.title);
    if (kind == PassportDocumentKind::Preview && p.title.isEmpty())
        p.title = kUntitledWork;
    p.description = clean(p.description);
    p.techRequest = clean(p.techRequest);
    p.manual = clean(p.manual);
    for (QString* field : {&p.postIndex, &p.postAddress, &p.phone, &p.email, &p.notes})
        *field = trim(*field);
    for (QList<ParticipantEntry>* group : {&p.authors, &p.teachers}) {
        for (ParticipantEntry& person : *group) {
            for (QByteArray* name : {&person.surname, &person.name, &person.patronymic})
                *name = toCp1251(trim(fromCp1251(*name)));
        }
    }
    if (std::find(p.subjectSlots.begin(), p.subjectSlots.end(), Sections::kLinguistics) == p.subjectSlots.end())
        p.languages = Sections::LanguageChoices();
    p.languages.otherText = trim(p.languages.otherText);
    p.pictureCaption = clean(p.pictureCaption);
    return p;
}

// What the completeness check lets a save write.
inline bool maySave(const PassportSnapshot& p)
{
    return CheckCompleteness(p).isEmpty();
}

inline QString firstDifference(const PassportSnapshot& a, const PassportSnapshot& b)
{
    const std::pair<const char*, bool> same[] = {
        {"title", a.title == b.title},
        {"description", a.description == b.description},
        {"techRequest", a.techRequest == b.techRequest},
        {"manual", a.manual == b.manual},
        {"postIndex", a.postIndex == b.postIndex},
        {"postAddress", a.postAddress == b.postAddress},
        {"phone", a.phone == b.phone},
        {"email", a.email == b.email},
        {"notes", a.notes == b.notes},
        {"authors", a.authors == b.authors},
        {"teachers", a.teachers == b.teachers},
        {"leaderIndex", a.leaderIndex == b.leaderIndex},
        {"subjectSlots", a.subjectSlots == b.subjectSlots},
        {"seasonId", a.seasonId == b.seasonId},
        {"languages", a.languages == b.languages},
        {"hasPicture", a.hasPicture == b.hasPicture},
        {"pictureBase64", a.pictureBase64 == b.pictureBase64},
        {"pictureWidth", a.pictureWidth == b.pictureWidth},
        {"pictureHeight", a.pictureHeight == b.pictureHeight},
        {"pictureCaption", a.pictureCaption == b.pictureCaption},
    };
    for (const auto& [field, equal] : same) {
        if (!equal)
            return QString::fromLatin1(field);
    }
    return {};
}

// The promise for one passport and one kind of document: the reader opens what was built, gives
// back the passport as written with its picture decoded, and builds the same bytes but `stored`.
// Empty when kept, otherwise what broke.
inline QString brokenPromise(const PassportSnapshot& held, PassportDocumentKind kind, qint64 stored)
{
    const QByteArray file = serializePassportDocument(BuildPassportDocument(held, kind, stored));
    ReadPassport read;
    try {
        read = readPassportDocument(file);
    } catch (const Failure& failure) {
        return QStringLiteral("refused: ") + failure.message();
    }
    if (read.storedSeconds != stored)
        return QStringLiteral("stored differs");
    const QString differs = firstDifference(read.passport, asWritten(held, kind));
    if (!differs.isEmpty())
        return QStringLiteral("snapshot differs in ") + differs;
    if (read.picture.width != read.passport.pictureWidth || read.picture.height != read.passport.pictureHeight ||
        read.picture.pixels.size() != std::size_t(read.picture.width) * read.picture.height * 3)
        return QStringLiteral("picture not decoded as stored");
    const QByteArray again = serializePassportDocument(BuildPassportDocument(read.passport, kind, stored + 1));
    if (again != serializePassportDocument(BuildPassportDocument(held, kind, stored + 1)))
        return QStringLiteral("document differs");
    return {};
}

} // namespace ReachablePassports
