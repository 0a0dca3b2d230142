#include <gtest/gtest.h>

#include "assets/ObjReader.h"
#include "assets/TempDir.h"

using namespace testing::internal;  // capturing the readers' messages

namespace {

const std::string kParserMessage =
    "File can't be read by our simple parser :-( Try exporting with other options\n";

const std::string kTexturedTriangle =
    "# made by hand\no Tri\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.75\nvt 1 0\n"
    "vn 0 0 1\nvn 0 1 0\ns off\n";
const std::string kPlainTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n";
const std::string kPlainFace = "f 1//1 2//1 3//1\n";

// Loads with both channels captured; the arrays keep whatever the reader appended.
struct Mesh {
    bool textured = true;
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    std::string out, err;

    bool load(const std::string& path) {
        CaptureStdout();
        CaptureStderr();
        bool ok = textured ? loadObjFile(path.c_str(), positions, uvs, normals)
                           : loadNonTexturedObjFile(path.c_str(), positions, normals);
        out = GetCapturedStdout();
        err = GetCapturedStderr();
        return ok;
    }
};

}  // namespace

TEST(ObjReader, CornersComeOutInFaceOrderWithVNegated) {
    TempDir dir;
    Mesh mesh;
    mesh.positions.push_back(vec3(9.0f));  // appended to, never cleared
    ASSERT_TRUE(mesh.load(dir.write("tri.obj", kTexturedTriangle + "f 3/1/2 1/2/1 2/1/1\n")));
    EXPECT_EQ(mesh.positions, (std::vector<vec3>{vec3(9), vec3(0, 1, 0), vec3(0), vec3(1, 0, 0)}));
    EXPECT_EQ(mesh.uvs, (std::vector<vec2>{{0.25f, -0.75f}, {1.0f, -0.0f}, {0.25f, -0.75f}}));
    EXPECT_EQ(mesh.normals, (std::vector<vec3>{{0, 1, 0}, {0, 0, 1}, {0, 0, 1}}));
}

TEST(ObjReader, FourCornerFaceKeepsFirstTriangleAndNextLine) {
    TempDir dir;
    Mesh mesh;
    ASSERT_TRUE(mesh.load(dir.write(
        "quad.obj",
        kTexturedTriangle + "v 1 1 0\nf 1/1/1 2/1/1 3/1/1 4/1/1\nf 4/2/2 3/2/2 2/2/2\n")));
    ASSERT_EQ(mesh.positions.size(), 6u);
    EXPECT_EQ(mesh.positions[2], vec3(0, 1, 0));
    EXPECT_EQ(mesh.positions[3], vec3(1, 1, 0));
    EXPECT_EQ(std::pair(mesh.uvs.size(), mesh.normals.size()), std::pair(size_t{6}, size_t{6}));
}

// A file with no faces loads nothing; a face of the other reader's form, an index outside the
// file, a missing file or a directory fail the load and leave the arrays as they were.
TEST(ObjReader, EmptyOrRefusedFileAddsNothing) {
    TempDir dir;
    int files = 0;
    auto write = [&](const std::string& content) {
        return dir.write("m" + std::to_string(++files) + ".obj", content);
    };
    const std::string t = kTexturedTriangle, p = kPlainTriangle + kPlainFace;
    const std::string absent = dir.file("absent.obj"), open = "Impossible to open the file '";
    const struct {
        bool textured;
        std::string path, outAfter, err;
    } cases[] = {
        {true, write("# one\n\n   # two\nmtllib x.mtl\n"), "", ""},
        {true, write(t + "f 1/1/1 2/1/1 3/1/1\n" + kPlainFace), kParserMessage, ""},
        {false, write(kPlainTriangle + "f 1/1/1 2/1/1 3/1/1\n"), kParserMessage, ""},
        {false, write(p + "f 0//1 1//1 2//1\n"), kParserMessage, ""},
        {false, write(p + "f 1//1 2//1 4//1\n"), kParserMessage, ""},
        {false, write(p + "f 1//1 2//2 3//1\n"), kParserMessage, ""},
        {true, write(t + "f 1/3/1 2/1/1 3/1/1\n"), kParserMessage, ""},
        {true, absent, "", open + absent + "'\n"},
        {false, dir.path, "", open + dir.path + "'\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Mesh mesh{c.textured};
        mesh.positions.push_back(vec3(9.0f));
        EXPECT_EQ(mesh.load(c.path), c.outAfter.empty() && c.err.empty());
        EXPECT_EQ(mesh.out,
                  (c.textured ? "Loading OBJ file '" : "Loading non textured OBJ file '") + c.path +
                      "'...\n" + c.outAfter);
        EXPECT_EQ(mesh.err, c.err);
        EXPECT_EQ(mesh.positions, std::vector<vec3>{vec3(9.0f)});
        EXPECT_TRUE(mesh.uvs.empty() && mesh.normals.empty());
    }
}
