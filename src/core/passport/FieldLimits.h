#pragma once

// How many characters each field of the passport takes, as its control counts them (UTF-16 units;
// a memo counts each CR LF line break as two). The window sets its controls from these and the
// reader of a passport file refuses anything longer.
namespace FieldLimits {

constexpr int kTitle = 250;
constexpr int kDescription = 500;
constexpr int kTechRequest = 250;
constexpr int kManual = 500;
constexpr int kPostIndex = 10;
constexpr int kPostAddress = 250;
constexpr int kPhone = 150;
constexpr int kEmail = 150;
constexpr int kNotes = 2000;
// Surname, name and patronymic of an author or supervisor, in Windows-1251 bytes.
constexpr int kParticipantName = 50;
// The "другое" language under linguistics.
constexpr int kOtherLanguage = 50;

} // namespace FieldLimits
