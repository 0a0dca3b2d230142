#include <gtest/gtest.h>

#include "assets/ObjReader.h"
#include "assets/TempDir.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

const std::string kParserMessage =
    "File can't be read by our simple parser :-( Try exporting with other options\n";

const std::string kTexturedTriangle =
    "# made by hand\n"
    "o Tri\n"
    "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
    "vt 0.25 0.75\nvt 1 0\n"
    "vn 0 0 1\nvn 0 1 0\n"
    "s off\n";

const std::string kPlainTriangle =
    "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
    "vn 0 0 1\n";

struct Textured {
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    bool load(const std::string& path) {
        return loadObjFile(path.c_str(), positions, uvs, normals);
    }
};

struct Plain {
    std::vector<vec3> positions, normals;
    bool load(const std::string& path) {
        return loadNonTexturedObjFile(path.c_str(), positions, normals);
    }
};

// Loads with both channels captured; the mesh keeps whatever the reader appended.
template <typename Mesh>
bool loadCaptured(Mesh& mesh, const std::string& path, std::string& out, std::string& err) {
    CaptureStdout();
    CaptureStderr();
    bool ok = mesh.load(path);
    out = GetCapturedStdout();
    err = GetCapturedStderr();
    return ok;
}

}  // namespace

TEST(ObjReader, CommentsOnlyFileLoadsNothing) {
    TempDir dir;
    std::string path = dir.write("comments.obj", "# one\n\n   # two\nmtllib x.mtl\n");
    Textured mesh;
    std::string out, err;
    EXPECT_TRUE(loadCaptured(mesh, path, out, err));
    EXPECT_EQ(out, "Loading OBJ file '" + path + "'...\n");
    EXPECT_EQ(err, "");
    EXPECT_TRUE(mesh.positions.empty() && mesh.uvs.empty() && mesh.normals.empty());
}

TEST(ObjReader, CornersComeOutInFaceOrderWithVNegated) {
    TempDir dir;
    std::string path = dir.write("tri.obj", kTexturedTriangle + "f 3/1/2 1/2/1 2/1/1\n");
    Textured mesh;
    mesh.positions.push_back(vec3(9.0f));  // appended to, never cleared
    ASSERT_TRUE(mesh.load(path));
    ASSERT_EQ(mesh.positions.size(), 4u);
    ASSERT_EQ(mesh.uvs.size(), 3u);
    ASSERT_EQ(mesh.normals.size(), 3u);
    EXPECT_EQ(mesh.positions[0], vec3(9.0f));
    EXPECT_EQ(mesh.positions[1], vec3(0, 1, 0));
    EXPECT_EQ(mesh.positions[2], vec3(0, 0, 0));
    EXPECT_EQ(mesh.positions[3], vec3(1, 0, 0));
    EXPECT_EQ(mesh.uvs[0], vec2(0.25f, -0.75f));
    EXPECT_EQ(mesh.uvs[1], vec2(1.0f, -0.0f));
    EXPECT_EQ(mesh.normals[0], vec3(0, 1, 0));
    EXPECT_EQ(mesh.normals[1], vec3(0, 0, 1));
}

TEST(ObjReader, FourCornerFaceKeepsFirstTriangleAndNextLine) {
    TempDir dir;
    std::string path =
        dir.write("quad.obj",
                  kTexturedTriangle + "v 1 1 0\nf 1/1/1 2/1/1 3/1/1 4/1/1\nf 4/2/2 3/2/2 2/2/2\n");
    Textured mesh;
    ASSERT_TRUE(mesh.load(path));
    ASSERT_EQ(mesh.positions.size(), 6u);
    EXPECT_EQ(mesh.positions[2], vec3(0, 1, 0));
    EXPECT_EQ(mesh.positions[3], vec3(1, 1, 0));
    EXPECT_EQ(mesh.uvs.size(), 6u);
    EXPECT_EQ(mesh.normals.size(), 6u);
}

TEST(ObjReader, KeywordsAreExactAndMalformedNumbersBecomeZero) {
    TempDir dir;
    std::string path = dir.write(
        "exact.obj", "V 5 5 5\nvp 5 5\nv 1 2\nvn 0 1 0\nvv 4 4 4\nf 1//1 1//1 1//1\n");
    Plain mesh;
    ASSERT_TRUE(mesh.load(path));
    ASSERT_EQ(mesh.positions.size(), 3u);
    // "vn" is no number: the vertex keeps its zero and the normal line is still read.
    EXPECT_EQ(mesh.positions[0], vec3(1, 2, 0));
    EXPECT_EQ(mesh.normals[0], vec3(0, 1, 0));
}

TEST(ObjReader, PlainReaderWarnsForEveryUvLineAndStillLoads) {
    TempDir dir;
    std::string path =
        dir.write("uv.obj", kPlainTriangle + "vt 0.5 0.5\nvt 1 1\nf 1//1 2//1 3//1\n");
    Plain mesh;
    std::string out, err;
    ASSERT_TRUE(loadCaptured(mesh, path, out, err));
    const std::string warning =
        "File '" + path + "' contains texture, please use normal OBJ-Loader instead!\n";
    EXPECT_EQ(err, warning + warning);
    EXPECT_EQ(out, "Loading non textured OBJ file '" + path + "'...\n");
    EXPECT_EQ(mesh.positions.size(), 3u);
    EXPECT_EQ(mesh.normals.size(), 3u);
}

