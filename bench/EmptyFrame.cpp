// The floor of a frame on this machine: a window of the game's size and
// context that only clears and swaps. Prints frames per second and the mean
// frame time, so the game's scenes can be read as a ratio to it.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    if (!glfwInit()) {
        std::fprintf(stderr, "Could not initialize GLFW.\n");
        return 1;
    }
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    GLFWwindow* window = glfwCreateWindow(1024, 768, "Lullvane empty frame", nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "Not able to create window.\n");
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glClearColor(0.1f, 0.1f, 0.15f, 1.0f);

    long frames = 0;
    const double start = glfwGetTime();
    double now = start;
    while (now - start < seconds) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwSwapBuffers(window);
        glfwPollEvents();
        ++frames;
        now = glfwGetTime();
    }
    const double elapsed = now - start;
    std::printf("empty frame: %ld frames in %.2f s, %.1f fps, %.3f ms per frame\n", frames, elapsed, frames / elapsed,
                1000.0 * elapsed / frames);
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
