#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM and SIGHUP (a shutdown, the session or terminal ending) handed to the event loop, where
// `onEnd` runs like any handler; a signal handler itself may do almost nothing. One at a time.
class EndSignals
{
public:
    explicit EndSignals(std::function<void()> onEnd);
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    std::function<void()> m_onEnd;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
