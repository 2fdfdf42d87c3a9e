#include "windows/QtDesktopServices.h"

#include <QDateTime>
#include <QThread>
#include <QTimer>

namespace {

class QtTimer final : public DesktopTimer
{
public:
    QtTimer(int milliseconds, std::function<void()> timeout)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(milliseconds);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(timeout));
    }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

} // namespace

void QtDesktopServices::wait(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

std::unique_ptr<DesktopTimer> QtDesktopServices::timer(int milliseconds, std::function<void()> timeout)
{
    return std::make_unique<QtTimer>(milliseconds, std::move(timeout));
}

qint64 QtDesktopServices::now()
{
    return QDateTime::currentSecsSinceEpoch();
}
