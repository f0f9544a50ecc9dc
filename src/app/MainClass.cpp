#include "app/MainClass.h"

#include <glm/gtc/matrix_transform.hpp>

#include <iostream>

#include "anim/AnimatedObject.h"
#include "anim/SceneAnimator.h"
#include "camera/Camera.h"
#include "moves/PersueMove.h"
#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"

RenderEngine renderEngine;
float aspectRatio = (float)renderEngine.getWindowWidth() / (float)renderEngine.getWindowHeight();
glm::vec3 dogOrigin(-0.192517f, -1.08216f, -16.7954f);
std::vector<GameModel*> scene_two_models;
std::vector<GameModel*> scene_one_models;
std::vector<GameModel*> scene_three_models;
std::vector<GameModel*> scene_four_models;
std::vector<GameModel*> intro_models;
std::vector<AnimatedObject*> animations;
glm::mat4 dogmatrix(1.0f);
Camera* MainCam = new Camera(&renderEngine);
Camera* BridgeCam = new Camera(&renderEngine);
Camera* IntroCam = new Camera(&renderEngine);
Camera* ActiveCam = MainCam;
glm::mat4 view(1.0f);
glm::mat4 projection = glm::perspective(glm::radians(45.0f), aspectRatio, 0.1f, 800.0f);
glm::mat4 projectionLight = glm::perspective(glm::radians(45.0f), 1.0f, 3.0f, 700.0f);
glm::mat4 light(1.0f);
PhysicsLoader physicsLoader;

SoundLoader soundLoader;
AnimatedObject* pDog = nullptr;
int activeScene = 0;
int SceneActive = 0;
bool introSceneActive = false;
bool dogActive = false;
bool running = false;
double dTimeDiff = 0;
int addPhysicsCharacter = 1;
int numScenes = 4;
double input_wait = 0.2;
double pause_input = 0;
int activeCamera = 0;
int iMouseX = 0, iMouseY = 0, iMouseXprev = 0, iMouseYprev = 0;

namespace {

bool glfwKeyDown(int glfwKey) { return glfwGetKey(renderEngine.getWindow(), glfwKey) == GLFW_PRESS; }

void glfwCursor(int* x, int* y) {
    double px = 0, py = 0;
    glfwGetCursorPos(renderEngine.getWindow(), &px, &py);
    *x = (int)px;
    *y = (int)py;
}

} // namespace

KeyReader readKey = glfwKeyDown;
CursorReader readCursor = glfwCursor;

