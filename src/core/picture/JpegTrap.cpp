#include "core/picture/JpegTrap.h"

#include <QString>

extern "C" {

static void jumpOnJpegError(j_common_ptr info)
{
    // manager is the first member of the standard-layout JpegTrap.
    JpegTrap* trap = reinterpret_cast<JpegTrap*>(info->err);
    trap->code = info->err->msg_code;
    std::longjmp(trap->jump, 1);
}

static void countJpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
}

static void dropJpegMessage(j_common_ptr) {}

} // extern "C"

jpeg_error_mgr* armJpegTrap(JpegTrap& trap)
{
    jpeg_error_mgr* manager = jpeg_std_error(&trap.manager);
    manager->error_exit = jumpOnJpegError;
    manager->emit_message = countJpegMessage;
    manager->output_message = dropJpegMessage;
    return manager;
}

Failure jpegFailure(const JpegTrap& trap)
{
    return Failure(QStringLiteral("JPEG error #%1").arg(trap.code));
}
