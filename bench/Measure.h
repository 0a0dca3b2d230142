// Figures the benchmark reports: frame-time statistics and what the process itself uses.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct FrameStats {
    std::size_t frames = 0;
    double median = 0.0;  // milliseconds, as are the others
    double p95 = 0.0;
    double p99 = 0.0;
    double max = 0.0;
};

// Nearest-rank median, 95th and 99th percentile, and the slowest frame.
FrameStats summarise(std::vector<double> millis);

// Seconds since the kernel started this process; negative when /proc cannot tell.
double secondsSinceProcessStart();

// Processor seconds this process has used so far, all its threads together.
double processorSeconds();

// A memory line of /proc/self/status ("VmRSS", "VmHWM") in KiB; -1 when missing.
long processMemoryKiB(const char* field);

// The system's load averages over 1, 5 and 15 minutes, as /proc/loadavg gives them.
std::string loadAverage();
