// WebGL 2: the GLSL ES texts of the ghosting program, compiled in under the desktop's
// resource names, so that the shared scene set-up loads them as it loads the desktop's.
#include <cstring>

#include "render/scene_setup.h"
#include "shader_resource_bytes.h"  // generated from resources/shaders/*_es.*

// The text of "#126" and "#127"; the empty text for any other name.
std::string loadShaderResource(const char* name) {
  for (int i = 0; i < shaderResourceCount; ++i) {
    const ShaderResource& resource = shaderResources[i];
    if (std::strcmp(resource.name, name) == 0)
      return std::string(reinterpret_cast<const char*>(resource.bytes), resource.size);
  }
  return std::string();
}
