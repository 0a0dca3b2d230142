// The ten bonus items: their objects, the set that owns their programs, meshes and skins,
// the placement and the hit test.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "scene/MeshBuffers.h"
#include "scene/MeshObjects.h"
#include "scene/SceneObject.h"

class Shader;
class Texture;

namespace kesto::scene {

class BallObject;

enum BonusItemType : int { Car = 0, Croctopus = 1, Duck = 2 };

// Where the ten items float, in the order they are placed; y is a fixed height, not the
// ground's. tools/world/make_world.py reads this table to fit the terrain under it.
struct BonusItemPlace {
    BonusItemType type;
    float x, y, z;
};
inline constexpr BonusItemPlace kBonusItemPlaces[] = {
    {Duck, 262.0f, 17.0f, 33.0f},       {Duck, 180.0f, 15.0f, 215.0f},
    {Duck, 298.0f, 9.0f, 123.0f},       {Duck, 250.0f, 15.5f, 222.0f},
    {Car, 350.0f, 15.5f, 126.0f},       {Car, 245.0f, 6.5f, 154.0f},
    {Car, 197.0f, 13.5f, 205.0f},       {Car, 313.0f, 15.5f, 84.0f},
    {Croctopus, 232.0f, 15.5f, 222.0f}, {Croctopus, 215.0f, 9.0f, 102.0f},
};

class BonusItemObject : public SceneObject {
public:
    BonusItemObject(const std::string& path, const mat4& modelMatrix, Shader* shader,
                    nonTexturedVboObject* atomTemplate, Shader* atomShader);
    // Copies share the mesh; the rings are not copied (place() makes them for each copy).
    BonusItemObject(const BonusItemObject& other);
    BonusItemObject& operator=(const BonusItemObject&) = delete;

    void place(float radius);
    void update(double timeDelta) override;  // spins the item and its rings
    void draw() override;                    // the item, then its rings if hit

    bool hit = false;
    float radius = 0.0f;
    SharedMesh mesh;
    Shader* shader = nullptr;
    int vertexCount = 0;
    nonTexturedVboObject* atomTemplate = nullptr;  // not owned
    std::array<std::unique_ptr<nonTexturedVboObject>, 3> atoms;
    Shader* atomShader = nullptr;  // not owned

protected:
    // An item without a mesh, built without a GL context.
    BonusItemObject(const mat4& modelMatrix, nonTexturedVboObject* atomTemplate)
        : SceneObject(modelMatrix), atomTemplate(atomTemplate) {}
};

struct BonusItemRecord {
    std::unique_ptr<BonusItemObject> item;
    Texture* skin = nullptr;  // shared by all items of its kind; owned by the set
    std::unique_ptr<nonTexturedVboObject> cone;
    vec3 colour{0.0f};
    int type = Duck;
};

class BonusItemSet {
public:
    BonusItemSet();  // builds everything and places the ten items
    ~BonusItemSet();
    BonusItemSet(const BonusItemSet&) = delete;
    BonusItemSet& operator=(const BonusItemSet&) = delete;

    void addItem(int type, vec3 position, vec3 colour);
    void setCameraMatrices(mat4 projection, mat4 view);
    void drawBonusItems(bool transparency, bool bilinear, int mipmapMode);
    // The hit items in record order; the shadow pass draws exactly these.
    std::vector<BonusItemObject*> hitItems() const;
    // index and type stay -1 when the ball reaches no item; the first record in reach wins.
    static void findHitItem(const BallObject& ball, int& index, int& type);

    // Program-wide list of placed items; a record's position is the item's identifier.
    static std::vector<BonusItemRecord> bonusItemRecords;

    std::unique_ptr<Shader> transparencyShader;
    std::unique_ptr<Shader> normalsShader;
    std::unique_ptr<Shader> toonShader;
    std::unique_ptr<Shader> contourShader;
    std::unique_ptr<Shader> labyrinthShader;
    std::unique_ptr<nonTexturedVboObject> coneTemplate;
    std::unique_ptr<nonTexturedVboObject> atomTemplate;
    std::unique_ptr<BonusItemObject> duckTemplate;
    std::unique_ptr<BonusItemObject> croctopusTemplate;
    std::unique_ptr<BonusItemObject> carTemplate;
    std::unique_ptr<Texture> duckTexture;
    std::unique_ptr<Texture> croctopusTexture;
    std::unique_ptr<Texture> carTexture;
};

}  // namespace kesto::scene
