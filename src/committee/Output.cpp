#include "committee/Output.h"

#include "core/shell/SystemReason.h"
#include "core/shell/Wording.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// Held text is written out once it grows past this, so that a long list needs no more memory.
constexpr qsizetype kPendingLimit = 64 * 1024;

QString writeReason(int error)
{
    // The program that read the output (a pager, `head`) has ended.
    if (error == EPIPE)
        return QStringLiteral("Читающая программа закрыла канал");
    // Started with the stream closed (">&-").
    if (error == EBADF)
        return QStringLiteral("Поток закрыт");
    return systemReason(error);
}

} // namespace

Output::Output(int fd, const QString& name) : m_fd(fd), m_name(name) {}

Output::Output(QByteArray& memory) : m_memory(&memory) {}

Output& Output::operator<<(const QString& text)
{
    m_pending += text.toUtf8();
    if (m_pending.size() > kPendingLimit)
        flush();
    return *this;
}

void Output::flush()
{
    if (m_memory) {
        *m_memory += m_pending;
        m_pending.clear();
        return;
    }
    qsizetype done = 0;
    while (done < m_pending.size()) {
        const ssize_t written = ::write(m_fd, m_pending.constData() + done, m_pending.size() - done);
        if (written >= 0) {
            done += written;
            continue;
        }
        if (errno == EINTR)
            continue;
        // A descriptor left non-blocking by whoever started the program.
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd ready{m_fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
        const int error = errno;
        m_pending.clear();
        throw OutputFailure(QStringLiteral("%1 не записан: %2").arg(m_name, lowerFirst(writeReason(error))));
    }
    m_pending.clear();
}
