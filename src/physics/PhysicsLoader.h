#pragma once

#include <btBulletDynamicsCommon.h>
#include <glm/glm.hpp>

#include <map>
#include <string>
#include <vector>

class btGhostPairCallback;
class btKinematicCharacterController;
class btPairCachingGhostObject;
class ColladaConverter;
class GameModel;

// The Bullet world of the scene being played, the player's sphere-shaped
// character, and the game rules decided by what the character touches.
// The world's up axis is +Y; positions are scene units as the files give them.
// Models in gameModelMap are owned by the scene lists, not by the loader.
class PhysicsLoader {
public:
    PhysicsLoader();
    // Releases the current world with everything built for it.
    virtual ~PhysicsLoader();
    PhysicsLoader(const PhysicsLoader&) = delete;
    PhysicsLoader& operator=(const PhysicsLoader&) = delete;

    // Releases the previous world and everything built for it, then builds a
    // new world from file and a new character that is not yet in the world.
    void initPhysics(char const* file);
    // Puts the character into the world (once per world) and warps it to the
    // scene's start position.
    void addCharacter();
    // Turns the walking flags into the controller's walk direction and clears
    // them; does nothing before the first world exists.
    void moveCharacter();
    // dt in seconds; runs the fall test and the game rules after stepping.
    void makeSimulationStep(float const& dt);
    void resetScene();
    btVector3 getGhostPosition();
    // Column-major OpenGL layout; identity for an index that is not a rigid
    // body of the current world.
    glm::mat4 getRigidTransform(int id);
    int getPhysicsId(char const* name);
    // True when id names a rigid body of the current world.
    bool isRigidBody(int id);
    void setGameModelMap(std::vector<GameModel*>& models);
    GameModel* getGameModel(std::string name);
    std::vector<GameModel*> getCulledFrustumObjects();
    int getSceneNum() const { return sceneNum; }
    bool dogPersuing() const { return persuing; }
    void checkVictoryConditions();
    void checkGameFinish();

    static PhysicsLoader* activeLoader;

    btDiscreteDynamicsWorld* dynamicsWorld = nullptr;
    ColladaConverter* colladaConverter = nullptr;
    std::map<std::string, GameModel*> gameModelMap;
    btKinematicCharacterController* characterController = nullptr;
    bool ballFound = false;
    bool carFound = false;
    bool dogFound = false;
    bool teddyFound = false;
    GameModel* foundModel = nullptr;
    int sceneNum = 0;
    bool persuing = false;
    int moveForward = 0;
    int moveBackward = 0;
    int moveLeft = 0;
    int moveRight = 0;
    int moveUp = 0;
    int moveFast = 0;
    btPairCachingGhostObject* ghostObject = nullptr;
    glm::vec4 clearColor{0.0f, 0.0f, 0.0f, 0.0f};
    glm::mat3 viewRotation{1.0f};

private:
    void releaseWorld();
    void warpToStart();
    void placeBodies(const char* name, const char* secondName, btVector3 const& origin);

    btBroadphaseInterface* broadphase = nullptr;
    btDefaultCollisionConfiguration* collisionConfiguration = nullptr;
    btCollisionDispatcher* dispatcher = nullptr;
    btSequentialImpulseConstraintSolver* solver = nullptr;
    btSphereShape* characterShape = nullptr;
    btGhostPairCallback* ghostPairCallback = nullptr;
    bool characterAdded = false;
};
