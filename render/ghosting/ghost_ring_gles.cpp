// WebGL 2: the ghosting ring of ghost_ring.cpp in OpenGL ES 3 terms. Framebuffer objects are
// core there; images are sized RGBA8 and clamped to the edge (ES has no GL_CLAMP). Roles,
// passes and the blend are those of the desktop ring.
// NOTE: the desktop picks the slot with glDrawBuffer on one framebuffer of four attachments.
// ES lets draw buffer i name only COLOR_ATTACHMENTi, and a GLSL ES 1.00 gl_FragColor writes
// draw buffer 0 alone (the others fail the draw), so here each slot has a framebuffer of its
// own with its texture at attachment 0, and the pass binds the slot's framebuffer.
#include "render/ghosting/ghost_ring.h"

#include <string>

#include "render/diagnostics/diagnostics.h"
#include "render/ghosting/ghost_blend.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/shader_program.h"

// Each slot's texture is at attachment 0 of the slot's own framebuffer.
const GLenum ringAttachments[4] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT0,
                                   GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT0};

namespace {

// Gives the texture bound on the active unit an image of rect's size, of undefined content.
void specifyRingImage(const ClientRect& rect) {
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, rect.right, rect.bottom, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
}
}  // namespace

// Creates one client-sized ring texture on the active unit and leaves it bound there.
bool createRingTexture(GLuint& name, const ClientRect& rect) {
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);  // no mipmaps
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  specifyRingImage(rect);
  return true;
}

// Builds the ring: four textures, one framebuffer with them attached, the check, two
// priming passes, and the canvas's framebuffer bound again.
void buildGhostRing(GhostRing& ring, const ClientRect& rect, zunoShader& metaball) {
  int slots[4];
  ringRoleSlots(ring.roles, slots);
  for (int role = 0; role < 4; ++role) createRingTexture(ring.textures[slots[role]], rect);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGenFramebuffers(4, ring.slotFramebuffers);
  for (int slot = 0; slot < 4; ++slot) {
    glBindFramebuffer(GL_FRAMEBUFFER, ring.slotFramebuffers[slot]);
    glFramebufferTexture2D(GL_FRAMEBUFFER, ringAttachments[slot], GL_TEXTURE_2D,
                           ring.textures[slot], 0);
    checkFramebufferStatus();  // only reported: the ring is used all the same
  }
  ring.framebuffer = ring.slotFramebuffers[0];
  ring.built = true;
  for (int pass = 0; pass < 2; ++pass) {
    beginGhostFrame(ring, metaball);
    drawFullScreenQuad(rect);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Directs the next pass into the ring texture of the next role, with the metaball program.
GLuint beginGhostFrame(GhostRing& ring, zunoShader& metaball) {
  for (GLenum unit = GL_TEXTURE0; unit <= GL_TEXTURE3; ++unit) {
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  const GLuint slot = ring.slotFramebuffers[takeRingPass(ring.roles)];
  glBindFramebuffer(GL_FRAMEBUFFER, slot);
  metaball.enable(true);
  return slot;
}

// Directs the next pass to the canvas: ghost program, four frames bound, colour cleared (the
// drawing has no depth buffer). The canvas's framebuffer keeps its own draw buffer (BACK), so
// binding it is enough.
void compositeGhostFrames(GhostRing& ring, zunoShader& ghost, bool) {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  ghost.enable(true);
  bindRingFramesForBlend(ring, ghost);
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

// Resizes all four frames to rect and clears them; the roles stay.
void resizeGhostRing(GhostRing& ring, const ClientRect& rect) {
  if (!ring.built) return;
  forgetLitTiles(ring);
  for (GLuint name : ring.textures) {
    glBindTexture(GL_TEXTURE_2D, name);
    specifyRingImage(rect);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  for (GLuint framebuffer : ring.slotFramebuffers) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// True between the ring's creation and its release.
bool ghostRingActive(const GhostRing& ring) { return ring.built; }

// Deletes what the ring owns and forgets the names.
void releaseGhostRing(GhostRing& ring) {
  glDeleteTextures(4, ring.textures);
  glDeleteFramebuffers(4, ring.slotFramebuffers);  // names of 0 are ignored
  for (GLuint& name : ring.textures) name = 0;
  for (GLuint& name : ring.slotFramebuffers) name = 0;
  ring.framebuffer = 0;
  ring.built = false;
  forgetLitTiles(ring);
  ring.nearest = false;  // new textures start linear
}
