#include "windows/ErrorBox.h"

#include "core/shell/AppInfo.h"
#include "core/shell/Failure.h"

void showStandardError(MessageBoxes& messages, const QString& message)
{
    messages.messageBox(withFullStop(message), kApplicationTitle, MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
}

void runGuarded(MessageBoxes& messages, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Failure& failure) {
        if (!failure.isSilent())
            showStandardError(messages, failure.message());
    } catch (...) {
        // Anything else, of whatever type, would otherwise end the program through Qt's loop.
        showStandardError(messages, QString());
    }
}
