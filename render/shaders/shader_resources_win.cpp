// Windows: the shader texts are "GLSL_SHADER" resources of the program's own module.
#include "render/shaders/shader_resources.h"

#include <windows.h>

namespace {
const char* const shaderResourceType = "GLSL_SHADER";
}

// Exactly the resource's bytes; the empty text when there is no such resource.
std::string loadShaderResource(const char* name) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name, shaderResourceType);
  if (!resource) return std::string();
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::string();
  return std::string(static_cast<const char*>(bytes), SizeofResource(module, resource));
}
