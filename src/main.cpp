#include "core/committee/CommandLine.h"
#include "core/draft/DraftKeeper.h"
#include "core/shell/AppInfo.h"
#include "core/shell/EndSignals.h"
#include "core/shell/Failure.h"
#include "windows/ErrorBox.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <cstdio>

int main(int argc, char** argv)
{
    // The committee's commands run over SSH without a display: decided before any QApplication.
    if (argc > 1 && QByteArray(argv[1]).startsWith("--")) {
        QCoreApplication application(argc, argv);
        QByteArrayList args;
        for (int i = 1; i < argc; ++i)
            args << QByteArray(argv[i]);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runCommandLine(args, out, err);
    }
    QApplication application(argc, argv);
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
        // Asked to end (a shutdown, the session or the terminal ending): the draft first, quietly.
        const auto keepDraftAndEnd = [&windows] {
            windows.Pasport->draft().keepNow(DraftKeeper::Report::Never);
            QApplication::quit();
        };
        EndSignals endSignals(keepDraftAndEnd);
        QObject::connect(
            &application, &QGuiApplication::commitDataRequest, windows.Pasport.get(),
            [&windows](QSessionManager&) { windows.Pasport->draft().keepNow(DraftKeeper::Report::Never); });
        openPassportFromArguments(*windows.Pasport, QApplication::arguments().mid(1));
        QApplication::exec();
    } catch (const Failure& failure) {
        showStandardError(services, failure.message());
    } catch (...) {
        showStandardError(services, QString());
    }
    return 0;
}
