// The Windows saver's renderer's calls without arguments: each acts on its one renderer and
// scene, as the saver's code and tests have always called them.
#include "render/field/field_pass.h"
#include "render/ghosting/ghost_ring.h"
#include "render/overlay/fps_overlay.h"
#include "render/quad/fullscreen_quad.h"
#include "render/scene_setup.h"
#include "render/shaders/shader_program.h"

void initScene() { initScene(saverRenderer, saverScene, saverRenderer.quality); }
void releaseScene() { releaseScene(saverRenderer); }
void resizeScene(int32_t width, int32_t height) {
  resizeScene(saverRenderer, saverScene, width, height);
}
DrawPath currentDrawPath() { return currentDrawPath(saverRenderer); }
void createGhostRing() {
  buildGhostRing(saverRenderer.ring, saverScene.rect, *saverRenderer.metaballShader);
}
bool createRingTexture(GLuint& name) { return createRingTexture(name, saverScene.rect); }
GLuint beginGhostFrame() {
  return beginGhostFrame(saverRenderer.ring, *saverRenderer.metaballShader);
}
void compositeGhostFrames() {
  compositeGhostFrames(saverRenderer.ring, *saverRenderer.ghostShader);
}
bool ghostRingActive() { return ghostRingActive(saverRenderer.ring); }
void drawFullScreenQuad() { drawFullScreenQuad(saverScene.rect); }
bool initFpsOverlay() { return initFpsOverlay(saverRenderer); }
void drawFpsOverlay(uint32_t nowMs) { drawFpsOverlay(saverRenderer, saverScene.rect, nowMs); }
void releaseFpsOverlay() { releaseFpsOverlay(saverRenderer); }
void uploadBlobUniforms() { uploadBlobUniforms(saverRenderer, saverScene); }
void setMetaballUniform1fv(std::string name, GLint count, const GLfloat* values) {
  setMetaballUniform1fv(saverRenderer.metaballShader, name, count, values);
}
void setMetaballUniform3fv(std::string name, GLint count, const GLfloat* values) {
  setMetaballUniform3fv(saverRenderer.metaballShader, name, count, values);
}
