#include <gtest/gtest.h>

#include <array>

#include "assets/ImageFiles.h"
#include "assets/Texture.h"

using testfiles::dds;
using testfiles::tgaHeader;
using namespace testing::internal;  // capturing the readers' messages

namespace {

bool parse(const std::vector<uint8_t>& bytes, DdsImage& image, std::string& err) {
    CaptureStderr();
    bool ok = parseDds("t.dds", bytes.data(), bytes.size(), image);
    err = GetCapturedStderr();
    return ok;
}

std::vector<std::array<size_t, 3>> levelsOf(const DdsImage& image) {
    std::vector<std::array<size_t, 3>> levels;
    for (const DdsLevel& l : image.levels)
        levels.push_back({size_t(l.width), size_t(l.height), l.size});
    return levels;
}

bool parseTgaText(const std::string& file, TgaPixels& picture, std::string& err) {
    std::vector<uint8_t> bytes(file.begin(), file.end());
    CaptureStderr();
    bool ok = parseTga("t.tga", bytes.data(), bytes.size(), picture);
    err = GetCapturedStderr();
    return ok;
}

}  // namespace

TEST(Dds, MipChainsAreCutFromTheData) {
    DdsImage image;
    std::string err;
    ASSERT_TRUE(parse(dds(256, 256, 32768, 9, "DXT1", 43704), image, err));
    EXPECT_EQ(image.format, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT));
    // Each level's side and size are the upload test's; here they follow each other.
    ASSERT_EQ(image.levels.size(), 9u);
    size_t offset = 0;
    for (const DdsLevel& level : image.levels) {
        EXPECT_EQ(level.offset, offset);
        offset += level.size;
    }
    EXPECT_EQ(image.data.size(), 43704u);
    EXPECT_EQ(image.data[1], 1);

    // A single level reads exactly the linear size.
    ASSERT_TRUE(parse(dds(16, 16, 256, 1, "DXT5", 256 + 100), image, err));
    EXPECT_EQ(image.format, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT));
    EXPECT_EQ(image.data.size(), 256u);
    EXPECT_EQ(levelsOf(image), (std::vector<std::array<size_t, 3>>{{16, 16, 256}}));

    // Non-square: both sides halve until both are zero, unless the level count ends it first.
    ASSERT_TRUE(parse(dds(8, 2, 32, 20, "DXT3", 64), image, err));
    EXPECT_EQ(levelsOf(image),
              (std::vector<std::array<size_t, 3>>{{8, 2, 32}, {4, 1, 16}, {2, 0, 0}, {1, 0, 0}}));
    ASSERT_TRUE(parse(dds(8, 2, 32, 2, "DXT3", 64), image, err));
    EXPECT_EQ(image.levels.size(), 2u);
    ASSERT_TRUE(parse(dds(8, 2, 32, 0, "DXT3", 64), image, err));
    EXPECT_TRUE(image.levels.empty());
}

TEST(Dds, WrongMagicNamesTheBytesRead) {
    DdsImage image;
    std::string err;
    std::vector<uint8_t> magicX = dds(4, 4, 8, 1, "DXT1", 8), magic0 = magicX;
    magicX[3] = 'X';
    magic0[3] = '\0';
    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        {magicX, "DDSX"}, {magic0, "DDS"}, {{'D', 'D'}, "DD"}, {{}, ""}};
    for (const auto& [bytes, shown] : cases) {
        EXPECT_FALSE(parse(bytes, image, err));
        EXPECT_EQ(err, std::string("File 't.dds' has a wrong extension '") + shown +
                           "'! Please use '.DDS'\n");
    }
}

TEST(Dds, TruncatedOrOverstatedFilesAreRejected) {
    DdsImage image;
    std::string err;
    std::vector<uint8_t> header = dds(4, 4, 8, 1, "DXT1", 8);
    header.resize(100);
    // Also level data that the file does not hold, or that the header's buffer size leaves out.
    for (const auto& bytes :
         {header, dds(256, 256, 32768, 9, "DXT1", 40000), dds(64, 64, 8, 1, "DXT1", 4096)}) {
        EXPECT_FALSE(parse(bytes, image, err));
        EXPECT_NE(err, "");
    }
    EXPECT_FALSE(parse(dds(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 40, "DXT5", 64), image, err));
    EXPECT_FALSE(parse(dds(0x7FFFFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu, 40, "DXT5", 64), image, err));
    EXPECT_TRUE(image.levels.empty());
}

TEST(TgaFile, OtherDepthsAndCornersAreRead) {
    TgaPixels picture;
    std::string err;
    // 15-bit true colour stored right to left: pure red then pure blue in the file.
    ASSERT_TRUE(parseTgaText(tgaHeader(2, 2, 1, 16, 0x10) + std::string("\x00\x7c\x1f\x00", 4),
                             picture, err));
    EXPECT_EQ(picture.format, static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{0, 0, 255, 255, 0, 0}));

    // Colour-mapped, run-length encoded: a run of three of entry 1, one raw entry 0.
    const std::string map = "\x10\x20\x30\x40\x50\x60";  // BGR entries
    const std::string runs("\x82\x01\x00\x00", 4);
    ASSERT_TRUE(parseTgaText(tgaHeader(9, 4, 1, 8, 0, 2, 24) + map + runs, picture, err));
    EXPECT_EQ(picture.pixels, (std::vector<uint8_t>{0x60, 0x50, 0x40, 0x60, 0x50, 0x40, 0x60, 0x50,
                                                    0x40, 0x30, 0x20, 0x10}));

    // Grey, run-length encoded, three columns: made RGB and scaled to four.
    ASSERT_TRUE(parseTgaText(tgaHeader(11, 3, 1, 8, 0) + "\x82\x40", picture, err));
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.pixels, std::vector<uint8_t>(12, 0x40));
}

TEST(TgaFile, MalformedPicturesAreRefusedWithAReason) {
    const std::string rgb = "\x01\x02\x03", less = "holds less data than its TGA header announces",
                      kind = "is a kind of TGA we do not read ";
    const std::pair<std::string, std::string> cases[] = {
        {"short", "is too short for a TGA header"},
        {tgaHeader(2, 60000, 60000, 24, 0) + rgb, "has an unusable size of 60000 x 60000 pixels"},
        {tgaHeader(2, 0, 4, 24, 0), "has an unusable size of 0 x 4 pixels"},
        // Gigabytes announced by a few bytes: refused before any memory is taken.
        {tgaHeader(10, 16000, 16000, 32, 8) + "\xff" + rgb + "\x01", less},
        {tgaHeader(2, 2, 2, 24, 0) + rgb + rgb + rgb + "\x01\x02", less},
        {tgaHeader(10, 2, 2, 24, 0) + "\x03" + rgb, less},
        {tgaHeader(10, 2, 2, 24, 0) + "\x84" + rgb + "\x01\x02",
         "has more pixels than its TGA header announces"},
        {tgaHeader(1, 1, 1, 8, 0, 2, 24) + rgb + rgb + "\x02",
         "uses a colour outside its colour map"},
        {tgaHeader(3, 1, 1, 16, 0) + "\x01\x02", kind + "(type 3, 16 bits)"},
        {tgaHeader(32, 1, 1, 8, 0) + "\x01", kind + "(type 32, 8 bits)"},
    };
    for (const auto& [file, reason] : cases) {
        TgaPixels picture;
        std::string err;
        EXPECT_FALSE(parseTgaText(file, picture, err)) << reason;
        EXPECT_EQ(err, "Texture 't.tga' " + reason + "\n");
        EXPECT_TRUE(picture.pixels.empty());
    }
}
