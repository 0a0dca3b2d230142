#include <gtest/gtest.h>

#include "assets/ImageFiles.h"
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
    for (const char* fourCc : {"DXT2", "dxt1", "\0\0\0\0"}) {
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

namespace {

bool parseTgaText(const std::string& file, TgaPixels& picture, std::string& err) {
    std::vector<uint8_t> bytes(file.begin(), file.end());
    CaptureStderr();
    bool ok = parseTga("t.tga", bytes.data(), bytes.size(), picture);
    err = GetCapturedStderr();
    return ok;
}

}  // namespace

TEST(TgaFile, OtherDepthsAndCornersAreRead) {
    TgaPixels picture;
    std::string err;
    // 15-bit true colour stored right to left: pure red then pure blue in the file.
    ASSERT_TRUE(
        parseTgaText(testfiles::tgaHeader(2, 2, 1, 16, 0x10) + std::string("\x00\x7c\x1f\x00", 4),
                     picture, err));
    EXPECT_EQ(picture.format, static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{0, 0, 255, 255, 0, 0}));

    // Colour-mapped, run-length encoded: a run of three of entry 1, one raw entry 0.
    const std::string map = "\x10\x20\x30\x40\x50\x60";  // BGR entries
    ASSERT_TRUE(parseTgaText(
        testfiles::tgaHeader(9, 4, 1, 8, 0, 2, 24) + map + std::string("\x82\x01\x00\x00", 4),
        picture, err));
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{0x60, 0x50, 0x40, 0x60, 0x50, 0x40, 0x60, 0x50,
                                                    0x40, 0x30, 0x20, 0x10}));

    // Grey, run-length encoded, three columns: made RGB and scaled to four.
    ASSERT_TRUE(parseTgaText(testfiles::tgaHeader(11, 3, 1, 8, 0) + "\x82\x40", picture, err));
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.pixels, std::vector<uint8_t>(12, 0x40));
}

TEST(TgaFile, MalformedPicturesAreRefusedWithAReason) {
    struct Case {
        std::string file, message;
    };
    const std::string rgb = "\x01\x02\x03";
    const std::vector<Case> cases = {
        {"short", "Texture 't.tga' is too short for a TGA header\n"},
        {testfiles::tgaHeader(2, 60000, 60000, 24, 0) + rgb,
         "Texture 't.tga' has an unusable size of 60000 x 60000 pixels\n"},
        {testfiles::tgaHeader(2, 0, 4, 24, 0),
         "Texture 't.tga' has an unusable size of 0 x 4 pixels\n"},
        // Gigabytes announced by a few bytes: refused before any memory is taken.
        {testfiles::tgaHeader(10, 16000, 16000, 32, 8) + "\xff" + rgb + "\x01",
         "Texture 't.tga' holds less data than its TGA header announces\n"},
        {testfiles::tgaHeader(2, 2, 2, 24, 0) + rgb + rgb + rgb + "\x01\x02",
         "Texture 't.tga' holds less data than its TGA header announces\n"},
        {testfiles::tgaHeader(10, 2, 2, 24, 0) + "\x03" + rgb,
         "Texture 't.tga' holds less data than its TGA header announces\n"},
        {testfiles::tgaHeader(10, 2, 2, 24, 0) + "\x84" + rgb + "\x01\x02",
         "Texture 't.tga' has more pixels than its TGA header announces\n"},
        {testfiles::tgaHeader(1, 1, 1, 8, 0, 2, 24) + rgb + rgb + "\x02",
         "Texture 't.tga' uses a colour outside its colour map\n"},
        {testfiles::tgaHeader(3, 1, 1, 16, 0) + "\x01\x02",
         "Texture 't.tga' is a kind of TGA we do not read (type 3, 16 bits)\n"},
        {testfiles::tgaHeader(32, 1, 1, 8, 0) + "\x01",
         "Texture 't.tga' is a kind of TGA we do not read (type 32, 8 bits)\n"},
    };
    for (const Case& c : cases) {
        TgaPixels picture;
        std::string err;
        EXPECT_FALSE(parseTgaText(c.file, picture, err)) << c.message;
        EXPECT_EQ(err, c.message);
        EXPECT_TRUE(picture.pixels.empty());
    }
}
