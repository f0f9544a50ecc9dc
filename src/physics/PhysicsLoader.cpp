#include "physics/PhysicsLoader.h"

#include "physics/ColladaConverter.h"
#include "scene/GameModel.h"

#include <BulletCollision/CollisionDispatch/btGhostObject.h>
#include <BulletDynamics/Character/btKinematicCharacterController.h>
#include <dae/daeUtils.h>

#include <cstdio>
#include <cstring>

PhysicsLoader* PhysicsLoader::activeLoader = nullptr;

namespace {

const btScalar substep = 1.0f / 60.0f;
const int maxSubsteps = 10;
const btScalar runFactor = 1.0f / 15.0f;
const btScalar walkFactor = 1.0f / 150.0f;
const btScalar upwardPush = 0.2f;
const btScalar walkScale = 4.4f;
const btScalar characterRadius = 0.175f;
const btScalar characterStepHeight = 0.35f;

const btVector3 bridgeOrigin(-9.205f, -0.887f, -8.068f);
const btVector3 finishOrigin(78.0f, -8.8f, 70.0f);

bool named(const char* name, const char* wanted) {
    return std::strcmp(name, wanted) == 0;
}

// "Sphere", "Sphere.001", "Spheres": six leading letters taken from the word.
bool sendsBack(const char* name) {
    return named(name, "hund") || std::strspn(name, "Sphere") == 6;
}

btVector3 unitOrZero(btVector3 const& v) {
    btScalar length = v.length();
    return length > SIMD_EPSILON ? v / length : btVector3(0, 0, 0);
}

struct Find {
    const char* name;
    bool PhysicsLoader::*flag;
    glm::vec4 mistColor;
    float mistLevel;
};

const Find finds[] = {
    {"Ball", &PhysicsLoader::ballFound, glm::vec4(1.2f, 1.65f, 2.15f, 1.0f), -7.0f},
    {"Car", &PhysicsLoader::carFound, glm::vec4(2.35f, 1.45f, 1.2f, 1.0f), -3.0f},
    {"Dog", &PhysicsLoader::dogFound, glm::vec4(1.2f, 2.35f, 1.45f, 1.0f), -7.0f},
    {"Teddy", &PhysicsLoader::teddyFound, glm::vec4(1.7f, 1.65f, 1.85f, 1.0f), -7.0f},
};

} // namespace

PhysicsLoader::PhysicsLoader() {
    activeLoader = this;
    // Bullet's fixed body, the partner of one-body constraints, is a
    // function-local static. Creating it now makes it outlive a loader of
    // static storage, whose destructor still detaches constraints from it.
    btTypedConstraint::getFixedBody();
    // The same holds for the temporary-folder names that COLLADA DOM keeps in
    // function-local statics and reads again when a document is released.
    cdom::getSystemTmpDir();
    cdom::getSafeTmpDir();
}

PhysicsLoader::~PhysicsLoader() {
    releaseWorld();
    if (activeLoader == this)
        activeLoader = nullptr;
}

void PhysicsLoader::releaseWorld() {
    if (dynamicsWorld != nullptr && characterAdded) {
        dynamicsWorld->removeAction(characterController);
        dynamicsWorld->removeCollisionObject(ghostObject);
    }
    characterAdded = false;
    // The converter takes its bodies and constraints out of the world, so it
    // goes before the world does.
    delete colladaConverter;
    colladaConverter = nullptr;
    delete characterController;
    characterController = nullptr;
    delete ghostObject;
    ghostObject = nullptr;
    delete characterShape;
    characterShape = nullptr;
    delete dynamicsWorld;
    dynamicsWorld = nullptr;
    delete solver;
    solver = nullptr;
    delete broadphase;
    broadphase = nullptr;
    delete dispatcher;
    dispatcher = nullptr;
    delete collisionConfiguration;
    collisionConfiguration = nullptr;
    delete ghostPairCallback;
    ghostPairCallback = nullptr;
}

void PhysicsLoader::initPhysics(char const* file) {
    releaseWorld();

    broadphase = new btDbvtBroadphase(nullptr);
    btDefaultCollisionConstructionInfo info;
    collisionConfiguration = new btDefaultCollisionConfiguration(info);
    dispatcher = new btCollisionDispatcher(collisionConfiguration);
    solver = new btSequentialImpulseConstraintSolver();
    dynamicsWorld = new btDiscreteDynamicsWorld(dispatcher, broadphase, solver, collisionConfiguration);

    colladaConverter = new ColladaConverter(dynamicsWorld);
    if (!colladaConverter->load(file))
        printf("Loading file to collada converter failed.");

    dynamicsWorld->setGravity(btVector3(0, -0.981f, 0));
    clearColor = glm::vec4(0.1f, 0.1f, 0.15f, 1.0f);

    characterShape = new btSphereShape(characterRadius);
    ghostObject = new btPairCachingGhostObject();
    btTransform start;
    start.setIdentity();
    start.setOrigin(btVector3(0, 30, 0));
    ghostObject->setWorldTransform(start);
    ghostObject->setCollisionShape(characterShape);
    ghostObject->setCollisionFlags(btCollisionObject::CF_CHARACTER_OBJECT);
    ghostPairCallback = new btGhostPairCallback();
    broadphase->getOverlappingPairCache()->setInternalGhostPairCallback(ghostPairCallback);
    characterController = new btKinematicCharacterController(ghostObject, characterShape, characterStepHeight,
                                                             btVector3(0, 1, 0));

    printf("%i physics models\n", dynamicsWorld->getNumCollisionObjects());
}

