#pragma once
// Three small panes. `AccessoriesPane`: the notices for headphones and audio outputs, the
// per-earbud battery detail, the headphone artwork's style and how long the notice stays.
// `TimerPane`: the timer's end sound, with a button to hear it at full volume.
// `CalendarPane`: the calendar page, the reminder before each event and how many minutes
// before (a pop-up menu, unusable while reminders are off). Every control writes its
// `AppSettings` key at once.

#include "ui/view.h"

#include <array>
#include <optional>
#include <string>

namespace quorlix {

struct AccessoriesPane {
    ui::View body(ui::Context& ctx) const;
};

struct TimerPane {
    ui::View body(ui::Context& ctx) const;
    // The timer's sound at full volume, whatever `timerSound` says.
    static void playTest();
};

struct CalendarPane {
    ui::View body(ui::Context& ctx) const;

    struct Choice {
        const char* text;
        double minutes;
    };
    static constexpr std::array<Choice, 4> reminderChoices{
        {{"1 min antes", 1}, {"5 min antes", 5}, {"10 min antes", 10}, {"15 min antes", 15}}};
    // The text of the choice that `minutes` is, none when it is none of them.
    static std::optional<std::string> choiceText(double minutes);
};

}  // namespace quorlix
