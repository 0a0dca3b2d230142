#include <gtest/gtest.h>

#include "render/TextOverlay.h"

namespace {

// Triangles (top-left, bottom-left, top-right) and (bottom-right, top-right, bottom-left).
std::vector<vec2> quad(float l, float b, float r, float t) {
    return {{l, t}, {l, b}, {r, t}, {r, b}, {r, t}, {l, b}};
}

}  // namespace

TEST(TextLayout, CharactersFollowEachOtherWithoutGapsEachFromItsFontCell) {
    const struct {
        const char* text;
        int x, y, size;
        std::vector<std::pair<int, int>> cells;  // column, and row from the top
    } cases[] = {
        {"a0:", 10, 540, 20, {{1, 6}, {0, 3}, {10, 3}}},
        {"\xff\xc8", 0, 0, 10, {{15, 15}, {8, 12}}},  // the upper half of the font
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<vec2> positions, uvs, expectedPositions, expectedUvs;
        for (size_t i = 0; i < c.cells.size(); ++i) {
            const float left = c.x + c.size * static_cast<float>(i);
            const auto place = quad(left, c.y, left + c.size, c.y + c.size);
            const auto [column, row] = c.cells[i];
            const auto cell =
                quad(column / 16.0f, (15 - row) / 16.0f, (column + 1) / 16.0f, (16 - row) / 16.0f);
            expectedPositions.insert(expectedPositions.end(), place.begin(), place.end());
            expectedUvs.insert(expectedUvs.end(), cell.begin(), cell.end());
        }
        layoutText(c.text, c.x, c.y, c.size, positions, uvs);
        EXPECT_EQ(positions, expectedPositions);
        EXPECT_EQ(uvs, expectedUvs);
    }
}

TEST(TextLayout, EmptyOrMissingTextGivesNoQuads) {
    for (const char* text : {"", static_cast<const char*>(nullptr)}) {
        std::vector<vec2> positions{vec2(1.0f)}, uvs{vec2(1.0f)};
        layoutText(text, 10, 10, 20, positions, uvs);
        EXPECT_TRUE(positions.empty() && uvs.empty());
    }
}
