// Times the committee's check and list of a folder of passports with pictures, run as the
// committee runs them (the installed program, a child process without a display), and compares
// the peak memory for 100 and for 1000 files; the check beside xmllint validating the same files
// against the published schema; and the check of the worst files a sender can make: one element
// with 100,000 attributes in 1 MB, and a sound passport padded to 60 MiB.
//
//   lumarinda-bench-committee [files]

#include "core/participants/ParticipantId.h"
#include "core/passport/PassportDocument.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

QByteArray identifier(int index)
{
    // Seven digits for any index.
    const QByteArray base = QByteArray::number(1000003 + 7919 * (index % 1000));
    return FormatParticipantId(base + ParticipantCheckCode(base));
}

// A photo-like picture of the largest shown size, different for each seed.
QString picture(int seed)
{
    RgbPicture rgb(300, 225);
    unsigned noise = static_cast<unsigned>(seed) * 2654435761u + 1;
    for (int y = 0; y < rgb.height; ++y) {
        unsigned char* row = rgb.row(y);
        for (int x = 0; x < rgb.width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double light = 120 + 70 * std::sin(0.03 * x + seed) * std::cos(0.02 * y) + (noise >> 28);
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = static_cast<unsigned char>(std::clamp(light + 25 * c - 25, 0.0, 255.0));
        }
    }
    return QString::fromLatin1(Base64Encode(encodePreviewJpeg(rgb), 19));
}

