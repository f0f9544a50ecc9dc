#include "CaptureOutput.h"

#include "physics/ColladaConverter.h"
#include "physics/PhysicsLoader.h"
#include "scene/GameModel.h"

#include <assimp/cimport.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string gameDir = LULLVANE_GAME_DIR;

// The flags the game imports its scenes with.
const unsigned importFlags = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                             aiProcess_Triangulate | aiProcess_GenNormals | aiProcess_SortByPType |
                             aiProcess_GenUVCoords | aiProcess_TransformUVCoords;

std::string inGame(const std::string& file) {
    return gameDir + "/" + file;
}

struct Imported {
    const aiScene* scene = nullptr;
    explicit Imported(const std::string& file) : scene(aiImportFile(inGame(file).c_str(), importFlags)) {}
    ~Imported() { aiReleaseImport(scene); }
};

void collectNames(const aiNode* node, std::vector<std::string>& names) {
    names.emplace_back(node->mName.C_Str());
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        collectNames(node->mChildren[i], names);
}

glm::mat4 toGlm(const aiMatrix4x4& m) {
    glm::mat4 g;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            g[c][r] = m[r][c];
    }
    return g;
}

const char* const sceneFiles[] = {"intro.DAE", "Intro.DAE",      "Zimmer.dae",   "FirstScene.DAE",
                                  "End.DAE",   "Wheatfield.DAE", "hundboese.dae"};

class SceneFile : public ::testing::TestWithParam<const char*> {};

TEST_P(SceneFile, ImportsWithTexturedMeshesTheGameCanDraw) {
    Imported file(GetParam());
    ASSERT_NE(file.scene, nullptr) << aiGetErrorString();
    const aiScene* scene = file.scene;
    ASSERT_GT(scene->mNumMeshes, 0u);
    // Models that follow bodies, and the dog's parts, rely on a root without
    // any axis conversion.
    EXPECT_TRUE(scene->mRootNode->mTransformation.IsIdentity());
    unsigned triangles = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        SCOPED_TRACE(mesh->mName.C_Str());
        EXPECT_TRUE(mesh->HasNormals());
        EXPECT_TRUE(mesh->HasTextureCoords(0));
        EXPECT_TRUE(mesh->HasTangentsAndBitangents());
        triangles += mesh->mNumFaces;
        const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
        for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_EMISSIVE}) {
            aiString path;
            ASSERT_EQ(aiGetMaterialTexture(material, type, 0, &path), AI_SUCCESS) << "texture type " << type;
            EXPECT_TRUE(std::filesystem::is_regular_file(inGame(path.C_Str()))) << path.C_Str();
        }
    }
    // Budget for a software renderer at 60 frames a second.
    EXPECT_LT(triangles, 30000u);
}

INSTANTIATE_TEST_SUITE_P(Content, SceneFile, ::testing::ValuesIn(sceneFiles));

TEST(SceneFiles, TheTwoIntroNamesHoldTheSameScene) {
    std::ifstream a(inGame("intro.DAE"), std::ios::binary), b(inGame("Intro.DAE"), std::ios::binary);
    std::string textA((std::istreambuf_iterator<char>(a)), {}),
        textB((std::istreambuf_iterator<char>(b)), {});
    EXPECT_FALSE(textA.empty());
    EXPECT_EQ(textA, textB);
}

struct NamedNodes {
    const char* file;
    std::vector<std::string> names;
};

const NamedNodes namedNodes[] = {
    {"intro.DAE", {"Title", "Stage"}},
    {"Zimmer.dae", {"Room", "Ball", "Car", "Door2"}},
    {"FirstScene.DAE",
     {"Garden", "Bridge", "FirstTeddy", "DogTrigger", "hund", "Sphere.001", "Dog", "Door", "Door2",
      "Doorframe2"}},
    {"End.DAE", {"Platform"}},
    {"Wheatfield.DAE", {"Field", "Teddy", "Door3", "Skyb_1", "Wheat_1"}},
    {"hundboese.dae",
     {"HundRumpf", "HundKopf", "HundSchwanz", "HundBeinVL", "HundBeinVR", "HundBeinHL", "HundBeinHR"}},
};

TEST(SceneFiles, EveryNameWithAMeaningIsWhereTheDesignPutsIt) {
    for (const NamedNodes& expected : namedNodes) {
        Imported file(expected.file);
        ASSERT_NE(file.scene, nullptr) << expected.file;
        std::vector<std::string> names;
        collectNames(file.scene->mRootNode, names);
        for (const std::string& name : expected.names)
            EXPECT_NE(std::find(names.begin(), names.end(), name), names.end())
                << name << " in " << expected.file;
    }
}

