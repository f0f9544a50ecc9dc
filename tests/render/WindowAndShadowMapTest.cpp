#include "TestFiles.h"
#include "render/RenderEngine.h"

#include <gtest/gtest.h>

#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/Xlib.h>

#include <string>

namespace {

RenderEngine& engine() {
    return *RenderEngine::activeRenderEngine;
}

TEST(GameWindow, IsTheFixedSizeUnresizableLullvaneWindow) {
    ASSERT_NE(RenderEngine::activeRenderEngine, nullptr);
    GLFWwindow* window = engine().getWindow();
    ASSERT_NE(window, nullptr);
    int width = 0, height = 0;
    glfwGetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    glfwGetFramebufferSize(window, &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(engine().getWindowWidth(), 1024u);
    EXPECT_EQ(engine().getWindowHeight(), 768u);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_RESIZABLE), GLFW_FALSE);
    EXPECT_EQ(glfwGetInputMode(window, GLFW_CURSOR), GLFW_CURSOR_DISABLED);

    char* title = nullptr;
    ASSERT_NE(XFetchName(glfwGetX11Display(), glfwGetX11Window(window), &title), 0);
    EXPECT_STREQ(title, "Lullvane");
    XFree(title);
}

TEST(GameWindow, HasACompatibilityContextOfAtLeast32WithDepthAndStencil) {
    GLFWwindow* window = engine().getWindow();
    int major = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MAJOR);
    int minor = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MINOR);
    EXPECT_TRUE(major > 3 || (major == 3 && minor >= 2)) << major << "." << minor;
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_NE(profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT, 0);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint depthBits = 0, stencilBits = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                          &depthBits);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                          &stencilBits);
    EXPECT_EQ(depthBits, 24);
    EXPECT_EQ(stencilBits, 8);
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
    EXPECT_GT(engine().maxTextureUnits, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

void expectDepthTarget(GLuint framebuffer, GLuint texture, GLint width, GLint height) {
    ASSERT_NE(framebuffer, 0u);
    ASSERT_NE(texture, 0u);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    GLint attached = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
    EXPECT_EQ(static_cast<GLuint>(attached), texture);
    GLint drawBuffer = -1;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
    EXPECT_EQ(value, height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_DEPTH_SIZE, &value);
    EXPECT_EQ(value, 24);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &value);
    EXPECT_EQ(value, GL_COMPARE_R_TO_TEXTURE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST(ShadowMap, EngineShadowTargetIsACompleteDepthTextureOf2048Squared) {
    EXPECT_EQ(engine().shadowMapWidth, 2048u);
    EXPECT_EQ(engine().shadowMapHeight, 2048u);
    expectDepthTarget(engine().shadowFBO, engine().shadowMap, 2048, 2048);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShadowMap, ActivateShadowFboBuildsTheRequestedSize) {
    unsigned int texture = 0;
    GLuint framebuffer = RenderEngine::activateShadowFBO(64, 32, texture);
    expectDepthTarget(framebuffer, texture, 64, 32);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0) << "the window must be the framebuffer again";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
