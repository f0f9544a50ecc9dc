#include "physics/ColladaConverter.h"

#include <BulletCollision/CollisionShapes/btTriangleMesh.h>
#include <BulletCollision/Gimpact/btGImpactShape.h>
#include <libxml/parser.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// Constraint ids are handed out across every converter of the run.
int nextConstraintId = 5;
// DAE::cleanup() releases state that every open document shares, so it may
// only run once the last of our documents is gone.
int openDocuments = 0;

bool sameText(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

// Scene files come from outside: every number list is checked for length and
// for NaN or infinity before it reaches Bullet.
bool readValues(const daeTArray<domFloat>& values, size_t needed, const char* element, double* out) {
    if (values.getCount() < needed) {
        printf("Skipping <%s>: it holds %zu numbers instead of %zu\n", element, values.getCount(), needed);
        return false;
    }
    for (size_t i = 0; i < needed; ++i) {
        if (!std::isfinite(values[i])) {
            printf("Skipping <%s>: it holds a number that is not finite\n", element);
            return false;
        }
        out[i] = values[i];
    }
    return true;
}

void fixFileName(const char* filename, char* out) {
    std::memset(out, 0, ColladaConverter::maxFileNameLength + 1);
    if (filename == nullptr)
        return;
    const char* src = filename;
    if (*src == '"')
        ++src;
    int written = 0;
    if (src[0] != '\0' && src[1] == ':')
        out[written++] = '/';
    for (; *src != '\0' && *src != '"' && written < ColladaConverter::maxFileNameLength; ++src)
        out[written++] = (*src == '\\') ? '/' : *src;
}

enum class RootElement { None, Collada, Other };

// The COLLADA reader crashes on a well-formed document whose root is not
// <COLLADA>, so the root is looked at before the reader sees the file.
RootElement rootElementOf(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return RootElement::None;
    std::string text(1024 * 1024, '\0');
    in.read(&text[0], std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (true) {
        at = text.find('<', at);
        if (at == std::string::npos)
            return RootElement::None;
        if (text.compare(at, 2, "<?") == 0) {
            at = text.find("?>", at);
        } else if (text.compare(at, 4, "<!--") == 0) {
            at = text.find("-->", at);
        } else if (text.compare(at, 2, "<!") == 0) {
            at = text.find('>', at);
        } else {
            size_t end = text.find_first_of(" \t\r\n/>", at + 1);
            if (end == std::string::npos)
                return RootElement::None;
            std::string name = text.substr(at + 1, end - at - 1);
            size_t colon = name.find(':');
            if (colon != std::string::npos)
                name = name.substr(colon + 1);
            return name == "COLLADA" ? RootElement::Collada : RootElement::Other;
        }
        if (at == std::string::npos)
            return RootElement::None;
        ++at;
    }
}

// The COLLADA reader loops for ever on some documents that are not well-formed
// XML, so the whole file is checked by the XML parser first.
bool wellFormed(const char* path) {
    xmlDocPtr document = xmlReadFile(path, nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (document == nullptr)
        return false;
    xmlFreeDoc(document);
    return true;
}

// Bullet multiplies the mass by gravity in single precision: a mass near the top
// of the float range turns the body's force, and then its place, infinite.
const double largestMass = 1e30;

void readMass(double value, float& mass) {
    if (!std::isfinite(value))
        printf("Ignoring <mass> that is not finite\n");
    else if (std::fabs(value) > largestMass)
        printf("Ignoring <mass> %g: larger than %g\n", value, largestMass);
    else
        mass = float(value);
}

int countPositionInputs(domVertices* vertices) {
    int count = 0;
    if (vertices == nullptr)
        return 0;
    for (size_t i = 0; i < vertices->getInput_array().getCount(); ++i)
        if (sameText(vertices->getInput_array()[i]->getSemantic(), "POSITION"))
            ++count;
    return count;
}

domFloat_array* positionArray(domInputLocal* input) {
    if (!sameText(input->getSemantic(), "POSITION"))
        return nullptr;
    domSource* source = daeSafeCast<domSource>(input->getSource().getElement());
    if (source == nullptr || source->getFloat_array() == nullptr) {
        printf("Skipping POSITION input: its source %s is not a float array\n",
               input->getSource().originalStr().c_str());
        return nullptr;
    }
    return source->getFloat_array();
}

} // namespace

btTransform GetbtTransformFromCOLLADA_DOM(domMatrix_Array const& matrixArray,
                                          domRotate_Array const& rotateArray,
                                          domTranslate_Array const& translateArray, float scale) {
    btTransform transform;
    transform.setIdentity();
    double v[16];
    for (size_t i = 0; i < matrixArray.getCount(); ++i) {
        if (!readValues(matrixArray[i]->getValue(), 16, "matrix", v))
            continue;
        transform.getBasis().setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]), btScalar(v[4]),
                                      btScalar(v[5]), btScalar(v[6]), btScalar(v[8]), btScalar(v[9]),
                                      btScalar(v[10]));
        transform.setOrigin(btVector3(btScalar(v[3]), btScalar(v[7]), btScalar(v[11])) * scale);
    }
    for (size_t i = 0; i < rotateArray.getCount(); ++i) {
        if (!readValues(rotateArray[i]->getValue(), 4, "rotate", v))
            continue;
        btVector3 axis{btScalar(v[0]), btScalar(v[1]), btScalar(v[2])};
        if (axis.length2() <= SIMD_EPSILON) {
            printf("Skipping <rotate> about a zero-length axis\n");
            continue;
        }
        btQuaternion rotation(axis.normalized(), btScalar(v[3]) * 0.017453292f);
        transform.getBasis() = transform.getBasis() * btMatrix3x3(rotation);
    }
    for (size_t i = 0; i < translateArray.getCount(); ++i) {
        if (!readValues(translateArray[i]->getValue(), 3, "translate", v))
            continue;
        transform.getOrigin() += btVector3(btScalar(v[0]), btScalar(v[1]), btScalar(v[2])) * scale;
    }
    return transform;
}

