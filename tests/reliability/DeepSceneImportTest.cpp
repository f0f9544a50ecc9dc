#include "scene/AssimpImporter.h"
#include "scene/GameAsset.h"
#include "scene/GameModel.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A visual scene that is one chain of nested nodes, the last one named
// "Deepest".
std::string writeChain(int depth) {
    char path[] = "/tmp/lullvane-chain-XXXXXX.dae";
    int fd = mkstemps(path, 4);
    close(fd);
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\"><asset/>"
           "<library_visual_scenes><visual_scene id=\"V\" name=\"V\">";
    for (int i = 0; i < depth; ++i) {
        std::string name = i + 1 == depth ? std::string("Deepest") : "n" + std::to_string(i);
        out << "<node id=\"" << name << "\" name=\"" << name << "\">";
    }
    for (int i = 0; i < depth; ++i)
        out << "</node>";
    out << "</visual_scene></library_visual_scenes>"
           "<scene><instance_visual_scene url=\"#V\"/></scene></COLLADA>\n";
    return path;
}

TEST(DeepScenes, EveryNodeOfALongChainBecomesAModelInOrder) {
    for (int depth : {1, 200, 2000}) {
        std::string path = writeChain(depth);
        std::vector<GameModel*> models;
        std::vector<GameAsset*> assets;
        CaptureOutput capture;
        import(path.c_str(), models, assets);
        capture.finish();
        std::remove(path.c_str());
        ASSERT_GE(models.size(), size_t(depth)) << depth;
        EXPECT_EQ(models.back()->name, "Deepest") << depth;
        for (size_t i = 0; i + 1 < models.size(); ++i) {
            ASSERT_EQ(models[i]->children.size(), 1u) << depth << " at " << i;
            EXPECT_EQ(models[i]->children[0], models[i + 1]);
        }
        for (GameModel* model : models)
            delete model;
        // The import keeps its assets for the models it made; they are ours now.
        for (GameAsset* asset : aGameAssets)
            delete asset;
        aGameAssets.clear();
        GameModel::aGlobalAssets.clear();
    }
}

} // namespace
