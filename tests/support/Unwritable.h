#pragma once

#include <QFile>
#include <QString>
#include <QTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

inline bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// A file or folder that nobody may write to. Permission bits do not stop root, so root gets the
// immutable attribute where the file system and its rights allow it; undone on destruction.
class Unwritable
{
public:
    explicit Unwritable(const QString& path) : m_path(path)
    {
        if (::geteuid() == 0) {
            m_ok = setImmutable(path, true);
            return;
        }
        m_permissions = QFile::permissions(path);
        m_ok = QFile::setPermissions(path, m_permissions & ~(QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                                             QFileDevice::WriteGroup | QFileDevice::WriteOther));
    }
    ~Unwritable()
    {
        if (!m_ok)
            return;
        if (::geteuid() == 0)
            setImmutable(m_path, false);
        else
            QFile::setPermissions(m_path, m_permissions);
    }
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;

    bool ok() const { return m_ok; }

private:
    QString m_path;
    QFileDevice::Permissions m_permissions;
    bool m_ok = false;
};

#define REQUIRE_UNWRITABLE(guard)                                                                                      \
    do {                                                                                                               \
        if (!(guard).ok())                                                                                             \
            QSKIP("running as root where the immutable attribute cannot be set: nothing is unwritable");               \
    } while (false)
