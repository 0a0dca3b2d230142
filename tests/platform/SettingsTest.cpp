#include "platform/Settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <tuple>

#include "assets/TempDir.h"

namespace {

auto fields(const Settings& s) {
    return std::tuple(s.fullscreen, s.pointerSpeed, s.invertVerticalLook, s.vsync, s.musicVolume,
                      s.effectsVolume);
}

}  // namespace

// Each file against the values the game then uses and the lines it prints; a missing file (and
// folder) is written with the defaults, an existing one is never written.
TEST(Settings, FilesGiveValuesAndNameEachBadLine) {
    const Settings defaults, edited{FullscreenSetting::No, 0.5f, true, true, 0, 40};
    Settings onlyEffects;
    onlyEffects.effectsVolume = 55;
    const std::string missing = "\1", folder = "\2", fifo = "\3";  // no file, or another thing
    const struct {
        std::string text;
        Settings expected;
        std::vector<std::string> warnings;
    } cases[] = {
        {"fullscreen = no\npointer_speed=0.5\ninvert_vertical_look = true\nvsync = true\r\n"
         "  music_volume = 0\neffects_volume\t= 40",
         edited,
         {}},
        {"# comment\n\nfullscreen = maybe\npointer_speed = fast\npointer_speed = 10.5\ncolour = "
         "red\n"
         "just words\nmusic_volume = 101\nvsync = 1\neffects_volume = 55\neffects_volume = 5.5\n",
         onlyEffects,
         {"line 3: fullscreen is ask, yes or no, not 'maybe'", "line 4: pointer_speed is a number",
          "line 5: pointer_speed 10.5 is out of range (0.1 to 10)", "line 6: unknown key 'colour'",
          "line 7: not a 'key = value' line", "line 8: music_volume 101 is out of range",
          "line 9: vsync is true or false", "line 11: effects_volume is a whole number"}},
        {"", defaults, {}},
        {"\xEF\xBB\xBF# from an editor that marks UTF-8\nvsync = false", defaults, {}},
        {std::string("\x7f"
                     "ELF\x02\x01\0\0fullscreen = no\n",
                     24),
         defaults,
         {"settings.ini is not a settings file; using the defaults"}},
        {folder, defaults, {"settings.ini cannot be read (not a plain file); using the defaults"}},
        {fifo, defaults, {"settings.ini cannot be read (not a plain file); using the defaults"}},
        {missing, defaults, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        TempDir dir;
        const std::string path = dir.file("config/quillora/settings.ini");
        const bool file = c.text.size() != 1;
        if (c.text != missing) ASSERT_TRUE(makeParentFolders(path));
        if (c.text == folder) ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        if (c.text == fifo) ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);  // a reader would wait
        if (file) dir.write("config/quillora/settings.ini", c.text);
        testing::internal::CaptureStderr();
        EXPECT_EQ(fields(loadSettings(path)), fields(c.expected));
        std::istringstream printed(testing::internal::GetCapturedStderr());
        std::string line;
        for (const std::string& warning : c.warnings) {
            ASSERT_TRUE(std::getline(printed, line)) << warning;
            EXPECT_EQ(line.find("quillora: " + path), 0u) << line;
            EXPECT_NE(line.find(warning), std::string::npos) << line;
        }
        EXPECT_FALSE(std::getline(printed, line)) << line;
        if (c.text == missing || file)
            EXPECT_EQ(dir.read("config/quillora/settings.ini"),
                      file ? c.text : kDefaultSettingsText);
    }
}

// Defaults cut short by a full disk are not left half written: they go again, with a warning.
TEST(Settings, DefaultsCutShortAreRemovedAgain) {
    TempDir dir;
    const std::string path = dir.file("settings.ini");
    testing::internal::CaptureStderr();
    writeWithSizeLimit(300, false, [&] { loadSettings(path); });  // room for the warning only
    EXPECT_NE(testing::internal::GetCapturedStderr().find(path + "; it is removed again"),
              std::string::npos);
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}
