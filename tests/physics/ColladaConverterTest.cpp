#include "PhysicsTestWorld.h"

#include "CaptureOutput.h"

#include <BulletCollision/Gimpact/btGImpactShape.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int occurrences(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

void expectVector(const btVector3& actual, const btVector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.z(), expected.z(), tolerance);
}

struct Loaded : TestWorld {
    std::string output;
    bool loaded = false;

    explicit Loaded(const std::string& name, int verbosity = 2) {
        converter->verbosity = verbosity;
        CaptureOutput capture;
        loaded = converter->load(fixture(name).c_str());
        output = capture.finish();
    }
};

// --- Shapes -------------------------------------------------------------

class Shapes : public ::testing::Test {
protected:
    static void SetUpTestSuite() { scene = new Loaded("shapes.dae"); }
    static void TearDownTestSuite() {
        delete scene;
        scene = nullptr;
    }
    static Loaded* scene;
};
Loaded* Shapes::scene = nullptr;

struct ShapeCase {
    const char* node;
    int shapeType;
    bool isStatic;
};

TEST_F(Shapes, EachBodyGetsTheShapeItsRigidBodyDescribes) {
    const ShapeCase cases[] = {
        {"PlainBox", BOX_SHAPE_PROXYTYPE, false},
        {"MovedBox", COMPOUND_SHAPE_PROXYTYPE, false},
        {"TwoShapes", COMPOUND_SHAPE_PROXYTYPE, false},
        {"Cylinder", CYLINDER_SHAPE_PROXYTYPE, false},
        {"Ball", SPHERE_SHAPE_PROXYTYPE, false},
        {"Ground", STATIC_PLANE_PROXYTYPE, true},
        {"StaticMesh", TRIANGLE_MESH_SHAPE_PROXYTYPE, true},
        {"MovingMesh", GIMPACT_SHAPE_PROXYTYPE, false},
        {"KinematicMesh", TRIANGLE_MESH_SHAPE_PROXYTYPE, true},
        {"KinematicBox", BOX_SHAPE_PROXYTYPE, true},
        {"Cloud", CONVEX_HULL_SHAPE_PROXYTYPE, false},
        {"HullOfQuad", CONVEX_HULL_SHAPE_PROXYTYPE, false},
        {"OwnHull", CONVEX_HULL_SHAPE_PROXYTYPE, false},
    };
    ASSERT_TRUE(scene->loaded);
    EXPECT_EQ(scene->world.getNumCollisionObjects(), int(sizeof(cases) / sizeof(cases[0])));
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.node);
        btRigidBody* body = scene->body(c.node);
        ASSERT_NE(body, nullptr);
        EXPECT_EQ(body->getCollisionShape()->getShapeType(), c.shapeType);
        EXPECT_EQ(body->isStaticObject(), c.isStatic);
    }
}

TEST_F(Shapes, DimensionsAreTakenAsWrittenAndTheUnitIsOnlyPrinted) {
    auto* box = static_cast<btBoxShape*>(scene->body("PlainBox")->getCollisionShape());
    expectVector(box->getHalfExtentsWithMargin(), btVector3(1, 2, 3));
    EXPECT_NE(scene->output.find("asset unit meter=0.500000\n"), std::string::npos);

    // The height is the half extent along Y; the second radius is unused.
    auto* cylinder = static_cast<btCylinderShape*>(scene->body("Cylinder")->getCollisionShape());
    expectVector(cylinder->getHalfExtentsWithMargin(), btVector3(0.5f, 2, 0.5f));

    auto* ball = static_cast<btSphereShape*>(scene->body("Ball")->getCollisionShape());
    EXPECT_FLOAT_EQ(ball->getRadius(), 0.75f);

    auto* plane = static_cast<btStaticPlaneShape*>(scene->body("Ground")->getCollisionShape());
    expectVector(plane->getPlaneNormal(), btVector3(0, 1, 0));
    EXPECT_FLOAT_EQ(plane->getPlaneConstant(), -2.0f);
}

