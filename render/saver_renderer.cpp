// The Windows saver's one renderer, under the names its code and tests have always used.
#include "render/renderer.h"

Renderer saverRenderer;

zunoShader*& metaballShader = saverRenderer.metaballShader;
zunoShader*& ghostShader = saverRenderer.ghostShader;
float& blobExponent = saverRenderer.blobExponent;
float (&ballFalloff)[BALL_SLOTS] = saverRenderer.ballFalloff;
DrawQuality& drawQuality = saverRenderer.quality;
unsigned (&ringTextures)[4] = saverRenderer.ring.textures;
unsigned& ringFramebuffer = saverRenderer.ring.framebuffer;
int& ancientIndex = saverRenderer.ring.roles.ancient;
int& lastIndex = saverRenderer.ring.roles.last;
int& curIndex = saverRenderer.ring.roles.cur;
int& nextIndex = saverRenderer.ring.roles.next;
uint32_t& ringPassCount = saverRenderer.ring.roles.passCount;

void turnRing() { turnRing(saverRenderer.ring.roles); }
int takeRingPass() { return takeRingPass(saverRenderer.ring.roles); }
void ringRoleSlots(int (&slots)[4]) { ringRoleSlots(saverRenderer.ring.roles, slots); }
