// The process's memory figures (process_memory.h).
#include "process_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

namespace bench {
namespace {

double PerObject(std::size_t before, std::size_t after, std::size_t count) {
    if (count == 0) return 0;
    return (static_cast<double>(after) - static_cast<double>(before)) / static_cast<double>(count);
}

}  // namespace

std::size_t ResidentBytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long size = 0;
    unsigned long resident = 0;
    const int read = std::fscanf(statm, "%lu %lu", &size, &resident);
    std::fclose(statm);
    if (read != 2) return 0;
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::size_t PeakResidentBytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    unsigned long kilobytes = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status))
        found = std::sscanf(line, "VmHWM: %lu kB", &kilobytes) == 1;
    std::fclose(status);
    return found ? static_cast<std::size_t>(kilobytes) * 1024 : 0;
}

bool ResetPeakResident() {
    std::FILE* clear_refs = std::fopen("/proc/self/clear_refs", "w");
    if (!clear_refs) return false;
    const bool written = std::fputs("5", clear_refs) >= 0;
    return std::fclose(clear_refs) == 0 && written;
}

std::size_t HeapBytesInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

MemorySample Sample() {
    ::malloc_trim(0);
    MemorySample s;
    s.heap = HeapBytesInUse();
    s.resident = ResidentBytes();
    return s;
}

double ResidentPerObject(const MemorySample& before, const MemorySample& after, std::size_t count) {
    return PerObject(before.resident, after.resident, count);
}

double HeapPerObject(const MemorySample& before, const MemorySample& after, std::size_t count) {
    return PerObject(before.heap, after.heap, count);
}

}  // namespace bench
