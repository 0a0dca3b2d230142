#include <gtest/gtest.h>

#include "render/TextOverlay.h"

namespace {

constexpr float kSixteenth = 1.0f / 16.0f;

void expectQuad(const std::vector<vec2>& v, size_t first, float l, float b, float r, float t) {
    ASSERT_GE(v.size(), first + 6);
    // Triangles (top-left, bottom-left, top-right) and (bottom-right, top-right, bottom-left).
    EXPECT_EQ(v[first + 0], vec2(l, t));
    EXPECT_EQ(v[first + 1], vec2(l, b));
    EXPECT_EQ(v[first + 2], vec2(r, t));
    EXPECT_EQ(v[first + 3], vec2(r, b));
    EXPECT_EQ(v[first + 4], vec2(r, t));
    EXPECT_EQ(v[first + 5], vec2(l, b));
}

}  // namespace

TEST(TextLayout, CharactersFollowEachOtherWithoutGapsEachFromItsFontCell) {
    std::vector<vec2> positions, uvs;
    layoutText("A", 10, 560, 20, positions, uvs);
    ASSERT_EQ(uvs.size(), 6u);
    expectQuad(positions, 0, 10.0f, 560.0f, 30.0f, 580.0f);
    // 'A' = 65: column 1, row 4 from the top.
    expectQuad(uvs, 0, 1 * kSixteenth, 11 * kSixteenth, 2 * kSixteenth, 12 * kSixteenth);

    layoutText("a0:", 10, 540, 20, positions, uvs);
    ASSERT_EQ(positions.size(), 18u);
    expectQuad(positions, 0, 10.0f, 540.0f, 30.0f, 560.0f);
    expectQuad(positions, 6, 30.0f, 540.0f, 50.0f, 560.0f);
    expectQuad(positions, 12, 50.0f, 540.0f, 70.0f, 560.0f);
    // 'a' = 97: column 1, row 6; ':' = 58: column 10, row 3.
    expectQuad(uvs, 0, kSixteenth, 9 * kSixteenth, 2 * kSixteenth, 10 * kSixteenth);
    expectQuad(uvs, 6, 0.0f, 12 * kSixteenth, kSixteenth, 13 * kSixteenth);
    expectQuad(uvs, 12, 10 * kSixteenth, 12 * kSixteenth, 11 * kSixteenth, 13 * kSixteenth);
}

TEST(TextLayout, EmptyOrMissingTextGivesNoQuads) {
    std::vector<vec2> positions{vec2(1.0f)}, uvs{vec2(1.0f)};
    layoutText("", 10, 10, 20, positions, uvs);
    EXPECT_TRUE(positions.empty());
    EXPECT_TRUE(uvs.empty());
    layoutText(nullptr, 10, 10, 20, positions, uvs);
    EXPECT_TRUE(positions.empty());
    EXPECT_TRUE(uvs.empty());
}

TEST(TextLayout, UpperCodesStayInsideTheFont) {
    for (int code = 128; code < 256; ++code) {
        const char text[2] = {static_cast<char>(code), 0};
        std::vector<vec2> positions, uvs;
        layoutText(text, 0, 0, 10, positions, uvs);
        ASSERT_EQ(uvs.size(), 6u) << code;
        for (const vec2& uv : uvs) {
            EXPECT_TRUE(uv.x >= 0.0f && uv.x <= 1.0f && uv.y >= 0.0f && uv.y <= 1.0f) << code;
        }
    }
    // 255 is the bottom-right cell, 200 column 8 of row 12.
    std::vector<vec2> positions, uvs;
    layoutText("\xff\xc8", 0, 0, 10, positions, uvs);
    expectQuad(uvs, 0, 15 * kSixteenth, 0.0f, 1.0f, kSixteenth);
    expectQuad(uvs, 6, 8 * kSixteenth, 3 * kSixteenth, 9 * kSixteenth, 4 * kSixteenth);
}
