// The shipped content, read back through the game's own readers: meshes closed and facing out,
// skins mapped inside their images, splats see-through at the border, and sounds that decode.
// The generator already checks mip chains and that glyphs fit their cells.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "assets/ObjReader.h"
#include "assets/Texture.h"

namespace {

std::string contentPath(const std::string& name) { return "Util/Files/" + name; }

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

struct Mesh {
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    vec3 min{1e9f}, max{-1e9f};
};

Mesh load(const std::string& name, bool textured) {
    Mesh m;
    const std::string path = contentPath(name);
    EXPECT_TRUE(textured ? loadObjFile(path.c_str(), m.positions, m.uvs, m.normals)
                         : loadNonTexturedObjFile(path.c_str(), m.positions, m.normals))
        << name;
    for (const vec3& p : m.positions) {
        m.min = glm::min(m.min, p);
        m.max = glm::max(m.max, p);
    }
    return m;
}

// Corners are welded by position (rounded to 1e-4) so separately written parts stay apart
// unless they really share a vertex.
using Key = std::tuple<long, long, long>;
Key weld(const vec3& p) {
    return {std::lround(p.x * 1e4), std::lround(p.y * 1e4), std::lround(p.z * 1e4)};
}

// Closed and consistently wound (every directed edge met by exactly one reverse edge), facing out
// (positive signed volume, stored normals agreeing with the winding), skins inside their images.
void expectSolid(const Mesh& m, const std::string& name, bool textured) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(m.positions.empty());
    ASSERT_EQ(m.positions.size() % 3, 0u);
    std::map<std::pair<Key, Key>, int> edges;
    for (size_t t = 0; t < m.positions.size(); t += 3)
        for (int k = 0; k < 3; ++k)
            ++edges[{weld(m.positions[t + k]), weld(m.positions[t + (k + 1) % 3])}];
    int open = 0;
    for (const auto& [edge, count] : edges) {
        auto reverse = edges.find({edge.second, edge.first});
        if (count != 1 || reverse == edges.end() || reverse->second != 1) ++open;
    }
    EXPECT_EQ(open, 0) << "edges not shared by exactly two triangles";

    double volume = 0;
    int disagree = 0;
    for (size_t t = 0; t + 2 < m.positions.size(); t += 3) {
        const vec3 &a = m.positions[t], &b = m.positions[t + 1], &c = m.positions[t + 2];
        vec3 face = glm::cross(b - a, c - a);
        volume += glm::dot(a, face) / 6.0;
        if (glm::dot(face, m.normals[t] + m.normals[t + 1] + m.normals[t + 2]) <= 0) ++disagree;
    }
    EXPECT_GT(volume, 0.0);
    EXPECT_EQ(disagree, 0) << "normals against the winding";
    for (const vec3& n : m.normals) EXPECT_NEAR(glm::length(n), 1.0f, 1e-3f);
    if (!textured) return;
    ASSERT_EQ(m.uvs.size(), m.positions.size());
    for (const vec2& uv : m.uvs)
        EXPECT_TRUE(uv.x >= 0 && uv.x <= 1 && uv.y >= 0 && uv.y <= 1) << uv.x << ", " << uv.y;
}

}  // namespace

TEST(ContentMeshes, EveryMeshIsClosedAndFacesOut) {
    const std::pair<const char*, bool> meshes[] = {
        {"cone_big2.obj", false},     {"atom_shifted.obj", false},
        {"sphere_smooth.obj", false}, {"finish_transparent_layer.obj", false},
        {"duck.obj", true},           {"car.obj", true},
        {"croctopus.obj", true},      {"finish.obj", true}};
    for (const auto& [name, textured] : meshes) expectSolid(load(name, textured), name, textured);
}

TEST(ContentMeshes, TheBallIsASmoothSphereOfRadiusPointTwo) {
    Mesh m = load("sphere_smooth.obj", false);
    for (size_t i = 0; i < m.positions.size(); ++i) {
        EXPECT_NEAR(glm::length(m.positions[i]), 0.2f, 1e-3f);
        // Smooth shading: the normal is the direction from the centre, not the face's.
        EXPECT_GT(glm::dot(m.normals[i], glm::normalize(m.positions[i])), 0.999f);
    }
}

TEST(ContentMeshes, BonusItemsStandOnTheirOrigin) {
    for (const char* name : {"duck.obj", "car.obj", "croctopus.obj"}) {
        SCOPED_TRACE(name);
        Mesh m = load(name, true);
        EXPECT_NEAR(m.min.y, 0.0f, 0.03f);
        EXPECT_GT(m.max.y, 0.4f);
        float extent = std::max({m.max.x - m.min.x, m.max.y - m.min.y, m.max.z - m.min.z});
        EXPECT_GT(extent, 0.6f);
        EXPECT_LT(extent, 1.2f);
        // Centred on the origin, where the hit test looks for it.
        EXPECT_LT(std::abs(m.min.x + m.max.x), 0.2f);
        EXPECT_LT(std::abs(m.min.z + m.max.z), 0.2f);
    }
}

