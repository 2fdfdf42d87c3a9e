// Times the draft of the largest passport the editor can hold (every text at its limit, 13 people,
// all sections and languages, a 300 x 300 noise picture) in the real window on the real desktop
// services: writing it (gathering, building, the atomic write) and restoring it (reading and
// filling the editor as opening a file does).
//
//   QT_QPA_PLATFORM=offscreen lumarinda-bench-draft [runs]

#include "LargestPassport.h"
#include "Timing.h"
#include "core/draft/DraftKeeper.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/shell/Failure.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    QApplication application(argc, argv);
    // QApplication took the desktop's locale; the figures print with a decimal point on any desktop.
    std::setlocale(LC_NUMERIC, "C");
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    try {
        QtDesktopServices services;
        EditorWindows windows(services);
        TPasport& window = *windows.Pasport;
        window.loadPassport(readPassportDocument(serializePassportDocument(
            BuildPassportDocument(largest::largestPassport(), PassportDocumentKind::Saved, 0))));
        auto* email = window.findChild<QLineEdit*>(QStringLiteral("public_email"));

        // Each run changes one letter, so each writes the whole draft anew.
        report("write the draft", timed(runs, [&](int i) {
                   email->setText(email->text().left(email->text().size() - 1) + QChar(u'a' + i % 2));
                   window.draft().keepNow();
               }));
        const QStringList drafts =
            QDir(state.path() + QStringLiteral("/lumarinda-passport")).entryList({QStringLiteral("draft-*.qdx.xml")});
        if (drafts.size() != 1)
            return 1;
        const QString path = state.path() + QStringLiteral("/lumarinda-passport/") + drafts.constFirst();
        std::printf("draft: %lld bytes, %d runs\n", static_cast<long long>(QFile(path).size()), runs);

        const QByteArray bytes = readAll(path);
        report("  of which the atomic write", timed(runs, [&](int) { services.writeFile(path, bytes); }));

        EditorWindows fresh(services);
        report("restore the draft", timed(runs, [&](int) {
                   const ReadPassport read = readPassportAt(QFile::encodeName(path));
                   fresh.Pasport->loadPassport(read);
               }));
        report("  of which reading", timed(runs, [&](int) { readPassportAt(QFile::encodeName(path)); }));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
