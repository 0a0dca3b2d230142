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
    bool empty() const { return positions.empty() && uvs.empty() && normals.empty(); }
};

Mesh plain() { return Mesh{false}; }

}  // namespace

TEST(ObjReader, CommentsOnlyFileLoadsNothing) {
    TempDir dir;
    std::string path = dir.write("comments.obj", "# one\n\n   # two\nmtllib x.mtl\n");
    Mesh mesh;
    EXPECT_TRUE(mesh.load(path));
    EXPECT_EQ(mesh.out, "Loading OBJ file '" + path + "'...\n");
    EXPECT_EQ(mesh.err, "");
    EXPECT_TRUE(mesh.empty());
}

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
    EXPECT_EQ(mesh.uvs.size(), 6u);
    EXPECT_EQ(mesh.normals.size(), 6u);
}

TEST(ObjReader, FaceOfTheOtherFormFailsAndLeavesOutputs) {
    TempDir dir;
    Mesh textured;
    textured.positions.push_back(vec3(9.0f));
    std::string noUv =
        dir.write("noUv.obj", kTexturedTriangle + "f 1/1/1 2/1/1 3/1/1\n" + kPlainFace);
    EXPECT_FALSE(textured.load(noUv));
    EXPECT_EQ(textured.out, "Loading OBJ file '" + noUv + "'...\n" + kParserMessage);
    EXPECT_EQ(textured.positions.size(), 1u);
    EXPECT_TRUE(textured.uvs.empty() && textured.normals.empty());

    Mesh mesh = plain();
    std::string withUv = dir.write("withUv.obj", kPlainTriangle + "f 1/1/1 2/1/1 3/1/1\n");
    EXPECT_FALSE(mesh.load(withUv));
    EXPECT_EQ(mesh.out, "Loading non textured OBJ file '" + withUv + "'...\n" + kParserMessage);
    EXPECT_TRUE(mesh.empty());
}

TEST(ObjReader, IndicesOutsideTheFileFailTheLoad) {
    TempDir dir;
    const std::pair<bool, std::string> cases[] = {
        {false, kPlainFace + "f 0//1 1//1 2//1\n"},
        {false, kPlainFace + "f -1//1 1//1 2//1\n"},
        {false, kPlainFace + "f 1//1 2//1 4//1\n"},
        {false, kPlainFace + "f 1//1 2//2 3//1\n"},
        {false, kPlainFace + "f 1//1 2//1 99999999999//1\n"},
        {true, "f 1/0/1 2/1/1 3/1/1\n"},
        {true, "f 1/3/1 2/1/1 3/1/1\n"},
        {true, "f 1/1/1 2/1/1 3/1/-2\n"}};
    for (const auto& [textured, faces] : cases) {
        SCOPED_TRACE(faces);
        Mesh mesh{textured};
        EXPECT_FALSE(mesh.load(
            dir.write("bad.obj", (textured ? kTexturedTriangle : kPlainTriangle) + faces)));
        EXPECT_NE(mesh.out.find(kParserMessage), std::string::npos);
        EXPECT_TRUE(mesh.empty());
    }
}

TEST(ObjReader, MissingFileIsReported) {
    TempDir dir;
    Mesh mesh;
    std::string path = dir.file("absent.obj");
    EXPECT_FALSE(mesh.load(path));
    EXPECT_EQ(mesh.out, "Loading OBJ file '" + path + "'...\n");
    EXPECT_EQ(mesh.err, "Impossible to open the file '" + path + "'\n");
    Mesh directory = plain();
    EXPECT_FALSE(directory.load(dir.path));
    EXPECT_EQ(directory.err, "Impossible to open the file '" + dir.path + "'\n");
}
