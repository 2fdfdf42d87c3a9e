#pragma once

#include "core/passport/FieldLimits.h"
#include "core/passport/PassportSnapshot.h"

#include <QString>
#include <array>

// A free text field of the main window: its control's objectName, where the passport keeps its
// text, how many characters it takes, and whether it is a multi-line memo (CR LF line breaks).
struct PassportTextField
{
    const char* objectName;
    QString PassportSnapshot::*text;
    int limit;
    bool memo;
};

// Every place that walks the window's texts (limits, gathering, loading, resetting, asking whether
// anything was typed, the draft) walks this one table, so a new field is one new row.
inline constexpr std::array<PassportTextField, 9> kPassportTextFields{{
    {"title", &PassportSnapshot::title, FieldLimits::kTitle, false},
    {"description", &PassportSnapshot::description, FieldLimits::kDescription, true},
    {"tech_request", &PassportSnapshot::techRequest, FieldLimits::kTechRequest, false},
    {"manual", &PassportSnapshot::manual, FieldLimits::kManual, true},
    {"public_post_index", &PassportSnapshot::postIndex, FieldLimits::kPostIndex, false},
    {"public_post_address", &PassportSnapshot::postAddress, FieldLimits::kPostAddress, false},
    {"public_phone", &PassportSnapshot::phone, FieldLimits::kPhone, false},
    {"public_email", &PassportSnapshot::email, FieldLimits::kEmail, false},
    {"Notes", &PassportSnapshot::notes, FieldLimits::kNotes, true},
}};
