#include <cstring>
#include <memory>

#include "FuzzFile.h"
#include "assets/Texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so any read past the end lands in ASan's red zone.
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    if (size > 0) std::memcpy(bytes.get(), data, size);
    DdsImage image;
    if (!parseDds("fuzz.dds", bytes.get(), size, image)) {
        FUZZ_CHECK(image.levels.empty() && image.data.empty());
        return 0;
    }
    FUZZ_CHECK(size >= 128 && image.data.size() <= size - 128);
    size_t end = 0;
    for (const DdsLevel& level : image.levels) {
        FUZZ_CHECK(level.offset == end);
        FUZZ_CHECK(level.width >= 0 && level.height >= 0);
        FUZZ_CHECK(level.size <= image.data.size() - level.offset);
        end = level.offset + level.size;
    }
    FUZZ_CHECK(image.levels.size() <= 33);
    return 0;
}
