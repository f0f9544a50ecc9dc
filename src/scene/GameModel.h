#pragma once

#include <GL/glew.h>
#include <assimp/matrix4x4.h>
#include <assimp/matrix4x4.inl>
#include <glm/glm.hpp>

#include <string>
#include <vector>

class GameAsset;
class GameModelMove;
class Shader;

// One placed object of a scene: a scene node with its meshes, its two shader
// programs, the environment values fed to its shaders, its child models and
// the index of the rigid body that moves it. Neither the assets nor the
// children are owned; the move queue owns its moves. Members are public
// because the scene import, the scene scripts and the game rules write them.
class GameModel {
public:
    GameModel(std::string name, glm::mat4 modelMatrix);
    virtual ~GameModel();

    // Slot order matters to callers that rely on it; keep it.
    virtual void activate();
    virtual void setPhysicsId(int id);
    virtual std::string getId();
    virtual void setShadowFBO(unsigned int fbo);
    virtual void updateEnvironmentUniforms();
    // time: absolute clock time in seconds.
    virtual void updateObject(double time);
    virtual void draw();
    virtual void drawShadow();
    virtual glm::mat4* getModelMatrix();
    virtual glm::mat4* getViewMatrix();
    virtual glm::mat4* getProjMatrix();
    virtual void setModelMatrix(glm::mat4 m);
    virtual void setViewMatrix(glm::mat4& m);
    virtual void setProjMatrix(glm::mat4& m);
    virtual void useAlpha(int on);
    virtual void useShadow(int on);
#ifndef LULLVANE_PHONG
    virtual void useNormalMapping(int on);
#endif
    virtual void setLightMatrix(glm::mat4 m);
    virtual void setLightViewMatrix(glm::mat4 m);
    virtual void setShadowMap(unsigned int texture);
    virtual GLuint getShaderProgram();
    virtual Shader* getShaderObj();
    virtual void setShaderProgram(Shader* shader);
    virtual GLuint getShadowShader();
    virtual Shader* getShadowShaderObj();
    virtual void setShadowShader(Shader* shader);
    virtual void addMove(GameModelMove* move);
    virtual void addMoveFront(GameModelMove* move);
    virtual bool hasMoves();
    virtual void clearMoves();
    virtual std::vector<GameAsset*>* getGameAssets();
    virtual std::vector<GameAsset*>* getGlobalAssets();
    virtual void addGameAsset(GameAsset* asset);
    virtual void removeGameAsset(GameAsset* asset);

    // Depth first: this model, then the children in order.
    GameModel* FindNode(const char* name);
    std::vector<GameModelMove*> getMoves();

    static std::vector<GameAsset*> aGlobalAssets;

    glm::mat4 modelMatrix;
    glm::mat4 projMatrix{1.0f};
    glm::mat4 viewMatrix{1.0f};
    glm::mat4 biasMatrix;
    glm::mat4 lightMatrix{1.0f};
    glm::mat4 lightViewMatrix{1.0f};
    std::string name;
    bool activated = false;
    Shader* shaderObj = nullptr;
    Shader* shadowShaderObj = nullptr;
    int shadowActive = 1;
    double lastTime = 0;
    GLint modelLocation = -1;
    GLint projViewModelLocation = -1;
    GLint viewModelLocation = -1;
    GLint texModelLocation = -1;
    GLint lightViewLocation = -1;
    GLint shadowProjViewModelLocation = -1;
    GLuint shadowShaderProgram = 0;
    GLint lightPositionLocation = -1;
    GLint lightColorLocation = -1;
    GLint ambientColorLocation = -1;
    GLint fogColorLocation = -1;
    GLint fogDensityLocation = -1;
    GLint mistColorLocation = -1;
    GLint mistDensityLocation = -1;
    GLint mistLevelLocation = -1;
    GLint ambientMatLocation = -1;
    GLint diffuseMatLocation = -1;
    GLint specularMatLocation = -1;
    GLint specularColorLocation = -1;
    GLint specularExpLocation = -1;
    GLint useAlphaLocation = -1;
    GLint shadowUseAlphaLocation = -1;
    GLint activeShadowLocation = -1;
    GLint shadowMapLocation = -1;
    GLuint vertexArray = 0;
    GLuint shadowFBO = 0;
    GLuint shadowMap = 0;
    std::vector<GameAsset*> gameAssets;
    std::vector<GameModelMove*> moves;
    GLuint shaderProgram = 0;
    double deltaTime = 0;
    int castsShadow = 1;
    int alphaDefault = 1;

    glm::vec3 lightPosition{5.7963f, 4.34566f, -0.178087f};
    glm::vec4 lightColor{0.2f, 0.2f, 0.2f, 1.0f};
    glm::vec4 ambientColor{0.2f, 0.2f, 0.2f, 1.0f};
    glm::vec4 specularColor{0.5f, 0.5f, 0.5f, 1.0f};
    glm::vec4 fogColor{0.1f, 0.1f, 0.15f, 1.0f};
    float fogDensity = 0.01f;
    glm::vec4 mistColor{1.45f, 1.2f, 2.35f, 1.0f};
    float mistDensity = 0.027f;
    float mistLevel = -2.0f;
    float ambientMat = 1.0f;
    float diffuseMat = 1.0f;
    float specularMat = 1.0f;
    float specularExp = 30.0f;

    aiMatrix4x4 nodeTransform;
    std::vector<GameModel*> children;
    int physicsId = -1;
    float strength = 0.0f;

    // Error label of the shadow-map binding, made at activation so that drawing
    // allocates nothing.
    std::string shadowMapErrorLabel;
};
