#pragma once
// What the start-up benchmark's children print, each on its own line of standard output: the mark's
// name and the resident memory (VmRSS) of the process at that moment, in KiB ("painted 41236").
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace startup {

/// The resident set of this process in KiB, from /proc/self/status; -1 where it cannot be read.
inline long ResidentKb() {
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmRSS:", 6) == 0) {
                kb = std::strtol(line + 6, nullptr, 10);
                break;
            }
        std::fclose(f);
    }
    return kb;
}

inline void PrintMark(const char* name) {
    std::printf("%s %ld\n", name, ResidentKb());
    std::fflush(stdout);
}

} // namespace startup