// The scene import picks a model class by these prefix rules; only the wheat
// may sway and only the sky may be a sky box.
TEST(SceneFiles, OnlyWheatSwaysAndOnlyTheSkyIsASkyBox) {
    for (const char* fileName : sceneFiles) {
        Imported file(fileName);
        ASSERT_NE(file.scene, nullptr);
        std::vector<std::string> names;
        collectNames(file.scene->mRootNode, names);
        int sway = 0, sky = 0;
        for (const std::string& name : names) {
            bool sways = std::strspn(name.c_str(), "Weizen") == 6 || std::strspn(name.c_str(), "Wheat") == 5;
            bool skyBox = !sways && std::strspn(name.c_str(), "Skybox") == 4;
            EXPECT_TRUE(!sways || name.rfind("Wheat_", 0) == 0) << name << " would sway in " << fileName;
            EXPECT_TRUE(!skyBox || name == "Skyb_1") << name << " would be a sky box in " << fileName;
            sway += sways;
            sky += skyBox;
        }
        bool field = std::string(fileName) == "Wheatfield.DAE";
        EXPECT_EQ(sky, field ? 1 : 0) << fileName;
        if (field)
            EXPECT_GT(sway, 20);
        else
            EXPECT_EQ(sway, 0) << fileName;
    }
}

TEST(SceneFiles, TheDogHasOneClipWithAChannelForEachPartStraightUnderTheRoot) {
    Imported file("hundboese.dae");
    ASSERT_NE(file.scene, nullptr);
    ASSERT_EQ(file.scene->mNumAnimations, 1u);
    const aiAnimation* clip = file.scene->mAnimations[0];
    EXPECT_GT(clip->mDuration, 0.0);
    std::set<std::string> channels;
    for (unsigned c = 0; c < clip->mNumChannels; ++c) {
        channels.insert(clip->mChannels[c]->mNodeName.C_Str());
        EXPECT_GT(clip->mChannels[c]->mNumRotationKeys, 1u);
    }
    const aiNode* root = file.scene->mRootNode;
    EXPECT_EQ(root->mNumChildren, 7u);
    for (unsigned i = 0; i < root->mNumChildren; ++i) {
        EXPECT_EQ(root->mChildren[i]->mNumChildren, 0u);
        EXPECT_EQ(channels.count(root->mChildren[i]->mName.C_Str()), 1u) << root->mChildren[i]->mName.C_Str();
    }
}

// ---- physics ------------------------------------------------------------

struct World {
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &configuration};
};

struct PhysicsFile {
    const char* file;
    std::vector<std::string> bodies;
};

const PhysicsFile physicsFiles[] = {
    {"intro.DAE", {"Stage"}},
    {"Intro.DAE", {"Stage"}},
    {"Ground.DAE", {"Room", "Furniture", "Ball", "Car", "Door2", "Field", "Teddy", "Door3", "Tree"}},
    {"FirstScene.DAE",
     {"Garden", "Trees", "Bridge", "FirstTeddy", "Dog", "Sphere.001", "Sphere.002", "Sphere.003", "hund",
      "DogTrigger", "Doorframe2", "Door2", "Door"}},
    {"End.DAE", {"Platform", "Pillars"}},
};

class PhysicsContent : public ::testing::TestWithParam<PhysicsFile> {};

TEST_P(PhysicsContent, LoadsWithoutAnErrorLineAndNamesEveryBody) {
    World w;
    auto converter = std::make_unique<ColladaConverter>(&w.world);
    CaptureOutput out(1);
    bool loaded = converter->load(inGame(GetParam().file).c_str());
    std::string printed = out.finish();
    ASSERT_TRUE(loaded) << printed;
    for (const char* bad : {"Couldn't", "Aborted", "Warning", "Error", "invalid", "failed", "no vertices"})
        EXPECT_EQ(printed.find(bad), std::string::npos) << bad << " in\n" << printed;
    std::multiset<std::string> names;
    for (int i = 0; i < w.world.getNumCollisionObjects(); ++i) {
        btRigidBody* body = btRigidBody::upcast(w.world.getCollisionObjectArray()[i]);
        ASSERT_NE(body, nullptr);
        const char* name = converter->getName(body);
        ASSERT_NE(name, nullptr);
        names.insert(name);
        // Nothing of the scenery may fall or be pushed.
        EXPECT_TRUE(body->isStaticObject()) << name;
    }
    EXPECT_EQ(names.size(), GetParam().bodies.size());
    for (const std::string& name : GetParam().bodies)
        EXPECT_EQ(names.count(name), 1u) << name;
    converter.reset();
}

INSTANTIATE_TEST_SUITE_P(Content, PhysicsContent, ::testing::ValuesIn(physicsFiles));

struct Binding {
    const char* models;
    const char* physics;
    int scene;
    std::vector<std::string> mustFollow;
};

// Names the case in test output by its scene file.
void PrintTo(const Binding& binding, std::ostream* out) {
    *out << binding.models;
}

