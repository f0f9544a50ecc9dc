#include "CaptureOutput.h"

#include "ColladaWriter.h"
#include "Image.h"
#include "ImageWriter.h"
#include "Mesh.h"
#include "MeshBuilder.h"
#include "SceneDescription.h"
#include "TextureFactory.h"

#include "physics/ColladaConverter.h"

#include <IL/il.h>
#include <assimp/cimport.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::filesystem::path scratch(const std::string& name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "lullvane-content-tool-test";
    std::filesystem::create_directories(dir);
    return dir / name;
}

// Volume enclosed by a closed mesh, positive when its faces point outwards.
float signedVolume(const Mesh& m) {
    float v = 0.0f;
    for (std::size_t i = 0; i + 2 < m.indices.size(); i += 3) {
        glm::vec3 a = m.vertices[m.indices[i]].position;
        glm::vec3 b = m.vertices[m.indices[i + 1]].position;
        glm::vec3 c = m.vertices[m.indices[i + 2]].position;
        v += glm::dot(a, glm::cross(b, c)) / 6.0f;
    }
    return v;
}

// Each triangle's winding agrees with the normals stored at its corners.
int facesAgainstTheirNormals(const Mesh& m) {
    int wrong = 0;
    for (std::size_t i = 0; i + 2 < m.indices.size(); i += 3) {
        const MeshVertex& a = m.vertices[m.indices[i]];
        const MeshVertex& b = m.vertices[m.indices[i + 1]];
        const MeshVertex& c = m.vertices[m.indices[i + 2]];
        glm::vec3 n = glm::cross(b.position - a.position, c.position - a.position);
        if (glm::length(n) < 1e-9f)
            continue;
        if (glm::dot(n, a.normal + b.normal + c.normal) <= 0.0f)
            ++wrong;
    }
    return wrong;
}

struct ClosedShape {
    const char* name;
    Mesh mesh;
    float volume;
    float tolerance;
};

TEST(MeshBuilder, ClosedShapesFaceOutwardsAndEncloseTheirVolume) {
    const float pi = glm::pi<float>();
    const ClosedShape shapes[] = {
        {"box", MeshBuilder::box({-1, 0, -2}, {1, 3, 2}), 2.0f * 3.0f * 4.0f, 1e-4f},
        {"inward box", MeshBuilder::inwardBox({-1, 0, -2}, {1, 3, 2}), -24.0f, 1e-4f},
        {"cylinder", MeshBuilder::cylinder({1, 1, 1}, {1, 5, 1}, 0.5f, 32), pi * 0.25f * 4.0f, 0.02f},
        {"slanted cylinder", MeshBuilder::cylinder({0, 0, 0}, {3, 4, 0}, 1.0f, 32), pi * 5.0f, 0.02f},
        {"ellipsoid", MeshBuilder::ellipsoid({2, 0, 0}, {1, 2, 3}, 24, 32), 4.0f / 3.0f * pi * 6.0f, 0.03f},
        {"mirrored box",
         MeshBuilder::box({0, 0, 0}, {1, 1, 1}).transformed(glm::scale(glm::mat4(1.0f), {-1, 2, 1})), 2.0f,
         1e-4f},
    };
    for (const ClosedShape& s : shapes) {
        SCOPED_TRACE(s.name);
        EXPECT_NEAR(signedVolume(s.mesh), s.volume, std::fabs(s.volume) * s.tolerance);
        EXPECT_EQ(facesAgainstTheirNormals(s.mesh), 0);
    }
}

TEST(MeshBuilder, TerrainFollowsItsHeightWithUpwardSlopeNormals) {
    Mesh t = MeshBuilder::terrain(
        {-2, -2}, {2, 2}, 4, 4, [](float x, float) { return 0.5f * x; }, 1.0f);
    EXPECT_EQ(t.vertices.size(), 25u);
    EXPECT_EQ(t.triangleCount(), 32u);
    EXPECT_EQ(facesAgainstTheirNormals(t), 0);
    glm::vec3 slope = glm::normalize(glm::vec3(-0.5f, 1.0f, 0.0f));
    for (const MeshVertex& v : t.vertices) {
        EXPECT_NEAR(v.position.y, 0.5f * v.position.x, 1e-5f);
        EXPECT_NEAR(glm::dot(v.normal, slope), 1.0f, 1e-4f);
    }
}

