// Linux: the shader texts are compiled in, the same bytes as the Windows resources (CR LF
// line ends, no terminating zero), generated at build time from resources/shaders.
#include <cstring>

#include "render/scene_setup.h"
#include "shader_resource_bytes.h"  // generated: shaderResources[], shaderResourceCount

// The text of "#124" to "#127"; the empty text for any other name.
std::string loadShaderResource(const char* name) {
  for (int i = 0; i < shaderResourceCount; ++i) {
    const ShaderResource& resource = shaderResources[i];
    if (std::strcmp(resource.name, name) == 0)
      return std::string(reinterpret_cast<const char*>(resource.bytes), resource.size);
  }
  return std::string();
}
