// Scene set-up and uniform upload: the two programs, the ring, the balls and the constant
// uniforms of the metaball program.
#include "render/scene_setup.h"

#include "render/shader_program.h"

zunoShader* metaballShader = nullptr;
zunoShader* ghostShader = nullptr;
float blobExponent = 0.0f;
