#pragma once

#include <assimp/matrix4x4.h>
#include <glm/glm.hpp>

#include <string>
#include <vector>

struct aiNode;
struct aiScene;
class GameAsset;
class GameModel;
class SceneAnimator;
class Shader;

// The assets of the scene being imported, indexed by Assimp mesh index; kept
// until the next import replaces them.
extern std::vector<GameAsset*> aGameAssets;
// Scene programs, built on the first model that is given them.
extern Shader* shader;
extern Shader* shadow;
extern Shader* swayShader;
extern Shader* swayShadow;

// Both imports need the GL context current (textures load and the scene
// programs compile on the way). They append one model per scene node, in
// pre-order, to models; the caller owns the models and the animator. assets is
// the initial content of aGameAssets and is normally empty, because node mesh
// indices are looked up there.
void import(const char* path, std::vector<GameModel*>& models, std::vector<GameAsset*>& assets);
// Returns null when the file cannot be read.
SceneAnimator* importAnimation(const char* path, std::vector<GameModel*>& models,
                               std::vector<GameAsset*>& assets);
// Deletes every asset the imports built; the models that draw them must be
// gone or must not draw again. aGameAssets is left empty.
void releaseImportedAssets();

// Returns the root model, or null for a scene without a root node.
GameModel* traverseScene(const aiScene* scene, std::vector<GameModel*>& models);
// parent: the accumulated transformation of the node's parent.
GameModel* traverseNode(const aiScene* scene, aiNode* node, std::vector<GameModel*>& models,
                        aiMatrix4x4 parent);
// transform: the node's accumulated transformation.
GameModel* DoTheNodeProcessing(const aiScene* scene, aiNode* node, std::vector<GameModel*>& models,
                               aiMatrix4x4 transform);
// Wheat ("Weizen", "Wheat") sways, "Skyb..." is the sky box; see the name tests
// in the source.
GameModel* getGameModelType(std::string name, glm::mat4 modelMatrix);
