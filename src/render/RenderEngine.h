#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/glm.hpp>

#include <map>
#include <string>
#include <vector>

#ifdef LULLVANE_MEASURE
#include "render/PassTimer.h"
#endif

class AnimatedObject;
class GameModel;
class PhysicsLoader;
class Shader;

// The one render engine. Its constructor opens the 1024 x 768 window with an
// OpenGL 3.2 compatibility context (ending the process with exit code 1 when
// that fails) and must run before any other GL work. Lists of models and
// animations refer to objects owned elsewhere.
class RenderEngine {
public:
    RenderEngine();
    virtual ~RenderEngine();

    int initGLFW();

    // Shadow pass, main pass, then bloom when it is on. Every model bound to a
    // rigid body takes the body's transform after it has been drawn.
    void draw(glm::mat4 view, glm::mat4 projection, glm::mat4 lightView, glm::mat4 lightProjection);
    void setModels(std::vector<GameModel*>& models);
    void setAnimations(std::vector<AnimatedObject*>& animations);
    void updateAnimations(double time);
    // Called once per frame with the duration of the last frame in seconds.
    void updateTime(double frameTime);

    unsigned int getWindowWidth() const { return windowWidth; }
    unsigned int getWindowHeight() const { return windowHeight; }
    GLFWwindow* getWindow() const { return window; }

    void setBloomMode(int mode);
    void setFrustumCullingMode(int mode);
    int getFrustumCullingMode() const { return frustumCullingMode; }
    void setWireframeMode(int mode);
    void setShadowMode(int mode);
    void setAlphaMode(int mode);
#ifndef LULLVANE_PHONG
    void setNormalMappingMode(int mode);
#endif

    static void checkForErrors();
    static void checkForErrors(const char* where);

    // Fills texture with a 24-bit depth texture of the given size and returns
    // the framebuffer that renders into it.
    static GLuint activateShadowFBO(unsigned int width, unsigned int height, unsigned int& texture);

    static void addShader(const char* name, Shader* shader);
    static Shader* getShader(const char* name);

    // Returns 0 when the image cannot be loaded; every result is listed in
    // loadedTextures.
    static GLuint loadTexture(const char* path);
    void changeTextureMode();
    void setLoadingTexture(const char* path);
    void drawLoadingTexture();

    void activateBloom();
    void bloomBrightPass();
    void bloomGaussPass();
    GLuint initializeBufferComponents(unsigned int width, unsigned int height, unsigned int& texture, int level);

    static RenderEngine* activeRenderEngine;
    static std::map<std::string, Shader*> compiledShader;
    static std::vector<GLuint> loadedTextures;

    double frameTime = 0;
    double frameTimeSum = 0;
    double fps = 0;
    int frameCount = 0;
    int fpsInterval = 100;
    int alphaMode = 1;
    int shadowMode = 0;
    int bloomMode = 0;
    int frustumCullingMode = 0;
    bool bloomActivated = false;
    bool loadingTextureActivated = false;
    unsigned int windowWidth = 1024;
    unsigned int windowHeight = 768;
    unsigned int shadowMapWidth = 2048;
    unsigned int shadowMapHeight = 2048;
    int wireframeMode = 0;
    int textureMode = 0;
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::mat4 lightView{1.0f};
    glm::mat4 lightProjection{1.0f};
    PhysicsLoader* physicsLoader = nullptr;
    int maxTextureUnits = 0;
    GLuint shadowFBO = 0;
    GLuint shadowMap = 0;

    Shader* brightPassShader = nullptr;
    Shader* gaussShader = nullptr;
    GLuint brightPassProgram = 0;
    GLuint gaussProgram = 0;
    GLuint sceneCopyFBO = 0;
    GLuint sceneCopyTexture = 0;
    GLuint brightFBO = 0;
    GLuint brightTexture = 0;
    GLuint blurFBO = 0;
    GLuint blurTexture = 0;
    GLint brightTextureLocation = -1;
    GLint brightVertexLocation = -1;
    GLint brightTexCoordLocation = -1;
    GLint gaussTextureLocation = -1;
    GLint shiftLocation = -1;
    GLuint bloomVertexBuffer = 0;
    GLuint bloomTexCoordBuffer = 0;
    GLuint bloomIndexBuffer = 0;
    float shift[2] = {0.0f, 0.0f};
    int blurLevel = 1;

    GLuint loadingTexture = 0;
    Shader* textureShader = nullptr;
    GLuint loadingProgram = 0;
    GLint loadingTextureLocation = -1;
    GLint loadingVertexLocation = -1;
    GLint loadingTexCoordLocation = -1;
    GLuint loadingVertexBuffer = 0;
    GLuint loadingTexCoordBuffer = 0;
    GLuint loadingIndexBuffer = 0;

    std::vector<GameModel*> models;
    std::vector<AnimatedObject*> animations;
#ifndef LULLVANE_PHONG
    int normalMappingMode = 1;
#endif

private:
    // Steps of one frame, in the order draw runs them.
    void beginFrame(GLuint program, GLint viewLocation, const glm::mat4& view, const glm::mat4& projection,
                    const glm::mat4& lightView, const glm::mat4& lightProjection);
    const std::vector<GameModel*>& selectDrawList();
    void beginShadowPass();
    void drawShadowPass(const std::vector<GameModel*>& drawList);
    void beginMainPass();
    void drawMainPass(const std::vector<GameModel*>& drawList);

    // Full-screen quads ignore the depth buffer and the wireframe mode.
    void beginScreenPass();
    void endScreenPass();

    GLFWwindow* window = nullptr;
    GLint savedViewport[4] = {0, 0, 0, 0};
    // The culling query's result, held until the frame is drawn.
    std::vector<GameModel*> culledModels;
#ifdef LULLVANE_MEASURE
    PassTimer passTimer;
#endif
};