namespace {

// A light matrix written row by row, as one reads it; GLM stores columns.
glm::mat4 rows(float r00, float r01, float r02, float r03, float r10, float r11, float r12, float r13, float r20,
               float r21, float r22, float r23) {
    return glm::transpose(glm::mat4(r00, r01, r02, r03, r10, r11, r12, r13, r20, r21, r22, r23, 0, 0, 0, 1));
}

const glm::mat4 L0 = rows(-0.146731f, -0.498088f, 0.854622f, 5.7963f, 0.0f, 0.863973f, 0.503538f, 4.34566f,
                          -0.989176f, 0.0738846f, -0.126771f, -0.178087f);
const glm::mat4 L1 = rows(0.951435f, 1.65383e-09f, -0.30785f, -2.473f, -0.176231f, 0.819933f, -0.544658f, -2.71078f,
                          0.252416f, 0.572459f, 0.780113f, -12.2995f);
const glm::mat4 L2 = rows(0.110222f, -3.95999e-10f, 0.993907f, 2.0864f, 0.503978f, 0.861906f, -0.05589f, 10.0214f,
                          -0.856655f, 0.507068f, 0.0950009f, -22.4999f);

// The lighting, fog and mist of one scene, written into every model of the
// scene when the scene is entered.
struct Environment {
    glm::vec3 lightPosition;
    glm::vec4 lightColor;
    glm::vec4 ambientColor;
    glm::vec4 fogColor;
    float fogDensity;
    glm::vec4 mistColor;
    float mistDensity;
    float mistLevel;
};

const Environment environments[5] = {
    {{5, 1, 0}, {0.5f, 0.5f, 0.5f, 1}, {0.4f, 0.4f, 0.4f, 1}, {0.1f, 0, 0, 1}, 0.05f, {1.45f, 1, 1, 1}, 0.0f, 3.0f},
    {{4.97978f, 9.26364f, 7.35727f},
     {0.1f, 0.1f, 0.1f, 1},
     {0.2f, 0.2f, 0.2f, 1},
     {0.5f, 0.5f, 0.5f, 1},
     0.03f,
     {1.45f, 1.2f, 1.35f, 1},
     0.0f,
     -0.8f},
    {{-24.5551f, 2.77149f, 0.623911f},
     {0.25f, 0.25f, 0.25f, 1},
     {0.1f, 0.1f, 0.1f, 1},
     {0.5f, 0.5f, 0.5f, 1},
     0.06f,
     {1.45f, 1.2f, 1.35f, 1},
     0.2f,
     -1.32f},
    {{5, 1, 0},
     {0.2f, 0.2f, 0.2f, 1},
     {0.2f, 0.2f, 0.2f, 1},
     {0.1f, 0.1f, 0.15f, 1},
     0.01f,
     {1.45f, 1.2f, 2.35f, 1},
     0.027f,
     -4.0f},
    {{5, 1, 0}, {0, 0, 0, 1}, {0.7f, 0.7f, 0.7f, 1}, {1, 1, 1, 1}, 0.0f, {1.45f, 1.2f, 2.35f, 1}, 0.0f, 0.0f},
};

// shadowsOff: scenes that switch every model's shadow reception off.
void applyEnvironment(std::vector<GameModel*>& models, int scene, bool shadowsOff) {
    const Environment& e = environments[scene];
    for (GameModel* model : models) {
        model->lightPosition = e.lightPosition;
        model->lightColor = e.lightColor;
        model->ambientColor = e.ambientColor;
        model->fogColor = e.fogColor;
        model->fogDensity = e.fogDensity;
        model->mistColor = e.mistColor;
        model->mistDensity = e.mistDensity;
        model->mistLevel = e.mistLevel;
        if (shadowsOff)
            model->useShadow(0);
    }
}

void updateModels(std::vector<GameModel*>& models, double time) {
    for (GameModel* model : models)
        model->updateObject(time);
}

// Steps the world, walks the player and moves the camera with him.
void runGameFrame(std::vector<GameModel*>& models, double time) {
    updateModels(models, time);
    physicsLoader.makeSimulationStep((float)dTimeDiff);
    physicsLoader.moveCharacter();
    physicsLoader.viewRotation = glm::mat3(ActiveCam->getCameraMatrix());
    ActiveCam->update(0.0);
    view = ActiveCam->getCameraMatrix();
}

bool latched(int key) {
    if (!readKey(key) || pause_input <= input_wait)
        return false;
    pause_input = 0;
    return true;
}

void printMatrixRows(const glm::mat4& m) {
    for (int r = 0; r < 4; ++r)
        std::cout << m[0][r] << "|" << m[1][r] << "|" << m[2][r] << "|" << m[3][r] << "\n";
}

void printCameraReport() {
    glm::mat4 m = ActiveCam->getCameraMatrix();
    glm::mat4 v = glm::inverse(m);
    std::cout << "X:" << v[3][0] << " Y:" << v[3][1] << " Z:" << v[3][2] << "\n";
    std::cout << "inverse (position) Matrix:\n";
    printMatrixRows(v);
    std::cout << "X:" << m[3][0] << " Y:" << m[3][1] << " Z:" << m[3][2] << "\n";
    std::cout << "Matrix:\n";
    printMatrixRows(m);
    glm::vec4 from = ActiveCam->GetFrom();
    glm::vec4 to = ActiveCam->GetTo();
    std::cout << "Camera From: (" << from.x << "," << from.y << "," << from.z << ")" << std::endl;
    std::cout << "Camera To: (" << to.x << "," << to.y << "," << to.z << ")" << std::endl;
}

void importScene(const char* file, std::vector<GameModel*>& models) {
    std::vector<GameAsset*> assets;
    import(file, models, assets);
}

void deleteModels(std::vector<GameModel*>& models) {
    for (GameModel* model : models)
        delete model;
    models.clear();
}

} // namespace

