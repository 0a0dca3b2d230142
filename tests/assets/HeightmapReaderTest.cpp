#include <gtest/gtest.h>

#include "assets/HeightmapReader.h"
#include "assets/ImageFiles.h"
#include "assets/TempDir.h"

using testfiles::Rgb;
using namespace testing::internal;  // capturing the readers' messages

namespace {

// A binary PPM, rows given top row first as in the picture.
std::string ppm(int width, int height, const std::vector<Rgb>& topFirst) {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (const Rgb& p : topFirst) bytes += {char(p.r), char(p.g), char(p.b)};
    return bytes;
}

struct Terrain {
    std::vector<vec3> positions, normals;
    std::vector<unsigned> indices;
    int width = -1, height = -1;
    std::string out, err;
    bool load(const std::string& path) {
        CaptureStdout();
        CaptureStderr();
        bool ok = loadHeightmap(path.c_str(), positions, normals, indices, width, height);
        out = GetCapturedStdout();
        err = GetCapturedStderr();
        return ok;
    }
    bool untouched() const {
        return normals.empty() && indices.empty() && width == -1 && height == -1;
    }
};

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0};

}  // namespace

TEST(Heightmap, TwoByTwoCellIndicesAndNormals) {
    TempDir dir;
    // Top row of the picture is row 1; its right pixel is the only raised vertex (number 3).
    std::string path = dir.write("h.ppm", ppm(2, 2, {kBlack, kWhite, kBlack, kBlack}));
    Terrain t;
    ASSERT_TRUE(t.load(path));
    EXPECT_EQ(t.out, "Loading heightmap file '" + path + "'...\nSize of the heightmap is 2 x 2\n");
    EXPECT_EQ(std::pair(t.width, t.height), std::pair(2, 2));
    EXPECT_EQ(t.indices, (std::vector<unsigned>{1, 0, 2, 1, 2, 3}));
    EXPECT_EQ(t.positions, (std::vector<vec3>{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 17, 1}}));
    // T1 = (1, 0, 2) is flat; T2 = (1, 2, 3) leans away from the raised corner.
    const vec3 t1(0, 1, 0), t2(-17, 1, -17);
    EXPECT_EQ(t.normals, (std::vector<vec3>{t1, t2, t1, t2}));
}

TEST(Heightmap, HeightIsChannelMeanOverFifteen) {
    TempDir dir;
    Terrain t;
    t.normals.assign(7, vec3(5.0f));  // replaced by the computed array
    ASSERT_TRUE(t.load(dir.write("row.ppm", ppm(3, 1, {kWhite, kBlack, {30, 0, 0}}))));
    EXPECT_EQ(t.positions, (std::vector<vec3>{{0, 17, 0}, {1, 0, 0}, {2, 10.0f / 15.0f, 0}}));
    // One row has no cells: no indices, nothing added to the normals.
    EXPECT_TRUE(t.indices.empty());
    EXPECT_EQ(t.normals, std::vector<vec3>(3, vec3(0.0f)));

    Terrain flat;
    ASSERT_TRUE(flat.load(dir.write("flat.ppm", ppm(3, 3, std::vector<Rgb>(9, Rgb{60, 60, 60})))));
    EXPECT_EQ(flat.indices.size(), 6u * 2 * 2);
    // Normals are summed per triangle, not normalised: they count the contributions.
    const float counts[9] = {1, 2, 1, 1, 2, 1, 1, 2, 1};
    ASSERT_EQ(flat.normals.size(), 9u);
    for (int n = 0; n < 9; ++n) EXPECT_EQ(flat.normals[n], vec3(0, counts[n], 0)) << "vertex " << n;
}

TEST(Heightmap, UnreadableOrOversizedImageLeavesOutputs) {
    TempDir dir;
    for (const std::string& path :
         {dir.file("absent.png"), dir.write("junk.png", "not an image at all"), dir.path}) {
        SCOPED_TRACE(path);
        Terrain t;
        t.positions.push_back(vec3(1.0f));
        EXPECT_FALSE(t.load(path));
        EXPECT_NE(t.err.find("Impossible to open the file '" + path + "'\n"), std::string::npos);
        EXPECT_EQ(t.positions.size(), 1u);
        EXPECT_TRUE(t.untouched());
    }
    // Refused before its pixels are read.
    Terrain t;
    std::string path = dir.write("huge.ppm", "P6\n8192 4097\n255\n");
    EXPECT_FALSE(t.load(path));
    EXPECT_EQ(t.err, "Heightmap '" + path + "' is too large (8192 x 4097)\n");
    EXPECT_TRUE(t.positions.empty() && t.untouched());
}
