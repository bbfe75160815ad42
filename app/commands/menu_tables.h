// The menu's value groups: which command id stands for which setting value.
// Shared by the commands (id to value) and the menu marks (value to id).
#pragma once

#include <cstdint>

#include "base/settings.h"
#include "resources/resource_ids.h"

struct MenuItemValue {
    int id;
    std::int32_t value;
};

inline constexpr MenuItemValue kPauseItems[] = {
    {IDM_PAUSE_0, 0}, {IDM_PAUSE_1, 1}, {IDM_PAUSE_5, 5}, {IDM_PAUSE_10, 10},
    {IDM_PAUSE_50, 50}, {IDM_PAUSE_100, 100}, {IDM_PAUSE_500, 500},
};
inline constexpr MenuItemValue kRateItems[] = {
    {IDM_RATE_8000, 8000}, {IDM_RATE_22050, 22050}, {IDM_RATE_44100, 44100},
    {IDM_RATE_48000, 48000}, {IDM_RATE_96000, 96000}, {IDM_RATE_192000, 192000},
};
inline constexpr MenuItemValue kLengthItems[] = {
    {IDM_LENGTH_1024, 1024}, {IDM_LENGTH_2048, 2048}, {IDM_LENGTH_4096, 4096},
    {IDM_LENGTH_8192, 8192}, {IDM_LENGTH_16384, 16384}, {IDM_LENGTH_32768, 32768},
};
inline constexpr MenuItemValue kWindowItems[] = {
    {IDM_WINDOW_NONE, kWindowNone}, {IDM_WINDOW_HANNING, kWindowHanning},
    {IDM_WINDOW_HAMMING, kWindowHamming}, {IDM_WINDOW_BLACKMAN, kWindowBlackman},
};