TEST(MeshBuilder, BlockTextIsSixPixelsALetterAndSkipsUnknownCharacters) {
    float width = 0.0f;
    Mesh title = MeshBuilder::blockText("LULLVANE", 0.1f, 0.2f, width);
    EXPECT_NEAR(width, 4.7f, 1e-4f);
    glm::vec3 lo, hi;
    title.bounds(lo, hi);
    EXPECT_NEAR(lo.x, 0.0f, 1e-5f);
    EXPECT_NEAR(hi.x, width, 1e-4f);
    EXPECT_NEAR(hi.y, 0.7f, 1e-5f);
    EXPECT_NEAR(hi.z - lo.z, 0.2f, 1e-5f);
    float gapWidth = 0.0f;
    Mesh gap = MeshBuilder::blockText("L?L", 0.1f, 0.2f, gapWidth);
    Mesh two = MeshBuilder::blockText("LL", 0.1f, 0.2f, width);
    EXPECT_EQ(gap.triangleCount(), two.triangleCount());
    EXPECT_NEAR(gapWidth, 1.7f, 1e-4f);
}

TEST(SceneDescription, TouchableBodiesReachBeyondTheirSolidPartOnlyBelowTheFloor) {
    BodyShape s = BodyShape::touchable({-0.5f, 0.0f, -0.5f}, {0.5f, 1.0f, 0.5f}, 0.3f, 0.0f);
    ASSERT_EQ(s.kind, ShapeKind::TriangleMesh);
    glm::vec3 lo, hi;
    s.mesh.bounds(lo, hi);
    EXPECT_NEAR(lo.x, -0.8f, 1e-5f);
    EXPECT_NEAR(lo.z, -0.8f, 1e-5f);
    EXPECT_NEAR(hi.x, 0.82f, 1e-5f);
    EXPECT_NEAR(lo.y, -0.5f, 1e-5f);
    EXPECT_NEAR(hi.y, 1.0f, 1e-5f);
    for (const MeshVertex& v : s.mesh.vertices) {
        bool solid = std::fabs(v.position.x) <= 0.5f + 1e-5f && std::fabs(v.position.z) <= 0.5f + 1e-5f;
        EXPECT_TRUE(solid || v.position.y < 0.0f)
            << v.position.x << " " << v.position.y << " " << v.position.z;
    }
}

TEST(SceneDescription, MergesPartsByMaterialAndKeepsANodesPlacementForItsBody) {
    SceneDescription scene("test.dae");
    glm::mat4 place = glm::translate(glm::mat4(1.0f), {1, 2, 3});
    scene.node("Thing", place);
    scene.add("Thing", "wood_dark", MeshBuilder::box({0, 0, 0}, {1, 1, 1}));
    scene.add("Thing", "gold", MeshBuilder::box({0, 0, 0}, {1, 1, 1}));
    scene.add("Thing", "wood_dark", MeshBuilder::box({2, 0, 0}, {3, 1, 1}));
    scene.addBody("Thing", {BodyShape::box({0, 0, 0}, {1, 1, 1})}, glm::mat4(1.0f));
    ASSERT_EQ(scene.nodes.size(), 1u);
    EXPECT_EQ(scene.nodes[0].transform, place);
    ASSERT_EQ(scene.nodes[0].parts.size(), 2u);
    EXPECT_EQ(scene.nodes[0].parts[0].mesh.triangleCount(), 24u);
    EXPECT_EQ(scene.materials(), (std::vector<std::string>{"wood_dark", "gold"}));
    EXPECT_EQ(scene.triangleCount(), 36u);
}

// ---- writing COLLADA ------------------------------------------------------

