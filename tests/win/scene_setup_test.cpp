// The scene set-up on a real Mesa context: programs built from the settings, the constant
// uniforms of the metaball program, the shader resources, and the release.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>

#include "render/ghosting/ghost_ring.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"
#include "scene/balls.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "scene/settings.h"
#include "test_window.h"

namespace {

class SceneSetup : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    clientRect = {0, 0, 320, 240};
    window = createTestWindow(320, 240);
    initGLContext(window);
  }
  static void TearDownTestSuite() { DestroyWindow(window); }
  void SetUp() override {
    saverSettings = defaultSettings;
    seedRandom(99);
  }
  void TearDown() override { releaseScene(); }

  static GLint location(const char* name) {
    return glGetUniformLocation(metaballShader->program, name);
  }
  static float uniform(const char* name) {
    float value = NAN;
    glGetUniformfv(metaballShader->program, location(name), &value);
    return value;
  }
  // Declared size of a uniform array of a program (0 when absent); the metaball program's
  // by default.
  static GLint arraySize(const char* name, GLuint program = metaballShader->program) {
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
      char found[64];
      GLint size = 0;
      GLenum type = 0;
      glGetActiveUniform(program, i, sizeof found, nullptr, &size, &type, found);
      if (std::string(found).rfind(name, 0) == 0) return size;
    }
    return 0;
  }

  static HWND window;
};
HWND SceneSetup::window = nullptr;

TEST_F(SceneSetup, WorkedShapeValuesReachTheMetaballProgram) {
  const struct { uint32_t blobbiness; float exponent, height; } rows[] = {
      {0, 3.00999999f, 10.1436996f}, {1, 2.64564013f, 7.04623175f},
      {100, 0.584015548f, 0.896612406f}, {300, 0.00999999978f, 0.505025089f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.blobbiness);
    saverSettings.blobbiness = row.blobbiness;
    saverSettings.nBalls = 20;
    initScene();
    EXPECT_EQ(blobExponent, row.exponent);
    EXPECT_EQ(uniform("blobHeight"), row.height);
    EXPECT_EQ(uniform("THRESHOLD"), 0.5f);
    for (int i = 0; i < BALL_SLOTS; ++i) {
      const std::string name = "falloff[" + std::to_string(i) + "]";
      const float falloff = uniform(name.c_str());
      // Every ball's density falls to the threshold exactly at its radius.
      EXPECT_NEAR(uniform("blobHeight") * std::exp(-falloff * ballRadius[i] * ballRadius[i]),
                  0.5f, 1e-5f) << i;
    }
    releaseScene();
  }
}

TEST_F(SceneSetup, UploadsGoToTheMetaballProgramWhateverTheBallCount) {
  saverSettings.nBalls = 3;
  initScene();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // 20 elements into arrays of 3
  GLint current = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(static_cast<GLuint>(current), metaballShader->program);
  float colour[3] = {};
  glGetUniformfv(metaballShader->program, location("color[2]"), colour);
  EXPECT_EQ(colour[0], ballColor[2].x);
  EXPECT_EQ(colour[2], ballColor[2].z);
  float centre[3] = {};  // before any step: a frame may be drawn first
  glGetUniformfv(metaballShader->program, location("ball[2]"), centre);
  EXPECT_EQ(centre[0], ballPos[2].x);
  EXPECT_EQ(centre[1], ballPos[2].y);
  EXPECT_EQ(arraySize("falloff"), 3);
  EXPECT_NE(ghostShader, nullptr);
}

TEST_F(SceneSetup, StoredCountsOutsideTheDialogRangeStillBuildAndStayStored) {
  for (uint32_t stored : {0u, 50u}) {
    saverSettings.nBalls = stored;
    saverSettings.func_type = 7;
    ASSERT_NO_THROW(initScene()) << stored;
    EXPECT_EQ(arraySize("ball"), stored == 0 ? 1 : 20);
    EXPECT_EQ(saverSettings.nBalls, stored);
    EXPECT_EQ(saverSettings.func_type, 7);
    releaseScene();
  }
}

