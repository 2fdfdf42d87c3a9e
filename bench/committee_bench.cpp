// Times the committee's check and list of a folder of passports with pictures, run as the
// committee runs them (the installed program, a child process without a display), and compares
// the peak memory for 100 and for 1000 files; the check beside xmllint only parsing the same files
// and beside xmllint validating them against the published schema, run in turns, as ratios of each
// pair (median and spread); and the check of the worst files a sender can make: one element with
// 100,000 attributes in 1 MB, a sound passport padded to 60 MiB, and a folder of four passports
// padded to 20 MiB each, read side by side.
//
//   lumarinda-bench-committee [files [pairs]]
//
// LUMARINDA_BENCH_PROGRAM names another build of the program to time instead of this one's;
// LUMARINDA_READING_THREADS is passed on to it.

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

const int kPictureWidth = 300;
const int kPictureHeight = 200;

// The program timed: this build's, or the one the environment names.
const char* program()
{
    const char* named = std::getenv("LUMARINDA_BENCH_PROGRAM");
    return named && *named ? named : LUMARINDA_BINARY;
}

// A photo-like picture as wide as shown pictures are, different for each seed.
QString picture(int seed)
{
    RgbPicture rgb(kPictureWidth, kPictureHeight);
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
        p.pictureWidth = kPictureWidth;
        p.pictureHeight = kPictureHeight;
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
    // Of the processor, user and system, all threads.
    double cpuSeconds = 0;
    long peakKilobytes = 0;
    long minorFaults = 0;
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
    measure.cpuSeconds =
        usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    measure.minorFaults = usage.ru_minflt;
    measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return measure;
}

Measure runProgram(const char* mode, const QString& path)
{
    return runProgram({program(), mode, QFile::encodeName(path)});
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
    return best({program(), mode, QFile::encodeName(folder)});
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The check and a yardstick over the same files, run in turns so that a load on the machine
// weighs on both alike: the median of each, and the median, least and greatest of the pairs'
// ratios.
void checkBeside(const char* name, const QString& folder, const QByteArrayList& yardstickKeys, int pairs, double target)
{
    QByteArrayList yardstick = yardstickKeys;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
        yardstick << QFile::encodeName(info.filePath());
    const QByteArrayList check = {program(), "--check", QFile::encodeName(folder)};
    runProgram(check); // the files into the page cache, the program's libraries too
    runProgram(yardstick);
    std::vector<double> ours;
    std::vector<double> theirs;
    std::vector<double> ratios;
    std::vector<double> cpuRatios;
    std::vector<double> faults;
    int yardstickStatus = 0;
    for (int pair = 0; pair < pairs; ++pair) {
        const Measure a = runProgram(check);
        const Measure b = runProgram(yardstick);
        yardstickStatus = std::max(yardstickStatus, b.status);
        ours.push_back(a.seconds);
        theirs.push_back(b.seconds);
        ratios.push_back(a.seconds / b.seconds);
        cpuRatios.push_back(a.cpuSeconds / b.cpuSeconds);
        faults.push_back(a.minorFaults);
    }
    const double ratio = median(ratios);
    std::printf("--check beside %-24s %d pairs: %6.3f s / %6.3f s (status %d), ratio median %.2f, spread %.2f-%.2f"
                " (target at most %.2f%s)\n",
                name, pairs, median(ours), median(theirs), yardstickStatus, ratio,
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                target, ratio <= target ? "" : ", MISSED");
    std::printf("    processor time ratio median %.2f, spread %.2f-%.2f; the check's minor page faults: %.0f\n",
                median(cpuRatios), *std::min_element(cpuRatios.begin(), cpuRatios.end()),
                *std::max_element(cpuRatios.begin(), cpuRatios.end()), median(faults));
}

// One element with 100,000 attributes: about 1 MB.
void writeManyAttributes(QFile& file, const QByteArray& sound)
{
    file.write(sound.left(sound.indexOf("<lumarinda>")) + "<lumarinda><work");
    for (int i = 0; i < 100000; ++i)
        file.write(" a" + QByteArray::number(i) + "=\"\"");
    file.write("/></lumarinda>\n");
}

// A sound passport with `mebibytes` of blanks between its elements; written a block at a time, for
// a child's peak memory counts this process's too.
void writePaddedBy(QFile& file, const QByteArray& sound, int mebibytes)
{
    const qsizetype at = sound.indexOf("<lumarinda>") + qsizetype(sizeof("<lumarinda>") - 1);
    file.write(sound.left(at));
    const QByteArray blanks(1 << 20, ' ');
    for (int block = 0; block < mebibytes; ++block)
        file.write(blanks);
    file.write(sound.mid(at));
}

// Just under the size refused unread.
void writePadded(QFile& file, const QByteArray& sound)
{
    writePaddedBy(file, sound, 60);
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int pairs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small"));
    const QString large = dir.filePath(QStringLiteral("large"));
    writeFolder(small, files / 10);
    writeFolder(large, files);
    qint64 bytes = 0;
    for (const QFileInfo& info : QDir(large).entryInfoList(QDir::Files))
        bytes += info.size();
    std::printf("%s\n%d passports with a %d x %d picture, %.1f MB in all\n", program(), files, kPictureWidth,
                kPictureHeight, bytes / 1e6);
    checkBeside("xmllint --noout", large, {"xmllint", "--noout"}, pairs, 1.2);
    checkBeside("xmllint --noout --schema", large, {"xmllint", "--noout", "--schema", LUMARINDA_SCHEMA}, pairs, 0.6);

    for (const char* mode : {"--check", "--list"}) {
        const double target = std::strcmp(mode, "--check") == 0 ? 2.0 : 3.0;
        const Measure few = best(mode, small);
        const Measure many = best(mode, large);
        std::printf("%-8s %5d files: %6.3f s (target %.0f s%s), status %d, peak %6.1f MB;"
                    " %4d files: peak %6.1f MB\n",
                    mode, files, many.seconds, target, many.seconds < target ? "" : ", MISSED", many.status,
                    many.peakKilobytes / 1024.0, files / 10, few.peakKilobytes / 1024.0);
    }
    const Measure sheet = best({program(), "--list", "-o", QFile::encodeName(dir.filePath(QStringLiteral("list.xlsx"))),
                                QFile::encodeName(large)});
    std::printf("--list -o list.xlsx %5d files: %6.3f s, status %d, peak %6.1f MB\n", files, sheet.seconds,
                sheet.status, sheet.peakKilobytes / 1024.0);

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

    const QString padded = dir.filePath(QStringLiteral("padded"));
    QDir().mkpath(padded);
    qint64 paddedBytes = 0;
    for (int i = 0; i < 4; ++i) {
        QFile file(QDir(padded).filePath(QStringLiteral("%1.qdx.xml").arg(i)));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        writePaddedBy(file, sound, 20);
        paddedBytes += file.size();
    }
    const Measure four = runProgram("--check", padded);
    std::printf("--check  four of 20 MiB each  (%5.1f MB): %7.3f s, status %d, peak %6.1f MB\n", paddedBytes / 1e6,
                four.seconds, four.status, four.peakKilobytes / 1024.0);
    return 0;
}
