#pragma once

#include <LinearMath/btHashMap.h>
#include <btBulletDynamicsCommon.h>

#include <1.4/dom/domCOLLADA.h>
#include <dae.h>

class btTriangleMesh;

// Reads the rigid bodies, collision shapes and 6-DOF constraints of a COLLADA
// 1.4 document into a Bullet world and afterwards answers, for every body it
// created, the name of the scene node that places it.
//
// Ownership: the converter owns every shape, triangle mesh, record and the
// document it loaded, and every rigid body (with its current motion state)
// and constraint it created. Its destructor takes those bodies and
// constraints out of the world, so it must run while the world still exists.
class ColladaConverter {
public:
    struct btRigidBodyInput {
        ColladaDOM141::domInstance_rigid_body* instance = nullptr;
        ColladaDOM141::domRigid_body* rigidBody = nullptr;
        ColladaDOM141::domNode* node = nullptr;
    };

    struct btRigidBodyOutput {
        float mass = 1.0f;
        bool isDynamics = true;
        btCollisionShape* shape = nullptr;
        btCompoundShape* compoundShape = nullptr;
    };

    struct ConstraintInput {
        ColladaDOM141::domInstance_physics_model* instance = nullptr;
        ColladaDOM141::domPhysics_model* model = nullptr;
    };

    struct btRigidBodyColladaInfo {
        ColladaDOM141::domNode* node;
        ColladaDOM141::domRigid_body* rigidBody;
        ColladaDOM141::domInstance_rigid_body* instance;
        btRigidBody* body;
    };

    struct btRigidConstraintColladaInfo {
        btTypedConstraint* constraint;
        ColladaDOM141::domRigid_constraint* rigidConstraint;
        ColladaDOM141::domInstance_rigid_constraint* instance;
    };

    explicit ColladaConverter(btDynamicsWorld* world);
    virtual ~ColladaConverter();

    ColladaConverter(const ColladaConverter&) = delete;
    ColladaConverter& operator=(const ColladaConverter&) = delete;

    // Slot order is part of the interface; keep it.
    // b may be null: a becomes bound to a fixed point of the world.
    virtual btTypedConstraint*
    createUniversalD6Constraint(btRigidBody* a, btRigidBody* b, btTransform& frameA, btTransform& frameB,
                                btVector3 const& linearLower, btVector3 const& linearUpper,
                                btVector3 const& angularLower, btVector3 const& angularUpper,
                                bool disableCollisions);
    virtual btRigidBody* createRigidBody(bool isDynamic, float mass, btTransform const& start,
                                         btCollisionShape* shape);
    virtual int getNumRigidBodies();
    virtual btRigidBody* getRigidBody(int i);
    virtual int getNumConstraints();
    virtual btTypedConstraint* getConstraint(int i);
    virtual void setGravity(btVector3 const& g);
    virtual btVector3 getGravity();
    // Writes the axis of up's largest component into the document's <up_axis>.
    virtual void setCameraInfo(btVector3 const& up, int forwardAxis);
    virtual btCollisionShape* createPlaneShape(btVector3 const& normal, float constant);
    virtual btCollisionShape* createBoxShape(btVector3 const& halfExtents);
    virtual btCollisionShape* createSphereShape(float radius);
    // height is the half extent along Y.
    virtual btCollisionShape* createCylinderShapeY(float radius, float height);
    virtual btTriangleMesh* createTriangleMeshContainer();
    virtual btCollisionShape* createBvhTriangleMeshShape(btTriangleMesh* mesh);
    virtual btCollisionShape* createConvexTriangleMeshShape(btTriangleMesh* mesh);
    virtual btCollisionShape* createGimpactShape(btTriangleMesh* mesh);
    virtual btConvexHullShape* createConvexHullShape();
    virtual btCompoundShape* createCompoundShape();

    // True when a document was loaded, even if parts of it were skipped.
    bool load(char const* filename);
    // Name of the node that places body, or null for a body this converter
    // did not create.
    char const* getName(btRigidBody* body);
    char* getLastFileName() { return lastFileName; }
    void reset();
    bool convert();

    void ConvertRigidBodyRef(btRigidBodyInput& input, btRigidBodyOutput& output);
    void PreparePhysicsObject(btRigidBodyInput& input, bool isDynamics, float mass, btCollisionShape* shape,
                              btVector3 const& linearVelocity, btVector3 const& angularVelocity);
    void prepareConstraints(ConstraintInput& input);
    btRigidBodyColladaInfo* findRigidBodyColladaInfo(btRigidBody const* body);

private:
    void oneBody(ColladaDOM141::domInstance_rigid_body* instance, ColladaDOM141::domPhysics_model* model,
                 bool nested);
    btCollisionShape* convertMesh(ColladaDOM141::domMesh* mesh, bool isDynamics);
    btCollisionShape* convertConvexMesh(ColladaDOM141::domConvex_mesh* convexMesh);
    int addHullPoints(btConvexHullShape* hull, ColladaDOM141::domVertices* vertices);
    void forgetShape(btCollisionShape* shape);
    void releaseBodies();

public:
    static const int maxFileNameLength = 512;

    char lastFileName[maxFileNameLength + 1];
    btDynamicsWorld* world;
    btAlignedObjectArray<btCollisionShape*> allocatedShapes;
    btAlignedObjectArray<btTriangleMesh*> allocatedTriangleMeshes;
    btHashMap<btHashInt, btRigidBodyColladaInfo*> rigidBodyMap;
    btHashMap<btHashInt, btRigidConstraintColladaInfo*> constraintMap;
    DAE* dae = nullptr;
    ColladaDOM141::domCOLLADA* dom = nullptr;
    float unitMeterScale = 1.0f;
    bool use32bitIndices = true;
    bool use4componentVertices = true;
    // 0: only messages that always print; 1 adds the progress lines; 2 adds
    // the geometry details.
    int verbosity = 2;
    btAlignedObjectArray<btRigidBody*> createdBodies;
    btAlignedObjectArray<btTypedConstraint*> createdConstraints;
};

// Transform of a node or shape: the last <matrix>, then every <rotate>
// multiplied from the right, then every <translate> added to the origin, in
// that order whatever the order in the file. scale multiplies lengths.
btTransform GetbtTransformFromCOLLADA_DOM(ColladaDOM141::domMatrix_Array const& matrixArray,
                                          ColladaDOM141::domRotate_Array const& rotateArray,
                                          ColladaDOM141::domTranslate_Array const& translateArray,
                                          float scale);
