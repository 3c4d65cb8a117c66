#pragma once

class Timeline;

// Brings the simulation of the parts active at `beat` to where playing from their start would
// have left it: each such part's update runs, without rendering, in the normal 1/60 s steps at the
// beats of a 60 fps play from the part's start up to (not including) `beat`. The frame at `beat`
// then takes its own step, as it would in play. `bpm` is the song's tempo. The beat is a double, as
// the command line gives it: in single precision 4.9 lies a little after the tick at 4.9 and
// would count one tick more.
void prerollTimeline(Timeline& timeline, double beat, int bpm);
