// Any passport the editor can hold, written and opened again, builds the very same file: the
// reader refuses none of them and loses or changes nothing but what a new save writes anew. The
// committee's reading, which only checks the picture, takes the same passport from it.

#include "FuzzCheck.h"
#include "FuzzFields.h"
#include "core/participants/ParticipantId.h"
#include "core/passport/FieldLimits.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/passport/TextFields.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"
#include "core/sections/SectionRules.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"

#include <QString>
#include <cstdint>
#include <cstdio>

namespace {

bool isMemoBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// A line edit's text: whatever was pasted, up to its limit.
QString lineText(Fields& fields, int limit)
{
    return fields.text().left(limit);
}

// A memo's text: lines joined by CR LF, the only line break a memo holds, within its limit.
QString memoText(Fields& fields, int limit)
{
    QString memo;
    const int lines = 1 + fields.byte() % 4;
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            memo += QStringLiteral("\r\n");
        QString line = fields.text();
        line.removeIf(isMemoBreak);
        memo += line;
    }
    memo.truncate(limit);
    if (memo.endsWith(u'\r'))
        memo.chop(1);
    return memo;
}

QByteArray identifier(int index)
{
    const QByteArray base = QByteArray::number(1000003 + 7919 * index);
    return FormatParticipantId(base + ParticipantCheckCode(base));
}

ParticipantEntry entry(Fields& fields, int index)
{
    auto name = [&] { return toCp1251(fields.text()).left(FieldLimits::kParticipantName); };
    return {identifier(index), name(), name(), name()};
}

QByteArray pictureOf(int width, int height, int seed)
{
    RgbPicture picture(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = static_cast<unsigned char>(i * 31 + seed);
    return encodePreviewJpeg(picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    Fields fields(data, size);
    const int flags = fields.byte();

    PassportSnapshot passport;
    for (const PassportTextField& field : kPassportTextFields)
        passport.*field.text = field.memo ? memoText(fields, field.limit) : lineText(fields, field.limit);

    const int authors = fields.byte() % (PassportRecord::kMaxAuthors + 1);
    const int teachers = fields.byte() % (PassportRecord::kMaxTeachers + 1);
    for (int i = 0; i < authors; ++i)
        passport.authors.append(entry(fields, i));
    for (int i = 0; i < teachers; ++i)
        passport.teachers.append(entry(fields, PassportRecord::kMaxAuthors + i));
    passport.leaderIndex = teachers > 0 ? fields.byte() % teachers : -1;

    // The sections as a user clicks them in the dialog.
    Sections::BoxStates boxes = Sections::initialBoxStates();
    const int clicks = fields.byte() % 9;
    for (int i = 0; i < clicks; ++i)
        boxes = Sections::click(boxes, fields.byte() % (Sections::kOtherLanguageBox + 1));
    passport.subjectSlots = Sections::packSlots(boxes);
    passport.languages.russian = boxes.checked[Sections::kFirstLanguage];
    passport.languages.english = boxes.checked[Sections::kFirstLanguage + 1];
    passport.languages.german = boxes.checked[Sections::kLastLanguage];
    passport.languages.other = boxes.checked[Sections::kOtherLanguageBox];
    if (passport.languages.other)
        passport.languages.otherText = lineText(fields, FieldLimits::kOtherLanguage);

    if (flags & 1) {
        const int width = flags & 2 ? 300 : 1 + fields.byte() % 16;
        const int height = flags & 4 ? 300 : 1 + fields.byte() % 16;
        const QByteArray jpeg = pictureOf(width, height, fields.byte());
        passport.hasPicture = true;
        passport.pictureBase64 = QString::fromLatin1(Base64Encode(jpeg, fields.byte() % 20));
        passport.pictureWidth = width;
        passport.pictureHeight = height;
        passport.pictureCaption = fields.text();
    }

    const auto kind = flags & 8 ? PassportDocumentKind::Preview : PassportDocumentKind::Saved;
    const qint64 stored = (qint64(fields.byte()) << 24) | fields.byte();
    const QByteArray file = serializePassportDocument(BuildPassportDocument(passport, kind, stored));
    ReadPassport read;
    ReadPassport checked;
    try {
        read = readPassportDocument(file);
        checked = readPassportDocument(file, nullptr, PictureReading::Checked);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "refused: %s\n", failure.what());
        FUZZ_CHECK(!"a passport the editor holds is refused");
    }
    FUZZ_CHECK(read.storedSeconds == stored);
    FUZZ_CHECK(serializePassportDocument(BuildPassportDocument(read.passport, kind, stored)) == file);
    FUZZ_CHECK(checked.storedSeconds == stored);
    FUZZ_CHECK(serializePassportDocument(BuildPassportDocument(checked.passport, kind, stored)) == file);
    FUZZ_CHECK(checked.picture.pixels.empty());
    return 0;
}
