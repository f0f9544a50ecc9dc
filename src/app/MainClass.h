#pragma once

#include <glm/glm.hpp>

#include <vector>

#include "physics/PhysicsLoader.h"
#include "render/RenderEngine.h"
#include "sound/SoundLoader.h"

class AnimatedObject;
class Camera;
class GameModel;

// The game's state. The globals are constructed before main in the order
// below: renderEngine first, since its constructor opens the window that
// aspectRatio, the cameras and the projection are computed from.
extern RenderEngine renderEngine;
extern float aspectRatio;
extern glm::vec3 dogOrigin;
extern std::vector<GameModel*> scene_two_models;
extern std::vector<GameModel*> scene_one_models;
extern std::vector<GameModel*> scene_three_models;
extern std::vector<GameModel*> scene_four_models;
extern std::vector<GameModel*> intro_models;
extern std::vector<AnimatedObject*> animations;
extern glm::mat4 dogmatrix;
extern Camera* MainCam;
extern Camera* BridgeCam;
extern Camera* IntroCam;
extern Camera* ActiveCam;
extern glm::mat4 view;
extern glm::mat4 projection;
extern glm::mat4 projectionLight;
extern glm::mat4 light;
extern PhysicsLoader physicsLoader;

extern SoundLoader soundLoader;
extern AnimatedObject* pDog;
extern int activeScene;
extern int SceneActive;
extern bool introSceneActive;
extern bool dogActive;
extern bool running;
extern double dTimeDiff;
extern int addPhysicsCharacter;
extern int numScenes;
extern double input_wait;
extern double pause_input;
extern int activeCamera;
extern int iMouseX, iMouseY, iMouseXprev, iMouseYprev;

// Where getInput reads the keyboard and the mouse. The game reads the window
// through GLFW; tests put their own readers here.
using KeyReader = bool (*)(int glfwKey);
using CursorReader = void (*)(int* x, int* y);
extern KeyReader readKey;
extern CursorReader readCursor;

// dt: seconds since the last frame. Called once per frame before the scene script.
void getInput(double dt);

// time: the frame's clock time in seconds.
void introScene(double time);
void gameSceneOne(double time);
void gameSceneTwo(double time);
void gameSceneThree(double time);
void gameSceneFour(double time);
void checkGameLogic();

// The three stages of main: loading everything, one frame of the loop (with
// the clock time of the previous frame, updated here), and the shutdown.
void startUp();
void runFrame(double& previousTime);
void shutDown();