void writeFolder(const QString& folder, int count)
{
    QDir().mkpath(folder);
    QList<QString> pictures;
    for (int i = 0; i < 10; ++i)
        pictures << picture(i);
    for (int i = 0; i < count; ++i) {
        PassportSnapshot p;
        p.title = QStringLiteral("Работа №%1, «с кавычками»").arg(i);
        p.description = QStringLiteral("Описание работы\r\nв две строки");
        p.subjectSlots = {6, 22, 0, 0, 0};
        p.languages.english = true;
        p.authors = {
            {identifier(2 * i), "\xC8\xE2\xE0\xED\xEE\xE2", "\xC8\xE2\xE0\xED", "\xC8\xE2\xE0\xED\xEE\xE2\xE8\xF7"}};
        p.teachers = {{identifier(2 * i + 1), "\xCF\xE5\xF2\xF0\xEE\xE2\xE0", "\xC0\xED\xED\xE0", "\xC8"}};
        p.leaderIndex = 0;
        p.email = QStringLiteral("school%1@example.ru").arg(i);
        p.hasPicture = true;
        p.pictureBase64 = pictures.at(i % pictures.size());
        p.pictureWidth = 300;
        p.pictureHeight = 225;
        p.pictureCaption = QStringLiteral("Подпись");
        p.notes = QStringLiteral("Комментарий\r\nдля оргкомитета");
        QFile file(QStringLiteral("%1/%2.qdx.xml").arg(folder).arg(i, 4, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
        file.write(serializePassportDocument(BuildPassportDocument(p, PassportDocumentKind::Saved, 1796902565)));
    }
}

struct Measure
{
    double seconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

// A program in a child without a display; its output goes to /dev/null.
Measure runProgram(const QByteArrayList& args)
{
    std::vector<QByteArray> owned(args.begin(), args.end());
    std::vector<char*> argv;
    for (QByteArray& arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> environment;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            environment.push_back(*e);
    }
    environment.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv.front(), &actions, nullptr, argv.data(), environment.data()) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    Measure measure;
    measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measure.peakKilobytes = usage.ru_maxrss;
    measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return measure;
}

Measure runProgram(const char* mode, const QString& path)
{
    return runProgram({LUMARINDA_BINARY, mode, QFile::encodeName(path)});
}

Measure best(const QByteArrayList& args)
{
    Measure result = runProgram(args);
    for (int run = 1; run < 3; ++run) {
        const Measure next = runProgram(args);
        result.seconds = std::min(result.seconds, next.seconds);
        result.peakKilobytes = std::max(result.peakKilobytes, next.peakKilobytes);
    }
    return result;
}

Measure best(const char* mode, const QString& folder)
{
    return best({LUMARINDA_BINARY, mode, QFile::encodeName(folder)});
}

// The check and xmllint validating the same files against the published schema, run in turns so
// that a load on the machine weighs on both alike; the best of five each.
std::pair<Measure, Measure> checkBesideXmllint(const QString& folder)
{
    QByteArrayList xmllint = {"xmllint", "--noout", "--schema", LUMARINDA_SCHEMA};
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
        xmllint << QFile::encodeName(info.filePath());
    const QByteArrayList check = {LUMARINDA_BINARY, "--check", QFile::encodeName(folder)};
    std::pair<Measure, Measure> result{runProgram(check), runProgram(xmllint)};
    for (int run = 1; run < 5; ++run) {
        result.first.seconds = std::min(result.first.seconds, runProgram(check).seconds);
        result.second.seconds = std::min(result.second.seconds, runProgram(xmllint).seconds);
    }
    return result;
}

// One element with 100,000 attributes: about 1 MB.
void writeManyAttributes(QFile& file, const QByteArray& sound)
{
    file.write(sound.left(sound.indexOf("<lumarinda>")) + "<lumarinda><work");
    for (int i = 0; i < 100000; ++i)
        file.write(" a" + QByteArray::number(i) + "=\"\"");
    file.write("/></lumarinda>\n");
}

// A sound passport with 60 MiB of blanks between its elements, just under the size refused unread;
// written a block at a time, for a child's peak memory counts this process's too.
void writePadded(QFile& file, const QByteArray& sound)
{
    const qsizetype at = sound.indexOf("<lumarinda>") + qsizetype(sizeof("<lumarinda>") - 1);
    file.write(sound.left(at));
    const QByteArray blanks(1 << 20, ' ');
    for (int block = 0; block < 60; ++block)
        file.write(blanks);
    file.write(sound.mid(at));
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small"));
    const QString large = dir.filePath(QStringLiteral("large"));
    writeFolder(small, files / 10);
    writeFolder(large, files);
    qint64 bytes = 0;
    for (const QFileInfo& info : QDir(large).entryInfoList(QDir::Files))
        bytes += info.size();
    std::printf("%d passports with a 300 x 225 picture, %.1f MB in all\n", files, bytes / 1e6);

    for (const char* mode : {"--check", "--list"}) {
        const double target = std::strcmp(mode, "--check") == 0 ? 2.0 : 3.0;
        const Measure few = best(mode, small);
        const Measure many = best(mode, large);
        std::printf("%-8s %5d files: %6.3f s (target %.0f s%s), status %d, peak %6.1f MB;"
                    " %4d files: peak %6.1f MB\n",
                    mode, files, many.seconds, target, many.seconds < target ? "" : ", MISSED", many.status,
                    many.peakKilobytes / 1024.0, files / 10, few.peakKilobytes / 1024.0);
    }
    const Measure sheet =
        best({LUMARINDA_BINARY, "--list", "-o", QFile::encodeName(dir.filePath(QStringLiteral("list.xlsx"))),
              QFile::encodeName(large)});
    std::printf("--list -o list.xlsx %5d files: %6.3f s, status %d, peak %6.1f MB\n", files, sheet.seconds,
                sheet.status, sheet.peakKilobytes / 1024.0);
    const auto [check, xmllint] = checkBesideXmllint(large);
    const double ratio = check.seconds / xmllint.seconds;
    std::printf("--check  %5d files: %6.3f s beside xmllint --schema: %6.3f s, status %d; %.2f of it"
                " (target at most 0.60%s)\n",
                files, check.seconds, xmllint.seconds, xmllint.status, ratio, ratio <= 0.6 ? "" : ", MISSED");

    // Run once each: the point is that neither stalls a folder.
    QFile soundFile(QDir(large).filePath(QStringLiteral("0000.qdx.xml")));
    if (!soundFile.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray sound = soundFile.readAll();
    const QString worst = dir.filePath(QStringLiteral("worst"));
    QDir().mkpath(worst);
    const struct
    {
        const char* what;
        QString name;
        void (*write)(QFile&, const QByteArray&);
    } cases[] = {
        {"100,000 attributes", QStringLiteral("attributes.qdx.xml"), writeManyAttributes},
        {"60 MiB of padding", QStringLiteral("padding.qdx.xml"), writePadded},
    };
    for (const auto& worstCase : cases) {
        QFile file(QDir(worst).filePath(worstCase.name));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        worstCase.write(file, sound);
        file.close();
        const Measure measure = runProgram("--check", file.fileName());
        std::printf("--check  %-18s (%5.1f MB): %7.3f s, status %d, peak %6.1f MB\n", worstCase.what, file.size() / 1e6,
                    measure.seconds, measure.status, measure.peakKilobytes / 1024.0);
    }
    return 0;
}
