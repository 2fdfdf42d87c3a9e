#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A small file system of its own (tmpfs, so root only): filled to the last byte, or made
// read-only, which stops root as permission bits do not. Unmounted on destruction.
class SmallDisk
{
public:
    explicit SmallDisk(int kilobytes = 256)
    {
        if (!m_dir.isValid() || ::geteuid() != 0)
            return;
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ok() const { return m_mounted; }
    QString path() const { return m_dir.path() + QLatin1Char('/'); }

    // Every free byte taken by one file; new empty files can still be made, as on a real full disk.
    bool fill()
    {
        const int fd = ::open(QFile::encodeName(path() + QStringLiteral(".filler")).constData(),
                              O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    bool makeReadOnly()
    {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                       nullptr) == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

#define REQUIRE_SMALL_DISK(disk)                                                                                       \
    do {                                                                                                               \
        if (!(disk).ok())                                                                                              \
            QSKIP(                                                                                                     \
                "a tmpfs of the test's own needs root and the right to mount: no full or read-only disk to test on");  \
    } while (false)