void getInput(double dt) {
    if (pause_input < 100000)
        pause_input += dt;
    else
        pause_input = input_wait;

    ActiveCam->CamSphere(0, 0);
    readCursor(&iMouseX, &iMouseY);
    int dx = iMouseX - iMouseXprev;
    int dy = iMouseY - iMouseYprev;
    iMouseXprev = iMouseX;
    iMouseYprev = iMouseY;
    ActiveCam->CamSphere(dx, dy);

    const bool physicsMode = ActiveCam->usePhysics;
    if (readKey(GLFW_KEY_LEFT_SHIFT) && physicsMode)
        physicsLoader.moveFast = 1;
    if (readKey(GLFW_KEY_W)) {
        if (physicsMode)
            physicsLoader.moveForward = 1;
        else
            ActiveCam->CamMove(16, dTimeDiff);
    }
    if (readKey(GLFW_KEY_S)) {
        if (physicsMode)
            physicsLoader.moveBackward = 1;
        else
            ActiveCam->CamMove(-16, dTimeDiff);
    }
    if (readKey(GLFW_KEY_A)) {
        if (physicsMode)
            physicsLoader.moveLeft = 1;
        else
            ActiveCam->CamStrave(-16, dTimeDiff);
    }
    if (readKey(GLFW_KEY_D)) {
        if (physicsMode)
            physicsLoader.moveRight = 1;
        else
            ActiveCam->CamStrave(16, dTimeDiff);
    }
    if (readKey(GLFW_KEY_L))
        light = ActiveCam->getCameraMatrix();
    if (readKey(GLFW_KEY_SPACE)) {
        if (physicsMode) {
            physicsLoader.moveUp = 1;
            pause_input = 0;
        } else {
            ActiveCam->CamMoveUp(16, dTimeDiff);
        }
    }
    if (readKey(GLFW_KEY_DOWN) && !physicsMode)
        ActiveCam->CamMoveUp(-16, dTimeDiff);
    if (readKey(GLFW_KEY_R))
        ActiveCam->resetCamera();

    if (latched(GLFW_KEY_F2)) {
        std::cout << "FPS: " << renderEngine.fps << std::endl;
    }
    if (latched(GLFW_KEY_F3)) {
        renderEngine.setWireframeMode(renderEngine.wireframeMode == 0 ? 1 : 0);
    }
    if (latched(GLFW_KEY_F7)) {
        renderEngine.setBloomMode(renderEngine.bloomMode == 0 ? 1 : 0);
    }
    if (latched(GLFW_KEY_F9)) {
        renderEngine.setAlphaMode((renderEngine.alphaMode + 1) % 3);
    }
    if (latched(GLFW_KEY_F4)) {
        renderEngine.changeTextureMode();
    }
    if (latched(GLFW_KEY_F10)) {
        renderEngine.setShadowMode((renderEngine.shadowMode + 1) % 3);
    }
    if (latched(GLFW_KEY_F11)) {
#ifdef LULLVANE_PHONG
        renderEngine.setFrustumCullingMode(renderEngine.getFrustumCullingMode() == 0 ? 1 : 0);
        std::cout << " cull: " << renderEngine.getFrustumCullingMode() << std::endl;
#else
        renderEngine.setNormalMappingMode((renderEngine.normalMappingMode + 1) % 2);
        std::cout << " Normal mapping mode: " << renderEngine.normalMappingMode << std::endl;
#endif
    }
    if (latched(GLFW_KEY_F12)) {
        activeCamera = (activeCamera + 1) % 2;
        ActiveCam = activeCamera != 0 ? MainCam : BridgeCam;
    }
    if (latched(GLFW_KEY_P)) {
        printCameraReport();
    }
    if (latched(GLFW_KEY_ENTER)) {
        introSceneActive = false;
        activeScene = activeScene % numScenes + 1;
        physicsLoader.sceneNum = activeScene;
    }
    if (latched(GLFW_KEY_ESCAPE)) {
        if (activeScene == 0) {
            running = false;
        } else {
            if (readKey(GLFW_KEY_LEFT_SHIFT))
                activeScene -= 1;
            else
                activeScene = 0;
            physicsLoader.sceneNum = activeScene;
        }
    }

    ActiveCam->checkCam();
}

void introScene(double time) {
    if (!introSceneActive) {
        renderEngine.setBloomMode(0);
        glClearColor(0.1f, 0.0f, 0.0f, 1.0f);
        applyEnvironment(intro_models, 0, false);
        light = glm::inverse(L0);
        ActiveCam = IntroCam;
        IntroCam->resetCamera();
        IntroCam->update(0.0);
        IntroCam->SetFrom(1.14227f, 4.25833f, -1.05787f);
        IntroCam->SetTo(0.876479f, 3.47505f, -0.495899f);
        renderEngine.setModels(intro_models);
        addPhysicsCharacter = 1;
        SceneActive = 0;
        introSceneActive = true;
        physicsLoader.initPhysics("intro.DAE");
    }
    soundLoader.playSound();
    updateModels(intro_models, time);
    ActiveCam->update(0.0);
    view = ActiveCam->getCameraMatrix();
}

