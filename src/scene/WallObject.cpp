#include "scene/WallObject.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "scene/MeshUpload.h"
#include "scene/WallBox.h"

namespace kesto::scene {

namespace {

constexpr int kWallIndexCount = 36;

// Each vertex as the box's low (0) or high (1) end in x, y and z, four to a face.
constexpr int kBoxCorners[24][3] = {
    {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0},  // back
    {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1},  // front
    {1, 1, 1}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1},  // top
    {1, 0, 1}, {0, 0, 1}, {0, 0, 0}, {1, 0, 0},  // bottom
    {1, 1, 1}, {1, 0, 1}, {1, 0, 0}, {1, 1, 0},  // right end
    {0, 1, 1}, {0, 1, 0}, {0, 0, 0}, {0, 0, 1},  // left end
};

std::vector<vec3> boxPositions() {
    std::vector<vec3> positions;
    for (const auto& corner : kBoxCorners) {
        vec3 p;
        for (int axis = 0; axis < 3; ++axis)
            p[axis] = corner[axis] ? kWallBoxMax[axis] : kWallBoxMin[axis];
        positions.push_back(p);
    }
    return positions;
}

const std::array<vec3, 6> kFaceNormals = {vec3(0, 0, -1), vec3(0, 0, 1), vec3(0, 1, 0),
                                          vec3(0, -1, 0), vec3(1, 0, 0), vec3(-1, 0, 0)};

std::vector<vec3> boxNormals() {
    std::vector<vec3> normals;
    for (const vec3& n : kFaceNormals) normals.insert(normals.end(), 4, n);
    return normals;
}

std::vector<unsigned> boxIndices() {
    std::vector<unsigned> indices;
    for (unsigned f = 0; f < 6; ++f)
        indices.insert(indices.end(), {4 * f, 4 * f + 1, 4 * f + 2, 4 * f, 4 * f + 2, 4 * f + 3});
    return indices;
}

}  // namespace

WallObject::WallObject(const mat4& modelMatrix, Shader* shader)
    : StaticSceneObject(modelMatrix), shader(shader) {
    const std::vector<vec3> positions = boxPositions();
    const std::vector<vec3> normals = boxNormals();
    const std::vector<unsigned> indices = boxIndices();
    mesh = uploadMesh({&positions, &normals, nullptr, &indices}, shader);
}

void WallObject::draw() { drawMesh(mesh, kWallIndexCount); }

bool placeWall(vec2 start, vec2 end, const std::function<float(float, float)>& groundHeight,
               mat4& modelMatrix, float& angle) {
    vec2 a = start, b = end;
    if (a.y > b.y) std::swap(a, b);
    const float dx = b.x - a.x;
    const float dz = b.y - a.y;
    const float length = std::sqrt(dx * dx + dz * dz);
    if (!(length > 0.0f)) return false;

    const float h1 = groundHeight(a.x, a.y);
    const float h2 = groundHeight(b.x, b.y);
    angle = std::acos(std::clamp(dx / length, -1.0f, 1.0f)) * 180.0f / 3.14159274f;

    mat4 m = glm::translate(modelMatrix, vec3(a.x, h1, a.y));
    m = rotateDegrees(m, -angle, vec3(0, 1, 0));
    m = glm::scale(m, vec3(length, 1, 1));
    mat4 shear(1.0f);
    shear[0][1] = h2 - h1;  // the far end (x = 1) stands dh higher than the near end
    modelMatrix = m * shear;
    return true;
}

}  // namespace kesto::scene