ColladaConverter::ColladaConverter(btDynamicsWorld* world) : world(world) {
    std::memset(lastFileName, 0, sizeof(lastFileName));
}

ColladaConverter::~ColladaConverter() {
    releaseBodies();
    reset();
    for (int i = 0; i < allocatedShapes.size(); ++i)
        delete allocatedShapes[i];
    allocatedShapes.clear();
    for (int i = 0; i < allocatedTriangleMeshes.size(); ++i)
        delete allocatedTriangleMeshes[i];
    allocatedTriangleMeshes.clear();
}

void ColladaConverter::releaseBodies() {
    for (int i = createdConstraints.size() - 1; i >= 0; --i) {
        if (world != nullptr)
            world->removeConstraint(createdConstraints[i]);
        delete createdConstraints[i];
    }
    createdConstraints.clear();
    for (int i = createdBodies.size() - 1; i >= 0; --i) {
        btRigidBody* body = createdBodies[i];
        if (world != nullptr)
            world->removeRigidBody(body);
        delete body->getMotionState();
        delete body;
    }
    createdBodies.clear();
}

btTypedConstraint*
ColladaConverter::createUniversalD6Constraint(btRigidBody* a, btRigidBody* b, btTransform& frameA,
                                              btTransform& frameB, btVector3 const& linearLower,
                                              btVector3 const& linearUpper, btVector3 const& angularLower,
                                              btVector3 const& angularUpper, bool disableCollisions) {
    if (a == nullptr)
        return nullptr;
    btGeneric6DofConstraint* constraint;
    if (b != nullptr) {
        constraint = new btGeneric6DofConstraint(*a, *b, frameA, frameB, true);
    } else {
        // Bullet's fixed body sits at the world origin, so its frame is a's
        // frame expressed in world space: the joint starts where a is now.
        btTransform fixedFrame = a->getWorldTransform() * frameA;
        constraint =
            new btGeneric6DofConstraint(*a, btTypedConstraint::getFixedBody(), frameA, fixedFrame, true);
    }
    constraint->setLinearLowerLimit(linearLower);
    constraint->setLinearUpperLimit(linearUpper);
    constraint->setAngularLowerLimit(angularLower);
    constraint->setAngularUpperLimit(angularUpper);
    world->addConstraint(constraint, disableCollisions);
    createdConstraints.push_back(constraint);
    return constraint;
}

btRigidBody* ColladaConverter::createRigidBody(bool isDynamic, float mass, btTransform const& start,
                                               btCollisionShape* shape) {
    if (!isDynamic && mass != 0.0f) {
        puts("Warning: non-dynamic objects needs to have zero mass!");
        mass = 0.0f;
    }
    if (isDynamic && mass == 0.0f) {
        puts("Warning: dynamic rigidbodies needs nonzero mass!");
        mass = 1.0f;
    }
    btVector3 localInertia(0, 0, 0);
    if (isDynamic)
        shape->calculateLocalInertia(mass, localInertia);
    btDefaultMotionState* motionState = new btDefaultMotionState(start);
    btRigidBody::btRigidBodyConstructionInfo info(mass, motionState, shape, localInertia);
    btRigidBody* body = new btRigidBody(info);
    world->addRigidBody(body);
    createdBodies.push_back(body);
    return body;
}

int ColladaConverter::getNumRigidBodies() {
    return world->getNumCollisionObjects();
}

btRigidBody* ColladaConverter::getRigidBody(int i) {
    if (i < 0 || i >= world->getNumCollisionObjects())
        return nullptr;
    return btRigidBody::upcast(world->getCollisionObjectArray()[i]);
}

int ColladaConverter::getNumConstraints() {
    return world->getNumConstraints();
}

btTypedConstraint* ColladaConverter::getConstraint(int i) {
    if (i < 0 || i >= world->getNumConstraints())
        return nullptr;
    return world->getConstraint(i);
}

void ColladaConverter::setGravity(btVector3 const& g) {
    world->setGravity(g);
}

btVector3 ColladaConverter::getGravity() {
    return world->getGravity();
}

void ColladaConverter::setCameraInfo(btVector3 const& up, int) {
    if (dom == nullptr || dom->getAsset() == nullptr || dom->getAsset()->getUp_axis() == nullptr)
        return;
    domUpAxisType axis = UPAXISTYPE_X_UP;
    btScalar largest = up.x();
    if (up.y() > largest) {
        axis = UPAXISTYPE_Y_UP;
        largest = up.y();
    }
    if (up.z() > largest)
        axis = UPAXISTYPE_Z_UP;
    dom->getAsset()->getUp_axis()->setValue(axis);
}

btCollisionShape* ColladaConverter::createPlaneShape(btVector3 const& normal, float constant) {
    btCollisionShape* shape = new btStaticPlaneShape(normal, constant);
    allocatedShapes.push_back(shape);
    return shape;
}

