#pragma once

#include "physics/ColladaConverter.h"

#include <btBulletDynamicsCommon.h>

#include <memory>
#include <string>

inline std::string fixture(const std::string& name) {
    return std::string(LULLVANE_TEST_DIR) + "/fixtures/" + name;
}

// A bare Bullet world with a converter on it; the converter goes first because
// it takes its bodies out of the world.
struct TestWorld {
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &configuration};
    std::unique_ptr<ColladaConverter> converter{new ColladaConverter(&world)};

    ~TestWorld() { converter.reset(); }

    btRigidBody* body(const std::string& name) {
        btRigidBody* found = nullptr;
        for (int i = 0; i < world.getNumCollisionObjects(); ++i) {
            btRigidBody* candidate = btRigidBody::upcast(world.getCollisionObjectArray()[i]);
            const char* bodyName = converter->getName(candidate);
            if (bodyName != nullptr && name == bodyName)
                found = candidate;
        }
        return found;
    }
};
