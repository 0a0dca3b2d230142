#include <gtest/gtest.h>

#include "assets/TempDir.h"
#include "assets/WallFile.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

struct Walls {
    std::vector<vec2> starts, ends;
    bool load(const std::string& path) { return loadWallFile(path.c_str(), starts, ends); }
};

using Segments = std::vector<std::pair<vec2, vec2>>;

// The walls of a file holding content, as start/end pairs.
Segments segmentsOf(const std::string& content) {
    TempDir dir;
    Walls walls;
    EXPECT_TRUE(walls.load(dir.write("maze.txt", content)));
    EXPECT_EQ(walls.starts.size(), walls.ends.size());
    Segments segments;
    for (size_t i = 0; i < walls.starts.size() && i < walls.ends.size(); ++i)
        segments.emplace_back(walls.starts[i], walls.ends[i]);
    return segments;
}

const vec2 kOrigin(0.0f);

}  // namespace

TEST(WallFile, ReadsSegmentsInFileOrder) {
    TempDir dir;
    std::string path = dir.write("maze.txt", "// maze\n1/2 3/4\n\n-5.5/6 7/8.25\n");
    Walls walls;
    walls.starts.push_back(vec2(42.0f));  // replaced, not appended to
    CaptureStdout();
    ASSERT_TRUE(walls.load(path));
    EXPECT_EQ(GetCapturedStdout(), "Loading walls from file '" + path + "'...\n");
    EXPECT_EQ(walls.starts, (std::vector<vec2>{vec2(1, 2), vec2(-5.5f, 6)}));
    EXPECT_EQ(walls.ends, (std::vector<vec2>{vec2(3, 4), vec2(7, 8.25f)}));
}

TEST(WallFile, EmptyAndCommentOnlyFilesGiveNoWalls) {
    for (const char* content : {"", "\n\n", "// a\n\n//b\n", "//\r\n\r\n// c"}) {
        EXPECT_EQ(segmentsOf(content), Segments{}) << content;
    }
}

TEST(WallFile, CommentMustStartInFirstColumn) {
    EXPECT_EQ(segmentsOf("  // not a comment\n/ / half a marker\n"),
              (Segments{{kOrigin, kOrigin}, {kOrigin, kOrigin}}));
}

TEST(WallFile, TextAfterTheFourthNumberIsIgnored) {
    EXPECT_EQ(segmentsOf("1/2 3/4 // the long wall\n"), (Segments{{vec2(1, 2), vec2(3, 4)}}));
}

TEST(WallFile, UnparsedFieldsStayZero) {
    EXPECT_EQ(segmentsOf("1/2 3\n   \n7/x 9/9\n"),
              (Segments{{vec2(1, 2), vec2(3, 0)}, {kOrigin, kOrigin}, {vec2(7, 0), kOrigin}}));
}

TEST(WallFile, CarriageReturnsBeforeLineBreaksAreDropped) {
    EXPECT_EQ(segmentsOf("// maze\r\n\r\n1/2 3/4\r\n\r\n5/6 7/8"),
              (Segments{{vec2(1, 2), vec2(3, 4)}, {vec2(5, 6), vec2(7, 8)}}));
}

TEST(WallFile, LongLinesAreReadIn511CharacterPieces) {
    // The first piece ends just before "9/9 8/8", which then counts as a line of its own;
    // a line break right after a full piece comes as an empty piece and is skipped; the tail
    // of a long comment is no comment any more.
    const std::string firstPiece = "1/2 3/4" + std::string(511 - 7, ' ');
    const std::pair<vec2, vec2> first{vec2(1, 2), vec2(3, 4)};
    EXPECT_EQ(
        segmentsOf(firstPiece + "9/9 8/8\n" + firstPiece + "\n//" + std::string(600, '-') + "\n"),
        (Segments{first, {vec2(9, 9), vec2(8, 8)}, first, {kOrigin, kOrigin}}));
}

TEST(WallFile, UnreadableFileLeavesOutputs) {
    TempDir dir;
    for (const std::string& path : {dir.file("absent.txt"), dir.path}) {
        Walls walls;
        walls.starts.push_back(vec2(1.0f));
        CaptureStderr();
        EXPECT_FALSE(walls.load(path));
        EXPECT_EQ(GetCapturedStderr(), "Error opening file '" + path + "'\n");
        EXPECT_EQ(walls.starts.size(), 1u);
        EXPECT_TRUE(walls.ends.empty());
    }
}
