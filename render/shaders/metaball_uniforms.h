// The metaball program's uniforms from the scene: the balls' colours and centres, and the
// blob shape (fall-off, peak, threshold) fixed from the start.
#pragma once

#include "render/renderer.h"
#include "scene/scene.h"

// Uploads the colours, the centres and the blob uniforms to the renderer's metaball program.
void uploadMetaballUniforms(Renderer& renderer, const Scene& scene);

// Uploads falloff, blobHeight and THRESHOLD to the renderer's metaball program, keeping the
// fall-offs in renderer.ballFalloff, which the fast path's bound reads too.
void uploadBlobUniforms(Renderer& renderer, const Scene& scene);
void uploadBlobUniforms();  // the saver's
