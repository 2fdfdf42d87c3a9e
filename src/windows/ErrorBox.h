#pragma once

#include "core/shell/MessageBoxes.h"

#include <functional>

// The standard error box: error icon, OK, the application title as caption.
void showStandardError(MessageBoxes& messages, const QString& message);

// Runs a handler; a failure that escapes it is shown in the standard error box (nothing for a
// silent one, an empty text for a failure that carries no message of ours).
void runGuarded(MessageBoxes& messages, const std::function<void()>& handler);
