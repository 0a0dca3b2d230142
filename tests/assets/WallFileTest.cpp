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

Walls loadContent(const std::string& content) {
    TempDir dir;
    Walls walls;
    EXPECT_TRUE(walls.load(dir.write("maze.txt", content)));
    EXPECT_EQ(walls.starts.size(), walls.ends.size());
    return walls;
}

}  // namespace

TEST(WallFile, ReadsSegmentsInFileOrder) {
    TempDir dir;
    std::string path = dir.write("maze.txt", "// maze\n1/2 3/4\n\n-5.5/6 7/8.25\n");
    Walls walls;
    walls.starts.push_back(vec2(42.0f));  // replaced, not appended to
    CaptureStdout();
    ASSERT_TRUE(walls.load(path));
    EXPECT_EQ(GetCapturedStdout(), "Loading walls from file '" + path + "'...\n");
    ASSERT_EQ(walls.starts.size(), 2u);
    ASSERT_EQ(walls.ends.size(), 2u);
    EXPECT_EQ(walls.starts[0], vec2(1, 2));
    EXPECT_EQ(walls.ends[0], vec2(3, 4));
    EXPECT_EQ(walls.starts[1], vec2(-5.5f, 6));
    EXPECT_EQ(walls.ends[1], vec2(7, 8.25f));
}

TEST(WallFile, EmptyAndCommentOnlyFilesGiveNoWalls) {
    for (const char* content : {"", "\n\n", "// a\n\n//b\n", "//\r\n\r\n// c"}) {
        SCOPED_TRACE(content);
        Walls walls = loadContent(content);
        EXPECT_TRUE(walls.starts.empty());
    }
}

TEST(WallFile, CommentMustStartInFirstColumn) {
    Walls walls = loadContent("  // not a comment\n/ / half a marker\n");
    ASSERT_EQ(walls.starts.size(), 2u);
    EXPECT_EQ(walls.starts[0], vec2(0, 0));
    EXPECT_EQ(walls.ends[0], vec2(0, 0));
}

TEST(WallFile, TextAfterTheFourthNumberIsIgnored) {
    Walls walls = loadContent("1/2 3/4 // the long wall\n");
    ASSERT_EQ(walls.starts.size(), 1u);
    EXPECT_EQ(walls.starts[0], vec2(1, 2));
    EXPECT_EQ(walls.ends[0], vec2(3, 4));
}

TEST(WallFile, UnparsedFieldsStayZero) {
    Walls walls = loadContent("1/2 3\n   \n7/x 9/9\n");
    ASSERT_EQ(walls.starts.size(), 3u);
    EXPECT_EQ(walls.starts[0], vec2(1, 2));
    EXPECT_EQ(walls.ends[0], vec2(3, 0));
    EXPECT_EQ(walls.starts[1], vec2(0, 0));
    EXPECT_EQ(walls.ends[1], vec2(0, 0));
    EXPECT_EQ(walls.starts[2], vec2(7, 0));
    EXPECT_EQ(walls.ends[2], vec2(0, 0));
}

TEST(WallFile, CarriageReturnsBeforeLineBreaksAreDropped) {
    Walls walls = loadContent("// maze\r\n\r\n1/2 3/4\r\n\r\n5/6 7/8");
    ASSERT_EQ(walls.starts.size(), 2u);
    EXPECT_EQ(walls.ends[0], vec2(3, 4));
    EXPECT_EQ(walls.starts[1], vec2(5, 6));
    EXPECT_EQ(walls.ends[1], vec2(7, 8));
}

TEST(WallFile, LongLinesAreReadIn511CharacterPieces) {
    // The first piece ends just before "9/9 8/8", which then counts as a line of its own;
    // a line break right after a full piece comes as an empty piece and is skipped.
    const std::string firstPiece = "1/2 3/4" + std::string(511 - 7, ' ');
    Walls walls =
        loadContent(firstPiece + "9/9 8/8\n" + firstPiece + "\n//" + std::string(600, '-') + "\n");
    ASSERT_EQ(walls.starts.size(), 4u);
    EXPECT_EQ(walls.starts[0], vec2(1, 2));
    EXPECT_EQ(walls.starts[1], vec2(9, 9));
    EXPECT_EQ(walls.ends[1], vec2(8, 8));
    EXPECT_EQ(walls.starts[2], vec2(1, 2));
    // The tail of a long comment is no comment any more.
    EXPECT_EQ(walls.starts[3], vec2(0, 0));
    EXPECT_EQ(walls.ends[3], vec2(0, 0));
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
