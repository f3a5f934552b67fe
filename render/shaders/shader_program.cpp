// zunoShader: compiling, linking, enabling and feeding one GLSL program through the
// OpenGL 2.0 entry points; its diagnostics go to the standard streams and the shader log.
#include "render/shaders/shader_program.h"

#include <cstdio>

#include "render/diagnostics/diagnostics.h"
#include "render/shaders/shader_dialect.h"
#include "render/shaders/shader_text.h"

namespace {

constexpr const char* vertexCompileFailure = "ERROR: Could not compile vertex shader.\n";
constexpr const char* fragmentCompileFailure = "ERROR: Could not compile fragment shader.\n";
constexpr const char* linkFailure = "ERROR: Could not link shaders.";
constexpr const char* compileErrorMessage = "Shader compilation error";
constexpr const char* linkErrorMessage = "Shader Program link error";
constexpr const char* missingSourceFile = "ERROR: Could not find file %s containing shader source.\n";
constexpr const char* usingDefaultSource = "Attempting to use default shader source\n";
// For the box that ends the saver when one of its programs cannot be built.
constexpr const char* vertexFailureUserText =
    "The saver could not compile a vertex shader, so it cannot draw.\n"
    "The compiler's log is in logShader.txt in the saver's working folder.\n";
constexpr const char* fragmentFailureUserText =
    "The saver could not compile a fragment shader, so it cannot draw.\n"
    "The compiler's log is in logShader.txt in the saver's working folder.\n";
constexpr const char* linkFailureUserText =
    "The saver could not link a shader program, so it cannot draw.\n"
    "The linker's log is in logShader.txt in the saver's working folder.\n";
constexpr GLsizei infoLogSize = 512;  // a longer log is cut to 511 characters

// Keeps the shader's info log (see keepShaderLog), also shown on standard output.
void writeShaderLog(GLuint shader) {
  char buffer[infoLogSize] = {};
  glGetShaderInfoLog(shader, infoLogSize, nullptr, buffer);
  const std::string log = cutInfoLog(buffer, sizeof buffer);
  std::printf("%s\n", log.c_str());
  std::fflush(stdout);
  keepShaderLog(log);
}

// Keeps the program's info log (see keepShaderLog), also shown on standard output.
void writeProgramLog(GLuint program) {
  char buffer[infoLogSize] = {};
  glGetProgramInfoLog(program, infoLogSize, nullptr, buffer);
  const std::string log = cutInfoLog(buffer, sizeof buffer);
  std::printf("cool\n%s\nhi there\n", log.c_str());
  std::fflush(stdout);
  keepShaderLog(log);
}

// Reports a failed step on standard error; unbuffered, so nothing to flush.
void reportFailure(const char* text) { std::fputs(text, stderr); }

}  // namespace

// Both shaders get their source now; compileAndLink does the rest or raises.
zunoShader::zunoShader(std::string vertexText, std::string fragmentText)
    : enabled(false), vertexShader(0), fragmentShader(0), program(0) {
  vertexShader = glCreateShader(GL_VERTEX_SHADER);
  fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
  const char* vertexSource = selectShaderSource(vertexText, defaultVertexSource);
  glShaderSource(vertexShader, 1, &vertexSource, nullptr);
  const char* fragmentSource = selectShaderSource(fragmentText, defaultFragmentSource);
  glShaderSource(fragmentShader, 1, &fragmentSource, nullptr);
  try {
    compileAndLink();
  } catch (...) {
    // The destructor will not run for an object that was never made, so give the GL
    // objects back here; deleting the program also frees the shaders attached to it.
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    if (program != 0) glDeleteProgram(program);
    throw;
  }
}

// The shaders were flagged for deletion at link time, so detaching them deletes them.
zunoShader::~zunoShader() {
  glDetachShader(program, vertexShader);
  glDetachShader(program, fragmentShader);
  glDeleteProgram(program);
}

// Makes this program current, or leaves none current (fixed-function drawing).
void zunoShader::enable(bool flag) {
  enabled = flag;
  glUseProgram(flag ? program : 0);
}

