#include "scene/BallObject.h"

#include <cmath>

#include "GameRules.h"
#include "scene/MeshUpload.h"

namespace kesto::scene {

BallObject::BallObject(const mat4& modelMatrix, Shader* shader)
    : SceneObject(modelMatrix), shader(shader) {
    mesh = loadObjMeshOrStop("Util/Files/sphere_smooth.obj", false, shader, vertexCount);
}

void BallObject::update(double timeDelta) {
    const float t = static_cast<float>(timeDelta);
    distance = distance + (0.5f * power + kBallSpeed) * t;

    // The trigonometry and the squares in double, each rounded back to float.
    const float tangent = static_cast<float>(std::tan(static_cast<double>(angle)));
    const float cosine = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float distanceSquared = static_cast<float>(std::pow(static_cast<double>(distance), 2));
    const float launchSquared =
        static_cast<float>(std::pow(static_cast<double>((power + 12.0f) * cosine), 2));
    const float y =
        startHeight + distance * tangent - kGravity * distanceSquared / (2.0f * launchSquared);

    const float dy = y - modelMatrix[3][1];
    height = y;
    const float dxw = static_cast<float>(static_cast<double>(direction.x * kBallSpeed) * timeDelta);
    const float dzw = static_cast<float>(static_cast<double>(direction.z * kBallSpeed) * timeDelta);
    modelMatrix = glm::translate(modelMatrix, vec3(dxw, 0.0f, dzw));
    modelMatrix = glm::translate(modelMatrix, vec3(0.0f, dy, 0.0f));
}

void BallObject::draw() { drawMesh(mesh, vertexCount); }

}  // namespace kesto::scene
