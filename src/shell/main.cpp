#include "AppInfo.h"
#include "ErrorBox.h"
#include "Failure.h"
#include "Form.h"
#include "QtDesktopServices.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    installRussianTranslations(application);
    installApplicationFont();

    QtDesktopServices services;
    try {
        EditorWindows windows(services);
        services.setOwner(windows.Pasport.get());
        windows.Pasport->show();
        QApplication::exec();
    } catch (const Failure& failure) {
        showStandardError(services, failure.message());
    } catch (...) {
        showStandardError(services, QString());
    }
    return 0;
}
