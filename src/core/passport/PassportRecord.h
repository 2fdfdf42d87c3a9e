#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

// One author or supervisor. Texts are single-byte Windows-1251, the identifier in display form.
struct ParticipantEntry
{
    QByteArray id;
    QByteArray surname;
    QByteArray name;
    QByteArray patronymic;

    bool operator==(const ParticipantEntry&) const = default;
};

// What the main window's controls cannot hold. Counts, the invoice recipient and the picture
// live in the controls; entry places beyond the list counts are free and play no part.
struct PassportRecord
{
    static constexpr int kMaxAuthors = 10;
    static constexpr int kMaxTeachers = 3;
    static constexpr int kSlotCount = 5;
    static constexpr std::int32_t kSeason = 13;

    std::array<ParticipantEntry, kMaxAuthors> Authors;
    std::array<ParticipantEntry, kMaxTeachers> Teachers;
    std::array<std::int32_t, kSlotCount> SubjectSlots{};
    std::array<QByteArray, 28> SubjectTitles;
    std::int32_t SeasonId = kSeason;

    // Empty entries and slots, the catalogue titles, season 13.
    PassportRecord();
};
