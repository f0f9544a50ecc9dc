#include "BedroomScene.h"
#include "ColladaWriter.h"
#include "DogModel.h"
#include "EndScene.h"
#include "GardenScene.h"
#include "ImageWriter.h"
#include "IntroScene.h"
#include "SceneDescription.h"
#include "TextureFactory.h"
#include "WheatfieldScene.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

// Writes the game's scene files and pictures into the game directory given as
// the only argument.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lullvane-content <game directory>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir / "textures", error);
    if (error) {
        std::fprintf(stderr, "Cannot create %s: %s\n", (dir / "textures").c_str(), error.message().c_str());
        return 1;
    }

    SceneDescription bedroom("Zimmer.dae");
    SceneDescription wheatfield("Wheatfield.DAE");
    SceneDescription ground("Ground.DAE");
    BedroomScene::build(bedroom, ground);
    WheatfieldScene::build(wheatfield, ground);
    std::vector<SceneDescription> scenes = {IntroScene::build(), bedroom,    GardenScene::build(),
                                            EndScene::build(),   wheatfield, ground,
                                            DogModel::build()};

    bool ok = true;
    std::set<std::string> pictures;
    for (const SceneDescription& scene : scenes) {
        ok = ColladaWriter::write(scene, (dir / scene.fileName).string()) && ok;
        std::printf("%-16s %6zu triangles, %3zu nodes, %3zu bodies\n", scene.fileName.c_str(),
                    scene.triangleCount(), scene.nodes.size(), scene.bodies.size());
        for (const std::string& m : scene.materials())
            pictures.insert(m);
    }
    // The intro is asked for under two spellings; on a case-sensitive file
    // system both must exist.
    ok = ColladaWriter::write(scenes.front(), (dir / "Intro.DAE").string()) && ok;

    for (const std::string& name : pictures) {
        Image colour, normals;
        if (!TextureFactory::build(name, colour, normals)) {
            std::fprintf(stderr, "No picture called %s\n", name.c_str());
            ok = false;
            continue;
        }
        ok = ImageWriter::writeTga((dir / TextureFactory::colourPath(name)).string(), colour) && ok;
        ok = ImageWriter::writeTga((dir / TextureFactory::normalPath(name)).string(), normals) && ok;
    }
    ok = ImageWriter::writeBmp((dir / "baumtextur.bmp").string(), TextureFactory::loadingPicture()) && ok;
    std::printf("%zu pictures\n", pictures.size());
    return ok ? 0 : 1;
}
