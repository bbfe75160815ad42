// The frame loop's readout steps for the running program: the cursor
// readouts over both views, the peak (spectrum views) or pitch (cepstrum
// views) readout in the upper view's top-right corner with its marker, and
// the clock of the spectrogram's columns that tells a column's age.
//
// Threads: the hooks run on the frame-loop thread with the draw lock held;
// their state lives in the hooks.
#pragma once

#include "app/frame/frame_loop_win.h"

struct App;

// Adds the readout steps to `hooks`; its spectrogram column step also starts
// the column's clock from now on.
void AddReadoutHooks(App& app, FrameHooks& hooks);
