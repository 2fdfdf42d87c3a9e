#pragma once

#include "core/sections/SectionCatalogue.h"

#include <array>
#include <cstdint>
#include <optional>

// The rules of the section dialog over the states of its check boxes, without widgets: the dialog
// reads its boxes into BoxStates, runs the clicked box's handler here and shows the result.
namespace Sections {

// Indexed by box number 1..28; 0 and 23 stand for no box and stay false.
struct BoxStates
{
    std::array<bool, kOtherLanguageBox + 1> checked{};
    std::array<bool, kOtherLanguageBox + 1> enabled{};

    bool operator==(const BoxStates&) const = default;
};

// Boxes 1..22 and 24..28.
bool hasBox(int box);

// As the dialog is created: nothing checked, everything enabled but 22 and 24.
BoxStates initialBoxStates();

// Which click handler a box runs.
enum class ClickHandler
{
    None,        // 24
    Subject,     // main sections and 22: the limit rule
    Lingvo,      // 6
    SubLingvo,   // 25..27
    LingvoOther, // 28
};

ClickHandler handlerOf(int box);

// What a box's handler leaves once every state it changes has run its own handler in turn:
// linguistics checked exactly while a language or "другое" is, "русский язык" ticked when
// linguistics is ticked alone, and the limit of two main sections with its enabled states.
BoxStates runClickHandler(BoxStates states, ClickHandler handler);

// A user's click: nothing on a disabled box or on no box; otherwise the box toggles and its
// handler runs.
BoxStates click(BoxStates states, int box);

// The checked sections 1..22 and 24 in the order of their identifiers, packed from the first
// slot, 0 in every free slot. Languages and "другое" never take a slot.
std::array<std::int32_t, 5> packSlots(const BoxStates& states);

// The boxes a dialog holds once these slots were confirmed with these languages ticked: the
// sections ticked one by one, linguistics through its languages. Nothing when no sequence of
// clicks leads there, as for three main sections, a language without linguistics, or slots out of
// identifier order. Linguistics in the slots with no language is the dialog whose linguistics was
// unticked again after confirming and then closed without confirming: the boxes as that untick
// leaves them.
std::optional<BoxStates> boxStatesFor(const std::array<std::int32_t, 5>& subjectSlots,
                                      const LanguageChoices& languages);

} // namespace Sections
