#include "assets/ObjReader.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kParserMessage =
    "File can't be read by our simple parser :-( Try exporting with other options\n";

constexpr int kTokenSize = 128;
constexpr int kLineSize = 1000;

enum class TokenResult { Token, End, TooLong };

bool isBlank(int ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Reads one whitespace-delimited word like "%s" would, but refuses a word that does not fit the
// buffer instead of cutting it into pieces that might then pass for keywords.
TokenResult readToken(FILE* file, char (&token)[kTokenSize]) {
    int ch = fgetc(file);
    while (ch != EOF && isBlank(ch)) ch = fgetc(file);
    if (ch == EOF) return TokenResult::End;
    int length = 0;
    while (ch != EOF && !isBlank(ch)) {
        if (length == kTokenSize - 1) return TokenResult::TooLong;
        token[length++] = static_cast<char>(ch);
        ch = fgetc(file);
    }
    token[length] = '\0';
    if (ch != EOF) ungetc(ch, file);
    return TokenResult::Token;
}

// Whatever the file holds, read as far as the reader understands it.
struct ObjContent {
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    std::vector<int> positionIndices, uvIndices, normalIndices;
};

// Malformed numbers are not reported: the fields that fail to parse keep their zeros.
vec3 readVec3(FILE* file) {
    vec3 v(0.0f);
    int fields = fscanf(file, "%f %f %f\n", &v.x, &v.y, &v.z);
    (void)fields;
    return v;
}

vec2 readFlippedUv(FILE* file) {
    vec2 uv(0.0f);
    int fields = fscanf(file, "%f %f\n", &uv.x, &uv.y);
    (void)fields;
    uv.y = -uv.y;
    return uv;
}

bool readFace(FILE* file, bool textured, ObjContent& content) {
    int p[3], t[3] = {}, n[3];
    if (textured) {
        if (fscanf(file, "%d/%d/%d %d/%d/%d %d/%d/%d\n", &p[0], &t[0], &n[0], &p[1], &t[1], &n[1],
                   &p[2], &t[2], &n[2]) != 9)
            return false;
    } else {
        if (fscanf(file, "%d//%d %d//%d %d//%d\n", &p[0], &n[0], &p[1], &n[1], &p[2], &n[2]) != 6)
            return false;
    }
    for (int corner = 0; corner < 3; ++corner) {
        content.positionIndices.push_back(p[corner]);
        if (textured) content.uvIndices.push_back(t[corner]);
        content.normalIndices.push_back(n[corner]);
    }
    return true;
}

bool readContent(FILE* file, const char* path, bool textured, ObjContent& content) {
    char token[kTokenSize];
    for (;;) {
        TokenResult result = readToken(file, token);
        if (result == TokenResult::End) return true;
        if (result == TokenResult::TooLong) return false;
        if (strcmp(token, "v") == 0) {
            content.positions.push_back(readVec3(file));
        } else if (strcmp(token, "vt") == 0 && textured) {
            content.uvs.push_back(readFlippedUv(file));
        } else if (strcmp(token, "vt") == 0) {
            // Its numbers are then read as words of their own and skipped with their line.
            fprintf(stderr, "File '%s' contains texture, please use normal OBJ-Loader instead!\n",
                    path);
        } else if (strcmp(token, "vn") == 0) {
            content.normals.push_back(readVec3(file));
        } else if (strcmp(token, "f") == 0) {
            if (!readFace(file, textured, content)) return false;
        } else {
            char line[kLineSize];
            if (!fgets(line, sizeof line, file)) return true;
        }
    }
}

// OBJ indices are 1-based; anything outside 1..count would select no entry.
bool indicesFit(const std::vector<int>& indices, size_t count) {
    for (int index : indices) {
        if (index < 1 || static_cast<size_t>(index) > count) return false;
    }
    return true;
}

template <typename T>
void appendCorners(const std::vector<T>& entries, const std::vector<int>& indices,
                   std::vector<T>& out) {
    for (int index : indices) out.push_back(entries[index - 1]);
}

// Reads the whole file before touching the caller's arrays, so a failed load leaves them as
// they were.
bool readObj(const char* path, bool textured, ObjContent& content) {
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "Impossible to open the file '%s'\n", path);
        return false;
    }
    bool ok = readContent(file, path, textured, content);
    // A directory opens but cannot be read.
    bool readFailed = ferror(file) != 0;
    fclose(file);
    if (readFailed) {
        fprintf(stderr, "Impossible to open the file '%s'\n", path);
        return false;
    }
    ok = ok && indicesFit(content.positionIndices, content.positions.size()) &&
         indicesFit(content.normalIndices, content.normals.size()) &&
         (!textured || indicesFit(content.uvIndices, content.uvs.size()));
    if (!ok) printf("%s", kParserMessage);
    return ok;
}

}  // namespace

bool loadObjFile(const char* path, std::vector<vec3>& positions, std::vector<vec2>& uvs,
                 std::vector<vec3>& normals) {
    printf("Loading OBJ file '%s'...\n", path);
    ObjContent content;
    if (!readObj(path, true, content)) return false;
    appendCorners(content.positions, content.positionIndices, positions);
    appendCorners(content.uvs, content.uvIndices, uvs);
    appendCorners(content.normals, content.normalIndices, normals);
    return true;
}

bool loadNonTexturedObjFile(const char* path, std::vector<vec3>& positions,
                            std::vector<vec3>& normals) {
    printf("Loading non textured OBJ file '%s'...\n", path);
    ObjContent content;
    if (!readObj(path, false, content)) return false;
    appendCorners(content.positions, content.positionIndices, positions);
    appendCorners(content.normals, content.normalIndices, normals);
    return true;
}
