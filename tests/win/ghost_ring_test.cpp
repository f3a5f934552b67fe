// The ghosting ring against Wine's windows and Mesa's GL: the ring's textures and framebuffer,
// the pass into the next role, the four-frame blend read back, the framebuffer messages, and
// the frame tick with ghosting on, off and on a GL without framebuffer objects.
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gl_samples.h"
#include "import_patch.h"
#include "message_box.h"
#include "render/quad/fullscreen_quad.h"
#include "render/ghosting/ghost_ring.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_wgl.h"
#include "render/ghosting/ring_roles.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"
#include "saver/saver_proc_win.h"
#include "scene/frame_clock.h"
#include "scene/settings.h"
#include "test_window.h"

namespace {

constexpr int windowWidth = 64;
constexpr int windowHeight = 48;
constexpr GLuint fullWindowSamples = windowWidth * windowHeight;

// One window and context for the whole program: the saver's own GL set-up on a real window.
void ensureContext() {
  static HWND window = nullptr;
  if (window) return;
  window = createTestWindow(windowWidth, windowHeight);
  RECT client;
  GetClientRect(window, &client);
  clientRect = {client.left, client.top, client.right, client.bottom};
  initGLContext(window);
}

// Samples that pass while work runs: every full-screen pass over the window adds W x H.

GLint integerState(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

GLint textureOnUnit(int unit) {
  glActiveTexture(GL_TEXTURE0 + unit);
  return integerState(GL_TEXTURE_BINDING_2D);
}

GLint textureLevelValue(GLuint texture, GLenum name) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint value = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
  return value;
}

GLint textureParameter(GLuint texture, GLenum name) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  return value;
}

// The RGBA bytes of a texture's level 0.
std::vector<unsigned char> textureBytes(GLuint texture) {
  // NOTE: llvmpipe under Wine can hand glGetTexImage the texture before a pass still drawing
  // into it has finished (seen as the previous frame's colour); the blend's own sampling is
  // ordered by the GL. Finish first so the read-back sees the frame.
  glFinish();
  const int w = textureLevelValue(texture, GL_TEXTURE_WIDTH);
  const int h = textureLevelValue(texture, GL_TEXTURE_HEIGHT);
  std::vector<unsigned char> bytes(4 * w * h);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  return bytes;
}

// Fills a texture's level 0 with one colour.
void fillTexture(GLuint texture, unsigned char r, unsigned char g, unsigned char b) {
  const int w = textureLevelValue(texture, GL_TEXTURE_WIDTH);
  const int h = textureLevelValue(texture, GL_TEXTURE_HEIGHT);
  std::vector<unsigned char> bytes;
  for (int i = 0; i < w * h; ++i) bytes.insert(bytes.end(), {r, g, b, 255});
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
}

// The RGB bytes of the back buffer over the window.
std::vector<unsigned char> backBufferBytes() {
  std::vector<unsigned char> bytes(3 * fullWindowSamples);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
  return bytes;
}

// True when every pixel of an RGBA texture has the given colour.
bool textureIsAll(GLuint texture, int r, int g, int b) {
  const std::vector<unsigned char> bytes = textureBytes(texture);
  for (size_t i = 0; i < bytes.size(); i += 4)
    if (bytes[i] != r || bytes[i + 1] != g || bytes[i + 2] != b) return false;
  return !bytes.empty();
}

// Redirects a standard stream (1 or 2) into a file while alive; text() reads what came.
class StreamCapture {
 public:
  explicit StreamCapture(int fd) : fd_(fd), path_("capture" + std::to_string(fd) + ".txt") {
    fflush(nullptr);
    saved_ = _dup(fd_);
    FILE* file = fopen(path_.c_str(), "wb");
    _dup2(_fileno(file), fd_);
    fclose(file);
  }
  ~StreamCapture() { restore(); }
  std::string text() {
    restore();
    return readWholeFile(path_);
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    fflush(nullptr);
    _dup2(saved_, fd_);
    _close(saved_);
    saved_ = -1;
  }
  int fd_;
  std::string path_;
  int saved_ = -1;
};