const Binding bindings[] = {
    {"intro.DAE", "intro.DAE", 0, {"Stage"}},
    {"Zimmer.dae", "Ground.DAE", 1, {"Room", "Furniture", "Ball", "Car", "Door2"}},
    {"FirstScene.DAE",
     "FirstScene.DAE",
     2,
     {"Garden", "Trees", "Bridge", "FirstTeddy", "Dog", "Sphere.001", "Doorframe2", "Door2", "Door"}},
    {"End.DAE", "End.DAE", 3, {"Platform", "Pillars"}},
    {"Wheatfield.DAE", "Ground.DAE", 4, {"Field", "Teddy", "Door3", "Tree"}},
};

void collectPlaced(const aiNode* node, const aiMatrix4x4& parent,
                   std::vector<std::pair<std::string, glm::mat4>>& out) {
    aiMatrix4x4 global = parent * node->mTransformation;
    out.emplace_back(node->mName.C_Str(), toGlm(global));
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        collectPlaced(node->mChildren[i], global, out);
}

class BoundModels : public ::testing::TestWithParam<Binding> {};

// A model bound to a body is drawn with the body's transform; it must stand
// where the scene file puts it.
TEST_P(BoundModels, FollowTheirBodiesFromWhereTheyStand) {
    const Binding& b = GetParam();
    Imported file(b.models);
    ASSERT_NE(file.scene, nullptr);
    std::vector<std::pair<std::string, glm::mat4>> placed;
    collectPlaced(file.scene->mRootNode, aiMatrix4x4(), placed);

    PhysicsLoader loader;
    loader.sceneNum = b.scene;
    CaptureOutput quiet(1);
    loader.initPhysics(inGame(b.physics).c_str());
    std::vector<GameModel*> models;
    for (auto& [name, matrix] : placed)
        models.push_back(new GameModel(name, matrix));
    loader.setGameModelMap(models);
    quiet.finish();

    for (const std::string& name : b.mustFollow) {
        int id = loader.getPhysicsId(name.c_str());
        EXPECT_NE(id, -1) << name;
        EXPECT_EQ(loader.getGameModel(name) != nullptr, true) << name;
    }
    int bound = 0;
    for (GameModel* model : models) {
        int id = loader.getPhysicsId(model->name.c_str());
        if (id < 0)
            continue;
        ++bound;
        glm::mat4 body = loader.getRigidTransform(id);
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 4; ++r)
                EXPECT_NEAR(body[c][r], model->modelMatrix[c][r], 1e-4f)
                    << model->name << " [" << c << "][" << r << "]";
        }
    }
    EXPECT_GE(bound, static_cast<int>(b.mustFollow.size()));
    for (GameModel* model : models)
        delete model;
}

INSTANTIATE_TEST_SUITE_P(Content, BoundModels, ::testing::ValuesIn(bindings));

// Scenes 1 and 4 share "Ground.DAE": the bedroom's and the field's bodies must
// lie in two regions that their fences keep apart.
TEST(GroundPhysics, BedroomAndWheatFieldBodiesStayInTheirOwnFencedRegions) {
    World w;
    auto converter = std::make_unique<ColladaConverter>(&w.world);
    CaptureOutput quiet(1);
    ASSERT_TRUE(converter->load(inGame("Ground.DAE").c_str()));
    quiet.finish();
    std::map<std::string, std::pair<btVector3, btVector3>> bounds;
    for (int i = 0; i < w.world.getNumCollisionObjects(); ++i) {
        btCollisionObject* object = w.world.getCollisionObjectArray()[i];
        btVector3 lo, hi;
        object->getCollisionShape()->getAabb(object->getWorldTransform(), lo, hi);
        bounds[converter->getName(btRigidBody::upcast(object))] = {lo, hi};
    }
    ASSERT_EQ(bounds.count("Room"), 1u);
    ASSERT_EQ(bounds.count("Field"), 1u);
    auto inside = [](const std::pair<btVector3, btVector3>& inner,
                     const std::pair<btVector3, btVector3>& outer) {
        for (int a = 0; a < 3; ++a) {
            if (a != 1 &&
                (inner.first[a] < outer.first[a] - 0.05f || inner.second[a] > outer.second[a] + 0.05f))
                return false;
        }
        return true;
    };
    auto room = bounds["Room"], field = bounds["Field"];
    bool apart = room.second.x() < field.first.x() || field.second.x() < room.first.x() ||
                 room.second.z() < field.first.z() || field.second.z() < room.first.z();
    EXPECT_TRUE(apart);
    // The fences reach high above any start and close with a lid.
    EXPECT_GT(room.second.y(), 30.0f + 10.0f);
    EXPECT_GT(field.second.y(), 5.0f + 10.0f);
    const std::set<std::string> bedroom = {"Furniture", "Ball", "Car", "Door2"};
    const std::set<std::string> wheat = {"Teddy", "Door3", "Tree"};
    for (auto& [name, box] : bounds) {
        if (name == "Room" || name == "Field")
            continue;
        if (bedroom.count(name))
            EXPECT_TRUE(inside(box, room)) << name;
        else if (wheat.count(name))
            EXPECT_TRUE(inside(box, field)) << name;
        else
            ADD_FAILURE() << "unexpected body " << name;
    }
    converter.reset();
}

} // namespace
