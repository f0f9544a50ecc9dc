#include "scene/GameAsset.h"

#include "render/RenderEngine.h"
#include "scene/GameModel.h"

#include <assimp/material.h>
#include <assimp/mesh.h>

#include <iostream>

std::map<std::string, GLuint> GameAsset::textures;
std::map<GLuint, unsigned int> GameAsset::textureReferences;

namespace {

constexpr unsigned int maxUVSets = 4;

const aiTextureType furtherTypes[8] = {
    aiTextureType_HEIGHT,       aiTextureType_NORMALS,  aiTextureType_SHININESS,  aiTextureType_OPACITY,
    aiTextureType_DISPLACEMENT, aiTextureType_LIGHTMAP, aiTextureType_REFLECTION, aiTextureType_UNKNOWN,
};

void uploadArray(GLuint& buffer, const std::vector<float>& data) {
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(),
                 GL_STATIC_DRAW);
}

// All assets of a model share the model's vertex array object, so an attribute
// this mesh has no data for is switched off rather than left pointing into
// another mesh's (possibly shorter) buffer.
void bindAttribute(GLuint buffer, GLint location, GLint components, bool hasData) {
    if (location == -1)
        return;
    if (!hasData) {
        glDisableVertexAttribArray(static_cast<GLuint>(location));
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
}

void bindSlotTexture(int unit, GLuint texture, GLint location) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glUniform1i(location, unit);
}

} // namespace

GameAsset::GameAsset(aiMesh* mesh, aiMaterial* material) {
    if (mesh != nullptr) {
        hasFaces = mesh->mFaces != nullptr && mesh->mNumFaces > 0;
        hasNormals = mesh->mNormals != nullptr && mesh->mNumVertices > 0;
        hasTangents = mesh->mTangents != nullptr && mesh->mBitangents != nullptr && mesh->mNumVertices > 0;
        while (numUVChannels < maxUVSets && mesh->mTextureCoords[numUVChannels] != nullptr)
            ++numUVChannels;
        for (unsigned int c = 0; c < maxUVSets; ++c)
            numUVComponents[c] = mesh->mNumUVComponents[c];
    }

    textureUnitCounter = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &maxTextureUnits);

    loadMaterial(material);

    if (!hasFaces)
        return;

    // Meshes made only of points or only of lines are drawn as such; anything
    // else has been triangulated by the import.
    unsigned int faceSize = mesh->mFaces[0].mNumIndices;
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices != faceSize)
            faceSize = 0;
        indices.insert(indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
    }
    if (faceSize == 1)
        primitiveMode = GL_POINTS;
    else if (faceSize == 2)
        primitiveMode = GL_LINES;

    numVertices = mesh->mNumVertices;
    positions.reserve(numVertices * 3);
    for (unsigned int v = 0; v < numVertices; ++v) {
        const aiVector3D& p = mesh->mVertices[v];
        positions.insert(positions.end(), {p.x, p.y, p.z});
    }
    if (hasNormals) {
        normals.reserve(numVertices * 3);
        for (unsigned int v = 0; v < numVertices; ++v) {
            const aiVector3D& n = mesh->mNormals[v];
            normals.insert(normals.end(), {n.x, n.y, n.z});
        }
    }
    if (hasTangents) {
        tangents.reserve(numVertices * 3);
        bitangents.reserve(numVertices * 3);
        for (unsigned int v = 0; v < numVertices; ++v) {
            const aiVector3D& t = mesh->mTangents[v];
            tangents.insert(tangents.end(), {t.x, t.y, t.z});
        }
        for (unsigned int v = 0; v < numVertices; ++v) {
            const aiVector3D& b = mesh->mBitangents[v];
            bitangents.insert(bitangents.end(), {b.x, b.y, b.z});
        }
        tangentLocation = -1;
        bitangentLocation = -1;
        shadowTangentLocation = -1;
        shadowBitangentLocation = -1;
        makeTangentBuffers = true;
    }
    if (hasTexture) {
        for (unsigned int v = 0; v < numVertices; ++v) {
            for (unsigned int c = 0; c < numUVChannels; ++c) {
                const aiVector3D& uv = mesh->mTextureCoords[c][v];
                switch (numUVComponents[c]) {
                case 1:
                    texCoords[c].push_back(uv.x);
                    break;
                case 2:
                    texCoords[c].insert(texCoords[c].end(), {uv.x, uv.y});
                    break;
                case 3:
                    texCoords[c].insert(texCoords[c].end(), {uv.x, uv.y, uv.z});
                    break;
                default:
                    std::cout << "Invalid number of texturecoords: " << c << std::endl;
                    break;
                }
            }
        }
    }
}

GameAsset::~GameAsset() = default;

