#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

// A single-shot timer on the event loop: start() begins the wait anew, stop() ends it unfired.
class DesktopTimer
{
public:
    virtual ~DesktopTimer() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};

// The time of day, waiting and timers.
class Clock
{
public:
    virtual ~Clock() = default;

    virtual void wait(int milliseconds) = 0;
    // Runs `timeout` on the event loop once `milliseconds` have passed since the timer's last start.
    virtual std::unique_ptr<DesktopTimer> timer(int milliseconds, std::function<void()> timeout) = 0;
    // Seconds since 1970-01-01 00:00:00 UTC.
    virtual qint64 now() = 0;
};
