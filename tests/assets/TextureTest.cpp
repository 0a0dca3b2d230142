#include <gtest/gtest.h>

#include "assets/ImageFiles.h"
#include "assets/TempDir.h"
#include "assets/Texture.h"
#include "support/GlContext.h"

using testfiles::Rgb;
using testfiles::TgaKind;
using namespace testing::internal;  // capturing the readers' messages

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

GLint levelParameter(GLint level, GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint textureParameter(GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLuint integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return static_cast<GLuint>(value);
}

// One level of the bound texture, bottom row first, in the given channel layout.
std::vector<uint8_t> readBack(GLenum format, GLint level = 0) {
    const size_t texels = static_cast<size_t>(levelParameter(level, GL_TEXTURE_WIDTH)) *
                          levelParameter(level, GL_TEXTURE_HEIGHT);
    std::vector<uint8_t> pixels(texels * (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

class TextureTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        // A caller's odd alignment must survive our uploads.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    }
    void TearDown() override {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    TempDir dir;
};

}  // namespace

TEST_F(TextureTest, DdsLevelsAreUploadedWithTheirSizes) {
    std::string path = dir.write("chain.dds", testfiles::dds(256, 256, 32768, 9, "DXT1", 43704));
    CaptureStdout();
    GLuint name = loadDdsTexture(path.c_str());
    EXPECT_EQ(GetCapturedStdout(), "Loading DDS file '" + path + "'...\n");
    ASSERT_NE(name, 0u);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), name);
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 8u);
    const GLint sizes[9] = {32768, 8192, 2048, 512, 128, 32, 8, 8, 8};
    for (GLint level = 0; level < 9; ++level) {
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_WIDTH), 256 >> level);
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE), sizes[level]);
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_INTERNAL_FORMAT),
                  GL_COMPRESSED_RGBA_S3TC_DXT1_EXT);
    }
    glDeleteTextures(1, &name);
}

TEST_F(TextureTest, TgaBottomRowIsTextureRowZeroWhateverTheOrigin) {
    const std::vector<Rgb> topFirst = {kRed, kGreen, kBlue, kWhite};
    const std::vector<uint8_t> bottomFirstRgb = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
    for (bool topOrigin : {false, true}) {
        for (TgaKind kind : {TgaKind::Plain, TgaKind::Rle}) {
            SCOPED_TRACE(testing::Message()
                         << "top origin " << topOrigin << ", kind " << static_cast<int>(kind));
            Texture texture(dir.write("p.tga", testfiles::tga(2, 2, topFirst, kind, topOrigin)),
                            false);
            ASSERT_NE(texture.textureName, 0u);
            EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
            EXPECT_EQ(readBack(GL_RGB), bottomFirstRgb);
        }
    }
}

TEST_F(TextureTest, FailedLoadKeepsNameZeroAndTouchesNoOtherTexture) {
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    std::vector<uint8_t> wrongFourCc = testfiles::dds(4, 4, 8, 1, "ATI1", 8);
    for (auto [path, dds] : {std::pair{dir.file("absent.tga"), false},
                             std::pair{dir.write("junk.tga", "nothing"), false},
                             std::pair{dir.file("absent.dds"), true},
                             std::pair{dir.write("wrong.dds", wrongFourCc), true}}) {
        SCOPED_TRACE(path);
        CaptureStdout();
        CaptureStderr();
        Texture texture(path, dds);
        GetCapturedStdout();
        std::string err = GetCapturedStderr();
        EXPECT_EQ(texture.textureName, 0u);
        const std::string message = "Error reading texture from file '" + path + "'\n";
        ASSERT_GE(err.size(), message.size());
        EXPECT_EQ(err.substr(err.size() - message.size()), message);
    }
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), other);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    glDeleteTextures(1, &other);
}

TEST_F(TextureTest, UncompressedCopyHoldsTheSameTexelsOnEveryLevel) {
    // 16 x 8 blocks of counting bytes: every kind of DXT5 alpha and colour block appears.
    Texture texture(dir.write("paint.dds", testfiles::dds(16, 8, 128, 1, "DXT5", 128)), true);
    ASSERT_NE(texture.textureName, 0u);
    std::vector<std::vector<uint8_t>> decoded;
    for (GLint level = 0; levelParameter(level, GL_TEXTURE_WIDTH) > 0; ++level)
        decoded.push_back(readBack(GL_RGBA, level));
    ASSERT_EQ(decoded.size(), 5u);

    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    glBindTexture(GL_TEXTURE_2D, 0);
    texture.storeUncompressed();
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), texture.textureName);
    EXPECT_EQ(integer(GL_PACK_ALIGNMENT), 8u);
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 8u);
    for (GLint level = 0; level < static_cast<GLint>(decoded.size()); ++level) {
        SCOPED_TRACE(level);
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_COMPRESSED), GL_FALSE);
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        EXPECT_EQ(readBack(GL_RGBA, level), decoded[static_cast<size_t>(level)]);
    }
    EXPECT_EQ(levelParameter(static_cast<GLint>(decoded.size()), GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
}
