// WebGL 2: the ghosting ring of ghost_ring.cpp in OpenGL ES 3 terms. Framebuffer objects are
// core there; images are sized RGBA8 and clamped to the edge (ES has no GL_CLAMP). Roles,
// passes and the blend are those of the desktop ring.
// NOTE: the desktop picks the slot with glDrawBuffer on one framebuffer of four attachments.
// ES lets draw buffer i name only COLOR_ATTACHMENTi, and a GLSL ES 1.00 gl_FragColor writes
// draw buffer 0 alone (the others fail the draw), so here each slot has a framebuffer of its
// own with its texture at attachment 0, and the pass binds the slot's framebuffer.
#include "render/ghost_ring.h"

#include <string>

#include "render/diagnostics.h"
#include "render/fullscreen_quad.h"
#include "render/ghost_blend.h"
#include "render/ring_roles.h"
#include "render/scene_setup.h"
#include "render/shader_program.h"
#include "scene/frame_clock.h"

GLuint ringTextures[4] = {0, 0, 0, 0};  // slot i is attached at ringAttachments[i]
const GLenum ringAttachments[4] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT0,
                                   GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT0};
GLuint ringFramebuffer = 0;  // slot 0's framebuffer; 0 while no ring exists

namespace {

GLuint slotFramebuffers[4] = {0, 0, 0, 0};  // slot i's texture at attachment 0

bool ringBuilt = false;  // set once createGhostRing has run, cleared by the release

// Gives the texture bound on the active unit a client-sized image of undefined content.
void specifyRingImage() {
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, clientRect.right, clientRect.bottom, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
}
}  // namespace

// Creates one client-sized ring texture on the active unit and leaves it bound there.
bool createRingTexture(GLuint& name) {
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);  // no mipmaps
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  specifyRingImage();
  return true;
}

// Builds the ring: four textures, one framebuffer with them attached, the check, two
// priming passes, and the canvas's framebuffer bound again.
void createGhostRing() {
  int slots[4];
  ringRoleSlots(slots);
  for (int role = 0; role < 4; ++role) createRingTexture(ringTextures[slots[role]]);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGenFramebuffers(4, slotFramebuffers);
  for (int slot = 0; slot < 4; ++slot) {
    glBindFramebuffer(GL_FRAMEBUFFER, slotFramebuffers[slot]);
    glFramebufferTexture2D(GL_FRAMEBUFFER, ringAttachments[slot], GL_TEXTURE_2D,
                           ringTextures[slot], 0);
    checkFramebufferStatus();  // only reported: the ring is used all the same
  }
  ringFramebuffer = slotFramebuffers[0];
  ringBuilt = true;
  for (int pass = 0; pass < 2; ++pass) {
    beginGhostFrame();
    drawFullScreenQuad();
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Directs the next pass into the ring texture of the next role, with the metaball program.
GLuint beginGhostFrame() {
  for (GLenum unit = GL_TEXTURE0; unit <= GL_TEXTURE3; ++unit) {
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  const GLuint slot = slotFramebuffers[takeRingPass()];
  glBindFramebuffer(GL_FRAMEBUFFER, slot);
  metaballShader->enable(true);
  return slot;
}

// Directs the next pass to the canvas: ghost program, four frames bound, cleared. The
// canvas's framebuffer keeps its own draw buffer (BACK), so binding it is enough.
void compositeGhostFrames() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  ghostShader->enable(true);
  bindRingFramesForBlend();
  glClear(GL_COLOR_BUFFER_BIT);
}

// The message for a framebuffer status; ES 3 has fewer incomplete states than the extension.
const char* framebufferStatusText(GLenum status) {
  switch (status) {
    case GL_FRAMEBUFFER_COMPLETE: return nullptr;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "Attachment incomplete";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return "Must have an attachment.";
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS: return "Attachments must have same dimensions.";
    case GL_FRAMEBUFFER_UNSUPPORTED: return "Unsupported internal formats";
    default: return "Unknown Error";
  }
}

// Reports the status message through the page's diagnostics.
void reportFramebufferStatus(GLenum status) {
  if (const char* text = framebufferStatusText(status)) showReport("Error", text);
}

// Reports the completeness of the bound framebuffer.
void checkFramebufferStatus() { reportFramebufferStatus(glCheckFramebufferStatus(GL_FRAMEBUFFER)); }

// WebGL 2 always has framebuffer objects, and the ring needs one attachment of each.
bool framebufferObjectsAvailable() { return true; }

// Nothing keeps ghosting off on WebGL 2.
std::string ghostingUnavailableLine() { return std::string(); }

// Resizes all four frames to clientRect and clears them; the roles stay.
void resizeGhostRing() {
  if (!ringBuilt) return;
  for (GLuint name : ringTextures) {
    glBindTexture(GL_TEXTURE_2D, name);
    specifyRingImage();
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  for (GLuint framebuffer : slotFramebuffers) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// True between the ring's creation and its release.
bool ghostRingActive() { return ringBuilt; }

// Deletes what the ring owns and forgets the names.
void releaseGhostRing() {
  glDeleteTextures(4, ringTextures);
  glDeleteFramebuffers(4, slotFramebuffers);  // names of 0 are ignored
  for (GLuint& name : ringTextures) name = 0;
  for (GLuint& name : slotFramebuffers) name = 0;
  ringFramebuffer = 0;
  ringBuilt = false;
}
