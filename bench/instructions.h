// Instruction counts of single steps, for comparisons that do not move with the machine's
// load: a program run under callgrind with collection off at start
// (scripts/instructions.py runs it so) counts only what runs inside Count(), and dumps
// each step's count under its label. Outside callgrind the steps run uncounted.
#pragma once

#include <valgrind/callgrind.h>

namespace bench {

// Runs step() with callgrind's collection on, then dumps its count as `label`
// ("<path>/<side>", e.g. "switch/control"). Throws what step() throws.
template <typename Step>
void Count(const char* label, Step&& step) {
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    try {
        step();
    } catch (...) {
        CALLGRIND_TOGGLE_COLLECT;
        throw;
    }
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(label);
}

}  // namespace bench
