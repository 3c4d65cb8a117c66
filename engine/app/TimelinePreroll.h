#pragma once

class Timeline;

// Brings the simulation of the parts active at `beat` to where play would have left it: each such
// part's update runs, without rendering, in the normal 1/60 s steps at the beats of a 60 fps play
// from the part's own start, as many steps as play takes before the frame at `beat`. The frame at
// `beat` then takes its own step, as in play. `bpm` is the song's tempo. The beat is a double, as
// the command line gives it: in single precision 4.9 lies a little after the tick at 4.9.
void prerollTimeline(Timeline& timeline, double beat, int bpm);

// The steps play takes between a part's start and the frame at `beat`: floor((t - t0) * 60).
long prerollTicks(double start, double beat, int bpm);
