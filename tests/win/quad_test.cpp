// The full-screen quad on a real Mesa context: it covers the client area exactly, with its
// corners and texture coordinates where the pixel projection puts them.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "render/quad/fullscreen_quad.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/shaders/shader_program.h"
#include "scene/frame_clock.h"
#include "test_window.h"

namespace {

constexpr int width = 800;
constexpr int height = 600;

struct Pixel {
  unsigned char r, g, b, a;
};

class FullScreenQuad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    window = createTestWindow(width, height);
    clientRect = {0, 0, width, height};
    initGLContext(window);
  }
  static void TearDownTestSuite() { DestroyWindow(window); }

  void SetUp() override {
    clientRect = {0, 0, width, height};
    glUseProgram(0);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  // The whole back buffer, row 0 at the bottom.
  static std::vector<Pixel> readBack() {
    std::vector<Pixel> pixels(width * height);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
  static Pixel at(const std::vector<Pixel>& pixels, int x, int y) { return pixels[y * width + x]; }

  static HWND window;
};
HWND FullScreenQuad::window = nullptr;

TEST_F(FullScreenQuad, ConstantColourProgramCoversEveryPixel) {
  zunoShader constant("", "void main(){ gl_FragColor = vec4(1.0, 0.0, 1.0, 1.0); }");
  constant.enable(true);
  drawFullScreenQuad();  // face culling is on: only a counter-clockwise quad gets drawn
  constant.enable(false);
  const std::vector<Pixel> pixels = readBack();
  int uncovered = 0;
  for (const Pixel& p : pixels)
    if (p.r != 255 || p.g != 0 || p.b != 255) ++uncovered;
  EXPECT_EQ(uncovered, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FullScreenQuad, CornersCarryTheirTextureCoordinates) {
  zunoShader texCoords(
      "void main(){ gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }",
      "void main(){ gl_FragColor = vec4(gl_TexCoord[0].st, 0.0, 1.0); }");
  texCoords.enable(true);
  drawFullScreenQuad();
  texCoords.enable(false);
  const std::vector<Pixel> pixels = readBack();
  // Pixel centres sit half a pixel inside the corners: s and t within 1/800 of 0 or 1.
  const Pixel lowerLeft = at(pixels, 0, 0), lowerRight = at(pixels, width - 1, 0);
  const Pixel upperRight = at(pixels, width - 1, height - 1), upperLeft = at(pixels, 0, height - 1);
  EXPECT_LE(lowerLeft.r, 1);
  EXPECT_LE(lowerLeft.g, 1);
  EXPECT_GE(lowerRight.r, 254);
  EXPECT_LE(lowerRight.g, 1);
  EXPECT_GE(upperRight.r, 254);
  EXPECT_GE(upperRight.g, 254);
  EXPECT_LE(upperLeft.r, 1);
  EXPECT_GE(upperLeft.g, 254);
}

TEST_F(FullScreenQuad, OriginMapsToTheLowerLeftPixel) {
  // Fixed-function drawing of one-pixel squares at the two opposite corners.
  glColor3f(1.0f, 0.0f, 0.0f);
  glRectf(0.0f, 0.0f, 1.0f, 1.0f);
  glColor3f(0.0f, 1.0f, 0.0f);
  glRectf(width - 1.0f, height - 1.0f, width, height);
  const std::vector<Pixel> pixels = readBack();
  EXPECT_EQ(at(pixels, 0, 0).r, 255);
  EXPECT_EQ(at(pixels, width - 1, height - 1).g, 255);
  EXPECT_EQ(at(pixels, 0, height - 1).r, 0);  // the upper-left corner stays clear
  EXPECT_EQ(at(pixels, 1, 0).r, 0);           // exactly one pixel per unit
  EXPECT_EQ(at(pixels, 0, 1).r, 0);
}

TEST_F(FullScreenQuad, ClientAreaOfWidthOrHeightZeroCoversNothing) {
  zunoShader constant("", "void main(){ gl_FragColor = vec4(1.0); }");
  constant.enable(true);
  clientRect = {0, 0, 0, height};
  drawFullScreenQuad();
  clientRect = {0, 0, width, 0};
  drawFullScreenQuad();
  constant.enable(false);
  const std::vector<Pixel> pixels = readBack();
  int covered = 0;
  for (const Pixel& p : pixels)
    if (p.r != 0 || p.g != 0 || p.b != 0) ++covered;
  EXPECT_EQ(covered, 0);
}

}  // namespace