SceneDescription smallScene() {
    SceneDescription scene("small.dae");
    glm::mat4 place =
        glm::rotate(glm::translate(glm::mat4(1.0f), {1.0f, 2.0f, 3.0f}), glm::radians(90.0f), {0, 1, 0});
    scene.node("Crate", place);
    scene.add("Crate", "wood_dark", MeshBuilder::box({-0.5f, 0.0f, -0.5f}, {0.5f, 1.0f, 0.5f}));
    scene.add("Crate", "gold", MeshBuilder::ellipsoid({0.0f, 1.2f, 0.0f}, glm::vec3(0.2f), 6, 8));
    scene.addBody("Crate", {BodyShape::box({-0.5f, 0.0f, -0.5f}, {0.5f, 1.0f, 0.5f})});
    scene.addBody("Ramp", {BodyShape::box({-1, -1, -1}, {1, 1, 1}), BodyShape::sphere({0, 2, 0}, 0.5f)},
                  glm::translate(glm::mat4(1.0f), {5.0f, 0.0f, 0.0f}));
    scene.addBody("Floor",
                  {BodyShape::triangles(MeshBuilder::quad({-5, 0, 5}, {5, 0, 5}, {5, 0, -5}, {-5, 0, -5}))});
    scene.animations.push_back({"Crate", {{0.0f, place}, {1.0f, glm::translate(place, {0.0f, 1.0f, 0.0f})}}});
    return scene;
}

TEST(ColladaWriter, TheModelImporterReadsNodesMeshesMaterialsAndKeys) {
    std::string path = scratch("small.dae").string();
    ASSERT_TRUE(ColladaWriter::write(smallScene(), path));
    const aiScene* s = aiImportFile(path.c_str(), aiProcess_CalcTangentSpace | aiProcess_Triangulate);
    ASSERT_NE(s, nullptr) << aiGetErrorString();
    EXPECT_TRUE(s->mRootNode->mTransformation.IsIdentity());
    const aiNode* crate = s->mRootNode->FindNode("Crate");
    ASSERT_NE(crate, nullptr);
    EXPECT_NEAR(crate->mTransformation.a4, 1.0f, 1e-5f);
    EXPECT_NEAR(crate->mTransformation.b4, 2.0f, 1e-5f);
    EXPECT_NEAR(crate->mTransformation.c4, 3.0f, 1e-5f);
    EXPECT_NEAR(crate->mTransformation.a3, 1.0f, 1e-5f); // x of the node's +z axis: turned 90 degrees about y
    ASSERT_EQ(crate->mNumMeshes, 2u);
    std::set<std::string> colours, normals;
    for (unsigned i = 0; i < crate->mNumMeshes; ++i) {
        const aiMesh* mesh = s->mMeshes[crate->mMeshes[i]];
        EXPECT_TRUE(mesh->HasNormals() && mesh->HasTextureCoords(0) && mesh->HasTangentsAndBitangents());
        aiString diffuse, emissive;
        const aiMaterial* m = s->mMaterials[mesh->mMaterialIndex];
        ASSERT_EQ(aiGetMaterialTexture(m, aiTextureType_DIFFUSE, 0, &diffuse), AI_SUCCESS);
        ASSERT_EQ(aiGetMaterialTexture(m, aiTextureType_EMISSIVE, 0, &emissive), AI_SUCCESS);
        colours.insert(diffuse.C_Str());
        normals.insert(emissive.C_Str());
    }
    EXPECT_EQ(colours, (std::set<std::string>{"textures/gold.tga", "textures/wood_dark.tga"}));
    EXPECT_EQ(normals, (std::set<std::string>{"textures/gold_n.tga", "textures/wood_dark_n.tga"}));
    ASSERT_EQ(s->mNumAnimations, 1u);
    ASSERT_EQ(s->mAnimations[0]->mNumChannels, 1u);
    const aiNodeAnim* channel = s->mAnimations[0]->mChannels[0];
    EXPECT_STREQ(channel->mNodeName.C_Str(), "Crate");
    ASSERT_EQ(channel->mNumPositionKeys, 2u);
    EXPECT_NEAR(channel->mPositionKeys[0].mValue.y, 2.0f, 1e-4f);
    EXPECT_NEAR(channel->mPositionKeys[1].mValue.y, 3.0f, 1e-4f);
    aiReleaseImport(s);
}

