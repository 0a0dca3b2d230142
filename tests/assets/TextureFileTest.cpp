#include <gtest/gtest.h>

#include "assets/ImageFiles.h"
#include "assets/TempDir.h"
#include "assets/Texture.h"

using testfiles::dds;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

bool parse(const std::vector<uint8_t>& bytes, DdsImage& image, std::string& err) {
    CaptureStderr();
    bool ok = parseDds("t.dds", bytes.data(), bytes.size(), image);
    err = GetCapturedStderr();
    return ok;
}

std::vector<size_t> sizesOf(const DdsImage& image) {
    std::vector<size_t> sizes;
    for (const DdsLevel& level : image.levels) sizes.push_back(level.size);
    return sizes;
}

}  // namespace

TEST(Dds, Dxt1MipChainOf256Square) {
    DdsImage image;
    std::string err;
    ASSERT_TRUE(parse(dds(256, 256, 32768, 9, "DXT1", 43704), image, err));
    EXPECT_EQ(image.format, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT));
    EXPECT_EQ(sizesOf(image), (std::vector<size_t>{32768, 8192, 2048, 512, 128, 32, 8, 8, 8}));
    size_t offset = 0;
    for (size_t level = 0; level < image.levels.size(); ++level) {
        EXPECT_EQ(image.levels[level].width, 256 >> level);
        EXPECT_EQ(image.levels[level].height, 256 >> level);
        EXPECT_EQ(image.levels[level].offset, offset);
        offset += image.levels[level].size;
    }
    EXPECT_EQ(image.data.size(), 43704u);
    EXPECT_EQ(image.data[1], 1);
}

TEST(Dds, SingleLevelReadsExactlyTheLinearSize) {
    DdsImage image;
    std::string err;
    ASSERT_TRUE(parse(dds(16, 16, 256, 1, "DXT5", 256 + 100), image, err));
    EXPECT_EQ(image.format, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT));
    EXPECT_EQ(image.data.size(), 256u);
    EXPECT_EQ(sizesOf(image), std::vector<size_t>{256});
}

TEST(Dds, NonSquareHalvesBothSidesUntilBothAreZero) {
    DdsImage image;
    std::string err;
    ASSERT_TRUE(parse(dds(8, 2, 32, 20, "DXT3", 64), image, err));
    ASSERT_EQ(image.levels.size(), 4u);
    const int expected[4][2] = {{8, 2}, {4, 1}, {2, 0}, {1, 0}};
    for (int level = 0; level < 4; ++level) {
        EXPECT_EQ(image.levels[level].width, expected[level][0]);
        EXPECT_EQ(image.levels[level].height, expected[level][1]);
    }
    EXPECT_EQ(sizesOf(image), (std::vector<size_t>{32, 16, 0, 0}));

    ASSERT_TRUE(parse(dds(8, 2, 32, 2, "DXT3", 64), image, err));
    EXPECT_EQ(image.levels.size(), 2u) << "the level count ends the chain first";
    ASSERT_TRUE(parse(dds(8, 2, 32, 0, "DXT3", 64), image, err));
    EXPECT_TRUE(image.levels.empty());
}

TEST(Dds, WrongMagicNamesTheBytesRead) {
    DdsImage image;
    std::string err;
    std::vector<uint8_t> bytes = dds(4, 4, 8, 1, "DXT1", 8);
    bytes[3] = 'X';
    EXPECT_FALSE(parse(bytes, image, err));
    EXPECT_EQ(err, "File 't.dds' has a wrong extension 'DDSX'! Please use '.DDS'\n");
    bytes[3] = '\0';
    EXPECT_FALSE(parse(bytes, image, err));
    EXPECT_EQ(err, "File 't.dds' has a wrong extension 'DDS'! Please use '.DDS'\n");
    EXPECT_FALSE(parse({'D', 'D'}, image, err));
    EXPECT_EQ(err, "File 't.dds' has a wrong extension 'DD'! Please use '.DDS'\n");
    EXPECT_FALSE(parse({}, image, err));
    EXPECT_EQ(err, "File 't.dds' has a wrong extension ''! Please use '.DDS'\n");
}

TEST(Dds, UnsupportedCompressionIsRejectedSilently) {
    DdsImage image;
    std::string err;
    for (const char* fourCc : {"DXT2", "DXT4", "ATI2", "dxt1", "\0\0\0\0"}) {
        EXPECT_FALSE(parse(dds(4, 4, 16, 1, fourCc, 16), image, err)) << fourCc;
        EXPECT_EQ(err, "");
    }
}

TEST(Dds, TruncatedOrOverstatedFilesAreRejected) {
    DdsImage image;
    std::string err;
    std::vector<uint8_t> header = dds(4, 4, 8, 1, "DXT1", 8);
    header.resize(100);
    EXPECT_FALSE(parse(header, image, err));
    EXPECT_NE(err, "");

    // Level data that the file does not hold, or that the header's buffer size leaves out.
    EXPECT_FALSE(parse(dds(256, 256, 32768, 9, "DXT1", 40000), image, err));
    EXPECT_NE(err, "");
    EXPECT_FALSE(parse(dds(64, 64, 8, 1, "DXT1", 4096), image, err));
    EXPECT_NE(err, "");
    EXPECT_FALSE(parse(dds(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 40, "DXT5", 64), image, err));
    EXPECT_FALSE(parse(dds(0x7FFFFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu, 40, "DXT5", 64), image, err));
    EXPECT_TRUE(image.levels.empty());
}

TEST(TgaFile, PixelsComeBottomRowFirstInRgbOrder) {
    TempDir dir;
    TgaPixels picture;
    const std::vector<testfiles::Pixel> topFirst = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    ASSERT_TRUE(
        readTgaPixels(dir.write("a.tga", testfiles::tga(1, 2, 32, topFirst)).c_str(), picture));
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.format, static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{5, 6, 7, 8, 1, 2, 3, 4}));
}

TEST(TgaFile, SizeTheFileCannotHoldIsRefusedUpFront) {
    TempDir dir;
    TgaPixels picture;
    // 60000 x 60000 pixels announced by a file of a few bytes, plain and run-length encoded.
    for (testfiles::TgaKind kind : {testfiles::TgaKind::Plain, testfiles::TgaKind::Rle}) {
        std::string file = testfiles::tga(1, 1, 24, {{1, 2, 3, 4}}, kind);
        file[12] = file[14] = '\x60';
        file[13] = file[15] = '\xEA';
        std::string path = dir.write("big.tga", file);
        CaptureStderr();
        EXPECT_FALSE(readTgaPixels(path.c_str(), picture));
        EXPECT_EQ(GetCapturedStderr(), "Texture '" + path +
                                           "' announces 60000 x 60000 pixels that the file "
                                           "cannot hold\n");
    }
    // One byte short of its last pixel.
    std::string cut = testfiles::tga(2, 2, 24, std::vector<testfiles::Pixel>(4, {1, 2, 3, 4}));
    cut.pop_back();
    CaptureStderr();
    EXPECT_FALSE(readTgaPixels(dir.write("cut.tga", cut).c_str(), picture));
    EXPECT_NE(GetCapturedStderr(), "");
    EXPECT_TRUE(picture.pixels.empty());
}