void GameAsset::loadTexture(aiMaterial* material, int type, int slot) {
    aiString path;
    unsigned int uvIndex = 0;
    if (aiGetMaterialTexture(material, static_cast<aiTextureType>(type), 0, &path, nullptr, &uvIndex) !=
        AI_SUCCESS) {
        std::cout << "Epic failure loading texture" << std::endl;
        return;
    }
    uvChannel[slot] = static_cast<int>(uvIndex);

    std::string file(path.C_Str());
    auto known = textures.find(file);
    if (known == textures.end()) {
        std::cout << file << " is not in the map, adding!" << std::endl;
        known = textures.emplace(file, RenderEngine::loadTexture(file.c_str())).first;
    }
    textureId[slot] = known->second;

    auto counted = textureReferences.find(textureId[slot]);
    if (counted == textureReferences.end()) {
        std::cout << file << " is not Referenced, adding!" << std::endl;
        textureReferences.emplace(textureId[slot], 1u);
    } else {
        ++counted->second;
    }
}

int GameAsset::loadMaterial(aiMaterial* material) {
    for (int& slot : typeSlot)
        slot = -1;
    if (material == nullptr)
        return 0;

    int n = 0;
    for (aiTextureType type : {aiTextureType_AMBIENT, aiTextureType_DIFFUSE, aiTextureType_SPECULAR}) {
        if (aiGetMaterialTextureCount(material, type) > 0) {
            hasTexture = true;
            loadTexture(material, type, n);
            ++n;
            break;
        }
    }

    // The emissive channel of the scene files carries the normal map, which the
    // shaders always find in slot 1. The slots after it stay free for further
    // textures even when the material has no colour texture.
    if (aiGetMaterialTextureCount(material, aiTextureType_EMISSIVE) > 0) {
        typeSlot[NormalsType] = 1;
        loadTexture(material, aiTextureType_EMISSIVE, 1);
        n = 2;
    }

    for (int t = 0; t < 8; ++t) {
        if (n >= 4)
            break;
        if (aiGetMaterialTextureCount(material, furtherTypes[t]) > 0) {
            typeSlot[t] = n;
            loadTexture(material, furtherTypes[t], n);
            ++n;
        }
    }
    return 0;
}

void GameAsset::setShaderProgram(int program) {
    shaderProgram = static_cast<GLuint>(program);
}

void GameAsset::setShadowShader(int program) {
    hasShadowShader = true;
    shadowShaderProgram = static_cast<GLuint>(program);
}

void GameAsset::activate() {
    if (!hasFaces || activated)
        return;

    std::string ownerId = owner != nullptr ? owner->getId() : std::string();
    drawErrorLabel = "glError while calling draw in GameAsset: " + ownerId;
    shadowTextureErrorLabel = "glError while binding Textures (shadow) in GameAsset:" + ownerId;
    shadowDrawErrorLabel = "glError while calling draw (shadow) in GameAsset: " + ownerId;

    // Program 0 is no program object; its lookups would only raise errors.
    bool haveMain = shaderProgram != 0;
    bool haveShadow = shadowShaderProgram != 0;

    glUseProgram(shaderProgram);
    uploadArray(positionBuffer, positions);
    if (haveMain)
        vertexLocation = glGetAttribLocation(shaderProgram, "vertex");
    uploadArray(normalBuffer, normals);
    if (haveMain)
        normalLocation = glGetAttribLocation(shaderProgram, "normal");

    if (makeTangentBuffers) {
        glUseProgram(shaderProgram);
        uploadArray(tangentBuffer, tangents);
        if (haveMain)
            tangentLocation = glGetAttribLocation(shaderProgram, "tangent");
        glGenBuffers(1, &bitangentBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, bitangentBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(tangents.size() * sizeof(float)),
                     bitangents.data(), GL_STATIC_DRAW);
        if (haveMain)
            bitangentLocation = glGetAttribLocation(shaderProgram, "bitangent");
        if (haveShadow) {
            glUseProgram(shadowShaderProgram);
            shadowBitangentLocation = glGetAttribLocation(shadowShaderProgram, "bitangent");
            shadowTangentLocation = glGetAttribLocation(shadowShaderProgram, "tangent");
        }
        glUseProgram(shaderProgram);
    }

    if (haveShadow) {
        glUseProgram(shadowShaderProgram);
        shadowVertexLocation = glGetAttribLocation(shadowShaderProgram, "vertex");
    }
    glUseProgram(shaderProgram);

    if (haveMain)
        useNormalMapLocation = glGetUniformLocation(shaderProgram, "useNormalMap");

    if (hasTexture) {
        for (unsigned int i = 0; i < numUVChannels; ++i) {
            glUseProgram(shaderProgram);
            uploadArray(texCoordBuffer[i], texCoords[i]);
            if (haveMain)
                texCoordLocation[i] = glGetAttribLocation(shaderProgram, "texCoord");
            glUseProgram(shaderProgram);
            if (haveMain)
                textureLocation[i] = glGetUniformLocation(shaderProgram, "texture");
        }
        if (haveMain)
            textureLocation[1] = glGetUniformLocation(shaderProgram, "normalmap");
    }

    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned int)),
                 indices.data(), GL_STATIC_DRAW);

    activated = true;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GameAsset::bindTexCoords(unsigned int slot) {
    // The material may name a UV set that the mesh does not have; the first
    // set stands in for it.
    int set = numUVChannels == 1 ? 0 : uvChannel[slot];
    if (set < 0 || static_cast<unsigned int>(set) >= numUVChannels)
        set = 0;
    bindAttribute(texCoordBuffer[set], texCoordLocation[set], static_cast<GLint>(numUVComponents[set]),
                  !texCoords[set].empty());
}

