// Which menu items carry a check mark and which are greyed, from the settings.
// Pure computation; the main window applies the result to its menu.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "base/settings.h"

// The marks of one menu sync: the ids to check (each group's value matched by
// exact equality) and whether the items that only affect the spectrum are
// enabled.
struct MenuMarks {
    static constexpr std::size_t kMaxChecked = 16;
    std::array<int, kMaxChecked> checked{};
    std::size_t checkedCount = 0;
    bool spectrumItemsEnabled = false;

    bool IsChecked(int id) const;
};

MenuMarks ComputeMenuMarks(const AppSettings& s);

// Every item whose check mark a sync removes before setting the new ones.
std::span<const int> MarkableMenuIds();

// The window, X-grid and data-length items: greyed while no spectrum is shown.
std::span<const int> SpectrumOnlyMenuIds();
