// The program's shader texts by resource name: on Windows the module's "GLSL_SHADER"
// resources, elsewhere copies built into the program (the GLSL ES texts on the page and in
// the Wayland program).
#pragma once

#include <string>

// Text of a "GLSL_SHADER" resource of the program, such as "#126"; empty when absent.
std::string loadShaderResource(const char* name);
