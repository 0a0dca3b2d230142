#include <FreeImage.h>
#include <gtest/gtest.h>

#include "assets/HeightmapReader.h"
#include "assets/ImageFiles.h"
#include "assets/TempDir.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// A binary PPM, rows given top row first as in the picture.
std::string ppm(int width, int height, const std::vector<Rgb>& topFirst) {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (const Rgb& p : topFirst) bytes += {char(p.r), char(p.g), char(p.b)};
    return bytes;
}

uint32_t crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string bigEndian32(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string pngChunk(const std::string& kind, const std::string& body) {
    return bigEndian32(static_cast<uint32_t>(body.size())) + kind + body +
           bigEndian32(crc32(kind + body));
}

// A PNG header announcing an RGB picture, followed by no picture data at all.
std::string pngHeaderOnly(uint32_t width, uint32_t height) {
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           pngChunk("IHDR",
                    bigEndian32(width) + bigEndian32(height) + std::string("\x08\x02\0\0\0", 5)) +
           pngChunk("IDAT", "") + pngChunk("IEND", "");
}

struct Terrain {
    std::vector<vec3> positions, normals;
    std::vector<unsigned> indices;
    int width = -1, height = -1;
    bool load(const std::string& path) {
        return loadHeightmap(path.c_str(), positions, normals, indices, width, height);
    }
};

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0};

}  // namespace

TEST(Heightmap, TwoByTwoCellIndicesAndNormals) {
    TempDir dir;
    // Top row of the picture is row 1; its right pixel is the only raised vertex (number 3).
    std::string path = dir.write("h.ppm", ppm(2, 2, {kBlack, kWhite, kBlack, kBlack}));
    Terrain t;
    CaptureStdout();
    ASSERT_TRUE(t.load(path));
    EXPECT_EQ(GetCapturedStdout(),
              "Loading heightmap file '" + path + "'...\nSize of the heightmap is 2 x 2\n");
    EXPECT_EQ(t.width, 2);
    EXPECT_EQ(t.height, 2);
    EXPECT_EQ(t.indices, (std::vector<unsigned>{1, 0, 2, 1, 2, 3}));
    ASSERT_EQ(t.positions.size(), 4u);
    EXPECT_EQ(t.positions[0], vec3(0, 0, 0));
    EXPECT_EQ(t.positions[1], vec3(1, 0, 0));
    EXPECT_EQ(t.positions[2], vec3(0, 0, 1));
    EXPECT_EQ(t.positions[3], vec3(1, 17, 1));
    // T1 = (1, 0, 2) is flat; T2 = (1, 2, 3) leans away from the raised corner.
    const vec3 t1(0, 1, 0), t2(-17, 1, -17);
    ASSERT_EQ(t.normals.size(), 4u);
    EXPECT_EQ(t.normals[0], t1);
    EXPECT_EQ(t.normals[1], t2);
    EXPECT_EQ(t.normals[2], t1);
    EXPECT_EQ(t.normals[3], t2);
}

TEST(Heightmap, HeightIsChannelMeanOverFifteen) {
    TempDir dir;
    Terrain t;
    t.normals.assign(7, vec3(5.0f));  // replaced by the computed array
    ASSERT_TRUE(t.load(dir.write("row.ppm", ppm(3, 1, {kWhite, kBlack, {30, 0, 0}}))));
    ASSERT_EQ(t.positions.size(), 3u);
    EXPECT_FLOAT_EQ(t.positions[0].y, 17.0f);
    EXPECT_FLOAT_EQ(t.positions[1].y, 0.0f);
    EXPECT_FLOAT_EQ(t.positions[2].y, 10.0f / 15.0f);
    EXPECT_EQ(t.positions[2], vec3(2, t.positions[2].y, 0));
    // One row has no cells: no indices, nothing added to the normals.
    EXPECT_TRUE(t.indices.empty());
    EXPECT_EQ(t.normals, std::vector<vec3>(3, vec3(0.0f)));
}

