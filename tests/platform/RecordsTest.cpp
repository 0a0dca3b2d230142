#include "platform/Records.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "assets/TempDir.h"
#include "platform/Settings.h"

namespace {

std::string contents(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::vector<double> times(const std::string& path) {
    std::vector<Record> records;
    std::string problem;
    EXPECT_TRUE(readRecords(path, records, problem)) << problem;
    std::vector<double> seconds;
    for (const Record& record : records) seconds.push_back(record.seconds);
    return seconds;
}

const char kTwoWins[] = "# best times\n95.50 2026-12-01T10:00:00Z\n\n88.25 2026-12-02T11:30:00Z\n";

}  // namespace

TEST(Records, WinsAreKeptFastestFirstAndADamagedFileIsKeptAside) {
    const struct {
        const char* name;
        const char* before;  // null: no file yet
        std::vector<double> after;
        bool keptAside;
    } cases[] = {
        {"first win", nullptr, {90.0}, false},
        {"third win", kTwoWins, {88.25, 90.0, 95.5}, false},
        {"garbage", "88.25 yesterday\n", {90.0}, true},
        {"binary", "\x01\x02\x03", {90.0}, true},
        {"negative time", "-3.00 2026-12-02T11:30:00Z\n", {90.0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("data/quillora/records");
        if (c.before) {
            ASSERT_TRUE(makeParentFolders(path));
            dir.write("data/quillora/records", c.before);
        }
        testing::internal::CaptureStderr();
        addRecord(path, {90.0, currentDate()});
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_EQ(times(path), c.after);
        EXPECT_EQ(contents(path + ".damaged-1"), c.keptAside ? c.before : "");
        EXPECT_EQ(warning.find("kept as " + path + ".damaged-1") != std::string::npos, c.keptAside)
            << warning;
    }
}

// A child adds a win with a file size limit below the new file's: the limit's signal kills it
// mid-write, or, ignored, the write fails as on a full disk. The old records stay as they were.
TEST(Records, AWriteKilledOrRefusedLosesNothing) {
    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed" : "disk full");
        TempDir dir;
        const std::string path = dir.write("records", kTwoWins);
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            const rlimit limit{40, 40};
            setrlimit(RLIMIT_FSIZE, &limit);
            addRecord(path, {70.0, currentDate()});
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : -1, killed ? SIGXFSZ : -1);
        EXPECT_EQ(contents(path), kTwoWins);
        EXPECT_EQ(times(path), (std::vector<double>{88.25, 95.5}));
        // Refused, it also takes its unfinished file away again.
        if (!killed) EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
    }
}
