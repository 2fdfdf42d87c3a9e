#pragma once

#include "core/shell/DesktopServices.h"

#include <functional>

// The standard error box: error icon, OK, the application title as caption.
void showStandardError(DesktopServices& services, const QString& message);

// Runs a handler; a failure that escapes it is shown in the standard error box (nothing for a
// silent one, an empty text for a failure that carries no message of ours).
void runGuarded(DesktopServices& services, const std::function<void()>& handler);