TEST(ObjReader, FaceOfTheOtherFormFailsAndLeavesOutputs) {
    TempDir dir;
    std::string out, err;
    Textured textured;
    textured.positions.push_back(vec3(9.0f));
    std::string noUv =
        dir.write("noUv.obj", kTexturedTriangle + "f 1/1/1 2/1/1 3/1/1\nf 1//1 2//1 3//1\n");
    EXPECT_FALSE(loadCaptured(textured, noUv, out, err));
    EXPECT_EQ(out, "Loading OBJ file '" + noUv + "'...\n" + kParserMessage);
    EXPECT_EQ(textured.positions.size(), 1u);
    EXPECT_TRUE(textured.uvs.empty() && textured.normals.empty());

    Plain plain;
    std::string withUv = dir.write("withUv.obj", kPlainTriangle + "f 1/1/1 2/1/1 3/1/1\n");
    EXPECT_FALSE(loadCaptured(plain, withUv, out, err));
    EXPECT_EQ(out, "Loading non textured OBJ file '" + withUv + "'...\n" + kParserMessage);
    EXPECT_TRUE(plain.positions.empty() && plain.normals.empty());
}

TEST(ObjReader, IndicesOutsideTheFileFailTheLoad) {
    TempDir dir;
    for (const char* face : {"f 0//1 1//1 2//1\n", "f -1//1 1//1 2//1\n", "f 1//1 2//1 4//1\n",
                             "f 1//1 2//2 3//1\n", "f 1//1 2//1 99999999999//1\n"}) {
        SCOPED_TRACE(face);
        Plain mesh;
        std::string out, err;
        std::string path = dir.write("bad.obj", kPlainTriangle + "f 1//1 2//1 3//1\n" + face);
        EXPECT_FALSE(loadCaptured(mesh, path, out, err));
        EXPECT_NE(out.find(kParserMessage), std::string::npos);
        EXPECT_TRUE(mesh.positions.empty() && mesh.normals.empty());
    }
    for (const char* face :
         {"f 1/0/1 2/1/1 3/1/1\n", "f 1/3/1 2/1/1 3/1/1\n", "f 1/1/1 2/1/1 3/1/-2\n"}) {
        SCOPED_TRACE(face);
        Textured mesh;
        std::string out, err;
        std::string path = dir.write("bad.obj", kTexturedTriangle + face);
        EXPECT_FALSE(loadCaptured(mesh, path, out, err));
        EXPECT_NE(out.find(kParserMessage), std::string::npos);
        EXPECT_TRUE(mesh.positions.empty() && mesh.uvs.empty() && mesh.normals.empty());
    }
}

TEST(ObjReader, WordsLongerThan127CharactersFailTheLoad) {
    TempDir dir;
    Plain mesh;
    std::string out, err;
    std::string fits = dir.write(
        "fits.obj", std::string(127, 'g') + " x\n" + kPlainTriangle + "f 1//1 2//1 3//1\n");
    EXPECT_TRUE(loadCaptured(mesh, fits, out, err));
    EXPECT_EQ(mesh.positions.size(), 3u);

    // One more character is refused rather than cut into pieces.
    Plain longer;
    std::string tooLong = dir.write(
        "long.obj", std::string(127, 'g') + "v 1 2 3\n" + kPlainTriangle + "f 1//1 2//1 3//1\n");
    EXPECT_FALSE(loadCaptured(longer, tooLong, out, err));
    EXPECT_NE(out.find(kParserMessage), std::string::npos);
    EXPECT_TRUE(longer.positions.empty());
}

TEST(ObjReader, SkippedLineRemainderIsCutAfter999Characters) {
    TempDir dir;
    const std::string rest = "vn 0 1 0\nf 1//1 1//1 1//1\n";
    // After the unknown word "#", 999 characters are dropped and the following ones read on.
    Plain cut;
    ASSERT_TRUE(cut.load(dir.write("cut.obj", "# " + std::string(998, 'x') + "v 7 8 9\n" + rest)));
    ASSERT_EQ(cut.positions.size(), 3u);
    EXPECT_EQ(cut.positions[0], vec3(7, 8, 9));

    // One character less and the "v" goes with the dropped part: no vertex, index 1 is bad.
    Plain dropped;
    std::string out, err;
    EXPECT_FALSE(loadCaptured(
        dropped, dir.write("drop.obj", "# " + std::string(997, 'x') + "v 7 8 9\n" + rest), out,
        err));
}

TEST(ObjReader, MissingFileIsReported) {
    TempDir dir;
    Textured mesh;
    std::string out, err;
    std::string path = dir.file("absent.obj");
    EXPECT_FALSE(loadCaptured(mesh, path, out, err));
    EXPECT_EQ(out, "Loading OBJ file '" + path + "'...\n");
    EXPECT_EQ(err, "Impossible to open the file '" + path + "'\n");

    Plain plain;
    EXPECT_FALSE(loadCaptured(plain, dir.path, out, err));
    EXPECT_EQ(err, "Impossible to open the file '" + dir.path + "'\n");
}
