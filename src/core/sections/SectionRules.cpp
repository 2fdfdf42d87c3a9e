#include "core/sections/SectionRules.h"

#include <algorithm>
#include <utility>

namespace Sections {
namespace {

constexpr int kUnassigned = 23;

bool anySubChoice(const BoxStates& states)
{
    for (int box = kFirstLanguage; box <= kOtherLanguageBox; ++box) {
        if (states.checked[box])
            return true;
    }
    return false;
}

int mainCount(const BoxStates& states)
{
    int count = 0;
    for (int box = 1; box <= kLastMain; ++box)
        count += states.checked[box] ? 1 : 0;
    return count;
}

void setSubChoicesEnabled(BoxStates& states, bool enabled)
{
    for (int box = kFirstLanguage; box <= kOtherLanguageBox; ++box)
        states.enabled[box] = enabled;
}

void limitRule(BoxStates& states)
{
    const int count = mainCount(states);
    if (count < 2) {
        for (int box = 1; box <= kLastMain; ++box)
            states.enabled[box] = true;
        setSubChoicesEnabled(states, true);
    } else {
        for (int box = 1; box <= kLastMain; ++box)
            states.enabled[box] = states.checked[box];
        if (!states.checked[kLinguistics])
            setSubChoicesEnabled(states, false);
    }
    if (count > 0) {
        states.enabled[kTeacherHelp] = true;
        states.enabled[kStudyProject] = true;
    } else {
        states.enabled[kTeacherHelp] = states.checked[kTeacherHelp] = false;
        states.enabled[kStudyProject] = states.checked[kStudyProject] = false;
    }
}

// Linguistics was clicked. Unticking it unticks every sub-choice; each of those runs the language
// handler, which finds none left and leaves linguistics unticked, so the chain ends here.
void linguisticsRule(BoxStates& states)
{
    if (states.checked[kLinguistics]) {
        if (!anySubChoice(states))
            states.checked[kFirstLanguage] = true;
    } else {
        for (int box = kFirstLanguage; box <= kOtherLanguageBox; ++box)
            states.checked[box] = false;
    }
}

// A language or "другое" was clicked: linguistics follows whether any sub-choice is ticked, and
// then its own rule runs, which finds nothing more to change.
void subChoiceRule(BoxStates& states)
{
    states.checked[kLinguistics] = anySubChoice(states);
    linguisticsRule(states);
}

} // namespace

bool hasBox(int box)
{
    return box >= 1 && box <= kOtherLanguageBox && box != kUnassigned;
}

BoxStates initialBoxStates()
{
    BoxStates states;
    for (int box = 1; box <= kOtherLanguageBox; ++box)
        states.enabled[box] = hasBox(box);
    states.enabled[kTeacherHelp] = false;
    states.enabled[kStudyProject] = false;
    return states;
}

ClickHandler handlerOf(int box)
{
    if (box == kLinguistics)
        return ClickHandler::Lingvo;
    if (box >= kFirstLanguage && box <= kLastLanguage)
        return ClickHandler::SubLingvo;
    if (box == kOtherLanguageBox)
        return ClickHandler::LingvoOther;
    if ((box >= 1 && box <= kLastMain) || box == kTeacherHelp)
        return ClickHandler::Subject;
    return ClickHandler::None;
}

BoxStates runClickHandler(BoxStates states, ClickHandler handler)
{
    switch (handler) {
    case ClickHandler::None:
        return states;
    case ClickHandler::LingvoOther:
    case ClickHandler::SubLingvo:
        subChoiceRule(states);
        break;
    case ClickHandler::Lingvo:
        linguisticsRule(states);
        break;
    case ClickHandler::Subject:
        break;
    }
    limitRule(states);
    return states;
}

BoxStates click(BoxStates states, int box)
{
    if (!hasBox(box) || !states.enabled[box])
        return states;
    states.checked[box] = !states.checked[box];
    return runClickHandler(states, handlerOf(box));
}

std::array<std::int32_t, 5> packSlots(const BoxStates& states)
{
    std::array<std::int32_t, 5> packed{};
    std::size_t next = 0;
    for (int id = 1; id <= kStudyProject && next < packed.size(); ++id) {
        if (hasBox(id) && states.checked[id])
            packed[next++] = id;
    }
    return packed;
}

std::optional<BoxStates> boxStatesFor(const std::array<std::int32_t, 5>& subjectSlots, const LanguageChoices& languages)
{
    const bool ticked[] = {languages.russian, languages.english, languages.german, languages.other};
    const bool anyLanguage = languages.russian || languages.english || languages.german || languages.other;
    // Linguistics confirmed, then unticked in a dialog closed without confirming: the slot keeps 6
    // and the boxes hold no language. The dialog is left as that untick leaves it.
    if (!anyLanguage && std::find(subjectSlots.begin(), subjectSlots.end(), kLinguistics) != subjectSlots.end()) {
        LanguageChoices confirmed;
        confirmed.russian = true;
        const std::optional<BoxStates> before = boxStatesFor(subjectSlots, confirmed);
        if (!before)
            return std::nullopt;
        return click(*before, kLinguistics);
    }
    bool linguistics = false;
    BoxStates states = initialBoxStates();
    // Main sections first, since the two extra boxes are enabled only by them.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::int32_t id : subjectSlots) {
            if (id == 0 || isMain(id) != (pass == 0))
                continue;
            if (!hasBox(id) || id > kStudyProject || states.checked[id])
                return std::nullopt;
            if (id != kLinguistics) {
                states = click(states, id);
                continue;
            }
            linguistics = true;
            for (int i = 0; i < 4; ++i) {
                if (ticked[i])
                    states = click(states, kFirstLanguage + i);
            }
        }
    }
    if (anyLanguage && !linguistics)
        return std::nullopt;
    for (int i = 0; i < 4; ++i) {
        if (states.checked[kFirstLanguage + i] != ticked[i])
            return std::nullopt;
    }
    if (packSlots(states) != subjectSlots)
        return std::nullopt;
    return states;
}

} // namespace Sections
