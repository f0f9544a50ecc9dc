#include "render/RenderEngine.h"

#include "anim/AnimatedObject.h"
#include "physics/PhysicsLoader.h"
#include "render/Shader.h"
#include "scene/GameModel.h"

#include <GL/glu.h>
#include <IL/il.h>
#include <glm/gtc/type_ptr.hpp>

#include <cstdlib>
#include <iostream>

RenderEngine* RenderEngine::activeRenderEngine = nullptr;
std::map<std::string, Shader*> RenderEngine::compiledShader;
std::vector<GLuint> RenderEngine::loadedTextures;

namespace {

// The full-screen quad of the bloom passes and the loading screen: clip-space
// positions (x, y, z, w), texture coordinates, two counter-clockwise triangles.
const GLfloat quadPositions[16] = {-1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 1.0f, 0.0f, 1.0f,
                                   1.0f,  -1.0f, 0.0f, 1.0f, 1.0f,  1.0f, 0.0f, 1.0f};
const GLfloat quadTexCoords[8] = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f};
const GLuint quadIndices[6] = {1, 0, 2, 1, 2, 3};

void createQuad(GLuint& positionBuffer, GLuint& texCoordBuffer, GLuint& indexBuffer) {
    glGenBuffers(1, &positionBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quadPositions), quadPositions, GL_STATIC_DRAW);
    glGenBuffers(1, &texCoordBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, texCoordBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quadTexCoords), quadTexCoords, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(quadIndices), quadIndices, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void bindQuadAttributes(GLuint positionBuffer, GLuint texCoordBuffer, GLint vertexLocation,
                        GLint texCoordLocation) {
    glBindVertexArray(0);
    if (vertexLocation != -1) {
        glBindBuffer(GL_ARRAY_BUFFER, positionBuffer);
        glVertexAttribPointer(static_cast<GLuint>(vertexLocation), 4, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(static_cast<GLuint>(vertexLocation));
    }
    if (texCoordLocation != -1) {
        glBindBuffer(GL_ARRAY_BUFFER, texCoordBuffer);
        glVertexAttribPointer(static_cast<GLuint>(texCoordLocation), 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(static_cast<GLuint>(texCoordLocation));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void drawQuad(GLuint indexBuffer) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void releaseQuadAttributes(GLint vertexLocation, GLint texCoordLocation) {
    if (vertexLocation != -1)
        glDisableVertexAttribArray(static_cast<GLuint>(vertexLocation));
    if (texCoordLocation != -1)
        glDisableVertexAttribArray(static_cast<GLuint>(texCoordLocation));
}

void printError(GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM:
        std::cerr << "GL: Enum argument out of range." << std::endl;
        break;
    case GL_INVALID_VALUE:
        std::cerr << "GL: Numeric argument out of range." << std::endl;
        break;
    case GL_INVALID_OPERATION:
        std::cerr << "GL: Operation illegal in current state." << std::endl;
        break;
    case GL_OUT_OF_MEMORY:
        std::cerr << "GL: Not enough memory left to execute command." << std::endl;
        break;
    case GL_INVALID_FRAMEBUFFER_OPERATION:
        std::cerr << "GL: Framebuffer object is not complete." << std::endl;
        break;
    default:
        std::cerr << "GL: Unknown error." << std::endl;
        std::cerr << "Error num: " << error << "\n" << std::flush;
        break;
    }
}

} // namespace

RenderEngine::RenderEngine() {
    initGLFW();
    activeRenderEngine = this;
}

RenderEngine::~RenderEngine() = default;

int RenderEngine::initGLFW() {
    if (!glfwInit()) {
        std::cerr << "Could not initialize GLFW." << std::endl;
        std::exit(1);
    }
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    window = glfwCreateWindow(static_cast<int>(windowWidth), static_cast<int>(windowHeight), "Lullvane",
                              nullptr, nullptr);
    if (!window) {
        std::cerr << "Not able to create window." << std::endl;
        glfwTerminate();
        std::exit(1);
    }
    glfwMakeContextCurrent(window);
    glfwSetWindowPos(window, 0, 0);
    // The disabled cursor keeps a virtual position that starts where the
    // pointer was; the controls expect the first mouse delta to be 0.
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    glfwSetCursorPos(window, 0, 0);

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::cerr << "Could not initialize GLEW." << std::flush;
        std::exit(1);
    }
    // glewInit may leave an error from probing the context; it is not ours.
    glGetError();

    if (!glewIsSupported("GL_VERSION_3_2"))
        std::cerr << "GlEW: OpenGL 3.2 not supported.\n" << std::flush;
    if (!glewIsSupported("GL_VERSION_3_1"))
        std::cerr << "GlEW: OpenGL 3.1 not supported.\n" << std::flush;
    if (!glewIsSupported("GL_VERSION_2_1"))
        std::cerr << "GlEW: OpenGL 2.1 not supported.\n" << std::flush;

    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glViewport(0, 0, static_cast<GLsizei>(windowWidth), static_cast<GLsizei>(windowHeight));
    glClearColor(0.1f, 0.1f, 0.15f, 1.0f);
    glClearDepth(1.0);

    shadowFBO = activateShadowFBO(shadowMapWidth, shadowMapHeight, shadowMap);

    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &maxTextureUnits);
    std::cout << "Maximum tex: " << maxTextureUnits << std::endl;
    return 0;
}

