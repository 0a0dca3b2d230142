// The readers take a path: each fuzz input is written to one scratch file per process first.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Kept alive to the very end, since the exit handler that removes the file still needs it.
inline const std::string& fuzzPath() {
    static const std::string* path = [] {
        const char* dir = std::getenv("TMPDIR");
        auto* p = new std::string(std::string(dir && *dir ? dir : "/tmp") + "/quillora-fuzz-" +
                                  std::to_string(getpid()));
        std::atexit([] { std::remove(fuzzPath().c_str()); });
        return p;
    }();
    return *path;
}

inline const char* writeFuzzFile(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(fuzzPath().c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return fuzzPath().c_str();
}

// A broken property stops the fuzzer like a crash does.
inline void require(const std::string& problem) {
    if (problem.empty()) return;
    std::fprintf(stderr, "reader property broken: %s\n", problem.c_str());
    std::abort();
}
