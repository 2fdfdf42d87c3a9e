#include "committee/CommandLine.h"
#include "core/draft/DraftKeeper.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DisplayText.h"
#include "core/shell/EndSignals.h"
#include "core/shell/Failure.h"
#include "windows/ErrorBox.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSessionManager>
#include <csignal>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    QByteArrayList args;
    for (int i = 1; i < argc; ++i)
        args << QByteArray(argv[i]);
    // The command-line modes run over SSH without a display: decided before any QApplication.
    if (isCommitteeCommand(args)) {
        // Every file of a folder takes and gives back buffers of the same sizes: memory given back
        // stays for the next file instead of being returned to the system and faulted in again, a
        // page at a time (a large file's buffer still comes from and goes back to the system).
        mallopt(M_MMAP_THRESHOLD, 4 << 20);
        mallopt(M_TRIM_THRESHOLD, 16 << 20);
        QCoreApplication application(argc, argv);
        // A closed pipe must end the run with a message and its own status, not kill it unseen.
        std::signal(SIGPIPE, SIG_IGN);
        Output out(STDOUT_FILENO, QStringLiteral("стандартный вывод"));
        Output err(STDERR_FILENO, QStringLiteral("стандартный поток ошибок"));
        return runCommandLine(args, out, err);
    }
    // After "--" every argument is a path, even one that Qt would take for an option of its own.
    const bool pathsOnly = args.value(0) == "--";
    int qtArgc = pathsOnly ? 1 : argc;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    // The desktop entry's name lets the taskbar pair the window with the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(LUMARINDA_APP_ID));
    // The window carries its own copy: a theme lookup may find only the SVG, which needs a plugin.
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    installRussianTranslations(application);
    installApplicationFont();

    QtDesktopServices services;
    try {
        EditorWindows windows(services);
        services.setOwner(windows.Pasport.get());
        windows.Pasport->show();
        // Asked to end (a shutdown, the session or the terminal ending), where nobody may be there
        // to answer a question: the draft tried once more, and the log told where the input went.
        // exit(), not quit(): quit() would close the window, which asks.
        const auto keepDraft = [&windows] {
            DraftKeeper& draft = windows.Pasport->draft();
            draft.keepNow(DraftKeeper::Report::Never);
            const QString note = draft.endNote();
            if (!note.isEmpty())
                std::fputs(qPrintable(QStringLiteral("lumarinda-passport: %1\n").arg(displayText(note))), stderr);
        };
        EndSignals endSignals([&keepDraft] {
            keepDraft();
            QApplication::exit(0);
        });
        QObject::connect(&application, &QGuiApplication::commitDataRequest, windows.Pasport.get(),
                         [&keepDraft](QSessionManager&) { keepDraft(); });
        QStringList files = QApplication::arguments().mid(1);
        if (pathsOnly) {
            files.clear();
            for (const QByteArray& path : args.mid(1))
                files << QFile::decodeName(path);
        }
        openPassportFromArguments(*windows.Pasport, files);
        QApplication::exec();
    } catch (const Failure& failure) {
        showStandardError(services, failure.message());
    } catch (...) {
        showStandardError(services, QString());
    }
    return 0;
}
