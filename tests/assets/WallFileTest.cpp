#include <gtest/gtest.h>

#include "assets/TempDir.h"
#include "assets/WallFile.h"

using namespace testing::internal;  // capturing the readers' messages

namespace {

using Segments = std::vector<std::pair<vec2, vec2>>;

// Loads into arrays that already hold a wall: they are replaced, not appended to.
Segments segmentsOf(const std::string& content) {
    TempDir dir;
    const std::string path = dir.write("maze.txt", content);
    std::vector<vec2> starts{vec2(42.0f)}, ends;
    CaptureStdout();
    EXPECT_TRUE(loadWallFile(path.c_str(), starts, ends));
    EXPECT_EQ(GetCapturedStdout(), "Loading walls from file '" + path + "'...\n");
    EXPECT_EQ(starts.size(), ends.size());
    Segments segments;
    for (size_t i = 0; i < starts.size() && i < ends.size(); ++i)
        segments.emplace_back(starts[i], ends[i]);
    return segments;
}

}  // namespace

TEST(WallFile, SegmentsInFileOrderSkippingCommentsAndBlanks) {
    const vec2 o(0.0f);
    const std::pair<vec2, vec2> first{vec2(1, 2), vec2(3, 4)};
    const std::string piece = "1/2 3/4" + std::string(511 - 7, ' ');
    const struct {
        std::string content;
        Segments walls;
    } cases[] = {
        {"", {}},
        {"// maze\n1/2 3/4\n\n-5.5/6 7/8.25\n", {first, {vec2(-5.5f, 6), vec2(7, 8.25f)}}},
        // A comment starts in the first column only.
        {"  // not a comment\n/ / half a marker\n", {{o, o}, {o, o}}},
        {"1/2 3/4 // the long wall\n", {first}},
        // Unparsed fields stay zero.
        {"1/2 3\n   \n7/x 9/9\n", {{vec2(1, 2), vec2(3, 0)}, {o, o}, {vec2(7, 0), o}}},
        {"// maze\r\n\r\n1/2 3/4\r\n\r\n5/6 7/8", {first, {vec2(5, 6), vec2(7, 8)}}},
        // Read in 511-character pieces: "9/9 8/8" is a line of its own, a break right after a
        // full piece is an empty piece, and the tail of a long comment is no comment any more.
        {piece + "9/9 8/8\n" + piece + "\n//" + std::string(600, '-') + "\n",
         {first, {vec2(9, 9), vec2(8, 8)}, first, {o, o}}},
    };
    for (const auto& c : cases) EXPECT_EQ(segmentsOf(c.content), c.walls) << c.content;
}

TEST(WallFile, UnreadableFileLeavesOutputs) {
    TempDir dir;
    for (const std::string& path : {dir.file("absent.txt"), dir.path}) {
        std::vector<vec2> starts{vec2(1.0f)}, ends;
        CaptureStderr();
        EXPECT_FALSE(loadWallFile(path.c_str(), starts, ends));
        EXPECT_EQ(GetCapturedStderr(), "Error opening file '" + path + "'\n");
        EXPECT_EQ(starts.size(), 1u);
        EXPECT_TRUE(ends.empty());
    }
}
