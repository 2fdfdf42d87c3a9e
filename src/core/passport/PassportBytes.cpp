#include "core/passport/PassportBytes.h"

#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

QString passportTooLarge()
{
    return QStringLiteral("Файл больше %1 МБ").arg(kMaxPassportFileBytes >> 20);
}

QByteArray readPassportBytes(const QByteArray& path)
{
    QByteArray bytes;
    readPassportBytesInto(path, bytes);
    return bytes;
}

void readPassportBytesInto(const QByteArray& path, QByteArray& bytes)
{
    bytes.resize(0);
    // Not blocking: a pipe or a device with the right name must not stop the walk.
    const Descriptor file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        throw Failure(systemReason(errno));
    struct stat info
    {};
    if (::fstat(file.get(), &info) != 0)
        throw Failure(systemReason(errno));
    if (S_ISDIR(info.st_mode))
        throw Failure(QStringLiteral("Это папка, а не файл"));
    if (!S_ISREG(info.st_mode))
        throw Failure(QStringLiteral("Это не обычный файл"));
    if (info.st_size > kMaxPassportFileBytes)
        throw Failure(passportTooLarge());
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            // The file may have grown since fstat; read on, but not past the limit.
            if (bytes.size() > kMaxPassportFileBytes)
                throw Failure(passportTooLarge());
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t got = ::read(file.get(), bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(systemReason(errno));
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
}