TEST(ContentMeshes, FinishGateLeavesTheFinishLineOpen) {
    Mesh gate = load("finish.obj", true);
    EXPECT_LE(gate.min.y, 0.0f);
    EXPECT_GT(gate.max.y, 3.5f);
    // The line runs from x -1.65 to 2.30 at z 0.15: nothing of the gate stands in the walkway.
    for (size_t t = 0; t < gate.positions.size(); t += 3) {
        vec3 lo =
            glm::min(gate.positions[t], glm::min(gate.positions[t + 1], gate.positions[t + 2]));
        vec3 hi =
            glm::max(gate.positions[t], glm::max(gate.positions[t + 1], gate.positions[t + 2]));
        bool overlapsOpening =
            hi.x > -1.65f && lo.x < 2.30f && lo.y < 2.2f && hi.z > 0.0f && lo.z < 0.3f;
        EXPECT_FALSE(overlapsOpening) << "triangle " << t / 3 << " blocks the opening";
    }
    Mesh layer = load("finish_transparent_layer.obj", false);
    EXPECT_LE(layer.min.x, -1.65f);
    EXPECT_GE(layer.max.x, 2.30f);
    EXPECT_LE(layer.min.z, 0.15f);
    EXPECT_GE(layer.max.z, 0.15f);
    EXPECT_LT(layer.max.z - layer.min.z, 0.1f);
    EXPECT_GT(layer.max.y, 2.0f);
}

namespace {

// Alpha of one 4 x 4 DXT5 block, in row order.
std::vector<int> dxt5BlockAlpha(const uint8_t* block) {
    int a0 = block[0], a1 = block[1];
    int table[8] = {a0, a1};
    for (int i = 2; i < 8; ++i) {
        if (a0 > a1)
            table[i] = ((8 - i) * a0 + (i - 1) * a1) / 7;
        else
            table[i] = i < 6 ? ((6 - i) * a0 + (i - 1) * a1) / 5 : (i == 6 ? 0 : 255);
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
    std::vector<int> out(16);
    for (int i = 0; i < 16; ++i) out[i] = table[(bits >> (3 * i)) & 7];
    return out;
}

// Min and max alpha of the level-0 block at block coordinates (bx, by), DDS rows top first.
std::pair<int, int> blockAlphaRange(const std::vector<uint8_t>& dds, uint32_t bx, uint32_t by) {
    size_t at = 128 + (size_t(by) * ((le32(dds, 16) + 3) / 4) + bx) * 16;
    std::vector<int> a = dxt5BlockAlpha(&dds[at]);
    return {*std::min_element(a.begin(), a.end()), *std::max_element(a.begin(), a.end())};
}

}  // namespace

TEST(ContentTextures, SplatAndParticleAreOpaqueInsideAndClearAtTheBorder) {
    for (const char* name : {"farbklecks.DDS", "particle.DDS"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> f = readBytes(contentPath(name));
        DdsImage image;
        ASSERT_TRUE(parseDds(name, f.data(), f.size(), image));
        ASSERT_EQ(image.format, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT));
        uint32_t blocks = le32(f, 16) / 4;
        // The splat is drawn with clamp-to-edge, so the whole border must be see-through.
        for (uint32_t k = 0; k < blocks; ++k) {
            EXPECT_EQ(blockAlphaRange(f, k, 0).second, 0) << "top row block " << k;
            EXPECT_EQ(blockAlphaRange(f, k, blocks - 1).second, 0) << "bottom row block " << k;
            EXPECT_EQ(blockAlphaRange(f, 0, k).second, 0) << "left column block " << k;
            EXPECT_EQ(blockAlphaRange(f, blocks - 1, k).second, 0) << "right column block " << k;
        }
        EXPECT_GT(blockAlphaRange(f, blocks / 2, blocks / 2).first, 200) << "centre";
    }
}

namespace {

struct Decoded {
    SF_INFO info{};
    std::vector<float> samples;  // interleaved
    double seconds() const { return double(info.frames) / info.samplerate; }
    float peak() const {
        float p = 0;
        for (float s : samples) p = std::max(p, std::abs(s));
        return p;
    }
};

Decoded decode(const std::string& name) {
    Decoded d;
    SNDFILE* f = sf_open(contentPath(name).c_str(), SFM_READ, &d.info);
    EXPECT_NE(f, nullptr) << name << ": " << sf_strerror(nullptr);
    if (!f) return d;
    d.samples.resize(size_t(d.info.frames) * d.info.channels);
    sf_count_t got = sf_readf_float(f, d.samples.data(), d.info.frames);
    EXPECT_EQ(got, d.info.frames) << name;
    sf_close(f);
    return d;
}

}  // namespace

TEST(ContentSounds, EveryFileDecodesWithAPlausibleLengthAndLevel) {
    struct Expect {
        const char* name;
        double minSeconds, maxSeconds;
    };
    const Expect sounds[] = {
        {"background.mp3", 20, 30},
        {"cartoon_clock_ticking.mp3", 15, 17},
        {"bugle_music_reveille.mp3", 2, 8},
        {"musical_woodwinds_melody_descend_playful.mp3", 2, 8},
        {"footsteps_on_forest_pathway_dry_clear_of_debris_001.mp3", 2, 4},
        {"female_exert_grunt.mp3", 0.15, 1},
        {"sweep_organic_watery_fast.mp3", 0.2, 1.5},
        {"ambient_029.mp3", 0.05, 0.5},
        {"goose_honk_once_001.mp3", 0.2, 1},
        {"sound_design_effect_howling_short.mp3", 0.8, 4},
        {"SFX_Horror-Woosh.ogg", 4, 12},
        {"car_horn_honk.mp3", 0.3, 1.5},
    };
    for (const Expect& e : sounds) {
        SCOPED_TRACE(e.name);
        Decoded d = decode(e.name);
        bool ogg = std::strstr(e.name, ".ogg") != nullptr;
        EXPECT_EQ(d.info.format & SF_FORMAT_TYPEMASK, ogg ? SF_FORMAT_OGG : SF_FORMAT_MPEG);
        EXPECT_GE(d.seconds(), e.minSeconds);
        EXPECT_LE(d.seconds(), e.maxSeconds);
        EXPECT_GT(d.peak(), 0.3f) << "audible";
        EXPECT_LT(d.peak(), 0.99f) << "not clipped";
    }
}