void RenderEngine::draw(glm::mat4 view, glm::mat4 projection, glm::mat4 lightView,
                        glm::mat4 lightProjection) {
    Shader* defaultShader = getShader("Default");
    GLint program = defaultShader ? defaultShader->getShaderHandle() : -1;
    if (program == -1) {
        std::cerr << "\" Default\" Shader not found" << std::endl;
        return;
    }
    beginFrame(static_cast<GLuint>(program), defaultShader->viewLocation, view, projection, lightView,
               lightProjection);
    const std::vector<GameModel*>& drawList = selectDrawList();
#ifdef LULLVANE_MEASURE
    passTimer.beginFrame();
    passTimer.begin(PassTimer::Shadow);
#endif
    beginShadowPass();
    drawShadowPass(drawList);
#ifdef LULLVANE_MEASURE
    passTimer.end(PassTimer::Shadow);
    passTimer.begin(PassTimer::Main);
#endif
    beginMainPass();
    drawMainPass(drawList);
#ifdef LULLVANE_MEASURE
    passTimer.end(PassTimer::Main);
#endif
    if (bloomMode) {
#ifdef LULLVANE_MEASURE
        passTimer.begin(PassTimer::Bloom);
#endif
        bloomBrightPass();
        bloomGaussPass();
#ifdef LULLVANE_MEASURE
        passTimer.end(PassTimer::Bloom);
#endif
    }
#ifdef LULLVANE_MEASURE
    passTimer.endFrame();
#endif
}

void RenderEngine::beginFrame(GLuint program, GLint viewLocation, const glm::mat4& view,
                              const glm::mat4& projection, const glm::mat4& lightView,
                              const glm::mat4& lightProjection) {
    glUseProgram(program);
    this->view = view;
    this->projection = projection;
    this->lightView = lightView;
    this->lightProjection = lightProjection;
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, glm::value_ptr(this->view));

    glGetIntegerv(GL_VIEWPORT, savedViewport);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

const std::vector<GameModel*>& RenderEngine::selectDrawList() {
    if (!frustumCullingMode)
        return models;
    if (physicsLoader)
        culledModels = physicsLoader->getCulledFrustumObjects();
    else
        culledModels.clear();
    return culledModels;
}

void RenderEngine::beginShadowPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFBO);
    glClear(GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, static_cast<GLsizei>(shadowMapWidth), static_cast<GLsizei>(shadowMapHeight));
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    // Front faces culled: the map stores the depth of the back faces, which
    // keeps lit surfaces from shadowing themselves.
    glCullFace(GL_FRONT);
}

void RenderEngine::drawShadowPass(const std::vector<GameModel*>& drawList) {
    for (GameModel* model : drawList) {
        model->setProjMatrix(lightProjection);
        model->setViewMatrix(lightView);
        model->drawShadow();
    }
}