btCollisionShape* ColladaConverter::createBoxShape(btVector3 const& halfExtents) {
    btCollisionShape* shape = new btBoxShape(halfExtents);
    allocatedShapes.push_back(shape);
    return shape;
}

btCollisionShape* ColladaConverter::createSphereShape(float radius) {
    btCollisionShape* shape = new btSphereShape(radius);
    allocatedShapes.push_back(shape);
    return shape;
}

btCollisionShape* ColladaConverter::createCylinderShapeY(float radius, float height) {
    btCollisionShape* shape = new btCylinderShape(btVector3(radius, height, radius));
    allocatedShapes.push_back(shape);
    return shape;
}

btTriangleMesh* ColladaConverter::createTriangleMeshContainer() {
    btTriangleMesh* mesh = new btTriangleMesh(use32bitIndices, use4componentVertices);
    allocatedTriangleMeshes.push_back(mesh);
    return mesh;
}

btCollisionShape* ColladaConverter::createBvhTriangleMeshShape(btTriangleMesh* mesh) {
    btCollisionShape* shape = new btBvhTriangleMeshShape(mesh, true, true);
    allocatedShapes.push_back(shape);
    return shape;
}

btCollisionShape* ColladaConverter::createConvexTriangleMeshShape(btTriangleMesh* mesh) {
    btCollisionShape* shape = new btConvexTriangleMeshShape(mesh, true);
    allocatedShapes.push_back(shape);
    return shape;
}

btCollisionShape* ColladaConverter::createGimpactShape(btTriangleMesh* mesh) {
    btGImpactMeshShape* shape = new btGImpactMeshShape(mesh);
    shape->setMargin(0.0f);
    shape->updateBound();
    allocatedShapes.push_back(shape);
    return shape;
}

btConvexHullShape* ColladaConverter::createConvexHullShape() {
    btConvexHullShape* shape = new btConvexHullShape();
    allocatedShapes.push_back(shape);
    return shape;
}

btCompoundShape* ColladaConverter::createCompoundShape() {
    btCompoundShape* shape = new btCompoundShape(true);
    allocatedShapes.push_back(shape);
    return shape;
}

void ColladaConverter::forgetShape(btCollisionShape* shape) {
    allocatedShapes.remove(shape);
    delete shape;
}

bool ColladaConverter::load(char const* filename) {
    fixFileName(filename, lastFileName);
    reset();
    dae = new DAE(nullptr, nullptr, "1.4.1");
    ++openDocuments;
    RootElement root = rootElementOf(lastFileName);
    if (root == RootElement::None ||
        (root == RootElement::Collada && (!wellFormed(lastFileName) || dae->load(lastFileName) != DAE_OK))) {
        std::string retry = std::string("../../") + (filename != nullptr ? filename : "");
        fixFileName(retry.c_str(), lastFileName);
        root = rootElementOf(lastFileName);
        if (root == RootElement::None ||
            (root == RootElement::Collada &&
             (!wellFormed(lastFileName) || dae->load(lastFileName) != DAE_OK))) {
            printf("DAE/Collada-m_dom: Couldn't load %s\n", lastFileName);
            return false;
        }
    }
    if (root == RootElement::Collada)
        dom = daeSafeCast<domCOLLADA>(dae->getDom(lastFileName));
    if (dom == nullptr) {
        puts("COLLADA File loaded to the m_dom, but query for the m_dom assets failed ");
        puts("COLLADA Load Aborted! ");
        delete dae;
        dae = nullptr;
        --openDocuments;
        return false;
    }
    convert();
    return true;
}

void ColladaConverter::reset() {
    for (int i = 0; i < rigidBodyMap.size(); ++i)
        delete *rigidBodyMap.getAtIndex(i);
    rigidBodyMap.clear();
    for (int i = 0; i < constraintMap.size(); ++i)
        delete *constraintMap.getAtIndex(i);
    constraintMap.clear();
    if (dae != nullptr) {
        delete dae;
        dae = nullptr;
        --openDocuments;
    }
    if (openDocuments == 0)
        DAE::cleanup();
    dom = nullptr;
}

char const* ColladaConverter::getName(btRigidBody* body) {
    btRigidBodyColladaInfo* info = findRigidBodyColladaInfo(body);
    if (info == nullptr || info->node == nullptr)
        return nullptr;
    const char* id = info->node->getId();
    if (id != nullptr && id[0] != '\0')
        return id;
    return info->node->getSid();
}

ColladaConverter::btRigidBodyColladaInfo*
ColladaConverter::findRigidBodyColladaInfo(btRigidBody const* body) {
    if (body == nullptr || body->getBroadphaseHandle() == nullptr)
        return nullptr;
    btRigidBodyColladaInfo** found = rigidBodyMap.find(btHashInt(body->getBroadphaseHandle()->m_uniqueId));
    // Proxy ids are only unique within one broadphase: a body of another
    // world may carry the same id.
    if (found == nullptr || (*found)->body != body)
        return nullptr;
    return *found;
}