void gameSceneOne(double time) {
    if (SceneActive != 1) {
        renderEngine.setBloomMode(0);
        projectionLight = glm::perspective(glm::radians(80.0f), aspectRatio, 0.001f, 400.0f);
        light = L1;
        ActiveCam->resetCamera();
        addPhysicsCharacter = 1;
        physicsLoader.initPhysics("Ground.DAE");
        applyEnvironment(scene_one_models, 1, false);
        renderEngine.setModels(scene_one_models);
        SceneActive = 1;
        ActiveCam = MainCam;
    }
    soundLoader.playSound();
    runGameFrame(scene_one_models, time);
}

void gameSceneTwo(double time) {
    if (SceneActive != 2) {
        renderEngine.setBloomMode(0);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        projectionLight = glm::perspective(glm::radians(70.0f), 1.0f, 0.001f, 700.0f);
        light = L2;
        ActiveCam->resetCamera();
        addPhysicsCharacter = 1;
        physicsLoader.initPhysics("FirstScene.DAE");
        renderEngine.setModels(scene_two_models);
        applyEnvironment(scene_two_models, 2, false);
        ActiveCam = MainCam;
        if (pDog)
            pDog->updateAnimations(time);
        SceneActive = 2;
    }
    soundLoader.playSound();
    renderEngine.updateAnimations(time);
    if (physicsLoader.dogPersuing()) {
        checkGameLogic();
    } else if (dogActive) {
        dogActive = false;
        if (pDog) {
            pDog->animationActive = false;
            pDog->clearMoves();
        }
    }
    runGameFrame(scene_two_models, time);
}

void gameSceneThree(double time) {
    if (SceneActive != 3) {
        renderEngine.setBloomMode(1);
        projectionLight = glm::perspective(glm::radians(45.0f), 1.0f, 0.001f, 700.0f);
        addPhysicsCharacter = 1;
        physicsLoader.initPhysics("End.DAE");
        renderEngine.setModels(scene_three_models);
#ifdef LULLVANE_PHONG
        applyEnvironment(scene_three_models, 3, false);
#else
        applyEnvironment(scene_three_models, 3, true);
#endif
        ActiveCam = MainCam;
        MainCam->resetCamera();
        SceneActive = 3;
    }
    soundLoader.playSound();
    runGameFrame(scene_three_models, time);
}

void gameSceneFour(double time) {
    if (SceneActive != 4) {
        renderEngine.setBloomMode(1);
        addPhysicsCharacter = 1;
        physicsLoader.initPhysics("Ground.DAE");
        renderEngine.setModels(scene_four_models);
        applyEnvironment(scene_four_models, 4, true);
        ActiveCam = MainCam;
        MainCam->resetCamera();
        SceneActive = 4;
    }
    soundLoader.playSound();
    runGameFrame(scene_four_models, time);
}

void checkGameLogic() {
    if (!pDog)
        return;
    if (!dogActive) {
        pDog->addMove(new PersueMove(ActiveCam->getCameraMatrixPointer(), 1.8f));
        dogActive = true;
        pDog->animationActive = true;
    }
    if (!pDog->hasMoves()) {
        pDog->matrix = dogmatrix;
        dogActive = false;
        pDog->animationActive = false;
        ActiveCam->resetCamera();
    }
}

