#include "assets/WallFile.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kLineSize = 512;

// Reads the next piece of a line as a text-mode fgets into a 512-byte buffer would: at most 511
// characters, ending after a line break, with CR LF read as a plain line break.
bool readPiece(FILE* file, char (&piece)[kLineSize]) {
    int length = 0;
    while (length < kLineSize - 1) {
        int ch = fgetc(file);
        if (ch == EOF) break;
        if (ch == '\r') {
            int next = fgetc(file);
            if (next == '\n') {
                ch = '\n';
            } else if (next != EOF) {
                ungetc(next, file);
            }
        }
        piece[length++] = static_cast<char>(ch);
        if (ch == '\n') break;
    }
    piece[length] = '\0';
    return length > 0;
}

}  // namespace

bool loadWallFile(const char* path, std::vector<vec2>& starts, std::vector<vec2>& ends) {
    printf("Loading walls from file '%s'...\n", path);
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "Error opening file '%s'\n", path);
        return false;
    }

    std::vector<vec2> fileStarts, fileEnds;
    char piece[kLineSize];
    while (readPiece(file, piece)) {
        if (strncmp(piece, "//", 2) == 0 || strcmp(piece, "\n") == 0) continue;
        // Fields that fail to parse stay 0; the line still makes a wall.
        vec2 start(0.0f), end(0.0f);
        int fields = sscanf(piece, "%f/%f %f/%f\n", &start.x, &start.y, &end.x, &end.y);
        (void)fields;
        fileStarts.push_back(start);
        fileEnds.push_back(end);
    }
    // A directory opens but cannot be read: that is no maze either.
    bool readFailed = ferror(file) != 0;
    fclose(file);
    if (readFailed) {
        fprintf(stderr, "Error opening file '%s'\n", path);
        return false;
    }

    starts = std::move(fileStarts);
    ends = std::move(fileEnds);
    return true;
}