bool ColladaConverter::convert() {
    if (dom == nullptr)
        return false;

    domAsset* asset = dom->getAsset();
    if (asset != nullptr && asset->getUnit() != nullptr)
        printf("asset unit meter=%f\n", asset->getUnit()->getMeter());
    if (asset != nullptr && asset->getUp_axis() != nullptr) {
        switch (asset->getUp_axis()->getValue()) {
        case UPAXISTYPE_X_UP:
            if (verbosity >= 1) {
                puts(" X is Up Data and Hiearchies must be converted!");
                puts(" Conversion to X axis Up isn't currently supported!");
                puts(" COLLADA_RT defaulting to Y Up ");
            }
            setGravity(btVector3(-10, 0, 0));
            setCameraInfo(btVector3(1, 0, 0), 1);
            break;
        case UPAXISTYPE_Y_UP:
            if (verbosity >= 1) {
                puts(" Y Axis is Up for this file ");
                puts(" COLLADA_RT set to Y Up ");
            }
            setGravity(btVector3(0, -10, 0));
            setCameraInfo(btVector3(0, 1, 0), 0);
            break;
        case UPAXISTYPE_Z_UP:
            if (verbosity >= 1) {
                puts(" Z Axis is Up for this file ");
                puts(" All Geometry and Hiearchies must be converted!");
            }
            setGravity(btVector3(0, 0, -10));
            break;
        default:
            break;
        }
    }

    for (size_t l = 0; l < dom->getLibrary_geometries_array().getCount(); ++l) {
        domLibrary_geometries* library = dom->getLibrary_geometries_array()[l];
        if (verbosity >= 1)
            puts(" CrtScene::Reading Geometry Library ");
        for (size_t g = 0; g < library->getGeometry_array().getCount(); ++g) {
            domGeometry* geometry = library->getGeometry_array()[g];
            const char* id = geometry->getId() != nullptr ? geometry->getId() : "";
            if (domMesh* mesh = geometry->getMesh()) {
                size_t triangles = mesh->getTriangles_array().getCount();
                size_t polygons = mesh->getPolygons_array().getCount();
                size_t polylists = mesh->getPolylist_array().getCount();
                if (verbosity >= 2) {
                    if (triangles + polygons + polylists != 0)
                        printf("Found mesh geometry (%s): numTriangleGroups:%i numPolygonGroups :%i "
                               "numPolyList=%i\n",
                               id, int(triangles), int(polygons), int(polylists));
                    else
                        printf("No Triangles or Polygons found int Geometry %s \n", id);
                }
            }
            if (domConvex_mesh* convexMesh = geometry->getConvex_mesh()) {
                size_t triangles = convexMesh->getTriangles_array().getCount();
                size_t polygons = convexMesh->getPolygons_array().getCount();
                if (verbosity >= 2) {
                    puts("found convexmesh element");
                    if (triangles + polygons != 0)
                        printf("Found convexmesh geometry: numTriangleGroups:%i numPolygonGroups:%i\n",
                               int(triangles), int(polygons));
                    else
                        printf("No Triangles or Polygons found in ConvexMesh Geometry %s \n", id);
                }
            }
        }
    }

    for (size_t l = 0; l < dom->getLibrary_physics_scenes_array().getCount(); ++l) {
        domLibrary_physics_scenes* library = dom->getLibrary_physics_scenes_array()[l];
        for (size_t s = 0; s < library->getPhysics_scene_array().getCount(); ++s) {
            domPhysics_scene* scene = library->getPhysics_scene_array()[s];
            if (scene->getTechnique_common() != nullptr &&
                scene->getTechnique_common()->getGravity() != nullptr) {
                double g[3];
                if (readValues(scene->getTechnique_common()->getGravity()->getValue(), 3, "gravity", g)) {
                    if (verbosity >= 1)
                        printf("gravity set to %f,%f,%f\n", g[0], g[1], g[2]);
                    setGravity(btVector3(btScalar(g[0]), btScalar(g[1]), btScalar(g[2])));
                }
            }

            const domInstance_physics_model_Array& instances = scene->getInstance_physics_model_array();
            for (size_t i = 0; i < instances.getCount(); ++i) {
                domInstance_physics_model* instance = instances[i];
                domPhysics_model* model = daeSafeCast<domPhysics_model>(instance->getUrl().getElement());
                if (model != nullptr) {
                    const domInstance_physics_model_Array& nested = model->getInstance_physics_model_array();
                    for (size_t n = 0; n < nested.getCount(); ++n) {
                        domPhysics_model* nestedModel =
                            daeSafeCast<domPhysics_model>(nested[n]->getUrl().getElement());
                        const domInstance_rigid_body_Array& bodies =
                            nested[n]->getInstance_rigid_body_array();
                        for (size_t b = 0; b < bodies.getCount(); ++b)
                            oneBody(bodies[b], nestedModel, true);
                    }
                }
                const domInstance_rigid_body_Array& bodies = instance->getInstance_rigid_body_array();
                for (size_t b = 0; b < bodies.getCount(); ++b)
                    oneBody(bodies[b], model, false);
            }

            for (size_t i = 0; i < instances.getCount(); ++i) {
                domInstance_physics_model* instance = instances[i];
                domPhysics_model* model = daeSafeCast<domPhysics_model>(instance->getUrl().getElement());
                ConstraintInput input{instance, model};
                prepareConstraints(input);
                if (model == nullptr)
                    continue;
                const domInstance_physics_model_Array& nested = model->getInstance_physics_model_array();
                for (size_t n = 0; n < nested.getCount(); ++n) {
                    ConstraintInput nestedInput{
                        nested[n], daeSafeCast<domPhysics_model>(nested[n]->getUrl().getElement())};
                    prepareConstraints(nestedInput);
                }
            }
        }
    }
    return true;
}

