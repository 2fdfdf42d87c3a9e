#pragma once

#include "core/shell/Failure.h"

#include <QString>
#include <utility>

// The message of the Failure the action throws; empty when it throws none. Anything else it throws
// goes on to the test, which fails.
template <typename Action>
QString failureOf(Action&& action)
{
    try {
        std::forward<Action>(action)();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return QString();
}
