// The lower view as the overview of the file that plays: the whole file's
// spectrogram (or the span the user zoomed to), drawn every pass of the
// frame loop in place of the scrolling columns, with the band and the colour
// range of the live spectrogram (the upper view's selection and levels), a
// time axis in m:ss, a line where playing stands and a cursor readout of
// time, frequency and level. Live input, and the cepstrum views, keep the
// scrolling spectrogram.
//
// Mouse over the overview: the wheel zooms time around the pointer (down to
// one frame step per column), a left drag scrolls, a click plays on from
// the time clicked. Keys: Home and End go to the file's start and end, Left
// and Right step a tenth of the span shown back and forth, Up and Down zoom
// in and out around where playing stands.
//
// What is drawn is the span asked for, its columns taken from the last
// overview computed (app/overview/overview_job.h) where that reaches: while
// the new span is computed the last picture shows moved and stretched (black
// where it has nothing), so a drag or a zoom is seen at once.
//
// Threads: the hook runs on the frame-loop thread with the draw lock held;
// it takes the view's wheel, drag and click sums there. OverviewKey runs on
// the user-interface thread.
#pragma once

#include "app/frame/frame_loop_win.h"

struct App;

// Sets hooks.overview; call before AddReadoutHooks.
void AddOverviewHooks(App& app, FrameHooks& hooks);

// A key pressed in the main window (a virtual-key code); true when the
// overview took it.
bool OverviewKey(App& app, int virtualKey);
