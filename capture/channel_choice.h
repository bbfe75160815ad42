// Which channel of a source with more than one is analysed: kChannelMix (the
// mean of all) or a channel number from 1 (left) to kMaxChosenChannel. One
// choice serves every source (a file, an audio endpoint); a source with fewer
// channels than the number chosen is read from its first (left).
//
// Pure values, any thread.
#pragma once

inline constexpr int kChannelMix = 0;
inline constexpr int kChannelLeft = 1;
inline constexpr int kChannelRight = 2;
inline constexpr int kMaxChosenChannel = 8;

// The channel `choice` reads of a source with `channels` channels: kChannelMix
// or 1 ... channels; a mono source is always channel 1.
constexpr int ChannelInUse(int choice, int channels) {
    if (channels <= 1) return kChannelLeft;
    if (choice == kChannelMix) return kChannelMix;
    return choice >= kChannelLeft && choice <= channels ? choice : kChannelLeft;
}
