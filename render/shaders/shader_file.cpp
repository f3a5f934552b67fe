// Reading a shader source file as text, for the shader object's readSourceFile (desktop
// programs; the page has no files and uses shader_file_web.cpp).
#include <fstream>

#include "render/shaders/shader_text.h"

// Line by line, so that a last line without a line feed still gets one, and the read that
// meets the end of the file adds the one extra line feed.
bool readSourceLines(const std::string& fileName, std::string& text) {
  text.clear();
  std::ifstream in(fileName);
  if (!in) return false;
  // NOTE: getline fails (and extracts nothing) only when it meets the end at once, so a
  // final line without a line feed is still read as a line.
  std::string line;
  while (std::getline(in, line)) {
    text += line;
    text += '\n';
  }
  text += '\n';
  return true;
}