// The setters look the name up afresh each time and upload into the current program.
void zunoShader::setUniform1f(std::string name, float x) {
  glUniform1f(glGetUniformLocation(program, name.c_str()), x);
}

// See setUniform1f; also sets samplers (the texture unit number).
void zunoShader::setUniform1i(std::string name, GLint x) {
  glUniform1i(glGetUniformLocation(program, name.c_str()), x);
}

// See setUniform1f.
void zunoShader::setUniform2f(std::string name, float x, float y) {
  glUniform2f(glGetUniformLocation(program, name.c_str()), x, y);
}

// See setUniform1f.
void zunoShader::setUniform2i(std::string name, GLint x, GLint y) {
  glUniform2i(glGetUniformLocation(program, name.c_str()), x, y);
}

// See setUniform1f.
void zunoShader::setUniform3f(std::string name, float x, float y, float z) {
  glUniform3f(glGetUniformLocation(program, name.c_str()), x, y, z);
}

// See setUniform1f.
void zunoShader::setUniform3i(std::string name, GLint x, GLint y, GLint z) {
  glUniform3i(glGetUniformLocation(program, name.c_str()), x, y, z);
}

// See setUniform1f.
void zunoShader::setUniform4f(std::string name, float x, float y, float z, float w) {
  glUniform4f(glGetUniformLocation(program, name.c_str()), x, y, z, w);
}

// See setUniform1f.
void zunoShader::setUniform4i(std::string name, GLint x, GLint y, GLint z, GLint w) {
  glUniform4i(glGetUniformLocation(program, name.c_str()), x, y, z, w);
}

// The file's lines, or the empty text (which selects the default) when it cannot be opened.
std::string zunoShader::readSourceFile(std::string fileName) {
  std::string text;
  if (!readSourceLines(fileName, text)) {
    std::fprintf(stderr, missingSourceFile, fileName.c_str());
    std::fputs(usingDefaultSource, stdout);
    std::fflush(stdout);
  }
  return text;
}

// Stops at the first failure: a vertex failure leaves the fragment shader uncompiled and
// no program created.
void zunoShader::compileAndLink() {
  GLint status = 0;
  glCompileShader(vertexShader);
  glGetShaderiv(vertexShader, GL_COMPILE_STATUS, &status);
  if (status == 0) {
    reportFailure(vertexCompileFailure);
    writeShaderLog(vertexShader);
    throw ShaderBuildError(compileErrorMessage, vertexFailureUserText);
  }
  glCompileShader(fragmentShader);
  glGetShaderiv(fragmentShader, GL_COMPILE_STATUS, &status);
  if (status == 0) {
    reportFailure(fragmentCompileFailure);
    writeShaderLog(fragmentShader);
    throw ShaderBuildError(compileErrorMessage, fragmentFailureUserText);
  }
  program = glCreateProgram();
  glAttachShader(program, vertexShader);
  glAttachShader(program, fragmentShader);
  glDeleteShader(vertexShader);
  glDeleteShader(fragmentShader);
  bindQuadAttributes(program);
  glLinkProgram(program);
  glGetProgramiv(program, GL_LINK_STATUS, &status);
  if (status == 0) {
    reportFailure(linkFailure);
    writeProgramLog(program);
    throw ShaderBuildError(linkErrorMessage, linkFailureUserText);
  }
}

// Uploads a float array into metaball's program, which the caller made current.
void setMetaballUniform1fv(const zunoShader* metaball, const std::string& name, GLint count,
                           const GLfloat* values) {
  if (!metaball) return;  // no program to look the name up in
  glUniform1fv(glGetUniformLocation(metaball->program, name.c_str()), count, values);
}

// Uploads a vec3 array into metaball's program, which the caller made current.
void setMetaballUniform3fv(const zunoShader* metaball, const std::string& name, GLint count,
                           const GLfloat* values) {
  if (!metaball) return;
  glUniform3fv(glGetUniformLocation(metaball->program, name.c_str()), count, values);
}
