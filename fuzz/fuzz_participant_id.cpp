// Normalisation, admissibility and the check never crash; whatever passes formats to eleven
// characters with hyphens at positions 4 and 8, and normalises back to itself.

#include "FuzzCheck.h"
#include "core/participants/ParticipantId.h"

#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The dialog's field holds at most 11 characters, but pasted text can be anything.
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray normal = NormalizeParticipantId(typed);
    if (!isAdmissibleParticipantId(normal))
        return 0;
    FUZZ_CHECK(normal.size() == 9);
    if (!IsParticipantIdValid(normal))
        return 0;
    const QByteArray display = FormatParticipantId(normal);
    FUZZ_CHECK(display.size() == 11);
    for (int i = 0; i < 11; ++i) {
        if (i == 3 || i == 7)
            FUZZ_CHECK(display.at(i) == '-');
        else
            FUZZ_CHECK(display.at(i) >= '0' && display.at(i) <= '9');
    }
    FUZZ_CHECK(NormalizeParticipantId(QString::fromLatin1(display)) == normal);
    FUZZ_CHECK(ParticipantCheckCode(normal.left(7)) == normal.mid(7));
    return 0;
}