// Counts every call through GLEW's framebuffer-object entry points while alive, passing each
// on to the real one (when the driver has one).
int framebufferObjectCalls = 0;
PFNGLGENFRAMEBUFFERSEXTPROC realGen;
PFNGLBINDFRAMEBUFFEREXTPROC realBind;
PFNGLFRAMEBUFFERTEXTURE2DEXTPROC realAttach;
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC realCheck;
PFNGLDELETEFRAMEBUFFERSEXTPROC realDelete;
void GLAPIENTRY countGen(GLsizei n, GLuint* names) {
  ++framebufferObjectCalls;
  if (realGen) realGen(n, names);
}
void GLAPIENTRY countBind(GLenum target, GLuint name) {
  ++framebufferObjectCalls;
  if (realBind) realBind(target, name);
}
void GLAPIENTRY countAttach(GLenum target, GLenum point, GLenum kind, GLuint name, GLint level) {
  ++framebufferObjectCalls;
  if (realAttach) realAttach(target, point, kind, name, level);
}
GLenum GLAPIENTRY countCheck(GLenum target) {
  ++framebufferObjectCalls;
  return realCheck ? realCheck(target) : 0;
}
void GLAPIENTRY countDelete(GLsizei n, const GLuint* names) {
  ++framebufferObjectCalls;
  if (realDelete) realDelete(n, names);
}
struct FramebufferObjectCallCounter {
  FramebufferObjectCallCounter() {
    framebufferObjectCalls = 0;
    realGen = __glewGenFramebuffersEXT;
    realBind = __glewBindFramebufferEXT;
    realAttach = __glewFramebufferTexture2DEXT;
    realCheck = __glewCheckFramebufferStatusEXT;
    realDelete = __glewDeleteFramebuffersEXT;
    __glewGenFramebuffersEXT = countGen;
    __glewBindFramebufferEXT = countBind;
    __glewFramebufferTexture2DEXT = countAttach;
    __glewCheckFramebufferStatusEXT = countCheck;
    __glewDeleteFramebuffersEXT = countDelete;
  }
  ~FramebufferObjectCallCounter() {
    __glewGenFramebuffersEXT = realGen;
    __glewBindFramebufferEXT = realBind;
    __glewFramebufferTexture2DEXT = realAttach;
    __glewCheckFramebufferStatusEXT = realCheck;
    __glewDeleteFramebuffersEXT = realDelete;
  }
};

// Ring tests: the real ghost composite program, and as metaball program one that paints the
// colour of its "paint" uniform, so that each pass leaves a known colour in the ring.
class GhostRing : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureContext();
    clientRect = {0, 0, windowWidth, windowHeight};
    saverRenderer = Renderer{};  // as in a freshly started program
    metaballShader = new zunoShader("void main(){gl_Position=ftransform();}",
                                    "uniform vec4 paint;void main(){gl_FragColor=paint;}");
    ghostShader = new zunoShader(loadShaderResource("#127"), loadShaderResource("#126"));
    paint(10, 20, 30);
  }
  void TearDown() override {
    releaseScene();
    clientRect = {0, 0, windowWidth, windowHeight};
  }
  // Sets the colour (0 to 255 per channel) of every following metaball pass.
  static void paint(int r, int g, int b) {
    metaballShader->enable(true);
    metaballShader->setUniform4f("paint", r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
  }
  // One ghost frame as the frame tick draws it.
  static void ghostFrame() {
    beginGhostFrame();
    drawFullScreenQuad();
    compositeGhostFrames();
    drawFullScreenQuad();
    metaballShader->enable(true);
  }
  static GLint samplerValue(const char* name) {
    GLint value = -1;
    glGetUniformiv(ghostShader->program, glGetUniformLocation(ghostShader->program, name),
                   &value);
    return value;
  }
};

TEST_F(GhostRing, CreationPutsFourClientSizedClampedLinearTexturesInSlotsZeroToThree) {
  clientRect = {0, 0, 40, 30};  // a ring smaller than the window: the size is clientRect's
  createGhostRing();
  for (int slot = 0; slot < 4; ++slot) {
    const GLuint texture = ringTextures[slot];
    ASSERT_NE(texture, 0u) << "slot " << slot;
    EXPECT_TRUE(glIsTexture(texture));
    for (int other = 0; other < slot; ++other) EXPECT_NE(texture, ringTextures[other]);
    EXPECT_EQ(textureLevelValue(texture, GL_TEXTURE_WIDTH), 40);
    EXPECT_EQ(textureLevelValue(texture, GL_TEXTURE_HEIGHT), 30);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_T), GL_CLAMP);
  }
  EXPECT_EQ(integerState(GL_UNPACK_ALIGNMENT), 1);
}

