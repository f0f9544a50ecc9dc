#include "CaptureOutput.h"
#include "TestFiles.h"
#include "render/RenderEngine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct ErrorCase {
    const char* label;
    std::function<void()> provoke;
    const char* expected;
};

void incompleteFramebufferClear() {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
}

void hugeBuffer() {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(1) << 60, nullptr, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &buffer);
}

void matrixStackOverflow() {
    GLint depth = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &depth);
    glMatrixMode(GL_MODELVIEW);
    // The stack starts with one entry, so the last push overflows; the pops
    // that restore it raise nothing, and the overflow stays the pending error.
    for (GLint i = 0; i < depth; ++i)
        glPushMatrix();
    for (GLint i = 1; i < depth; ++i)
        glPopMatrix();
}

std::vector<ErrorCase> errorCases() {
    return {
        {"InvalidEnum", [] { glEnable(GL_TRIANGLES); }, "GL: Enum argument out of range.\n"},
        {"BadBufferTarget", [] { glBindBuffer(GL_TEXTURE_2D, 0); }, "GL: Enum argument out of range.\n"},
        {"InvalidValue", [] { glViewport(0, 0, -1, -1); }, "GL: Numeric argument out of range.\n"},
        {"InvalidOperation",
         [] {
             glUseProgram(0);
             glUniform1f(0, 1.0f);
         },
         "GL: Operation illegal in current state.\n"},
        {"IncompleteFramebuffer", incompleteFramebufferClear, "GL: Framebuffer object is not complete.\n"},
        {"OutOfMemory", hugeBuffer, "GL: Not enough memory left to execute command.\n"},
        {"StackOverflow", matrixStackOverflow, "GL: Unknown error.\nError num: 1283\n"},
        {"StackUnderflow",
         [] {
             glMatrixMode(GL_PROJECTION);
             glPopMatrix();
             glMatrixMode(GL_MODELVIEW);
         },
         "GL: Unknown error.\nError num: 1284\n"},
    };
}

class GlErrorReport : public ::testing::TestWithParam<ErrorCase> {
protected:
    void SetUp() override { clearGlErrors(); }
    void TearDown() override {
        glViewport(0, 0, 1024, 768);
        clearGlErrors();
    }
};

TEST_P(GlErrorReport, NamesThePendingError) {
    GetParam().provoke();
    CaptureOutput err(2);
    RenderEngine::checkForErrors();
    EXPECT_EQ(err.finish(), GetParam().expected);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "the report must consume the error";
}

TEST_P(GlErrorReport, FormWithAPlacePrintsThePlaceFirst) {
    GetParam().provoke();
    CaptureOutput err(2);
    RenderEngine::checkForErrors("glError while testing");
    EXPECT_EQ(err.finish(), std::string("glError while testing\n") + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Errors, GlErrorReport, ::testing::ValuesIn(errorCases()),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) {
                             return std::string(info.param.label);
                         });

TEST(GlErrorReportQuiet, NothingPendingPrintsNothing) {
    clearGlErrors();
    CaptureOutput err(2);
    CaptureOutput out(1);
    RenderEngine::checkForErrors();
    RenderEngine::checkForErrors("never shown");
    EXPECT_EQ(out.finish(), "");
    EXPECT_EQ(err.finish(), "");
}

} // namespace
