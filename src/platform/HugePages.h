// HugePages.h — asks the C library to back the game's large allocations with huge pages.
#pragma once

// Restarts the program in place (same process, arguments and environment) with glibc's
// malloc told to request transparent huge pages and to keep image-sized blocks in its heap,
// unless the environment already says either way or a tool preloads itself into the process.
// A mission's textures and terrain are a few hundred megabytes; the software renderer touches
// every page of them while loading, and with 4 KiB pages those faults were more than half of
// the load. Returns when no restart happens.
void PreferHugePages(char** argv);
