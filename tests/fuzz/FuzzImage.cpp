// The FreeImage paths and the TGA decoder. The first byte picks the reader: odd for the TGA
// texture pixels, even for the heightmap (any format FreeImage recognises).
#include "FuzzFile.h"
#include "assets/ReaderProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1)
        require(readerprops::checkTga(data + 1, size - 1));
    else
        require(readerprops::checkHeightmap(writeFuzzFile(data + 1, size - 1)));
    return 0;
}
