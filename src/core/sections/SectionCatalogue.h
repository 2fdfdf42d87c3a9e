#pragma once

#include <QString>

// The festival's fixed sections. 0 is no section, 23 is unassigned; 25 to 27 are the languages
// under linguistics (6). Check box N of the section dialog stands for identifier N; box 28 is
// the free-text "другое" beside the languages.
namespace Sections {

constexpr int kTitleCount = 28;
constexpr int kLinguistics = 6;
constexpr int kTeacherHelp = 22;
constexpr int kStudyProject = 24;
constexpr int kFirstLanguage = 25;
constexpr int kLastLanguage = 27;
constexpr int kOtherLanguageBox = 28;
constexpr int kLastMain = 21;

enum class Kind
{
    None,
    Research,
    Other,
    Additional,
    Competition,
    Language,
    OtherLanguage,
};

// The title the main window shows; empty for 0, 23 and anything out of range.
QString catalogueTitle(int id);

// The caption of check box 1..28 of the section dialog; empty for 23 and anything else.
QString checkBoxCaption(int box);

// What kind of choice check box (or identifier) 1..28 is.
Kind kindOf(int box);

inline bool isMain(int id)
{
    return id >= 1 && id <= kLastMain;
}

// The languages ticked under linguistics, as the section dialog holds them.
struct LanguageChoices
{
    bool russian = false;
    bool english = false;
    bool german = false;
    bool other = false;
    QString otherText;

    bool operator==(const LanguageChoices&) const = default;
};

} // namespace Sections
