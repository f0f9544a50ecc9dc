#pragma once

#include <GL/glew.h>

#include <map>
#include <string>
#include <vector>

struct aiMaterial;
struct aiMesh;
class GameModel;

// One drawable mesh: its vertex data copied from Assimp, the textures of its
// material and the GL buffers made from them. The owning model binds its
// vertex array object and program before calling draw/drawShadow. The import
// owns the assets it builds (releaseImportedAssets); their GL objects and the
// shared textures live as long as the GL context.
class GameAsset {
public:
    // Copies the mesh and loads the material's textures; the GL context must be
    // current, but no buffer is made before the first activation.
    GameAsset(aiMesh* mesh, aiMaterial* material);
    virtual ~GameAsset();

    int loadMaterial(aiMaterial* material);
    void setShaderProgram(int program);
    void setShadowShader(int program);
    void activate();
    void draw();
    void drawShadow();

    // Image path -> texture, so each file is loaded once.
    static std::map<std::string, GLuint> textures;
    // Texture -> number of texture slots of all assets that use it.
    static std::map<GLuint, unsigned int> textureReferences;

    // Index into typeSlot of the normal-map type.
    static constexpr int NormalsType = 1;

    bool activated = false;
    bool hasFaces = false;
    unsigned int numVertices = 0;
    bool hasNormals = false;
    bool hasTexture = false;
    bool hasTangents = false;
    // While true, texture unit 0 stays free for the model's shadow map.
    bool hasShadowShader = true;
#ifndef LULLVANE_PHONG
    bool useNormalMapping = true;
#endif
    // Model that draws the asset; its id names the asset in error messages.
    GameModel* owner = nullptr;
    int textureUnitCounter = 0;
    int maxTextureUnits = 0;
    // Slot of the height, normals, shininess, opacity, displacement, lightmap,
    // reflection and unknown textures, in this order; -1 = none.
    int typeSlot[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    unsigned int numUVChannels = 0;
    unsigned int numUVComponents[4] = {0, 0, 0, 0};
    // Per texture slot: the UV set that the material names for it.
    int uvChannel[4] = {0, 0, 0, 0};
    GLuint shaderProgram = 0;
    GLuint shadowShaderProgram = 0;
    // Per texture slot; slot 1 is always the normal map.
    GLuint textureId[4] = {0, 0, 0, 0};
    GLint textureLocation[4] = {-1, -1, -1, -1};
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords[4];
    std::vector<unsigned int> indices;
    std::vector<float> tangents;
    std::vector<float> bitangents;
    GLuint tangentBuffer = 0;
    GLuint bitangentBuffer = 0;
    GLuint positionBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint texCoordBuffer[4] = {0, 0, 0, 0};
    GLint useNormalMapLocation = -1;
    GLint shadowVertexLocation = -1;
    GLint vertexLocation = -1;
    GLint normalLocation = -1;
    GLint tangentLocation = -1;
    GLint bitangentLocation = -1;
    GLint shadowTangentLocation = -1;
    GLint shadowBitangentLocation = -1;
    GLint texCoordLocation[4] = {-1, -1, -1, -1};
    bool makeTangentBuffers = true;

private:
    void loadTexture(aiMaterial* material, int type, int slot);
    void bindTexCoords(unsigned int slot);

    GLenum primitiveMode = GL_TRIANGLES;

    // Error labels that name the owner, made once at activation so that
    // drawing allocates nothing.
    std::string drawErrorLabel;
    std::string shadowTextureErrorLabel;
    std::string shadowDrawErrorLabel;
};