TEST_F(GhostRing, EachSlotHangsOnItsOwnAttachmentOfOneFramebuffer) {
  createGhostRing();
  ASSERT_NE(ringFramebuffer, 0u);
  EXPECT_TRUE(glIsFramebufferEXT(ringFramebuffer));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, ringFramebuffer);
  for (int slot = 0; slot < 4; ++slot) {
    GLint name = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + slot,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    EXPECT_EQ(static_cast<GLuint>(name), ringTextures[slot]) << "slot " << slot;
    EXPECT_EQ(ringAttachments[slot], static_cast<GLenum>(GL_COLOR_ATTACHMENT0_EXT + slot));
  }
  EXPECT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT),
            static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE_EXT));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

TEST_F(GhostRing, CreationPrimesTheNextSlotTwiceShowsNoBoxAndBindsTheWindowAgain) {
  MessageBoxWatcher boxes;
  paint(200, 100, 50);
  const GLuint samples = samplesDrawnBy(createGhostRing);
  EXPECT_TRUE(boxes.stop().empty());
  EXPECT_TRUE(ghostRingActive());
  EXPECT_EQ(samples, 2 * fullWindowSamples);  // two priming passes, no more
  EXPECT_EQ(ringPassCount, 3u);
  EXPECT_EQ(nextIndex, 3);
  EXPECT_TRUE(textureIsAll(ringTextures[3], 200, 100, 50));
  EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
  EXPECT_EQ(integerState(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
  for (int unit = 1; unit < 4; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "unit " << unit;
  }
}

TEST_F(GhostRing, BeginUnbindsAllFourUnitsAndDrawsWithTheMetaballProgramIntoTheRing) {
  createGhostRing();
  compositeGhostFrames();  // binds the four frames for sampling
  ASSERT_NE(textureOnUnit(0), 0);
  beginGhostFrame();
  for (int unit = 0; unit < 4; ++unit) EXPECT_EQ(textureOnUnit(unit), 0) << "unit " << unit;
  EXPECT_EQ(static_cast<GLuint>(integerState(GL_FRAMEBUFFER_BINDING_EXT)), ringFramebuffer);
  EXPECT_EQ(static_cast<GLuint>(integerState(GL_CURRENT_PROGRAM)), metaballShader->program);
}

TEST_F(GhostRing, FrameTicksCarryCountsFromThreeAndTurnOnTheSixthAndFourteenthFrame) {
  createGhostRing();
  std::vector<uint32_t> counts;
  std::vector<int> turnFrames;
  for (int frame = 1; frame <= 16; ++frame) {
    counts.push_back(ringPassCount);
    const int before = nextIndex;
    ghostFrame();
    if (nextIndex != before) turnFrames.push_back(frame);
    if (frame == 6) {
      EXPECT_EQ(ancientIndex, 1);
      EXPECT_EQ(lastIndex, 2);
      EXPECT_EQ(curIndex, 3);
      EXPECT_EQ(nextIndex, 0);
    }
  }
  EXPECT_EQ(counts.front(), 3u);
  EXPECT_EQ(counts[2], 5u);
  EXPECT_EQ(counts.back(), 18u);
  EXPECT_EQ(turnFrames, (std::vector<int>{6, 14}));
}

TEST_F(GhostRing, TheDrawBufferIsAlwaysTheAttachmentOfTheNextSlot) {
  createGhostRing();
  ringPassCount = 0xFFFFFFF0u;  // across the wrap of the count as well
  for (int frame = 0; frame < 40; ++frame) {
    beginGhostFrame();
    ASSERT_EQ(static_cast<GLenum>(integerState(GL_DRAW_BUFFER)), ringAttachments[nextIndex])
        << "frame " << frame;
    drawFullScreenQuad();
    compositeGhostFrames();
    drawFullScreenQuad();
  }
}

TEST_F(GhostRing, UnitThreeOfTheBlendHoldsTheFrameJustDrawnAndTheOthersTheOlderRoles) {
  createGhostRing();
  for (int frame = 0; frame < 20; ++frame) {
    paint(frame * 10, 255 - frame * 10, 7);
    beginGhostFrame();
    drawFullScreenQuad();
    compositeGhostFrames();
    EXPECT_EQ(static_cast<GLuint>(textureOnUnit(0)), ringTextures[ancientIndex]);
    EXPECT_EQ(static_cast<GLuint>(textureOnUnit(1)), ringTextures[lastIndex]);
    EXPECT_EQ(static_cast<GLuint>(textureOnUnit(2)), ringTextures[curIndex]);
    const GLuint drawnInto = textureOnUnit(3);
    EXPECT_EQ(drawnInto, ringTextures[nextIndex]);
    EXPECT_TRUE(textureIsAll(drawnInto, frame * 10, 255 - frame * 10, 7)) << "frame " << frame;
    drawFullScreenQuad();
  }
}

TEST_F(GhostRing, CompositeDrawsToTheBackBufferWithTheGhostProgramAndSetsTheSamplersEachFrame) {
  createGhostRing();
  ghostFrame();
  // Spoil the samplers between frames: the next composite must set them again.
  ghostShader->enable(true);
  for (const char* name : {"ancientFrame", "lastFrame", "curFrame", "nextFrame"})
    ghostShader->setUniform1i(name, 3);
  beginGhostFrame();
  drawFullScreenQuad();
  compositeGhostFrames();
  EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);
  EXPECT_EQ(integerState(GL_DRAW_BUFFER), GL_BACK);
  EXPECT_EQ(static_cast<GLuint>(integerState(GL_CURRENT_PROGRAM)), ghostShader->program);
  EXPECT_EQ(samplerValue("ancientFrame"), 0);
  EXPECT_EQ(samplerValue("lastFrame"), 1);
  EXPECT_EQ(samplerValue("curFrame"), 2);
  EXPECT_EQ(samplerValue("nextFrame"), 3);
}

TEST_F(GhostRing, CompositeClearsTheBackBufferBeforeTheBlend) {
  createGhostRing();
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);  // the context's own clear colour again
  compositeGhostFrames();
  for (unsigned char byte : backBufferBytes()) ASSERT_EQ(byte, 0);
}

