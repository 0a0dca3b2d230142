#include "FuzzFile.h"
#include "assets/WallFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<vec2> starts, ends;
    FUZZ_CHECK(loadWallFile(writeFuzzFile(data, size), starts, ends));
    FUZZ_CHECK(starts.size() == ends.size());
    FUZZ_CHECK(starts.size() <= size);
    return 0;
}
