// The best times, kept in the records file under the XDG data folder. One win a line:
//   <seconds to the finish, two decimals> <date of the win, YYYY-MM-DDTHH:MM:SSZ>
// Blank lines and lines starting with # are ignored. The file is only ever replaced whole (a
// new file in the same folder, then renamed over it), so a crash or a full disk mid-write
// leaves the old one as it was.
#pragma once

#include <string>
#include <vector>

struct Record {
    double seconds = 0.0;
    std::string date;
};

// dataFolder()/records.
std::string recordsPath();
// Now, in UTC, as the file writes dates.
std::string currentDate();

// Reads the records, fastest first; a missing file has none. False when the file is there but
// is not a records file or cannot be read; `problem` then says why.
bool readRecords(const std::string& path, std::vector<Record>& records, std::string& problem);

// Adds a win and saves the file; returns every record, fastest first, with the new one even when
// saving failed (which is printed to standard error). A file that cannot be read is first kept
// aside under a new name, with a warning, and a new one is started.
std::vector<Record> addRecord(const std::string& path, const Record& win);

// `quillora --records`: the ten best with their dates on standard output; 0, or 1 when the file
// cannot be read.
int printRecords(const std::string& path);
