// Times opening the largest passport the editor can write: every text at its limit in characters
// that the file escapes, 10 authors and 3 supervisors, both main sections with all languages and
// the two extra sections, and a 300 x 300 picture of noise, which JPEG compresses worst.
//
//   lumarinda-bench-reopen [runs]

#include "core/participants/ParticipantId.h"
#include "core/passport/FieldLimits.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"
#include "core/shell/Failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

QByteArray identifier(int index)
{
    const QByteArray base = QByteArray::number(1000003 + 7919 * index);
    return FormatParticipantId(base + ParticipantCheckCode(base));
}

// Characters the file escapes, characters of four UTF-8 bytes and, in memos, line breaks.
QString filled(int length, bool memo = false)
{
    const QString pieces[] = {QStringLiteral("😀"), QStringLiteral("&<"), memo ? QStringLiteral("\r\n") : "\"\t"};
    QString text;
    for (int i = 0; text.size() + 2 <= length; ++i)
        text += pieces[i % 3];
    return text.left(length);
}

PassportSnapshot largestPassport()
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

template <typename F>
std::vector<double> timed(int runs, F&& body)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void report(const char* what, const std::vector<double>& ms)
{
    std::printf("%-34s median %7.2f ms   min %7.2f ms   max %7.2f ms\n", what, ms[ms.size() / 2], ms.front(),
                ms.back());
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    try {
        const QByteArray file =
            serializePassportDocument(BuildPassportDocument(largestPassport(), PassportDocumentKind::Saved, 0));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("largest.qdx.xml"));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
            return 1;
        out.close();
        std::printf("largest passport: %lld bytes, %d runs\n", static_cast<long long>(file.size()), runs);

        report("readPassportDocument", timed(runs, [&] { readPassportDocument(file); }));
        report("readPassportFile", timed(runs, [&] { readPassportFile(path); }));
        report("read + build + serialise again", timed(runs, [&] {
                   const ReadPassport read = readPassportDocument(file);
                   if (serializePassportDocument(BuildPassportDocument(read.passport, PassportDocumentKind::Saved,
                                                                       read.storedSeconds)) != file)
                       std::abort();
               }));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