void RenderEngine::beginMainPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
    glCullFace(GL_BACK);
}

void RenderEngine::drawMainPass(const std::vector<GameModel*>& drawList) {
    const glm::mat4 lightMatrix = lightProjection * lightView;
    for (GameModel* model : drawList) {
        model->setViewMatrix(view);
        model->setProjMatrix(projection);
        model->setLightMatrix(lightMatrix);
        model->setLightViewMatrix(lightView);
        model->draw();
        // The body's transform is taken after drawing, so a bound model is
        // always drawn one frame behind its body.
        int id = model->physicsId;
        if (physicsLoader && id >= 0 && physicsLoader->isRigidBody(id))
            model->setModelMatrix(physicsLoader->getRigidTransform(id));
    }
}

void RenderEngine::beginScreenPass() {
    glDisable(GL_DEPTH_TEST);
    if (wireframeMode)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void RenderEngine::endScreenPass() {
    glEnable(GL_DEPTH_TEST);
    if (wireframeMode)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
}

void RenderEngine::setModels(std::vector<GameModel*>& models) {
    this->models = models;
    for (GameModel* model : this->models) {
        model->setProjMatrix(projection);
        model->setShadowFBO(shadowFBO);
        model->setShadowMap(shadowMap);
        model->updateObject(glfwGetTime());
    }
    if (!physicsLoader)
        return;
    physicsLoader->setGameModelMap(this->models);
    // A model activated in an earlier scene still holds that world's index.
    for (GameModel* model : this->models) {
        if (model->activated)
            model->setPhysicsId(physicsLoader->getPhysicsId(model->getId().c_str()));
    }
}

void RenderEngine::setAnimations(std::vector<AnimatedObject*>& animations) {
    this->animations = animations;
}

void RenderEngine::updateAnimations(double time) {
    for (AnimatedObject* animation : animations)
        animation->updateAnimations(time);
}

void RenderEngine::updateTime(double frameTime) {
    this->frameTime = frameTime;
    if (frameCount > 99) {
        fps = fpsInterval / frameTimeSum;
        frameCount = 0;
        frameTimeSum = frameTime;
    } else {
        ++frameCount;
        frameTimeSum += frameTime;
    }
}

void RenderEngine::setBloomMode(int mode) {
    bloomMode = mode != 0 ? 1 : 0;
}

void RenderEngine::setFrustumCullingMode(int mode) {
    frustumCullingMode = mode;
}

void RenderEngine::setWireframeMode(int mode) {
    wireframeMode = mode;
    glPolygonMode(GL_FRONT_AND_BACK, mode != 0 ? GL_LINE : GL_FILL);
}

void RenderEngine::setShadowMode(int mode) {
    if (mode < 0 || mode > 2)
        return;
    shadowMode = mode;
    for (GameModel* model : models)
        model->useShadow(mode == 2 ? model->castsShadow : mode);
}

void RenderEngine::setAlphaMode(int mode) {
    if (mode < 0 || mode > 2)
        return;
    alphaMode = mode;
    for (GameModel* model : models)
        model->useAlpha(mode == 2 ? model->alphaDefault : mode);
}

#ifndef LULLVANE_PHONG
void RenderEngine::setNormalMappingMode(int mode) {
    if (mode != 0 && mode != 1)
        return;
    normalMappingMode = mode;
    for (GameModel* model : models)
        model->useNormalMapping(mode);
}
#endif

void RenderEngine::checkForErrors() {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    printError(error);
}

void RenderEngine::checkForErrors(const char* where) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    std::cerr << where << std::endl;
    printError(error);
}

GLuint RenderEngine::activateShadowFBO(unsigned int width, unsigned int height, unsigned int& texture) {
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    const GLfloat border[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_INTENSITY);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);

    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "Error building framebuffer" << std::endl;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return framebuffer;
}

void RenderEngine::addShader(const char* name, Shader* shader) {
    if (compiledShader.find(name) == compiledShader.end()) {
        std::cout << name << " is not in the Shader map, adding!" << std::endl;
        compiledShader[name] = shader;
    } else {
        std::cout << name << " already in the Shader map!" << std::endl;
    }
}

