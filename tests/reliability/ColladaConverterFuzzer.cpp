// libFuzzer target: every input is written to a file and read by the physics
// converter into a fresh Bullet world, which then takes one step, as a scene's
// set-up does.
#include "physics/ColladaConverter.h"

#include <dae/daeErrorHandler.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class SilentErrors : public daeErrorHandler {
public:
    void handleError(daeString) override {}
    void handleWarning(daeString) override {}
};

std::string inputPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static SilentErrors silent;
    daeErrorHandler::setErrorHandler(&silent);
    // The converter and the reader talk on standard output; the fuzzer and the
    // sanitizers report on standard error, which stays open.
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    close(devNull);
    char dir[] = "/tmp/lullvane-collada-fuzz-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    inputPath = std::string(dir) + "/input.dae";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(inputPath.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
    {
        // The converter leaves the world before the world goes.
        ColladaConverter converter(&world);
        if (converter.load(inputPath.c_str()))
            world.stepSimulation(1.0f / 60.0f);
    }
    return 0;
}
