#pragma once

#include "support/PermissionBits.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
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

// A file or folder that nobody may write to, so that a write fails for the reason users read;
// undone on destruction. Its write permission is taken away, and root is made to meet it: a folder
// by giving up passing over permission bits (the immutable attribute would give another reason), a
// file by the immutable attribute (the program asks the system whether the file is writable, and
// the system answers that question for root as root whatever root gave up).
class Unwritable
{
public:
    explicit Unwritable(const QString& path) : m_path(path)
    {
        if (::geteuid() == 0 && !QFileInfo(path).isDir()) {
            m_immutable = true;
            m_ok = setImmutable(path, true);
            return;
        }
        m_bitsHold.emplace();
        m_permissions = QFile::permissions(path);
        m_ok = m_bitsHold->ok() &&
               QFile::setPermissions(path, m_permissions & ~(QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                                             QFileDevice::WriteGroup | QFileDevice::WriteOther));
    }
    ~Unwritable()
    {
        if (!m_ok)
            return;
        if (m_immutable)
            setImmutable(m_path, false);
        else
            QFile::setPermissions(m_path, m_permissions);
    }
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;

    bool ok() const { return m_ok; }

private:
    QString m_path;
    std::optional<PermissionBitsHold> m_bitsHold;
    QFileDevice::Permissions m_permissions;
    bool m_immutable = false;
    bool m_ok = false;
};

#define REQUIRE_UNWRITABLE(guard)                                                                                      \
    do {                                                                                                               \
        if (!(guard).ok())                                                                                             \
            QSKIP("running as root where neither the immutable attribute can be set nor passing over permission "      \
                  "bits given up: nothing is unwritable");                                                             \
    } while (false)
