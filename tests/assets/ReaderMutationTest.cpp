// Small valid files bent at random, the same way every run: each reader must give a consistent
// result, and (in the sanitizer build) never read out of bounds.
#include <gtest/gtest.h>

#include <random>

#include "assets/ImageFiles.h"
#include "assets/ReaderProperties.h"
#include "assets/TempDir.h"

using testfiles::Pixel;
using testfiles::TgaKind;

namespace {

constexpr int kRoundsPerBase = 100;

class Mutator {
public:
    explicit Mutator(uint32_t seed) : rng(seed) {}

    std::string mutate(std::string bytes) {
        const int edits = 1 + pick(4);
        for (int i = 0; i < edits; ++i) edit(bytes);
        return bytes;
    }

private:
    size_t pick(size_t bound) { return bound == 0 ? 0 : rng() % bound; }

    void edit(std::string& bytes) {
        static const char* const snippets[] = {
            "//",    "/",           "\r\n", "\n",   " ",    "\t",   "-1",
            "0",     "99999999999", "f ",   "v ",   "vt ",  "vn ",  "1/1/1 ",
            "1//1 ", "nan",         "1e39", "DDS ", "DXT1", "DXT5", "\xff\xff"};
        static const uint32_t numbers[] = {0,     1,          4,          128,       255,
                                           65535, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
        const size_t at = pick(bytes.size() + 1);
        switch (pick(6)) {
        case 0:
            if (!bytes.empty()) bytes[pick(bytes.size())] = static_cast<char>(rng());
            break;
        case 1: bytes.insert(at, snippets[pick(std::size(snippets))]); break;
        case 2: bytes.erase(at, pick(16)); break;
        case 3: bytes.insert(at, bytes.substr(pick(bytes.size()), pick(64))); break;
        case 4: bytes.resize(pick(bytes.size() + 1)); break;
        default: {
            const uint32_t value = numbers[pick(std::size(numbers))];
            for (int i = 0; i < 4 && at + i < bytes.size(); ++i)
                bytes[at + i] = static_cast<char>(value >> (8 * i));
        }
        }
    }

    std::mt19937 rng;
};

std::string asText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string ppm(int width, int height) {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int i = 0; i < width * height * 3; ++i) bytes += static_cast<char>(i * 37);
    return bytes;
}

// Runs check on every mutation of every base; stops at the first broken property and names
// the input that broke it.
template <typename Check>
void bendAndCheck(const std::vector<std::string>& bases, uint32_t seed, Check check) {
    Mutator mutator(seed);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::string problem, input;
    for (const std::string& base : bases) {
        for (int round = 0; round < kRoundsPerBase && problem.empty(); ++round) {
            input = mutator.mutate(base);
            problem = check(input);
        }
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(problem, "") << "input: " << testing::PrintToString(input);
}

}  // namespace

TEST(ReaderMutation, ObjReaders) {
    TempDir dir;
    const std::vector<std::string> bases = {
        "# tri\nmtllib a.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0.5\nvn 0 0 1\n"
        "f 1/1/1 2/2/1 3/1/1\nf 3/2/1 2/1/1 1/1/1 2/2/1\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 1 1\nf 1//1 2//1 3//1\nf 3//1 2//1 1//1\n"};
    bendAndCheck(bases, 1, [&](const std::string& input) {
        return readerprops::checkObjReaders(dir.write("m.obj", input).c_str());
    });
}

TEST(ReaderMutation, WallFile) {
    TempDir dir;
    const std::vector<std::string> bases = {
        "// maze\r\n\r\n0/0 10/0\n10/0 10/10 // east\n  // no comment\n1/2 3\n-4.5/6e1 7/8"};
    bendAndCheck(bases, 2, [&](const std::string& input) {
        return readerprops::checkWallFile(dir.write("w.txt", input).c_str(), input.size());
    });
}

TEST(ReaderMutation, DdsHeaders) {
    const std::vector<std::string> bases = {asText(testfiles::dds(16, 16, 128, 5, "DXT1", 184)),
                                            asText(testfiles::dds(8, 2, 32, 6, "DXT3", 64)),
                                            asText(testfiles::dds(8, 4, 32, 1, "DXT5", 32))};
    bendAndCheck(bases, 3, [](const std::string& input) {
        // An exact-size copy, so a read past the end is caught by the sanitizer build.
        std::vector<uint8_t> bytes(input.begin(), input.end());
        return readerprops::checkDds(bytes.data(), bytes.size());
    });
}

TEST(ReaderMutation, TgaPixels) {
    const std::vector<Pixel> pixels = {{1, 2, 3, 4}, {1, 2, 3, 4}, {9, 8, 7, 6},
                                       {5, 5, 5, 5}, {0, 0, 0, 0}, {1, 2, 3, 4}};
    const std::vector<std::string> bases = {testfiles::tga(3, 2, 24, pixels),
                                            testfiles::tga(2, 3, 32, pixels, TgaKind::Rle, true),
                                            testfiles::tga(6, 1, 24, pixels, TgaKind::Rle)};
    bendAndCheck(bases, 4, [](const std::string& input) {
        std::vector<uint8_t> bytes(input.begin(), input.end());
        return readerprops::checkTga(bytes.data(), bytes.size());
    });
}

TEST(ReaderMutation, HeightmapImages) {
    TempDir dir;
    const std::vector<std::string> bases = {ppm(3, 2), ppm(2, 2),
                                            std::string("P5\n3 1\n255\n\x10\x80\xff", 14)};
    bendAndCheck(bases, 5, [&](const std::string& input) {
        return readerprops::checkHeightmap(dir.write("h.pnm", input).c_str());
    });
}