void ColladaConverter::oneBody(domInstance_rigid_body* instance, domPhysics_model* model, bool nested) {
    bool isDynamics = true;
    float mass = 1.0f;
    btVector3 linearVelocity(0, 0, 0);
    btVector3 angularVelocity(0, 0, 0);
    double v[3];

    if (domInstance_rigid_body::domTechnique_common* common = instance->getTechnique_common()) {
        if (common->getMass() != nullptr) {
            double value = common->getMass()->getValue();
            readMass(value, mass);
        }
        if (common->getDynamic() != nullptr)
            isDynamics = common->getDynamic()->getValue();
        if (common->getVelocity() != nullptr &&
            readValues(common->getVelocity()->getValue(), 3, "velocity", v))
            linearVelocity.setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]));
        if (common->getAngular_velocity() != nullptr &&
            readValues(common->getAngular_velocity()->getValue(), 3, "angular_velocity", v))
            angularVelocity.setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]));
    }
    if (verbosity >= 1)
        printf("mass = %f, isDynamics %i\n", mass, int(isDynamics));

    const char* bodySid = instance->getBody();
    domRigid_body* matched = nullptr;
    btCollisionShape* shape = nullptr;
    btCompoundShape* compound = nullptr;
    if (bodySid != nullptr && model != nullptr) {
        const domRigid_body_Array& rigidBodies = model->getRigid_body_array();
        for (size_t r = 0; r < rigidBodies.getCount(); ++r) {
            if (!sameText(rigidBodies[r]->getSid(), bodySid))
                continue;
            btRigidBodyOutput output;
            if (nested)
                printf("1 found body %s\n", bodySid);
            btRigidBodyInput input;
            input.instance = instance;
            input.rigidBody = rigidBodies[r];
            ConvertRigidBodyRef(input, output);
            if (!nested && verbosity >= 1)
                printf("Found body converting %s\n", bodySid);
            mass = output.mass;
            isDynamics = output.isDynamics;
            shape = output.shape;
            compound = output.compoundShape;
            matched = rigidBodies[r];
        }
    }

    btCollisionShape* bodyShape = compound != nullptr ? compound : shape;
    if (bodyShape == nullptr)
        return;
    btRigidBodyInput input;
    input.instance = instance;
    input.rigidBody = nested ? nullptr : matched;
    if (nested)
        printf("1 calling prepare %s\n", bodySid);
    PreparePhysicsObject(input, isDynamics, mass, bodyShape, linearVelocity, angularVelocity);
}

void ColladaConverter::ConvertRigidBodyRef(btRigidBodyInput& input, btRigidBodyOutput& output) {
    domRigid_body* rigidBody = input.rigidBody;
    if (rigidBody == nullptr || rigidBody->getTechnique_common() == nullptr)
        return;
    domRigid_body::domTechnique_common* common = rigidBody->getTechnique_common();
    if (common->getMass() != nullptr) {
        double value = common->getMass()->getValue();
        readMass(value, output.mass);
    }
    if (common->getDynamic() != nullptr)
        output.isDynamics = common->getDynamic()->getValue();

    // Some exporters write <kinematic>true</kinematic> for bodies that must not
    // move at all.
    for (size_t e = 0; e < rigidBody->getExtra_array().getCount(); ++e) {
        const domTechnique_Array& techniques = rigidBody->getExtra_array()[e]->getTechnique_array();
        for (size_t t = 0; t < techniques.getCount(); ++t) {
            const daeElementRefArray& children = techniques[t]->getContents();
            for (size_t c = 0; c < children.getCount(); ++c) {
                if (sameText(children[c]->getElementName(), "kinematic") &&
                    children[c]->getCharData() == "true") {
                    puts("revert bug in PhysX .dae export -> <kinematic>true</kinematic> means "
                         "<dynamic>false</dynamic>");
                    output.isDynamics = false;
                }
            }
        }
    }

    const float u = unitMeterScale;
    const domRigid_body::domTechnique_common::domShape_Array& shapes = common->getShape_array();
    double v[4];
    for (size_t s = 0; s < shapes.getCount(); ++s) {
        domRigid_body::domTechnique_common::domShape* shapeElement = shapes[s];
        btCollisionShape* single = nullptr;

        if (shapeElement->getPlane() != nullptr && shapeElement->getPlane()->getEquation() != nullptr &&
            readValues(shapeElement->getPlane()->getEquation()->getValue(), 4, "equation", v)) {
            btVector3 normal{btScalar(v[0]), btScalar(v[1]), btScalar(v[2])};
            if (normal.length2() > SIMD_EPSILON)
                single = createPlaneShape(normal, float(v[3]) * u);
            else
                printf("Skipping <plane> with a zero-length normal\n");
        }
        if (shapeElement->getBox() != nullptr && shapeElement->getBox()->getHalf_extents() != nullptr &&
            readValues(shapeElement->getBox()->getHalf_extents()->getValue(), 3, "half_extents", v))
            single = createBoxShape(btVector3(btScalar(v[0]), btScalar(v[1]), btScalar(v[2])) * u);
        if (shapeElement->getSphere() != nullptr && shapeElement->getSphere()->getRadius() != nullptr) {
            double radius = shapeElement->getSphere()->getRadius()->getValue();
            if (std::isfinite(radius))
                single = createSphereShape(float(radius) * u);
            else
                printf("Skipping <sphere> whose radius is not finite\n");
        }
        if (domCylinder* cylinder = shapeElement->getCylinder()) {
            if (cylinder->getHeight() != nullptr && cylinder->getRadius() != nullptr &&
                readValues(cylinder->getRadius()->getValue(), 1, "radius", v)) {
                double height = cylinder->getHeight()->getValue();
                if (std::isfinite(height))
                    single = createCylinderShapeY(float(v[0]) * u, float(height) * u);
                else
                    printf("Skipping <cylinder> whose height is not finite\n");
            }
        }
        if (domInstance_geometry* instanceGeometry = shapeElement->getInstance_geometry()) {
            domGeometry* geometry = daeSafeCast<domGeometry>(instanceGeometry->getUrl().getElement());
            if (geometry == nullptr) {
                printf("Skipping <instance_geometry>: %s names no geometry\n",
                       instanceGeometry->getUrl().originalStr().c_str());
            } else {
                if (geometry->getMesh() != nullptr)
                    if (btCollisionShape* meshShape = convertMesh(geometry->getMesh(), output.isDynamics))
                        single = meshShape;
                if (geometry->getConvex_mesh() != nullptr)
                    if (btCollisionShape* hullShape = convertConvexMesh(geometry->getConvex_mesh()))
                        single = hullShape;
            }
        }

        if (single != nullptr &&
            (shapes.getCount() > 1 || shapeElement->getTranslate_array().getCount() > 0 ||
             shapeElement->getRotate_array().getCount() > 0)) {
            if (output.compoundShape == nullptr)
                output.compoundShape = createCompoundShape();
            domMatrix_Array noMatrices;
            output.compoundShape->addChildShape(
                GetbtTransformFromCOLLADA_DOM(noMatrices, shapeElement->getRotate_array(),
                                              shapeElement->getTranslate_array(), u),
                single);
            single = nullptr;
        }
        if (single != nullptr)
            output.shape = single;
    }
}

