// The capability probe's decision, apart from GLEW: which flags are read in which order,
// which box follows and which standard-output line. Portable, so every branch can be
// taken apart from the driver at hand.
#pragma once

// The GLEW flags the probe may read.
enum class ProbeFlag {
  shadingLanguage100,  // ARB_shading_language_100
  vertexProgram,       // ARB_vertex_program
  fragmentProgram,     // ARB_fragment_program
  version20,           // OpenGL 2.0
  nvVertexProgram3,    // NV_vertex_program3
  nvVertexProgram2,    // NV_vertex_program2
  nvFragmentProgram2,  // NV_fragment_program2
};

// Reads one flag; context is the caller's.
using ProbeFlagReader = bool (*)(ProbeFlag flag, void* context);

// What the probe shows and returns. Null texts mean nothing shown or written.
struct ProbeVerdict {
  const char* boxTitle;    // "Error", "Warning" or null for no box
  const char* boxText;     // the box's text, trailing line feed included
  const char* outputLine;  // the line for standard output after the box, or null
  bool supported;          // the probe's result
};

// Reads the flags in the fixed order, stopping at the first lack.
ProbeVerdict decideShaderSupport(ProbeFlagReader readFlag, void* context);
