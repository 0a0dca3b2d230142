#include <cstring>
#include <memory>

#include "FuzzFile.h"
#include "assets/ReaderProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so any read past the end lands in ASan's red zone.
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    if (size > 0) std::memcpy(bytes.get(), data, size);
    require(readerprops::checkDds(bytes.get(), size));
    return 0;
}