void startUp() {
    running = true;
    BridgeCam->usePhysics = false;
    IntroCam->usePhysics = false;
    renderEngine.physicsLoader = PhysicsLoader::activeLoader;

    std::cout << "Importing" << std::endl;
    importScene("intro.DAE", intro_models);
    std::cout << "Imported Intro Scene" << std::endl;

    std::vector<GameModel*> dogModels;
    std::vector<GameAsset*> dogAssets;
    SceneAnimator* dogAnimator = importAnimation("hundboese.dae", dogModels, dogAssets);
    pDog = new AnimatedObject("animateddog", dogAnimator, dogModels);
    dogmatrix = pDog->matrix;
    dogmatrix = glm::translate(dogmatrix, dogOrigin);
    dogmatrix = glm::rotate(dogmatrix, glm::radians(90.0f), glm::vec3(-1.0f, 0.0f, 0.0f));
    dogmatrix = glm::scale(dogmatrix, glm::vec3(0.125f, 0.125f, 0.125f));
    pDog->matrix = dogmatrix;
#ifdef LULLVANE_PHONG
    // The loading picture stays up while the remaining scenes load.
    renderEngine.setLoadingTexture("baumtextur.bmp");
    renderEngine.drawLoadingTexture();
    glfwSwapBuffers(renderEngine.getWindow());
#endif
    animations.push_back(pDog);
    std::cout << "Imported Animations" << std::endl;

    std::vector<GameModel*> zimmerModels, firstSceneModels, endModels, wheatfieldModels;
    importScene("Zimmer.dae", zimmerModels);
    std::cout << "Imported first Scene" << std::endl;
    importScene("FirstScene.DAE", firstSceneModels);
    std::cout << "Imported second Scene" << std::endl;
    importScene("End.DAE", endModels);
    std::cout << "Imported third Scene" << std::endl;
    importScene("Wheatfield.DAE", wheatfieldModels);
    std::cout << "Loading did not fail" << std::endl;

    soundLoader.activateSound("vampire_theme.wav");

    physicsLoader.initPhysics("Intro.DAE");
    std::cout << "Loaded Intro Physics" << std::endl;

    scene_one_models = zimmerModels;
    scene_two_models = firstSceneModels;
    scene_two_models.insert(scene_two_models.end(), dogModels.begin(), dogModels.end());
    scene_three_models = endModels;
    scene_four_models = wheatfieldModels;

    renderEngine.projection = projection;
    renderEngine.setAnimations(animations);

    // The disabled cursor may have travelled while the window gained focus
    // during loading; the first frame must see no mouse movement.
    glfwPollEvents();
    glfwSetCursorPos(renderEngine.getWindow(), 0, 0);
    iMouseXprev = 0;
    iMouseYprev = 0;
    BridgeCam->SetFrom(-2.86f, 13.04f, -23.29f);
    BridgeCam->SetTo(-22.04f, -0.04f, -24.48f);
    BridgeCam->update(0.0);
    IntroCam->update(0.0);
    MainCam->update(0.0);

    activeScene = 0;
    dTimeDiff = 0;
    std::cout << "Setting up complete, entering main loop" << std::endl;
}

void runFrame(double& previousTime) {
    double t = glfwGetTime();
    dTimeDiff = t - previousTime;
    previousTime = t;
    renderEngine.updateTime(dTimeDiff);
    getInput(dTimeDiff);
    switch (activeScene) {
    case 0:
        introScene(t);
        break;
    case 1:
        gameSceneOne(t);
        break;
    case 2:
        gameSceneTwo(t);
        break;
    case 3:
        gameSceneThree(t);
        break;
    case 4:
        gameSceneFour(t);
        break;
    default:
        break;
    }
    activeScene = physicsLoader.getSceneNum();
    renderEngine.draw(view, projection, light, projectionLight);
    if (addPhysicsCharacter != 0) {
        physicsLoader.addCharacter();
        addPhysicsCharacter = 0;
    }
    if (SceneActive == 3) {
        const glm::vec4& c = physicsLoader.clearColor;
        glClearColor(c.r, c.g, c.b, c.a);
    }
    glfwSwapBuffers(renderEngine.getWindow());
#ifdef LULLVANE_MEASURE
    static bool firstSwap = true;
    if (firstSwap) {
        firstSwap = false;
        std::cout << "First frame swapped at " << glfwGetTime() << " s" << std::endl;
    }
#endif
    glfwPollEvents();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RenderEngine::checkForErrors();
    running = running && !glfwWindowShouldClose(renderEngine.getWindow());
}

void shutDown() {
    renderEngine.models.clear();
    animations.clear();
    renderEngine.setAnimations(animations);
    if (pDog != nullptr) {
        delete pDog->animator;
        delete pDog;
        pDog = nullptr;
    }
    for (std::vector<GameModel*>* list :
         {&intro_models, &scene_one_models, &scene_two_models, &scene_three_models, &scene_four_models})
        deleteModels(*list);
    releaseImportedAssets();
    soundLoader.shutdown();
    delete MainCam;
    MainCam = nullptr;
    delete BridgeCam;
    BridgeCam = nullptr;
    delete IntroCam;
    IntroCam = nullptr;
    ActiveCam = nullptr;
    glfwTerminate();
}
