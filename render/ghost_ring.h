// The ghosting ring: four frame textures on one framebuffer object. The metaball pass draws
// into the texture of the next role; the blend shows 0.08, 0.12, 0.20 and 0.6 of the four.
#pragma once

#include <string>

#include "render/gl_api.h"

extern GLuint ringTextures[4];            // slots 0 to 3; 0 while no ring exists
extern const GLenum ringAttachments[4];   // colour attachment of each slot, fixed
extern GLuint ringFramebuffer;            // 0 while no ring exists

// Builds the ring: textures sized from clientRect, framebuffer, check, two priming passes.
void createGhostRing();

// Creates one ring texture into name; always true.
bool createRingTexture(GLuint& name);

// Draws into the ring: the metaball program current, draw buffer of the next role. Returns
// the framebuffer it bound, where the metaball pass draws.
GLuint beginGhostFrame();

// Draws to the window: back buffer cleared, ghost program current with the four frames bound.
void compositeGhostFrames();

// Reports an incomplete framebuffer (a message box on Windows).
void checkFramebufferStatus();

// The message for a framebuffer status; null for a complete one. Any unlisted status
// gives "Unknown Error".
const char* framebufferStatusText(GLenum status);

// Reports the message for status with the title "Error"; an unlisted status also goes to
// standard output as a decimal line.
void reportFramebufferStatus(GLenum status);

// True when the GL offers framebuffer objects, so that the ring can be built.
bool framebufferObjectsAvailable();

// The line that says why ghosting is off on this GL (no framebuffer objects, or fewer than
// four colour attachments); empty when the ring can be built.
std::string ghostingUnavailableLine();

// Gives the four frames the size of clientRect, cleared; nothing when no ring is built.
void resizeGhostRing();

// True while a built ring drives the frame (ghosting on and the ring built).
bool ghostRingActive();

// Deletes the four textures and, when one exists, the framebuffer object, and forgets the
// names. Touches no framebuffer-object entry point when no ring was built.
void releaseGhostRing();
