#include "platform/Records.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Settings.h"

namespace {

const char kHeader[] =
    "# Quillora best times: seconds to the finish, then the date of the win (UTC).\n";
constexpr size_t kShown = 10;
// Longer than any game could last, car bonuses and all: a larger number is damage.
constexpr double kLongestTime = 1e6;

bool isDate(const std::string& date) {
    int year, month, day, hour, minute, second, length = 0;
    return date.size() == 20 &&
           std::sscanf(date.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &year, &month, &day, &hour,
                       &minute, &second, &length) == 6 &&
           length == 20 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 &&
           minute < 60 && second < 61;
}

bool parseLine(const std::string& line, Record& record) {
    char* end = nullptr;
    record.seconds = std::strtod(line.c_str(), &end);
    if (end == line.c_str() || *end != ' ') return false;
    record.date = end + 1;
    return std::isfinite(record.seconds) && record.seconds > 0.0 && record.seconds < kLongestTime &&
           isDate(record.date);
}

void sortFastestFirst(std::vector<Record>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.seconds < b.seconds; });
}

// path.damaged-1, -2, ...: link() never replaces a file that is already there.
std::string keepAside(const std::string& path) {
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + ".damaged-" + std::to_string(n);
        if (::link(path.c_str(), aside.c_str()) == 0) {
            ::unlink(path.c_str());
            return aside;
        }
        if (errno != EEXIST) break;
    }
    return "";
}

bool writeAll(int file, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(file, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// Replaces the file whole; the old one stays until the new one is complete on disk.
bool save(const std::string& path, const std::vector<Record>& records) {
    std::string text = kHeader;
    char line[64];
    for (const Record& record : records) {
        std::snprintf(line, sizeof line, "%.2f %s\n", record.seconds, record.date.c_str());
        text += line;
    }
    if (!makeParentFolders(path)) return false;
    std::string temporary = path + ".new-XXXXXX";
    const int file = ::mkstemp(temporary.data());
    if (file < 0) return false;
    const bool written = writeAll(file, text) && ::fsync(file) == 0;
    if (::close(file) == 0 && written && ::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    const int reason = errno;
    ::unlink(temporary.c_str());
    errno = reason;
    return false;
}

}  // namespace

std::string recordsPath() { return dataFolder() + "/records"; }

std::string currentDate() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return date;
}

bool readRecords(const std::string& path, std::vector<Record>& records, std::string& problem) {
    records.clear();
    std::FILE* file = openRegularFile(path, problem);
    if (!file) return problem.empty();
    char buffer[256];
    int number = 0;
    bool fine = true;
    while (fine && std::fgets(buffer, sizeof buffer, file)) {
        ++number;
        std::string line(buffer);
        // A line too long for the buffer, or with a NUL in it, is no line of ours.
        fine = !line.empty() && (line.back() == '\n' || std::feof(file));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        Record record;
        if (!fine || line.empty() || line[0] == '#') continue;
        fine = parseLine(line, record);
        if (fine) records.push_back(record);
    }
    if (!fine) problem = "line " + std::to_string(number) + " is not a time and a date";
    if (fine && std::ferror(file)) {
        problem = std::strerror(errno);
        fine = false;
    }
    std::fclose(file);
    sortFastestFirst(records);
    return fine;
}

std::vector<Record> addRecord(const std::string& path, const Record& win) {
    std::vector<Record> records;
    std::string problem;
    if (!readRecords(path, records, problem)) {
        const std::string aside = keepAside(path);
        if (aside.empty()) {
            std::fprintf(stderr,
                         "quillora: %s cannot be read (%s) nor be kept aside; this time is not "
                         "saved\n",
                         path.c_str(), problem.c_str());
            return {win};
        }
        std::fprintf(stderr, "quillora: %s cannot be read (%s); kept as %s, new records start\n",
                     path.c_str(), problem.c_str(), aside.c_str());
        records.clear();
    }
    records.push_back(win);
    sortFastestFirst(records);
    if (!save(path, records))
        std::fprintf(stderr, "quillora: cannot save this time in %s (%s); the records are kept\n",
                     path.c_str(), std::strerror(errno));
    return records;
}

int printRecords(const std::string& path) {
    std::vector<Record> records;
    std::string problem;
    if (!readRecords(path, records, problem)) {
        std::fprintf(stderr, "quillora: %s cannot be read (%s)\n", path.c_str(), problem.c_str());
        return 1;
    }
    if (records.empty()) {
        std::printf("No wins yet (%s).\n", path.c_str());
        return 0;
    }
    std::printf("Best times (%s):\n", path.c_str());
    for (size_t i = 0; i < records.size() && i < kShown; ++i) {
        const std::string& date = records[i].date;
        std::printf("%2zu. %7.2f s  %s %s UTC\n", i + 1, records[i].seconds,
                    date.substr(0, 10).c_str(), date.substr(11, 8).c_str());
    }
    return 0;
}
