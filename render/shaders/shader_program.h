// zunoShader: one linked GLSL program of one vertex and one fragment shader, with
// named-uniform setters. Construction compiles and links, and raises on failure.
#pragma once

#include <stdexcept>
#include <string>

#include "render/context/gl_api.h"

// What a failed compile or link raises: a std::runtime_error whose what() is the short
// message, plus a sentence for the user saying which step failed and where the log is.
class ShaderBuildError : public std::runtime_error {
 public:
  ShaderBuildError(const char* message, const char* userText)
      : std::runtime_error(message), userText_(userText) {}
  const char* userText() const { return userText_; }

 private:
  const char* userText_;  // a constant text with a trailing line feed
};

class zunoShader {
 public:
  // Compiles and links; an empty text selects the built-in default for that stage.
  // Raises ShaderBuildError "Shader compilation error" or "Shader Program link error".
  zunoShader(std::string vertexText, std::string fragmentText);
  virtual ~zunoShader();

  virtual void enable(bool flag);
  virtual void setUniform1f(std::string name, float x);
  virtual void setUniform1i(std::string name, GLint x);
  virtual void setUniform2f(std::string name, float x, float y);
  virtual void setUniform2i(std::string name, GLint x, GLint y);
  virtual void setUniform3f(std::string name, float x, float y, float z);
  virtual void setUniform3i(std::string name, GLint x, GLint y, GLint z);
  virtual void setUniform4f(std::string name, float x, float y, float z, float w);
  virtual void setUniform4i(std::string name, GLint x, GLint y, GLint z, GLint w);
  virtual std::string readSourceFile(std::string fileName);
  virtual void compileAndLink();

  bool enabled;           // last flag given to enable
  GLuint vertexShader;    // flagged for deletion once attached
  GLuint fragmentShader;  // flagged for deletion once attached
  GLuint program;         // 0 until compileAndLink creates it

  zunoShader(const zunoShader&) = delete;
  zunoShader& operator=(const zunoShader&) = delete;
};

// Load a float array / vec3 array uniform into the current program, looked up by name in
// metaball's program (nothing when it is null). The caller makes metaball current first.
void setMetaballUniform1fv(const zunoShader* metaball, const std::string& name, GLint count,
                           const GLfloat* values);
void setMetaballUniform3fv(const zunoShader* metaball, const std::string& name, GLint count,
                           const GLfloat* values);
// The same for the Windows saver's metaball program.
void setMetaballUniform1fv(std::string name, GLint count, const GLfloat* values);
void setMetaballUniform3fv(std::string name, GLint count, const GLfloat* values);
