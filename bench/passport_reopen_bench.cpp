// Times opening the largest passport the editor can write: every text at its limit in characters
// that the file escapes, 10 authors and 3 supervisors, both main sections with all languages and
// the two extra sections, and a 300 x 300 picture of noise, which JPEG compresses worst.
//
//   lumarinda-bench-reopen [runs]

#include "LargestPassport.h"
#include "Timing.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/shell/Failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    try {
        const QByteArray file = serializePassportDocument(
            BuildPassportDocument(largest::largestPassport(), PassportDocumentKind::Saved, 0));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("largest.qdx.xml"));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
            return 1;
        out.close();
        std::printf("largest passport: %lld bytes, %d runs\n", static_cast<long long>(file.size()), runs);

        report("readPassportDocument", timed(runs, [&](int) { readPassportDocument(file); }));
        report("readPassportFile", timed(runs, [&](int) { readPassportFile(path); }));
        report("read + build + serialise again", timed(runs, [&](int) {
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