int ColladaConverter::addHullPoints(btConvexHullShape* hull, domVertices* vertices) {
    int added = 0;
    if (vertices == nullptr)
        return 0;
    const float u = unitMeterScale;
    for (size_t i = 0; i < vertices->getInput_array().getCount(); ++i) {
        domFloat_array* floats = positionArray(vertices->getInput_array()[i]);
        if (floats == nullptr)
            continue;
        const domListOfFloats& f = floats->getValue();
        int skipped = 0;
        for (size_t p = 0; p + 2 < f.getCount(); p += 3) {
            if (!std::isfinite(f[p]) || !std::isfinite(f[p + 1]) || !std::isfinite(f[p + 2])) {
                ++skipped;
                continue;
            }
            hull->addPoint(btVector3(btScalar(f[p]), btScalar(f[p + 1]), btScalar(f[p + 2])) * u, false);
            ++added;
        }
        if (skipped > 0)
            printf("Skipped %d hull points that are not finite\n", skipped);
    }
    hull->recalcLocalAabb();
    return added;
}

btCollisionShape* ColladaConverter::convertMesh(domMesh* mesh, bool isDynamics) {
    const domTriangles_Array& trianglesArray = mesh->getTriangles_array();
    if (trianglesArray.getCount() == 0) {
        btConvexHullShape* hull = createConvexHullShape();
        addHullPoints(hull, mesh->getVertices());
        if (hull->getNumPoints() > 0)
            return hull;
        forgetShape(hull);
        puts("no vertices found for convex hull");
        return nullptr;
    }

    const float u = unitMeterScale;
    btTriangleMesh* triangleMesh = createTriangleMeshContainer();
    domVertices* vertices = mesh->getVertices();
    if (countPositionInputs(vertices) == 0)
        printf("Skipping triangle <mesh>: its <vertices> have no POSITION input\n");
    for (size_t t = 0; t < trianglesArray.getCount() && countPositionInputs(vertices) > 0; ++t) {
        domTriangles* triangles = trianglesArray[t];
        bool hasVertex = false;
        domUint vertexOffset = 0;
        domUint largestOffset = 0;
        for (size_t i = 0; i < triangles->getInput_array().getCount(); ++i) {
            domInputLocalOffset* input = triangles->getInput_array()[i];
            if (input->getOffset() > largestOffset)
                largestOffset = input->getOffset();
            if (!hasVertex && sameText(input->getSemantic(), "VERTEX")) {
                vertexOffset = input->getOffset();
                hasVertex = true;
            }
        }
        if (!hasVertex) {
            printf("Skipping <triangles> without a VERTEX input\n");
            continue;
        }
        if (triangles->getP() == nullptr) {
            printf("Skipping <triangles> without an index list <p>\n");
            continue;
        }
        const domListOfUInts& indices = triangles->getP()->getValue();
        const domUint indexCount = indices.getCount();
        if (largestOffset >= indexCount) {
            printf("Skipping <triangles>: input offset %llu runs past its %llu indices\n",
                   (unsigned long long)largestOffset, (unsigned long long)indexCount);
            continue;
        }
        const domUint stride = largestOffset + 1;
        const domUint count = triangles->getCount();
        if (count > indexCount / (3 * stride)) {
            printf("Skipping <triangles>: count %llu needs more than its %llu indices\n",
                   (unsigned long long)count, (unsigned long long)indexCount);
            continue;
        }
        for (size_t i = 0; i < vertices->getInput_array().getCount(); ++i) {
            domFloat_array* floats = positionArray(vertices->getInput_array()[i]);
            if (floats == nullptr)
                continue;
            const domListOfFloats& f = floats->getValue();
            const domUint pointCount = f.getCount() / 3;
            int skipped = 0;
            for (domUint n = 0; n < count; ++n) {
                btVector3 corners[3];
                bool usable = true;
                for (domUint k = 0; k < 3 && usable; ++k) {
                    domUint index = indices[size_t(vertexOffset + (3 * n + k) * stride)];
                    if (index >= pointCount) {
                        usable = false;
                        break;
                    }
                    double x = f[size_t(3 * index)], y = f[size_t(3 * index + 1)],
                           z = f[size_t(3 * index + 2)];
                    usable = std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
                    corners[k] = btVector3(btScalar(x), btScalar(y), btScalar(z)) * u;
                }
                if (usable)
                    triangleMesh->addTriangle(corners[0], corners[1], corners[2], false);
                else
                    ++skipped;
            }
            if (skipped > 0)
                printf("Skipped %d triangles whose corners lie past their positions or are not finite\n",
                       skipped);
        }
    }
    // Bullet cannot build a tree over no triangles.
    if (triangleMesh->getNumTriangles() == 0) {
        printf("Skipping triangle <mesh> without usable triangles\n");
        return nullptr;
    }
    if (isDynamics) {
        if (verbosity >= 2)
            puts("moving concave <mesh> added");
        return createGimpactShape(triangleMesh);
    }
    if (verbosity >= 2)
        puts("static concave triangle <mesh> added");
    return createBvhTriangleMeshShape(triangleMesh);
}