// Fills slot i with colours[i], blends, and expects the given RGB everywhere within 1/255.
void expectBlend(const unsigned char (&colours)[4][3], const float (&expected)[3]) {
  for (int slot = 0; slot < 4; ++slot)
    fillTexture(ringTextures[slot], colours[slot][0], colours[slot][1], colours[slot][2]);
  compositeGhostFrames();
  drawFullScreenQuad();
  const std::vector<unsigned char> pixels = backBufferBytes();
  for (size_t i = 0; i < pixels.size(); ++i)
    ASSERT_NEAR(pixels[i], expected[i % 3], 1.0) << "pixel " << i / 3 << " channel " << i % 3;
}

const unsigned char slotColours[4][3] = {{200, 40, 0}, {0, 180, 60}, {30, 0, 250}, {120, 120, 120}};

TEST_F(GhostRing, TheBlendIsEightTwelveTwentyAndSixtyHundredthsOfAncientLastCurAndNext) {
  createGhostRing();
  // Roles at the start: ancient 0, last 1, cur 2, next 3.
  expectBlend(slotColours, {94.0f, 96.8f, 129.2f});
}

TEST_F(GhostRing, AfterATurnTheBlendWeighsTheSlotsByTheirNewRoles) {
  createGhostRing();
  turnRing();  // ancient 1, last 2, cur 3, next 0
  expectBlend(slotColours, {147.6f, 62.4f, 58.8f});
}

TEST_F(GhostRing, ReleaseDeletesTheTexturesAndTheFramebufferAndForgetsThem) {
  createGhostRing();
  GLuint textures[4];
  for (int slot = 0; slot < 4; ++slot) textures[slot] = ringTextures[slot];
  const GLuint framebuffer = ringFramebuffer;
  releaseScene();
  for (GLuint texture : textures) EXPECT_FALSE(glIsTexture(texture));
  EXPECT_FALSE(glIsFramebufferEXT(framebuffer));
  for (GLuint name : ringTextures) EXPECT_EQ(name, 0u);
  EXPECT_EQ(ringFramebuffer, 0u);
  EXPECT_FALSE(ghostRingActive());
  EXPECT_EQ(metaballShader, nullptr);
}

// The framebuffer messages: real boxes, read and answered by the watcher.
class FramebufferStatus : public ::testing::Test {
 protected:
  void SetUp() override { ensureContext(); }
  // The boxes shown while work runs.
  template <typename Work>
  static std::vector<SeenMessageBox> boxesShownBy(Work work) {
    MessageBoxWatcher watcher;
    work();
    return watcher.stop();
  }
};

