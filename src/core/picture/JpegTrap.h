#pragma once

#include "core/shell/Failure.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which must not return. Ours jumps back to
// the setjmp of the function that made the library call. Such functions hold only trivially
// destructible locals, so the jump skips no destructor; everything that owns memory lives in the
// caller, and libjpeg's own memory goes with jpeg_destroy. Warnings are not printed.
struct JpegTrap
{
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    int code = 0;
};

// Sets up the trap and returns the error manager to hang on the library's struct.
jpeg_error_mgr* armJpegTrap(JpegTrap& trap);

// "JPEG error #<code>", the decoder's and encoder's message to the user.
Failure jpegFailure(const JpegTrap& trap);