btCollisionShape* ColladaConverter::convertConvexMesh(domConvex_mesh* convexMesh) {
    const std::string hullOf = convexMesh->getConvex_hull_of().originalStr();
    const bool linked = !hullOf.empty() && convexMesh->getConvex_hull_of().getElement() != nullptr;
    if (verbosity >= 2) {
        if (linked) {
            puts("otherLinked");
        } else {
            printf("convexMesh polyCount = %i\n", int(convexMesh->getPolygons_array().getCount()));
            printf("convexMesh triCount = %i\n", int(convexMesh->getTriangles_array().getCount()));
        }
    }

    btConvexHullShape* hull = createConvexHullShape();
    if (!hullOf.empty()) {
        const std::string id = hullOf.substr(1);
        for (size_t l = 0; l < dom->getLibrary_geometries_array().getCount(); ++l) {
            const domGeometry_Array& geometries = dom->getLibrary_geometries_array()[l]->getGeometry_array();
            for (size_t g = 0; g < geometries.getCount(); ++g)
                if (sameText(geometries[g]->getId(), id.c_str()) && geometries[g]->getMesh() != nullptr)
                    addHullPoints(hull, geometries[g]->getMesh()->getVertices());
        }
    } else {
        addHullPoints(hull, convexMesh->getVertices());
    }

    btCollisionShape* result = nullptr;
    if (hull->getNumPoints() > 0) {
        if (verbosity >= 2)
            printf("created convexHullShape with %i points\n", hull->getNumPoints());
        result = hull;
    } else {
        forgetShape(hull);
        if (verbosity >= 2)
            puts("failed to create convexHullShape");
    }
    if (verbosity >= 2)
        puts("convexmesh");
    return result;
}

void ColladaConverter::PreparePhysicsObject(btRigidBodyInput& input, bool isDynamics, float mass,
                                            btCollisionShape* shape, btVector3 const& linearVelocity,
                                            btVector3 const& angularVelocity) {
    btTransform start;
    start.setIdentity();
    btVector3 scale(1, 1, 1);
    domNode* node = nullptr;
    if (input.instance != nullptr && !input.instance->getTarget().originalStr().empty())
        node = daeSafeCast<domNode>(input.instance->getTarget().getElement());
    if (node != nullptr) {
        input.node = node;
        start = GetbtTransformFromCOLLADA_DOM(node->getMatrix_array(), node->getRotate_array(),
                                              node->getTranslate_array(), unitMeterScale);
        double v[3];
        for (size_t i = 0; i < node->getScale_array().getCount(); ++i)
            if (readValues(node->getScale_array()[i]->getValue(), 3, "scale", v))
                scale.setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]));
    }
    if (scale.length() < 0.001f)
        puts("invalid scale");
    shape->setLocalScaling(scale);

    btRigidBody* body = createRigidBody(isDynamics, mass, start, shape);
    if (body == nullptr)
        return;
    if (body->getBroadphaseHandle() != nullptr) {
        btHashInt key(body->getBroadphaseHandle()->m_uniqueId);
        if (btRigidBodyColladaInfo** old = rigidBodyMap.find(key))
            delete *old;
        rigidBodyMap.insert(key, new btRigidBodyColladaInfo{node, input.rigidBody, input.instance, body});
    }
    if (body->getInvMass() != 0.0f) {
        body->setLinearVelocity(linearVelocity);
        body->setAngularVelocity(angularVelocity);
    }
}