void PhysicsLoader::addCharacter() {
    if (dynamicsWorld == nullptr)
        return;
    // A second call must not put the same ghost into the world twice.
    if (!characterAdded) {
        dynamicsWorld->addCollisionObject(ghostObject, btBroadphaseProxy::CharacterFilter,
                                          btBroadphaseProxy::StaticFilter | btBroadphaseProxy::DefaultFilter);
        dynamicsWorld->addAction(characterController);
        characterAdded = true;
    }
    warpToStart();
}

void PhysicsLoader::warpToStart() {
    if (characterController == nullptr)
        return;
    if (sceneNum == 2)
        characterController->warp(btVector3(0, 0, 10));
    if (sceneNum == 3)
        characterController->warp(btVector3(0, 0, 0));
    if (sceneNum == 4)
        characterController->warp(btVector3(6.79402f, 5, -17.5614f));
}

void PhysicsLoader::resetScene() {
    warpToStart();
}

void PhysicsLoader::moveCharacter() {
    if (dynamicsWorld == nullptr || characterController == nullptr)
        return;
    const glm::mat3& m = viewRotation;
    btTransform& transform = ghostObject->getWorldTransform();
    transform.getBasis().setValue(m[0].x, m[0].y, -m[0].z, m[1].x, m[1].y, -m[1].z, m[2].x, m[2].y, -m[2].z);

    const btMatrix3x3& basis = transform.getBasis();
    const btVector3 forward = unitOrZero(basis.getRow(2));
    const btVector3 side = unitOrZero(basis.getRow(0));

    btVector3 walk(0, 0, 0);
    if (moveForward)
        walk += forward * (moveFast ? runFactor : walkFactor);
    if (moveBackward)
        walk -= forward * walkFactor;
    if (moveLeft)
        walk -= side * walkFactor;
    if (moveRight)
        walk += side * walkFactor;
    if (moveUp)
        walk += btVector3(0, upwardPush, 0);
    characterController->setWalkDirection(walk * walkScale);

    moveForward = moveBackward = moveLeft = moveRight = moveUp = moveFast = 0;
}

void PhysicsLoader::makeSimulationStep(float const& dt) {
    if (dynamicsWorld == nullptr)
        return;
    dynamicsWorld->stepSimulation(dt, maxSubsteps, substep);

    // Normally the last object is the character; right after a new world is
    // built it is the last body of the file, and a file may hold none.
    const int count = dynamicsWorld->getNumCollisionObjects();
    if (count > 0) {
        const btScalar y =
            dynamicsWorld->getCollisionObjectArray()[count - 1]->getWorldTransform().getOrigin().y();
        const btScalar limit = sceneNum == 3 ? -25.0f : -3.0f;
        if (y < limit)
            warpToStart();
    }
    persuing = false;
    checkVictoryConditions();
}

btVector3 PhysicsLoader::getGhostPosition() {
    if (ghostObject == nullptr)
        return btVector3(0, 0, 0);
    const btVector3& origin = ghostObject->getWorldTransform().getOrigin();
    return btVector3(origin.x(), origin.y(), origin.z());
}

bool PhysicsLoader::isRigidBody(int id) {
    if (dynamicsWorld == nullptr || id < 0 || id >= dynamicsWorld->getNumCollisionObjects())
        return false;
    return btRigidBody::upcast(dynamicsWorld->getCollisionObjectArray()[id]) != nullptr;
}

glm::mat4 PhysicsLoader::getRigidTransform(int id) {
    if (!isRigidBody(id))
        return glm::mat4(1.0f);
    btRigidBody* body = btRigidBody::upcast(dynamicsWorld->getCollisionObjectArray()[id]);
    btTransform transform = body->getWorldTransform();
    if (body->getMotionState() != nullptr)
        body->getMotionState()->getWorldTransform(transform);
    const btMatrix3x3& basis = transform.getBasis();
    const btVector3& origin = transform.getOrigin();
    glm::mat4 result(1.0f);
    for (int column = 0; column < 3; ++column)
        result[column] = glm::vec4(basis[0][column], basis[1][column], basis[2][column], 0.0f);
    result[3] = glm::vec4(origin.x(), origin.y(), origin.z(), 1.0f);
    return result;
}