TEST_F(FramebufferStatus, EachListedFaultShowsItsTextInAnOwnerlessErrorBox) {
  const std::pair<GLenum, const char*> table[] = {
      {0x8CD6, "Attachment incomplete"},
      {0x8CD7, "Must have an attachment."},
      {0x8CD9, "Attachments must have same dimensions."},
      {0x8CDA, "Attachments must have same internal format"},
      {0x8CDB, "Drawbuffer is none"},
      {0x8CDC, "Read buffer pointer is none"},
      {0x8CDD, "Unsupported internal formats"},
  };
  for (const auto& row : table) {
    StreamCapture output(1);
    const std::vector<SeenMessageBox> boxes =
        boxesShownBy([&] { reportFramebufferStatus(row.first); });
    ASSERT_EQ(boxes.size(), 1u) << std::hex << row.first;
    EXPECT_EQ(boxes[0].text, row.second);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_EQ(output.text(), "") << "only an unknown status is printed";
  }
}

TEST_F(FramebufferStatus, AnUnlistedStatusShowsUnknownErrorAndPrintsItsDecimalValue) {
  StreamCapture output(1);
  const std::vector<SeenMessageBox> boxes = boxesShownBy([] { reportFramebufferStatus(0x8CD8); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Unknown Error");
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(output.text(), "36056\n");
}

TEST_F(FramebufferStatus, ACompleteFramebufferShowsAndPrintsNothing) {
  StreamCapture output(1);
  EXPECT_TRUE(boxesShownBy([] { reportFramebufferStatus(GL_FRAMEBUFFER_COMPLETE_EXT); }).empty());
  EXPECT_EQ(output.text(), "");
}

TEST_F(FramebufferStatus, TheCheckReportsTheFaultsOfTheBoundFramebuffer) {
  GLuint framebuffer = 0, texture = 0;
  glGenFramebuffersEXT(1, &framebuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
  std::vector<SeenMessageBox> boxes = boxesShownBy(checkFramebufferStatus);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Must have an attachment.");

  // An image of no pixels is an incomplete attachment.
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, 0, 0, 0, GL_RGBA, GL_FLOAT, nullptr);
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture,
                            0);
  boxes = boxesShownBy(checkFramebufferStatus);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Attachment incomplete");

  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glDeleteFramebuffersEXT(1, &framebuffer);
  glDeleteTextures(1, &texture);
}

// The whole scene as the saver builds it, driven by the real frame tick.
class GhostingInTheScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureContext();
    clientRect = {0, 0, windowWidth, windowHeight};
    saverRenderer = Renderer{};  // as in a freshly started program
    saverSettings = SaverSettings{};
  }
  void TearDown() override { releaseScene(); }
  // One frame tick that draws (the previous tick's time already recorded).
  static GLuint samplesOfOneTick() {
    lastTickTime = timeGetTime() - 10;
    if (lastTickTime == 0) lastTickTime = 1;
    return samplesDrawnBy([] { FrameTimerProc(nullptr, WM_TIMER, frameTimerId, 0); });
  }
};

TEST_F(GhostingInTheScene, WithGhostingOffNoRingExistsAndNoFramebufferCallIsEverMade) {
  FramebufferObjectCallCounter counter;
  initScene();
  EXPECT_FALSE(ghostRingActive());
  for (GLuint name : ringTextures) EXPECT_EQ(name, 0u);
  EXPECT_EQ(ringFramebuffer, 0u);
  for (GLuint name = 1; name < 16; ++name) EXPECT_FALSE(glIsTexture(name)) << name;

  EXPECT_EQ(samplesOfOneTick(), fullWindowSamples);  // one pass, straight to the back buffer
  EXPECT_EQ(ringPassCount, 1u);
  EXPECT_EQ(static_cast<GLuint>(integerState(GL_CURRENT_PROGRAM)), metaballShader->program);

  releaseScene();
  EXPECT_EQ(framebufferObjectCalls, 0);
}

