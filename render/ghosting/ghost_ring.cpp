// The ghosting ring's GL side: four frame textures on one framebuffer object, the pass that
// draws into the texture of the next role, the blend of all four into the back buffer, the
// framebuffer check with its messages, and the release. Role bookkeeping is in ring_roles.
#include "render/ghosting/ghost_ring.h"

#include <iostream>
#include <string>

#include "render/diagnostics/diagnostics.h"
#include "render/ghosting/ghost_blend.h"
#include "render/quad/fullscreen_quad.h"
#include "render/shaders/shader_program.h"

// Slot i's texture is attached at ringAttachments[i].
const GLenum ringAttachments[4] = {GL_COLOR_ATTACHMENT0_EXT, GL_COLOR_ATTACHMENT1_EXT,
                                   GL_COLOR_ATTACHMENT2_EXT, GL_COLOR_ATTACHMENT3_EXT};

namespace {

// The legacy component count: an unsized four-component colour format.
constexpr GLint ringInternalFormat = 4;

const char* const errorCaption = "Error";
const char* const attachmentIncompleteText = "Attachment incomplete";
const char* const missingAttachmentText = "Must have an attachment.";
const char* const dimensionsText = "Attachments must have same dimensions.";
const char* const formatsText = "Attachments must have same internal format";
const char* const drawBufferText = "Drawbuffer is none";
const char* const readBufferText = "Read buffer pointer is none";
const char* const unsupportedText = "Unsupported internal formats";
const char* const unknownErrorText = "Unknown Error";

// Gives the texture bound on the active unit an image of rect's size, of undefined content.
void specifyRingImage(const ClientRect& rect) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // GL_RGBA and GL_FLOAT describe only the absent client data; the storage format is the GL's.
  glTexImage2D(GL_TEXTURE_2D, 0, ringInternalFormat, rect.right, rect.bottom, 0, GL_RGBA,
               GL_FLOAT, nullptr);
}

}  // namespace

// Creates one ring texture of rect's size on the active unit and leaves it bound there.
bool createRingTexture(GLuint& name, const ClientRect& rect) {
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);  // no mipmaps
  // GL_CLAMP, not GL_CLAMP_TO_EDGE: the quad samples texel centres only, so no border shows.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  specifyRingImage(rect);
  return true;
}

// Builds the ring: four textures, one framebuffer with them attached, the check, two
// priming passes, and the window framebuffer bound again.
void buildGhostRing(GhostRing& ring, const ClientRect& rect, zunoShader& metaball) {
  int slots[4];
  ringRoleSlots(ring.roles, slots);
  for (int role = 0; role < 4; ++role) createRingTexture(ring.textures[slots[role]], rect);

  // Unit 0 is enabled by the context set-up; unit 3 stays active.
  for (GLenum unit = GL_TEXTURE1; unit <= GL_TEXTURE3; ++unit) {
    glActiveTexture(unit);
    glEnable(GL_TEXTURE_2D);
  }

  glGenFramebuffersEXT(1, &ring.framebuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, ring.framebuffer);
  for (int role = 0; role < 4; ++role) {
    const int slot = slots[role];
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, ringAttachments[slot], GL_TEXTURE_2D,
                              ring.textures[slot], 0);
  }
  checkFramebufferStatus();  // only reported: the ring is used all the same
  ring.built = true;

  // Two priming passes at counts 1 and 2: neither turns, both fill the next role's texture.
  for (int pass = 0; pass < 2; ++pass) {
    beginGhostFrame(ring, metaball);
    drawFullScreenQuad(rect);
  }
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

// Directs the next pass into the ring texture of the next role, with the metaball program.
GLuint beginGhostFrame(GhostRing& ring, zunoShader& metaball) {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, ring.framebuffer);
  // No ring texture may stay bound for sampling while the ring is drawn into.
  for (GLenum unit = GL_TEXTURE0; unit <= GL_TEXTURE3; ++unit) {
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  const int slot = takeRingPass(ring.roles);
  glDrawBuffer(ringAttachments[slot]);
  metaball.enable(true);
  return ring.framebuffer;
}

