#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root passes over permission bits; while this lives, the calling thread and the threads it starts
// meet them as any other user does, so a denial gives the reason users read ("Доступ запрещен")
// rather than the one an immutable file or a read-only disk gives. Nothing to do for other users.
class PermissionBitsHold
{
public:
    PermissionBitsHold()
    {
        if (::geteuid() != 0) {
            m_ok = true;
            return;
        }
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
        m_ok = m_lowered;
    }
    ~PermissionBitsHold()
    {
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    PermissionBitsHold(const PermissionBitsHold&) = delete;
    PermissionBitsHold& operator=(const PermissionBitsHold&) = delete;

    bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
    bool m_ok = false;
};

#define REQUIRE_PERMISSION_BITS(guard)                                                                                 \
    do {                                                                                                               \
        if (!(guard).ok())                                                                                             \
            QSKIP("running as root without the right to give up passing over permission bits: nothing is denied");     \
    } while (false)
