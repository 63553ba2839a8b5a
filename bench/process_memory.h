// The process's memory figures, for bytes-per-object measurements.
//
// A measurement reads the figures, creates many objects, reads them again and divides
// the difference by the count. Sample() first hands free heap pages back to the system
// (malloc_trim), so pages freed by earlier work are counted again when they are touched
// anew, and a measurement can be repeated in one process.
#pragma once

#include <cstddef>

namespace bench {

struct MemorySample {
    std::size_t resident = 0;  // resident set, bytes (/proc/self/statm)
    std::size_t heap = 0;      // bytes the allocator has handed out (mallinfo2), its
                               // per-block overhead included
};

// Returns free heap memory to the system, then reads both figures.
MemorySample Sample();

// The resident set in bytes; 0 when /proc/self/statm cannot be read.
std::size_t ResidentBytes();

// The peak resident set since the process started or since the last ResetPeakResident()
// (VmHWM, /proc/self/status), bytes; 0 when it cannot be read.
std::size_t PeakResidentBytes();
// Starts a new peak at the current resident set (/proc/self/clear_refs); false when the
// system refuses.
bool ResetPeakResident();

// Bytes in use on the heap: small blocks (uordblks) plus mmapped ones (hblkhd).
std::size_t HeapBytesInUse();

// Per-object cost between two samples: (after - before) / count, as a signed value (a
// figure can shrink when the allocator reuses memory); 0 for a count of 0.
double ResidentPerObject(const MemorySample& before, const MemorySample& after, std::size_t count);
double HeapPerObject(const MemorySample& before, const MemorySample& after, std::size_t count);

}  // namespace bench
