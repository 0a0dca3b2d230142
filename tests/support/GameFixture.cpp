#include "support/GameFixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "game/Game.h"
#include "platform/Sound.h"
#include "shell/Globals.h"

namespace {

bool exists(const char* path) { return access(path, R_OK) == 0; }

Game* buildGame() {
    // The assets lie under the repository root, three levels above this file.
    const auto root = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    if (!exists("Util/Files/Labyrinth2.txt") && chdir(root.c_str()) != 0) return nullptr;
    // The Game constructor ends the process on a missing asset; a test should fail instead.
    for (const char* required : {"Util/Files/Labyrinth2.txt", "Util/Files/heightmap3.png",
                                 "Shader/phong.vert", "Util/Files/finish.obj"}) {
        if (!exists(required)) {
            std::fprintf(stderr, "GameFixture: missing %s\n", required);
            return nullptr;
        }
    }
    if (!ensureGlContext()) return nullptr;
    setenv("ALSOFT_DRIVERS", "null", 1);
    soundEngine = audio::SoundEngine::create();
    if (!soundEngine) return nullptr;
    game = new Game(soundEngine);
    return game;
}

// After the last test the game goes, stopping its sounds and closing the sound device: the leak
// checker sees its teardown, and the program ends without the sound threads running.
struct TakeTheGameDown : testing::Environment {
    void TearDown() override {
        if (!game || !ensureGlContext()) return;
        delete game;
        game = nullptr;
        soundEngine = nullptr;
    }
};
[[maybe_unused]] testing::Environment* const takeDown =
    testing::AddGlobalTestEnvironment(new TakeTheGameDown);

}  // namespace

int countOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size()))
        ++count;
    return count;
}

Game* sharedGame() {
    static Game* built = buildGame();
    return built;
}

void GameTest::SetUp() {
    GlTest::SetUp();
    g = sharedGame();
    ASSERT_NE(g, nullptr) << "the game could not be built from the repository's assets";
}
