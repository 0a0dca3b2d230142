#include "FuzzFile.h"
#include "assets/ReaderProperties.h"

// libFuzzer hands each input over in a buffer of its exact size: a read past the end is caught.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    require(readerprops::checkDds(data, size));
    return 0;
}
