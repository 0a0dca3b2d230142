#include "assets/HeightmapReader.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>

#include "assets/Texture.h"

namespace {

// Beyond this many vertices the terrain would not fit any buffer we are willing to upload.
constexpr unsigned kMaxVertices = 1u << 22;

bool tooLarge(const char* path, unsigned w, unsigned h) {
    if (w <= kMaxVertices / std::max(h, 1u)) return false;
    fprintf(stderr, "Heightmap '%s' is too large (%u x %u)\n", path, w, h);
    return true;
}

// Where FreeImage can read the header alone, an oversized map is refused before its pixels are
// allocated.
bool sizeIsAcceptable(FREE_IMAGE_FORMAT format, const char* path) {
    if (format == FIF_UNKNOWN || format == FIF_TARGA || !FreeImage_FIFSupportsNoPixels(format))
        return true;
    FIBITMAP* header = FreeImage_Load(format, path, FIF_LOAD_NOPIXELS);
    if (!header) return true;  // the full load reports it
    const bool acceptable =
        !tooLarge(path, FreeImage_GetWidth(header), FreeImage_GetHeight(header));
    FreeImage_Unload(header);
    return acceptable;
}

// FreeImage's TGA loader reads past its buffers on some files: our own decoder reads them.
FIBITMAP* loadTgaBitmap(const char* path) {
    TgaPixels picture;
    if (!readTgaPixels(path, picture, false)) return nullptr;
    // The height sums the channels, so their order does not matter.
    const int bits = picture.format == GL_RGBA ? 32 : 24;
    return FreeImage_ConvertFromRawBits(picture.pixels.data(), picture.width, picture.height,
                                        picture.width * bits / 8, bits, 0, 0, 0, FALSE);
}

// The height rule reads three colour bytes per pixel: grey, palette and 16-bit images are brought
// to 24-bit first, high-precision ones to 8 bits per channel.
FIBITMAP* toColourBitmap(FIBITMAP* image) {
    if (FreeImage_GetImageType(image) != FIT_BITMAP) {
        FIBITMAP* standard = FreeImage_ConvertToStandardType(image, TRUE);
        FreeImage_Unload(image);
        if (!standard) return nullptr;
        image = standard;
    }
    if (FreeImage_GetBPP(image) < 24) {
        FIBITMAP* converted = FreeImage_ConvertTo24Bits(image);
        FreeImage_Unload(image);
        image = converted;
    }
    return image;
}

}  // namespace

bool loadHeightmap(const char* path, std::vector<vec3>& positions, std::vector<vec3>& normals,
                   std::vector<unsigned>& indices, int& width, int& height) {
    printf("Loading heightmap file '%s'...\n", path);
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path, 0);
    if (!sizeIsAcceptable(format, path)) return false;
    FIBITMAP* image = format == FIF_TARGA ? loadTgaBitmap(path) : FreeImage_Load(format, path, 0);
    if (!image) {
        fprintf(stderr, "Impossible to open the file '%s'\n", path);
        return false;
    }
    if (!FreeImage_HasPixels(image)) {
        fprintf(stderr, "Image '%s' does not contain pixel data!\n", path);
        FreeImage_Unload(image);
        return false;
    }
    image = toColourBitmap(image);
    if (!image) {
        fprintf(stderr, "Image '%s' cannot be converted to colour pixels\n", path);
        return false;
    }
    const unsigned w = FreeImage_GetWidth(image);
    const unsigned h = FreeImage_GetHeight(image);
    if (w == 0 || h == 0) {
        fprintf(stderr, "Image '%s' does not contain pixel data!\n", path);
        FreeImage_Unload(image);
        return false;
    }
    if (tooLarge(path, w, h)) {
        FreeImage_Unload(image);
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    // Rows are padded to four bytes, so the pitch does not tell the pixel size for every width.
    const unsigned bytesPerPixel = FreeImage_GetBPP(image) / 8;
    printf("Size of the heightmap is %i x %i\n", width, height);

    std::vector<vec3> summedNormals(static_cast<size_t>(w) * h, vec3(0.0f));
    const size_t firstPosition = positions.size();
    positions.reserve(firstPosition + summedNormals.size());
    // Positions of this grid alone, so the caller's earlier entries never shift the indices.
    auto faceNormal = [&](const unsigned(&t)[3]) {
        const vec3& a = positions[firstPosition + t[0]];
        return glm::cross(positions[firstPosition + t[1]] - a, positions[firstPosition + t[2]] - a);
    };
    for (unsigned r = 0; r < h; ++r) {
        const BYTE* pixel = FreeImage_GetScanLine(image, static_cast<int>(r));
        for (unsigned c = 0; c < w; ++c, pixel += bytesPerPixel) {
            const unsigned n = r * w + c;
            const float sum = static_cast<float>(pixel[0] + pixel[1] + pixel[2]);
            positions.emplace_back(static_cast<float>(c), sum / 3.0f / 15.0f,
                                   static_cast<float>(r));
            if (c == 0 || r == 0) continue;
            // Both triangles start at the same corner: the receivers read the cell's paint there.
            const unsigned t1[3] = {n - w, n - w - 1, n - 1};
            const unsigned t2[3] = {n - w, n - 1, n};
            indices.insert(indices.end(), t1, t1 + 3);
            indices.insert(indices.end(), t2, t2 + 3);
            const vec3 normal1 = faceNormal(t1);
            const vec3 normal2 = faceNormal(t2);
            if (r == 1) {
                summedNormals[n - w - 1] += normal1;
                summedNormals[n - w] += normal2;
            }
            summedNormals[n - 1] += normal1;
            summedNormals[n] += normal2;
        }
    }
    FreeImage_Unload(image);
    normals = std::move(summedNormals);
    return true;
}

void printFreeImageMessage(int format, const char* message) {
    printf("\n*** ");
    if (format != FIF_UNKNOWN) {
        const char* name = FreeImage_GetFormatFromFIF(static_cast<FREE_IMAGE_FORMAT>(format));
        printf("%s Format\n", name ? name : "Unknown");
    }
    fputs(message ? message : "", stdout);
    printf(" ***\n");
}

namespace {
void forwardFreeImageMessage(FREE_IMAGE_FORMAT format, const char* message) {
    printFreeImageMessage(static_cast<int>(format), message);
}
}  // namespace

void installFreeImageMessageHandler() { FreeImage_SetOutputMessage(forwardFreeImageMessage); }
