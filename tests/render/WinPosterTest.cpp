// A win on the real Game: its time goes into the records once, and the poster shows it.
#include <gtest/gtest.h>

#include "assets/TempDir.h"
#include "platform/Records.h"
#include "render/FrameFixture.h"
#include "render/Hud.h"

namespace {

class WinPoster : public FrameTest {
protected:
    WinPoster() : FrameTest(800, 600) {}  // one pixel per unit of the text layout
};

}  // namespace

TEST_F(WinPoster, AWinIsRecordedOnceAndItsTimeAndTheBestAreShown) {
    TempDir dir;
    g->recordsPath = dir.write("records", "88.25 2026-12-02T11:30:00Z\n");
    g->winTime = g->bestTime = -1.0;
    g->elapsedTime = 100.0;
    g->goalReached = g->posterVisible = true;
    g->posterIndex = kPosterWin;
    const std::vector<Rgba> before = frame();
    g->posterVisible = false;
    for (int frame = 0; frame < 2; ++frame) {
        g->update(0.0);
        g->posterVisible = false;  // F1 on the poster: the next update shows it again
    }
    g->update(0.0);
    std::vector<Record> records;
    std::string problem;
    ASSERT_TRUE(readRecords(g->recordsPath, records, problem)) << problem;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].seconds, 100.0);
    EXPECT_EQ(g->posterIndex, kPosterWin);

    const std::vector<HudLine> lines = winPosterLines(g->winTime, g->bestTime);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "Your time: 100.00 s");
    EXPECT_EQ(lines[1].text, "Best time: 88.25 s");
    const std::vector<Rgba> after = frame();
    long changed = 0, outside = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (after[y * width + x] == before[y * width + x]) continue;
            ++changed;
            bool inLine = false;
            for (const HudLine& l : lines)
                inLine |= x >= l.x && x < l.x + l.size * static_cast<int>(l.text.size()) &&
                          y >= l.y && y < l.y + l.size;
            outside += !inLine;
        }
    EXPECT_GT(changed, 500);
    EXPECT_EQ(outside, 0);
    g->recordsPath.clear();
    g->goalReached = false;
}
