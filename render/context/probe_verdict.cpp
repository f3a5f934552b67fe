// The capability probe's decision: five outcomes in a fixed order, each with its box and
// at most one standard-output line.
#include "render/context/probe_verdict.h"

namespace {

constexpr const char* errorTitle = "Error";
constexpr const char* warningTitle = "Warning";
constexpr const char* noShadingLanguageText = "Shading language not supported\n";
constexpr const char* noVertexProgramText = "No vertex shader support\n";
constexpr const char* noFragmentProgramText = "No fragment shader support\n";
constexpr const char* noVersion20Text =
    "OpenGL 2.0 not supported, therefore using ARB extension for GLSL shaders\n";
constexpr const char* nvVertexProgram3Line = "But supports NV vertex program 3\n";
constexpr const char* nvVertexProgram2Line = "But supports NV vertex program 2\n";
constexpr const char* nvFragmentProgram2Line = "But supports NV fragment program 2\n";

}  // namespace

// Each step reads only its own flags, so a lack early on leaves the later flags unread.
ProbeVerdict decideShaderSupport(ProbeFlagReader readFlag, void* context) {
  if (!readFlag(ProbeFlag::shadingLanguage100, context))
    return {errorTitle, noShadingLanguageText, nullptr, false};
  if (!readFlag(ProbeFlag::vertexProgram, context)) {
    const char* line = nullptr;
    if (readFlag(ProbeFlag::nvVertexProgram3, context))
      line = nvVertexProgram3Line;
    else if (readFlag(ProbeFlag::nvVertexProgram2, context))
      line = nvVertexProgram2Line;
    return {errorTitle, noVertexProgramText, line, false};
  }
  if (!readFlag(ProbeFlag::fragmentProgram, context)) {
    const char* line = readFlag(ProbeFlag::nvFragmentProgram2, context) ? nvFragmentProgram2Line
                                                                         : nullptr;
    return {errorTitle, noFragmentProgramText, line, false};
  }
  if (!readFlag(ProbeFlag::version20, context))
    return {warningTitle, noVersion20Text, nullptr, true};
  return {nullptr, nullptr, nullptr, true};
}
