#include "FuzzFile.h"
#include "assets/ObjReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = writeFuzzFile(data, size);
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    if (loadObjFile(path, positions, uvs, normals)) {
        FUZZ_CHECK(positions.size() % 3 == 0);
        FUZZ_CHECK(uvs.size() == positions.size() && normals.size() == positions.size());
    } else {
        FUZZ_CHECK(positions.empty() && uvs.empty() && normals.empty());
    }
    positions.clear();
    normals.clear();
    if (loadNonTexturedObjFile(path, positions, normals)) {
        FUZZ_CHECK(positions.size() % 3 == 0 && normals.size() == positions.size());
    } else {
        FUZZ_CHECK(positions.empty() && normals.empty());
    }
    return 0;
}
