// The readers take a path: each fuzz input is written to an unnamed scratch file, which the
// system removes when the process ends, and read back through its descriptor's name.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const char* writeFuzzFile(const uint8_t* data, size_t size) {
    static FILE* const file = std::tmpfile();
    if (!file || ftruncate(fileno(file), 0) != 0) std::abort();
    static const std::string path = "/proc/self/fd/" + std::to_string(fileno(file));
    std::rewind(file);
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fflush(file) != 0) std::abort();
    return path.c_str();
}

// A broken property stops the fuzzer like a crash does.
inline void require(const std::string& problem) {
    if (problem.empty()) return;
    std::fprintf(stderr, "reader property broken: %s\n", problem.c_str());
    std::abort();
}
