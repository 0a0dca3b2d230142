#include "scene/BonusItem.h"

#include <cstdio>

#include "GameRules.h"
#include "assets/Texture.h"
#include "render/Shader.h"
#include "scene/BallObject.h"
#include "scene/MeshUpload.h"

namespace kesto::scene {

std::vector<BonusItemRecord> BonusItemSet::bonusItemRecords;

BonusItemObject::BonusItemObject(const std::string& path, const mat4& modelMatrix, Shader* shader,
                                 nonTexturedVboObject* atomTemplate, Shader* atomShader)
    : SceneObject(modelMatrix), shader(shader), atomTemplate(atomTemplate), atomShader(atomShader) {
    mesh = loadObjMeshOrStop(path.c_str(), true, shader, vertexCount);
}

BonusItemObject::BonusItemObject(const BonusItemObject& other)
    : SceneObject(other.modelMatrix),
      hit(other.hit),
      radius(other.radius),
      mesh(other.mesh),
      shader(other.shader),
      vertexCount(other.vertexCount),
      atomTemplate(other.atomTemplate),
      atomShader(other.atomShader) {}

void BonusItemObject::place(float r) {
    radius = r;
    const vec3 p = translationOf(modelMatrix);
    if (atomTemplate) {
        for (auto& atom : atoms) {
            atom = std::make_unique<nonTexturedVboObject>(*atomTemplate);
            atom->modelMatrix = glm::translate(atom->modelMatrix, p);
        }
        atoms[1]->modelMatrix = rotateDegrees(atoms[1]->modelMatrix, 180.0f, vec3(0, 0, 1));
        atoms[1]->modelMatrix = rotateDegrees(atoms[1]->modelMatrix, 45.0f, vec3(0, 0, -1));
        atoms[2]->modelMatrix = rotateDegrees(atoms[2]->modelMatrix, 45.0f, vec3(0, 0, 1));
    }
    std::printf("Item: %0.2f/%0.2f/%0.2f \n", p.x, p.y, p.z);
    const vec3 atom = atoms[0] ? translationOf(atoms[0]->modelMatrix) : p;
    std::printf("Atom: %0.2f/%0.2f/%0.2f \n", atom.x, atom.y, atom.z);
}

void BonusItemObject::update(double timeDelta) {
    const float a = static_cast<float>(timeDelta) * 90.0f;
    modelMatrix = rotateDegrees(modelMatrix, a, vec3(0.5f, -1.0f, 0.0f));
    const vec3 ringAxes[3] = {{0.5f, 1.0f, 0.0f}, {0.5f, 1.0f, 0.0f}, {0.5f, -1.0f, 0.0f}};
    for (int i = 0; i < 3; ++i)
        if (atoms[i]) atoms[i]->modelMatrix = rotateDegrees(atoms[i]->modelMatrix, a, ringAxes[i]);
}

void BonusItemObject::draw() {
    drawMesh(mesh, vertexCount);
    if (!hit || !atomShader) return;
    glUseProgram(atomShader->programHandle);
    for (auto& atom : atoms) {
        if (!atom) continue;
        setUniform(*atomShader, "modelMatrix", atom->modelMatrix);
        atom->draw();
    }
}

BonusItemSet::BonusItemSet() {
    const mat4 identity(1.0f);
    transparencyShader =
        std::make_unique<Shader>("Shader/transparency.vert", "Shader/transparency.frag", "", true);
    coneTemplate = std::make_unique<nonTexturedVboObject>("Util/Files/cone_big2.obj", identity,
                                                          transparencyShader.get());
    normalsShader =
        std::make_unique<Shader>("Shader/normals.vert", "Shader/normals.frag", "", true);
    atomTemplate = std::make_unique<nonTexturedVboObject>("Util/Files/atom_shifted.obj", identity,
                                                          normalsShader.get());
    toonShader = std::make_unique<Shader>("Shader/toon.vert", "Shader/toon.frag", "", true);
    contourShader =
        std::make_unique<Shader>("Shader/contoures.vert", "Shader/contoures.frag", "", true);
    labyrinthShader =
        std::make_unique<Shader>("Shader/labyrinth.vert", "Shader/labyrinth.frag", "", true);

    auto itemTemplate = [&](const char* path) {
        return std::make_unique<BonusItemObject>(path, identity, toonShader.get(),
                                                 atomTemplate.get(), normalsShader.get());
    };
    duckTemplate = itemTemplate("Util/Files/duck.obj");
    croctopusTemplate = itemTemplate("Util/Files/croctopus.obj");
    carTemplate = itemTemplate("Util/Files/car.obj");

    duckTexture = std::make_unique<Texture>("Util/Files/duck_texture.DDS", true);
    croctopusTexture = std::make_unique<Texture>("Util/Files/croctopus.DDS", true);
    carTexture = std::make_unique<Texture>("Util/Files/car.DDS", true);

    bonusItemRecords.clear();
    // By type: a car red, a croctopus green, a duck blue.
    const vec3 colours[] = {vec3(1, 0, 0), vec3(0, 1, 0), vec3(0, 0, 1)};
    for (const BonusItemPlace& place : kBonusItemPlaces)
        addItem(place.type, vec3(place.x, place.y, place.z), colours[place.type]);
}

BonusItemSet::~BonusItemSet() {
    bonusItemRecords.clear();
    toonShader.reset();
    transparencyShader.reset();
    coneTemplate.reset();
    duckTexture.reset();
    duckTemplate.reset();
    contourShader.reset();
    labyrinthShader.reset();
    croctopusTemplate.reset();
    croctopusTexture.reset();
    carTemplate.reset();
    carTexture.reset();
    atomTemplate.reset();
    normalsShader.reset();
}

void BonusItemSet::addItem(int type, vec3 position, vec3 colour) {
    BonusItemRecord record;
    record.cone = std::make_unique<nonTexturedVboObject>(*coneTemplate);
    const BonusItemObject* source = duckTemplate.get();
    record.skin = duckTexture.get();
    if (type == Car) {
        source = carTemplate.get();
        record.skin = carTexture.get();
    } else if (type == Croctopus) {
        source = croctopusTemplate.get();
        record.skin = croctopusTexture.get();
    }
    record.item = std::make_unique<BonusItemObject>(*source);
    record.cone->modelMatrix = glm::translate(record.cone->modelMatrix, position);
    record.item->modelMatrix = glm::translate(record.item->modelMatrix, position);
    record.item->place(0.3f);
    record.colour = colour;
    record.type = type;
    bonusItemRecords.push_back(std::move(record));
}

void BonusItemSet::setCameraMatrices(mat4 projection, mat4 view) {
    glUseProgram(toonShader->programHandle);
    setUniform(*toonShader, "projectionMatrix", projection);
    setUniform(*toonShader, "viewMatrix", view);
    const mat4 pv = projection * view;
    for (const Shader* program : {transparencyShader.get(), contourShader.get(),
                                  labyrinthShader.get(), normalsShader.get()}) {
        glUseProgram(program->programHandle);
        setUniform(*program, "PV", pv);
    }
}

std::vector<BonusItemObject*> BonusItemSet::hitItems() const {
    std::vector<BonusItemObject*> items;
    for (const BonusItemRecord& record : bonusItemRecords)
        if (record.item->hit) items.push_back(record.item.get());
    return items;
}

void BonusItemSet::findHitItem(const BallObject& ball, int& index, int& type) {
    index = -1;
    type = -1;
    const vec3 ballPosition = translationOf(ball.modelMatrix);
    for (size_t i = 0; i < bonusItemRecords.size(); ++i) {
        BonusItemObject& item = *bonusItemRecords[i].item;
        const float d = glm::distance(ballPosition, translationOf(item.modelMatrix));
        // In double, so that the reach of 0.3f + kBallRadius still takes a distance of exactly 0.5.
        if (static_cast<double>(item.radius) + kBallRadius > static_cast<double>(d)) {
            item.hit = true;
            index = static_cast<int>(i);
            type = bonusItemRecords[i].type;
            return;
        }
    }
}

}  // namespace kesto::scene