TEST(Heightmap, FlatImageNormalsPointUpAndCountContributions) {
    TempDir dir;
    Terrain t;
    ASSERT_TRUE(t.load(dir.write("flat.ppm", ppm(3, 3, std::vector<Rgb>(9, Rgb{60, 60, 60})))));
    EXPECT_EQ(t.indices.size(), 6u * 2 * 2);
    const float counts[9] = {1, 2, 1, 1, 2, 1, 1, 2, 1};
    ASSERT_EQ(t.normals.size(), 9u);
    for (int n = 0; n < 9; ++n) {
        EXPECT_EQ(t.normals[n], vec3(0, counts[n], 0)) << "vertex " << n;
        EXPECT_FLOAT_EQ(t.positions[n].y, 4.0f);
    }
}

TEST(Heightmap, TgaImageIsReadByOurOwnDecoder) {
    TempDir dir;
    Terrain t;
    // Stored top row first and run-length encoded; three columns stay three.
    const testfiles::Pixel white{255, 255, 255, 0}, black{0, 0, 0, 0}, red{30, 0, 0, 0};
    ASSERT_TRUE(
        t.load(dir.write("h.tga", testfiles::tga(3, 2, 24, {white, white, red, black, black, black},
                                                 testfiles::TgaKind::Rle, true))));
    EXPECT_EQ(t.width, 3);
    EXPECT_EQ(t.height, 2);
    ASSERT_EQ(t.positions.size(), 6u);
    EXPECT_EQ(t.positions[0].y, 0.0f);
    EXPECT_EQ(t.positions[3].y, 17.0f);
    EXPECT_FLOAT_EQ(t.positions[5].y, 10.0f / 15.0f);
}

TEST(Heightmap, GreyImageIsReadAsColour) {
    TempDir dir;
    Terrain t;
    ASSERT_TRUE(t.load(dir.write("grey.pgm", std::string("P5\n2 1\n255\n\x1e\xff", 13))));
    ASSERT_EQ(t.positions.size(), 2u);
    EXPECT_FLOAT_EQ(t.positions[0].y, 2.0f);
    EXPECT_FLOAT_EQ(t.positions[1].y, 17.0f);
}

TEST(Heightmap, UnreadableImageLeavesOutputs) {
    TempDir dir;
    for (const std::string& path :
         {dir.file("absent.png"), dir.write("junk.png", "not an image at all"), dir.path}) {
        SCOPED_TRACE(path);
        Terrain t;
        t.positions.push_back(vec3(1.0f));
        CaptureStderr();
        CaptureStdout();
        EXPECT_FALSE(t.load(path));
        GetCapturedStdout();
        EXPECT_NE(GetCapturedStderr().find("Impossible to open the file '" + path + "'\n"),
                  std::string::npos);
        EXPECT_EQ(t.positions.size(), 1u);
        EXPECT_TRUE(t.normals.empty() && t.indices.empty());
        EXPECT_EQ(t.width, -1);
        EXPECT_EQ(t.height, -1);
    }
}

TEST(Heightmap, OversizedMapIsRefusedBeforeItsPixelsAreRead) {
    TempDir dir;
    Terrain t;
    std::string path = dir.write("huge.png", pngHeaderOnly(8192, 4097));
    CaptureStderr();
    CaptureStdout();
    EXPECT_FALSE(t.load(path));
    GetCapturedStdout();
    EXPECT_EQ(GetCapturedStderr(), "Heightmap '" + path + "' is too large (8192 x 4097)\n");
    EXPECT_TRUE(t.positions.empty());
    EXPECT_EQ(t.width, -1);
}

TEST(Heightmap, FreeImageMessagesAreFramedAndVerbatim) {
    CaptureStdout();
    printFreeImageMessage(-1, "broken 100% of the time");
    printFreeImageMessage(FIF_PNG, "bad chunk");
    EXPECT_EQ(GetCapturedStdout(),
              "\n*** broken 100% of the time ***\n\n*** PNG Format\nbad chunk ***\n");
}

TEST(Heightmap, InstalledHandlerReportsFreeImageReasons) {
    TempDir dir;
    // A PNG signature and a header chunk whose checksum is wrong.
    std::string broken = pngHeaderOnly(2, 2);
    broken[29] ^= 0x55;
    std::string path = dir.write("broken.png", broken);
    installFreeImageMessageHandler();
    Terrain t;
    CaptureStdout();
    CaptureStderr();
    EXPECT_FALSE(t.load(path));
    std::string out = GetCapturedStdout();
    GetCapturedStderr();
    FreeImage_SetOutputMessage(nullptr);
    EXPECT_NE(out.find("\n*** PNG Format\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" ***\n"), std::string::npos) << out;
}
