// The web page's program: the C functions page.js calls (Module._vorlix_*). It holds the
// page's settings, starts and stops the shared scene on the canvas's WebGL 2 context, runs
// one frame tick per animation frame (with the Linux programs' frame-rate line when asked),
// and keeps the text of the last notice.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <exception>
#include <string>

#include "host_web/page_options.h"
#include "render/context/gl_context.h"
#include "render/context/gl_context_webgl.h"
#include "render/diagnostics/diagnostics_web.h"
#include "render/field/field_pass.h"
#include "render/overlay/fps_overlay.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"
#include "saver/frame_tick.h"
#include "scene/scene.h"

namespace {

const char* const canvasSelector = "#canvas";

const char* const noWebGL2Text =
    "VorlixSS needs WebGL 2, which this browser does not offer or has switched off. Try a "
    "current Firefox, Chrome, Edge or Safari, check that hardware acceleration (or WebGL) is "
    "switched on in the browser's settings, or update the graphics driver.";
const char* const shaderFailureText =
    "VorlixSS could not build its shader, so it cannot draw. The browser's log:\n";

SaverSettings pageSettings = defaultSettings;  // what the next start draws
std::string message;                           // the last notice, for vorlix_message
bool contextReady = false;                     // the canvas's context exists
bool sceneReady = false;                       // programs, ring and balls exist
bool contextLost = false;                      // between the browser's loss and its return
bool keepBalls = false;                        // the return puts the lost scene's balls back
bool showFps = false;                          // fps=1: the frame-rate line over the picture
DrawQuality pageQuality = DrawQuality::automatic;  // quality=: the drawing path asked for
bool pageLighter = false;  // on battery, and the user chose no path: auto draws fast

// The canvas's scene and renderer: each start makes a fresh one.
struct PageRun {
  Scene scene;
  Renderer renderer;
} run;

BallSet kept;  // the balls across a lost context, so that drawing goes on where it stopped

// A seed that differs between pages opened in the same second.
uint32_t clockSeed() {
  return static_cast<uint32_t>(std::time(nullptr)) ^
         static_cast<uint32_t>(std::fmod(emscripten_get_now() * 1000.0, 4294967296.0));
}

// The path that draws for the one asked for: fast for auto while the page is lighter.
DrawQuality drawnQuality() {
  return pageLighter && pageQuality == DrawQuality::automatic ? DrawQuality::fast : pageQuality;
}

// Builds the scene from pageSettings on the current context: 0, or the start's failure code
// with the notice in message.
int buildScene() {
  clearKeptReports();
  run.scene.settings = pageSettings;
  try {
    initScene(run.renderer, run.scene, drawnQuality());
  } catch (const ShaderBuildError&) {
    message = shaderFailureText + keptReports();
    releaseScene(run.renderer);
    return 2;
  } catch (const std::exception& failure) {
    message = std::string("VorlixSS could not start: ") + failure.what();
    releaseScene(run.renderer);
    return 3;
  }
  // A line the GL refuses is left out: the picture matters more than its rate.
  if (showFps && !initFpsOverlay(run.renderer)) releaseFpsOverlay(run.renderer);
  message = keptReports();  // what weakened the start (ghosting off), if anything
  sceneReady = true;
  return 0;
}

// Lost as the browser sees it, whether or not its loss event has come yet: until it comes,
// frames, a battery change or a resize would otherwise build on a context that builds nothing.
bool contextGone() { return contextLost || webGLContextLost(); }

// Ends the scene, if one runs.
void dropScene() {
  if (sceneReady) {
    releaseFpsOverlay(run.renderer);
    releaseScene(run.renderer);
  }
  sceneReady = false;
}

}  // namespace

