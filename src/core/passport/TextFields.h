#pragma once

#include "core/passport/FieldLimits.h"
#include "core/passport/PassportSnapshot.h"

#include <QString>
#include <QStringList>
#include <array>

// A free text field of the main window: its control's objectName, where the passport keeps its
// text, how many characters it takes, whether it is a multi-line memo (CR LF line breaks), and
// whether its words are spell-checked (the texts the festival publishes).
struct PassportTextField
{
    const char* objectName;
    QString PassportSnapshot::*text;
    int limit;
    bool memo;
    bool spellChecked;
};

// Every place that walks the window's texts (limits, gathering, loading, resetting, asking whether
// anything was typed, the draft, the spelling) walks this one table, so a new field is one new row.
inline constexpr std::array<PassportTextField, 9> kPassportTextFields{{
    {"title", &PassportSnapshot::title, FieldLimits::kTitle, false, true},
    {"description", &PassportSnapshot::description, FieldLimits::kDescription, true, true},
    {"tech_request", &PassportSnapshot::techRequest, FieldLimits::kTechRequest, false, true},
    {"manual", &PassportSnapshot::manual, FieldLimits::kManual, true, true},
    {"public_post_index", &PassportSnapshot::postIndex, FieldLimits::kPostIndex, false, false},
    {"public_post_address", &PassportSnapshot::postAddress, FieldLimits::kPostAddress, false, false},
    {"public_phone", &PassportSnapshot::phone, FieldLimits::kPhone, false, false},
    {"public_email", &PassportSnapshot::email, FieldLimits::kEmail, false, false},
    {"Notes", &PassportSnapshot::notes, FieldLimits::kNotes, true, false},
}};

// The picture's caption is published too; it belongs to the picture page, not to this table.
inline constexpr const char* kPictureCaptionField = "WorkImgSign";

// The objectNames of the spell-checked fields: the checked rows of the table, then the caption.
inline QStringList spellCheckedFields()
{
    QStringList names;
    for (const PassportTextField& field : kPassportTextFields) {
        if (field.spellChecked)
            names << QLatin1String(field.objectName);
    }
    names << QLatin1String(kPictureCaptionField);
    return names;
}
