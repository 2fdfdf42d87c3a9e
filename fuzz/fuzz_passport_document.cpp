// Any text in any field of the passport gives a well-formed file, and every value reads back from
// a conforming parser as the file's rules say: taken as held or trimmed, minus the characters XML
// cannot carry.

#include "FuzzCheck.h"
#include "FuzzFields.h"
#include "core/passport/PassportDocument.h"
#include "core/shell/Trimming.h"
#include "core/shell/Windows1251.h"
#include "support/Xml.h"

#include <QString>
#include <cstdint>

namespace {

ParticipantEntry entry(Fields& fields, const QByteArray& id)
{
    return {id, toCp1251(fields.text()), toCp1251(fields.text()), toCp1251(fields.text())};
}

QString trimmedValue(const QString& text)
{
    return trimControls(dropUnwritableXmlCharacters(text));
}

QString heldValue(const QString& text)
{
    return dropUnwritableXmlCharacters(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    Fields fields(data, size);
    const int flags = fields.byte();

    PassportSnapshot passport;
    passport.title = fields.text();
    passport.description = fields.text();
    passport.techRequest = fields.text();
    passport.manual = fields.text();
    passport.postIndex = fields.text();
    passport.postAddress = fields.text();
    passport.phone = fields.text();
    passport.email = fields.text();
    passport.notes = fields.text();
    passport.authors = {entry(fields, "123-456-798")};
    passport.teachers = {entry(fields, "765-432-193"), entry(fields, "100-018-305")};
    passport.leaderIndex = flags & 1 ? 1 : -1;
    passport.subjectSlots = {2, Sections::kLinguistics, 0, 0, 0};
    passport.languages.russian = flags & 2;
    passport.languages.other = flags & 4;
    passport.languages.otherText = fields.text();
    passport.hasPicture = flags & 8;
    passport.pictureBase64 = QStringLiteral("/9j/4AAQ\nSkZJRg==");
    passport.pictureWidth = 300;
    passport.pictureHeight = 200;
    passport.pictureCaption = fields.text();

    const auto kind = flags & 16 ? PassportDocumentKind::Preview : PassportDocumentKind::Saved;
    const QByteArray file = serializePassportDocument(BuildPassportDocument(passport, kind, 1450000000));
    const XmlDoc doc(file);
    FUZZ_CHECK(doc.ok());

    QString title = trimmedValue(passport.title);
    if (kind == PassportDocumentKind::Preview && title.isEmpty())
        title = kUntitledWork;
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/@title")) == title);
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/description")) == heldValue(passport.description));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/specification")) == heldValue(passport.techRequest));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/manual")) == heldValue(passport.manual));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/public_relations/postal_code")) ==
               trimmedValue(passport.postIndex));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/public_relations/address")) ==
               trimmedValue(passport.postAddress));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/public_relations/phone")) == trimmedValue(passport.phone));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/public_relations/email")) == trimmedValue(passport.email));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/comment")) == trimmedValue(passport.notes));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/authors/person[1]/@surname")) ==
               trimmedValue(fromCp1251(passport.authors.at(0).surname)));
    FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/authors/person[3]/@patronymic")) ==
               trimmedValue(fromCp1251(passport.teachers.at(1).patronymic)));
    FUZZ_CHECK(doc.count(QStringLiteral("//person[@status='leader']")) == (passport.leaderIndex == 1 ? 1 : 0));
    if (passport.languages.other)
        FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/subjects/subject[2]/subject[@title]/@title")) ==
                   trimmedValue(passport.languages.otherText));
    if (passport.hasPicture) {
        const QString caption = heldValue(passport.pictureCaption);
        // A caption of nothing the file can carry is no caption.
        FUZZ_CHECK(doc.count(QStringLiteral("/lumarinda/work/img/@title")) == (caption.isEmpty() ? 0 : 1));
        FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/img/@title")) == caption);
        FUZZ_CHECK(doc.string(QStringLiteral("/lumarinda/work/img/@src")) ==
                   QStringLiteral("data:image/jpeg;base64,/9j/4AAQ\nSkZJRg=="));
    }
    return 0;
}