extern "C" {

// Applies one setting (or validates "seed"); 0 when good, else 1 with the notice.
EMSCRIPTEN_KEEPALIVE int vorlix_set(const char* option, const char* value) {
  uint32_t seed = 0;
  message = std::string(option) == "seed" ? readPageSeed(value, seed)
                                          : applyPageOption(pageSettings, option, value);
  return message.empty() ? 0 : 1;
}

// As vorlix_set, and refuses a radius that puts the minimum above the maximum, as the
// dialog does. Other changes pass even while the address keeps the radii the other way round.
EMSCRIPTEN_KEEPALIVE int vorlix_panel_set(const char* option, const char* value) {
  SaverSettings tried = pageSettings;
  message = applyPageOption(tried, option, value);
  const int row = findPageOption(option);
  if (message.empty() && (row == minRadiusSetting || row == maxRadiusSetting))
    message = panelRadiusRule(tried);
  if (!message.empty()) return 1;
  pageSettings = tried;
  return 0;
}

// The drawing path asked for from the next start on: auto, exact or fast; 0 when good, else 1
// with the notice.
EMSCRIPTEN_KEEPALIVE int vorlix_set_quality(const char* name) {
  message = drawQualityFromName(name, pageQuality)
                ? ""
                : std::string("quality takes ") + drawQualityChoices + ", not \"" + name + "\"";
  return message.empty() ? 0 : 1;
}

// Lighter (1: the browser's battery discharges and the user chose no path) or not (0); a
// running scene follows at once.
EMSCRIPTEN_KEEPALIVE void vorlix_lighter(int lighter) {
  pageLighter = lighter != 0;
  if (sceneReady && !contextGone()) switchDrawQuality(run.renderer, run.scene, drawnQuality());
}

// The path asked for (0 auto, 1 exact, 2 fast) and the one that draws (0 exact, 1 fast).
EMSCRIPTEN_KEEPALIVE int vorlix_quality() { return static_cast<int>(pageQuality); }
EMSCRIPTEN_KEEPALIVE int vorlix_draw_path() {
  return currentDrawPath(run.renderer) == DrawPath::fast;
}

// Shows (1) or hides (0) the frame-rate line from the next start on.
EMSCRIPTEN_KEEPALIVE void vorlix_show_fps(int shown) { showFps = shown != 0; }

// Every setting back to its default.
EMSCRIPTEN_KEEPALIVE void vorlix_reset_settings() { pageSettings = defaultSettings; }

// The current value of a setting (toggle 0/1, distance 0..2); -1 for an unknown option.
EMSCRIPTEN_KEEPALIVE int vorlix_get(const char* option) {
  return static_cast<int>(pageOptionValue(pageSettings, option));
}

// The settings table for the panel, as JSON.
EMSCRIPTEN_KEEPALIVE const char* vorlix_settings_json() {
  static const std::string json = settingsTableJson();
  return json.c_str();
}

// The last notice or error; empty when there is none.
EMSCRIPTEN_KEEPALIVE const char* vorlix_message() { return message.c_str(); }

// (Re)starts the scene at width x height drawing-buffer pixels. seed < 0: from the clock.
// 0 ok, 1 no WebGL 2, 2 a shader did not build, 3 another failure (see vorlix_message).
EMSCRIPTEN_KEEPALIVE int vorlix_start(int width, int height, double seed) {
  dropScene();
  message.clear();
  width = width < 1 ? 1 : width;
  height = height < 1 ? 1 : height;
  // A fresh run, as a fresh program has it: a start from the same seed and tick times then
  // draws what the desktop programs draw.
  run = PageRun{};
  run.scene.rect = {0, 0, width, height};
  setCanvasSize(canvasSelector, width, height);
  seedRandom(run.scene.random,
             seed < 0 ? clockSeed() : static_cast<uint32_t>(std::fmod(seed, 4294967296.0)));
  if (contextGone()) {
    keepBalls = false;  // a lost context builds nothing: its return starts these settings afresh
    return 0;
  }
  if (!contextReady) {
    if (!initWebGLContext(canvasSelector, width, height)) {
      message = noWebGL2Text;
      return 1;
    }
    contextReady = true;
  } else {
    setPixelProjection(width, height);
  }
  return buildScene();
}

// One tick at this requestAnimationFrame time; 1 when a frame was drawn.
EMSCRIPTEN_KEEPALIVE int vorlix_frame(double milliseconds) {
  if (!sceneReady || contextGone() || !(milliseconds >= 0)) return 0;
  const uint32_t now = static_cast<uint32_t>(std::fmod(milliseconds, 4294967296.0));
  if (!runFrameTick(run.renderer, run.scene, now)) return 0;
  if (showFps) drawFpsOverlay(run.renderer, run.scene.rect, now);
  return 1;
}

// The window changed size: the drawing buffer and the scene follow.
EMSCRIPTEN_KEEPALIVE void vorlix_resize(int width, int height) {
  width = width < 1 ? 1 : width;
  height = height < 1 ? 1 : height;
  setCanvasSize(canvasSelector, width, height);
  if (sceneReady && !contextGone())
    resizeScene(run.renderer, run.scene, width, height);
  else
    run.scene.rect = {0, 0, width, height};
}

// The page is hidden: the next tick only records its time, so nothing jumps on return, and
// the next frame only begins a new second of the frame-rate count.
EMSCRIPTEN_KEEPALIVE void vorlix_pause() {
  forgetTickReading(run.scene.clock);
  restartFpsCount(run.renderer);
}

// Releases the scene and the context.
EMSCRIPTEN_KEEPALIVE void vorlix_stop() {
  dropScene();
  if (contextReady) releaseWebGLContext();
  contextReady = false;
  contextLost = false;  // a later start makes a context of its own
}

// The browser took the context: keep the balls, give up the dead GL objects.
EMSCRIPTEN_KEEPALIVE void vorlix_context_lost() {
  if (!contextReady || contextLost) return;
  contextLost = true;
  keepBalls = sceneReady;
  if (!sceneReady) return;
  kept = run.scene.balls;
  dropScene();  // the deletions are no-ops on a lost context, but free the names
}

// The browser gave the context back: rebuild the scene and put the kept balls in it (or
// start afresh when a start came during the loss). 0 ok, otherwise vorlix_start's codes.
EMSCRIPTEN_KEEPALIVE int vorlix_context_restored() {
  if (!contextLost || webGLContextLost()) return 0;  // lost again: the next return builds
  contextLost = false;
  renewWebGLContext(run.scene.rect.right, run.scene.rect.bottom);
  const int status = buildScene();
  if (status != 0 || !keepBalls) return status;
  run.scene.balls = kept;  // the physics parameters too: the same settings made them
  uploadMetaballUniforms(run.renderer, run.scene);
  forgetTickReading(run.scene.clock);
  return 0;
}

// The 20 ball centres (60 floats: x, y, z of each), for comparing runs.
EMSCRIPTEN_KEEPALIVE const float* vorlix_ball_positions() { return &run.scene.balls.pos[0].x; }

}  // extern "C"
