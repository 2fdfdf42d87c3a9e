#include "windows/ErrorBox.h"

#include "core/shell/AppInfo.h"
#include "core/shell/Failure.h"

void showStandardError(DesktopServices& services, const QString& message)
{
    services.messageBox(withFullStop(message), kApplicationTitle, DesktopServices::Icon::Error,
                        DesktopServices::Buttons::Ok);
}

void runGuarded(DesktopServices& services, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Failure& failure) {
        if (!failure.isSilent())
            showStandardError(services, failure.message());
    } catch (...) {
        // Anything else, of whatever type, would otherwise end the program through Qt's loop.
        showStandardError(services, QString());
    }
}
