// The benchmarks time each piece of work as the best of several runs in one process. Whether a
// run after the first finds its memory still mapped, or pays for fresh pages again, is then up
// to glibc: it returns freed memory to the system unless some earlier free of a large block
// happened to raise its thresholds. Fixing the thresholds makes every later run find its
// memory mapped, as a program that already opened a file does, whatever sizes the code under
// test allocates. The first-touch cost of a fresh process shows in bench/convert_bench.sh.
#pragma once
#ifdef __GLIBC__
#include <malloc.h>
#endif

inline void keepFreedMemoryBetweenRuns() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}