TEST_F(SceneSetup, WithoutGhostingNoRingIsBuilt) {
  saverSettings.motionBlur = false;
  initScene();
  EXPECT_FALSE(ghostRingActive());
  EXPECT_EQ(ringFramebuffer, 0u);
  for (GLuint texture : ringTextures) EXPECT_EQ(texture, 0u);
}

TEST_F(SceneSetup, ReleaseDestroysBothProgramsAndForgetsThem) {
  initScene();
  const GLuint metaball = metaballShader->program, ghost = ghostShader->program;
  releaseScene();
  EXPECT_EQ(metaballShader, nullptr);
  EXPECT_EQ(ghostShader, nullptr);
  glUseProgram(0);  // a program still current is deleted only once it is no longer in use
  EXPECT_FALSE(glIsProgram(metaball));
  EXPECT_FALSE(glIsProgram(ghost));
  releaseScene();  // a second release finds nothing to do
}

TEST_F(SceneSetup, ShaderResourcesHaveTheirSizesCrLfLineEndsAndNoTerminatingZero) {
  const struct { const char* name; size_t size; } resources[] = {
      {"#124", 923}, {"#125", 47}, {"#126", 458}, {"#127", 87}};
  for (const auto& r : resources) {
    const std::string text = loadShaderResource(r.name);
    EXPECT_EQ(text.size(), r.size) << r.name;
    EXPECT_EQ(text.find('\0'), std::string::npos) << r.name;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << r.name;
    // Every line ends in CR LF, and there is no other CR.
    for (size_t at = text.find_first_of("\r\n"); at != std::string::npos;
         at = text.find_first_of("\r\n", at + 2))
      ASSERT_EQ(text.compare(at, 2, "\r\n"), 0) << r.name << " at " << at;
  }
  EXPECT_EQ(loadShaderResource("#999"), "");
}

TEST_F(SceneSetup, ShaderResourcesBuildWhatTheyDescribe) {
  // 124 with 125: the fixed field of twelve balls.
  zunoShader fixed(loadShaderResource("#125"), loadShaderResource("#124"));
  for (const char* array : {"ball", "color", "falloff"})
    EXPECT_EQ(arraySize(array, fixed.program), 12) << array;
  for (const char* single : {"blobHeight", "THRESHOLD"})
    EXPECT_EQ(arraySize(single, fixed.program), 1) << single;
  // 127 with 126: texture-coordinate set 0 passed on to the four frames' samplers (the
  // blend's weights are read back by the ghosting ring's tests).
  zunoShader ghost(loadShaderResource("#127"), loadShaderResource("#126"));
  for (const char* frame : {"ancientFrame", "lastFrame", "curFrame", "nextFrame"})
    EXPECT_EQ(arraySize(frame, ghost.program), 1) << frame;
  GLint attributes = 0;
  glGetProgramiv(ghost.program, GL_ACTIVE_ATTRIBUTES, &attributes);
  std::string names;
  for (GLint i = 0; i < attributes; ++i) {
    char name[64] = {};
    GLint size = 0;
    GLenum type = 0;
    glGetActiveAttrib(ghost.program, i, sizeof name, nullptr, &size, &type, name);
    names += std::string(name) + " ";
  }
  EXPECT_NE(names.find("gl_MultiTexCoord0 "), std::string::npos) << names;
  EXPECT_NE(names.find("gl_Vertex "), std::string::npos) << names;
}

TEST_F(SceneSetup, AMissingStageResourceFallsBackToTheDefaultText) {
  zunoShader* fragmentOnly = nullptr;
  ASSERT_NO_THROW(fragmentOnly = new zunoShader(loadShaderResource("#998"),
                                                loadShaderResource("#126")));
  EXPECT_NE(fragmentOnly->program, 0u);
  delete fragmentOnly;
  zunoShader* vertexOnly = nullptr;
  ASSERT_NO_THROW(vertexOnly = new zunoShader(loadShaderResource("#127"),
                                              loadShaderResource("#999")));
  delete vertexOnly;
}

}  // namespace
