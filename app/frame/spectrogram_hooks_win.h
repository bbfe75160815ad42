// The frame loop's spectrogram steps for the running program: the newest
// column into the lower view (RUN and REC) and the colour key and frequency
// labels while the user drags a selection.
//
// Threads: the hooks run on the frame-loop thread with the draw lock held.
// The column's work arrays live in the hooks, sized to the lower view's
// height as it changes.
#pragma once

#include "app/frame/frame_loop_win.h"

struct App;

FrameHooks MakeSpectrogramHooks(App& app);
