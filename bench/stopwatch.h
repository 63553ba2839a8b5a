// Wall-clock timing of the part of an iteration that a benchmark measures, for
// benchmarks that report manual time (UseManualTime + SetIterationTime).
#pragma once

#include <chrono>

namespace bench {

class Stopwatch {
public:
    Stopwatch() noexcept : start_(Clock::now()) {}
    void restart() noexcept { start_ = Clock::now(); }
    // Seconds since construction or the last restart.
    double seconds() const noexcept { return std::chrono::duration<double>(Clock::now() - start_).count(); }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_;
};

}  // namespace bench