TEST(ColladaWriter, ThePhysicsReaderBuildsStaticBodiesNamedAfterTheirNodes) {
    std::string path = scratch("small.dae").string();
    ASSERT_TRUE(ColladaWriter::write(smallScene(), path));
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
    auto converter = std::make_unique<ColladaConverter>(&world);
    CaptureOutput out(1);
    ASSERT_TRUE(converter->load(path.c_str()));
    std::string printed = out.finish();
    EXPECT_EQ(printed.find("Warning"), std::string::npos) << printed;
    ASSERT_EQ(world.getNumCollisionObjects(), 3);
    std::map<std::string, btRigidBody*> bodies;
    for (int i = 0; i < 3; ++i) {
        btRigidBody* body = btRigidBody::upcast(world.getCollisionObjectArray()[i]);
        ASSERT_NE(converter->getName(body), nullptr);
        bodies[converter->getName(body)] = body;
        EXPECT_TRUE(body->isStaticObject());
    }
    // a box around the node's origin stays a plain box; a box and a sphere off
    // the origin make a compound; a mesh becomes a triangle mesh
    ASSERT_EQ(bodies.count("Crate"), 1u);
    EXPECT_EQ(bodies["Crate"]->getCollisionShape()->getShapeType(), COMPOUND_SHAPE_PROXYTYPE);
    EXPECT_EQ(bodies["Ramp"]->getCollisionShape()->getShapeType(), COMPOUND_SHAPE_PROXYTYPE);
    EXPECT_EQ(static_cast<btCompoundShape*>(bodies["Ramp"]->getCollisionShape())->getNumChildShapes(), 2);
    EXPECT_EQ(bodies["Floor"]->getCollisionShape()->getShapeType(), TRIANGLE_MESH_SHAPE_PROXYTYPE);
    btVector3 origin = bodies["Crate"]->getWorldTransform().getOrigin();
    EXPECT_NEAR(origin.x(), 1.0f, 1e-5f);
    EXPECT_NEAR(origin.y(), 2.0f, 1e-5f);
    EXPECT_NEAR(origin.z(), 3.0f, 1e-5f);
    btVector3 lo, hi;
    bodies["Ramp"]->getAabb(lo, hi);
    EXPECT_NEAR(hi.y(), 2.5f, 0.05f);
    converter.reset();
}

TEST(ColladaWriter, ReportsAFileItCannotWrite) {
    CaptureOutput err(2);
    EXPECT_FALSE(ColladaWriter::write(smallScene(), "/nonexistent-dir/small.dae"));
    EXPECT_NE(err.finish().find("Cannot write /nonexistent-dir/small.dae"), std::string::npos);
}

// ---- pictures -------------------------------------------------------------

struct Loaded {
    ILuint image = 0;
    bool ok = false;
    explicit Loaded(const std::string& path) {
        ilInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
        ilGenImages(1, &image);
        ilBindImage(image);
        ok = ilLoadImage(path.c_str()) == IL_TRUE && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_TRUE;
    }
    ~Loaded() { ilDeleteImages(1, &image); }
    glm::ivec4 pixel(int x, int y) const {
        const ILubyte* data = ilGetData();
        int w = ilGetInteger(IL_IMAGE_WIDTH);
        const ILubyte* p = data + (y * w + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
};

Image cornerPicture() {
    Image image(4, 2);
    image.set(0, 0, {1.0f, 0.0f, 0.0f, 1.0f}); // bottom left
    image.set(3, 1, {0.0f, 0.0f, 1.0f, 0.5f}); // top right
    image.set(1, 0, {0.0f, 1.0f, 0.0f, 0.0f});
    return image;
}

TEST(ImageWriter, TargaKeepsColoursAlphaAndTheBottomRowFirst) {
    std::string path = scratch("corners.tga").string();
    ASSERT_TRUE(ImageWriter::writeTga(path, cornerPicture()));
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), {});
    ASSERT_EQ(bytes.size(), 18u + 4u * 2u * 4u);
    EXPECT_EQ(bytes[2], 2);     // uncompressed true colour
    EXPECT_EQ(bytes[16], 32);   // bits per pixel
    EXPECT_EQ(bytes[17], 0x08); // alpha bits, origin bottom-left
    Loaded image(path);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 4);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 2);
    EXPECT_EQ(image.pixel(0, 0), glm::ivec4(255, 0, 0, 255));
    EXPECT_EQ(image.pixel(1, 0), glm::ivec4(0, 255, 0, 0));
    EXPECT_EQ(image.pixel(3, 1), glm::ivec4(0, 0, 255, 128));
}