TEST_F(Shapes, ShapeTransformsAndSeveralShapesMakeACompound) {
    auto* moved = static_cast<btCompoundShape*>(scene->body("MovedBox")->getCollisionShape());
    ASSERT_EQ(moved->getNumChildShapes(), 1);
    EXPECT_EQ(moved->getChildShape(0)->getShapeType(), BOX_SHAPE_PROXYTYPE);
    expectVector(moved->getChildTransform(0).getOrigin(), btVector3(0, 4, 0));

    auto* two = static_cast<btCompoundShape*>(scene->body("TwoShapes")->getCollisionShape());
    ASSERT_EQ(two->getNumChildShapes(), 2);
    EXPECT_EQ(two->getChildShape(0)->getShapeType(), BOX_SHAPE_PROXYTYPE);
    EXPECT_EQ(two->getChildShape(1)->getShapeType(), SPHERE_SHAPE_PROXYTYPE);
    expectVector(two->getChildTransform(1).getOrigin(), btVector3(0, 0, 0));
}

TEST_F(Shapes, TriangleMeshesReadEveryTriangleThroughTheVertexOffset) {
    auto* bvh = static_cast<btBvhTriangleMeshShape*>(scene->body("StaticMesh")->getCollisionShape());
    EXPECT_EQ(bvh->getMeshInterface()->getNumSubParts(), 1);
    btVector3 aabbMin, aabbMax;
    bvh->getAabb(btTransform::getIdentity(), aabbMin, aabbMax);
    expectVector(aabbMin, btVector3(0, 0, 0), 0.05f);
    expectVector(aabbMax, btVector3(1, 0, 1), 0.05f);
    auto* mesh = static_cast<btTriangleMesh*>(bvh->getMeshInterface());
    EXPECT_EQ(mesh->getNumTriangles(), 2);

    auto* gimpact = static_cast<btGImpactMeshShape*>(scene->body("MovingMesh")->getCollisionShape());
    EXPECT_EQ(static_cast<btTriangleMesh*>(gimpact->getMeshInterface())->getNumTriangles(), 2);
    EXPECT_FLOAT_EQ(gimpact->getMargin(), 0.0f);
    EXPECT_NE(scene->output.find("static concave triangle <mesh> added\n"), std::string::npos);
    EXPECT_NE(scene->output.find("moving concave <mesh> added\n"), std::string::npos);
}

TEST_F(Shapes, KinematicBodiesBecomeStaticWithTheirMessage) {
    EXPECT_EQ(occurrences(scene->output,
                          "revert bug in PhysX .dae export -> <kinematic>true</kinematic> means "
                          "<dynamic>false</dynamic>\n"),
              2);
    EXPECT_EQ(scene->body("KinematicMesh")->getInvMass(), 0.0f);
    // The mass 0 of a kinematic body is right for a static one: no warning.
    EXPECT_EQ(scene->output.find("Warning: dynamic rigidbodies needs nonzero mass!"), std::string::npos);
}

TEST_F(Shapes, ConvexHullsTakeWholePointTriplesOnly) {
    auto* cloud = static_cast<btConvexHullShape*>(scene->body("Cloud")->getCollisionShape());
    EXPECT_EQ(cloud->getNumPoints(), 4);
    auto* linked = static_cast<btConvexHullShape*>(scene->body("HullOfQuad")->getCollisionShape());
    EXPECT_EQ(linked->getNumPoints(), 4);
    expectVector(linked->getUnscaledPoints()[2], btVector3(1, 0, 1));
    EXPECT_NE(scene->output.find("otherLinked\n"), std::string::npos);
    EXPECT_NE(scene->output.find("created convexHullShape with 4 points\n"), std::string::npos);
    // Without convex_hull_of a convex mesh is the hull of its own points.
    EXPECT_EQ(static_cast<btConvexHullShape*>(scene->body("OwnHull")->getCollisionShape())->getNumPoints(),
              5);
    EXPECT_NE(scene->output.find("created convexHullShape with 5 points\n"), std::string::npos);
    // A mesh or convex mesh with no points makes no body.
    EXPECT_EQ(scene->body("Nothing"), nullptr);
    EXPECT_EQ(occurrences(scene->output, "no vertices found for convex hull\n"), 1);
    EXPECT_EQ(scene->body("EmptyHull"), nullptr);
    EXPECT_NE(scene->output.find("convexMesh polyCount = 0\nconvexMesh triCount = 0\nfailed to create "
                                 "convexHullShape\nconvexmesh\n"),
              std::string::npos);
}