TEST_F(GhostingInTheScene, WithGhostingOnATickDrawsTwoPassesAndSwapsTheBlendToTheScreen) {
  saverSettings.motionBlur = true;
  initScene();
  ASSERT_TRUE(ghostRingActive());
  EXPECT_EQ(ringPassCount, 3u);

  EXPECT_EQ(samplesOfOneTick(), 2 * fullWindowSamples);  // into the ring, then the blend
  EXPECT_EQ(ringPassCount, 4u);
  EXPECT_EQ(static_cast<GLuint>(integerState(GL_CURRENT_PROGRAM)), metaballShader->program);
  EXPECT_EQ(integerState(GL_FRAMEBUFFER_BINDING_EXT), 0);

  // What reached the screen is the blend of the four frames as they are now.
  std::vector<unsigned char> frames[4];
  for (int slot = 0; slot < 4; ++slot) frames[slot] = textureBytes(ringTextures[slot]);
  pumpMessages(100);
  HDC screen = GetDC(nullptr);
  int compared = 0;
  for (int y = 0; y < windowHeight; y += 7) {
    for (int x = 0; x < windowWidth; x += 5) {
      const COLORREF shown = GetPixel(screen, x, windowHeight - 1 - y);
      const size_t at = 4 * (y * windowWidth + x);
      for (int channel = 0; channel < 3; ++channel) {
        const float blend = 0.08f * frames[ancientIndex][at + channel] +
                            0.12f * frames[lastIndex][at + channel] +
                            0.20f * frames[curIndex][at + channel] +
                            0.6f * frames[nextIndex][at + channel];
        const int value = (shown >> (8 * channel)) & 0xFF;
        EXPECT_NEAR(value, blend, 1.0) << "x " << x << " y " << y << " channel " << channel;
      }
      ++compared;
    }
  }
  ReleaseDC(nullptr, screen);
  EXPECT_GT(compared, 0);
}

// Run by its own ctest entry with Mesa told to hide the framebuffer-object extensions.
TEST(NoFramebufferObjects, GhostingOnRunsThePlainPathSaysSoOnceAndShowsNoBox) {
  if (!std::getenv("MESA_EXTENSION_OVERRIDE")) GTEST_SKIP() << "needs Mesa's extension override";
  ensureContext();
  clientRect = {0, 0, windowWidth, windowHeight};
  saverRenderer = Renderer{};
  saverSettings = SaverSettings{};
  saverSettings.motionBlur = true;
  ASSERT_FALSE(framebufferObjectsAvailable());
  ASSERT_EQ(__glewGenFramebuffersEXT, nullptr);  // so any call would crash the test

  MessageBoxWatcher boxes;
  StreamCapture errors(2);
  initScene();
  const std::string said = errors.text();
  EXPECT_TRUE(boxes.stop().empty());
  const std::string line = "Ghosting is off: this OpenGL offers no framebuffer objects.\n";
  const size_t first = said.find(line);
  EXPECT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find(line, first + 1), std::string::npos) << "said once only";
  EXPECT_FALSE(ghostRingActive());
  EXPECT_EQ(ringFramebuffer, 0u);

  lastTickTime = timeGetTime() - 10;
  EXPECT_EQ(samplesDrawnBy([] { FrameTimerProc(nullptr, WM_TIMER, frameTimerId, 0); }),
            fullWindowSamples);
  EXPECT_EQ(ringPassCount, 1u);
  releaseScene();
  EXPECT_EQ(metaballShader, nullptr);
}

// glGetIntegerv of a GL whose framebuffer objects take only two colour attachments.
using GetIntegervFn = void(WINAPI*)(GLenum, GLint*);
GetIntegervFn realGetIntegerv = nullptr;
void WINAPI twoAttachmentsGetIntegerv(GLenum name, GLint* value) {
  realGetIntegerv(name, value);
  if (name == GL_MAX_COLOR_ATTACHMENTS_EXT) *value = 2;
}

TEST(FewColourAttachments, GhostingOnSaysWhyItIsOffAndBuildsNoRing) {
  ensureContext();
  clientRect = {0, 0, windowWidth, windowHeight};
  saverSettings = SaverSettings{};
  saverSettings.motionBlur = true;
  ASSERT_GT(patchImport("opengl32.dll", "glGetIntegerv",
                        reinterpret_cast<void*>(twoAttachmentsGetIntegerv),
                        reinterpret_cast<void**>(&realGetIntegerv)),
            0);
  StreamCapture errors(2);
  initScene();
  const std::string said = errors.text();
  patchImport("opengl32.dll", "glGetIntegerv", reinterpret_cast<void*>(realGetIntegerv), nullptr);
  EXPECT_EQ(said,
            "Ghosting is off: this OpenGL offers only 2 colour attachments per framebuffer "
            "object, and ghosting needs four.\n");
  EXPECT_FALSE(ghostRingActive());
  EXPECT_EQ(ringFramebuffer, 0u);
  releaseScene();
}

}  // namespace