TEST(ImageWriter, BitmapIsReadBackRightSideUpWithoutAlpha) {
    std::string path = scratch("corners.bmp").string();
    ASSERT_TRUE(ImageWriter::writeBmp(path, cornerPicture()));
    Loaded image(path);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.pixel(0, 0), glm::ivec4(255, 0, 0, 255));
    EXPECT_EQ(image.pixel(3, 1), glm::ivec4(0, 0, 255, 255));
}

TEST(TextureFactory, EveryPictureIsSmallPowerOfTwoDetailedAndRepeatable) {
    for (const std::string& name : TextureFactory::names()) {
        SCOPED_TRACE(name);
        Image colour, normals;
        ASSERT_TRUE(TextureFactory::build(name, colour, normals));
        for (int side : {colour.getWidth(), colour.getHeight()}) {
            EXPECT_GE(side, 64);
            EXPECT_LE(side, 256);
            EXPECT_EQ(side & (side - 1), 0);
        }
        EXPECT_EQ(normals.getWidth(), colour.getWidth());
        EXPECT_EQ(normals.getHeight(), colour.getHeight());
        // some texture detail: the luminance varies
        double sum = 0.0, square = 0.0, heightSpread = 0.0;
        float minHeight = 1.0f, maxHeight = 0.0f;
        int n = colour.getWidth() * colour.getHeight();
        for (int y = 0; y < colour.getHeight(); ++y) {
            for (int x = 0; x < colour.getWidth(); ++x) {
                glm::vec4 c = colour.get(x, y);
                double l = 0.3 * c.r + 0.6 * c.g + 0.1 * c.b;
                sum += l;
                square += l * l;
                glm::vec4 nm = normals.get(x, y);
                glm::vec3 v = glm::vec3(nm) * 2.0f - 1.0f;
                EXPECT_NEAR(glm::length(v), 1.0f, 0.02f);
                EXPECT_GT(v.z, 0.3f);
                minHeight = std::min(minHeight, nm.a);
                maxHeight = std::max(maxHeight, nm.a);
            }
        }
        heightSpread = maxHeight - minHeight;
        double mean = sum / n;
        EXPECT_GT(std::sqrt(square / n - mean * mean), 0.005);
        EXPECT_GT(heightSpread, 0.0);
        Image again, againNormals;
        TextureFactory::build(name, again, againNormals);
        EXPECT_EQ(again.getPixels(), colour.getPixels());
    }
    Image none, noneNormals;
    EXPECT_FALSE(TextureFactory::build("no such picture", none, noneNormals));
}

TEST(TextureFactory, WheatStandsOnATransparentGround) {
    Image colour, normals;
    ASSERT_TRUE(TextureFactory::build("wheat", colour, normals));
    int clear = 0, solid = 0;
    for (int y = 0; y < colour.getHeight(); ++y) {
        for (int x = 0; x < colour.getWidth(); ++x)
            (colour.get(x, y).a < 0.5f ? clear : solid)++;
    }
    EXPECT_GT(clear, solid);
    EXPECT_GT(solid, colour.getWidth() * colour.getHeight() / 20);
    // stalks rise from the bottom row
    int bottom = 0;
    for (int x = 0; x < colour.getWidth(); ++x)
        bottom += colour.get(x, 0).a > 0.5f;
    EXPECT_GT(bottom, 0);
}

} // namespace