TEST_F(Shapes, SceneGravityReplacesTheUpAxisDefault) {
    EXPECT_NE(scene->output.find(" Y Axis is Up for this file \n COLLADA_RT set to Y Up \n"),
              std::string::npos);
    EXPECT_NE(scene->output.find("gravity set to 0.000000,-3.000000,0.000000\n"), std::string::npos);
    expectVector(scene->world.getGravity(), btVector3(0, -3, 0));
    EXPECT_EQ(scene->converter->dom->getAsset()->getUp_axis()->getValue(), UPAXISTYPE_Y_UP);
}

// --- Masses and velocities ------------------------------------------------

TEST(Masses, StaticAndDynamicMassesAreCorrectedWithAWarning) {
    Loaded scene("masses.dae");
    ASSERT_TRUE(scene.loaded);
    struct Case {
        const char* node;
        float inverseMass;
    };
    const Case cases[] = {
        {"StaticHeavy", 0.0f},
        {"DynamicWeightless", 1.0f},
        {"StaticNoMass", 0.0f},
        // The rigid body's own mass and dynamic flag win over the instance's.
        {"Moving", 1.0f / 3.0f},
        {"Resting", 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        ASSERT_NE(scene.body(c.node), nullptr);
        EXPECT_FLOAT_EQ(scene.body(c.node)->getInvMass(), c.inverseMass);
    }
    EXPECT_EQ(scene.body("NoTechnique"), nullptr);
    EXPECT_EQ(scene.body("Missing"), nullptr);
    EXPECT_EQ(scene.world.getNumCollisionObjects(), 5);
    EXPECT_EQ(occurrences(scene.output, "Warning: non-dynamic objects needs to have zero mass!\n"), 2);
    EXPECT_EQ(occurrences(scene.output, "Warning: dynamic rigidbodies needs nonzero mass!\n"), 1);
    EXPECT_NE(scene.output.find("mass = 7.000000, isDynamics 0\n"), std::string::npos);
}

TEST(Masses, OnlyMovingBodiesTakeTheInstanceVelocities) {
    Loaded scene("masses.dae");
    expectVector(scene.body("Moving")->getLinearVelocity(), btVector3(1, 2, 3));
    expectVector(scene.body("Moving")->getAngularVelocity(), btVector3(0, 0, 1.5f));
    expectVector(scene.body("Resting")->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_NE(
        scene.output.find(" Z Axis is Up for this file \n All Geometry and Hiearchies must be converted!\n"),
        std::string::npos);
    expectVector(scene.world.getGravity(), btVector3(0, 0, -10));
}

// --- Placement ------------------------------------------------------------

TEST(Placement, RotatesComeBeforeTranslatesWhateverTheFileOrder) {
    Loaded scene("transforms.dae");
    ASSERT_TRUE(scene.loaded);
    for (const char* node : {"TranslateFirst", "RotateFirst"}) {
        SCOPED_TRACE(node);
        const btTransform& t = scene.body(node)->getWorldTransform();
        expectVector(t.getOrigin(), btVector3(1, 2, 3));
        // 90 degrees about Y turns +X into -Z.
        expectVector(t.getBasis() * btVector3(1, 0, 0), btVector3(0, 0, -1));
        expectVector(t.getBasis() * btVector3(0, 1, 0), btVector3(0, 1, 0));
    }
}

TEST(Placement, MatricesAreRowMajorAndComeFirst) {
    Loaded scene("transforms.dae");
    const btTransform& matrix = scene.body("Matrix")->getWorldTransform();
    expectVector(matrix.getOrigin(), btVector3(4, 5, 6));
    expectVector(matrix.getBasis().getRow(0), btVector3(0, -1, 0));
    expectVector(matrix.getBasis().getRow(1), btVector3(1, 0, 0));

    // The matrix is applied first although the file lists it last; the
    // rotation then undoes its quarter turn and the translate adds to it.
    const btTransform& more = scene.body("MatrixThenMore")->getWorldTransform();
    expectVector(more.getOrigin(), btVector3(5, 5, 6));
    expectVector(more.getBasis().getRow(0), btVector3(1, 0, 0));
    expectVector(more.getBasis().getRow(1), btVector3(0, 1, 0));
}

TEST(Placement, NodeScaleIsAppliedAndAZeroScaleIsReportedButKept) {
    Loaded scene("transforms.dae");
    EXPECT_EQ(occurrences(scene.output, "invalid scale\n"), 1);
    ASSERT_NE(scene.body("Flattened"), nullptr);
    expectVector(scene.body("Flattened")->getCollisionShape()->getLocalScaling(), btVector3(0, 0, 0));
    expectVector(scene.body("Scaled")->getCollisionShape()->getLocalScaling(), btVector3(2, 3, 4));
    expectVector(scene.world.getGravity(), btVector3(-10, 0, 0));
    EXPECT_NE(scene.output.find(" X is Up Data and Hiearchies must be converted!\n"), std::string::npos);
    EXPECT_EQ(scene.converter->dom->getAsset()->getUp_axis()->getValue(), UPAXISTYPE_X_UP);
}

TEST(Placement, ABodyWhoseTargetIsMissingStandsAtTheOriginWithoutName) {
    Loaded scene("transforms.dae");
    ASSERT_EQ(scene.world.getNumCollisionObjects(), 7);
    int unnamed = 0;
    for (int i = 0; i < scene.world.getNumCollisionObjects(); ++i) {
        btRigidBody* body = btRigidBody::upcast(scene.world.getCollisionObjectArray()[i]);
        if (scene.converter->getName(body) == nullptr) {
            ++unnamed;
            expectVector(body->getWorldTransform().getOrigin(), btVector3(0, 0, 0));
        }
    }
    EXPECT_EQ(unnamed, 1);
}

TEST(CameraInfo, TheLargestComponentNamesTheUpAxis) {
    Loaded scene("shapes.dae");
    struct Case {
        btVector3 up;
        domUpAxisType axis;
    };
    const Case cases[] = {
        {btVector3(1, 0, 0), UPAXISTYPE_X_UP}, {btVector3(0, 1, 0), UPAXISTYPE_Y_UP},
        {btVector3(0, 0, 1), UPAXISTYPE_Z_UP}, {btVector3(1, 1, 0), UPAXISTYPE_X_UP},
        {btVector3(0, 1, 1), UPAXISTYPE_Y_UP}, {btVector3(1, 1, 2), UPAXISTYPE_Z_UP},
    };
    for (const Case& c : cases) {
        scene.converter->setCameraInfo(c.up, 0);
        EXPECT_EQ(scene.converter->dom->getAsset()->getUp_axis()->getValue(), c.axis);
    }
}

// --- Names ----------------------------------------------------------------

TEST(Names, OnlyBodiesOfThisConverterHaveNames) {
    Loaded scene("twoscenes.dae");
    btRigidBody* one = scene.body("One");
    EXPECT_STREQ(scene.converter->getName(one), "One");
    // A node without an id is known by its sid.
    scene.converter->findRigidBodyColladaInfo(one)->node->setId("");
    EXPECT_STREQ(scene.converter->getName(one), "oneSid");
    scene.converter->findRigidBodyColladaInfo(one)->node->setId("One");

    btBoxShape shape(btVector3(1, 1, 1));
    btRigidBody foreign(0.0f, nullptr, &shape);
    EXPECT_EQ(scene.converter->getName(&foreign), nullptr);
    scene.world.addRigidBody(&foreign);
    EXPECT_EQ(scene.converter->getName(&foreign), nullptr);
    scene.world.removeRigidBody(&foreign);
    EXPECT_EQ(scene.converter->getName(nullptr), nullptr);

    // Another world numbers its bodies the same way.
    Loaded other("twoscenes.dae");
    btRigidBody* twin = btRigidBody::upcast(other.world.getCollisionObjectArray()[0]);
    btRigidBody* mine = btRigidBody::upcast(scene.world.getCollisionObjectArray()[0]);
    ASSERT_EQ(twin->getBroadphaseHandle()->m_uniqueId, mine->getBroadphaseHandle()->m_uniqueId);
    EXPECT_EQ(scene.converter->getName(twin), nullptr);
    EXPECT_EQ(scene.converter->findRigidBodyColladaInfo(twin), nullptr);
    EXPECT_EQ(scene.converter->findRigidBodyColladaInfo(mine)->body, mine);
}

TEST(Names, EveryPhysicsSceneAndNestedModelContributesBodies) {
    Loaded scene("twoscenes.dae");
    ASSERT_TRUE(scene.loaded);
    EXPECT_EQ(scene.world.getNumCollisionObjects(), 2);
    ASSERT_NE(scene.body("One"), nullptr);
    ASSERT_NE(scene.body("Inner"), nullptr);
    EXPECT_EQ(scene.body("Inner")->getCollisionShape()->getShapeType(), SPHERE_SHAPE_PROXYTYPE);
    EXPECT_NE(scene.output.find("1 found body ball\n"), std::string::npos);
    EXPECT_NE(scene.output.find("1 calling prepare ball\n"), std::string::npos);
    // Nested bodies keep no rigid body record, so constraints cannot find them.
    EXPECT_EQ(scene.converter->findRigidBodyColladaInfo(scene.body("Inner"))->rigidBody, nullptr);
    expectVector(scene.world.getGravity(), btVector3(0, 0, -5));
}

// --- Constraints ----------------------------------------------------------

btGeneric6DofConstraint* constraintOn(TestWorld& scene, btRigidBody* body) {
    for (int i = 0; i < scene.world.getNumConstraints(); ++i) {
        btTypedConstraint* c = scene.world.getConstraint(i);
        if (&c->getRigidBodyA() == body)
            return static_cast<btGeneric6DofConstraint*>(c);
    }
    return nullptr;
}

TEST(Constraints, TwoBodiesAreJoinedWithLimitsInRadiansAndFreeAxes) {
    Loaded scene("constraints.dae");
    ASSERT_EQ(scene.world.getNumConstraints(), 2);
    btGeneric6DofConstraint* hinge = constraintOn(scene, scene.body("Frame"));
    ASSERT_NE(hinge, nullptr);
    EXPECT_EQ(hinge->getConstraintType(), D6_CONSTRAINT_TYPE);
    EXPECT_EQ(&hinge->getRigidBodyB(), scene.body("Door"));
    expectVector(hinge->getFrameOffsetA().getOrigin(), btVector3(0.5f, 0, 0));
    expectVector(hinge->getFrameOffsetB().getOrigin(), btVector3(-1, 0, 0));
    expectVector(hinge->getFrameOffsetB().getBasis() * btVector3(1, 0, 0), btVector3(0, 0, -1));

    btVector3 lower, upper;
    hinge->getLinearLowerLimit(lower);
    hinge->getLinearUpperLimit(upper);
    expectVector(lower, btVector3(-1, 1, 1));
    expectVector(upper, btVector3(1, 0, 0));
    hinge->getAngularLowerLimit(lower);
    hinge->getAngularUpperLimit(upper);
    expectVector(lower, btVector3(-45 * SIMD_PI / 180, 1, 1));
    expectVector(upper, btVector3(90 * SIMD_PI / 180, 0, 0));

    // interpenetrate: the two bodies no longer collide with each other.
    EXPECT_FALSE(scene.body("Frame")->checkCollideWithOverride(scene.body("Door")));
    EXPECT_NE(scene.output.find("Added constraint hinge to the world\n"), std::string::npos);
    EXPECT_GE(hinge->getUserConstraintId(), 5);
}

TEST(Constraints, OneBodyIsHeldByAFixedPointWhereItStands) {
    Loaded scene("constraints.dae");
    btRigidBody* door = scene.body("Door");
    btGeneric6DofConstraint* pin = constraintOn(scene, door);
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(&pin->getRigidBodyB(), &btTypedConstraint::getFixedBody());
    expectVector(pin->getFrameOffsetA().getOrigin(), btVector3(0, 1, 0));
    // The fixed body stands at the origin: its frame is the joint in world space.
    expectVector(pin->getFrameOffsetB().getOrigin(), btVector3(3, 1, 0));
    btVector3 lower, upper;
    pin->getAngularLowerLimit(lower);
    pin->getAngularUpperLimit(upper);
    expectVector(lower, btVector3(-30 * SIMD_PI / 180, 0, 0));
    expectVector(upper, btVector3(30 * SIMD_PI / 180, 0, 0));
    EXPECT_NE(pin->getUserConstraintId(), constraintOn(scene, scene.body("Frame"))->getUserConstraintId());

    // The joint holds: the door does not fall away under gravity.
    scene.world.setGravity(btVector3(0, -10, 0));
    for (int i = 0; i < 120; ++i)
        scene.world.stepSimulation(1.0f / 60.0f, 1, 1.0f / 60.0f);
    EXPECT_NEAR(door->getWorldTransform().getOrigin().y(), 0.0f, 0.1f);
}

TEST(Constraints, AConstraintWithoutBodiesIsReportedAndSkipped) {
    Loaded scene("constraints.dae");
    EXPECT_NE(scene.output.find("Error: Cannot find Rigidbodies(ghostA,ghostB) for constraint loose\n"),
              std::string::npos);
    EXPECT_EQ(scene.output.find("unknown"), std::string::npos);
    EXPECT_EQ(scene.converter->constraintMap.size(), 2);
}

// --- Messages by verbosity -------------------------------------------------

TEST(Verbosity, EachLevelAddsItsMessagesAndBuildsTheSameWorld) {
    struct Line {
        const char* text;
        int level;
    };
    const Line lines[] = {
        {"asset unit meter=0.500000\n", 0},
        {"revert bug in PhysX", 0},
        {"no vertices found for convex hull\n", 0},
        {" Y Axis is Up for this file \n", 1},
        {" CrtScene::Reading Geometry Library \n", 1},
        {"gravity set to 0.000000,-3.000000,0.000000\n", 1},
        {"mass = 1.000000, isDynamics 1\n", 1},
        {"Found body converting plainBox\n", 1},
        {"Found mesh geometry (QuadGeometry): numTriangleGroups:1 numPolygonGroups :0 numPolyList=0\n", 2},
        {"No Triangles or Polygons found int Geometry CloudGeometry \n", 2},
        {"found convexmesh element\n", 2},
        {"No Triangles or Polygons found in ConvexMesh Geometry HullGeometry \n", 2},
        {"static concave triangle <mesh> added\n", 2},
        {"otherLinked\n", 2},
        {"created convexHullShape with 4 points\n", 2},
        {"convexmesh\n", 2},
        {"convexMesh polyCount = 0\n", 2},
        {"failed to create convexHullShape\n", 2},
    };
    for (int verbosity = 0; verbosity <= 2; ++verbosity) {
        SCOPED_TRACE(verbosity);
        Loaded scene("shapes.dae", verbosity);
        EXPECT_EQ(scene.world.getNumCollisionObjects(), 13);
        for (const Line& line : lines)
            EXPECT_EQ(scene.output.find(line.text) != std::string::npos, line.level <= verbosity)
                << line.text;
    }
}

// --- Files ----------------------------------------------------------------

class Directory {
public:
    explicit Directory(const std::string& path) {
        char buffer[4096];
        previous = getcwd(buffer, sizeof(buffer));
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~Directory() { EXPECT_EQ(chdir(previous.c_str()), 0); }

private:
    std::string previous;
};

TEST(Files, AFileMissingHereIsLookedForTwoLevelsUp) {
    char root[] = "/tmp/lullvane-physics-XXXXXX";
    ASSERT_NE(mkdtemp(root), nullptr);
    const std::string base = root;
    {
        std::ifstream in(fixture("twoscenes.dae"), std::ios::binary);
        std::ofstream out(base + "/Ground.DAE", std::ios::binary);
        out << in.rdbuf();
    }
    ASSERT_EQ(system(("mkdir -p " + base + "/game/run").c_str()), 0);
    {
        Directory inside(base + "/game/run");
        TestWorld scene;
        CaptureOutput capture;
        EXPECT_TRUE(scene.converter->load("Ground.DAE"));
        capture.finish();
        EXPECT_STREQ(scene.converter->getLastFileName(), "../../Ground.DAE");
        EXPECT_NE(scene.body("One"), nullptr);

        TestWorld missing;
        CaptureOutput failure;
        EXPECT_FALSE(missing.converter->load("Nowhere.DAE"));
        EXPECT_NE(failure.finish().find("DAE/Collada-m_dom: Couldn't load ../../Nowhere.DAE\n"),
                  std::string::npos);
        EXPECT_EQ(missing.world.getNumCollisionObjects(), 0);
    }
    EXPECT_EQ(system(("rm -rf " + base).c_str()), 0);
}

TEST(Files, NamesAreUnquotedAndTheirBackslashesTurnedAround) {
    std::string path = fixture("twoscenes.dae");
    std::string backslashed = path;
    for (char& c : backslashed)
        if (c == '/')
            c = '\\';
    const std::string inputs[] = {path, "\"" + path + "\"", "\"" + path + "\" ignored", backslashed};
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        TestWorld scene;
        CaptureOutput capture;
        EXPECT_TRUE(scene.converter->load(input.c_str()));
        capture.finish();
        EXPECT_EQ(std::string(scene.converter->getLastFileName()), path);
        EXPECT_EQ(scene.world.getNumCollisionObjects(), 2);
    }
}

TEST(Files, NoNameLoadsNothing) {
    for (const char* name : {static_cast<const char*>(nullptr), "", "\"", "\"\""}) {
        SCOPED_TRACE(name == nullptr ? "null" : name);
        TestWorld scene;
        CaptureOutput capture;
        EXPECT_FALSE(scene.converter->load(name));
        EXPECT_NE(capture.finish().find("DAE/Collada-m_dom: Couldn't load ../../\n"), std::string::npos);
        EXPECT_EQ(scene.world.getNumCollisionObjects(), 0);
    }
}

TEST(Files, ADriveLetterGetsALeadingSlash) {
    TestWorld scene;
    CaptureOutput capture;
    EXPECT_FALSE(scene.converter->load("C:\\levels\\Ground.DAE"));
    capture.finish();
    // The retry is what is left in the name after the failed load.
    EXPECT_STREQ(scene.converter->getLastFileName(), "../../C:/levels/Ground.DAE");
}

TEST(Files, OverlongNamesAreCutAtTheBufferSize) {
    for (size_t length : {511u, 512u, 513u, 4000u}) {
        SCOPED_TRACE(length);
        const std::string name(length, 'x');
        TestWorld scene;
        CaptureOutput capture;
        EXPECT_FALSE(scene.converter->load(name.c_str()));
        const std::string output = capture.finish();
        EXPECT_LE(std::strlen(scene.converter->getLastFileName()), 512u);
        EXPECT_EQ(scene.converter->lastFileName[ColladaConverter::maxFileNameLength], '\0');
        EXPECT_NE(output.find("DAE/Collada-m_dom: Couldn't load ../../xxx"), std::string::npos);
    }
}

struct BadFile {
    const char* name;
    bool loads;
    const char* message;
};

TEST(Files, UnreadableFilesAreReportedAndLeaveAnEmptyWorld) {
    const BadFile files[] = {
        {"absent.dae", false, "DAE/Collada-m_dom: Couldn't load "},
        {"empty.dae", false, "DAE/Collada-m_dom: Couldn't load "},
        {"truncated.dae", false, "DAE/Collada-m_dom: Couldn't load "},
        {"notcollada.dae", false, "COLLADA Load Aborted! \n"},
        {"nobodies.dae", true, ""},
    };
    for (const BadFile& file : files) {
        SCOPED_TRACE(file.name);
        TestWorld scene;
        CaptureOutput capture(1);
        CaptureOutput errors(2);
        EXPECT_EQ(scene.converter->load(fixture(file.name).c_str()), file.loads);
        errors.finish();
        EXPECT_NE(capture.finish().find(file.message), std::string::npos);
        EXPECT_EQ(scene.world.getNumCollisionObjects(), 0);
        scene.world.stepSimulation(1.0f / 60.0f);
    }
}

TEST(Files, BrokenElementsAreSkippedAndTheRestIsBuilt) {
    Loaded scene("broken.dae");
    ASSERT_TRUE(scene.loaded);
    EXPECT_EQ(scene.world.getNumCollisionObjects(), 3);

    auto* past = static_cast<btBvhTriangleMeshShape*>(scene.body("PastPositionsNode")->getCollisionShape());
    EXPECT_EQ(static_cast<btTriangleMesh*>(past->getMeshInterface())->getNumTriangles(), 1);
    auto* notFinite = static_cast<btGImpactMeshShape*>(scene.body("NotFiniteNode")->getCollisionShape());
    EXPECT_EQ(static_cast<btTriangleMesh*>(notFinite->getMeshInterface())->getNumTriangles(), 1);

    btRigidBody* badNumbers = scene.body("BadNumbersNode");
    ASSERT_NE(badNumbers, nullptr);
    EXPECT_FLOAT_EQ(badNumbers->getInvMass(), 1.0f);
    expectVector(badNumbers->getWorldTransform().getOrigin(), btVector3(0, 0, 0));
    expectVector(badNumbers->getLinearVelocity(), btVector3(0, 0, 0));
    expectVector(badNumbers->getCollisionShape()->getLocalScaling(), btVector3(1, 1, 1));

    for (const char* message : {
             "Skipping <triangles> without a VERTEX input\n",
             "Skipping <triangles>: count 4000000000 needs more than its 3 indices\n",
             "Skipping <triangles>: input offset 18446744073709551615 runs past its 3 indices\n",
             "Skipped 1 triangles whose corners lie past their positions or are not finite\n",
             "Skipping <instance_geometry>: #Elsewhere names no geometry\n",
             "Skipping <half_extents>: it holds 2 numbers instead of 3\n",
             "Skipping <half_extents>: it holds a number that is not finite\n",
             "Ignoring <mass> that is not finite\n",
             "Skipping <translate>: it holds a number that is not finite\n",
             "Skipping <rotate> about a zero-length axis\n",
             "Skipping <matrix>: it holds 3 numbers instead of 16\n",
             "Skipping <scale>: it holds a number that is not finite\n",
             "Skipping <gravity>: it holds a number that is not finite\n",
             "Skipping <velocity>: it holds a number that is not finite\n",
         })
        EXPECT_NE(scene.output.find(message), std::string::npos) << message;

    for (int i = 0; i < 60; ++i)
        scene.world.stepSimulation(1.0f / 60.0f);
    for (int i = 0; i < scene.world.getNumCollisionObjects(); ++i) {
        const btVector3& origin = scene.world.getCollisionObjectArray()[i]->getWorldTransform().getOrigin();
        EXPECT_TRUE(std::isfinite(origin.x()) && std::isfinite(origin.y()) && std::isfinite(origin.z()));
    }
}

} // namespace