// Directs the next pass to the back buffer: ghost program, four frames bound, cleared.
void compositeGhostFrames(GhostRing& ring, zunoShader& ghost, bool clearDepth) {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glDrawBuffer(GL_BACK);
  ghost.enable(true);
  bindRingFramesForBlend(ring, ghost);
  glClear(clearDepth ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT);
}

// The message for a framebuffer status, one case per row of the status table.
const char* framebufferStatusText(GLenum status) {
  switch (status) {
    case GL_FRAMEBUFFER_COMPLETE_EXT: return nullptr;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT: return attachmentIncompleteText;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT: return missingAttachmentText;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT: return dimensionsText;
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT: return formatsText;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT: return drawBufferText;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT: return readBufferText;
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT: return unsupportedText;
    default: return unknownErrorText;
  }
}

// Shows the status message, and prints an unknown status in decimal.
void reportFramebufferStatus(GLenum status) {
  const char* text = framebufferStatusText(status);
  if (!text) return;
  showReport(errorCaption, text);
  if (text == unknownErrorText) std::cout << status << std::endl;  // endl flushes
}

// Reports the completeness of the bound framebuffer.
void checkFramebufferStatus() {
  reportFramebufferStatus(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT));
}

namespace {

const char* const noFramebufferObjectsLine =
    "Ghosting is off: this OpenGL offers no framebuffer objects.\n";

// The ring hangs its four textures on colour attachments 0 to 3.
constexpr GLint ringAttachmentsNeeded = 4;

// True when the driver names the extension and every entry point the ring calls is loaded.
bool framebufferEntryPointsLoaded() {
  // NOTE: GLEW loads an extension's entry points only when the driver names the extension,
  // and a driver may name it yet miss one; the ring calls all of these without a test.
  return GLEW_EXT_framebuffer_object && glGenFramebuffersEXT && glBindFramebufferEXT &&
         glFramebufferTexture2DEXT && glCheckFramebufferStatusEXT && glDeleteFramebuffersEXT &&
         glActiveTexture;
}

// How many colour attachments one framebuffer object can have on this GL.
GLint colourAttachmentLimit() {
  GLint attachments = 0;
  glGetIntegerv(GL_MAX_COLOR_ATTACHMENTS_EXT, &attachments);
  return attachments;
}

}  // namespace

// True when the extension, every entry point the ring calls and four attachments exist.
bool framebufferObjectsAvailable() { return ghostingUnavailableLine().empty(); }

// Why the ring cannot be built on this GL, as the line the saver prints; empty when it can.
std::string ghostingUnavailableLine() {
  if (!framebufferEntryPointsLoaded()) return noFramebufferObjectsLine;
  const GLint attachments = colourAttachmentLimit();
  if (attachments < ringAttachmentsNeeded)
    return "Ghosting is off: this OpenGL offers only " + std::to_string(attachments) +
           " colour attachments per framebuffer object, and ghosting needs four.\n";
  return std::string();
}

// Resizes all four frames to rect and clears them to black; the roles stay. Older frames of
// the old size would be stretched into the blend, so the trail starts afresh.
void resizeGhostRing(GhostRing& ring, const ClientRect& rect) {
  if (!ring.built) return;
  forgetLitTiles(ring);
  for (GLuint name : ring.textures) {
    glBindTexture(GL_TEXTURE_2D, name);
    specifyRingImage(rect);
  }
  glBindTexture(GL_TEXTURE_2D, 0);  // the next pass draws into them
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, ring.framebuffer);
  for (GLenum attachment : ringAttachments) {
    glDrawBuffer(attachment);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glDrawBuffer(GL_BACK);
}

// True between the ring's creation and its release.
bool ghostRingActive(const GhostRing& ring) { return ring.built; }

// Deletes what the ring owns; with no ring only zero texture names, which the GL ignores.
void releaseGhostRing(GhostRing& ring) {
  glDeleteTextures(4, ring.textures);  // names of 0 are ignored
  // Without a ring the framebuffer-object entry points may not even be loaded.
  if (ring.framebuffer != 0) glDeleteFramebuffersEXT(1, &ring.framebuffer);
  for (GLuint& name : ring.textures) name = 0;
  ring.framebuffer = 0;
  ring.built = false;
  forgetLitTiles(ring);
  ring.nearest = false;  // new textures start linear
}
