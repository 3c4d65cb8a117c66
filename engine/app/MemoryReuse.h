#pragma once

// Keeps the memory the process frees for its own reuse instead of handing it back to the system
// at once. A software renderer (llvmpipe) allocates and frees its working memory every frame; with
// the C library's defaults the top of the heap is returned after each frame and faulted in again
// in the next, and page faults are dear (above all in a virtual machine): at 320x180 this halves
// the frame time of the film's heaviest part. The heap then stays at its peak (tens of MiB more).
// Called first thing by the players; nothing is done where the C library has no mallopt.
void keepFreedMemoryForReuse();
