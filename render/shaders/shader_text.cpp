// The GL-free side of the shader program object: default texts, source selection and the
// info-log cut (the reading of source files is in shader_file.cpp).
#include "render/shaders/shader_text.h"

#include <cstring>

const char* const defaultVertexSource =
    "void main(void){\ngl_FrontColor = gl_Color;\ngl_Position = ftransform();\n}";
const char* const defaultFragmentSource = "void main(){\ngl_FragColor = gl_Color;\n}";

// The given text, or the stage's default when it has no characters at all.
const char* selectShaderSource(const std::string& text, const char* defaultText) {
  return text.empty() ? defaultText : text.c_str();
}

// Up to the first NUL, and never past the last byte a 512-byte style buffer may use for text.
std::string cutInfoLog(const char* buffer, std::size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  const void* end = std::memchr(buffer, '\0', bufferSize - 1);
  const std::size_t length =
      end ? static_cast<std::size_t>(static_cast<const char*>(end) - buffer) : bufferSize - 1;
  return std::string(buffer, length);
}
