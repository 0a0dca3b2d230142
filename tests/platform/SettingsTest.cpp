#include "platform/Settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "assets/TempDir.h"

namespace {

auto fields(const Settings& s) {
    return std::tuple(s.fullscreen, s.pointerSpeed, s.invertVerticalLook, s.vsync, s.musicVolume,
                      s.effectsVolume);
}

std::string contents(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

const char kFolder[] = "folder";  // instead of a file: it opens, but cannot be read

}  // namespace

TEST(Settings, FilesGiveValuesAndNameEachBadLineWithoutEverRewritingThem) {
    Settings edited;
    edited.fullscreen = FullscreenSetting::No;
    edited.pointerSpeed = 0.5f;
    edited.invertVerticalLook = edited.vsync = true;
    edited.musicVolume = 0;
    edited.effectsVolume = 40;
    Settings onlyEffects;
    onlyEffects.effectsVolume = 55;
    const struct {
        const char* name;
        std::string text;
        Settings expected;
        std::vector<std::string> warnings;
    } cases[] = {
        {"good",
         "fullscreen = no\npointer_speed=0.5\ninvert_vertical_look = true\n"
         "vsync = true\r\n  music_volume = 0\neffects_volume\t= 40",
         edited,
         {}},
        {"bad lines",
         "# comment\n\nfullscreen = maybe\npointer_speed = fast\npointer_speed = 20\ncolour = red\n"
         "just words\nmusic_volume = 101\nvsync = 1\neffects_volume = 55\neffects_volume = 5.5\n",
         onlyEffects,
         {"line 3: fullscreen is ask, yes or no, not 'maybe'", "line 4: pointer_speed is a number",
          "line 5: pointer_speed 20 is out of range", "line 6: unknown key 'colour'",
          "line 7: not a 'key = value' line", "line 8: music_volume 101 is out of range",
          "line 9: vsync is true or false", "line 11: effects_volume is a whole number"}},
        {"empty", "", Settings(), {}},
        {"binary",
         std::string("\x7f"
                     "ELF\x02\x01\0\0fullscreen = no\n",
                     24),
         Settings(),
         {"settings.ini is not a settings file; using the defaults"}},
        {"unreadable", kFolder, Settings(), {"settings.ini cannot be read; using the defaults"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("settings.ini");
        if (c.text == kFolder)
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        else
            dir.write("settings.ini", c.text);
        testing::internal::CaptureStderr();
        EXPECT_EQ(fields(loadSettings(path)), fields(c.expected));
        std::istringstream printed(testing::internal::GetCapturedStderr());
        std::string line;
        for (const std::string& warning : c.warnings) {
            ASSERT_TRUE(std::getline(printed, line)) << warning;
            EXPECT_EQ(line.rfind("quillora: " + path, 0), 0u) << line;
            EXPECT_NE(line.find(warning), std::string::npos) << line;
        }
        EXPECT_FALSE(std::getline(printed, line)) << line;
        if (c.text != kFolder) EXPECT_EQ(contents(path), c.text);
    }
}

TEST(Settings, AMissingFileIsWrittenWithItsFoldersAndReadsAsTheDefaults) {
    TempDir dir;
    const std::string path = dir.file("config/quillora/settings.ini");
    testing::internal::CaptureStderr();
    EXPECT_EQ(fields(loadSettings(path)), fields(Settings()));
    EXPECT_EQ(fields(loadSettings(path)), fields(Settings()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(contents(path), kDefaultSettingsText);
    // Every key is in the file, so a player sees what there is to change.
    for (const char* key : {"fullscreen", "pointer_speed", "invert_vertical_look", "vsync",
                            "music_volume", "effects_volume"})
        EXPECT_NE(contents(path).find(std::string("\n") + key + " = "), std::string::npos) << key;
}

TEST(Settings, XdgFoldersWithHomeAsTheFallback) {
    for (const bool set : {true, false}) {
        if (set) {
            setenv("XDG_CONFIG_HOME", "/c", 1);
            setenv("XDG_DATA_HOME", "/d", 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
            setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
        }
        setenv("HOME", "/h", 1);
        EXPECT_EQ(settingsPath(),
                  set ? "/c/quillora/settings.ini" : "/h/.config/quillora/settings.ini");
        EXPECT_EQ(dataFolder(), set ? "/d/quillora" : "/h/.local/share/quillora");
    }
}
