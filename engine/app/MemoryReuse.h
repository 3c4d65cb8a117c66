#pragma once

// Keeps the memory the process frees for its own reuse instead of handing it back to the system
// at once. A software renderer (llvmpipe) allocates and frees its working memory every frame; with
// the C library's defaults the top of the heap is returned after each frame and faulted in again
// in the next, and page faults are dear (above all in a virtual machine): at 320x180 this halves
// the frame time of the film's heaviest part. The heap then stays at its peak (tens of MiB more).
// Called first thing by the players; nothing is done where the C library has no mallopt.
void keepFreedMemoryForReuse();

// Backs the heap with large pages where the system gives them only on request (transparent huge
// pages in "madvise" mode): a software renderer's targets and working memory are tens of MiB, and
// faulting them in 4 KiB at a time was a third of the start-up. The C library reads its setting
// ("glibc.malloc.hugetlb") only when a program starts, so when GLIBC_TUNABLES does not name it the
// program starts itself again, in the same process with the same arguments, with it added; a
// GLIBC_TUNABLES that names it, whatever the value, is left alone (glibc.malloc.hugetlb=0 turns
// this off). Returns only when no restart happened: not glibc 2.35 or later, huge pages off or
// already on for everything, a sanitizer build, under valgrind, or the restart failed.
void restartWithLargePages(char** argv);
