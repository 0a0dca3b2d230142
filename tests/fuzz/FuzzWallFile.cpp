#include "FuzzFile.h"
#include "assets/ReaderProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    require(readerprops::checkWallFile(writeFuzzFile(data, size), size));
    return 0;
}
