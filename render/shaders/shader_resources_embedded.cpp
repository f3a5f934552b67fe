// Linux and the web page: the shader texts compiled in, generated at build time under the
// Windows resource names. Linux embeds the same bytes as the Windows resources (CR LF line
// ends, no terminating zero); the page embeds the GLSL ES texts of the ghosting program.
#include <cstring>

#include "render/shaders/shader_resources.h"
#include "shader_resource_bytes.h"  // generated: shaderResources[], shaderResourceCount

// The text of a compiled-in resource such as "#126"; the empty text for any other name.
std::string loadShaderResource(const char* name) {
  for (int i = 0; i < shaderResourceCount; ++i) {
    const ShaderResource& resource = shaderResources[i];
    if (std::strcmp(resource.name, name) == 0)
      return std::string(reinterpret_cast<const char*>(resource.bytes), resource.size);
  }
  return std::string();
}
