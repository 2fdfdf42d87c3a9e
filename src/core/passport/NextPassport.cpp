#include "core/passport/NextPassport.h"

PassportSnapshot nextPassportFrom(const PassportSnapshot& current)
{
    PassportSnapshot next;
    next.teachers = current.teachers;
    next.leaderIndex = current.leaderIndex;
    next.postIndex = current.postIndex;
    next.postAddress = current.postAddress;
    next.phone = current.phone;
    next.email = current.email;
    return next;
}