void GameAsset::draw() {
    if (!hasFaces)
        return;

    glUseProgram(shaderProgram);
    if (!activated) {
        activate();
        RenderEngine::checkForErrors("glError activating GameAsset");
    }

    if (makeTangentBuffers) {
        bindAttribute(tangentBuffer, tangentLocation, 3, !tangents.empty());
        bindAttribute(bitangentBuffer, bitangentLocation, 3, !tangents.empty());
        RenderEngine::checkForErrors("glError bind tangets in GameAsset:");
    }

    bindAttribute(positionBuffer, vertexLocation, 3, true);
    bindAttribute(normalBuffer, normalLocation, 3, hasNormals);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    RenderEngine::checkForErrors("glError bind v and n in GameAsset:");

    if (useNormalMapLocation != -1) {
        glUseProgram(shaderProgram);
        // Without a colour texture no texture is bound at all, the normal map
        // included, so the shader must not sample it.
        bool normalMap = typeSlot[NormalsType] != -1 && hasTexture;
#ifndef LULLVANE_PHONG
        normalMap = normalMap && useNormalMapping;
#endif
        glUniform1f(useNormalMapLocation, normalMap ? 1.0f : 0.0f);
        RenderEngine::checkForErrors("glError set useNormalMap in GameAsset:");
    }

    if (hasTexture) {
        textureUnitCounter = 0;
        for (unsigned int i = 0; i < numUVChannels; ++i) {
            bindTexCoords(i);
            if (hasShadowShader) {
                if (textureUnitCounter >= maxTextureUnits)
                    std::cout << "Error assigning another texture index. Only possible to use "
                              << textureUnitCounter << " different textures" << std::endl;
                else
                    ++textureUnitCounter;
            }
            bindSlotTexture(textureUnitCounter, textureId[i], textureLocation[i]);
            ++textureUnitCounter;
            bindSlotTexture(textureUnitCounter, textureId[1], textureLocation[1]);
        }
    }

    // Units past the fixed-function limit reject the texture-enable state; the
    // binding itself still works for the shaders, so that error is dropped.
    glGetError();
    RenderEngine::checkForErrors("glError bind textures in GameAsset:");

    glDrawElements(primitiveMode, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
    RenderEngine::checkForErrors(drawErrorLabel.c_str());

    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GameAsset::drawShadow() {
    if (!hasFaces)
        return;
    if (!activated) {
        activate();
        RenderEngine::checkForErrors("glError while activating (shadow) in GameAsset:");
    }

    glUseProgram(shadowShaderProgram);

    if (makeTangentBuffers) {
        glUseProgram(shadowShaderProgram);
        bindAttribute(tangentBuffer, shadowTangentLocation, 3, !tangents.empty());
        bindAttribute(bitangentBuffer, shadowBitangentLocation, 3, !tangents.empty());
        RenderEngine::checkForErrors("glError while binding Tangents (shadow) in GameAsset:");
    }

    bindAttribute(positionBuffer, shadowVertexLocation, 3, true);
    bindAttribute(normalBuffer, normalLocation, 3, hasNormals);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    RenderEngine::checkForErrors("glError while binding vertex and normals (shadow) in GameAsset:");

    // The shadow program tests the colour texture's alpha; no normal map.
    if (hasTexture) {
        textureUnitCounter = 0;
        for (unsigned int i = 0; i < numUVChannels; ++i) {
            bindTexCoords(i);
            bindSlotTexture(textureUnitCounter, textureId[i], textureLocation[i]);
        }
    }

    glGetError();
    RenderEngine::checkForErrors(shadowTextureErrorLabel.c_str());

    glUseProgram(shadowShaderProgram);
    glDrawElements(primitiveMode, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
    RenderEngine::checkForErrors(shadowDrawErrorLabel.c_str());

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