int PhysicsLoader::getPhysicsId(char const* name) {
    if (dynamicsWorld == nullptr || colladaConverter == nullptr || name == nullptr)
        return -1;
    for (int i = 0; i < dynamicsWorld->getNumCollisionObjects(); ++i) {
        btRigidBody* body = btRigidBody::upcast(dynamicsWorld->getCollisionObjectArray()[i]);
        if (body == nullptr)
            continue;
        const char* bodyName = colladaConverter->getName(body);
        if (bodyName != nullptr && named(bodyName, name))
            return i;
    }
    return -1;
}

void PhysicsLoader::setGameModelMap(std::vector<GameModel*>& models) {
    gameModelMap.clear();
    if (dynamicsWorld == nullptr || colladaConverter == nullptr)
        return;
    for (int i = 0; i < dynamicsWorld->getNumCollisionObjects(); ++i) {
        btRigidBody* body = btRigidBody::upcast(dynamicsWorld->getCollisionObjectArray()[i]);
        if (body == nullptr)
            continue;
        const char* bodyName = colladaConverter->getName(body);
        if (bodyName == nullptr)
            continue;
        for (GameModel* model : models)
            if (model != nullptr && model->getId() == bodyName)
                gameModelMap[bodyName] = model;
    }
}

GameModel* PhysicsLoader::getGameModel(std::string name) {
    auto found = gameModelMap.find(name);
    return found == gameModelMap.end() ? nullptr : found->second;
}

std::vector<GameModel*> PhysicsLoader::getCulledFrustumObjects() {
    return std::vector<GameModel*>();
}

void PhysicsLoader::placeBodies(const char* name, const char* secondName, btVector3 const& origin) {
    btTransform placement;
    placement.setIdentity();
    placement.setOrigin(origin);
    for (int i = 0; i < dynamicsWorld->getNumCollisionObjects(); ++i) {
        btRigidBody* body = btRigidBody::upcast(dynamicsWorld->getCollisionObjectArray()[i]);
        // The character's ghost is the last object of the world.
        if (body == nullptr)
            return;
        const char* bodyName = colladaConverter->getName(body);
        if (bodyName == nullptr)
            continue;
        if (!named(bodyName, name) && !(secondName != nullptr && named(bodyName, secondName)))
            continue;
        // The bridge is placed again in every step the trigger is touched, so
        // the body's own motion state is moved rather than replaced: nothing
        // is allocated per frame, and the converter releases the state with
        // the body.
        btMotionState* state = body->getMotionState();
        if (state == nullptr) {
            body->setMotionState(new btDefaultMotionState(placement));
        } else {
            state->setWorldTransform(placement);
            body->setMotionState(state);
        }
    }
}

void PhysicsLoader::checkVictoryConditions() {
    if (dynamicsWorld == nullptr || colladaConverter == nullptr || ghostObject == nullptr)
        return;
    // The floor alone is always touched.
    const int count = ghostObject->getNumOverlappingObjects();
    if (count <= 1)
        return;
    for (int i = 0; i < count && i < ghostObject->getNumOverlappingObjects(); ++i) {
        btRigidBody* body = btRigidBody::upcast(ghostObject->getOverlappingObject(i));
        if (body == nullptr)
            continue;
        const char* name = colladaConverter->getName(body);
        if (name == nullptr)
            continue;

        const Find* find = nullptr;
        for (const Find& candidate : finds)
            if (!(this->*candidate.flag) && named(name, candidate.name))
                find = &candidate;
        if (find != nullptr) {
            printf("%s found!\n", name);
            foundModel = getGameModel(name);
            if (foundModel != nullptr) {
                for (auto& entry : gameModelMap) {
                    if (entry.second == nullptr)
                        continue;
                    entry.second->mistColor = find->mistColor;
                    entry.second->mistLevel = find->mistLevel;
                }
            }
            this->*find->flag = true;
            checkGameFinish();
        } else if (sendsBack(name)) {
            warpToStart();
        } else if (named(name, "DogTrigger")) {
            persuing = true;
        } else if (named(name, "FirstTeddy")) {
            placeBodies("Bridge", nullptr, bridgeOrigin);
            return;
        } else if (named(name, "Door")) {
            sceneNum = 3;
        } else if (named(name, "Door2")) {
            sceneNum = 4;
        } else if (named(name, "Door3")) {
            sceneNum = 1;
        }
    }
}

void PhysicsLoader::checkGameFinish() {
    if (!(ballFound && carFound && dogFound && teddyFound))
        return;
    clearColor = glm::vec4(1.0f, 1.0f, 1.0f, 1.0f);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    for (auto& entry : gameModelMap) {
        GameModel* model = entry.second;
        if (model == nullptr)
            continue;
        model->fogColor = glm::vec4(1.0f, 1.0f, 1.0f, 1.0f);
        model->mistColor = glm::vec4(1.5f, 2.0f, 3.0f, 1.0f);
        model->mistLevel = -11.0f;
        // Without a model for the last find there is no density to start from.
        if (foundModel != nullptr)
            model->fogDensity = float(double(foundModel->fogDensity) - 0.009);
    }
    if (dynamicsWorld != nullptr && colladaConverter != nullptr)
        placeBodies("Doorframe2", "Door2", finishOrigin);
}
