#include "platform/Records.h"

#include <gtest/gtest.h>

#include "assets/TempDir.h"

// A win of 90 s added to each file; "killed" and "disk full" add 70 s in a child whose file size
// limit is below the new file's: the limit's signal kills it mid-write, or, ignored, the write
// fails as on a full disk. Whatever was there is kept, or kept aside when it was damaged.
TEST(Records, WinsAreKeptFastestFirstAndNothingIsLost) {
    const char two[] = "# best times\n95.50 2026-12-01T10:00:00Z\r\n\n88.25 2026-12-02T11:30:00Z\n";
    const struct {
        const char *before, *warning;
        std::vector<double> after;
        int signal;  // the size limit's for "killed" and "disk full"; else -1
    } cases[] = {
        {"", "", {90}, -1},
        {two, "", {88.25, 90, 95.5}, -1},
        {"88.25 yesterday\n", "kept as", {90}, -1},
        {"88.25 2026-12-02T11:60:00Z\n", "kept as", {90}, -1},
        {"\x01\x02\x03", "kept as", {90}, -1},
        {"-3.00 2026-12-02T11:30:00Z\n", "kept as", {90}, -1},
        {two, "", {88.25, 95.5}, SIGXFSZ},
        {two, "cannot save this time", {88.25, 95.5}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        TempDir dir;
        const std::string path = *c.before ? dir.write("records", c.before) : dir.file("a/records");
        testing::internal::CaptureStderr();
        if (c.signal < 0) {
            addRecord(path, {90.0, currentDate()});
        } else {
            const auto win = [&] { addRecord(path, {70.0, currentDate()}); };
            EXPECT_EQ(writeWithSizeLimit(40, c.signal != 0, win), c.signal);
            // Refused, the write also takes its unfinished file away again.
            if (!c.signal)
                EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
        }
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_EQ(*c.warning ? warning.find(c.warning) != std::string::npos : warning.empty(), true)
            << warning;
        std::vector<Record> records;
        std::string problem;
        EXPECT_TRUE(readRecords(path, records, problem)) << problem;
        std::vector<double> times;
        for (const Record& record : records) times.push_back(record.seconds);
        EXPECT_EQ(times, c.after);
        EXPECT_EQ(dir.read("records.damaged-1"),
                  std::string(c.warning) == "kept as" ? c.before : "");
    }
}