void ColladaConverter::prepareConstraints(ConstraintInput& input) {
    if (input.instance == nullptr || input.model == nullptr)
        return;
    const float u = unitMeterScale;
    const domInstance_rigid_constraint_Array& instances =
        input.instance->getInstance_rigid_constraint_array();
    const domRigid_constraint_Array& constraints = input.model->getRigid_constraint_array();
    for (size_t j = 0; j < instances.getCount(); ++j) {
        domInstance_rigid_constraint* instance = instances[j];
        for (size_t k = 0; k < constraints.getCount(); ++k) {
            domRigid_constraint* constraint = constraints[k];
            if (!sameText(constraint->getSid(), instance->getConstraint()))
                continue;

            std::string refName, attName;
            if (constraint->getRef_attachment() != nullptr)
                refName = constraint->getRef_attachment()->getRigid_body().originalStr();
            if (constraint->getAttachment() != nullptr)
                attName = constraint->getAttachment()->getRigid_body().originalStr();

            btRigidBody* bodyA = nullptr;
            btRigidBody* bodyB = nullptr;
            for (int i = 0; i < getNumRigidBodies(); ++i) {
                btRigidBody* body = getRigidBody(i);
                btRigidBodyColladaInfo* info = findRigidBodyColladaInfo(body);
                if (info == nullptr || info->rigidBody == nullptr || info->rigidBody->getSid() == nullptr)
                    continue;
                if (refName == info->rigidBody->getSid())
                    bodyA = body;
                if (attName == info->rigidBody->getSid())
                    bodyB = body;
            }

            btVector3 linearLower(0, 0, 0), linearUpper(0, 0, 0);
            btVector3 angularLower(0, 0, 0), angularUpper(0, 0, 0);
            bool disableCollisions = false;
            if (domRigid_constraint::domTechnique_common* common = constraint->getTechnique_common()) {
                double v[3];
                if (domRigid_constraint::domTechnique_common::domLimits* limits = common->getLimits()) {
                    if (limits->getLinear() != nullptr) {
                        if (limits->getLinear()->getMin() != nullptr &&
                            readValues(limits->getLinear()->getMin()->getValue(), 3, "min", v))
                            linearLower.setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]));
                        if (limits->getLinear()->getMax() != nullptr &&
                            readValues(limits->getLinear()->getMax()->getValue(), 3, "max", v))
                            linearUpper.setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]));
                    }
                    if (limits->getSwing_cone_and_twist() != nullptr) {
                        if (limits->getSwing_cone_and_twist()->getMin() != nullptr &&
                            readValues(limits->getSwing_cone_and_twist()->getMin()->getValue(), 3, "min", v))
                            angularLower.setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]));
                        if (limits->getSwing_cone_and_twist()->getMax() != nullptr &&
                            readValues(limits->getSwing_cone_and_twist()->getMax()->getValue(), 3, "max", v))
                            angularUpper.setValue(btScalar(v[0]), btScalar(v[1]), btScalar(v[2]));
                    }
                }
                if (common->getInterpenetrate() != nullptr)
                    disableCollisions = common->getInterpenetrate()->getValue();
            }
            // lower > upper leaves an axis free in Bullet.
            for (int axis = 0; axis < 3; ++axis) {
                if (linearLower[axis] < -999999.0f || linearUpper[axis] > 999999.0f) {
                    linearLower[axis] = 1.0f;
                    linearUpper[axis] = 0.0f;
                }
                if (angularLower[axis] < -180.0f || angularUpper[axis] > 180.0f) {
                    angularLower[axis] = 1.0f;
                    angularUpper[axis] = 0.0f;
                } else {
                    angularLower[axis] *= SIMD_PI / 180.0f;
                    angularUpper[axis] *= SIMD_PI / 180.0f;
                }
            }

            domMatrix_Array noMatrices;
            btTransform frameRef;
            frameRef.setIdentity();
            btTransform frameAtt;
            frameAtt.setIdentity();
            if (domRigid_constraint::domRef_attachment* ref = constraint->getRef_attachment())
                frameRef = GetbtTransformFromCOLLADA_DOM(noMatrices, ref->getRotate_array(),
                                                         ref->getTranslate_array(), u);
            if (domRigid_constraint::domAttachment* att = constraint->getAttachment())
                frameAtt = GetbtTransformFromCOLLADA_DOM(noMatrices, att->getRotate_array(),
                                                         att->getTranslate_array(), u);

            btTypedConstraint* created = nullptr;
            if (bodyA != nullptr)
                created =
                    createUniversalD6Constraint(bodyA, bodyB, frameRef, frameAtt, linearLower, linearUpper,
                                                angularLower, angularUpper, disableCollisions);
            else if (bodyB != nullptr)
                created =
                    createUniversalD6Constraint(bodyB, nullptr, frameAtt, frameRef, linearLower, linearUpper,
                                                angularLower, angularUpper, disableCollisions);
            if (created == nullptr) {
                printf("Error: Cannot find Rigidbodies(%s,%s) for constraint %s\n", refName.c_str(),
                       attName.c_str(),
                       instance->getConstraint() != nullptr ? instance->getConstraint() : "");
                continue;
            }
            if (created->getUserConstraintId() == -1)
                created->setUserConstraintId(nextConstraintId++);
            btHashInt key(created->getUserConstraintId());
            if (btRigidConstraintColladaInfo** old = constraintMap.find(key))
                delete *old;
            constraintMap.insert(key, new btRigidConstraintColladaInfo{created, constraint, instance});
            printf("Added constraint %s to the world\n",
                   constraint->getSid() != nullptr ? constraint->getSid() : "");
        }
    }
}