Shader* RenderEngine::getShader(const char* name) {
    auto found = compiledShader.find(name);
    return found == compiledShader.end() ? nullptr : found->second;
}

GLuint RenderEngine::loadTexture(const char* path) {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);

    GLuint texture = 0;
    if (!ilLoadImage(path)) {
        std::cout << "Devil could not load: " << path << std::endl;
    } else if (!ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        std::cout << "Devil failed to convert image to rgba" << std::endl;
    } else {
        GLint width = ilGetInteger(IL_IMAGE_WIDTH);
        GLint height = ilGetInteger(IL_IMAGE_HEIGHT);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        gluBuild2DMipmaps(GL_TEXTURE_2D, ilGetInteger(IL_IMAGE_BPP), width, height,
                          static_cast<GLenum>(ilGetInteger(IL_IMAGE_FORMAT)), GL_UNSIGNED_BYTE, ilGetData());
    }
    for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError())
        std::cout << error << ": DevIL error " << std::endl;

    ilBindImage(0);
    ilDeleteImages(1, &image);
    loadedTextures.push_back(texture);
    return texture;
}

void RenderEngine::changeTextureMode() {
    textureMode = (textureMode + 1) % 2;
    for (GLuint texture : loadedTextures) {
        glBindTexture(GL_TEXTURE_2D, texture);
        if (textureMode == 0) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            checkForErrors("glError while setting Texture mode to 0 (GL_NEAREST_MIPMAP_NEAREST)");
        } else {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            checkForErrors("glError while setting Texture mode to 1 (GL_LINEAR_MIPMAP_LINEAR)");
        }
    }
}

void RenderEngine::setLoadingTexture(const char* path) {
    if (loadingTextureActivated)
        return;
    loadingTexture = loadTexture(path);
    textureShader = new Shader("shader/PassShader.vert", "shader/TextureShader.frag", "TexShader");
    loadingProgram = static_cast<GLuint>(textureShader->getShaderHandle());
    glUseProgram(loadingProgram);
    loadingTextureLocation = glGetUniformLocation(loadingProgram, "texture");
    loadingVertexLocation = glGetAttribLocation(loadingProgram, "bloomVertex");
    loadingTexCoordLocation = glGetAttribLocation(loadingProgram, "bloomTexCoord");
    createQuad(loadingVertexBuffer, loadingTexCoordBuffer, loadingIndexBuffer);
    loadingTextureActivated = true;
    std::cout << "Activated loading texture" << std::endl;
}

void RenderEngine::drawLoadingTexture() {
    if (!loadingTextureActivated) {
        std::cerr << "LoadingTexture not activated" << std::endl;
        return;
    }
#ifdef LULLVANE_PHONG
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
#endif
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(loadingProgram);
    bindQuadAttributes(loadingVertexBuffer, loadingTexCoordBuffer, loadingVertexLocation,
                       loadingTexCoordLocation);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, loadingTexture);

    loadingTextureLocation = glGetUniformLocation(loadingProgram, "texture");
    loadingVertexLocation = glGetAttribLocation(loadingProgram, "bloomVertex");
    loadingTexCoordLocation = glGetAttribLocation(loadingProgram, "bloomTexCoord");
    if (loadingTextureLocation == -1)
        std::cerr << "tlTextureLocation was -1 in activateBloom()" << std::endl;
    else
        glUniform1i(loadingTextureLocation, 0);

    beginScreenPass();
    drawQuad(loadingIndexBuffer);
    endScreenPass();
    releaseQuadAttributes(loadingVertexLocation, loadingTexCoordLocation);
}

