#include "Measure.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

FrameStats summarise(std::vector<double> millis) {
    FrameStats stats;
    stats.frames = millis.size();
    if (millis.empty()) return stats;
    std::sort(millis.begin(), millis.end());
    auto rank = [&millis](double fraction) {
        const std::size_t n = millis.size();
        std::size_t index = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(n)));
        return millis[std::min(std::max<std::size_t>(index, 1), n) - 1];
    };
    stats.median = rank(0.5);
    stats.p95 = rank(0.95);
    stats.p99 = rank(0.99);
    stats.max = millis.back();
    return stats;
}

double secondsSinceProcessStart() {
    std::ifstream file("/proc/self/stat");
    std::string line;
    if (!std::getline(file, line)) return -1.0;
    // The command name may hold spaces and parentheses; the fields resume after the last ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return -1.0;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    // Field 3 (the state) comes first; the start time is field 22.
    for (int i = 3; i < 22 && fields >> field; ++i) {
    }
    unsigned long long startTicks = 0;
    if (!(fields >> startTicks)) return -1.0;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1.0;
    const double started = static_cast<double>(startTicks) / static_cast<double>(ticksPerSecond);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 - started;
}

double processorSeconds() {
    timespec used{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used) != 0) return -1.0;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

long processMemoryKiB(const char* field) {
    std::ifstream file("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(file, line)) {
        if (line.compare(0, length, field) != 0 || line.size() <= length || line[length] != ':')
            continue;
        return std::strtol(line.c_str() + length + 1, nullptr, 10);
    }
    return -1;
}

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(file >> one >> five >> fifteen)) return "unknown";
    return one + " " + five + " " + fifteen;
}
