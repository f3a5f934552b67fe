// The ghosting ring: four frame textures on one framebuffer object. The metaball pass draws
// into the texture of the next role; the blend shows 0.08, 0.12, 0.20 and 0.6 of the four.
#pragma once

#include <string>

#include "render/context/gl_api.h"
#include "render/renderer.h"
#include "scene/frame_clock.h"

extern const GLenum ringAttachments[4];   // colour attachment of each slot, fixed

// The Windows saver's ring, under its old names (render/saver_renderer.cpp).
extern GLuint (&ringTextures)[4];         // slots 0 to 3; 0 while no ring exists
extern GLuint& ringFramebuffer;           // 0 while no ring exists

// Builds the ring: textures of size rect, framebuffer, check, two priming passes drawn with
// metaball (the program of the metaball pass).
void buildGhostRing(GhostRing& ring, const ClientRect& rect, zunoShader& metaball);
void createGhostRing();  // the saver's (a name of its own: tests pass it as a callable)

// Creates one ring texture of size rect into name; always true.
bool createRingTexture(GLuint& name, const ClientRect& rect);
bool createRingTexture(GLuint& name);  // the saver's size

// Draws into the ring: metaball current, draw buffer of the next role. Returns the
// framebuffer it bound, where the metaball pass draws.
GLuint beginGhostFrame(GhostRing& ring, zunoShader& metaball);
GLuint beginGhostFrame();  // the saver's

// Draws to the window: back buffer cleared (its depth too unless told not to: nothing draws
// with depth, and on software GL clearing it costs as much as a blend), ghost current with the
// four frames bound.
void compositeGhostFrames(GhostRing& ring, zunoShader& ghost, bool clearDepth = true);
void compositeGhostFrames();  // the saver's

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

// Gives the four frames the size rect, cleared; nothing when no ring is built.
void resizeGhostRing(GhostRing& ring, const ClientRect& rect);

// True while a built ring drives the frame (ghosting on and the ring built).
bool ghostRingActive(const GhostRing& ring);
bool ghostRingActive();  // the saver's

// Deletes the four textures and, when one exists, the framebuffer object, and forgets the
// names. Touches no framebuffer-object entry point when no ring was built.
void releaseGhostRing(GhostRing& ring);