void RenderEngine::activateBloom() {
    if (bloomActivated)
        return;
    brightPassShader = new Shader("shader/PassShader.vert", "shader/BrightPassShader.frag", "Brightpass");
    gaussShader = new Shader("shader/PassShader.vert", "shader/GaussShader.frag", "Gauss");
    brightPassProgram = static_cast<GLuint>(brightPassShader->getShaderHandle());
    gaussProgram = static_cast<GLuint>(gaussShader->getShaderHandle());

    glUseProgram(brightPassProgram);
    brightTextureLocation = glGetUniformLocation(brightPassProgram, "bloomTexture");
    brightVertexLocation = glGetAttribLocation(brightPassProgram, "bloomVertex");
    brightTexCoordLocation = glGetAttribLocation(brightPassProgram, "bloomTexCoord");
    glUniform1i(brightTextureLocation, 0);

    createQuad(bloomVertexBuffer, bloomTexCoordBuffer, bloomIndexBuffer);

    glUseProgram(gaussProgram);
    gaussTextureLocation = glGetUniformLocation(gaussProgram, "bloomTexture");
    shiftLocation = glGetUniformLocation(gaussProgram, "shift");
    glUniform1i(gaussTextureLocation, 0);
    glUniform2fv(shiftLocation, 1, shift);

    sceneCopyFBO = initializeBufferComponents(windowWidth, windowHeight, sceneCopyTexture, 0);
    brightFBO = initializeBufferComponents(windowWidth, windowHeight, brightTexture, 0);
    blurFBO = initializeBufferComponents(windowWidth, windowHeight, blurTexture, 0);

    bloomActivated = true;
    std::cout << "Bloom activated" << std::endl;
}

void RenderEngine::bloomBrightPass() {
    if (!bloomActivated)
        activateBloom();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLint x = viewport[0], y = viewport[1], x1 = viewport[0] + viewport[2],
                y1 = viewport[1] + viewport[3];
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneCopyFBO);
    glBlitFramebuffer(x, y, x1, y1, x, y, x1, y1, GL_COLOR_BUFFER_BIT, GL_LINEAR);

    glBindFramebuffer(GL_FRAMEBUFFER, brightFBO);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(brightPassProgram);
    bindQuadAttributes(bloomVertexBuffer, bloomTexCoordBuffer, brightVertexLocation, brightTexCoordLocation);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sceneCopyTexture);

    brightTextureLocation = glGetUniformLocation(brightPassProgram, "bloomTexture");
    brightVertexLocation = glGetAttribLocation(brightPassProgram, "bloomVertex");
    brightTexCoordLocation = glGetAttribLocation(brightPassProgram, "bloomTexCoord");
    if (brightTextureLocation == -1)
        std::cerr << "blTextureLocation was -1 in activateBloom()" << std::endl;
    else
        glUniform1i(brightTextureLocation, 0);

    beginScreenPass();
    drawQuad(bloomIndexBuffer);
    endScreenPass();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void RenderEngine::bloomGaussPass() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glUseProgram(gaussProgram);
    bindQuadAttributes(bloomVertexBuffer, bloomTexCoordBuffer, brightVertexLocation, brightTexCoordLocation);

    glBindFramebuffer(GL_FRAMEBUFFER, sceneCopyFBO);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, blurFBO);
    glClear(GL_COLOR_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, brightTexture);
    glUniform1i(gaussTextureLocation, 0);

    beginScreenPass();
    // Horizontal blur of the bright parts into the blur target, then the
    // vertical blur of that result added onto the window's picture.
    const float step = static_cast<float>(1 << blurLevel);
    shift[0] = step / static_cast<float>(viewport[2]);
    shift[1] = 0.0f;
    glUniform2fv(shiftLocation, 1, shift);
    drawQuad(bloomIndexBuffer);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    shift[0] = 0.0f;
    shift[1] = step / static_cast<float>(viewport[3]);
    glUniform2fv(shiftLocation, 1, shift);
    drawQuad(bloomIndexBuffer);
    endScreenPass();

    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    releaseQuadAttributes(brightVertexLocation, brightTexCoordLocation);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

GLuint RenderEngine::initializeBufferComponents(unsigned int width, unsigned int height,
                                                unsigned int& texture, int level) {
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    const unsigned int divisor = 1u << level;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width / divisor),
                 static_cast<GLsizei>(height / divisor), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);

    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "Error building framebuffer" << std::endl;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return framebuffer;
}
