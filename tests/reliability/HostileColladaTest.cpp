#include "physics/ColladaConverter.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::string fixture(const std::string& name) {
    return std::string(LULLVANE_TEST_DIR) + "/fixtures/" + name;
}

// The converter leaves the world before the world goes.
struct World {
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &configuration};
    std::unique_ptr<ColladaConverter> converter{new ColladaConverter(&world)};
    std::string output;
    bool loaded = false;

    ~World() { converter.reset(); }

    void load(const std::string& path) {
        CaptureOutput capture;
        loaded = converter->load(path.c_str());
        output = capture.finish();
    }

    int bodiesNamed(const std::string& name) {
        int count = 0;
        for (int i = 0; i < world.getNumCollisionObjects(); ++i) {
            const char* bodyName =
                converter->getName(btRigidBody::upcast(world.getCollisionObjectArray()[i]));
            if (bodyName != nullptr && name == bodyName)
                ++count;
        }
        return count;
    }

    btRigidBody* body(const std::string& name) {
        for (int i = 0; i < world.getNumCollisionObjects(); ++i) {
            btRigidBody* candidate = btRigidBody::upcast(world.getCollisionObjectArray()[i]);
            const char* bodyName = converter->getName(candidate);
            if (bodyName != nullptr && name == bodyName)
                return candidate;
        }
        return nullptr;
    }

    // Every object still stands somewhere finite after a second of play.
    void expectFiniteAfterSteps() {
        for (int i = 0; i < 60; ++i)
            world.stepSimulation(1.0f / 60.0f);
        for (int i = 0; i < world.getNumCollisionObjects(); ++i) {
            const btVector3& origin = world.getCollisionObjectArray()[i]->getWorldTransform().getOrigin();
            EXPECT_TRUE(std::isfinite(origin.x()) && std::isfinite(origin.y()) && std::isfinite(origin.z()))
                << "object " << i;
        }
    }
};

class HostileDocument : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scene = new World;
        scene->load(fixture("hostile.dae"));
    }
    static void TearDownTestSuite() {
        delete scene;
        scene = nullptr;
    }
    static World* scene;
};
World* HostileDocument::scene = nullptr;

TEST_F(HostileDocument, LoadsAndKeepsOnlyTheUsableBodies) {
    ASSERT_TRUE(scene->loaded) << scene->output;
    struct Expected {
        const char* node;
        int bodies;
    };
    const Expected table[] = {
        {"ShortArrayNode", 1},        // the triangle inside the numbers that are there
        {"NegativeCountsNode", 0},    // its offset reads as huge: the triangles are skipped
        {"DanglingPositionsNode", 0}, // POSITION names no source
        {"DanglingHullNode", 0},      // hull of a geometry that does not exist
        {"PointsOnlyNode", 1},        // the one whole finite point triple
        {"SharedNodeA", 2},           // named by two instances of the same body
        {"SharedNodeB", 1},           {"HugeBoxNode", 1},
    };
    for (const Expected& e : table)
        EXPECT_EQ(scene->bodiesNamed(e.node), e.bodies) << e.node;
}

TEST_F(HostileDocument, EveryBadElementIsReported) {
    for (const char* message : {
             "Skipped 1 triangles whose corners lie past their positions or are not finite\n",
             "Skipping POSITION input: its source #NoSuchSource is not a float array\n",
             "Skipping <triangles>: input offset 18446744073709551615 runs past its 3 indices\n",
             "Skipping triangle <mesh> without usable triangles\n",
             "Ignoring <mass> 1e+38: larger than 1e+30\n",
             "Skipping <plane> with a zero-length normal\n",
             "Skipping <rotate> about a zero-length axis\n",
             "Skipping <rotate>: it holds a number that is not finite\n",
             "invalid scale\n",
             "Error: Cannot find Rigidbodies(#NoSuchBody,#NorThisOne) for constraint dangling\n",
         })
        EXPECT_NE(scene->output.find(message), std::string::npos) << message;
}

TEST_F(HostileDocument, ABodyNamedTwiceGetsTwoBodiesOfItsOwn) {
    btRigidBody* b = scene->body("SharedNodeB");
    ASSERT_NE(b, nullptr);
    EXPECT_NEAR(b->getWorldTransform().getOrigin().y(), -5.0f, 1e-5f);
    int atA = 0;
    for (int i = 0; i < scene->world.getNumCollisionObjects(); ++i) {
        btRigidBody* candidate = btRigidBody::upcast(scene->world.getCollisionObjectArray()[i]);
        const char* name = scene->converter->getName(candidate);
        if (name == nullptr || std::string(name) != "SharedNodeA")
            continue;
        ++atA;
        EXPECT_NE(candidate, b);
        EXPECT_FLOAT_EQ(candidate->getInvMass(), 0.5f);
    }
    EXPECT_EQ(atA, 2);
}

TEST_F(HostileDocument, TheWorldStaysFiniteWhenItRuns) {
    scene->expectFiniteAfterSteps();
}

// Writes a document whose only body is placed by a node at the bottom of a
// chain of nested nodes.
std::string writeNested(int depth) {
    char path[] = "/tmp/lullvane-nested-XXXXXX";
    int fd = mkstemp(path);
    close(fd);
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\"><asset/>"
           "<library_physics_models><physics_model id=\"M\"><rigid_body sid=\"b\"><technique_common>"
           "<dynamic>false</dynamic><shape><box><half_extents>1 1 1</half_extents></box></shape>"
           "</technique_common></rigid_body></physics_model></library_physics_models>"
           "<library_physics_scenes><physics_scene id=\"S\"><instance_physics_model url=\"#M\">"
           "<instance_rigid_body body=\"b\" target=\"#Deepest\"/></instance_physics_model></physics_scene>"
           "</library_physics_scenes><library_visual_scenes><visual_scene id=\"V\">";
    for (int i = 0; i < depth; ++i)
        out << "<node id=\"" << (i + 1 == depth ? std::string("Deepest") : "n" + std::to_string(i)) << "\">";
    for (int i = 0; i < depth; ++i)
        out << "</node>";
    out << "</visual_scene></library_visual_scenes></COLLADA>\n";
    return path;
}

TEST(NestedNodes, ShallowChainsPlaceTheBodyAndDeepOnesAreRefusedWithAMessage) {
    struct Case {
        int depth;
        bool placed;
    };
    // The XML reader refuses documents nested deeper than it allows instead of
    // recursing into them.
    for (const Case& c : {Case{50, true}, Case{100000, false}}) {
        std::string path = writeNested(c.depth);
        World scene;
        scene.load(path);
        std::remove(path.c_str());
        EXPECT_EQ(scene.bodiesNamed("Deepest"), c.placed ? 1 : 0) << c.depth;
        if (!c.placed) {
            EXPECT_FALSE(scene.loaded) << c.depth;
            EXPECT_NE(scene.output.find("DAE/Collada-m_dom: Couldn't load "), std::string::npos) << c.depth;
        }
    }
}

// The COLLADA reader spins for ever on this document (an unclosed element and
// stray ampersands); it must be refused before the reader sees it.
TEST(NotWellFormed, IsRefusedWithTheLoadMessage) {
    World scene;
    scene.load(fixture("unclosed.dae"));
    EXPECT_FALSE(scene.loaded);
    EXPECT_NE(scene.output.find("DAE/Collada-m_dom: Couldn't load "), std::string::npos) << scene.output;
    EXPECT_EQ(scene.world.getNumCollisionObjects(), 0);
}

} // namespace
